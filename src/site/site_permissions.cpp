#include "site/site_permissions.h"

#include "platform/page_permission.h"

namespace kestrel {

std::optional<bool> SitePermissions::Lookup(const std::string& origin, PagePermission what) const {
  const std::string host = PermissionHost(origin);
  if (host.empty()) return std::nullopt;
  auto it = answers_.find({host, what});
  if (it == answers_.end()) return std::nullopt;
  return it->second;
}

void SitePermissions::Remember(const std::string& origin, PagePermission what, bool allow) {
  const std::string host = PermissionHost(origin);
  if (!host.empty()) answers_[{host, what}] = allow;
}

}  // namespace kestrel
