#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// The folder that holds the executable, always ending in "/". Every data
// file and folder of the program is named relative to it. The environment
// variable KESTREL_PROGRAM_DIR, when set, stands in for it (tests run the
// real binary over a temporary program folder).
const std::string& ProgramDirectory();

// Tests give each object a temporary program folder; "" goes back to the real one.
void SetProgramDirectory(const std::string& dir);

// An XDG base folder without its final "/": $`variable` when it is an
// absolute path, else the home folder's `fallback` (".config"). The home is
// $HOME, or the user database's when HOME is unset or empty.
std::string XdgBaseDirectory(const char* variable, const char* fallback);

// The user's own data folder, ending in "/": $XDG_DATA_HOME/Corvana/Kestrel/
// (XDG_DATA_HOME defaulting to ~/.local/share).
std::string UserDataDirectory();

// The file that marks an installed program folder: one shared by every user
// of the machine, never written by the program.
inline constexpr const char* kInstalledMarkerFile = "installed.txt";

// Whether the program folder is shared (installed, or not writable): then
// each user's changes live in their own copy of it, the user data folder,
// laid over the installed one. A build-tree folder is the user's alone.
bool ProgramFolderIsShared();

// A folder of the program as this user sees it: their own copy first, then
// the installed one. Reading takes the first layer that holds a name, so a
// list the user never changed keeps coming from the installed copy and an
// update reaches them; saving always goes to the first layer. A folder
// given as one path is a single layer (tests, a build tree).
class ProgramFolder {
 public:
  ProgramFolder() = default;
  ProgramFolder(std::string folder);  // NOLINT: one layer, read and written
  ProgramFolder(const char* folder) : ProgramFolder(std::string(folder)) {}  // NOLINT
  ProgramFolder(std::string mine, std::string installed);

  bool empty() const { return layers_.empty(); }
  bool Layered() const { return layers_.size() > 1; }
  const std::vector<std::string>& Layers() const { return layers_; }  // each ends in "/", the user's first
  // Where saves go, ending in "/"; made on the first save (MakeDirectories).
  const std::string& SaveFolder() const;
  std::string SavePath(std::string_view name) const { return SaveFolder() + std::string(name); }
  // The first layer's `name` that exists, else the save folder's.
  std::string Find(std::string_view name) const;
  // Whether `path` lies in a layer that is not the user's (it cannot be changed).
  bool IsInstalledPath(const std::string& path) const;
  // Where a file Find gave as `found` is saved: the same name in the save folder.
  // A path outside every layer keeps only its file name.
  std::string SavePathFor(const std::string& found) const;
  // A file Find gave as `found`, about to be edited by hand: `found` when it is
  // the user's, else the user's copy made from it (the installed file is never
  // the one changed). Empty when the copy cannot be made.
  std::string EditablePath(const std::string& found) const;
  // The same folder one level down ("translate/").
  ProgramFolder Sub(std::string_view relative) const;

 private:
  std::vector<std::string> layers_;
};

// The whole program folder, layered when it is shared.
ProgramFolder ProgramRoot();
// `relative` inside it ("groups/", "language/").
ProgramFolder ProgramSubfolder(const std::string& relative);

// A program file to read ("filter.dat", "help/index.htm"): the user's own
// copy when there is one, else the installed one.
std::string ProgramFile(const std::string& relative);

// Where a program file is saved: the user's copy when the program folder is
// shared (its folder made when missing), else the program folder's.
std::string WritableProgramFile(const std::string& relative);

// A program file the user is about to edit by hand: the user's copy, made
// from the installed one when there is none yet, so the installed file is
// never the one changed. Empty when the copy cannot be made.
std::string EditableProgramFile(const std::string& relative);

}  // namespace kestrel
