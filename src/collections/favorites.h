#pragma once
// The Favorites folder: a tree of folders and Internet shortcut files
// (".url", "[InternetShortcut]" with "URL="), read and written by Kestrel
// itself so other programs that use the format can share it; the popups of
// the Favorites menu built from it; and the bookmark HTML file every other
// browser imports and exports.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

inline constexpr std::size_t kShortcutUrlMax = 2048;
// How deep an imported bookmark file may nest folders; deeper ones are put
// at this depth.
inline constexpr int kImportDepthMax = 32;

// Whether the file name ends in ".url", case aside.
bool IsShortcutFile(std::string_view name);
// The "URL" value of the "InternetShortcut" section, at most 2048
// characters; "" when missing.
std::string ShortcutUrl(std::string_view fileText);
// The file's address; nullopt when it cannot be read (or is not a plain file
// of sensible size).
std::optional<std::string> ReadShortcutUrl(const std::string& path);
// Writes a shortcut to `url`, whole and atomically.
bool WriteShortcut(const std::string& path, const std::string& url);

// A name the user gave, as a file or folder name: no "/", no control
// characters, not hidden, not "." or ".."; "Untitled" when nothing is left.
std::string FavoriteFileName(std::string_view name);

struct FavoriteEntry {
  enum class Kind { Folder, Shortcut, Other };
  Kind kind = Kind::Other;
  std::string name;  // as shown: a shortcut without its ".url"
  std::string path;  // full path
};

// What `folder` holds, folders first, then files, each by name case aside;
// hidden entries (".name") left out. A missing or unreadable folder holds nothing.
std::vector<FavoriteEntry> ListFavorites(const std::string& folder);

// One popup of the Favorites menu, as it reads from the top.
struct FavoritesMenuItem {
  enum class Kind { AddToFavorites, Organize, Import, Export, OpenAll, Separator, Folder, Entry };
  Kind kind = Kind::Separator;
  FavoriteEntry entry;       // Folder and Entry
  bool columnBreak = false;  // starts a new column
};
// The root popup starts with the four commands and a separator; every popup
// has "Open All Favorites" and a separator before the folder's entries.
// Every `breakCount`-th item (counted from 0, additions included) starts a
// new column.
std::vector<FavoritesMenuItem> FavoritesPopup(const std::vector<FavoriteEntry>& entries, bool root, int breakCount);

// Open All Favorites: the entries that are no folders, in menu order.
std::vector<FavoriteEntry> OpenAllTargets(const std::vector<FavoriteEntry>& entries);

// A bookmark tree as the bookmark HTML file holds it.
struct Bookmark {
  std::string title;
  std::string url;                 // "" for a folder
  std::vector<Bookmark> children;  // a folder's
  bool folder = false;
};
struct BookmarkImport {
  Bookmark root;  // a folder
  std::size_t links = 0, folders = 0;
  bool depthCapped = false;  // folders deeper than kImportDepthMax were lifted
};
// Reads the bookmark HTML format (<DL>, <DT><H3>folder</H3>, <DT><A HREF>).
// Anything else is skipped; it never fails, it finds what it can.
BookmarkImport ParseBookmarkHtml(std::string_view html);
// The format other browsers read, of the tree below `root`.
std::string BookmarkHtml(const Bookmark& root);

// Where the Favorites live: $KESTREL_FAVORITES, else the user's data
// folder's "Favorites", without a final "/".
std::string DefaultFavoritesFolder();
// Makes the folder when it is missing, with a few entries of Kestrel's own
// (its help, a web search); a folder that exists is left as it is.
bool EnsureFavoritesFolder(const std::string& folder, const std::string& helpAddress);
// `folder` + "/" + name + ".url", with " (2)", " (3)", ... while that is
// taken; "" when no name is free.
std::string FreeShortcutPath(const std::string& folder, const std::string& name);

// Organize Favorites, acting on the files. Each gives "" when done, else
// the message to show; `done` gets the entry's new path.
// A new name for a folder or shortcut (a shortcut keeps its extension); a
// name another entry has is refused, a change of case alone is not.
std::string RenameFavorite(const std::string& path, std::string_view name, std::string* done = nullptr);
// Into `folder`, under the same name; never into itself or below it, never
// over another entry.
std::string MoveFavorite(const std::string& path, const std::string& folder, std::string* done = nullptr);
// A new folder in `parent`.
std::string NewFavoriteFolder(const std::string& parent, std::string_view name, std::string* done = nullptr);
// Gone for good, a folder with all it holds; a link is removed, not what it
// points to.
std::string DeleteFavorite(const std::string& path);

// The tree of the Favorites folder, for export: at most `maxDepth` deep, a
// folder met again through a link not followed.
Bookmark ReadFavoritesTree(const std::string& folder, int maxDepth = kImportDepthMax);
// Writes the bookmarks into `folder` as folders and shortcuts, never over
// an existing file (a taken name gets " (2)", " (3)", ...). The number of
// shortcuts that could not be written; `written` counts those that were.
std::size_t WriteFavoritesTree(const Bookmark& root, const std::string& folder, std::size_t* written = nullptr);

}  // namespace kestrel
