#pragma once
// Where the profile is kept between runs.
#include <string>

#include "platform/profile.h"

namespace kestrel {

// The profile file: loaded once at start, saved once at shutdown.
class ProfileFile {
 public:
  explicit ProfileFile(std::string path);

  // $KESTREL_PROFILE, else $XDG_CONFIG_HOME/Corvana/Kestrel/profile.reg
  // (XDG_CONFIG_HOME defaulting to ~/.config).
  static std::string DefaultPath();

  enum class LoadResult {
    Missing,    // no file: defaults
    Loaded,     // read (damaged values, if any, read as missing)
    KeptAside,  // not a registry file: moved to <path>.bad, defaults used
    Unreadable, // exists but cannot be read (and could not be moved aside)
  };
  // Fills `profile` (emptied first). The caller reports KeptAside and
  // Unreadable through the message routine.
  LoadResult Load(RegistryProfile& profile);

  // Writes atomically (temporary file, flush, rename) and creates missing
  // folders; on failure the old file is intact and `error` says why.
  bool Save(const RegistryProfile& profile, std::string* error = nullptr) const;

  const std::string& path() const { return path_; }
  std::string asidePath() const { return path_ + ".bad"; }

 private:
  std::string path_;
};

}  // namespace kestrel
