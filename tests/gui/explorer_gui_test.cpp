// The explorer pane beside the sites: shown and hidden from its commands and
// its close button, and each of its panes opening an entry with one click.
#include <gtest/gtest.h>

#include <QFileSystemModel>
#include <QLabel>
#include <QMdiArea>
#include <QSplitter>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <ctime>
#include <filesystem>

#include "collections/explorer_panes.h"
#include "gui/gui_frame.h"
#include "support/dialog_driver.h"
#include "support/fakes.h"
#include "support/temp_dir.h"
#include "ui/explorer_bar_qt.h"
#include "ui/favorites_qt.h"

namespace kestrel::test {
namespace {

struct PaneWorld {
  GuiFrame g;
  TempDir dir;
  std::string favorites = dir.path() + "/Favorites";
  RecordingShell shell;
  QtFavoritesDialogs dialogs{g.window.get()};
  std::vector<std::string> opened;
  std::vector<unsigned> commands;
  CFavoritesCommands favoriteCommands{{*g.frame, dialogs, shell, favorites, "file:///help/index.htm",
                                       [this](const std::string& url) { opened.push_back(url); }}};
  std::unique_ptr<HistoryStore> history = OpenSqliteHistory(dir.path() + "/history.sqlite");
  SettingsStore store{g.profile, g.settings};
  std::int64_t now = std::time(nullptr);
  QtExplorerBar* bar = new QtExplorerBar(QtExplorerBar::Parts{
      favoriteCommands, *history, store, shell, [this](const std::string& url) { opened.push_back(url); },
      [this](unsigned id) { commands.push_back(id); }, [this] { panes.Close(); }, [this] { return now; }});
  CExplorerPanes panes{*g.frame, *bar};
  PaneWorld() {
    g.window->SetExplorerBar(bar);
    g.window->resize(1024, 720);
    g.window->show();
  }
  template <typename T>
  T* Find(const char* name) {
    return bar->findChild<T*>(QLatin1String(name));
  }
  void Shot(const char* name) {
    QTest::qWait(50);  // the window laid out with the pane
    SaveShot(g.window.get(), name);
  }
  // One click where the user would click on `index`'s text.
  static void Click(QAbstractItemView* view, const QModelIndex& index) {
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
  }
};

QStringList Children(QTreeWidgetItem* parent) {
  QStringList out;
  for (int i = 0; i < parent->childCount(); ++i) out << parent->child(i)->text(0);
  return out;
}

TEST(ExplorerGui, ThePaneComesAndGoesByItsCommandsAndItsCloseButton) {
  PaneWorld w;
  EXPECT_FALSE(w.bar->isVisible());
  ASSERT_TRUE(w.g.frame->OnCommand(ID_EXPLORER_FAVORITES));
  EXPECT_TRUE(w.bar->isVisible());
  EXPECT_EQ(w.Find<QLabel>("explorer-title")->text(), "Favorites");
  EXPECT_GE(w.bar->width(), 120);
  EXPECT_GT(w.g.window->mdiArea()->width(), w.bar->width());  // the sites keep the most
  w.g.frame->OnCommand(ID_EXPLORER_HISTORY);
  EXPECT_EQ(w.Find<QLabel>("explorer-title")->text(), "History");
  EXPECT_FALSE(w.Find<QWidget>("favorites-pane"));  // one pane at a time
  w.Find<QToolButton>("explorer-close")->click();
  EXPECT_FALSE(w.bar->isVisible());
  EXPECT_EQ(w.panes.current(), ExplorerPane::None);
  EXPECT_FALSE(w.g.frame->commands().StateOf({ID_EXPLORER_HISTORY, nullptr}).checked);
}

TEST(ExplorerGui, TheFavoritesPaneListsFoldersFirstAndOpensAShortcutWithOneClick) {
  PaneWorld w;
  std::filesystem::create_directories(w.favorites + "/Rust");
  WriteShortcut(w.favorites + "/Rust/The Book.url", "http://book.test/");
  WriteShortcut(w.favorites + "/alpha.url", "http://alpha.test/");
  WriteShortcut(w.favorites + "/Zeta.URL", "http://zeta.test/");
  w.dir.write("Favorites/notes.txt", "not a favorite");
  w.panes.Show(ExplorerPane::Favorites);
  auto* tree = w.Find<QTreeWidget>("favorites-tree");
  ASSERT_TRUE(tree);
  EXPECT_EQ(Children(tree->invisibleRootItem()), (QStringList{"Rust", "alpha", "Zeta"}));
  // A folder opens with one click, and is read then.
  QTreeWidgetItem* rust = tree->topLevelItem(0);
  EXPECT_EQ(rust->childCount(), 0);
  PaneWorld::Click(tree, tree->indexFromItem(rust));
  EXPECT_TRUE(rust->isExpanded());
  EXPECT_EQ(Children(rust), QStringList{"The Book"});
  w.Shot("Favorites pane");
  PaneWorld::Click(tree, tree->indexFromItem(rust->child(0)));
  PaneWorld::Click(tree, tree->indexFromItem(tree->topLevelItem(2)));
  EXPECT_EQ(w.opened, (std::vector<std::string>{"http://book.test/", "http://zeta.test/"}));
  PaneWorld::Click(tree, tree->indexFromItem(rust));
  EXPECT_FALSE(rust->isExpanded());
  // Enter opens the entry the keys are on.
  tree->setFocus();
  tree->setCurrentItem(tree->topLevelItem(1));
  QTest::keyClick(tree, Qt::Key_Return);
  EXPECT_EQ(w.opened.back(), "http://alpha.test/");

  // Add... runs the command, and the tree shows what it made.
  QAction* add = w.bar->findChild<QAction*>("favorites-add");
  ASSERT_TRUE(add);
  WriteShortcut(w.favorites + "/beta.url", "http://beta.test/");
  add->trigger();
  EXPECT_EQ(w.commands, std::vector<unsigned>{ID_ADD_FAVORITE});
  tree = w.Find<QTreeWidget>("favorites-tree");
  EXPECT_EQ(Children(tree->invisibleRootItem()), (QStringList{"Rust", "alpha", "beta", "Zeta"}));
  w.bar->findChild<QAction*>("favorites-organize")->trigger();
  EXPECT_EQ(w.commands.back(), static_cast<unsigned>(ID_ORGANIZE_FAVORITES));
}

TEST(ExplorerGui, TheHistoryPaneShowsDaysAndHostsAndOpensAPage) {
  PaneWorld w;
  const std::int64_t day = 86400;
  ASSERT_TRUE(w.history->AddVisit("http://Docs.test/a.html", "Docs A", w.now - 60));
  ASSERT_TRUE(w.history->AddVisit("http://docs.TEST/b/", "", w.now - 50));
  ASSERT_TRUE(w.history->AddVisit("file:///home/me/notes.html", "", w.now - 40));
  ASSERT_TRUE(w.history->AddVisit("http://old.test/", "Old", w.now - 30 * day));
  ASSERT_TRUE(w.history->AddVisit("about:blank", "", w.now));
  w.g.frame->OnCommand(ID_EXPLORER_HISTORY);
  auto* tree = w.Find<QTreeWidget>("history-tree");
  ASSERT_TRUE(tree);
  ASSERT_EQ(tree->topLevelItemCount(), 2);
  QTreeWidgetItem* today = tree->topLevelItem(1);
  EXPECT_EQ(today->text(0), "Today");
  EXPECT_TRUE(today->isExpanded());  // the newest day is open
  EXPECT_TRUE(tree->topLevelItem(0)->text(0).endsWith(" Weeks Ago"));
  // Hosts case aside, in one group named as its newest visit has it.
  EXPECT_EQ(Children(today), (QStringList{"docs.TEST", "My Computer"}));
  QTreeWidgetItem* docs = today->child(0);
  PaneWorld::Click(tree, tree->indexFromItem(docs));
  ASSERT_TRUE(docs->isExpanded());
  EXPECT_EQ(Children(docs).size(), 2);
  EXPECT_TRUE(Children(docs).contains("Docs A"));
  EXPECT_TRUE(Children(docs).contains("http://docs.TEST/b/"));  // nothing after its last "/": the address
  PaneWorld::Click(tree, tree->indexFromItem(docs->child(Children(docs).indexOf("Docs A"))));
  EXPECT_EQ(w.opened, std::vector<std::string>{"http://Docs.test/a.html"});
  w.Shot("History pane");

  // A visit while the pane is open finds its place; one to an address
  // listed before moves it there.
  w.bar->VisitRecorded({"http://new.test/", "New", w.now});
  w.bar->VisitRecorded({"http://old.test/", "Old again", w.now});
  EXPECT_EQ(Children(today), (QStringList{"docs.TEST", "My Computer", "new.test", "old.test"}));
  EXPECT_EQ(tree->topLevelItemCount(), 1);  // the old week had only that page
  EXPECT_TRUE(docs->isExpanded());
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
  PaneWorld w;
  std::filesystem::create_directories(w.dir.path() + "/files/sub");
  w.dir.write("files/a.txt", "a");
  w.dir.write("files/b.png", "b");
  w.dir.write("files/Setup.exe", "MZ");
  w.dir.write("files/sub/C.TXT", "c");
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
  PaneWorld::Click(view, at("a.txt"));
  EXPECT_EQ(w.opened, std::vector<std::string>{"file://" + w.dir.path() + "/files/a.txt"});
  PaneWorld::Click(view, at("Setup.exe"));
  EXPECT_EQ(w.shell.opened, std::vector<std::string>{w.dir.path() + "/files/Setup.exe"});
  PaneWorld::Click(view, at("sub"));
  EXPECT_TRUE(view->isExpanded(at("sub")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount(at("sub")) == 1; }, 5000));  // C.TXT, case aside
  w.Shot("Folders pane");

  w.panes.Close();
  EXPECT_EQ(w.g.profile.GetString(kSettingsKey, "FileTypes"), "*.txt;*.exe;");
}

}  // namespace
}  // namespace kestrel::test
