#include "platform/profile_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "common/progdir.h"
#include "common/textfile.h"

namespace kestrel {

namespace {
// No profile is this large; a file that is gets kept aside, not read.
constexpr std::size_t kMaxProfileBytes = 16u << 20;
}  // namespace

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {}

std::string ProfileFile::DefaultPath() {
  const char* explicitPath = std::getenv("KESTREL_PROFILE");
  if (explicitPath && explicitPath[0]) return explicitPath;
  return XdgBaseDirectory("XDG_CONFIG_HOME", ".config") + "/Corvana/Kestrel/profile.reg";
}

ProfileFile::LoadResult ProfileFile::Load(RegistryProfile& profile) {
  profile.Clear();
  struct stat st {};
  if (::stat(path_.c_str(), &st) != 0) return errno == ENOENT ? LoadResult::Missing : LoadResult::Unreadable;
  // A folder or a device is left alone (reading a pipe would never end).
  if (!S_ISREG(st.st_mode)) return LoadResult::Unreadable;
  if (static_cast<std::uint64_t>(st.st_size) <= kMaxProfileBytes) {
    if (std::optional<std::string> text = ReadWholeFile(path_, kMaxProfileBytes)) {
      if (profile.Parse(*text)) return LoadResult::Loaded;
      profile.Clear();
    }
  }
  // Too big, unreadable or not a profile: saving at shutdown would replace
  // it, so it is moved aside for the user to look at.
  if (std::rename(path_.c_str(), asidePath().c_str()) != 0) return LoadResult::Unreadable;
  return LoadResult::KeptAside;
}

bool ProfileFile::Save(const RegistryProfile& profile, std::string* error) const {
  const std::size_t slash = path_.rfind('/');
  if (slash != std::string::npos && slash > 0) {
    const std::string folder = path_.substr(0, slash);
    if (!MakeDirectories(folder)) {
      if (error) *error = "cannot create the folder " + folder;
      return false;
    }
  }
  return WriteFileAtomic(path_, profile.Serialize(), error);
}

}  // namespace kestrel
