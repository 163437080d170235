// The REGEDIT4 text format of the key tree: reading a file as regedit
// exports it (or as a user edited it by hand) and writing it back.
#include <cstdio>

#include "common/strings.h"
#include "platform/profile.h"

namespace kestrel {

namespace {

constexpr std::string_view kNul("\0", 1);

std::string_view TrimView(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A quoted text at text[pos], with the escapes \\ \" \n \r; pos ends after
// the closing quote. Another escaped character keeps its backslash, so a
// hand-written "C:\temp" reads as it was meant. No closing quote: false.
bool ReadQuoted(std::string_view text, std::size_t& pos, std::string& out) {
  if (pos >= text.size() || text[pos] != '"') return false;
  out.clear();
  for (std::size_t i = pos + 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      pos = i + 1;
      return true;
    }
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++i >= text.size()) return false;
    const char e = text[i];
    if (e == 'n')
      out += '\n';
    else if (e == 'r')
      out += '\r';
    else if (e == '\\' || e == '"')
      out += e;
    else {
      out += '\\';
      out += e;
    }
  }
  return false;
}

void WriteQuoted(std::string& out, std::string_view s) {
  out += '"';
  for (char c : s) {
    if (c == '\\' || c == '"') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  out += '"';
}

// Strings with other control characters go out as REG_SZ bytes (hex(1):):
// editors and other tools mangle them in a text line, and this way every
// byte string but NUL comes back exactly.
bool NeedsHexForm(std::string_view s) {
  for (unsigned char c : s)
    if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F) return true;
  return false;
}

// "00,1f, ab": exactly two digits an item, blanks around items allowed. An
// empty item (a trailing comma included) is damage, so a value cut after a
// comma is not taken for a shorter one.
bool ParseHexList(std::string_view list, std::vector<std::uint8_t>& out) {
  out.clear();
  list = TrimView(list);
  if (list.empty()) return true;
  out.reserve(list.size() / 3 + 1);
  std::size_t pos = 0;
  for (;;) {
    while (pos < list.size() && IsBlank(list[pos])) ++pos;
    if (pos + 2 > list.size()) return false;
    const int hi = HexDigit(list[pos]), lo = HexDigit(list[pos + 1]);
    if (hi < 0 || lo < 0) return false;
    out.push_back(static_cast<std::uint8_t>(hi << 4 | lo));
    pos += 2;
    while (pos < list.size() && IsBlank(list[pos])) ++pos;
    if (pos == list.size()) return true;
    if (list[pos] != ',') return false;
    ++pos;
  }
}

void WriteHexList(std::string& out, const std::vector<std::uint8_t>& bytes, std::size_t column) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 15];
    column += 2;
    if (i + 1 == bytes.size()) break;
    out += ',';
    ++column;
    if (column > 76) {  // as regedit wraps: lines of about 80 columns
      out += "\\\r\n  ";
      column = 2;
    }
  }
}

bool ParseDword(std::string_view digits, std::uint32_t& out) {
  if (digits.empty() || digits.size() > 8) return false;
  std::uint32_t v = 0;
  for (char c : digits) {
    const int d = HexDigit(c);
    if (d < 0) return false;
    v = v << 4 | static_cast<std::uint32_t>(d);
  }
  out = v;
  return true;
}

