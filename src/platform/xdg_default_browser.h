#pragma once
// The desktop's default browser, kept in ~/.config/mimeapps.list by the
// freedesktop rules, with Kestrel's own kestrel.desktop entry.
#include <string>

#include "platform/default_browser.h"

namespace kestrel {

class XdgDefaultBrowser : public DefaultBrowser {
 public:
  // "" for the user's folders ($XDG_CONFIG_HOME, $XDG_DATA_HOME and their defaults).
  XdgDefaultBrowser(std::string executable, std::string configHome = "", std::string dataHome = "");

  bool IsDefault() const override;
  bool Register() override;

  std::string mimeAppsPath() const { return config_ + "/mimeapps.list"; }
  std::string desktopFilePath() const { return data_ + "/applications/kestrel.desktop"; }

  // The types a default browser answers for.
  static const char* const kTypes[4];

 private:
  std::string exe_, config_, data_;
};

// mimeapps.list text with every type of `types` set to `desktopId` in its
// [Default Applications] group; the rest of the file stays as it was.
std::string SetDefaultApplications(const std::string& mimeapps, const std::string& desktopId,
                                   const char* const* types, int count);
// The first application named for `type` in `group` of a mimeapps.list
// (or a mimeinfo.cache), or "".
std::string DefaultApplicationFor(const std::string& mimeapps, const std::string& type,
                                  const std::string& group = "[Default Applications]");

}  // namespace kestrel
