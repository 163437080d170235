#pragma once
// The desktop's clipboard.
#include <optional>
#include <string>

namespace kestrel {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // The clipboard's text ("" when it holds none); nullopt when it cannot be opened.
  virtual std::optional<std::string> Text() const = 0;
};

}  // namespace kestrel
