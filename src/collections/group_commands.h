#pragma once
// The Groups menu and its commands on the frame's registry: opening a group
// (menu, Organizer, start-up, the "opengroup" keyword), saving every open
// site as a group, and the Group Organizer.
#include <functional>
#include <optional>
#include <memory>
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
    // Runs a task on a later turn of the event loop: the lines after the
    // first then open one per turn, so the first page's request goes out
    // while the other sites are still being made. Without it all open at once.
    std::function<void(std::function<void()>)> defer = {};
  };
  // The Groups menu shows at most this many groups; the Organizer has all.
  static constexpr std::size_t kMenuGroups = 255;

  explicit CGroupCommands(Parts parts);
  CGroupCommands(const CGroupCommands&) = delete;
  CGroupCommands& operator=(const CGroupCommands&) = delete;

  void RebuildGroupsMenu();
  // Opens every line of the group, the first where the address rule says,
  // each further one in a new site.
  void OpenGroup(const std::string& name);
  void SaveAllOpenSites();
  // The Organizer; `address` fills its site field (Add To Group...).
  bool Organize(const std::string& address);

 private:
  // Line `i` on of a group being opened, then the rest.
  void OpenLines(const std::string& name, std::shared_ptr<const std::vector<std::string>> lines, std::size_t i);

  Parts p_;
  CommandScope commands_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  std::set<std::string> opening_;  // groups being opened, so one naming itself stops
};

}  // namespace kestrel
