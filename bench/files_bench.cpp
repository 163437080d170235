// Large files and large profiles: reading a text file of a million lines
// and one of a single 24 MB line (about 54 MB on disk), and saving and
// loading a profile of 10,000 values. Each first checks that it read what
// was written; a wrong result stops the benchmark with an error instead of
// a figure.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/textfile.h"
#include "scratch_folder.h"
#include "platform/profile.h"

namespace kestrel {
namespace {

const ScratchFolder& Scratch() {
  static const ScratchFolder folder;
  return folder;
}

void BM_ReadTextLinesMillionLines(benchmark::State& state) {
  std::string many;
  for (int i = 0; i < 1000000; ++i) many += "line number " + std::to_string(i) + " of many\r\n";
  const std::string path = Scratch().Write("many.txt", many);  // about 30 MB
  const TextReadOptions cut{16, LongLines::Cut, true};
  const auto lines = ReadTextLines(path, cut);
  if (!lines || lines->size() != 1000000u || lines->back() != "line number 9999") {
    state.SkipWithError("the million lines did not read back cut at 16 bytes");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(ReadTextLines(path, cut));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(many.size()));
}
BENCHMARK(BM_ReadTextLinesMillionLines)->Unit(benchmark::kMillisecond);

void BM_ReadTextLinesOneHugeLine(benchmark::State& state) {
  const std::size_t size = 24u << 20;
  const std::string path = Scratch().Write("one.txt", std::string(size, 'q'));  // one line, no break
  const TextReadOptions cut{1024, LongLines::Cut, true}, pieces{1024, LongLines::Pieces, true};
  const auto whole = ReadTextLines(path, cut);
  const auto parts = ReadTextLines(path, pieces);
  if (!whole || *whole != std::vector<std::string>{std::string(1024, 'q')} || !parts || parts->size() != 24u * 1024) {
    state.SkipWithError("the 24 MB line did not read back as one cut line and as 1 KiB pieces");
    return;
  }
  const bool inPieces = state.range(0) != 0;
  for (auto _ : state) benchmark::DoNotOptimize(ReadTextLines(path, inPieces ? pieces : cut));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size));
}
BENCHMARK(BM_ReadTextLinesOneHugeLine)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ProfileTenThousandValues(benchmark::State& state) {
  const std::string settings = "HKEY_CURRENT_USER\\Software\\Corvana\\Kestrel\\Settings",
                    bands = "HKEY_CURRENT_USER\\Software\\Corvana\\Kestrel\\Bands";
  RegistryProfile p;
  for (int i = 0; i < 10000; ++i) {
    p.SetDword(settings + "\\Group" + std::to_string(i % 50), "Value" + std::to_string(i), i);
    p.SetString(bands, "Name" + std::to_string(i), std::to_string(i));
  }
  const std::string text = p.Serialize();
  RegistryProfile q;
  if (!q.Parse(text) || q.ValueNames(bands).size() != 10000u || q.GetDword(settings + "\\group7", "value9957") != 9957u ||
      q.GetString(bands, "name4242") != "4242" || q.Serialize() != text) {
    state.SkipWithError("10,000 values did not come back as saved");
    return;
  }
  for (auto _ : state) {
    RegistryProfile back;
    back.Parse(p.Serialize());
    benchmark::DoNotOptimize(back.Empty());
  }
}
BENCHMARK(BM_ProfileTenThousandValues)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel
