#pragma once
// Diagnostics for the tests that run the real program: with KESTREL_TRACE=1
// in the environment, one line per event goes to standard error. Silent
// otherwise; there is no log file.
#include <string_view>

namespace kestrel {

bool TraceEnabled();
void Trace(std::string_view event, std::string_view detail = {});

}  // namespace kestrel
