#include "appearance/menu_bar.h"

#include "common/strings.h"

namespace kestrel {

char AccessKeyOf(const std::string& text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] != '&') return FoldAscii(text[i + 1]);
    ++i;  // "&&" is an "&" of the text
  }
  return 0;
}

void CMenuBarTracker::SetTexts(std::vector<std::string> texts) {
  texts_ = std::move(texts);
  if (hot_ >= count()) hot_ = count() - 1;
  if (current_ >= count()) current_ = -1;
}

int CMenuBarTracker::Step(int from, int by) const {
  if (count() == 0) return -1;
  return ((from + by) % count() + count()) % count();  // wraps at both ends
}

void CMenuBarTracker::SetState(State state, int index) {
  state_ = state;
  hot_ = state == State::None ? -1 : index;
  if (state == State::PopupOpen) {
    escapePressed_ = false;
    current_ = index;
  }
}

CMenuBarTracker::Outcome CMenuBarTracker::AltDown() {
  altUsed_ = false;
  return {true, -1};
}

CMenuBarTracker::Outcome CMenuBarTracker::AltUp() {
  if (altUsed_ || count() == 0) return {true, -1};
  if (state_ == State::None)
    SetState(State::HotTracking, 0);
  else if (state_ == State::HotTracking)
    SetState(State::None, -1);
  return {true, -1};
}

CMenuBarTracker::Outcome CMenuBarTracker::KeyDown(Key key, bool altHeld) {
  if (altHeld) altUsed_ = true;
  if (state_ != State::HotTracking) return {};
  switch (key) {
    case Key::Escape:
      SetState(State::None, -1);
      return {true, -1};
    case Key::Space:
    case Key::Up:
    case Key::Down:
    case Key::Return:
      return {true, hot_};
    case Key::Left:
      SetState(State::HotTracking, Step(hot_, -1));
      return {true, -1};
    case Key::Right:
      SetState(State::HotTracking, Step(hot_, 1));
      return {true, -1};
    case Key::Other:
      break;
  }
  SetState(State::None, -1);
  return {};
}

CMenuBarTracker::Outcome CMenuBarTracker::Char(char c, bool altHeld) {
  if (altHeld) altUsed_ = true;
  if (!altHeld && state_ != State::HotTracking) return {};
  const char key = FoldAscii(c);
  for (int i = 0; i < count(); ++i)
    if (key != 0 && AccessKeyOf(texts_[static_cast<std::size_t>(i)]) == key) return {true, i};
  // In hot-tracking every letter belongs to the bar; with Alt alone, only
  // the bar's own.
  return {state_ == State::HotTracking, -1};
}

void CMenuBarTracker::Cancel() {
  if (state_ != State::PopupOpen) SetState(State::None, -1);
}

void CMenuBarTracker::Hover(int index) {
  if (state_ == State::HotTracking && index >= 0 && index < count()) hot_ = index;
}

CMenuBarTracker::Outcome CMenuBarTracker::Press(int index) {
  if (index < 0 || index >= count()) return {};
  return {true, index};
}

void CMenuBarTracker::PopupOpened(int index) {
  next_ = -1;
  SetState(State::PopupOpen, index);
}

bool CMenuBarTracker::PopupKey(Key key) {
  if (state_ != State::PopupOpen) return false;
  if (key == Key::Escape) {
    escapePressed_ = true;
    return false;  // the popup closes by itself
  }
  if (key != Key::Left && key != Key::Right) return false;
  next_ = Step(current_, key == Key::Left ? -1 : 1);
  return true;
}

bool CMenuBarTracker::PopupHover(int index) {
  if (state_ != State::PopupOpen || index < 0 || index >= count() || index == current_) return false;
  next_ = index;
  return true;
}

bool CMenuBarTracker::PopupPress(int index) {
  if (state_ != State::PopupOpen || index != current_) return false;
  next_ = -1;
  return true;
}

void CMenuBarTracker::PopupClosed() {
  const int was = current_;
  current_ = -1;
  // Escape steps back to the highlighted item; anything else leaves the bar.
  if (escapePressed_ && next_ < 0)
    SetState(State::HotTracking, was);
  else
    SetState(State::None, -1);
}

int CMenuBarTracker::NextPopup() {
  const int next = next_;
  next_ = -1;
  return next;
}

}  // namespace kestrel
