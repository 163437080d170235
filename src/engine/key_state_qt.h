#pragma once
#include <Qt>

#include "platform/clock.h"

namespace kestrel {

// Shift and Ctrl as they are held down right now. While a key event is being
// handled, the modifiers that event carried stand for "right now": they are
// what the user held when pressing the key, even if the window system has
// seen the release since.
class QtKeyState : public KeyState {
 public:
  bool Shift() const override;
  bool Ctrl() const override;

  class EventScope {
   public:
    explicit EventScope(Qt::KeyboardModifiers mods);
    ~EventScope();
    EventScope(const EventScope&) = delete;
    EventScope& operator=(const EventScope&) = delete;

   private:
    bool hadOverride_;
    Qt::KeyboardModifiers previous_;
  };
};

}  // namespace kestrel
