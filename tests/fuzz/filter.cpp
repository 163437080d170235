// filter.dat: the two lists read back as they were saved.
#include "fuzz.h"
#include "popups/site_filter.h"

FUZZ_TARGET {
  kestrel::CSiteFilter first;
  first.LoadSiteFilter(fuzz::Scratch(fuzz::Text(data, size)));
  // The matcher must agree with the plain scan on the file's own entries.
  for (const std::string& e : first.White()) FUZZ_CHECK(first.BlackListMatch(e) == kestrel::NaiveListMatch(first.Black(), e));
  for (const std::string& e : first.Black()) FUZZ_CHECK(first.WhiteListMatch(e) == kestrel::NaiveListMatch(first.White(), e));
  const std::string out = fuzz::ScratchPath("output");
  FUZZ_CHECK(first.SaveSiteFilter(out));
  kestrel::CSiteFilter second;
  second.LoadSiteFilter(out);
  FUZZ_CHECK(first.Black() == second.Black());
  FUZZ_CHECK(first.White() == second.White());
  return 0;
}
