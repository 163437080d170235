#include "common/strings.h"

namespace kestrel {

bool IsBlank(char c) { return c == ' ' || (c >= 9 && c <= 13); }

std::string Trim(std::string_view text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}

namespace {

bool IsSeparator(char c, char sep) { return sep == 0 ? IsBlank(c) : c == sep; }

// Calls `visit(field)` for each field in order until it returns false.
template <typename Visit>
void ForEachField(std::string_view text, char sep, Visit visit) {
  std::size_t pos = 0;
  const std::size_t size = text.size();
  while (pos < size) {
    while (pos < size && IsSeparator(text[pos], sep)) ++pos;
    if (pos == size) return;
    std::size_t end = pos;
    while (end < size && !IsSeparator(text[end], sep)) ++end;
    if (!visit(text.substr(pos, end - pos))) return;
    pos = end;
  }
}

}  // namespace

std::string GetField(std::string_view text, int index, char sep) {
  std::string result;
  if (index < 0) return result;
  int n = 0;
  ForEachField(text, sep, [&](std::string_view field) {
    if (n++ < index) return true;
    result.assign(field);
    return false;
  });
  return result;
}

int CountFields(std::string_view text, char sep) {
  int n = 0;
  ForEachField(text, sep, [&](std::string_view) { return ++n, true; });
  return n;
}

std::vector<std::string> SplitFields(std::string_view text, char sep) {
  std::vector<std::string> fields;
  ForEachField(text, sep, [&](std::string_view field) { return fields.emplace_back(field), true; });
  return fields;
}

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string ToLowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = FoldAscii(c);
  return out;
}

std::string ToUpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

int CompareNoCase(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    // Bytes compare unsigned, as strcmp does, so UTF-8 sorts after ASCII.
    const int x = static_cast<unsigned char>(FoldAscii(a[i]));
    const int y = static_cast<unsigned char>(FoldAscii(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::string HexUpper(const std::vector<std::uint8_t>& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (std::uint8_t b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

bool ParseHex(std::string_view hex, std::vector<std::uint8_t>& out) {
  if (hex.size() % 2 != 0) return false;
  std::vector<std::uint8_t> bytes;
  bytes.reserve(hex.size() / 2);
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int hi = HexValue(hex[i]), lo = HexValue(hex[i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes.push_back(static_cast<std::uint8_t>(hi << 4 | lo));
  }
  out = std::move(bytes);
  return true;
}

}  // namespace kestrel
