// The site list and its tab bar on the paths a busy window takes: laying out
// the visible tabs on every paint while pages load, and opening and closing
// sites.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "frame/site_tab_bar.h"

namespace kestrel {
namespace {

std::vector<char> Keys(int n) { return std::vector<char>(static_cast<std::size_t>(n)); }
CKestrelView* Key(std::vector<char>& keys, int i) {
  return reinterpret_cast<CKestrelView*>(&keys[static_cast<std::size_t>(i)]);
}

// A site as the frame shows it: on the list, with its tab's text.
void Show(CSiteList& list, CSiteTabBar& bar, CKestrelView* site, const std::string& text, bool activate) {
  list.Add(site);
  bar.SetTabText(site, text);
  list.Show(site, activate);
}

void BM_TabLayout(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  auto keys = Keys(n);
  CSiteList list;
  CSiteTabBar bar(list);
  bar.SetWidth(1280);
  for (int i = 0; i < n; ++i) Show(list, bar, Key(keys, i), "A page title number " + std::to_string(i), i == n - 1);
  const char* base = keys.data();
  int tick = 0;
  auto status = [&](const CKestrelView* v) {
    const int i = static_cast<int>(reinterpret_cast<const char*>(v) - base);
    return TabStatus{(i + tick) % 102 - 1, i % 7 == 0};
  };
  for (auto _ : state) {
    ++tick;
    benchmark::DoNotOptimize(bar.Layout(status));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TabLayout)->Arg(10)->Arg(200);

void BM_TabAddRemove(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  auto keys = Keys(n);
  CSiteList list;
  CSiteTabBar bar(list);
  bar.SetWidth(1280);
  for (auto _ : state) {
    for (int i = 0; i < n; ++i) Show(list, bar, Key(keys, i), "http://example.org/page", true);
    // Close from the front, the costliest order for a vector of tabs.
    for (int i = 0; i < n; ++i) list.Remove(Key(keys, i));
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_TabAddRemove)->Arg(200);

}  // namespace
}  // namespace kestrel
