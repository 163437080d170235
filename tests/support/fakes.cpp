#include "support/fakes.h"

#include <algorithm>

namespace kestrel {

void PrintTo(const RegValue& v, std::ostream* os) {
  switch (v.type) {
    case RegType::String:
      *os << "string \"" << v.text << "\"";
      break;
    case RegType::Dword:
      *os << "dword " << v.dword;
      break;
    case RegType::Binary:
      *os << "binary of " << v.bytes.size() << " bytes";
      break;
  }
}

void PrintTo(const AliasEntry& e, std::ostream* os) { *os << "{\"" << e.alias << "\", \"" << e.fullText << "\"}"; }

}  // namespace kestrel

namespace kestrel::test {

int FakeDialogs::count(const std::string& name) const {
  return static_cast<int>(std::count(shown.begin(), shown.end(), name));
}

bool FakeHost::has(const std::string& call) const { return indexOf(call) >= 0; }

int FakeHost::indexOf(const std::string& call) const {
  auto it = std::find(calls.begin(), calls.end(), call);
  return it == calls.end() ? -1 : static_cast<int>(it - calls.begin());
}

}  // namespace kestrel::test
