#pragma once
// Tools > External: the desktop's own programs for playing media, chatting,
// a terminal, editing text and painting, and the page in another browser.
// Each item starts the program the user chose for that kind of file (the
// freedesktop default application of a MIME type or scheme) and is greyed
// out when this desktop has none.
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "frame/command_registry.h"
#include "platform/desktop_apps.h"
#include "platform/shell.h"

namespace kestrel {

class CKestrelView;

// Where the programs are found; the real one reads the XDG files and PATH.
class ProgramFinder {
 public:
  virtual ~ProgramFinder() = default;
  // The .desktop file of the default program for a MIME type or scheme, "" for none.
  virtual std::string DefaultFor(const std::string& mimeType) const = 0;
  virtual std::vector<DesktopProgram> ProgramsFor(const std::string& mimeType) const = 0;
  // A key of a .desktop file's [Desktop Entry] ("Name", "Categories"); "" without it.
  virtual std::string EntryOf(const std::string& desktopFile, const std::string& key) const = 0;
  // The full path of a program on PATH, "" when there is none.
  virtual std::string OnPath(const std::string& name) const = 0;
};

class XdgProgramFinder : public ProgramFinder {
 public:
  explicit XdgProgramFinder(XdgFolders folders = XdgFolders::FromEnvironment(), std::string path = {});
  std::string DefaultFor(const std::string& mimeType) const override;
  std::vector<DesktopProgram> ProgramsFor(const std::string& mimeType) const override;
  std::string EntryOf(const std::string& desktopFile, const std::string& key) const override;
  std::string OnPath(const std::string& name) const override;

 private:
  XdgFolders folders_;
  std::vector<std::string> path_;
};

// What one item starts: a desktop program, or a program with arguments.
struct Launch {
  std::string desktopFile;
  std::string program;
  std::vector<std::string> args;
  std::string name;  // what the user knows it by
  bool empty() const { return desktopFile.empty() && program.empty(); }
};

class CExternalCommands {
 public:
  // `self` is Kestrel's own .desktop file name ("kestrel.desktop"): the
  // other browser is never Kestrel itself.
  CExternalCommands(CommandRegistry& registry, Shell& shell, const ProgramFinder& finder,
                    std::string self = "kestrel.desktop");

  // What the item starts now; empty when this desktop has nothing for it.
  Launch LaunchOf(unsigned id);
  // The item's tooltip: the program it starts, or why it is greyed out.
  std::string Describe(unsigned id);
  // Looks for the programs again (they are kept for a few seconds, since
  // the menus ask for their states often).
  void Refresh();

 private:
  const Launch& Find(unsigned id);
  Launch Search(unsigned id) const;
  Launch Terminal() const;
  Launch Desktop(const std::string& file) const;
  void Run(unsigned id, CKestrelView* site);

  Shell& shell_;
  const ProgramFinder& finder_;
  std::string self_;
  std::map<unsigned, Launch> found_;
  std::chrono::steady_clock::time_point foundAt_{};
  CommandScope commands_;
};

}  // namespace kestrel
