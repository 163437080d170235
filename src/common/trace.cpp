#include "common/trace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace kestrel {

bool TraceEnabled() {
  static const bool on = [] {
    const char* v = std::getenv("KESTREL_TRACE");
    return v && std::strcmp(v, "1") == 0;
  }();
  return on;
}

namespace {
std::function<void(const std::string&)>& Observer() {
  static std::function<void(const std::string&)> observer;
  return observer;
}
}  // namespace

void SetTraceObserver(std::function<void(const std::string& line)> observer) { Observer() = std::move(observer); }

void Trace(std::string_view event, std::string_view detail) {
  if (!TraceEnabled() && !Observer()) return;
  std::string line(event);
  if (!detail.empty()) {
    line += ' ';
    for (char c : detail) line += (c == '\n' || c == '\r') ? ' ' : c;
  }
  if (Observer()) Observer()(line);
  if (!TraceEnabled()) return;
  // One write per line so lines from a dying process are never interleaved.
  line = "kestrel-trace: " + line + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace kestrel
