#pragma once
// The Groups menu and its commands on the frame's registry: opening a group
// (menu, Organizer, start-up, the "opengroup" keyword), saving every open
// site as a group, and the Group Organizer.
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "collections/site_groups.h"
#include "frame/main_frame.h"

namespace kestrel {

class GroupDialogs {
 public:
  virtual ~GroupDialogs() = default;
  // The Group Organizer over its model: `open` for its Open button,
  // `currentSite` for Get Current Site. True when left with Close.
  virtual bool Organizer(CGroupOrganizer& model, const std::function<void(const std::string&)>& open,
                         const std::function<std::string()>& currentSite) = 0;
  // The file "Save All Open Sites As Group..." writes, nullopt on Cancel.
  virtual std::optional<std::string> SaveGroupFile(const std::string& folder) = 0;
};

class CGroupCommands {
 public:
  struct Parts {
    CMainFrame& frame;
    CMainMenu& menu;
    GroupDialogs& dialogs;
    ProgramFolder groupsFolder;  // groups/, the user's own over the installed one
    // A new site showing "about:blank" (it becomes the active site); nullptr
    // when none can be made.
    std::function<CKestrelView*()> newBlankSite;
    // Opens one line as the Address Bar would; `site` nullptr lets the
    // address rule choose the site, otherwise the line goes to `site`.
    std::function<void(CKestrelView* site, const std::string& line)> openLine;
  };
  // The Groups menu shows at most this many groups; the Organizer has all.
  static constexpr std::size_t kMenuGroups = 255;

  explicit CGroupCommands(Parts parts);
  CGroupCommands(const CGroupCommands&) = delete;
  CGroupCommands& operator=(const CGroupCommands&) = delete;

  void RebuildGroupsMenu();
  // Opens every line of the group, the first where the address rule says,
  // each further one in a new site; all load at once.
  void OpenGroup(const std::string& name);
  void SaveAllOpenSites();
  // The Organizer; `address` fills its site field (Add To Group...).
  bool Organize(const std::string& address);

 private:
  Parts p_;
  CommandScope commands_;
  std::set<std::string> opening_;  // groups being opened, so one naming itself stops
};

}  // namespace kestrel
