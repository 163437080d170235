#include "collections/group_commands.h"

#include "common/message.h"
#include "common/textfile.h"
#include "common/trace.h"

namespace kestrel {

CGroupCommands::CGroupCommands(Parts parts) : p_(std::move(parts)), commands_(p_.frame.commands()) {
  CommandScope& r = commands_;
  r.Add(ID_ORGANIZE_GROUPS, [this](const CommandContext&) {
    if (Organize("")) RebuildGroupsMenu();
  });
  r.Add(ID_ADD_TO_GROUP, [this](const CommandContext& c) { Organize(c.site ? c.site->GetLocationURL() : ""); });
  r.Add(ID_SAVE_ALL_AS_GROUP, [this](const CommandContext&) { SaveAllOpenSites(); });
  r.Add(kGroupCommands.first, kGroupCommands.last, [this](const CommandContext& c) {
    // The item's own text names the group.
    if (const MenuItem* menu = p_.menu.FindPopup({"Groups"})) {
      const std::string name = p_.menu.DynamicText(*menu, c.id);
      if (!name.empty()) OpenGroup(name);
    }
  });
  RebuildGroupsMenu();
}

void CGroupCommands::RebuildGroupsMenu() {
  const MenuItem* menu = p_.menu.FindPopup({"Groups"});
  if (!menu) return;
  const std::vector<std::string> names = ListGroups(p_.groupsFolder);
  std::vector<DynamicMenuItem> items;
  for (std::size_t i = 0; i < names.size() && i < kMenuGroups; ++i)
    items.push_back({names[i], kGroupCommands.first + static_cast<unsigned>(i)});
  if (names.size() > kMenuGroups)
    items.push_back({TranslateMessage("More groups are in the Group Organizer."), 0});
  p_.menu.SetDynamicItems(*menu, std::move(items));
}

void CGroupCommands::OpenGroup(const std::string& name) {
  const std::string problem = GroupNameProblem(name);
  if (!problem.empty()) {
    ShowMessage(problem);
    return;
  }
  const std::string path = GroupPath(p_.groupsFolder, name);
  std::optional<std::vector<std::string>> lines = ReadGroupFile(path, kGroupOpenLineMax);
  if (!lines) {
    ShowMessage(CantOpenMessage(path));
    return;
  }
  // A group that names itself, directly or through others, opens once.
  if (!opening_.insert(name).second) {
    Trace("group", "\"" + name + "\" is already being opened");
    return;
  }
  Trace("group", name + ": " + std::to_string(lines->size()) + " lines");
  OpenLines(name, std::make_shared<const std::vector<std::string>>(std::move(*lines)), 0);
}

void CGroupCommands::OpenLines(const std::string& name, std::shared_ptr<const std::vector<std::string>> lines,
                               std::size_t i) {
  for (; i < lines->size(); ++i) {
    CKestrelView* site = nullptr;
    if (i > 0) {
      site = p_.newBlankSite ? p_.newBlankSite() : nullptr;
      if (!site) break;  // no more sites can be had: the rest would all land in one
    }
    if (!(*lines)[i].empty() && p_.openLine) p_.openLine(site, (*lines)[i]);
    if (p_.defer && i + 1 < lines->size()) {
      // Still being opened until its last line is: one naming itself stops.
      p_.defer([this, alive = std::weak_ptr<bool>(alive_), name, lines, i] {
        if (!alive.expired()) OpenLines(name, lines, i + 1);
      });
      return;
    }
  }
  opening_.erase(name);
}

void CGroupCommands::SaveAllOpenSites() {
  MakeDirectories(p_.groupsFolder.SaveFolder());
  const std::optional<std::string> path = p_.dialogs.SaveGroupFile(p_.groupsFolder.SaveFolder());
  if (!path) return;
  std::vector<std::string> locations;
  for (const CKestrelView* site : p_.frame.sites().sites())
    // A blocked popup was never shown to the user: it is no site of theirs.
    if (!site->popup().blocked && !site->popup().pending) locations.push_back(site->GetLocationURL());
  if (!WriteGroupFile(*path, LocationsForGroup(locations))) ShowMessage(CantOpenMessage(*path));
}

bool CGroupCommands::Organize(const std::string& address) {
  MakeDirectories(p_.groupsFolder.SaveFolder());
  CGroupOrganizer model(p_.groupsFolder);
  model.Open(address);
  return p_.dialogs.Organizer(
      model, [this](const std::string& name) { OpenGroup(name); },
      [this]() -> std::string {
        const CKestrelView* site = p_.frame.ActiveView();
        return site ? site->GetLocationURL() : std::string();
      });
}

}  // namespace kestrel
