#include "common/trace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <unistd.h>

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

double MillisecondsSinceStart() {
  // Field 22 of /proc/self/stat, in clock ticks since boot; the fields after
  // the command name (which may hold spaces and brackets) start at field 3.
  static const double startMs = [] {
    double ms = 0;
    if (std::FILE* f = std::fopen("/proc/self/stat", "r")) {
      char buf[1024];
      const std::size_t n = std::fread(buf, 1, sizeof buf - 1, f);
      std::fclose(f);
      buf[n] = '\0';
      if (const char* p = std::strrchr(buf, ')')) {
        unsigned long long ticks = 0;
        int field = 2;
        for (const char* q = p + 1; *q && field < 22; ++q)
          if (*q == ' ' && ++field == 22) ticks = std::strtoull(q + 1, nullptr, 10);
        const long hz = sysconf(_SC_CLK_TCK);
        if (hz > 0) ms = static_cast<double>(ticks) * 1000.0 / static_cast<double>(hz);
      }
    }
    return ms;
  }();
  timespec ts{};
  clock_gettime(CLOCK_BOOTTIME, &ts);
  return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6 - startMs;
}

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
  char at[32];
  std::snprintf(at, sizeof at, "%8.1f ", MillisecondsSinceStart());
  line = at + ("kestrel-trace: " + line) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace kestrel
