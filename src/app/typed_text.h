#pragma once
// The least of typed-text handling that start-up and the hand-off need: text
// is split into lines and each line becomes an address to open.
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// Non-empty trimmed lines of typed text, split at line feeds.
std::vector<std::string> SplitTypedLines(std::string_view text);

// The address a typed line opens: with a scheme as written, a path as a file
// address, anything else as a web address. "" for what must not be opened
// from typed or handed-over text: script addresses (javascript:) would run
// in whatever page is open, and a NUL byte cannot be part of an address.
std::string AddressForTypedLine(std::string_view line);

}  // namespace kestrel
