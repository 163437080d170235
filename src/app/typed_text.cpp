#include "app/typed_text.h"

#include "common/strings.h"

namespace kestrel {

std::vector<std::string> SplitTypedLines(std::string_view text) {
  std::vector<std::string> out;
  for (const std::string& field : SplitFields(text, '\n')) {
    std::string line = Trim(field);
    if (!line.empty()) out.push_back(std::move(line));
  }
  return out;
}

namespace {

// "scheme:" at the start, by the URL grammar: a letter, then letters, digits, + - .
std::string SchemeOf(std::string_view s) {
  std::size_t i = 0;
  if (s.empty() || !((s[0] >= 'a' && s[0] <= 'z') || (s[0] >= 'A' && s[0] <= 'Z'))) return {};
  while (i < s.size()) {
    char c = s[i];
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' || c == '-' ||
              c == '.';
    if (!ok) break;
    ++i;
  }
  if (i >= s.size() || s[i] != ':' || i < 2) return {};  // "c:" is a drive, not a scheme
  return ToLowerAscii(s.substr(0, i));
}

}  // namespace

std::string AddressForTypedLine(std::string_view raw) {
  std::string line = Trim(raw);
  if (line.empty() || line.find('\0') != std::string::npos) return {};
  // A quoted path keeps its quotes on the command line; an address does not want them.
  if (line.size() >= 2 && line.front() == '"' && line.back() == '"') line = Trim(line.substr(1, line.size() - 2));
  if (line.empty()) return {};
  std::string scheme = SchemeOf(line);
  if (scheme == "javascript" || scheme == "vbscript") return {};
  if (!scheme.empty()) {
    // "host:port/path" has no scheme even though it looks like one.
    std::string rest = line.substr(scheme.size() + 1);
    bool portLike = !rest.empty() && rest[0] >= '0' && rest[0] <= '9';
    if (!portLike) return line;
  }
  if (line[0] == '/') return "file://" + line;
  return "http://" + line;
}

}  // namespace kestrel
