#include "common/script_text.h"

#include <cstdint>
#include <cstdio>

#include "common/strings.h"

namespace kestrel {

namespace {

void AppendEscape(std::string& out, std::uint32_t unit) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(unit & 0xFFFF));
  out += buf;
}

// Length of the well-formed UTF-8 sequence at `i` and its code point; 0 when
// the byte there starts none.
std::size_t Utf8At(std::string_view s, std::size_t i, std::uint32_t& cp) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = b(i);
  std::size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  cp = c & (n == 2 ? 0x1F : n == 3 ? 0x0F : 0x07);
  for (std::size_t k = 1; k < n; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(i + k) & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
  if ((n == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
    return 0;
  return n;
}

}  // namespace

std::string ScriptString(std::string_view text, char quote) {
  std::string out;
  out.reserve(text.size() + 2);
  out += quote;
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      if (c < 0x20 || c == 0x7F || c == '\'' || c == '"' || c == '\\' || c == '<' || c == '>' || c == '&')
        AppendEscape(out, c);
      else
        out += static_cast<char>(c);
      ++i;
      continue;
    }
    std::uint32_t cp = 0;
    const std::size_t n = Utf8At(text, i, cp);
    if (n == 0) {
      AppendEscape(out, c);  // a stray byte, read as Latin-1
      ++i;
    } else if (cp == 0x2028 || cp == 0x2029) {
      AppendEscape(out, cp);
      i += n;
    } else {
      out.append(text.substr(i, n));
      i += n;
    }
  }
  out += quote;
  return out;
}

std::optional<std::vector<std::string>> ParseJsonStrings(std::string_view json) {
  std::size_t i = 0;
  const auto skip = [&] {
    while (i < json.size() && (json[i] == ' ' || json[i] == '\t' || json[i] == '\n' || json[i] == '\r')) ++i;
  };
  const auto hex4 = [&](std::uint32_t& v) {
    if (i + 4 > json.size()) return false;
    v = 0;
    for (int k = 0; k < 4; ++k) {
      const char h = json[i++];
      v <<= 4;
      if (h >= '0' && h <= '9') v |= static_cast<std::uint32_t>(h - '0');
      else if (h >= 'a' && h <= 'f') v |= static_cast<std::uint32_t>(h - 'a' + 10);
      else if (h >= 'A' && h <= 'F') v |= static_cast<std::uint32_t>(h - 'A' + 10);
      else return false;
    }
    return true;
  };
  skip();
  if (json.substr(i, 1) != "[") return std::nullopt;
  ++i;
  std::vector<std::string> out;
  skip();
  if (i < json.size() && json[i] == ']') {
    ++i;
  } else {
    for (;;) {
      skip();
      if (i >= json.size() || json[i] != '"') return std::nullopt;
      ++i;
      std::string s;
      for (;;) {
        if (i >= json.size()) return std::nullopt;
        const char c = json[i++];
        if (c == '"') break;
        if (c != '\\') {
          s += c;
          continue;
        }
        if (i >= json.size()) return std::nullopt;
        const char e = json[i++];
        switch (e) {
          case '"': case '\\': case '/': s += e; break;
          case 'b': s += '\b'; break;
          case 'f': s += '\f'; break;
          case 'n': s += '\n'; break;
          case 'r': s += '\r'; break;
          case 't': s += '\t'; break;
          case 'u': {
            std::uint32_t v = 0;
            if (!hex4(v)) return std::nullopt;
            if (v >= 0xD800 && v <= 0xDBFF && json.substr(i, 2) == "\\u") {
              const std::size_t back = i;
              i += 2;
              std::uint32_t low = 0;
              if (hex4(low) && low >= 0xDC00 && low <= 0xDFFF) v = 0x10000 + ((v - 0xD800) << 10) + (low - 0xDC00);
              else i = back;
            }
            if (v >= 0xD800 && v <= 0xDFFF) v = 0xFFFD;  // a lone half of a pair
            AppendUtf8(s, v);
            break;
          }
          default: return std::nullopt;
        }
      }
      out.push_back(std::move(s));
      skip();
      if (i < json.size() && json[i] == ',') {
        ++i;
        continue;
      }
      if (i < json.size() && json[i] == ']') {
        ++i;
        break;
      }
      return std::nullopt;
    }
  }
  skip();
  if (i != json.size()) return std::nullopt;
  return out;
}

}  // namespace kestrel
