// .fmd form files: the entries written read back as the same entries.
#include "forms/form_data.h"
#include "fuzz.h"

FUZZ_TARGET {
  kestrel::FormFieldList first, second;
  const int count = kestrel::ParseFormData(fuzz::Text(data, size), first);
  FUZZ_CHECK(count == static_cast<int>(first.size()));
  FUZZ_CHECK(kestrel::ParseFormData(kestrel::FormatFormData(first), second) == count);
  FUZZ_CHECK(first == second);
  return 0;
}
