#pragma once
#include "platform/clock.h"

namespace kestrel {

// Shift and Ctrl as they are held down right now.
class QtKeyState : public KeyState {
 public:
  bool Shift() const override;
  bool Ctrl() const override;
};

}  // namespace kestrel
