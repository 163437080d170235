#pragma once
// Time and key state as the logic sees them; fakes in tests.
#include <cstdint>

namespace kestrel {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since the program started.
  virtual std::int64_t NowMs() const = 0;
  // Calendar time in seconds.
  virtual std::int64_t CalendarSeconds() const = 0;
};

class KeyState {
 public:
  virtual ~KeyState() = default;
  virtual bool Shift() const = 0;
  virtual bool Ctrl() const = 0;
};

// The real clock: steady milliseconds and the system's calendar time.
class SystemClock : public Clock {
 public:
  SystemClock();
  std::int64_t NowMs() const override;
  std::int64_t CalendarSeconds() const override;

 private:
  std::int64_t start_;
};

}  // namespace kestrel
