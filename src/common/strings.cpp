#include "common/strings.h"

#include <locale.h>

#include <cwctype>

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

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

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

std::string RemoveAccelerators(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      out.push_back(text[i]);
    } else if (i + 1 < text.size() && text[i + 1] == '&') {
      out.append("&&");
      ++i;
    }
  }
  return out;
}

namespace {

// The lead byte's sequence length and the code point; 0 for a byte that
// starts no valid sequence.
std::size_t DecodeUtf8(std::string_view s, std::size_t i, char32_t& cp) {
  const auto b = static_cast<unsigned char>(s[i]);
  std::size_t n = b < 0x80 ? 1 : b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  cp = n == 1 ? b : n == 2 ? b & 0x1F : n == 3 ? b & 0x0F : b & 0x07;
  for (std::size_t k = 1; k < n; ++k) {
    const auto c = static_cast<unsigned char>(s[i + k]);
    if ((c & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (c & 0x3F);
  }
  // Overlong forms, surrogates and values past Unicode are no characters.
  static const char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

void EncodeUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

std::string LowerUtf8(std::string_view text) {
  // The C library's built-in UTF-8 locale knows every letter's lower case,
  // whatever locale the process runs in.
  static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    const std::size_t n = DecodeUtf8(text, i, cp);
    if (n == 0) {
      out.push_back(text[i++]);
      continue;
    }
    if (cp < 0x80)
      out.push_back(static_cast<char>(cp >= 'A' && cp <= 'Z' ? cp + 32 : cp));
    else
      EncodeUtf8(utf8 ? static_cast<char32_t>(towlower_l(static_cast<wint_t>(cp), utf8)) : cp, out);
    i += n;
  }
  return out;
}

void AppendUtf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

}  // namespace kestrel
