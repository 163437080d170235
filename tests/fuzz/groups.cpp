// .sgp group files: the lines written read back as the same lines.
#include "collections/site_groups.h"
#include "fuzz.h"

FUZZ_TARGET {
  const auto first = kestrel::ReadGroupFile(fuzz::Scratch(fuzz::Text(data, size)), kestrel::kGroupEditLineMax);
  FUZZ_CHECK(first);
  const std::string out = fuzz::ScratchPath("output");
  FUZZ_CHECK(kestrel::WriteGroupFile(out, *first));
  FUZZ_CHECK(kestrel::ReadGroupFile(out, kestrel::kGroupEditLineMax) == first);
  (void)kestrel::LocationsForGroup(*first);
  return 0;
}
