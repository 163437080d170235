#pragma once
// The features text of window.open ("toolbar=no,width=300") as the bars and
// size a new window gets.
#include <optional>
#include <string_view>

#include "platform/browser_control.h"

namespace kestrel {

// No text (nullopt) or an empty one gives every bar, as for a plain link.
// Otherwise a bar is on only when the text turns it on ("toolbar",
// "toolbar=yes", "toolbar=1", any non-zero number); sizes are read when they
// are whole numbers in range. Names are matched without regard to case;
// separators are commas, blanks and the other white space.
WindowFeatures ParseWindowFeatures(const std::optional<std::string_view>& features);

}  // namespace kestrel
