#include "tools/external_commands.h"

#include <unistd.h>

#include <cstdlib>

#include "common/strings.h"
#include "common/textfile.h"
#include "frame/command_ids.h"
#include "site/kestrel_view.h"

namespace kestrel {
namespace {

// Debian's chosen terminal first, then the desktops' own.
constexpr const char* kTerminals[] = {"x-terminal-emulator", "gnome-terminal", "konsole",    "xfce4-terminal",
                                      "mate-terminal",       "lxterminal",     "terminator", "xterm"};

constexpr unsigned kItems[] = {ID_MEDIA_PLAYER, ID_MESSENGER, ID_TELNET,   ID_CONSOLE,
                               ID_TEXT_EDITOR,  ID_PAINT,     ID_SYNCHRONIZE, ID_OTHER_BROWSER};

// The name of a .desktop file without its folder.
std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

bool HasCategory(const std::string& categories, const std::string& name) {
  for (const std::string& c : SplitFields(categories, ';'))
    if (Trim(c) == name) return true;
  return false;
}

// What each greyed-out item lacks, said the user's way.
const char* Missing(unsigned id) {
  switch (id) {
    case ID_MEDIA_PLAYER: return "No media player is installed";
    case ID_MESSENGER: return "No messenger is installed";
    case ID_TELNET: return "No telnet client is installed";
    case ID_CONSOLE: return "No terminal is installed";
    case ID_TEXT_EDITOR: return "No text editor is installed";
    case ID_PAINT: return "No painting program is installed";
    case ID_SYNCHRONIZE: return "This desktop has no synchronisation centre";
    case ID_OTHER_BROWSER: return "No other web browser is installed";
    default: return "";
  }
}

}  // namespace

XdgProgramFinder::XdgProgramFinder(XdgFolders folders, std::string path) : folders_(std::move(folders)) {
  if (path.empty())
    if (const char* env = std::getenv("PATH")) path = env;
  for (const std::string& dir : SplitFields(path, ':'))
    if (!dir.empty()) path_.push_back(dir);
}

std::string XdgProgramFinder::DefaultFor(const std::string& mimeType) const {
  return DefaultDesktopFile(mimeType, folders_);
}

std::vector<DesktopProgram> XdgProgramFinder::ProgramsFor(const std::string& mimeType) const {
  return ProgramsForType(mimeType, folders_);
}

std::string XdgProgramFinder::EntryOf(const std::string& desktopFile, const std::string& key) const {
  const std::optional<std::string> text = ReadWholeFile(desktopFile, 1 << 20);
  return text ? DesktopEntryValue(*text, key) : std::string();
}

std::string XdgProgramFinder::OnPath(const std::string& name) const {
  for (const std::string& dir : path_) {
    const std::string full = dir + "/" + name;
    if (::access(full.c_str(), X_OK) == 0) return full;
  }
  return {};
}

CExternalCommands::CExternalCommands(CommandRegistry& registry, Shell& shell, const ProgramFinder& finder,
                                     std::string self)
    : shell_(shell), finder_(finder), self_(std::move(self)), commands_(registry) {
  for (unsigned id : kItems) {
    const bool needsSite = id == ID_OTHER_BROWSER;
    commands_.Add(
        id, [this](const CommandContext& c) { Run(c.id, c.site); },
        [this, needsSite](const CommandContext& c) {
          return CommandState{(!needsSite || c.site) && !Find(c.id).empty(), false};
        });
  }
}

void CExternalCommands::Refresh() { found_.clear(); }

const Launch& CExternalCommands::Find(unsigned id) {
  // The menus ask for every state after each command: the XDG files are
  // read again only once they may have changed.
  const auto now = std::chrono::steady_clock::now();
  if (now - foundAt_ > std::chrono::seconds(5)) {
    found_.clear();
    foundAt_ = now;
  }
  auto it = found_.find(id);
  if (it == found_.end()) it = found_.emplace(id, Search(id)).first;
  return it->second;
}

Launch CExternalCommands::LaunchOf(unsigned id) { return Find(id); }

std::string CExternalCommands::Describe(unsigned id) {
  const Launch& l = Find(id);
  if (l.empty()) return Missing(id);
  return (id == ID_OTHER_BROWSER ? "Opens the page in " : "Starts ") + l.name;
}

Launch CExternalCommands::Desktop(const std::string& file) const {
  if (file.empty()) return {};
  Launch l;
  l.desktopFile = file;
  l.name = finder_.EntryOf(file, "Name");
  if (l.name.empty()) l.name = BaseName(file);
  return l;
}

Launch CExternalCommands::Terminal() const {
  for (const char* name : kTerminals) {
    const std::string path = finder_.OnPath(name);
    if (path.empty()) continue;
    Launch l;
    l.program = path;
    l.name = name == std::string("x-terminal-emulator") ? "the terminal" : name;
    return l;
  }
  return {};
}

Launch CExternalCommands::Search(unsigned id) const {
  const auto firstDefault = [this](std::initializer_list<const char*> types) {
    for (const char* t : types)
      if (std::string f = finder_.DefaultFor(t); !f.empty()) return f;
    return std::string();
  };
  switch (id) {
    case ID_MEDIA_PLAYER: return Desktop(firstDefault({"video/mp4", "video/x-matroska", "audio/mpeg"}));
    case ID_MESSENGER: return Desktop(firstDefault({"x-scheme-handler/xmpp", "x-scheme-handler/irc"}));
    case ID_TELNET: {
      if (Launch l = Desktop(finder_.DefaultFor("x-scheme-handler/telnet")); !l.empty()) return l;
      // The telnet program in a terminal of its own.
      const std::string telnet = finder_.OnPath("telnet");
      Launch l = telnet.empty() ? Launch{} : Terminal();
      if (l.empty()) return {};
      l.args = {"-e", telnet};
      l.name = "telnet in " + l.name;
      return l;
    }
    case ID_CONSOLE: return Terminal();
    case ID_TEXT_EDITOR: return Desktop(finder_.DefaultFor("text/plain"));
    case ID_PAINT:
      // A program that draws, not one that only shows pictures.
      for (const DesktopProgram& p : finder_.ProgramsFor("image/png")) {
        const std::string categories = finder_.EntryOf(p.desktopFile, "Categories");
        if (HasCategory(categories, "RasterGraphics") && !HasCategory(categories, "Viewer")) {
          Launch l = Desktop(p.desktopFile);
          if (!p.name.empty()) l.name = p.name;
          return l;
        }
      }
      return {};
    case ID_OTHER_BROWSER: {
      // The desktop's browser, or the first other one when that is Kestrel.
      const std::string chosen = finder_.DefaultFor("x-scheme-handler/https");
      if (!chosen.empty() && BaseName(chosen) != self_) return Desktop(chosen);
      for (const DesktopProgram& p : finder_.ProgramsFor("x-scheme-handler/https"))
        if (BaseName(p.desktopFile) != self_) return Desktop(p.desktopFile);
      return {};
    }
    default: return {};  // Synchronize: nothing of the kind on this desktop
  }
}

void CExternalCommands::Run(unsigned id, CKestrelView* site) {
  const Launch l = Find(id);
  if (l.empty()) return;
  std::string target;
  if (id == ID_OTHER_BROWSER) {
    if (!site) return;
    target = site->GetLocationURL();
  }
  if (!l.desktopFile.empty())
    shell_.OpenWithProgram(l.desktopFile, target);
  else
    shell_.Start(l.program, l.args, {});
}

}  // namespace kestrel
