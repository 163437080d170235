#pragma once
// The Favorites menu built live from the folder (each popup filled as it
// opens), and the Add, Organize, Import and Export dialogs.
#include <QObject>
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
  explicit QtFavoritesDialogs(QWidget* parent, Shell& shell) : parent_(parent), shell_(shell) {}
  std::optional<AddChoice> AddFavorite(const std::string& name, const std::string& url,
                                       const std::string& root) override;
  // The folder in the desktop's file manager, where entries are renamed,
  // moved and deleted as files.
  void Organize(const std::string& root) override;
  std::optional<std::string> ImportFile() override;
  std::optional<std::string> ExportFile() override;

 private:
  QWidget* parent_;
  Shell& shell_;
};

// The folders below `root` (root first), at most `maxDepth` deep and 2,000 in all, for the Add dialog.
std::vector<std::string> FavoriteFolders(const std::string& root, int maxDepth = 8);

class QtFavoritesMenu : public QObject {
 public:
  // `menu` holds the four fixed commands; the rest is filled each time it opens.
  // `breakCount` is asked each time a popup opens: after every that many
  // items a new column starts.
  QtFavoritesMenu(QMenu* menu, CFavoritesCommands& commands, std::function<int()> breakCount);
  static constexpr int kMaxItems = 1000;  // of one popup; a folder of more shows the first ones

 private:
  void Fill(QMenu* menu, const std::string& folder, bool root);
  CFavoritesCommands& commands_;
  std::function<int()> breakCount_;
  QMenu* root_;
  std::vector<QAction*> added_;  // the root popup's own items, taken out before each filling
  std::vector<QMenu*> submenus_;
};

}  // namespace kestrel
