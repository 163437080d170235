#include "platform/desktop_folders.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace kestrel {
namespace {

constexpr std::size_t kMaxUserDirsBytes = 64 * 1024;

// Absolute path with repeated slashes folded and no trailing slash; "" for a
// relative or empty path, or one with control bytes a file name cannot
// sensibly carry (a NUL would cut the path short at the system call).
std::string Normalize(std::string_view path) {
  if (path.empty() || path[0] != '/') return "";
  std::string out;
  out.reserve(path.size());
  for (char c : path) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return "";
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out += c;
  }
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  return out;
}

// base/name, or "" when the base is not an absolute folder.
std::string Join(const std::string& base, std::string_view name) {
  std::string b = Normalize(base);
  if (b.empty()) return "";
  if (b != "/") b += '/';
  return Normalize(b.append(name));
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// One XDG_<NAME>_DIR="value" line; false when it is not one.
bool ParseLine(std::string_view line, const std::string& home, std::string& name,
               std::string& path) {
  std::size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  std::size_t keyStart = i;
  while (i < line.size() && IsNameChar(line[i])) ++i;
  std::string_view key = line.substr(keyStart, i - keyStart);
  constexpr std::string_view kPrefix = "XDG_", kSuffix = "_DIR";
  if (key.size() <= kPrefix.size() + kSuffix.size() || !key.starts_with(kPrefix) ||
      !key.ends_with(kSuffix))
    return false;
  while (i < line.size() && IsBlank(line[i])) ++i;
  if (i >= line.size() || line[i] != '=') return false;
  ++i;
  while (i < line.size() && IsBlank(line[i])) ++i;
  if (i >= line.size() || line[i] != '"') return false;
  ++i;

  // The $HOME prefix is recognised only unescaped: "\$HOME/x" is the literal
  // (relative, so rejected) name "$HOME/x".
  std::string value;
  constexpr std::string_view kHome = "$HOME";
  bool fromHome = false;
  if (line.substr(i).starts_with(kHome)) {
    std::size_t after = i + kHome.size();
    if (after < line.size() && (line[after] == '/' || line[after] == '"')) {
      fromHome = true;
      i = after;
    } else {
      return false;  // "$HOMEX", or the line ends inside the quotes
    }
  }
  bool closed = false;
  while (i < line.size()) {
    char c = line[i++];
    if (c == '"') {
      closed = true;
      break;
    }
    if (c == '\\') {
      if (i >= line.size()) break;
      c = line[i++];
    }
    value += c;
  }
  if (!closed) return false;
  while (i < line.size() && IsBlank(line[i])) ++i;
  if (i != line.size()) return false;  // something after the closing quote

  if (fromHome) {
    std::string h = Normalize(home);
    if (h.empty()) return false;
    path = value.empty() || value == "/" ? h : Normalize(h + value);
  } else {
    path = Normalize(value);
  }
  if (path.empty()) return false;
  name = std::string(key.substr(kPrefix.size(), key.size() - kPrefix.size() - kSuffix.size()));
  return true;
}

// An XDG base variable: used when absolute, else home/fallback.
std::string BaseFolder(const char* var, const std::string& home, const char* fallback) {
  const char* v = std::getenv(var);
  if (v) {
    std::string p = Normalize(v);
    if (!p.empty()) return p;
  }
  return Join(home, fallback);
}

std::string HomeFolder() {
  if (const char* h = std::getenv("HOME")) {
    std::string p = Normalize(h);
    if (!p.empty()) return p;
  }
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buf(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd pw{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found &&
      found->pw_dir)
    return Normalize(found->pw_dir);
  return "";
}

// Only a regular file is read, so a FIFO or device put there cannot stall
// start-up.
std::string ReadHead(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return "";
  std::string text;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    text.resize(kMaxUserDirsBytes + 1);
    std::size_t got = 0;
    while (got < text.size()) {
      ssize_t n = ::read(fd, text.data() + got, text.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    text.resize(got);
    if (got > kMaxUserDirsBytes) {
      // Cut short: the last line is incomplete, so it is not read at all.
      text.resize(kMaxUserDirsBytes);
      std::size_t nl = text.rfind('\n');
      text.resize(nl == std::string::npos ? 0 : nl + 1);
    }
  }
  ::close(fd);
  return text;
}

// A user dir from user-dirs.dirs, unless missing or "disabled" (equal to home).
std::string UserDir(const FolderEnvironment& env, const char* name, std::string_view fallback) {
  std::string home = Normalize(env.home);
  auto it = env.userDirs.find(name);
  if (it != env.userDirs.end()) {
    std::string p = Normalize(it->second);
    if (!p.empty() && p != home) return p;
  }
  if (home.empty()) return "";
  return fallback.empty() ? home : Join(home, fallback);
}

}  // namespace

std::map<std::string, std::string> ParseUserDirs(std::string_view text, const std::string& home) {
  std::map<std::string, std::string> dirs;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t nl = text.find('\n', pos);
    std::size_t end = nl == std::string_view::npos ? text.size() : nl;
    std::string name, path;
    if (ParseLine(text.substr(pos, end - pos), home, name, path)) dirs[name] = path;
    pos = end + 1;
  }
  return dirs;
}

FolderEnvironment FolderEnvironment::FromProcess(const std::string& programDir) {
  FolderEnvironment env;
  env.home = HomeFolder();
  env.configHome = BaseFolder("XDG_CONFIG_HOME", env.home, ".config");
  env.dataHome = BaseFolder("XDG_DATA_HOME", env.home, ".local/share");
  env.cacheHome = BaseFolder("XDG_CACHE_HOME", env.home, ".cache");
  env.programDir = programDir;
  if (!env.configHome.empty())
    env.userDirs = ParseUserDirs(ReadHead(Join(env.configHome, "user-dirs.dirs")), env.home);
  return env;
}

std::string DesktopFolderPath(int id, const FolderEnvironment& env) {
  switch (id) {
    case kFolderDesktop: return UserDir(env, "DESKTOP", "Desktop");
    case kFolderPersonal: return UserDir(env, "DOCUMENTS", "");
    case kFolderMyPictures: return UserDir(env, "PICTURES", "");
    case kFolderProfile: return Normalize(env.home);
    case kFolderDrives: return "/";
    case kFolderNetwork: return "/mnt";
    case kFolderControls: return "";
    case kFolderPrinters: return "";
    case kFolderRecent: return Normalize(env.dataHome);
    case kFolderBitBucket: return Join(env.dataHome, "Trash/files");
    case kFolderStartMenu: return Join(env.dataHome, "applications");
    case kFolderCommonStartMenu: return "/usr/share/applications";
    case kFolderStartup: return Join(env.configHome, "autostart");
    case kFolderCommonStartup: return "/etc/xdg/autostart";
    case kFolderWindows: return "/";
    case kFolderSystem: return "/usr/bin";
    case kFolderProgramFiles: return "/usr";
    case kFolderFavorites: return Join(env.programDir, "favorites");
    case kFolderHistory: return Join(env.programDir, "history");
    case kFolderCookies: return Join(env.programDir, "cookies");
    case kFolderInternetCache: return Join(env.programDir, "cache");
    default: return "";
  }
}

std::string DesktopFolderAddress(int id, const FolderEnvironment& env) {
  std::string path = DesktopFolderPath(id, env);
  if (path.empty()) return "";
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (char ch : path) {
    auto c = static_cast<unsigned char>(ch);
    bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
    if (keep) {
      url += ch;
    } else {
      url += '%';
      url += kHex[c >> 4];
      url += kHex[c & 15];
    }
  }
  return url;
}

}  // namespace kestrel
