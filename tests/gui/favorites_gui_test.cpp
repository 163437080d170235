// The Favorites menu as the window shows it, built from a folder on disk,
// and the Add To Favorites dialog.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QTreeWidget>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "gui/gui_frame.h"
#include "support/dialog_driver.h"
#include "support/fakes.h"
#include "support/temp_dir.h"
#include "ui/column_menu_qt.h"
#include "ui/favorites_qt.h"

namespace kestrel::test {
namespace {

QStringList Texts(QMenu* menu) {
  QStringList out;
  for (QAction* a : menu->actions()) out << (a->isSeparator() ? QStringLiteral("--") : a->text());
  return out;
}

// The window's Favorites menu over a folder of the test's own; what the
// menu opens is kept in `opened`.
struct MenuWorld {
  GuiFrame g;
  TempDir dir;
  std::string root = dir.path() + "/Favorites";
  RecordingShell shell;
  QtFavoritesDialogs dialogs{g.window.get()};
  std::vector<std::string> opened;
  CFavoritesCommands commands{{*g.frame, dialogs, shell, root, "file:///help/index.htm",
                               [this](const std::string& url) { opened.push_back(url); }}};
  QMenu* menu = g.window->menuOf(*g.frame->menu().FindPopup({"Favorites"}));
  int breaks = 30;  // asked each time a popup opens
  MenuWorld() {
    std::filesystem::create_directories(root);
    new QtFavoritesMenu(menu, commands, [this] { return breaks; });
  }
};

TEST(FavoritesGui, TheMenuIsBuiltFromTheFolderEachTimeItOpens) {
  MenuWorld w;
  const std::string& root = w.root;
  std::vector<std::string>& opened = w.opened;
  QMenu* menu = w.menu;
  ASSERT_TRUE(menu);
  std::filesystem::create_directories(root + "/Rust/Std");
  WriteShortcut(root + "/Rust/The Book.url", "http://book.test/");
  WriteShortcut(root + "/Tools & Tips.url", "http://tips.test/");

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

TEST(FavoritesGui, ALongFolderBreaksIntoColumnsThatTheMouseAndKeysReach) {
  MenuWorld w;
  const std::string& root = w.root;
  QMenu* menu = w.menu;
  std::filesystem::create_directories(root + "/Many");
  for (int i = 1; i <= 40; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "Site %02d", i);
    WriteShortcut(root + "/Many/" + name + ".url", "http://site" + std::to_string(i) + ".test/");
  }
  QMetaObject::invokeMethod(menu, "aboutToShow");
  auto* many = dynamic_cast<QtColumnMenu*>(menu->actions()[7]->menu());
  ASSERT_TRUE(many);
  // Filled as it opens, each time.
  many->popup(QPoint(10, 10));
  QList<QAction*> a = many->actions();
  ASSERT_EQ(a.size(), 42);
  // "Open All Favorites", the separator and 28 shortcuts, then the other 12.
  ASSERT_TRUE(many->HasColumns());
  EXPECT_EQ(many->ColumnOf(a[0]), 0);
  EXPECT_EQ(many->ColumnOf(a[29]), 0);
  EXPECT_EQ(a[29]->text(), "Site 28");
  EXPECT_EQ(many->ColumnOf(a[30]), 1);
  EXPECT_EQ(many->ColumnOf(a[41]), 1);
  EXPECT_EQ(many->ItemRect(a[30]).top(), many->ItemRect(a[0]).top());
  EXPECT_GT(many->ItemRect(a[30]).left(), many->ItemRect(a[29]).right());
  EXPECT_GE(many->sizeHint().width(), 2 * many->ItemRect(a[0]).width());
  EXPECT_LT(many->sizeHint().height(), many->ItemRect(a[0]).height() * 31);

  // Keys: down past the separator, across to the next column, Enter.
  SaveShot(many, "Favorites menu with a column break");
  QTest::keyClick(many, Qt::Key_Down);
  EXPECT_EQ(many->ActiveItem(), a[0]);
  QTest::keyClick(many, Qt::Key_Down);
  EXPECT_EQ(many->ActiveItem(), a[2]);
  QTest::keyClick(many, Qt::Key_Right);
  EXPECT_EQ(many->ActiveItem(), a[31]);  // the nearest of the next column
  QTest::keyClick(many, Qt::Key_Left);
  EXPECT_EQ(many->ActiveItem(), a[2]);
  QTest::keyClick(many, Qt::Key_Up);
  QTest::keyClick(many, Qt::Key_Up);  // round to the last
  EXPECT_EQ(many->ActiveItem(), a[41]);
  QTest::keyClick(many, Qt::Key_Return);
  EXPECT_FALSE(many->isVisible());
  // The mouse: a click on an item of the second column.
  many->popup(QPoint(10, 10));
  a = many->actions();
  QTest::mouseMove(many, many->ItemRect(a[31]).center());
  QTest::mouseClick(many, Qt::LeftButton, {}, many->ItemRect(a[31]).center());
  EXPECT_EQ(w.opened, (std::vector<std::string>{"http://site40.test/", "http://site30.test/"}));
  EXPECT_FALSE(many->isVisible());

  // Without breaks the same folder is one column, an ordinary menu.
  w.breaks = 1000;
  many->popup(QPoint(10, 10));
  EXPECT_FALSE(many->HasColumns());
  EXPECT_EQ(many->ColumnOf(many->actions()[35]), 0);
  EXPECT_GT(many->ItemRect(many->actions()[35]).top(), many->ItemRect(many->actions()[0]).bottom());
  many->hide();
}

TEST(FavoritesGui, AddToFavoritesOffersEveryFolderAndMakesNewOnes) {
  TempDir dir;
  const std::string root = dir.path() + "/Favorites";
  std::filesystem::create_directories(root + "/Work/Docs");
  QtFavoritesDialogs dialogs(nullptr);
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

// Answers the text or list question that the next click brings up.
void AnswerNext(const QString& text) {
  QTimer::singleShot(0, [text] {
    auto* ask = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    ASSERT_TRUE(ask);
    ask->setTextValue(text);
    ask->accept();
  });
}

TEST(FavoritesGui, OrganizeRenamesMakesFoldersMovesAndDeletesTheFiles) {
  TempDir dir;
  ScopedEnv data("XDG_DATA_HOME", (dir.path() + "/data").c_str());  // the trash goes there
  const std::string root = dir.path() + "/Favorites";
  std::filesystem::create_directories(root + "/Work");
  WriteShortcut(root + "/Book.url", "http://book.test/");
  WriteShortcut(root + "/Work/Mail.url", "http://mail.test/");
  QtFavoritesDialogs dialogs(nullptr);
  bool ran = false;
  WhenShown([&](QDialog* d) {
    auto* tree = d->findChild<FavoritesTree*>("organize-tree");
    ASSERT_TRUE(tree);
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "Work");
    EXPECT_FALSE(Button(d, "Rename")->isEnabled());  // nothing chosen yet
    tree->setCurrentItem(tree->topLevelItem(1));
    EXPECT_EQ(d->findChild<QLabel*>("favorite-details")->text(), "Book\nhttp://book.test/");

    AnswerNext("Novel");
    Button(d, "Rename")->click();
    EXPECT_TRUE(std::filesystem::exists(root + "/Novel.url"));
    ASSERT_TRUE(tree->currentItem());
    EXPECT_EQ(tree->currentItem()->text(0), "Novel");

    AnswerNext("Archive");
    Button(d, "Create Folder")->click();  // beside the shortcut chosen
    EXPECT_TRUE(std::filesystem::is_directory(root + "/Archive"));

    tree->setCurrentItem(tree->ItemOf(root + "/Novel.url"));
    AnswerNext("Favorites/Archive");
    Button(d, "Move to Folder...")->click();
    EXPECT_TRUE(std::filesystem::exists(root + "/Archive/Novel.url"));
    ASSERT_TRUE(tree->currentItem());
    EXPECT_EQ(FavoritesTree::PathOf(tree->currentItem()), root + "/Archive/Novel.url");  // opened to it
    tree->ItemOf(root + "/Work")->setExpanded(true);
    SaveShot(d, "Organize Favorites");

    // Moving a folder into itself is refused and changes nothing.
    tree->setCurrentItem(tree->ItemOf(root + "/Archive"));
    AnswerNext("Favorites/Archive");
    Button(d, "Move to Folder...")->click();
    EXPECT_TRUE(std::filesystem::is_directory(root + "/Archive"));

    tree->setCurrentItem(tree->ItemOf(root + "/Work/Mail.url"));
    Button(d, "Delete")->click();
    EXPECT_FALSE(std::filesystem::exists(root + "/Work/Mail.url"));
    // In the trash of the data folder, which did not exist yet, not in a
    // "files" folder wherever the program was started.
    EXPECT_TRUE(std::filesystem::exists(dir.path() + "/data/Trash/files/Mail.url"));
    EXPECT_FALSE(tree->ItemOf(root + "/Work/Mail.url"));
    EXPECT_TRUE(tree->ItemOf(root + "/Work")->isExpanded());  // the tree as the user had it
    ran = true;
    d->reject();
  });
  MessageRecorder said;
  dialogs.Organize(root);
  EXPECT_TRUE(ran);
  EXPECT_EQ(said.messages, std::vector<std::string>{"A folder cannot be moved into itself."});
}

// Presses keys in the popup menu that the next click brings up.
void KeysInNextPopup(std::vector<Qt::Key> keys, std::function<void()> then = {}) {
  QTimer::singleShot(0, [keys, then] {
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_TRUE(popup);
    if (then) then();
    for (Qt::Key k : keys) QTest::keyClick(popup, k);
  });
}

TEST(FavoritesGui, ARightClickOnAnEntryRenamesOrDeletesItsFile) {
  MenuWorld w;
  ScopedEnv data("XDG_DATA_HOME", (w.dir.path() + "/data").c_str());  // the trash goes there
  const std::string& root = w.root;
  QMenu* menu = w.menu;
  std::filesystem::create_directories(root + "/Work");
  WriteShortcut(root + "/Old.url", "http://old.test/");
  WriteShortcut(root + "/Keep.url", "http://keep.test/");
  auto rightClick = [&](const QString& text) {
    menu->popup(QPoint(10, 10));
    QAction* item = nullptr;
    for (QAction* a : menu->actions())
      if (a->text() == text) item = a;
    ASSERT_TRUE(item) << text.toStdString();
    QTest::mouseClick(menu, Qt::RightButton, {}, menu->actionGeometry(item).center());
  };

  KeysInNextPopup({Qt::Key_Down, Qt::Key_Return});  // Open
  rightClick("Old");
  EXPECT_EQ(w.opened, std::vector<std::string>{"http://old.test/"});
  EXPECT_FALSE(menu->isVisible());  // the menus close after the item's own menu

  KeysInNextPopup({Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}, [] { AnswerNext("New & Name"); });
  rightClick("Old");
  EXPECT_FALSE(std::filesystem::exists(root + "/Old.url"));
  EXPECT_EQ(ReadShortcutUrl(root + "/New & Name.url"), "http://old.test/");

  KeysInNextPopup({Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Return});
  rightClick("New && Name");
  EXPECT_FALSE(std::filesystem::exists(root + "/New & Name.url"));
  EXPECT_TRUE(std::filesystem::exists(root + "/Keep.url"));

  KeysInNextPopup({Qt::Key_Escape});  // the item's menu left: nothing happens
  rightClick("Work");
  EXPECT_TRUE(std::filesystem::is_directory(root + "/Work"));
  menu->hide();
}

}  // namespace
}  // namespace kestrel::test
