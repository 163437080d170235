#include "collections/favorites_commands.h"

#include "common/message.h"
#include "common/textfile.h"
#include "common/trace.h"

namespace kestrel {

CFavoritesCommands::CFavoritesCommands(Parts parts) : p_(std::move(parts)), commands_(p_.frame.commands()) {
  CommandScope& r = commands_;
  r.Add(ID_ADD_FAVORITE, [this](const CommandContext& c) {
    if (c.site) AddFavorite(c.site->GetLocationURL(), c.site->GetDocumentTitle());
  }, CommandRegistry::NeedsSite);
  r.Add(ID_ORGANIZE_FAVORITES, [this](const CommandContext&) {
    if (Ready()) p_.dialogs.Organize(p_.folder);
  });
  r.Add(ID_IMPORT_FAVORITES, [this](const CommandContext&) { Import(); });
  r.Add(ID_EXPORT_FAVORITES, [this](const CommandContext&) { Export(); });
}

bool CFavoritesCommands::Ready() {
  if (EnsureFavoritesFolder(p_.folder, p_.helpAddress)) return true;
  ShowMessage("Unable to get favorites directory!");
  return false;
}

void CFavoritesCommands::AddFavorite(const std::string& url, const std::string& title) {
  // One question at a time: a page that asks again and again while the
  // dialog is open is not heard.
  if (url.empty() || adding_ || !Ready()) return;
  adding_ = true;
  const std::optional<FavoritesDialogs::AddChoice> choice =
      p_.dialogs.AddFavorite(title.empty() ? url : title, url, p_.folder);
  adding_ = false;
  if (!choice) return;
  // The folder chosen must be the Favorites folder or one inside it.
  const std::string& folder = choice->folder;
  if (folder != p_.folder && folder.rfind(p_.folder + "/", 0) != 0) return;
  if (folder.find("/../") != std::string::npos || folder.ends_with("/..")) return;
  MakeDirectories(folder);
  const std::string path = FreeShortcutPath(folder, choice->name);
  Trace("add-favorite", path);
  if (path.empty() || !WriteShortcut(path, url)) ShowMessage("Can't save " + (path.empty() ? folder : path) + "!");
}

void CFavoritesCommands::Open(const FavoriteEntry& entry) {
  switch (entry.kind) {
    case FavoriteEntry::Kind::Folder:
      return;
    case FavoriteEntry::Kind::Shortcut:
    {
      // Refused there when it is a script address, as typed text is.
      const std::string url = ReadShortcutUrl(entry.path).value_or("");
      if (!url.empty() && p_.openAddress) p_.openAddress(url);
      return;
    }
    case FavoriteEntry::Kind::Other:
      p_.shell.Open(entry.path);
      return;
  }
}

void CFavoritesCommands::OpenAll(const std::string& folder) {
  for (const FavoriteEntry& e : OpenAllTargets(ListFavorites(folder))) Open(e);
}

void CFavoritesCommands::Import() {
  if (!Ready()) return;
  const std::optional<std::string> file = p_.dialogs.ImportFile();
  if (!file) return;
  // A bookmark file of any size a browser writes; past that it is no bookmark file.
  const std::optional<std::string> html = ReadWholeFile(*file, 256u << 20);
  if (!html) {
    ShowMessage("Can't open " + *file + "!");
    return;
  }
  const BookmarkImport in = ParseBookmarkHtml(*html);
  std::size_t written = 0;
  const std::size_t failed = WriteFavoritesTree(in.root, p_.folder, &written);
  std::string report = std::to_string(written) + " favorites imported.";
  if (failed) report += " " + std::to_string(failed) + " could not be written.";
  if (in.depthCapped) report += " Folders nested deeper than " + std::to_string(kImportDepthMax) + " were kept at that depth.";
  ShowMessage(report);
}

void CFavoritesCommands::Export() {
  if (!Ready()) return;
  const std::optional<std::string> file = p_.dialogs.ExportFile();
  if (!file) return;
  if (!WriteFileAtomic(*file, BookmarkHtml(ReadFavoritesTree(p_.folder)))) ShowMessage("Can't save " + *file + "!");
}

}  // namespace kestrel
