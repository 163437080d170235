#pragma once
// Where a download goes: file names a server or a page suggests, made safe
// to create in a folder, unique there, and the partial name the file has
// until it is complete.
#include <functional>
#include <string>
#include <string_view>

namespace kestrel {

// A name's longest length in bytes; room is left for the ".part" ending
// and a " (99)" a unique name may need.
inline constexpr std::size_t kMaxDownloadNameBytes = 240;

// Only the last path component, without control characters, invalid UTF-8,
// leading or trailing dots and spaces, at most kMaxDownloadNameBytes (the
// extension kept); "download" when nothing is left.
std::string SafeFileName(std::string_view suggested);

// `name`, or "stem (1).ext", "stem (2).ext", ... : the first that `taken`
// does not report.
std::string UniqueFileName(const std::string& name, const std::function<bool(const std::string&)>& taken);

// The paths of a download to save as `finalPath`: the final path as given
// and a unique partial path beside it, neither taken on disk.
struct SavePaths {
  std::string finalPath;
  std::string partPath;
};
SavePaths PartialPathsFor(const std::string& finalPath);

// The path proposed to the user: `folder`/`suggested` made safe and unique.
std::string ProposedSavePath(const std::string& folder, std::string_view suggested);

// Whether a file can be created at `path` (created and removed again): ""
// when it can, else why not.
std::string ProbeWritable(const std::string& path);

}  // namespace kestrel
