// Hot paths of the foundation: the password cipher, field splitting, and
// reading a whole profile into the settings.
#include <benchmark/benchmark.h>

#include <string>

#include "common/cipher.h"
#include "common/strings.h"
#include "platform/profile.h"
#include "settings/store.h"

namespace kestrel {
namespace {

void BM_EncipherDecipher(benchmark::State& state) {
  std::string password(static_cast<std::size_t>(state.range(0)), 'p');
  for (auto _ : state) benchmark::DoNotOptimize(DecipherPassword(EncipherPassword(password)));
}
BENCHMARK(BM_EncipherDecipher)->Arg(8)->Arg(64);

void BM_SplitFields(benchmark::State& state) {
  std::string text;
  for (int i = 0; i < state.range(0); ++i) text += "field" + std::to_string(i) + ";;";
  for (auto _ : state) benchmark::DoNotOptimize(SplitFields(text, ';'));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SplitFields)->Arg(10)->Arg(1000);

void BM_ProfileParseAndLoadSettings(benchmark::State& state) {
  RegistryProfile seed;
  Settings defaults;
  SettingsLists none;
  SettingsStore(seed, defaults).SaveSettings(none, nullptr);
  for (int i = 0; i < state.range(0); ++i)
    seed.SetString("HKEY_CURRENT_USER\\Software\\Corvana\\Kestrel\\Extra", "value" + std::to_string(i), "text");
  const std::string text = seed.Serialize();
  for (auto _ : state) {
    RegistryProfile p;
    p.Parse(text);
    Settings s;
    SettingsLists lists;
    SettingsStore(p, s).LoadSettings(lists);
    benchmark::DoNotOptimize(s.RunCount);
  }
}
BENCHMARK(BM_ProfileParseAndLoadSettings)->Arg(0)->Arg(10000);

}  // namespace
}  // namespace kestrel
