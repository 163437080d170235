#pragma once
#include <string>

namespace kestrel {

// The folder that holds the executable, always ending in "/". Every data
// file and folder of the program is named relative to it. The environment
// variable KESTREL_PROGRAM_DIR, when set, stands in for it (tests run the
// real binary over a temporary program folder).
const std::string& ProgramDirectory();

// Tests give each object a temporary program folder; "" goes back to the real one.
void SetProgramDirectory(const std::string& dir);

// `relative` inside the program folder ("filter.dat", "forms/").
std::string ProgramFile(const std::string& relative);

// An XDG base folder without its final "/": $`variable` when it is an
// absolute path, else the home folder's `fallback` (".config"). The home is
// $HOME, or the user database's when HOME is unset or empty.
std::string XdgBaseDirectory(const char* variable, const char* fallback);

// The user's own data folder, ending in "/": $XDG_DATA_HOME/Corvana/Kestrel/
// (XDG_DATA_HOME defaulting to ~/.local/share).
std::string UserDataDirectory();

// Where a file the program writes for itself goes: the program folder, or,
// when that folder cannot be written (an installed program), the user's data
// folder, made when missing.
std::string WritableProgramFile(const std::string& relative);

}  // namespace kestrel
