// The Favorites menu and the explorer pane beside the sites as the window
// shows them, built from folders on disk, and the Favorites dialogs.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <ctime>
#include <filesystem>

#include "collections/explorer_panes.h"
#include "gui/gui_frame.h"
#include "support/dialog_driver.h"
#include "support/fakes.h"
#include "support/temp_dir.h"
#include "ui/column_menu_qt.h"
#include "ui/explorer_bar_qt.h"
#include "ui/favorites_qt.h"

namespace kestrel::test {
namespace {

namespace fs = std::filesystem;
using List = std::vector<std::string>;

// The window's Favorites menu and explorer pane over folders of the test's
// own; what they open is kept in `opened`, the commands they run in `commands`.
struct World {
  GuiFrame g;
  TempDir dir;
  std::string root = dir.path() + "/Favorites";
  RecordingShell shell;
  QtFavoritesDialogs dialogs{g.w};
  List opened;
  std::vector<unsigned> commands;
  CFavoritesCommands favorites{{*g.frame, dialogs, shell, root, "file:///help/index.htm",
                                [this](const std::string& url) { opened.push_back(url); }}};
  QMenu* menu = g.w->menuOf(*g.frame->menu().FindPopup({"Favorites"}));
  int breaks = 30;  // asked each time a popup opens
  std::unique_ptr<HistoryStore> history = OpenSqliteHistory(dir.path() + "/history.sqlite");
  SettingsStore store{g.profile, g.settings};
  std::int64_t now = std::time(nullptr);
  QtExplorerBar* bar = new QtExplorerBar(QtExplorerBar::Parts{
      favorites, *history, store, shell, [this](const std::string& url) { opened.push_back(url); },
      [this](unsigned id) { commands.push_back(id); }, [this] { panes.Close(); }, [this] { return now; }});
  CExplorerPanes panes{*g.frame, *bar};
  World() {
    fs::create_directories(root);
    new QtFavoritesMenu(menu, favorites, [this] { return breaks; });
    g.w->SetExplorerBar(bar);
    g.Show(1024, 720);
  }
  template <typename T>
  T* Find(const char* name) {
    return bar->findChild<T*>(QLatin1String(name));
  }
  // One click where the user would click on `index`'s text.
  static void Click(QAbstractItemView* view, const QModelIndex& index) {
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
  }
  static void Click(QTreeWidget* tree, QTreeWidgetItem* item) { Click(tree, tree->indexFromItem(item)); }
};

TEST(FavoritesGui, TheMenuIsBuiltFromTheFolderEachTimeItOpens) {
  World w;
  fs::create_directories(w.root + "/Rust/Std");
  WriteShortcut(w.root + "/Rust/The Book.url", "http://book.test/");
  WriteShortcut(w.root + "/Tools & Tips.url", "http://tips.test/");
  QMetaObject::invokeMethod(w.menu, "aboutToShow");
  EXPECT_EQ(Texts(w.menu), (QStringList{"&Add To Favorites...", "&Organize Favorites...", "&Import Favorites...",
                                        "&Export Favorites...", "--", "Open All Favorites", "--", "Rust",
                                        "Tools && Tips"}));
  // A folder is filled as it opens, with its own Open All.
  QMenu* rust = w.menu->actions()[7]->menu();
  ASSERT_TRUE(rust);
  QMetaObject::invokeMethod(rust, "aboutToShow");
  EXPECT_EQ(Texts(rust), (QStringList{"Open All Favorites", "--", "Std", "The Book"}));
  rust->actions()[3]->trigger();
  rust->actions()[0]->trigger();
  EXPECT_EQ(w.opened, (List{"http://book.test/", "http://book.test/"}));
  // What changed on disk shows at the next opening, and nothing is left twice.
  WriteShortcut(w.root + "/New.url", "http://new.test/");
  QMetaObject::invokeMethod(w.menu, "aboutToShow");
  EXPECT_EQ(Texts(w.menu).size(), 10);
}

TEST(FavoritesGui, ALongFolderBreaksIntoColumnsThatTheMouseAndKeysReach) {
  World w;
  fs::create_directories(w.root + "/Many");
  for (int i = 1; i <= 40; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "Site %02d", i);
    WriteShortcut(w.root + "/Many/" + name + ".url", "http://site" + std::to_string(i) + ".test/");
  }
  QMetaObject::invokeMethod(w.menu, "aboutToShow");
  auto* many = dynamic_cast<QtColumnMenu*>(w.menu->actions()[7]->menu());
  ASSERT_TRUE(many);
  many->popup(QPoint(10, 10));  // filled as it opens, each time
  QList<QAction*> a = many->actions();
  ASSERT_EQ(a.size(), 42);
  // "Open All Favorites", the separator and 28 shortcuts, then the other 12.
  ASSERT_TRUE(many->HasColumns());
  EXPECT_EQ((std::vector<int>{many->ColumnOf(a[0]), many->ColumnOf(a[29]), many->ColumnOf(a[30]), many->ColumnOf(a[41])}),
            (std::vector<int>{0, 0, 1, 1}));
  EXPECT_EQ(a[29]->text(), "Site 28");
  EXPECT_EQ(many->ItemRect(a[30]).top(), many->ItemRect(a[0]).top());
  EXPECT_GT(many->ItemRect(a[30]).left(), many->ItemRect(a[29]).right());
  // Keys: down past the separator, across to the nearest of the next column, round to the last, Enter.
  const std::pair<Qt::Key, int> keys[] = {{Qt::Key_Down, 0}, {Qt::Key_Down, 2}, {Qt::Key_Right, 31},
                                          {Qt::Key_Left, 2}, {Qt::Key_Up, 0},   {Qt::Key_Up, 41}};
  for (const auto& [key, active] : keys) {
    QTest::keyClick(many, key);
    EXPECT_EQ(many->ActiveItem(), a[active]) << active;
  }
  QTest::keyClick(many, Qt::Key_Return);
  EXPECT_FALSE(many->isVisible());
  // The mouse: a click on an item of the second column.
  many->popup(QPoint(10, 10));
  a = many->actions();
  QTest::mouseMove(many, many->ItemRect(a[31]).center());
  QTest::mouseClick(many, Qt::LeftButton, {}, many->ItemRect(a[31]).center());
  EXPECT_EQ(w.opened, (List{"http://site40.test/", "http://site30.test/"}));
  EXPECT_FALSE(many->isVisible());
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

TEST(FavoritesGui, ARightClickOnAnEntryOpensRenamesOrDeletesItsFile) {
  World w;
  ScopedEnv data("XDG_DATA_HOME", (w.dir.path() + "/data").c_str());  // the trash goes there
  WriteShortcut(w.root + "/Old.url", "http://old.test/");
  auto rightClick = [&](const QString& text) {
    w.menu->popup(QPoint(10, 10));
    QAction* item = nullptr;
    for (QAction* a : w.menu->actions())
      if (a->text() == text) item = a;
    ASSERT_TRUE(item) << text.toStdString();
    QTest::mouseClick(w.menu, Qt::RightButton, {}, w.menu->actionGeometry(item).center());
  };
  KeysInNextPopup({Qt::Key_Down, Qt::Key_Return});  // Open
  rightClick("Old");
  EXPECT_EQ(w.opened, List{"http://old.test/"});
  EXPECT_FALSE(w.menu->isVisible());  // the menus close after the item's own menu
  KeysInNextPopup({Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}, [] { AnswerNext("New & Name"); });
  rightClick("Old");
  EXPECT_FALSE(fs::exists(w.root + "/Old.url"));
  EXPECT_EQ(ReadShortcutUrl(w.root + "/New & Name.url"), "http://old.test/");
  KeysInNextPopup({Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Return});
  rightClick("New && Name");
  EXPECT_FALSE(fs::exists(w.root + "/New & Name.url"));
  w.menu->hide();
}

TEST(FavoritesGui, AddToFavoritesOffersEveryFolderAndMakesNewOnes) {
  TempDir dir;
  const std::string root = dir.path() + "/Favorites";
  fs::create_directories(root + "/Work/Docs");
  QtFavoritesDialogs dialogs(nullptr);
  EXPECT_EQ(FavoriteFolders(root), (List{root, root + "/Work", root + "/Work/Docs"}));
  WhenShown([](QDialog* d) {
    auto* folders = d->findChild<QComboBox*>("favorite-folder");
    ASSERT_TRUE(folders);
    EXPECT_EQ(folders->itemText(2), "Favorites/Work/Docs");
    folders->setCurrentIndex(1);
    AnswerNext("Reading / List");
    Button(d, "New Folder...")->click();
    EXPECT_EQ(folders->currentText(), "Favorites/Work/Reading List");
    d->findChild<QLineEdit*>("favorite-name")->setText("Rust Book");
    Button(d, "OK")->click();
  });
  const auto choice = dialogs.AddFavorite("The Rust Book", "http://book.test/", root);
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->name, "Rust Book");
  EXPECT_EQ(choice->folder, root + "/Work/Reading List");
  EXPECT_TRUE(fs::is_directory(choice->folder));
}

TEST(FavoritesGui, OrganizeRenamesMovesAndDeletesTheFiles) {
  TempDir dir;
  ScopedEnv data("XDG_DATA_HOME", (dir.path() + "/data").c_str());  // the trash goes there
  const std::string root = dir.path() + "/Favorites";
  fs::create_directories(root + "/Work");
  WriteShortcut(root + "/Book.url", "http://book.test/");
  WriteShortcut(root + "/Work/Mail.url", "http://mail.test/");
  QtFavoritesDialogs dialogs(nullptr);
  bool ran = false;
  WhenShown([&](QDialog* d) {
    auto* tree = d->findChild<FavoritesTree*>("organize-tree");
    ASSERT_TRUE(tree);
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "Work");
    tree->setCurrentItem(tree->topLevelItem(1));
    EXPECT_EQ(d->findChild<QLabel*>("favorite-details")->text(), "Book\nhttp://book.test/");
    AnswerNext("Novel");
    Button(d, "Rename")->click();
    ASSERT_TRUE(tree->currentItem());
    EXPECT_EQ(tree->currentItem()->text(0), "Novel");
    AnswerNext("Favorites/Work");
    Button(d, "Move to Folder...")->click();
    EXPECT_TRUE(fs::exists(root + "/Work/Novel.url"));
    EXPECT_EQ(FavoritesTree::PathOf(tree->currentItem()), root + "/Work/Novel.url");  // opened to it
    // Moving a folder into itself is refused (the rules: favorites_test) with a message, not a crash.
    tree->setCurrentItem(tree->ItemOf(root + "/Work"));
    AnswerNext("Favorites/Work");
    Button(d, "Move to Folder...")->click();
    tree->setCurrentItem(tree->ItemOf(root + "/Work/Mail.url"));
    Button(d, "Delete")->click();
    EXPECT_FALSE(fs::exists(root + "/Work/Mail.url"));
    // In the trash of the data folder, which did not exist yet, not in a
    // "files" folder wherever the program was started.
    EXPECT_TRUE(fs::exists(dir.path() + "/data/Trash/files/Mail.url"));
    EXPECT_FALSE(tree->ItemOf(root + "/Work/Mail.url"));
    EXPECT_TRUE(tree->ItemOf(root + "/Work")->isExpanded());  // the tree as the user had it
    ran = true;
    d->reject();
  });
  MessageRecorder said;
  dialogs.Organize(root);
  EXPECT_TRUE(ran);
  EXPECT_EQ(said.messages, List{"A folder cannot be moved into itself."});
}

