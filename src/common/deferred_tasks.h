#pragma once
// Work split over turns of the event loop: one task per turn, so what the
// first task started (a page's request) goes out before the rest is done.
// A task pushed while another runs goes before the older ones still waiting,
// in the order pushed: the tasks run in the order they would have run had
// each been done at once where it was pushed (a group opened from a line
// of typed text opens whole before the text's next line).
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace kestrel {

class DeferredTasks {
 public:
  // `post` runs its task once the current event has returned (the toolkit's
  // zero-delay timer).
  explicit DeferredTasks(std::function<void(std::function<void()>)> post);
  ~DeferredTasks();
  DeferredTasks(const DeferredTasks&) = delete;
  DeferredTasks& operator=(const DeferredTasks&) = delete;

  void Push(std::function<void()> task);
  // Drops what has not run yet (the sites are closing).
  void Clear() { queue_.clear(); }
  bool empty() const { return queue_.empty(); }

 private:
  void Schedule();
  void RunNext();

  std::function<void(std::function<void()>)> post_;
  std::deque<std::function<void()>> queue_;
  std::vector<std::function<void()>>* pushedWhileRunning_ = nullptr;
  bool scheduled_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace kestrel
