#pragma once
// The main menu as data: the top-level popups in their places (File first,
// Favorites fourth, Groups sixth, AutoLogin seventh), every item with its
// English text, command id, keys and mark, and the dynamic ranges that the
// subsystems fill (groups, AutoLogin entries, scripts, mail clients,
// dictionaries, interface languages, the Shortcuts menu). The window builds
// its menu bar from this and follows the dynamic parts through onChanged;
// the other menus (Site Popup, the accelerators) are data here too.
#include <functional>
#include <string>
#include <vector>

#include "frame/command_ids.h"

namespace kestrel {

struct DynamicMenuItem {
  std::string text;  // shown as it is: a name, not translated
  unsigned id = 0;   // 0: a note that is no command, shown disabled
  bool operator==(const DynamicMenuItem&) const = default;
};

struct MenuItem {
  enum class Kind { Command, Popup, Separator };
  enum class Mark { None, Check, Radio };
  Kind kind = Kind::Command;
  std::string text;  // English; "&" marks the access key
  unsigned id = 0;
  std::string keys;  // "Ctrl+O"; several are separated by ", "
  Mark mark = Mark::None;
  std::vector<MenuItem> items;  // a popup's fixed items; they never change
  // A popup's dynamic part, after its fixed items: ids from `range` only.
  CommandRange range{1, 0};
  std::vector<DynamicMenuItem> dynamic;

  bool IsPopup() const { return kind == Kind::Popup; }
  bool HasRange() const { return !range.empty(); }
};

class CMainMenu {
 public:
  // The program's main menu, every item of every feature in its place.
  CMainMenu();

  const std::vector<MenuItem>& popups() const { return popups_; }
  // The top-level popup whose title is, in the interface language, the
  // translation of `title` (access keys aside); -1 when none is.
  int FindTopLevel(const std::string& title) const;
  // The same down a path of titles ("Language", "Interface Language").
  const MenuItem* FindPopup(const std::vector<std::string>& titles) const;

  // The dynamic part of `popup` becomes one item per name, with ids from
  // the start of its range; names past the range's end are left out.
  // Returns how many were taken.
  std::size_t RebuildRange(const MenuItem& popup, const std::vector<std::string>& names);
  // The dynamic part becomes exactly these items; ids outside the range
  // (and repeated ones) are left out, notes (id 0) kept.
  std::size_t SetDynamicItems(const MenuItem& popup, std::vector<DynamicMenuItem> items);
  // The text of the dynamic item `id` of `popup` ("" when there is none).
  std::string DynamicText(const MenuItem& popup, unsigned id) const;

  // Every command id the menu carries (fixed and dynamic), each once, in menu order.
  std::vector<unsigned> CommandIds() const;

  // The window rebuilds a popup's dynamic part when told.
  std::function<void(const MenuItem& popup)> onChanged;

 private:
  MenuItem* Mutable(const MenuItem& popup);
  std::vector<MenuItem> popups_;
};

// The Site Popup menu of a tab, in order.
const std::vector<MenuItem>& SitePopupMenu();

// Keys that are no menu item's: {id, keys}.
struct Accelerator {
  unsigned id;
  const char* keys;
};
const std::vector<Accelerator>& FrameAccelerators();

// Whether a popup title matches `title` in the interface language.
bool MenuTitleMatches(const std::string& itemText, const std::string& title);

}  // namespace kestrel
