// The TypedURLs key: each input line is a value ("name=text", or "name#n"
// for a number); the list read from it and saved reads back the same.
#include "address/typed_urls.h"
#include "fuzz.h"

using kestrel::kTypedUrlsKey;

FUZZ_TARGET {
  kestrel::RegistryProfile profile;
  std::string_view rest = fuzz::Text(data, size);
  while (!rest.empty()) {
    const std::size_t nl = rest.find('\n');
    const std::string_view line = rest.substr(0, nl);
    rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
    const std::size_t at = line.find_first_of("=#");
    if (at == std::string_view::npos) continue;
    if (line[at] == '=')
      profile.SetString(kTypedUrlsKey, line.substr(0, at), std::string(line.substr(at + 1)));
    else
      profile.SetDword(kTypedUrlsKey, line.substr(0, at), static_cast<std::uint32_t>(line.size()));
  }
  kestrel::TypedUrlList first;
  first.Load(profile);
  for (const std::string& item : first.items()) FUZZ_CHECK(!item.empty() && item.size() <= first.kItemMax);
  FUZZ_CHECK(first.Save(profile));
  kestrel::TypedUrlList second;
  second.Load(profile);
  FUZZ_CHECK(first.items() == second.items());
  return 0;
}
