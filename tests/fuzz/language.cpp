// The language tables: every entry read can be found again by its text,
// and the first of each number by its number.
#include <set>

#include "fuzz.h"
#include "language/language.h"

FUZZ_TARGET {
  const std::string_view text = fuzz::Text(data, size);
  const kestrel::LanguageTable table = kestrel::LanguageTable::FromText(text);
  std::set<int> numbers;
  for (const kestrel::LanguageEntry& e : table.entries()) {
    FUZZ_CHECK(e.number > 0 && e.text.size() <= kestrel::kMaxLanguageLine);
    const std::string* byNumber = table.TextOf(e.number);
    if (numbers.insert(e.number).second) FUZZ_CHECK(e.text.empty() ? !byNumber : byNumber && *byNumber == e.text);
    if (e.text.empty()) continue;
    FUZZ_CHECK(table.NumberOf(e.text) != 0);
    (void)kestrel::FillPlaceholders(kestrel::LanguageShownText(e.text), {"a", "%1"});
  }
  (void)kestrel::LanguageOfMenuText(text);
  return 0;
}
