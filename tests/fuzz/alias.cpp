// alias.txt: the list saved reads back as the same entries, and every entry
// read is one the list can store.
#include "address/alias.h"
#include "fuzz.h"

FUZZ_TARGET {
  kestrel::AliasList first;
  first.LoadAliases(fuzz::Scratch(fuzz::Text(data, size)));
  for (const kestrel::AliasEntry& e : first.entries()) {
    FUZZ_CHECK(kestrel::CanStoreAlias(e));
    FUZZ_CHECK(e.alias.empty() || !first.LookupAlias(e.alias).empty());
  }
  const std::string out = fuzz::ScratchPath("output");
  FUZZ_CHECK(first.SaveAliases(out) == 0);
  kestrel::AliasList second;
  second.LoadAliases(out);
  FUZZ_CHECK(first.entries() == second.entries());
  return 0;
}