TEST(ExplorerGui, TheFavoritesPaneListsFoldersFirstAndOpensAShortcutWithOneClick) {
  World w;
  fs::create_directories(w.root + "/Rust");
  WriteShortcut(w.root + "/Rust/The Book.url", "http://book.test/");
  WriteShortcut(w.root + "/alpha.url", "http://alpha.test/");
  WriteShortcut(w.root + "/Zeta.URL", "http://zeta.test/");
  w.dir.write("Favorites/notes.txt", "not a favorite");
  ASSERT_TRUE(w.g.frame->OnCommand(ID_EXPLORER_FAVORITES));
  EXPECT_TRUE(w.bar->isVisible());
  EXPECT_GT(w.g.w->mdiArea()->width(), w.bar->width());  // the sites keep the most
  auto* tree = w.Find<QTreeWidget>("favorites-tree");
  ASSERT_TRUE(tree);
  EXPECT_EQ(Children(tree->invisibleRootItem()), (QStringList{"Rust", "alpha", "Zeta"}));
  // A folder opens with one click, and is read then.
  QTreeWidgetItem* rust = tree->topLevelItem(0);
  World::Click(tree, rust);
  EXPECT_TRUE(rust->isExpanded());
  EXPECT_EQ(Children(rust), QStringList{"The Book"});
  World::Click(tree, rust->child(0));
  World::Click(tree, tree->topLevelItem(2));
  EXPECT_EQ(w.opened, (List{"http://book.test/", "http://zeta.test/"}));
  // Add... runs the command, and the tree shows what it made.
  WriteShortcut(w.root + "/beta.url", "http://beta.test/");
  w.bar->findChild<QAction*>("favorites-add")->trigger();
  EXPECT_EQ(w.commands, (std::vector<unsigned>{ID_ADD_FAVORITE}));
  EXPECT_EQ(Children(w.Find<QTreeWidget>("favorites-tree")->invisibleRootItem()).size(), 4);
  // The close button closes the pane, and its command is no longer checked.
  w.Find<QToolButton>("explorer-close")->click();
  EXPECT_FALSE(w.bar->isVisible());
  EXPECT_EQ(w.panes.current(), ExplorerPane::None);
  EXPECT_FALSE(w.g.Checked(ID_EXPLORER_FAVORITES));
}

