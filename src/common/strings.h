#pragma once
// Small text helpers shared by every subsystem. Text is 8-bit (UTF-8) in
// std::string; case folding touches ASCII letters only.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// Space and the characters 9 to 13.
bool IsBlank(char c);

// Removes blanks at both ends.
std::string Trim(std::string_view text);

// The n-th field (from 0) of `text` at `sep`: leading separators are skipped
// and a run of separators counts as one, so no field is empty; a field past
// the last is "". A zero separator means any blank. Fields are not trimmed.
std::string GetField(std::string_view text, int index, char sep);

// Counts the fields the way GetField numbers them.
int CountFields(std::string_view text, char sep);

// Every field in order (same rule), in one pass.
std::vector<std::string> SplitFields(std::string_view text, char sep);

char FoldAscii(char c);
std::string ToLowerAscii(std::string_view text);
std::string ToUpperAscii(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
// <0, 0, >0 like strcmp (bytes unsigned, a prefix sorts first), folding
// ASCII letters.
int CompareNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

// Two upper-case hex digits per byte ("%02X").
std::string HexUpper(const std::vector<std::uint8_t>& bytes);
// Pairs of hex digits (either case) to bytes; false on an odd length or a
// non-hex character (no blanks, signs or "0x" either). `out` is only
// replaced on success.
bool ParseHex(std::string_view hex, std::vector<std::uint8_t>& out);
// The value of one hexadecimal digit, -1 for any other character.
int HexValue(char c);
// The UTF-8 bytes of code point `c`.
void AppendUtf8(std::string& out, std::uint32_t c);
// & < > " ' as character references, for text inside markup or quotes.
std::string HtmlEscape(std::string_view text);

// Lower case by Unicode's rules (not ASCII only): for comparing texts the
// way a user reads them. Bytes that are no UTF-8 stay as they are.
std::string LowerUtf8(std::string_view text);

// A menu text without its access keys: every single "&" removed, each "&&" kept.
std::string RemoveAccelerators(std::string_view text);

}  // namespace kestrel
