// .url favorite files: the address read is written and reads back the same.
#include "collections/favorites.h"
#include "fuzz.h"

FUZZ_TARGET {
  const std::string url = kestrel::ShortcutUrl(fuzz::Text(data, size));
  FUZZ_CHECK(url.size() <= kestrel::kShortcutUrlMax);
  if (url.empty()) return 0;
  const std::string out = fuzz::ScratchPath("output");
  FUZZ_CHECK(kestrel::WriteShortcut(out, url));
  FUZZ_CHECK(kestrel::ReadShortcutUrl(out) == url);
  return 0;
}
