#include "platform/xdg_default_browser.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include "common/progdir.h"
#include "common/strings.h"
#include "common/textfile.h"
#include "platform/desktop_apps.h"

namespace kestrel {
namespace {

constexpr const char* kDesktopId = "kestrel.desktop";
constexpr const char* kGroup = "[Default Applications]";
// A mimeapps.list is a few kilobytes; this is far past any real one.
constexpr std::size_t kMaxFile = 16u << 20;

// An Exec argument: quoted, with the reserved characters escaped, then the
// backslashes doubled again for the desktop file's own string rules.
std::string QuoteExecArgument(const std::string& arg) {
  std::string quoted = "\"";
  for (char c : arg) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  std::string out;
  for (char c : quoted) {
    if (c == '\\') out += '\\';
    out += c;
  }
  return out;
}

// Where the command of an Exec line really is: a bare name through PATH,
// links resolved, so an installed /usr/bin/kestrel link names the program
// it points to.
std::string ResolvedCommand(const std::string& command) {
  std::error_code ec;
  auto real = [&](const std::string& path) {
    const auto canonical = std::filesystem::canonical(path, ec);
    return ec ? std::string() : canonical.string();
  };
  if (command.find('/') != std::string::npos) return real(command);
  const char* path = std::getenv("PATH");
  for (const std::string& dir : SplitFields(path ? path : "", ':')) {
    if (dir.empty()) continue;
    const std::string candidate = dir + "/" + command;
    if (std::string found = real(candidate); !found.empty() && ::access(found.c_str(), X_OK) == 0) return found;
  }
  return {};
}

}  // namespace

const char* const XdgDefaultBrowser::kTypes[4] = {"x-scheme-handler/http", "x-scheme-handler/https",
                                                   "x-scheme-handler/ftp", "text/html"};

XdgDefaultBrowser::XdgDefaultBrowser(std::string executable, std::string configHome, std::string dataHome,
                                     std::vector<std::string> dataDirs)
    : exe_(std::move(executable)),
      config_(configHome.empty() ? XdgBaseDirectory("XDG_CONFIG_HOME", ".config") : std::move(configHome)),
      data_(dataHome.empty() ? XdgBaseDirectory("XDG_DATA_HOME", ".local/share") : std::move(dataHome)),
      dataDirs_(dataDirs.empty() ? XdgFolders::FromEnvironment().dataDirs : std::move(dataDirs)) {}

std::string XdgDefaultBrowser::LauncherInUse() const {
  if (FileExists(desktopFilePath())) return desktopFilePath();
  for (const std::string& dir : dataDirs_)
    if (std::string path = dir + "/applications/" + kDesktopId; FileExists(path)) return path;
  return {};
}

bool XdgDefaultBrowser::StartsThisProgram(const std::string& desktopFile) const {
  const auto desktop = desktopFile.empty() ? std::nullopt : ReadWholeFile(desktopFile, 1 << 20);
  const std::vector<std::string> exec = desktop ? DesktopExecCommand(*desktop, "") : std::vector<std::string>{};
  if (exec.empty()) return false;
  if (exec[0] == exe_) return true;
  const std::string command = ResolvedCommand(exec[0]), self = ResolvedCommand(exe_);
  return !command.empty() && command == self;
}

std::string DefaultApplicationFor(const std::string& mimeapps, const std::string& type, const std::string& group) {
  bool inGroup = false;
  for (const std::string& line : SplitTextLines(mimeapps, {4096, LongLines::Cut, true})) {
    if (!line.empty() && line[0] == '[') {
      inGroup = line == group;
      continue;
    }
    if (!inGroup) continue;
    auto eq = line.find('=');
    if (eq == std::string::npos || Trim(line.substr(0, eq)) != type) continue;
    return Trim(GetField(line.substr(eq + 1), 0, ';'));
  }
  return {};
}

std::string SetDefaultApplications(const std::string& mimeapps, const std::string& desktopId,
                                   const char* const* types, int count) {
  // Lines as they stand, "\r" and all: what is not ours is written back
  // byte for byte.
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < mimeapps.size();) {
    const std::size_t end = mimeapps.find('\n', start);
    lines.push_back(mimeapps.substr(start, end == std::string::npos ? std::string::npos : end - start));
    start = end == std::string::npos ? mimeapps.size() : end + 1;
  }
  const bool finalBreak = mimeapps.empty() || mimeapps.back() == '\n';
  std::vector<std::string> out;
  bool inGroup = false, sawGroup = false;
  auto addEntries = [&] {
    for (int i = 0; i < count; ++i) out.push_back(std::string(types[i]) + "=" + desktopId + ";");
  };
  for (const std::string& line : lines) {
    const std::string t = Trim(line);
    if (!t.empty() && t[0] == '[') {
      inGroup = t == kGroup;
      out.push_back(line);
      if (inGroup && !sawGroup) {
        sawGroup = true;
        addEntries();
      }
      continue;
    }
    if (inGroup) {
      const auto eq = t.find('=');
      const std::string key = eq == std::string::npos ? "" : Trim(t.substr(0, eq));
      bool ours = false;
      for (int i = 0; i < count; ++i) ours = ours || key == types[i];
      if (ours) continue;  // replaced by the entries written under the heading
    }
    out.push_back(line);
  }
  if (!sawGroup) {
    if (!out.empty() && !Trim(out.back()).empty()) out.push_back("");
    out.push_back(kGroup);
    addEntries();
  }
  std::string text = JoinLines(out, "\n");  // a break after every line
  if (!finalBreak && sawGroup) text.pop_back();
  return text;
}

bool XdgDefaultBrowser::IsDefault() const {
  const auto text = ReadWholeFile(mimeAppsPath(), kMaxFile);
  if (!text) return false;
  for (const char* type : kTypes)
    if (DefaultApplicationFor(*text, type) != kDesktopId) return false;
  // The entry must start this program: one moved elsewhere is not the default.
  return StartsThisProgram(LauncherInUse());
}

bool XdgDefaultBrowser::Register() {
  std::string desktop =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=Kestrel\n"
      "GenericName=Web Browser\n"
      "Comment=Browse many web sites at once\n"
      "Exec=" + QuoteExecArgument(exe_) + " %u\n"
      "Terminal=false\n"
      "Categories=Network;WebBrowser;\n"
      "MimeType=text/html;x-scheme-handler/http;x-scheme-handler/https;x-scheme-handler/ftp;\n";
  // A list that is there but cannot be read whole is left alone: writing
  // ours in its place would lose every other program's choices.
  const auto old = ReadWholeFile(mimeAppsPath(), kMaxFile);
  if (!old && FileExists(mimeAppsPath())) return false;
  // An installed launcher that starts this program is named as it is; a
  // copy of the user's own is only written when there is none (a build-tree
  // run) or the one in use starts another program.
  if (!StartsThisProgram(LauncherInUse()) &&
      (!MakeDirectories(data_ + "/applications") || !WriteFileAtomic(desktopFilePath(), desktop)))
    return false;
  if (!MakeDirectories(config_)) return false;
  return WriteFileAtomic(mimeAppsPath(), SetDefaultApplications(old.value_or(""), kDesktopId, kTypes, 4));
}

}  // namespace kestrel