// The days and hosts are the model's (history_test), a page opened from the
// pane on a real window is HistoryOnEngine's: here a visit while the pane is open.
TEST(ExplorerGui, TheHistoryPaneTakesVisitsWhileItIsOpen) {
  World w;
  ASSERT_TRUE(w.history->AddVisit("http://docs.test/a.html", "Docs A", w.now - 60));
  ASSERT_TRUE(w.history->AddVisit("http://old.test/", "Old", w.now - 30 * 86400));
  w.g.frame->OnCommand(ID_EXPLORER_HISTORY);
  auto* tree = w.Find<QTreeWidget>("history-tree");
  ASSERT_TRUE(tree);
  ASSERT_EQ(tree->topLevelItemCount(), 2);
  QTreeWidgetItem* today = tree->topLevelItem(1);
  EXPECT_TRUE(today->isExpanded());  // the newest day open
  QTreeWidgetItem* docs = today->child(0);
  World::Click(tree, docs);
  ASSERT_TRUE(docs->isExpanded());
  // A visit finds its place; one to an address listed before moves it there.
  w.bar->VisitRecorded({"http://new.test/", "New", w.now});
  w.bar->VisitRecorded({"http://old.test/", "Old again", w.now});
  EXPECT_EQ(Children(today), (QStringList{"docs.test", "new.test", "old.test"}));
  EXPECT_EQ(tree->topLevelItemCount(), 1);  // the old week had only that page
  w.bar->VisitRecorded({"http://docs.test/c.html", "Docs C", w.now});
  EXPECT_EQ(docs->child(0)->text(0), "Docs C");  // newest first in an opened host
  // Past midnight the whole tree is built again, from the store.
  w.now += 86400;
  w.bar->VisitRecorded({"about:blank", "", w.now});
  tree = w.Find<QTreeWidget>("history-tree");
  ASSERT_GT(tree->topLevelItemCount(), 0);
  EXPECT_NE(tree->topLevelItem(tree->topLevelItemCount() - 1)->text(0), "Today");
}

