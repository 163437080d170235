#pragma once
// What the user allowed or blocked pages to use, for the rest of the run:
// one answer per host and permission. Nothing is kept on disk.
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "platform/browser_control.h"

namespace kestrel {

class SitePermissions {
 public:
  // What was answered for the origin's host; nothing when it was never asked.
  std::optional<bool> Lookup(const std::string& origin, PagePermission what) const;
  void Remember(const std::string& origin, PagePermission what, bool allow);

 private:
  std::map<std::pair<std::string, PagePermission>, bool> answers_;
};

}  // namespace kestrel
