// The site filter's matcher at a hundred thousand entries: the memory it
// takes per entry byte and the time to answer an address. Before any figure
// it checks that it answers like the plain scan (a few bytes per entry byte
// at most: no wide table per node); otherwise the benchmark stops with an error.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "popups/site_filter.h"

namespace kestrel {
namespace {

void BM_FilterMatcherHundredThousandEntries(benchmark::State& state) {
  std::mt19937 rng(7);
  const char* tlds[] = {".com", ".net", ".example", ".org", ".co.uk"};
  const char* words[] = {"ads", "track", "pop", "banner", "click", "cdn", "media", "stat", "promo", "img"};
  std::vector<std::string> entries;
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < 100000; ++i) {
    const std::string w = words[rng() % 10];
    if (i % 3 == 0) entries.push_back(w + std::to_string(rng() % 100000) + tlds[rng() % 5]);
    else if (i % 3 == 1) entries.push_back("/" + w + "/" + std::to_string(rng() % 1000000) + ".js");
    else entries.push_back(w + "." + words[rng() % 10] + std::to_string(i) + tlds[rng() % 5]);
    bytes += entries.back().size();
  }
  const SubstringMatcher matcher(entries);
  // Addresses that hold no entry, hold one, or almost hold one.
  std::vector<std::string> addresses;
  rng.seed(11);
  for (int i = 0; i < 60; ++i) {
    addresses.push_back("http://www.site" + std::to_string(i) + ".example/page?id=" + std::to_string(rng()));
    addresses.push_back("http://" + entries[rng() % entries.size()] + "/x");
    std::string near = entries[rng() % entries.size()];
    near.back() = '#';
    addresses.push_back("https://q.example/" + near);
  }
  std::size_t hits = 0;
  for (const std::string& a : addresses) {
    const bool expected = NaiveListMatch(entries, a);
    hits += expected;
    if (matcher.Matches(a) != expected) {
      state.SkipWithError(("the matcher and the plain scan disagree on " + a).c_str());
      return;
    }
  }
  if (hits < 60 || hits >= addresses.size() || matcher.memoryBytes() > 12 * bytes) {
    state.SkipWithError("hits out of range, or more than 12 bytes per entry byte");
    return;
  }
  for (auto _ : state)
    for (const std::string& a : addresses) benchmark::DoNotOptimize(matcher.Matches(a));
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(addresses.size()));
  state.counters["bytes per entry byte"] = static_cast<double>(matcher.memoryBytes()) / static_cast<double>(bytes);
}
BENCHMARK(BM_FilterMatcherHundredThousandEntries)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kestrel
