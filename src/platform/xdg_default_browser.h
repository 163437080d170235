#pragma once
// The desktop's default browser, kept in ~/.config/mimeapps.list by the
// freedesktop rules, with Kestrel's own kestrel.desktop entry.
#include <string>
#include <vector>

#include "platform/default_browser.h"

namespace kestrel {

class XdgDefaultBrowser : public DefaultBrowser {
 public:
  // "" for the user's folders ($XDG_CONFIG_HOME, $XDG_DATA_HOME and their
  // defaults); `dataDirs` empty for $XDG_DATA_DIRS, where an installed
  // launcher is looked for.
  XdgDefaultBrowser(std::string executable, std::string configHome = "", std::string dataHome = "",
                    std::vector<std::string> dataDirs = {});

  bool IsDefault() const override;
  bool Register() override;

  std::string mimeAppsPath() const { return config_ + "/mimeapps.list"; }
  // The user's own launcher, written when no installed one starts this program.
  std::string desktopFilePath() const { return data_ + "/applications/kestrel.desktop"; }
  // The launcher the desktop uses for the id: the user's, else the first
  // installed one; "" when there is none.
  std::string LauncherInUse() const;

  // The types a default browser answers for.
  static const char* const kTypes[4];

 private:
  bool StartsThisProgram(const std::string& desktopFile) const;

  std::string exe_, config_, data_;
  std::vector<std::string> dataDirs_;
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
