// AutoLogin and the form filler at scale: loading an autologin.ini of
// 10,000 entries (each password deciphered), a form data file of 10,000
// entries, the fill data a page gets from it, and one login script.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "common/textfile.h"
#include "forms/autologin.h"
#include "forms/form_data.h"

namespace kestrel {
namespace {

std::string AutoLoginText(int entries) {
  CAutoLoginList list;
  for (int i = 0; i < entries; ++i)
    list.entries().push_back({"Site " + std::to_string(i), "https://login" + std::to_string(i) + ".example/",
                              "login", "user=someone&pass=$password&keep=1", "password-" + std::to_string(i)});
  return list.Format();
}

void BM_LoadAutoLogin10k(benchmark::State& state) {
  const std::string text = AutoLoginText(10000);
  for (auto _ : state) {
    CAutoLoginList list;
    list.Parse(text);
    if (list.entries().size() != 10000 || list.entries().back().password != "password-9999") {
      state.SkipWithError("the list did not read back");
      return;
    }
    benchmark::DoNotOptimize(list.entries().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_LoadAutoLogin10k)->Unit(benchmark::kMillisecond);

std::string FormText(int entries) {
  FormFieldList list;
  for (int i = 0; i < entries; ++i)
    list.push_back({{"field" + std::to_string(i), "alias" + std::to_string(i)},
                    i % 10 ? "value " + std::to_string(i) : "two\nlines " + std::to_string(i)});
  return FormatFormData(list);
}

void BM_LoadFormData10k(benchmark::State& state) {
  const std::string text = FormText(10000);
  for (auto _ : state) {
    FormFieldList list;
    if (ParseFormData(text, list) != 10000) {
      state.SkipWithError("the form data did not read back");
      return;
    }
    benchmark::DoNotOptimize(list.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_LoadFormData10k)->Unit(benchmark::kMillisecond);

// The active file loaded from disk and the fill data a page gets from it.
void BM_LoadActiveFormsAndFillData10k(benchmark::State& state) {
  std::string folder = (std::filesystem::temp_directory_path() / "kestrel-bench-XXXXXX").string();
  if (!mkdtemp(folder.data()) || !WriteFileAtomic(folder + "/big.fmd", FormText(10000))) {
    state.SkipWithError("no scratch folder");
    return;
  }
  for (auto _ : state) {
    CFormData data;
    data.Load(folder + "/", {"big"});
    if (data.entries().size() != 10000 || data.FillPairs().size() < 10000 * 20) {
      state.SkipWithError("the active data did not load");
      break;
    }
    benchmark::DoNotOptimize(data.FillPairs().data());
  }
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
}
BENCHMARK(BM_LoadActiveFormsAndFillData10k)->Unit(benchmark::kMillisecond);

void BM_BuildLoginScript(benchmark::State& state) {
  const AutoLoginEntry e{"Mail", "https://mail.example/login", "login", "user=ann&pass=$password&remember=1",
                         "O'Brien \"q\" \\ </script> Grüße"};
  std::string script;
  for (auto _ : state) {
    if (BuildLoginScript(e, script) != LoginScript::Built) {
      state.SkipWithError("no script");
      return;
    }
    benchmark::DoNotOptimize(script.data());
  }
}
BENCHMARK(BM_BuildLoginScript);

}  // namespace
}  // namespace kestrel
