#include "collections/favorites.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <system_error>

#include "common/progdir.h"
#include "common/strings.h"
#include "common/textfile.h"

namespace kestrel {

namespace fs = std::filesystem;

bool IsShortcutFile(std::string_view name) {
  return name.size() > 4 && EqualsNoCase(name.substr(name.size() - 4), ".url");
}

std::string ShortcutUrl(std::string_view text) {
  const IniSection section = ReadIniSection(text, "InternetShortcut", kShortcutUrlMax);
  const auto url = section.find("url");
  if (url == section.end()) return {};
  // A NUL ends the address, as it did for the C-string readers the format
  // comes from (WriteShortcut could not keep what follows it either); what
  // the cut leaves is trimmed like any value.
  return Trim(std::string_view(url->second).substr(0, url->second.find('\0')));
}

std::optional<std::string> ReadShortcutUrl(const std::string& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return std::nullopt;
  // A shortcut is a few lines; anything of a megabyte is no shortcut.
  const std::optional<std::string> text = ReadWholeFile(path, 1 << 20);
  if (!text) return std::nullopt;
  return ShortcutUrl(*text);
}

bool WriteShortcut(const std::string& path, const std::string& url) {
  // A line break in the address would start a line of its own in the file.
  std::string clean;
  for (char c : url.substr(0, kShortcutUrlMax))
    if (c != '\r' && c != '\n' && c != '\0') clean += c;
  return WriteFileAtomic(path, "[InternetShortcut]\r\nURL=" + clean + "\r\n");
}

std::string FavoriteFileName(std::string_view name) {
  std::string out;
  for (unsigned char c : name) {
    const bool blank = c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == ' ';
    if (!blank)
      out += static_cast<char>(c);
    else if (!out.empty() && out.back() != ' ')
      out += ' ';  // runs of what cannot stand in a name become one blank
  }
  // No hidden file, no "." or "..", however the dots and blanks are mixed.
  while (!out.empty() && (out[0] == '.' || out[0] == ' ')) out.erase(0, 1);
  out = Trim(out);
  if (out.size() > 120) {
    out.resize(120);
    while (!out.empty() && (static_cast<unsigned char>(out.back()) & 0xC0) == 0x80) out.pop_back();  // whole characters
    if (!out.empty() && static_cast<unsigned char>(out.back()) >= 0xC0) out.pop_back();
  }
  return out.empty() ? "Untitled" : out;
}

std::vector<FavoriteEntry> ListFavorites(const std::string& folder) {
  std::vector<FavoriteEntry> out;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    std::error_code kindError;
    FavoriteEntry e;
    e.path = it->path().string();
    e.name = name;
    if (fs::is_directory(it->path(), kindError)) {
      e.kind = FavoriteEntry::Kind::Folder;
    } else if (IsShortcutFile(name)) {
      e.kind = FavoriteEntry::Kind::Shortcut;
      e.name = name.substr(0, name.size() - 4);
    }
    out.push_back(std::move(e));
  }
  std::sort(out.begin(), out.end(), [](const FavoriteEntry& a, const FavoriteEntry& b) {
    const bool af = a.kind == FavoriteEntry::Kind::Folder, bf = b.kind == FavoriteEntry::Kind::Folder;
    if (af != bf) return af;
    return LessNoCase(a.name, b.name);
  });
  return out;
}

std::vector<FavoritesMenuItem> FavoritesPopup(const std::vector<FavoriteEntry>& entries, bool root, int breakCount) {
  using K = FavoritesMenuItem::Kind;
  std::vector<FavoritesMenuItem> items;
  if (root)
    for (K k : {K::AddToFavorites, K::Organize, K::Import, K::Export, K::Separator}) items.push_back({k, {}, false});
  items.push_back({K::OpenAll, {}, false});
  items.push_back({K::Separator, {}, false});
  for (const FavoriteEntry& e : entries)
    items.push_back({e.kind == FavoriteEntry::Kind::Folder ? K::Folder : K::Entry, e, false});
  if (breakCount > 0)
    for (std::size_t i = 1; i < items.size(); ++i) items[i].columnBreak = i % static_cast<std::size_t>(breakCount) == 0;
  return items;
}

