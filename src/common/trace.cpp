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

void Trace(std::string_view event, std::string_view detail) {
  if (!TraceEnabled()) return;
  // One write per line so lines from a dying process are never interleaved.
  std::string line = "kestrel-trace: ";
  line.append(event);
  if (!detail.empty()) {
    line += ' ';
    for (char c : detail) line += (c == '\n' || c == '\r') ? ' ' : c;
  }
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace kestrel
