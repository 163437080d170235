#include "platform/desktop_apps.h"

#include <algorithm>
#include <cstdlib>

#include "common/progdir.h"
#include "common/strings.h"
#include "common/textfile.h"
#include "platform/xdg_default_browser.h"

namespace kestrel {

namespace {

std::vector<std::string> PathList(const char* variable, const char* fallback) {
  const char* v = std::getenv(variable);
  std::vector<std::string> out;
  for (const std::string& d : SplitFields(v && *v ? v : fallback, ':'))
    if (!d.empty() && d[0] == '/') out.push_back(d.back() == '/' ? d.substr(0, d.size() - 1) : d);
  return out;
}

// The desktop file of `id` among the programs' folders, or "".
std::string FindDesktopFile(const std::string& id, const XdgFolders& f) {
  if (id.empty() || id.find('/') != std::string::npos) return {};
  std::vector<std::string> dirs{f.dataHome};
  dirs.insert(dirs.end(), f.dataDirs.begin(), f.dataDirs.end());
  for (const std::string& d : dirs) {
    const std::string path = d + "/applications/" + id;
    if (FileExists(path)) return path;
  }
  return {};
}

std::string FirstListed(const std::string& path, const std::string& type, const std::string& group,
                        const XdgFolders& f) {
  const std::optional<std::string> text = ReadWholeFile(path, 1 << 20);
  return text ? FindDesktopFile(DefaultApplicationFor(*text, type, group), f) : std::string();
}

// The mimeapps.list files in the order they count: the user's, the
// system's, then the older places beside the programs.
std::vector<std::string> MimeappsLists(const XdgFolders& f) {
  std::vector<std::string> lists{f.configHome + "/mimeapps.list"};
  for (const std::string& d : f.configDirs) lists.push_back(d + "/mimeapps.list");
  lists.push_back(f.dataHome + "/applications/mimeapps.list");
  for (const std::string& d : f.dataDirs) lists.push_back(d + "/applications/mimeapps.list");
  return lists;
}

// What the installed programs say they open.
std::vector<std::string> MimeCaches(const XdgFolders& f) {
  std::vector<std::string> caches{f.dataHome + "/applications/mimeinfo.cache"};
  for (const std::string& d : f.dataDirs) caches.push_back(d + "/applications/mimeinfo.cache");
  return caches;
}

// Every desktop id the `group` of a mimeapps.list or mimeinfo.cache text lists for `type`.
std::vector<std::string> ListedFor(const std::string& text, const std::string& type, const std::string& group) {
  std::vector<std::string> ids;
  bool inGroup = false;
  for (const std::string& line : SplitTextLines(text, {1 << 16, LongLines::Cut, true})) {
    if (!line.empty() && line[0] == '[') {
      inGroup = line == group;
      continue;
    }
    const std::size_t eq = line.find('=');
    if (!inGroup || eq == std::string::npos || Trim(line.substr(0, eq)) != type) continue;
    for (const std::string& id : SplitFields(line.substr(eq + 1), ';'))
      if (!Trim(id).empty()) ids.push_back(Trim(id));
  }
  return ids;
}

// The value of `key` in the [Desktop Entry] group; "" when missing.
std::string EntryValue(const std::string& desktopText, const std::string& key) {
  bool inEntry = false;
  for (const std::string& line : SplitTextLines(desktopText, {1 << 16, LongLines::Cut, true})) {
    if (!line.empty() && line[0] == '[') {
      inEntry = line == "[Desktop Entry]";
      continue;
    }
    const std::size_t eq = line.find('=');
    if (inEntry && eq != std::string::npos && Trim(line.substr(0, eq)) == key) return Trim(line.substr(eq + 1));
  }
  return {};
}

}  // namespace

std::string DesktopEntryValue(const std::string& desktopText, const std::string& key) {
  return EntryValue(desktopText, key);
}

std::vector<DesktopProgram> ProgramsForType(const std::string& mimeType, const XdgFolders& f) {
  const std::vector<std::string> lists = MimeappsLists(f);
  const std::vector<std::string> caches = MimeCaches(f);

  std::vector<std::string> ids, removed;
  auto gather = [&](const std::vector<std::string>& files, const char* group, std::vector<std::string>& into) {
    for (const std::string& file : files)
      if (const std::optional<std::string> text = ReadWholeFile(file, 1 << 20))
        for (std::string& id : ListedFor(*text, mimeType, group)) into.push_back(std::move(id));
  };
  gather(lists, "[Removed Associations]", removed);
  gather(lists, "[Default Applications]", ids);
  gather(lists, "[Added Associations]", ids);
  gather(caches, "[MIME Cache]", ids);

  std::vector<DesktopProgram> out;
  std::vector<std::string> seen;
  for (const std::string& id : ids) {
    if (std::find(seen.begin(), seen.end(), id) != seen.end()) continue;
    seen.push_back(id);
    if (std::find(removed.begin(), removed.end(), id) != removed.end()) continue;
    const std::string path = FindDesktopFile(id, f);
    const std::optional<std::string> text = path.empty() ? std::nullopt : ReadWholeFile(path, 1 << 20);
    if (!text || EntryValue(*text, "Hidden") == "true" || EntryValue(*text, "Exec").empty()) continue;
    std::string name = EntryValue(*text, "Name");
    out.push_back({path, name.empty() ? id : name});
  }
  return out;
}

XdgFolders XdgFolders::FromEnvironment() {
  XdgFolders f;
  f.configHome = XdgBaseDirectory("XDG_CONFIG_HOME", ".config");
  f.dataHome = XdgBaseDirectory("XDG_DATA_HOME", ".local/share");
  f.configDirs = PathList("XDG_CONFIG_DIRS", "/etc/xdg");
  f.dataDirs = PathList("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
  return f;
}

std::string DefaultDesktopFile(const std::string& mimeType, const XdgFolders& f) {
  const std::vector<std::string> lists = MimeappsLists(f);
  for (const std::string& list : lists)
    if (std::string path = FirstListed(list, mimeType, "[Default Applications]", f); !path.empty()) return path;
  // Nobody chose: any installed program that says it opens the type.
  const std::vector<std::string> caches = MimeCaches(f);
  for (const std::string& cache : caches)
    if (std::string path = FirstListed(cache, mimeType, "[MIME Cache]", f); !path.empty()) return path;
  return {};
}

std::vector<std::string> DesktopExecCommand(const std::string& desktopText, const std::string& file) {
  const std::string exec = EntryValue(desktopText, "Exec");
  // The value's own escapes first (a "\\" stands for one backslash), then
  // the command line's quoting.
  std::string value;
  for (std::size_t i = 0; i < exec.size(); ++i) {
    if (exec[i] == '\\' && i + 1 < exec.size()) {
      const char n = exec[++i];
      value += n == 's' ? ' ' : n == 'n' ? '\n' : n == 't' ? '\t' : n == 'r' ? '\r' : n;
    } else {
      value += exec[i];
    }
  }
  std::vector<std::string> args;
  bool usedFile = false;
  std::string arg;
  bool inArg = false, quoted = false;
  const auto finish = [&] {
    if (inArg) args.push_back(arg);
    arg.clear();
    inArg = false;
  };
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (quoted) {
      if (c == '"') quoted = false;
      else if (c == '\\' && i + 1 < value.size()) arg += value[++i];
      else if (c == '%' && i + 1 < value.size() && value[i + 1] == '%') arg += value[++i];
      else arg += c;
      continue;
    }
    if (c == ' ' || c == '\t') {
      finish();
      continue;
    }
    inArg = true;
    if (c == '"') {
      quoted = true;
    } else if (c == '%' && i + 1 < value.size()) {
      const char code = value[++i];
      if (code == '%') {
        arg += '%';
      } else if (code == 'f' || code == 'F' || code == 'u' || code == 'U') {
        arg += file;
        usedFile = true;
        // Started with no file: the field gives no argument at all.
        if (file.empty() && arg.empty() && (i + 1 == value.size() || value[i + 1] == ' ')) inArg = false;
      } else if (arg.empty() && (i + 1 == value.size() || value[i + 1] == ' ')) {
        inArg = false;  // a field code standing alone that gives nothing here (%i, %c, %k)
      }
    } else {
      arg += c;
    }
  }
  finish();
  if (quoted || args.empty()) return {};
  if (!usedFile && !file.empty()) args.push_back(file);
  return args;
}

}  // namespace kestrel