std::vector<FavoriteEntry> OpenAllTargets(const std::vector<FavoriteEntry>& entries) {
  std::vector<FavoriteEntry> out;
  for (const FavoriteEntry& e : entries)
    if (e.kind != FavoriteEntry::Kind::Folder) out.push_back(e);
  return out;
}

namespace {

// Text of the file as a person reads it: entities decoded, tags dropped,
// runs of blanks made one.
std::string HtmlText(std::string_view s, std::size_t max) {
  std::string out;
  bool blank = false;
  auto isBlank = [](std::string_view t) { return t == " " || t == "\t" || t == "\r" || t == "\n"; };
  for (std::size_t i = 0; i < s.size() && out.size() < max; ++i) {
    char c = s[i];
    if (c == '<') {
      const std::size_t close = s.find('>', i);
      if (close == std::string_view::npos) break;
      i = close;
      continue;
    }
    std::string piece(1, c);
    if (c == '&') {
      const std::size_t semi = s.find(';', i);
      if (semi != std::string_view::npos && semi - i <= 10) {
        const std::string_view name = s.substr(i + 1, semi - i - 1);
        static const std::pair<const char*, const char*> kNamed[] = {
            {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}, {"nbsp", " "}};
        bool done = false;
        for (const auto& [n, v] : kNamed)
          if (name == n) {
            piece = v;
            done = true;
          }
        if (!done && name.size() > 1 && name[0] == '#') {
          const bool hex = name[1] == 'x' || name[1] == 'X';
          unsigned long cp = 0;
          bool ok = name.size() > (hex ? 2u : 1u);
          for (char d : name.substr(hex ? 2 : 1)) {
            const int v = hex ? HexValue(d) : (d >= '0' && d <= '9' ? d - '0' : -1);
            if (v < 0 || cp > 0x10FFFF) {
              ok = false;
              break;
            }
            cp = cp * (hex ? 16 : 10) + static_cast<unsigned long>(v);
          }
          if (ok) {
            piece.clear();
            AppendUtf8(piece, cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) ? 0xFFFD : cp);
            done = true;
          }
        }
        if (done) i = semi;
      }
    }
    // A blank written as an entity is a blank like the others: the export
    // writes it as it is, and it must read back the same.
    if (isBlank(piece)) {
      blank = !out.empty();
      continue;
    }
    // The cut falls before a character that would pass the limit, never
    // inside it: a decoded entity is several bytes, and the text exported
    // again must cut at the same place when it is read back.
    if (out.size() + (blank ? 1 : 0) + piece.size() > max) break;
    if (blank) out += ' ';
    blank = false;
    out += piece;
  }
  return out;
}

// The value of attribute `name` in the tag text (after the tag's name).
std::string Attribute(std::string_view tag, std::string_view name) {
  const std::string lower = ToLowerAscii(tag);
  for (std::size_t at = lower.find(name); at != std::string::npos; at = lower.find(name, at + 1)) {
    const bool startsWord = at > 0 && (lower[at - 1] == ' ' || lower[at - 1] == '\t' || lower[at - 1] == '\n' ||
                                       lower[at - 1] == '\r');
    std::size_t i = at + name.size();
    while (i < tag.size() && tag[i] == ' ') ++i;
    if (!startsWord || i >= tag.size() || tag[i] != '=') continue;
    ++i;
    while (i < tag.size() && tag[i] == ' ') ++i;
    if (i >= tag.size()) return {};
    if (tag[i] == '"' || tag[i] == '\'') {
      const std::size_t end = tag.find(tag[i], i + 1);
      return std::string(tag.substr(i + 1, end == std::string_view::npos ? std::string_view::npos : end - i - 1));
    }
    std::size_t end = i;
    while (end < tag.size() && tag[end] != ' ' && tag[end] != '>') ++end;
    return std::string(tag.substr(i, end - i));
  }
  return {};
}

}  // namespace

BookmarkImport ParseBookmarkHtml(std::string_view html) {
  BookmarkImport result;
  result.root.folder = true;
  struct Level {
    Bookmark* node;
    bool own;  // a <DL> of a folder of its own, not one lifted into its parent
  };
  std::vector<Level> stack{{&result.root, false}};
  Bookmark* pending = nullptr;  // the folder whose <DL> comes next
  int realDepth = 0;
  std::size_t i = 0;
  while ((i = html.find('<', i)) != std::string_view::npos) {
    const std::size_t close = html.find('>', i);
    if (close == std::string_view::npos) break;
    std::string_view tag = html.substr(i + 1, close - i - 1);
    std::size_t n = 0;
    while (n < tag.size() && tag[n] != ' ' && tag[n] != '\t' && tag[n] != '\n' && tag[n] != '\r') ++n;
    const std::string name = ToLowerAscii(tag.substr(0, n));
    i = close + 1;
    Bookmark& top = *stack.back().node;
    if (name == "dl") {
      const bool own = pending != nullptr;
      if (own) ++realDepth;
      stack.push_back({own ? pending : &top, own});
      pending = nullptr;
    } else if (name == "/dl") {
      if (stack.size() > 1) {
        if (stack.back().own) --realDepth;
        stack.pop_back();
      }
      pending = nullptr;
    } else if (name == "h3" || name == "a") {
      // The text runs to the closing tag, or to the next entry when the
      // closing tag is missing; never further, so a file of unclosed titles
      // is still read in one pass.
      const std::string end = name == "h3" ? "/h3" : "/a";
      std::size_t stop = html.size();
      for (std::size_t k = html.find('<', i); k != std::string_view::npos; k = html.find('<', k + 1)) {
        std::size_t e = k + 1;
        while (e < html.size() && e - k <= 4 && html[e] != '>' && html[e] != ' ' && html[e] != '\t' &&
               html[e] != '\n' && html[e] != '\r')
          ++e;
        const std::string next = ToLowerAscii(html.substr(k + 1, e - k - 1));
        if (next == end || next == "a" || next == "h3" || next == "dt" || next == "dd" || next == "dl" ||
            next == "/dl" || next == "hr") {
          stop = k;
          break;
        }
      }
      std::string title = HtmlText(html.substr(i, stop - i), 1024);
      i = stop;
      pending = nullptr;
      if (name == "h3") {
        if (realDepth >= kImportDepthMax) {
          result.depthCapped = true;  // its links go into the deepest folder kept
          continue;
        }
        Bookmark folder;
        folder.folder = true;
        folder.title = std::move(title);
        top.children.push_back(std::move(folder));
        pending = &top.children.back();
        ++result.folders;
      } else {
        std::string url = HtmlText(Attribute(tag, "href"), kShortcutUrlMax);
        if (url.empty()) continue;
        Bookmark link;
        link.title = title.empty() ? url : std::move(title);
        link.url = std::move(url);
        top.children.push_back(std::move(link));
        ++result.links;
      }
    }
  }
  return result;
}

