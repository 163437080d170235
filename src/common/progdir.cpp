#include "common/progdir.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace kestrel {

namespace {

std::string WithSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

const std::string& ExecutableFolder() {
  static const std::string folder = [] {
    std::error_code ec;
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    const std::size_t slash = exe.rfind('/');
    if (ec || slash == std::string::npos) return std::string("./");
    return exe.substr(0, slash + 1);
  }();
  return folder;
}

std::mutex mutex;
std::string overrideDir;  // set by tests
std::string current;      // what ProgramDirectory last handed out

}  // namespace

const std::string& ProgramDirectory() {
  std::lock_guard lock(mutex);
  std::string dir;
  if (!overrideDir.empty()) {
    dir = overrideDir;
  } else if (const char* env = std::getenv("KESTREL_PROGRAM_DIR"); env && *env) {
    dir = WithSlash(env);
  } else {
    dir = ExecutableFolder();
  }
  // Only written when it changes, so callers holding the reference in a
  // steady state never see it move under them.
  if (dir != current) current = std::move(dir);
  return current;
}

void SetProgramDirectory(const std::string& dir) {
  std::lock_guard lock(mutex);
  overrideDir = dir.empty() ? std::string() : WithSlash(dir);
}

std::string XdgBaseDirectory(const char* variable, const char* fallback) {
  auto trimmed = [](std::string dir) {
    while (!dir.empty() && dir.back() == '/') dir.pop_back();
    return dir;
  };
  // A relative value is to be ignored, as if it were not set.
  const char* value = std::getenv(variable);
  if (value && value[0] == '/') return trimmed(value);
  const char* home = std::getenv("HOME");
  if (!home || !home[0]) {
    // Without HOME the user database knows the home; never the root folder.
    const passwd* pw = getpwuid(getuid());
    home = pw && pw->pw_dir ? pw->pw_dir : "";
  }
  return trimmed(home) + "/" + fallback;
}

std::string UserDataDirectory() { return XdgBaseDirectory("XDG_DATA_HOME", ".local/share") + "/Corvana/Kestrel/"; }

std::string WritableProgramFile(const std::string& relative) {
  const std::string inProgram = ProgramFile(relative);
  const std::string folder = inProgram.substr(0, inProgram.rfind('/') + 1);
  if (::access(folder.c_str(), W_OK) == 0) return inProgram;
  std::size_t skip = 0;
  while (skip < relative.size() && relative[skip] == '/') ++skip;
  const std::string mine = UserDataDirectory() + relative.substr(skip);
  std::error_code ec;
  std::filesystem::create_directories(mine.substr(0, mine.rfind('/')), ec);
  return mine;
}

std::string ProgramFile(const std::string& relative) {
  std::size_t skip = 0;
  while (skip < relative.size() && relative[skip] == '/') ++skip;
  return ProgramDirectory() + relative.substr(skip);
}

}  // namespace kestrel
