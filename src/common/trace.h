#pragma once
// Diagnostics for the tests that run the real program: with KESTREL_TRACE=1
// in the environment, one line per event goes to standard error, led by the
// milliseconds since the process started (a start-up timeline). Silent
// otherwise; there is no log file.
#include <exception>
#include <functional>
#include <string>
#include <string_view>

namespace kestrel {

bool TraceEnabled();
void Trace(std::string_view event, std::string_view detail = {});

// Milliseconds since this process started (the kernel's start time, so the
// time before main() counts too), on the monotonic boot clock.
double MillisecondsSinceStart();

// Tests see the trace lines (without the prefix) here, whether tracing is
// on or not; nullptr stops it.
void SetTraceObserver(std::function<void(const std::string& line)> observer);

// Runs `f`. An exception it throws ends it and is traced as caught in
// `where`: a failing command or event handler must not take the program
// down, but must be seen. True when `f` returned normally.
template <typename F>
bool RunContained(std::string_view where, F&& f) noexcept {
  try {
    f();
    return true;
  } catch (const std::exception& e) {
    Trace("exception", std::string(where) + ": " + e.what());
  } catch (...) {
    Trace("exception", std::string(where) + ": unknown exception");
  }
  return false;
}

}  // namespace kestrel
