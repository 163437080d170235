#include <benchmark/benchmark.h>

#include "address/resolver.h"

namespace kestrel {
namespace {

AliasList ThousandAliases() {
  std::vector<AliasEntry> entries;
  for (int i = 0; i < 1000; ++i) entries.push_back({"alias" + std::to_string(i), "site" + std::to_string(i) + ".example"});
  AliasList list;
  list.Replace(std::move(entries));
  return list;
}

// The worst case walks every alias and every keyword before it is searched.
void BM_ResolveWith1000Aliases(benchmark::State& state) {
  const AliasList aliases = ThousandAliases();
  const char* texts[] = {"alias999", "kestrel browser download", "desktop", "example.org/path", "plainword"};
  for (auto _ : state)
    for (const char* t : texts) benchmark::DoNotOptimize(ResolveTypedText(t, aliases));
  state.SetItemsProcessed(state.iterations() * 5);
}
BENCHMARK(BM_ResolveWith1000Aliases);

}  // namespace
}  // namespace kestrel
