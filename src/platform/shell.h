#pragma once
// Starting what the desktop starts: a document or an address opened with
// the program the desktop associates with it.
#include <string>

namespace kestrel {

class Shell {
 public:
  virtual ~Shell() = default;
  // A local path or an address; false when nothing could be started.
  virtual bool Open(const std::string& target) = 0;
};

}  // namespace kestrel
