// autologin.ini: the list written reads back as the same entries, and each
// entry's login script can be built.
#include "forms/autologin.h"
#include "fuzz.h"

FUZZ_TARGET {
  kestrel::CAutoLoginList first;
  first.Parse(fuzz::Text(data, size));
  std::string script;
  for (const kestrel::AutoLoginEntry& e : first.entries()) {
    (void)kestrel::BuildLoginScript(e, script);
    (void)kestrel::SameLoginOrigin(e.url, e.formName);
  }
  kestrel::CAutoLoginList second;
  second.Parse(first.Format());
  FUZZ_CHECK(first.entries() == second.entries());
  return 0;
}
