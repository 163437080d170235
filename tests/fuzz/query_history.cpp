// searchhis.ini: the queries saved read back as they were, up to the number
// kept.
#include <algorithm>

#include "address/search_engines.h"
#include "fuzz.h"

FUZZ_TARGET {
  kestrel::QueryHistory first;
  first.LoadQueryHistory(fuzz::Scratch(fuzz::Text(data, size)));
  const std::string out = fuzz::ScratchPath("output");
  FUZZ_CHECK(first.SaveQueryHistory(out));
  kestrel::QueryHistory second;
  second.LoadQueryHistory(out);
  const auto& a = first.items();
  FUZZ_CHECK(second.items().size() == std::min(a.size(), kestrel::QueryHistory::kSaveMax));
  FUZZ_CHECK(std::equal(second.items().begin(), second.items().end(), a.begin()));
  return 0;
}
