#include "downloads/download_names.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace kestrel {
namespace {

// Bytes of the valid UTF-8 sequence at s[i], 0 when there is none.
std::size_t Utf8Length(std::string_view s, std::size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k)
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
  if (n == 2 && c < 0xC2) return 0;  // overlong
  return n;
}

// The longest prefix of `s` of at most `bytes` that ends on a character boundary.
std::string_view CutAt(std::string_view s, std::size_t bytes) {
  if (s.size() <= bytes) return s;
  std::size_t end = bytes;
  while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) --end;
  return s.substr(0, end);
}

void Trim(std::string& s, std::string_view chars) {
  const std::size_t b = s.find_first_not_of(chars);
  if (b == std::string::npos) {
    s.clear();
    return;
  }
  s = s.substr(b, s.find_last_not_of(chars) - b + 1);
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found;
}

}  // namespace

std::string SafeFileName(std::string_view suggested) {
  // Either slash ends a folder: a Windows server's "a\b.txt" is "b.txt".
  const std::size_t slash = suggested.find_last_of("/\\");
  if (slash != std::string_view::npos) suggested = suggested.substr(slash + 1);
  std::string name;
  for (std::size_t i = 0; i < suggested.size();) {
    const std::size_t n = Utf8Length(suggested, i);
    const auto c = static_cast<unsigned char>(suggested[i]);
    if (n == 0) {
      name += '_';
      ++i;
      continue;
    }
    if (n == 1 && (c < 0x20 || c == 0x7F)) {
      ++i;
      continue;
    }
    // Direction overrides would show "exe.txt" for "txt.exe".
    if (n == 3 && c == 0xE2 && static_cast<unsigned char>(suggested[i + 1]) == 0x80 &&
        (static_cast<unsigned char>(suggested[i + 2]) & 0xF0) == 0xA0 &&
        static_cast<unsigned char>(suggested[i + 2]) >= 0xAA && static_cast<unsigned char>(suggested[i + 2]) <= 0xAE) {
      i += n;
      continue;
    }
    name.append(suggested.substr(i, n));
    i += n;
  }
  // A leading dot would hide the file; ".." and "." are no names at all.
  Trim(name, " .");
  if (name.empty()) return "download";
  if (name.size() > kMaxDownloadNameBytes) {
    const std::size_t dot = name.rfind('.');
    const std::size_t extLen = dot == std::string::npos ? 0 : name.size() - dot;
    if (extLen > 0 && extLen <= 16) {
      const std::string ext = name.substr(dot);
      name = std::string(CutAt(name, kMaxDownloadNameBytes - extLen)) + ext;
    } else {
      name = std::string(CutAt(name, kMaxDownloadNameBytes));
    }
  }
  return name;
}

std::string UniqueFileName(const std::string& name, const std::function<bool(const std::string&)>& taken) {
  if (!taken(name)) return name;
  const std::size_t slash = name.rfind('/');
  const std::size_t dot = name.rfind('.');
  // "archive.tar.gz" numbers as "archive (1).tar.gz" would be nicer, but
  // one extension is what every file manager shows.
  const bool hasExt = dot != std::string::npos && dot > (slash == std::string::npos ? 0 : slash + 1);
  const std::string stem = hasExt ? name.substr(0, dot) : name;
  const std::string ext = hasExt ? name.substr(dot) : std::string();
  for (int n = 1;; ++n) {
    std::string candidate = stem + " (" + std::to_string(n) + ")" + ext;
    if (!taken(candidate)) return candidate;
  }
}

SavePaths PartialPathsFor(const std::string& finalPath) {
  return {finalPath, UniqueFileName(finalPath + ".part", Exists)};
}

std::string ProposedSavePath(const std::string& folder, std::string_view suggested) {
  std::string dir = folder.empty() ? std::string(".") : folder;
  if (dir.back() != '/') dir += '/';
  return UniqueFileName(dir + SafeFileName(suggested), [](const std::string& p) {
    return Exists(p) || Exists(p + ".part");
  });
}

std::string ProbeWritable(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return std::strerror(errno);
  ::close(fd);
  ::unlink(path.c_str());
  return {};
}

}  // namespace kestrel
