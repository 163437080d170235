// A history of 100,000 visits and a Favorites folder of 5,000 shortcuts in
// 200 folders, each against the naive way in the same run: recording one
// visit (SQLite against rewriting a whole history file), building the
// History pane, one completion query (the address index against a scan),
// and the Favorites menu's first level (one folder against the whole tree).
// Each checks its result first; a wrong one stops it with an error.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "collections/favorites.h"
#include "collections/history.h"
#include "common/strings.h"
#include "common/textfile.h"
#include "platform/history_store.h"
#include "scratch_folder.h"

namespace kestrel {
namespace {

constexpr int kVisits = 100000;
constexpr std::int64_t kNow = 1796000000;  // a Wednesday of 2026

const ScratchFolder& Folder() {
  static const ScratchFolder s;
  return s;
}

std::string Url(int i) { return "https://host" + std::to_string(i % 700) + ".test/page/" + std::to_string(i); }

// 100,000 addresses on 700 hosts over the last ten weeks.
HistoryStore& BigHistory() {
  static std::unique_ptr<HistoryStore> store = [] {
    auto s = OpenSqliteHistory(Folder().path + "/history.sqlite");
    for (int i = 0; i < kVisits; ++i) s->AddVisit(Url(i), "Page " + std::to_string(i), kNow - (i % 70) * 86400 - i % 3600);
    return s;
  }();
  return *store;
}

void BM_HistoryRecordVisit(benchmark::State& state) {
  HistoryStore& h = BigHistory();
  int i = kVisits;
  for (auto _ : state)
    if (!h.AddVisit(Url(i++), "New", kNow)) state.SkipWithError("not written");
}
BENCHMARK(BM_HistoryRecordVisit)->Unit(benchmark::kMicrosecond);

// The naive way to keep history safe on disk: the whole list written again, atomically, at each visit.
void BM_HistoryRecordVisitNaiveRewrite(benchmark::State& state) {
  std::vector<std::string> lines;
  for (int i = 0; i < kVisits; ++i) lines.push_back(Url(i) + "\tPage\t" + std::to_string(kNow));
  const std::string path = Folder().path + "/history.txt";
  for (auto _ : state) {
    lines.push_back(Url(static_cast<int>(lines.size())) + "\tNew\t" + std::to_string(kNow));
    if (!WriteFileAtomic(path, JoinLines(lines, "\n"))) state.SkipWithError("not written");
  }
}
BENCHMARK(BM_HistoryRecordVisitNaiveRewrite)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_HistoryPaneBuild(benchmark::State& state) {
  HistoryStore& h = BigHistory();
  for (auto _ : state) {
    const std::vector<HistoryDay> tree = BuildHistoryTree(h.Recent(kVisits * 2), kNow);
    if (tree.size() < 8) state.SkipWithError("groups missing");
    benchmark::DoNotOptimize(tree.data());
  }
}
BENCHMARK(BM_HistoryPaneBuild)->Unit(benchmark::kMillisecond);

// The pane built by finding each group with a walk along the list.
void BM_HistoryPaneBuildNaive(benchmark::State& state) {
  HistoryStore& h = BigHistory();
  for (auto _ : state) {
    int weekday = 0;
    const std::int64_t today = LocalMidnight(kNow, &weekday);
    std::vector<HistoryDay> days;
    for (const HistoryEntry& v : h.Recent(kVisits * 2)) {
      const std::optional<std::string> host = HistoryHostGroup(v.url);
      if (!host) continue;
      const HistoryDateGroup g = DateGroupOf(LocalMidnight(v.time), today, weekday);
      auto day = std::find_if(days.begin(), days.end(), [&](const HistoryDay& d) { return d.group.key == g.key; });
      if (day == days.end()) day = days.insert(days.end(), HistoryDay{g, {}});
      auto hit = std::find_if(day->hosts.begin(), day->hosts.end(),
                              [&](const HistoryHost& x) { return EqualsNoCase(x.text, *host); });
      if (hit == day->hosts.end()) hit = day->hosts.insert(day->hosts.end(), HistoryHost{*host, {}});
      hit->pages.push_back(v);
    }
    std::sort(days.begin(), days.end(), [](const HistoryDay& a, const HistoryDay& b) { return a.group.key < b.group.key; });
    if (days.size() < 8) state.SkipWithError("groups missing");
    benchmark::DoNotOptimize(days.data());
  }
}
BENCHMARK(BM_HistoryPaneBuildNaive)->Unit(benchmark::kMillisecond);

void BM_HistoryComplete(benchmark::State& state) {
  HistoryStore& h = BigHistory();
  for (auto _ : state)
    if (h.Complete("host42.test/page/4", 12).size() != 12) state.SkipWithError("wrong completions");
}
BENCHMARK(BM_HistoryComplete)->Unit(benchmark::kMicrosecond);

// Completion by reading every address and keeping those that match.
void BM_HistoryCompleteNaiveScan(benchmark::State& state) {
  HistoryStore& h = BigHistory();
  for (auto _ : state) {
    std::vector<std::string> out;
    for (const HistoryEntry& e : h.Recent(kVisits * 2))
      if (e.url.rfind("https://host42.test/page/4", 0) == 0 && out.size() < 12) out.push_back(e.url);
    if (out.size() != 12) state.SkipWithError("wrong completions");
  }
}
BENCHMARK(BM_HistoryCompleteNaiveScan)->Unit(benchmark::kMillisecond);

// 200 folders of 25 shortcuts.
const std::string& BigFavorites() {
  static const std::string root = [] {
    const std::string r = Folder().path + "/Favorites";
    for (int f = 0; f < 200; ++f) {
      const std::string folder = r + "/Folder " + std::to_string(f);
      MakeDirectories(folder);
      for (int i = 0; i < 25; ++i) WriteShortcut(folder + "/Page " + std::to_string(i) + ".url", Url(f * 25 + i));
    }
    return r;
  }();
  return root;
}

void BM_FavoritesMenuFirstLevel(benchmark::State& state) {
  const std::string& root = BigFavorites();
  for (auto _ : state) {
    const std::vector<FavoritesMenuItem> items = FavoritesPopup(ListFavorites(root), true, 30);
    if (items.size() != 207) state.SkipWithError("wrong first level");
  }
}
BENCHMARK(BM_FavoritesMenuFirstLevel)->Unit(benchmark::kMillisecond);

// Every submenu filled at once, as a menu built whole would be.
void BM_FavoritesMenuWholeTree(benchmark::State& state) {
  const std::string& root = BigFavorites();
  for (auto _ : state) {
    const Bookmark tree = ReadFavoritesTree(root);
    if (tree.children.size() != 200) state.SkipWithError("wrong tree");
  }
}
BENCHMARK(BM_FavoritesMenuWholeTree)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel
