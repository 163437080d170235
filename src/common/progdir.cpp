#include "common/progdir.h"

#include <pwd.h>
#include <sys/stat.h>
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

namespace {

std::string_view WithoutLeadingSlashes(std::string_view relative) {
  while (!relative.empty() && relative.front() == '/') relative.remove_prefix(1);
  return relative;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

bool MakeParentFolders(const std::string& path) {
  std::error_code ec;
  const std::string folder = path.substr(0, path.rfind('/') + 1);
  std::filesystem::create_directories(folder, ec);
  return std::filesystem::is_directory(folder, ec);
}

}  // namespace

bool ProgramFolderIsShared() {
  const std::string& dir = ProgramDirectory();
  return Exists(dir + kInstalledMarkerFile) || ::access(dir.c_str(), W_OK) != 0;
}

ProgramFolder::ProgramFolder(std::string folder) {
  if (!folder.empty()) layers_.push_back(WithSlash(std::move(folder)));
}

ProgramFolder::ProgramFolder(std::string mine, std::string installed) {
  mine = WithSlash(std::move(mine));
  installed = WithSlash(std::move(installed));
  layers_.push_back(mine);
  if (installed != mine) layers_.push_back(std::move(installed));
}

const std::string& ProgramFolder::SaveFolder() const {
  static const std::string none;
  return layers_.empty() ? none : layers_.front();
}

std::string ProgramFolder::Find(std::string_view name) const {
  const std::string_view rest = WithoutLeadingSlashes(name);
  for (const std::string& layer : layers_) {
    std::string path = layer + std::string(rest);
    if (layers_.size() == 1 || Exists(path)) return path;
  }
  return SavePath(rest);
}

bool ProgramFolder::IsInstalledPath(const std::string& path) const {
  if (layers_.size() < 2 || path.compare(0, layers_[0].size(), layers_[0]) == 0) return false;
  for (std::size_t i = 1; i < layers_.size(); ++i)
    if (path.compare(0, layers_[i].size(), layers_[i]) == 0) return true;
  return false;
}

std::string ProgramFolder::SavePathFor(const std::string& found) const {
  for (const std::string& layer : layers_)
    if (found.compare(0, layer.size(), layer) == 0) return SavePath(std::string_view(found).substr(layer.size()));
  return SavePath(found.substr(found.rfind('/') + 1));
}

ProgramFolder ProgramFolder::Sub(std::string_view relative) const {
  ProgramFolder sub;
  const std::string rest = WithSlash(std::string(WithoutLeadingSlashes(relative)));
  for (const std::string& layer : layers_) sub.layers_.push_back(layer + rest);
  return sub;
}

ProgramFolder ProgramRoot() {
  if (!ProgramFolderIsShared()) return ProgramFolder(ProgramDirectory());
  return ProgramFolder(UserDataDirectory(), ProgramDirectory());
}

ProgramFolder ProgramSubfolder(const std::string& relative) { return ProgramRoot().Sub(relative); }

std::string ProgramFile(const std::string& relative) { return ProgramRoot().Find(relative); }

std::string WritableProgramFile(const std::string& relative) {
  const ProgramFolder root = ProgramRoot();
  const std::string path = root.SavePath(WithoutLeadingSlashes(relative));
  if (root.Layered()) MakeParentFolders(path);
  return path;
}

std::string ProgramFolder::EditablePath(const std::string& found) const {
  if (!IsInstalledPath(found)) return found;
  const std::string mine = SavePathFor(found);
  if (Exists(mine)) return mine;
  std::error_code ec;
  if (!MakeParentFolders(mine) || !std::filesystem::copy_file(found, mine, ec)) return {};
  // The copy is the user's own: writable even when the installed file is not.
  std::filesystem::permissions(mine, std::filesystem::perms::owner_write, std::filesystem::perm_options::add, ec);
  return mine;
}

std::string EditableProgramFile(const std::string& relative) {
  const ProgramFolder root = ProgramRoot();
  return root.EditablePath(root.Find(relative));
}

}  // namespace kestrel
