#pragma once
// The flat menu bar's keyboard and mouse rules, without a toolkit: which
// item is highlighted, which popup is open and which opens next, as Alt,
// the arrows, Escape, access keys and the pointer move it.
#include <string>
#include <vector>

namespace kestrel {

// The access key of a menu text (the letter after a single "&", folded to
// lower case); 0 without one.
char AccessKeyOf(const std::string& text);

class CMenuBarTracker {
 public:
  enum class State { None = 0, HotTracking = 1, PopupOpen = 2 };
  enum class Key { Escape, Space, Up, Down, Left, Right, Return, Other };

  explicit CMenuBarTracker(std::vector<std::string> texts = {}) { SetTexts(std::move(texts)); }
  // The top-level items' texts, as shown (a new interface language).
  void SetTexts(std::vector<std::string> texts);
  int count() const { return static_cast<int>(texts_.size()); }

  State state() const { return state_; }
  int hot() const { return hot_; }          // highlighted item, -1 none
  int current() const { return current_; }  // item whose popup is open, -1 none

  // What the bar does about an event outside a popup.
  struct Outcome {
    bool consumed = false;
    int open = -1;  // the item whose popup opens now
  };
  Outcome AltDown();
  // Alt let go: toggles the highlight, unless Alt served another key.
  Outcome AltUp();
  Outcome KeyDown(Key key, bool altHeld);
  // A letter or digit typed.
  Outcome Char(char c, bool altHeld);
  // A click elsewhere, or the window losing focus.
  void Cancel();
  // The pointer over item `index` (-1 off the items) outside a popup.
  void Hover(int index);
  // A press on item `index`: its popup opens.
  Outcome Press(int index);

  // The popup loop: `index`'s popup is open until PopupClosed.
  void PopupOpened(int index);
  // A key while the popup is open: true when the popup must close because
  // Left or Right chose the neighbouring item (then NextPopup says which).
  bool PopupKey(Key key);
  // The pointer over item `index` while a popup is open: true when the
  // popup must close for that item's.
  bool PopupHover(int index);
  // A press on the open popup's own item: it closes, nothing opens next.
  bool PopupPress(int index);
  void PopupClosed();
  // The item to open now that the popup closed, -1 for none (once).
  int NextPopup();

 private:
  void SetState(State state, int index);
  int Step(int from, int by) const;

  std::vector<std::string> texts_;
  State state_ = State::None;
  int hot_ = -1, current_ = -1, next_ = -1;
  bool escapePressed_ = false;
  bool altUsed_ = false;  // another key came while Alt was down
};

}  // namespace kestrel
