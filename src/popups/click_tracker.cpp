#include "popups/click_tracker.h"

#include "common/strings.h"

namespace kestrel {

ClickTracker::~ClickTracker() {
  for (Event& e : queue_) e.answered = true;
  Drain();
}

void ClickTracker::Press(int id, bool rightButton, std::int64_t nowMs) {
  Event e{Kind::Press, nowMs};
  e.id = id;
  e.right = rightButton;
  queue_.push_back(std::move(e));
}

void ClickTracker::Target(int id, const std::string& tag, bool textField) {
  for (Event& e : queue_)
    if (e.kind == Kind::Press && e.id == id && !e.answered) {
      e.answered = true;
      e.tag = ToLowerAscii(tag);
      e.textField = textField;
      break;
    }
  Drain();
}

void ClickTracker::Enter(std::int64_t nowMs) {
  queue_.push_back(Event{Kind::Enter, nowMs});
  Drain();
}

void ClickTracker::Reset() {
  queue_.push_back(Event{Kind::Reset});
  Drain();
}

void ClickTracker::NewWindow(std::int64_t nowMs, bool timingTest, std::function<void(bool)> decided) {
  Event e{Kind::NewWindow, nowMs};
  e.timingTest = timingTest;
  e.decided = std::move(decided);
  queue_.push_back(std::move(e));
  Drain();
}

void ClickTracker::Expire(std::int64_t nowMs) {
  for (Event& e : queue_)
    if (e.kind == Kind::Press && !e.answered && nowMs - e.time >= kAnswerTimeoutMs) e.answered = true;
  Drain();
}

void ClickTracker::Drain() {
  // A verdict may lead to more events on this tracker; they queue behind.
  if (draining_) return;
  draining_ = true;
  while (!queue_.empty()) {
    Event& head = queue_.front();
    if (head.kind == Kind::Press && !head.answered) break;
    Event e = std::move(head);
    queue_.pop_front();
    Apply(e);
  }
  draining_ = false;
}

void ClickTracker::Apply(Event& e) {
  switch (e.kind) {
    case Kind::Press:
      // The element is known; it explains new windows only if it is
      // something one clicks on purpose.
      tag_ = e.tag;
      if (e.tag == "body" || e.tag == "p") return;
      if (e.tag == "input" && e.textField) return;
      (e.right ? right_ : left_) = e.time;
      return;
    case Kind::Enter:
      left_ = e.time;
      tag_ = "input:submit";
      return;
    case Kind::Reset:
      left_ = right_ = kNever;
      tag_.clear();
      return;
    case Kind::NewWindow: {
      const bool suspect =
          e.timingTest && tag_ != "a" && e.time - left_ > 1000 && e.time - right_ > 5000;
      if (suspect) left_ = right_ = kNever;
      // One click on a link explains one new window.
      tag_.clear();
      if (e.decided) e.decided(suspect);
      return;
    }
  }
}

}  // namespace kestrel
