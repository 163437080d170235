#include "collections/site_groups.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "common/message.h"
#include "common/strings.h"
#include "common/textfile.h"

namespace kestrel {

std::string GroupNameProblem(const std::string& name) {
  if (name.empty()) return "Invalid Group Name!";
  if (name == "." || name == ".." || name.find('/') != std::string::npos || name.find('\0') != std::string::npos)
    return "A group name cannot contain \"/\" or be \".\" or \"..\".";
  return {};
}

std::vector<std::string> ListGroups(const ProgramFolder& folder) {
  return ListFilesWithExtension(folder, kGroupExtension);
}

std::string GroupPath(const ProgramFolder& folder, const std::string& name) {
  return PathWithExtension(folder, name, kGroupExtension);
}

std::optional<std::vector<std::string>> ReadGroupFile(const std::string& path, std::size_t maxLine) {
  TextReadOptions o;
  o.maxLineLength = maxLine;
  return ReadTextLines(path, o);
}

bool WriteGroupFile(const std::string& path, const std::vector<std::string>& lines, std::string* error) {
  return WriteFileAtomic(path, JoinLines(lines), error);
}

std::vector<std::string> LocationsForGroup(const std::vector<std::string>& locations) {
  std::vector<std::string> kept;
  for (const std::string& l : locations)
    if (!l.empty() && l.compare(0, 6, "about:") != 0) kept.push_back(l);
  return kept;
}

std::string CantOpenMessage(const std::string& path) { return "Can't open " + path + "!"; }

std::string InstalledGroupMessage(const std::string& name) {
  return "The group <" + name + "> is installed with Kestrel for every user: it can be changed, but not renamed or deleted.";
}

CGroupOrganizer::CGroupOrganizer(ProgramFolder folder) : folder_(std::move(folder)) {}

void CGroupOrganizer::Open(const std::string& address) {
  groups_ = ListGroups(folder_);
  hasLoaded_ = false;
  if (!groups_.empty()) Load(0);
  siteText = address;
}

void CGroupOrganizer::SaveLoaded() {
  if (!hasLoaded_) return;
  // The folder may not exist yet: the first group made creates it.
  MakeDirectories(folder_.SaveFolder());
  // A group installed with the program is saved as the user's own copy.
  const std::string path = folder_.SavePathFor(GroupPath(folder_, loaded_));
  if (!WriteGroupFile(path, sites_)) ShowMessage(CantOpenMessage(path));
}

void CGroupOrganizer::Load(int index) {
  sites_.clear();
  siteSel_ = -1;
  groupName.clear();
  groupSel_ = index;
  hasLoaded_ = index >= 0 && index < static_cast<int>(groups_.size());
  if (!hasLoaded_) {
    groupSel_ = -1;
    loaded_.clear();
    return;
  }
  loaded_ = groups_[static_cast<std::size_t>(index)];
  groupName = loaded_;
  if (auto lines = ReadGroupFile(GroupPath(folder_, loaded_), kGroupEditLineMax))
    for (std::string& l : *lines) InsertSite(std::move(l));
  siteSel_ = -1;
}

void CGroupOrganizer::SelectGroup(int index) {
  if (index == groupSel_ && hasLoaded_) return;
  SaveLoaded();
  Load(index);
}

int CGroupOrganizer::InsertSite(std::string text) {
  auto at = std::upper_bound(sites_.begin(), sites_.end(), text, LessNoCase);
  return static_cast<int>(sites_.insert(at, std::move(text)) - sites_.begin());
}

bool CGroupOrganizer::NeedsSelection(int selection) const {
  if (selection >= 0) return false;
  ShowMessage("Please select an item!");
  return true;
}

bool CGroupOrganizer::AddGroup() {
  SaveLoaded();
  const std::string problem = GroupNameProblem(groupName);
  if (!problem.empty()) {
    ShowMessage(problem);
    return false;
  }
  auto it = std::find(groups_.begin(), groups_.end(), groupName);
  // Adding a name that is there already only chooses it: two items for one
  // file would write the one's lines over the other's.
  if (it == groups_.end()) it = groups_.insert(std::upper_bound(groups_.begin(), groups_.end(), groupName, LessNoCase), groupName);
  hasLoaded_ = false;
  Load(static_cast<int>(it - groups_.begin()));
  groupName.clear();
  return true;
}

bool CGroupOrganizer::RenameGroup() {
  if (groupName.empty()) {
    ShowMessage("Invalid Group Name!");
    return false;
  }
  if (NeedsSelection(groupSel_)) return false;
  const std::string problem = GroupNameProblem(groupName);
  if (!problem.empty()) {
    ShowMessage(problem);
    return false;
  }
  const std::string old = groups_[static_cast<std::size_t>(groupSel_)];
  if (old == groupName) return true;
  // Renaming onto another group would replace that group's file with this one.
  for (const std::string& g : groups_)
    if (g == groupName || (EqualsNoCase(g, groupName) && g != old)) {
      ShowMessage("A group of that name exists already.");
      return false;
    }
  const std::string from = GroupPath(folder_, old);
  if (folder_.IsInstalledPath(from)) {
    ShowMessage(InstalledGroupMessage(old));
    return false;
  }
  if (FileExists(from) && std::rename(from.c_str(), folder_.SavePath(groupName + kGroupExtension).c_str()) != 0) {
    ShowMessage(CantOpenMessage(from));
    return false;
  }
  groups_.erase(groups_.begin() + groupSel_);
  auto at = groups_.insert(std::upper_bound(groups_.begin(), groups_.end(), groupName, LessNoCase), groupName);
  groupSel_ = static_cast<int>(at - groups_.begin());
  if (hasLoaded_ && loaded_ == old) loaded_ = groupName;
  return true;
}

std::optional<std::string> CGroupOrganizer::GroupToOpen() const {
  if (NeedsSelection(groupSel_)) return std::nullopt;
  return groups_[static_cast<std::size_t>(groupSel_)];
}

bool CGroupOrganizer::RemoveGroup() {
  if (NeedsSelection(groupSel_)) return false;
  const std::string name = groups_[static_cast<std::size_t>(groupSel_)];
  const std::string path = GroupPath(folder_, name);
  if (folder_.IsInstalledPath(path)) {
    ShowMessage(InstalledGroupMessage(name));
    return false;
  }
  if (!ShowMessage(TranslateMessage("Are you sure to delete the group <") + name + ">?", MessageKind::Question)) return false;
  std::remove(path.c_str());
  const int index = groupSel_;
  groups_.erase(groups_.begin() + index);
  hasLoaded_ = false;  // the removed group is not written back
  Load(std::min(index, static_cast<int>(groups_.size()) - 1));
  return true;
}

void CGroupOrganizer::SelectSite(int index) {
  siteSel_ = index >= 0 && index < static_cast<int>(sites_.size()) ? index : -1;
  if (siteSel_ >= 0) siteText = sites_[static_cast<std::size_t>(siteSel_)];
}

bool CGroupOrganizer::AddSite() {
  if (siteText.empty()) {
    ShowMessage("Invalid site!");
    return false;
  }
  siteSel_ = InsertSite(siteText);
  siteText.clear();
  return true;
}

bool CGroupOrganizer::ChangeSite() {
  if (siteText.empty()) {
    ShowMessage("Invalid site!");
    return false;
  }
  if (NeedsSelection(siteSel_)) return false;
  sites_.erase(sites_.begin() + siteSel_);
  siteSel_ = InsertSite(siteText);
  return true;
}

bool CGroupOrganizer::DeleteSite() {
  if (NeedsSelection(siteSel_)) return false;
  sites_.erase(sites_.begin() + siteSel_);
  siteSel_ = std::min(siteSel_, static_cast<int>(sites_.size()) - 1);
  siteText = siteSel_ >= 0 ? sites_[static_cast<std::size_t>(siteSel_)] : std::string();
  return true;
}

}  // namespace kestrel
