#include "platform/address_fixup.h"

#include <algorithm>

#include "common/strings.h"

namespace kestrel {

std::string UrlScheme(std::string_view s, std::size_t minLength) {
  // By the URL grammar: a letter, then letters, digits, + - .
  std::size_t i = 0;
  if (s.empty() || !((s[0] >= 'a' && s[0] <= 'z') || (s[0] >= 'A' && s[0] <= 'Z'))) return {};
  while (i < s.size()) {
    char c = s[i];
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' || c == '-' ||
              c == '.';
    if (!ok) break;
    ++i;
  }
  if (i >= s.size() || s[i] != ':' || i < minLength) return {};
  return ToLowerAscii(s.substr(0, i));
}

namespace {

std::string Slashes(std::string s) {
  std::replace(s.begin(), s.end(), '\\', '/');
  return s;
}

}  // namespace

std::string FixupAddress(std::string_view raw) {
  std::string line = Trim(raw);
  if (line.size() >= 2 && line.front() == '"' && line.back() == '"') line = Trim(line.substr(1, line.size() - 2));
  if (line.empty()) return {};
  std::string scheme = UrlScheme(line, 2);
  if (!scheme.empty()) {
    // "host:port/path" has no scheme even though it looks like one.
    std::string rest = line.substr(scheme.size() + 1);
    bool portLike = !rest.empty() && rest[0] >= '0' && rest[0] <= '9';
    if (!portLike) return line;
  }
  if (line[0] == '/') return "file://" + line;
  // A share name ("\\server\share") is what the desktop's file manager reaches over SMB.
  if (line.size() > 2 && line[0] == '\\' && line[1] == '\\') return "smb://" + Slashes(line.substr(2));
  // A drive path keeps its letter; there are no drives here, so it comes back as not found.
  if (line.size() >= 2 && line[1] == ':' && ((line[0] | 0x20) >= 'a' && (line[0] | 0x20) <= 'z'))
    return "file:///" + Slashes(line);
  return "http://" + line;
}

}  // namespace kestrel
