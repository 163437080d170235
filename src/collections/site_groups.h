#pragma once
// Site groups: named lists of addresses kept as .sgp files in groups/ of the
// program folder, one line each, opened together each in a site of its own.
// The files, the names they may have, and the Group Organizer's model.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "common/progdir.h"

namespace kestrel {

inline constexpr const char* kGroupExtension = ".sgp";
// Bytes kept of a line: opening a group reads less than the Organizer.
inline constexpr std::size_t kGroupOpenLineMax = 511;
inline constexpr std::size_t kGroupEditLineMax = 1023;

// Why `name` cannot be a group's name, "" when it can. A name is a file
// name: it may not leave groups/ ("/", "." or "..") nor hold a NUL.
std::string GroupNameProblem(const std::string& name);

// The groups in `folder` (ends in "/"), sorted by name, case aside.
std::vector<std::string> ListGroups(const ProgramFolder& folder);
// The file of the group `name` in `folder`.
std::string GroupPath(const ProgramFolder& folder, const std::string& name);
// The lines of a group file, each trimmed, empty ones kept; nullopt when it
// cannot be read.
std::optional<std::vector<std::string>> ReadGroupFile(const std::string& path, std::size_t maxLine);
// Writes the lines whole (CR LF after each), replacing the old file only
// once the new one is complete; false with `error` set when it fails.
bool WriteGroupFile(const std::string& path, const std::vector<std::string>& lines, std::string* error = nullptr);
// What "Save All Open Sites As Group..." keeps of the sites' locations, in
// order: not the empty ones, nor those beginning with "about:".
std::vector<std::string> LocationsForGroup(const std::vector<std::string>& locations);
// "Can't open <path>!", the message for a group file that failed.
std::string CantOpenMessage(const std::string& path);
// Why a group installed with the program (not the user's own) keeps its name.
std::string InstalledGroupMessage(const std::string& name);

// The Group Organizer: the groups on the left, the loaded group's lines on
// the right, both lists sorted. Edits of the lines reach the group's file
// when another group is chosen, a group is added, and on Close. Messages go
// through the message routine; every operation returns whether it acted.
class CGroupOrganizer {
 public:
  explicit CGroupOrganizer(ProgramFolder folder);

  // Fills the groups list and loads the first group; `address` goes into
  // the site field (Add To Group...).
  void Open(const std::string& address = "");

  const std::vector<std::string>& groups() const { return groups_; }
  int groupSelection() const { return groupSel_; }
  const std::vector<std::string>& sites() const { return sites_; }
  int siteSelection() const { return siteSel_; }
  const std::string& loaded() const { return loaded_; }
  // The two fields, as the dialog edits them.
  std::string groupName, siteText;

  // The groups list: choosing one saves the loaded group and loads it.
  void SelectGroup(int index);
  bool AddGroup();
  bool RenameGroup();
  // The group the Open button opens, nullopt (with a message) without a selection.
  std::optional<std::string> GroupToOpen() const;
  // Asks first; Cancel keeps the group.
  bool RemoveGroup();

  void SelectSite(int index);
  bool AddSite();
  bool ChangeSite();
  bool DeleteSite();

  // Close: the loaded group is saved.
  void Close() { SaveLoaded(); }

 private:
  void SaveLoaded();
  void Load(int index);
  int InsertSite(std::string text);
  bool NeedsSelection(int selection) const;

  ProgramFolder folder_;
  std::vector<std::string> groups_, sites_;
  int groupSel_ = -1, siteSel_ = -1;
  std::string loaded_;
  bool hasLoaded_ = false;
};

}  // namespace kestrel
