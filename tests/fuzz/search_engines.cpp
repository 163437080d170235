// englist.ini and dictionary.ini (one reader): the engines found, and what
// a query through each of them becomes.
#include "address/search_engines.h"
#include "fuzz.h"

FUZZ_TARGET {
  kestrel::CSearchEngines engines;
  engines.LoadSearchEngines(fuzz::Scratch(fuzz::Text(data, size)));
  FUZZ_CHECK(engines.selectedIndex() == (engines.engines().empty() ? -1 : 0));
  for (const kestrel::SearchEngine& e : engines.engines()) {
    FUZZ_CHECK(!e.address.empty());
    const std::string query = kestrel::ReplaceKey(e.address, kestrel::PercentEncode(e.name));
    (void)kestrel::IsScriptAddress(query);
    std::string page;
    const std::size_t q = e.address.find('?');
    if (q != std::string::npos) (void)kestrel::BuildPostForm(e.address.substr(0, q), e.address.substr(q + 1), page);
  }
  return 0;
}
