// The Favorites menu as the window shows it, built from a folder on disk,
// and the Add To Favorites dialog.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <filesystem>

#include "gui/gui_frame.h"
#include "support/dialog_driver.h"
#include "support/fakes.h"
#include "support/temp_dir.h"
#include "ui/favorites_qt.h"

namespace kestrel::test {
namespace {

QStringList Texts(QMenu* menu) {
  QStringList out;
  for (QAction* a : menu->actions()) out << (a->isSeparator() ? QStringLiteral("--") : a->text());
  return out;
}

TEST(FavoritesGui, TheMenuIsBuiltFromTheFolderEachTimeItOpens) {
  GuiFrame g;
  TempDir dir;
  const std::string root = dir.path() + "/Favorites";
  std::filesystem::create_directories(root + "/Rust/Std");
  WriteShortcut(root + "/Rust/The Book.url", "http://book.test/");
  WriteShortcut(root + "/Tools & Tips.url", "http://tips.test/");
  RecordingShell shell;
  QtFavoritesDialogs dialogs(g.window.get(), shell);
  std::vector<std::string> opened;
  CFavoritesCommands commands({*g.frame, dialogs, shell, root, "file:///help/index.htm",
                               [&](const std::string& url) { opened.push_back(url); }});
  const MenuItem* item = g.frame->menu().FindPopup({"Favorites"});
  ASSERT_TRUE(item);
  QMenu* menu = g.window->menuOf(*item);
  ASSERT_TRUE(menu);
  new QtFavoritesMenu(menu, commands);

  QMetaObject::invokeMethod(menu, "aboutToShow");
  EXPECT_EQ(Texts(menu), (QStringList{"&Add To Favorites...", "&Organize Favorites...", "&Import Favorites...",
                                      "&Export Favorites...", "--", "Open All Favorites", "--", "Rust",
                                      "Tools && Tips"}));
  // A folder is filled as it opens, with its own Open All.
  QMenu* rust = menu->actions()[7]->menu();
  ASSERT_TRUE(rust);
  QMetaObject::invokeMethod(rust, "aboutToShow");
  EXPECT_EQ(Texts(rust), (QStringList{"Open All Favorites", "--", "Std", "The Book"}));
  rust->actions()[3]->trigger();
  rust->actions()[0]->trigger();
  EXPECT_EQ(opened, (std::vector<std::string>{"http://book.test/", "http://book.test/"}));

  // What changed on disk shows at the next opening, and nothing is left twice.
  WriteShortcut(root + "/New.url", "http://new.test/");
  QMetaObject::invokeMethod(menu, "aboutToShow");
  EXPECT_EQ(Texts(menu).size(), 10);
  EXPECT_EQ(Texts(menu).last(), "Tools && Tips");
  menu->popup(QPoint(20, 20));
  SaveShot(menu, "Favorites menu");
  menu->hide();
}

TEST(FavoritesGui, AddToFavoritesOffersEveryFolderAndMakesNewOnes) {
  TempDir dir;
  const std::string root = dir.path() + "/Favorites";
  std::filesystem::create_directories(root + "/Work/Docs");
  RecordingShell shell;
  QtFavoritesDialogs dialogs(nullptr, shell);
  EXPECT_EQ(FavoriteFolders(root), (std::vector<std::string>{root, root + "/Work", root + "/Work/Docs"}));
  WhenShown([](QDialog* d) {
    auto* folders = d->findChild<QComboBox*>("favorite-folder");
    ASSERT_TRUE(folders);
    EXPECT_EQ(folders->count(), 3);
    EXPECT_EQ(folders->itemText(2), "Favorites/Work/Docs");
    folders->setCurrentIndex(1);
    QTimer::singleShot(0, [] {
      auto* ask = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
      ASSERT_TRUE(ask);
      ask->setTextValue("Reading / List");
      ask->accept();
    });
    Button(d, "New Folder...")->click();
    EXPECT_EQ(folders->currentText(), "Favorites/Work/Reading List");
    auto* name = d->findChild<QLineEdit*>("favorite-name");
    name->setText("Rust Book");
    SaveShot(d, "Add To Favorites");
    Button(d, "OK")->click();
  });
  const auto choice = dialogs.AddFavorite("The Rust Book", "http://book.test/", root);
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->name, "Rust Book");
  EXPECT_EQ(choice->folder, root + "/Work/Reading List");
  EXPECT_TRUE(std::filesystem::is_directory(choice->folder));
}

}  // namespace
}  // namespace kestrel::test
