#pragma once
// What the web engine keeps of browsing: its cookies, its cache of pages
// and files, and the addresses it marks as visited in links.
namespace kestrel {

class BrowsingData {
 public:
  virtual ~BrowsingData() = default;
  // Each false when the engine's store could not be reached.
  virtual bool ClearCookies() = 0;
  virtual bool ClearCache() = 0;
  virtual bool ClearVisitedLinks() = 0;
};

}  // namespace kestrel
