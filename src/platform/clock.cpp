#include "platform/clock.h"

#include <chrono>
#include <ctime>

namespace kestrel {

static std::int64_t SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

SystemClock::SystemClock() : start_(SteadyMs()) {}
std::int64_t SystemClock::NowMs() const { return SteadyMs() - start_; }
std::int64_t SystemClock::CalendarSeconds() const { return static_cast<std::int64_t>(std::time(nullptr)); }

}  // namespace kestrel
