// session.txt: a session read back after writing is the same session.
#include "fuzz.h"
#include "frame/session.h"

FUZZ_TARGET {
  const auto first = kestrel::ParseSession(fuzz::Text(data, size));
  if (!first) return 0;
  FUZZ_CHECK(first->active < static_cast<int>(first->addresses.size()));
  FUZZ_CHECK(kestrel::ParseSession(kestrel::FormatSession(*first)) == first);
  return 0;
}
