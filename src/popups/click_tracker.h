#pragma once
// What the user last did in a page, as popup blocking needs it: the tag of
// the element last clicked and the times of the last left and right press.
//
// A press is known the moment it happens (the toolkit reports it before the
// page sees it), but what lies under the pointer is answered by the page a
// little later. A window the click's handler opens may be asked for before
// that answer arrives. So events are kept in the order they happened and
// applied only when everything before them is known: a new window is judged
// as if the answer had been there at once, whichever arrives first.
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

namespace kestrel {

class ClickTracker {
 public:
  static constexpr std::int64_t kNever = -10000;
  // A press whose answer has not come after this long counts with an unknown tag.
  static constexpr std::int64_t kAnswerTimeoutMs = 1000;

  ClickTracker() = default;
  // Anything still waiting is settled (unanswered presses count), so that a
  // window opened just before its opener closed is still judged.
  ~ClickTracker();
  ClickTracker(const ClickTracker&) = delete;
  ClickTracker& operator=(const ClickTracker&) = delete;

  // A left or right button press at `nowMs`; its answer comes with `id`.
  void Press(int id, bool rightButton, std::int64_t nowMs);
  // What the page found under press `id`: the tag name (any case, "" when it
  // could not be reached) and whether it is a text input field. Unknown or
  // late ids are ignored.
  void Target(int id, const std::string& tag, bool textField);
  // Enter pressed in the page (without Ctrl): a left click on a submit button.
  void Enter(std::int64_t nowMs);
  // The user took the page elsewhere: earlier clicks explain nothing more.
  void Reset();
  // The page asks for a new window at `nowMs`. With `timingTest` off the
  // window is never a timing suspect. `decided` is called exactly once with
  // the verdict, at once when nothing before it is pending.
  void NewWindow(std::int64_t nowMs, bool timingTest, std::function<void(bool suspect)> decided);
  // Settles presses whose answer is overdue at `nowMs` (the frame's timer).
  void Expire(std::int64_t nowMs);

  bool pending() const { return !queue_.empty(); }
  const std::string& lastClickTag() const { return tag_; }
  std::int64_t lastLeftClick() const { return left_; }
  std::int64_t lastRightClick() const { return right_; }

 private:
  enum class Kind { Press, Enter, Reset, NewWindow };
  struct Event {
    Kind kind;
    std::int64_t time = 0;
    int id = 0;
    bool right = false;
    bool timingTest = false;
    bool answered = false;
    std::string tag;
    bool textField = false;
    std::function<void(bool)> decided;
  };
  void Drain();
  void Apply(Event& e);

  std::deque<Event> queue_;
  std::string tag_;
  std::int64_t left_ = kNever;
  std::int64_t right_ = kNever;
  bool draining_ = false;
};

}  // namespace kestrel
