// Typed text: the first line is an alias definition, the rest what is typed.
// Whatever it resolves to, a script address is never opened.
#include "address/resolver.h"
#include "address/search_engines.h"
#include "common/strings.h"
#include "fuzz.h"
#include "platform/address_fixup.h"

namespace {

// The scheme the engine sees: the control fixes the address up, and the
// engine's URL parser drops tabs and line breaks.
std::string EngineScheme(std::string_view address) {
  std::string s;
  for (char c : kestrel::FixupAddress(address))
    if (c != '\t' && c != '\n' && c != '\r') s += c;
  std::size_t b = 0;
  while (b < s.size() && static_cast<unsigned char>(s[b]) <= 0x20) ++b;
  return kestrel::UrlScheme(std::string_view(s).substr(b));
}

}  // namespace

FUZZ_TARGET {
  const std::string_view input = fuzz::Text(data, size);
  const std::size_t nl = input.find('\n');
  kestrel::AliasList aliases;
  aliases.Replace({kestrel::ParseAliasLine(input.substr(0, nl))});
  const std::string typed = kestrel::Trim(nl == std::string_view::npos ? std::string_view() : input.substr(nl + 1));
  if (typed.empty()) return 0;
  const kestrel::Resolution r = kestrel::ResolveTypedText(typed, aliases);
  if (r.kind != kestrel::Resolution::Kind::Address) return 0;
  const std::string scheme = EngineScheme(r.text);
  for (auto source : {kestrel::TypedSource::User, kestrel::TypedSource::OtherProcess}) {
    const auto safety = kestrel::CheckTypedAddress(r.text, source);
    if (scheme == "javascript" || scheme == "vbscript") FUZZ_CHECK(safety == kestrel::AddressSafety::Refuse);
  }
  return 0;
}
