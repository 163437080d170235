// Retranslating the whole interface at a language switch: every text of the
// shipped English.ini into Deutsch, through the cached tables and through a
// fresh read of the files for every lookup.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "language/language.h"
#include "common/textfile.h"

namespace kestrel {
namespace {

std::string LanguageFolder() {
  const char* source = std::getenv("KESTREL_SOURCE_DIR");
  if (source && *source) return std::string(source) + "/data/language/";
  return "data/language/";
}

// The texts as the program shows them (line breaks as CR LF).
std::vector<std::string> EnglishTexts(const std::string& folder) {
  std::vector<std::string> texts;
  auto lines = ReadLanguageLines(folder + "English.ini");
  if (!lines) return texts;
  for (const std::string& line : *lines)
    if (auto e = ParseLanguageLine(line)) texts.push_back(LanguageShownText(e->text));
  return texts;
}

bool HaveTexts(benchmark::State& state, const std::vector<std::string>& texts) {
  if (texts.empty()) state.SkipWithError("no English.ini: set KESTREL_SOURCE_DIR to the source tree");
  return !texts.empty();
}

void BM_TranslateAllCached(benchmark::State& state) {
  const std::string folder = LanguageFolder();
  const std::vector<std::string> texts = EnglishTexts(folder);
  if (!HaveTexts(state, texts)) return;
  CLanguages langs(folder);
  for (auto _ : state)
    for (const std::string& t : texts) benchmark::DoNotOptimize(langs.Translate(t, "English", "Deutsch"));
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(texts.size()));
  state.counters["texts"] = static_cast<double>(texts.size());
}
BENCHMARK(BM_TranslateAllCached)->Unit(benchmark::kMicrosecond);

// The first switch of a run: the tables are read as part of it.
void BM_TranslateAllCachedCold(benchmark::State& state) {
  const std::string folder = LanguageFolder();
  const std::vector<std::string> texts = EnglishTexts(folder);
  if (!HaveTexts(state, texts)) return;
  CLanguages langs(folder);
  for (auto _ : state) {
    langs.Reload();
    for (const std::string& t : texts) benchmark::DoNotOptimize(langs.Translate(t, "English", "Deutsch"));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(texts.size()));
}
BENCHMARK(BM_TranslateAllCachedCold)->Unit(benchmark::kMicrosecond);

// The baseline: each lookup opens and reads the files again.
void BM_TranslateAllUncached(benchmark::State& state) {
  const std::string folder = LanguageFolder();
  const std::vector<std::string> texts = EnglishTexts(folder);
  if (!HaveTexts(state, texts)) return;
  for (auto _ : state)
    for (const std::string& t : texts) benchmark::DoNotOptimize(TranslateUncached(folder, t, "English", "Deutsch"));
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(texts.size()));
}
BENCHMARK(BM_TranslateAllUncached)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel
