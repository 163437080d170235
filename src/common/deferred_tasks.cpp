#include "common/deferred_tasks.h"

#include <iterator>

#include "common/trace.h"

namespace kestrel {

DeferredTasks::DeferredTasks(std::function<void(std::function<void()>)> post) : post_(std::move(post)) {}

DeferredTasks::~DeferredTasks() { *alive_ = false; }

void DeferredTasks::Push(std::function<void()> task) {
  if (pushedWhileRunning_) {
    pushedWhileRunning_->push_back(std::move(task));
    return;
  }
  queue_.push_back(std::move(task));
  Schedule();
}

void DeferredTasks::Schedule() {
  if (scheduled_ || queue_.empty()) return;
  scheduled_ = true;
  // A turn that comes after this object is gone does nothing.
  post_([this, alive = std::weak_ptr<bool>(alive_)] {
    if (auto a = alive.lock(); a && *a) RunNext();
  });
}

void DeferredTasks::RunNext() {
  scheduled_ = false;
  if (queue_.empty()) return;
  std::function<void()> task = std::move(queue_.front());
  queue_.pop_front();
  std::vector<std::function<void()>> pushed;
  pushedWhileRunning_ = &pushed;
  std::weak_ptr<bool> alive = alive_;
  RunContained("deferred task", task);
  if (alive.expired()) return;
  pushedWhileRunning_ = nullptr;
  queue_.insert(queue_.begin(), std::make_move_iterator(pushed.begin()), std::make_move_iterator(pushed.end()));
  Schedule();
}

}  // namespace kestrel
