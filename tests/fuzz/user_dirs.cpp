// user-dirs.dirs: every folder read is an absolute path, and each desktop
// folder's address can be made from them.
#include "fuzz.h"
#include "platform/desktop_folders.h"

FUZZ_TARGET {
  kestrel::FolderEnvironment env;
  env.home = "/home/u";
  env.dataHome = "/home/u/.local/share";
  env.userDirs = kestrel::ParseUserDirs(fuzz::Text(data, size), env.home);
  for (const auto& [name, path] : env.userDirs) FUZZ_CHECK(!name.empty() && !path.empty() && path[0] == '/');
  for (int id = kestrel::kFolderDesktop; id <= kestrel::kFolderProfile; ++id) {
    const std::string address = kestrel::DesktopFolderAddress(id, env);
    FUZZ_CHECK(address.empty() || address.starts_with("file:///"));
  }
  return 0;
}