void AppendUtf8(std::string& out, std::uint32_t u) {
  if (u < 0x80) {
    out += static_cast<char>(u);
  } else if (u < 0x800) {
    out += static_cast<char>(0xC0 | u >> 6);
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else if (u < 0x10000) {
    out += static_cast<char>(0xE0 | u >> 12);
    out += static_cast<char>(0x80 | (u >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | u >> 18);
    out += static_cast<char>(0x80 | (u >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (u >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  }
}

// REG_SZ bytes as the file's version stores them: 8-bit text in REGEDIT4,
// UTF-16LE in version 5 files. The text ends at the first NUL.
std::optional<std::string> DecodeRegSz(const std::vector<std::uint8_t>& b, bool utf16) {
  if (!utf16) {
    std::string s(b.begin(), b.end());
    s.resize(std::min(s.size(), s.find('\0')));
    return s;
  }
  if (b.size() % 2) return std::nullopt;
  std::string out;
  for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
    std::uint32_t u = b[i] | static_cast<std::uint32_t>(b[i + 1]) << 8;
    if (u == 0) break;
    if (u >= 0xD800 && u <= 0xDBFF && i + 3 < b.size()) {
      const std::uint32_t lo = b[i + 2] | static_cast<std::uint32_t>(b[i + 3]) << 8;
      if (lo >= 0xDC00 && lo <= 0xDFFF) {
        u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
        i += 2;
      }
    }
    if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;  // a lone surrogate
    AppendUtf8(out, u);
  }
  return out;
}

// The value after "=", or nullopt when it is not one we keep (a broken value,
// or a type Kestrel does not use, such as expandable or multi-strings).
std::optional<RegValue> ParseData(std::string_view data, bool utf16) {
  if (data.empty()) return std::nullopt;
  if (data[0] == '"') {
    std::size_t pos = 0;
    std::string text;
    if (!ReadQuoted(data, pos, text) || pos != data.size()) return std::nullopt;
    return RegValue::String(std::move(text));
  }
  if (StartsWithNoCase(data, "dword:")) {
    std::uint32_t v = 0;
    if (!ParseDword(data.substr(6), v)) return std::nullopt;
    return RegValue::Dword(v);
  }
  if (!StartsWithNoCase(data, "hex")) return std::nullopt;
  data.remove_prefix(3);
  std::uint32_t type = 3;  // plain "hex:" is REG_BINARY
  if (!data.empty() && data[0] == '(') {
    const std::size_t close = data.find(')');
    if (close == std::string_view::npos || !ParseDword(data.substr(1, close - 1), type)) return std::nullopt;
    data.remove_prefix(close + 1);
  }
  if (data.empty() || data[0] != ':') return std::nullopt;
  std::vector<std::uint8_t> bytes;
  if (!ParseHexList(data.substr(1), bytes)) return std::nullopt;
  if (type == 3) return RegValue::Binary(std::move(bytes));
  if (type == 1) {
    std::optional<std::string> text = DecodeRegSz(bytes, utf16);
    if (!text) return std::nullopt;
    return RegValue::String(std::move(*text));
  }
  return std::nullopt;
}

struct Line {
  std::string_view text;
  bool ended;  // a line break followed it
};

// LF, CR LF or a lone CR ends a line.
std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      lines.push_back({text.substr(pos), false});
      break;
    }
    lines.push_back({text.substr(pos, end - pos), true});
    pos = end + 1;
    if (text[end] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
  }
  return lines;
}

}  // namespace

bool RegistryProfile::Parse(std::string_view text) {
  Clear();
  if (text.find(kNul) != std::string_view::npos) return false;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  const std::vector<Line> lines = SplitLines(text);

  std::size_t first = 0;
  while (first < lines.size() && TrimView(lines[first].text).empty()) ++first;
  if (first == lines.size()) return true;  // empty or blank: an empty profile
  const std::string_view header = TrimView(lines[first].text);
  const bool utf16 = EqualsNoCase(header, "Windows Registry Editor Version 5.00");
  if (!utf16 && !EqualsNoCase(header, "REGEDIT4")) return false;

  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::size_t current = kNone;  // the key values go to; none after a bad or deleting section
  for (std::size_t i = first + 1; i < lines.size(); ++i) {
    const std::string_view line = TrimView(lines[i].text);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      current = kNone;
      if (line.size() < 2 || line.back() != ']') continue;
      const std::string_view inner = line.substr(1, line.size() - 2);
      if (!inner.empty() && inner[0] == '-') {
        RemoveTree(inner.substr(1));
        continue;
      }
      if (Key* k = MakeKey(inner)) current = static_cast<std::size_t>(k - keys_.data());
      continue;
    }
    if (line[0] != '"' && line[0] != '@') continue;

    std::string name;
    std::size_t pos = 0;
    if (line[0] == '@')
      pos = 1;
    else if (!ReadQuoted(line, pos, name))
      continue;
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos >= line.size() || line[pos] != '=') continue;
    std::string_view data = TrimView(line.substr(pos + 1));
    bool ended = lines[i].ended;

    // Hex values go on over lines ending in "\"; the next lines start with a
    // digit, so a line that does not is not part of the value.
    std::string joined;
    if (StartsWithNoCase(data, "hex") && data.back() == '\\') {
      joined.assign(data.substr(0, data.size() - 1));
      bool open = true;
      while (open && i + 1 < lines.size()) {
        const std::string_view next = TrimView(lines[i + 1].text);
        if (next.empty() || HexDigit(next[0]) < 0) break;
        ++i;
        ended = lines[i].ended;
        open = next.back() == '\\';
        joined += open ? next.substr(0, next.size() - 1) : next;
      }
      if (open) continue;  // the rest of the value never came
      data = joined;
    }
    if (current == kNone || data.empty()) continue;
    Key& key = keys_[current];
    if (data == "-") {
      Remove(key, name);
      continue;
    }
    // A string shows where it ends; digits do not. A number or bytes on a
    // last line without its line break may have been cut short, so it reads
    // as missing rather than as a different value.
    if (!ended && data[0] != '"') continue;
    if (std::optional<RegValue> value = ParseData(data, utf16)) Put(key, name, std::move(*value));
  }
  return true;
}

std::string RegistryProfile::Serialize() const {
  std::string out = "REGEDIT4\r\n\r\n";
  for (const Key& k : keys_) {
    out += '[';
    out += k.path;
    out += "]\r\n";
    for (const auto& [name, v] : k.values) {
      const std::size_t lineStart = out.size();
      if (name.empty())
        out += '@';
      else
        WriteQuoted(out, name);
      out += '=';
      switch (v.type) {
        case RegType::String:
          if (NeedsHexForm(v.text)) {
            out += "hex(1):";
            std::vector<std::uint8_t> bytes(v.text.begin(), v.text.end());
            bytes.push_back(0);
            WriteHexList(out, bytes, out.size() - lineStart);
          } else {
            WriteQuoted(out, v.text);
          }
          break;
        case RegType::Dword: {
          char buf[16];
          std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<unsigned>(v.dword));
          out += buf;
          break;
        }
        case RegType::Binary:
          out += "hex:";
          WriteHexList(out, v.bytes, out.size() - lineStart);
          break;
      }
      out += "\r\n";
    }
    out += "\r\n";
  }
  return out;
}

}  // namespace kestrel
