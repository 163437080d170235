#pragma once
// What the browser control makes of an address given without a scheme, as
// users type them: "example.org", "localhost:8080/x", "/home/u/page.html".
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrel {

// The scheme an address begins with ("http"), lower-cased; "" when it has
// none or a shorter one than `minLength` ("c:" is a drive, not a scheme).
std::string UrlScheme(std::string_view address, std::size_t minLength = 1);

// The address with a scheme; "" for empty text. Surrounding quotes (a
// quoted path from a command line) are dropped.
std::string FixupAddress(std::string_view text);

}  // namespace kestrel
