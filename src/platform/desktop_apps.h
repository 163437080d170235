#pragma once
// The desktop's chosen program for a kind of file, found the freedesktop
// way: the mimeapps.list files of the user and the system, then the
// installed programs' mimeinfo.cache, each naming a .desktop file whose
// Exec line says how to start it.
#include <string>
#include <vector>

namespace kestrel {

struct XdgFolders {
  std::string configHome, dataHome;            // without a final "/"
  std::vector<std::string> configDirs, dataDirs;
  static XdgFolders FromEnvironment();
};

// The full path of the .desktop file of the default program for `mimeType`;
// "" when none is installed.
std::string DefaultDesktopFile(const std::string& mimeType, const XdgFolders& folders);

// An installed program, by its .desktop file.
struct DesktopProgram {
  std::string desktopFile;  // full path
  std::string name;         // its Name=, the file's name when it has none
};

// Every installed program registered for `mimeType`, each once: the chosen
// defaults first, then the added associations, then what the programs say
// of themselves; hidden ones and those removed for the type are left out.
std::vector<DesktopProgram> ProgramsForType(const std::string& mimeType, const XdgFolders& folders);

// The value of `key` in a desktop file's [Desktop Entry] group; "" without it.
std::string DesktopEntryValue(const std::string& desktopText, const std::string& key);

// The program and its arguments from a desktop file's Exec line, `file` put
// where the line asks for a file or address (or appended when it asks for
// none); an empty `file` gives no argument for it. Empty when the file has
// no usable Exec line.
std::vector<std::string> DesktopExecCommand(const std::string& desktopText, const std::string& file);

}  // namespace kestrel
