#pragma once
// The Favorites menu built live from the folder (each popup filled as it
// opens), and the Add, Organize, Import and Export dialogs.
#include <QObject>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

#include "collections/favorites_commands.h"

class QAction;
class QMenu;
class QWidget;

namespace kestrel {

class QtFavoritesDialogs : public FavoritesDialogs {
 public:
  explicit QtFavoritesDialogs(QWidget* parent) : parent_(parent) {}
  std::optional<AddChoice> AddFavorite(const std::string& name, const std::string& url,
                                       const std::string& root) override;
  void Organize(const std::string& root) override;
  std::optional<std::string> ImportFile() override;
  std::optional<std::string> ExportFile() override;

 private:
  QWidget* parent_;
};

// The Favorites folder as a tree of folders and shortcuts. A folder is read
// when it is first opened: a big tree costs nothing until it is looked at,
// and a folder that links back into itself goes only as deep as the user goes.
class FavoritesTree : public QTreeWidget {
 public:
  explicit FavoritesTree(const char* objectName, QWidget* parent = nullptr);
  // Read again from `root`, with the folders that were open opened again
  // and the entry at `select` (when there is one) current.
  void Fill(const std::string& root, const std::string& select = {});
  static std::string PathOf(const QTreeWidgetItem* item);
  static bool IsFolder(const QTreeWidgetItem* item);
  QTreeWidgetItem* ItemOf(const std::string& path) const;

 private:
  void FillItem(QTreeWidgetItem* parent, const std::string& folder);
};

// The folders below `root` (root first), at most `maxDepth` deep and 2,000 in all, for the Add dialog.
std::vector<std::string> FavoriteFolders(const std::string& root, int maxDepth = 8);

// The Organize Favorites dialog: a tree of the folder with buttons to make
// folders, rename, move and delete, each acting on the files at once.
void OrganizeFavorites(QWidget* parent, const std::string& root);

class QtFavoritesMenu : public QObject {
 public:
  // `menu` holds the four fixed commands; the rest is filled each time it opens.
  // `breakCount` is asked each time a popup opens: after every that many
  // items a new column starts.
  QtFavoritesMenu(QMenu* menu, CFavoritesCommands& commands, std::function<int()> breakCount);
  static constexpr int kMaxItems = 1000;  // of one popup; a folder of more shows the first ones

 private:
  void Fill(QMenu* menu, const std::string& folder, bool root);
  // A right click on an entry: Open, Rename and Delete, acting on its file.
  void OfferContextMenu(QMenu* popup);
  CFavoritesCommands& commands_;
  std::function<int()> breakCount_;
  QMenu* root_;
  std::vector<QAction*> added_;  // the root popup's own items, taken out before each filling
  std::vector<QMenu*> submenus_;
};

}  // namespace kestrel
