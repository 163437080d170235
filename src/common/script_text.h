#pragma once
// Text handed to a page's script engine, and the JSON that comes back. Every
// text put into a script goes through ScriptString, so a value can never end
// the literal it stands in and run as code.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// `text` (UTF-8) as a script string literal in `quote` (' or "). Quotes,
// backslashes, control characters, "<" and ">" (so "</script>" cannot close
// an inline script) and the two line separators JavaScript ends lines at are
// written as \uXXXX; with '"' the result is also a JSON string. Bytes that
// are not UTF-8 are taken as Latin-1 letters, so nothing is lost.
std::string ScriptString(std::string_view text, char quote = '\'');

// A JSON array of strings (or null) as the engine returns it: the strings in
// order; nullopt for null or for anything that is not such an array.
std::optional<std::vector<std::string>> ParseJsonStrings(std::string_view json);

}  // namespace kestrel
