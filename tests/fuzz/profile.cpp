// The profile file (REGEDIT4): whatever it holds, what the program writes
// back reads as the same tree.
#include "fuzz.h"
#include "platform/profile.h"

namespace {

// The tree through the interface the program uses, not the codec's own view.
void Dump(const kestrel::Profile& p, const std::string& key, std::string& out) {
  out += "[" + key + "]\n";
  for (const std::string& name : p.ValueNames(key)) {
    const kestrel::RegValue* v = p.Find(key, name);
    FUZZ_CHECK(v);
    out += name + "=" + std::to_string(static_cast<int>(v->type)) + ":" + v->text + ":" + std::to_string(v->dword) +
           ":" + std::string(v->bytes.begin(), v->bytes.end()) + "\n";
  }
  for (const std::string& sub : p.SubKeys(key)) Dump(p, key + "\\" + sub, out);
}

std::string Dump(const kestrel::Profile& p) {
  std::string out;
  for (const char* root : {"HKEY_CURRENT_USER", "HKEY_CLASSES_ROOT", "HKEY_LOCAL_MACHINE"}) Dump(p, root, out);
  return out;
}

}  // namespace

FUZZ_TARGET {
  kestrel::RegistryProfile first;
  if (!first.Parse(fuzz::Text(data, size))) {
    FUZZ_CHECK(first.Empty());
    return 0;
  }
  const std::string written = first.Serialize();
  kestrel::RegistryProfile second;
  FUZZ_CHECK(second.Parse(written));
  FUZZ_CHECK(Dump(first) == Dump(second));
  FUZZ_CHECK(second.Serialize() == written);
  return 0;
}