namespace {

void WriteLevel(const Bookmark& folder, int depth, std::string& out) {
  const std::string indent(static_cast<std::size_t>(depth) * 4, ' ');
  out += indent + "<DL><p>\n";
  for (const Bookmark& b : folder.children) {
    if (b.folder) {
      out += indent + "    <DT><H3>" + HtmlEscape(b.title) + "</H3>\n";
      WriteLevel(b, depth + 1, out);
    } else {
      out += indent + "    <DT><A HREF=\"" + HtmlEscape(b.url) + "\">" + HtmlEscape(b.title) + "</A>\n";
    }
  }
  out += indent + "</DL><p>\n";
}

// False for a folder met before (a link back up the tree): it is left out.
bool ReadLevel(const std::string& folder, int depthLeft, std::set<std::string>& seen, Bookmark& into) {
  std::error_code ec;
  const fs::path real = fs::canonical(folder, ec);
  if (ec || !seen.insert(real.string()).second) return false;
  for (const FavoriteEntry& e : ListFavorites(folder)) {
    Bookmark b;
    b.title = e.name;
    if (e.kind == FavoriteEntry::Kind::Folder) {
      if (depthLeft <= 0) continue;
      b.folder = true;
      if (!ReadLevel(e.path, depthLeft - 1, seen, b)) continue;
    } else if (e.kind == FavoriteEntry::Kind::Shortcut) {
      b.url = ReadShortcutUrl(e.path).value_or("");
      if (b.url.empty()) continue;
    } else {
      continue;
    }
    into.children.push_back(std::move(b));
  }
  return true;
}

// `folder` + name + ext, with " (2)", " (3)", ... until nothing is there.
std::string FreePath(const std::string& folder, const std::string& name, const std::string& ext) {
  std::error_code ec;
  for (int n = 1; n < 10000; ++n) {
    const std::string path = folder + "/" + name + (n > 1 ? " (" + std::to_string(n) + ")" : "") + ext;
    if (!fs::exists(fs::symlink_status(path, ec))) return path;
  }
  return {};
}

std::size_t WriteLevelTo(const Bookmark& folder, const std::string& path, std::size_t& written) {
  std::size_t failed = 0;
  for (const Bookmark& b : folder.children) {
    if (b.folder) {
      // A folder of the same name takes the new entries beside its own.
      std::string sub = path + "/" + FavoriteFileName(b.title);
      std::error_code ec;
      if (!fs::is_directory(sub, ec)) sub = FreePath(path, FavoriteFileName(b.title), "");
      if (sub.empty() || !MakeDirectories(sub)) {
        failed += 1;
        continue;
      }
      failed += WriteLevelTo(b, sub, written);
    } else {
      const std::string file = FreePath(path, FavoriteFileName(b.title), ".url");
      if (!file.empty() && WriteShortcut(file, b.url))
        ++written;
      else
        ++failed;
    }
  }
  return failed;
}

}  // namespace

std::string DefaultFavoritesFolder() {
  const char* explicitPath = std::getenv("KESTREL_FAVORITES");
  if (explicitPath && explicitPath[0] == '/') return explicitPath;
  return UserDataDirectory() + "Favorites";
}

bool EnsureFavoritesFolder(const std::string& folder, const std::string& helpAddress) {
  std::error_code ec;
  if (fs::is_directory(folder, ec)) return true;
  if (fs::exists(fs::symlink_status(folder, ec)) || !MakeDirectories(folder)) return false;
  WriteShortcut(folder + "/Kestrel Help.url", helpAddress);
  WriteShortcut(folder + "/DuckDuckGo Search.url", "https://duckduckgo.com/");
  return true;
}

namespace {

bool Exists(const fs::path& p) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(p, ec));
}

// Whether `inner` is `outer` or lies below it, links resolved.
bool Inside(const fs::path& inner, const fs::path& outer) {
  std::error_code ec;
  const fs::path a = fs::weakly_canonical(inner, ec), b = fs::weakly_canonical(outer, ec);
  auto ai = a.begin();
  for (auto bi = b.begin(); bi != b.end(); ++bi, ++ai)
    if (ai == a.end() || *ai != *bi) return false;
  return true;
}

// Whether another entry of `folder` than `self` is shown by the same name,
// case aside: two entries the user cannot tell apart.
bool NameTaken(const fs::path& folder, const fs::path& name, const fs::path& self) {
  std::string shown = name.filename().string();
  if (IsShortcutFile(shown)) shown.resize(shown.size() - 4);
  std::error_code ec;
  for (const FavoriteEntry& e : ListFavorites(folder.string()))
    if (EqualsNoCase(e.name, shown) && !fs::equivalent(e.path, self, ec)) return true;
  return Exists(folder / name);
}