TEST(ExplorerGui, TheFoldersPaneShowsOnlyItsFileTypesAndWritesThemBack) {
  World w;
  fs::create_directories(w.dir.path() + "/files/sub");
  for (const char* f : {"a.txt", "b.png", "Setup.exe", "sub/C.TXT"}) w.dir.write(std::string("files/") + f, "x");
  w.g.profile.SetString(kSettingsKey, "FileTypes", "*.txt;*.exe");
  w.bar->SetFoldersRoot(w.dir.path() + "/files");
  w.panes.Show(ExplorerPane::Folders);
  auto* view = w.Find<QTreeView>("folders-tree");
  ASSERT_TRUE(view);
  auto* model = qobject_cast<QFileSystemModel*>(view->model());
  const QModelIndex root = view->rootIndex();
  QStringList names;
  (void)QTest::qWaitFor([&] { return model->rowCount(root) == 3; }, 5000);
  for (int r = 0; r < model->rowCount(root); ++r) names << model->fileName(model->index(r, 0, root));
  names.sort();
  EXPECT_EQ(names, (QStringList{"Setup.exe", "a.txt", "sub"}));  // no b.png
  auto at = [&](const QString& name) { return model->index(QString::fromStdString(w.dir.path()) + "/files/" + name); };
  World::Click(view, at("a.txt"));
  EXPECT_EQ(w.opened, List{"file://" + w.dir.path() + "/files/a.txt"});
  World::Click(view, at("Setup.exe"));
  EXPECT_EQ(w.shell.opened, List{w.dir.path() + "/files/Setup.exe"});
  World::Click(view, at("sub"));
  EXPECT_TRUE(view->isExpanded(at("sub")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount(at("sub")) == 1; }, 5000));  // C.TXT, case aside
  w.panes.Close();
  EXPECT_EQ(w.g.profile.GetString(kSettingsKey, "FileTypes"), "*.txt;*.exe;");
}

}  // namespace
}  // namespace kestrel::test
