#include <benchmark/benchmark.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "popups/click_tracker.h"
#include "popups/site_filter.h"

namespace kestrel {
namespace {

// Black-list-like fragments: host names, paths of ad scripts, sub-domains.
// Same seed, same list, every run.
const std::vector<std::string>& Fragments(std::size_t count) {
  static std::map<std::size_t, std::vector<std::string>> cache;
  auto& out = cache[count];
  if (!out.empty()) return out;
  std::mt19937 rng(1234);
  const char* tlds[] = {".com", ".net", ".example", ".org", ".co.uk", ".de"};
  const char* words[] = {"ads", "track", "pop", "banner", "click", "cdn", "media", "stat", "promo", "img", "counter"};
  for (std::size_t i = 0; i < count; ++i) {
    const std::string w = words[rng() % 11], v = words[rng() % 11];
    switch (i % 3) {
      case 0: out.push_back(w + std::to_string(rng() % 100000) + tlds[rng() % 6]); break;
      case 1: out.push_back("/" + w + "/" + std::to_string(rng() % 1000000) + ".js"); break;
      default: out.push_back(w + "." + v + std::to_string(i) + tlds[rng() % 6] + "/" + w);
    }
  }
  return out;
}

// What navigations look like: most addresses are listed nowhere; the last
// one holds an entry of the list.
std::vector<std::string> Addresses(const std::vector<std::string>& list) {
  return {"http://www.debian.org/doc/manuals/debian-reference/ch01.en.html",
          "https://news.example.com/2024/06/11/story-of-the-day?utm_source=feed&utm_medium=rss",
          "https://www.google.com/search?q=kestrel+browser+download&ie=utf-8&oe=utf-8",
          "http://shop.example.net/cart/checkout.php?session=8f3a9c1e77d04b2b&step=2",
          "https://cdn.static.example.org/assets/js/app.min.js?v=20240611",
          "https://mail.example.de/inbox/message/123456789/attachments/photo.jpeg",
          "http://forum.example.co.uk/viewtopic.php?t=99887&start=150#p1234567",
          "http://x.example/frame?src=" + list[list.size() / 2]};
}

void BM_FilterMatcher(benchmark::State& state) {
  const auto& list = Fragments(static_cast<std::size_t>(state.range(0)));
  const SubstringMatcher matcher(list);
  const auto addresses = Addresses(list);
  for (auto _ : state)
    for (const std::string& a : addresses) benchmark::DoNotOptimize(matcher.Matches(a));
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(addresses.size()));
  state.counters["bytes"] = static_cast<double>(matcher.memoryBytes());
}
BENCHMARK(BM_FilterMatcher)->Arg(10)->Arg(1000)->Arg(100000);

void BM_FilterNaiveScan(benchmark::State& state) {
  const auto& list = Fragments(static_cast<std::size_t>(state.range(0)));
  const auto addresses = Addresses(list);
  for (auto _ : state)
    for (const std::string& a : addresses) benchmark::DoNotOptimize(NaiveListMatch(list, a));
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(addresses.size()));
}
BENCHMARK(BM_FilterNaiveScan)->Arg(10)->Arg(1000)->Arg(100000);

// The cost of the first match after the list changed.
void BM_FilterMatcherBuild(benchmark::State& state) {
  const auto& list = Fragments(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    SubstringMatcher matcher(list);
    benchmark::DoNotOptimize(matcher);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FilterMatcherBuild)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// The whole judgement of one new window: the click that explains it (timing
// test), then the black and white lists over its address, with the lists as
// the program holds them and with a scan entry by entry.
template <bool Naive>
void PopupDecision(benchmark::State& state) {
  const auto& list = Fragments(static_cast<std::size_t>(state.range(0)));
  CSiteFilter filter;
  filter.SetBlack(list);
  filter.SetWhite({list.begin(), list.begin() + static_cast<std::ptrdiff_t>(list.size() / 10 + 1)});
  const auto addresses = Addresses(list);
  ClickTracker clicks;
  std::int64_t now = 0;
  int id = 0;
  for (auto _ : state)
    for (const std::string& a : addresses) {
      clicks.Press(++id, false, now);
      clicks.Target(id, "div", false);
      now += 700;
      bool suspect = false;
      clicks.NewWindow(now, true, [&](bool s) { suspect = s; });
      const bool black = Naive ? NaiveListMatch(filter.Black(), a) : filter.BlackListMatch(a);
      const bool white = Naive ? NaiveListMatch(filter.White(), a) : filter.WhiteListMatch(a);
      benchmark::DoNotOptimize((suspect || black) && !white);
    }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(addresses.size()));
}
void BM_PopupDecision(benchmark::State& state) { PopupDecision<false>(state); }
void BM_PopupDecisionNaive(benchmark::State& state) { PopupDecision<true>(state); }
BENCHMARK(BM_PopupDecision)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_PopupDecisionNaive)->Arg(10)->Arg(1000)->Arg(100000);

}  // namespace
}  // namespace kestrel
