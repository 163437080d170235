// The JSON a page's script answers with: the strings read, written as JSON
// strings again, read back the same; the active form's answer is read too.
#include <algorithm>

#include "common/script_text.h"
#include "forms/form_scripts.h"
#include "fuzz.h"

FUZZ_TARGET {
  const std::string json(fuzz::Text(data, size));
  (void)kestrel::ParseActiveForm(json);
  const auto first = kestrel::ParseJsonStrings(json);
  // ScriptString takes bytes that are no UTF-8 as Latin-1 letters; the
  // engine's answers are UTF-8, so the round trip is checked for text whose
  // only non-ASCII characters are escapes.
  if (!first || std::any_of(json.begin(), json.end(), [](char c) { return c & 0x80; })) return 0;
  std::string again = "[";
  for (const std::string& s : *first) again += (again.size() > 1 ? "," : "") + kestrel::ScriptString(s, '"');
  FUZZ_CHECK(kestrel::ParseJsonStrings(again + "]") == first);
  return 0;
}