std::string Moved(const fs::path& from, const fs::path& to, std::string* done) {
  std::error_code ec;
  fs::rename(from, to, ec);
  if (ec) return "Can't move " + from.string() + ":\n" + ec.message();
  if (done) *done = to.string();
  return {};
}

}  // namespace

std::string RenameFavorite(const std::string& path, std::string_view name, std::string* done) {
  const fs::path from(path);
  if (!Exists(from)) return "The favorite is not there any more.";
  std::string file = FavoriteFileName(name);
  std::error_code ec;
  if (!fs::is_directory(from, ec) && IsShortcutFile(from.filename().string())) {
    if (IsShortcutFile(file)) file.resize(file.size() - 4);
    file += from.filename().string().substr(from.filename().string().size() - 4);  // ".url" as it was written
  }
  const fs::path to = from.parent_path() / file;
  if (to == from) {
    if (done) *done = path;
    return {};
  }
  if (NameTaken(from.parent_path(), file, from) && !fs::equivalent(from, to, ec))
    return "Another favorite already has the name " + file + ".";
  return Moved(from, to, done);
}

std::string MoveFavorite(const std::string& path, const std::string& folder, std::string* done) {
  const fs::path from(path), into(folder);
  std::error_code ec;
  if (!Exists(from)) return "The favorite is not there any more.";
  if (!fs::is_directory(into, ec)) return "The folder is not there any more.";
  if (fs::is_directory(fs::symlink_status(from, ec)) && Inside(into, from)) return "A folder cannot be moved into itself.";
  const fs::path to = into / from.filename();
  if (fs::equivalent(from.parent_path(), into, ec)) {
    if (done) *done = path;
    return {};
  }
  if (NameTaken(into, from.filename(), from)) return "Another favorite already has the name " + from.filename().string() + ".";
  return Moved(from, to, done);
}

std::string NewFavoriteFolder(const std::string& parent, std::string_view name, std::string* done) {
  const fs::path to = fs::path(parent) / FavoriteFileName(name);
  if (NameTaken(parent, to.filename(), {})) return "Another favorite already has the name " + to.filename().string() + ".";
  std::error_code ec;
  if (!fs::create_directory(to, ec)) return "Can't save " + to.string() + "!";
  if (done) *done = to.string();
  return {};
}

std::string DeleteFavorite(const std::string& path) {
  std::error_code ec;
  if (!Exists(path)) return {};
  // remove_all takes a link away without going through it.
  fs::remove_all(path, ec);
  if (ec) return "Can't delete " + path + ":\n" + ec.message();
  return {};
}

std::string FreeShortcutPath(const std::string& folder, const std::string& name) {
  return FreePath(folder, FavoriteFileName(name), ".url");
}

std::string BookmarkHtml(const Bookmark& root) {
  std::string out =
      "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
      "<!-- This is an automatically generated file. It will be read and overwritten. DO NOT EDIT! -->\n"
      "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
      "<TITLE>Bookmarks</TITLE>\n"
      "<H1>Bookmarks</H1>\n";
  WriteLevel(root, 0, out);
  return out;
}

Bookmark ReadFavoritesTree(const std::string& folder, int maxDepth) {
  Bookmark root;
  root.folder = true;
  std::set<std::string> seen;
  ReadLevel(folder, maxDepth, seen, root);
  return root;
}

std::size_t WriteFavoritesTree(const Bookmark& root, const std::string& folder, std::size_t* written) {
  std::size_t done = 0;
  const std::size_t failed = MakeDirectories(folder) ? WriteLevelTo(root, folder, done) : 1;
  if (written) *written = done;
  return failed;
}

}  // namespace kestrel
