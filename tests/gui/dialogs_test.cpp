// The dialogs and windows as a person uses them: real Qt windows offscreen,
// driven by clicks and typing.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include "address/alias.h"
#include "popups/filter_dialog.h"
#include "support/dialog_driver.h"
#include "support/fake_site.h"
#include "support/fakes.h"
#include "support/temp_dir.h"
#include "ui/alias_dialog_qt.h"
#include "ui/child_window_qt.h"
#include "ui/downloads_qt.h"
#include "ui/filter_dialog_qt.h"
#include "ui/forms_dialogs_qt.h"
#include "ui/groups_dialog_qt.h"
#include "ui/hidden_sites_qt.h"
#include "ui/open_dialog_qt.h"
#include "ui/page_dialogs_qt.h"
#include "ui/qt_dialogs.h"
#include "ui/tools_dialogs_qt.h"

namespace kestrel::test {
namespace {

using List = std::vector<std::string>;

TEST(Dialogs, TheFirstRunQuestionsReturnTheirBoxesOnlyOnOk) {
  QtDialogs dialogs;
  bool scripts = true, popups = false;
  WhenShown([](QDialog* d) {
    Find<QCheckBox>(d, "Suppress Script Errors")->click();
    Find<QCheckBox>(d, "Automatically Close Popup Ad Windows")->click();
    Button(d, "OK")->click();
  });
  EXPECT_TRUE(dialogs.ConfigurationWizard(scripts, popups));
  EXPECT_TRUE(!scripts && popups);
  WhenShown([](QDialog* d) {
    Find<QCheckBox>(d, "Suppress Script Errors")->click();
    Button(d, "Cancel")->click();
  });
  EXPECT_FALSE(dialogs.ConfigurationWizard(scripts, popups));
  EXPECT_FALSE(scripts);
}

TEST(Dialogs, TheOptionsSheetCopiesItsPagesBackOnOkOnlyAndOpensTheLists) {
  QtDialogs dialogs;
  StartupOptions su;
  su.SUUrl = "http://old.example/";
  GeneralOptions g;
  g.AutoClosePopup = g.RecPPLook = false;
  MiscOptions m;
  m.playVideos = m.executeScripts = false;
  m.favoritesBreakNum = 40;
  std::vector<bool> lists;
  auto edit = [&](bool black) { lists.push_back(black); };
  WhenShown([](QDialog* d) {
    Find<QCheckBox>(d, "Open a specified page:")->click();
    auto edits = d->findChildren<QLineEdit*>();
    edits.removeIf([](QLineEdit* e) { return qobject_cast<QSpinBox*>(e->parent()) != nullptr; });
    ASSERT_EQ(edits.size(), 2);
    EXPECT_EQ(edits[0]->text(), "http://old.example/");
    edits[0]->clear();
    QTest::keyClicks(edits[0], "http://new.example/");
    Find<QCheckBox>(d, "Execute the following commands")->click();
    d->findChild<QPlainTextEdit*>()->setPlainText("one\ntwo");
    for (const char* box : {"Automatically block popup windows", "Recognize popup windows by appearance",
                            "Show Tray Icon  Hide Taskbar Button"})
      Find<QCheckBox>(d, box)->click();
    Button(d, "Black List...")->click();
    Button(d, "White List...")->click();
    // The Misc page is filled from what it was handed.
    d->findChild<QTabWidget*>()->setCurrentIndex(2);
    auto* number = d->findChild<QSpinBox*>("favorites-break-num");
    ASSERT_TRUE(number);
    EXPECT_EQ(number->value(), 40);
    for (const char* box : {"Show Pictures", "Execute Scripts", "Break Favorites Menu At"}) Find<QCheckBox>(d, box)->click();
    EXPECT_FALSE(number->isEnabled());  // no columns to count without the break
    Find<QCheckBox>(d, "Support Mouse Side Button To Go Back/Forward")->click();
    Button(d, "OK")->click();
  });
  ASSERT_TRUE(dialogs.OptionsSheet(su, g, m, edit));
  EXPECT_EQ((std::vector<bool>{m.showPictures, m.playVideos, m.executeScripts, m.breakFavorites, m.sideButtons}),
            (std::vector<bool>{false, false, true, false, false}));
  EXPECT_EQ(m.favoritesBreakNum, 40);
  EXPECT_TRUE(su.SUOpenPage && su.SUExecScript && !su.SUIEHomePage);
  EXPECT_EQ(su.SUUrl, "http://new.example/");
  EXPECT_EQ(su.SUScript, "one\ntwo");
  EXPECT_TRUE(g.AutoClosePopup && g.RecPPLook && g.ShowTrayIcon && g.RecPPTime);
  EXPECT_EQ(lists, (std::vector<bool>{true, false}));

  const StartupOptions keptStartup = su;
  const GeneralOptions kept = g;
  WhenShown([](QDialog* d) {
    for (const char* box : {"Open Internet Explorer homepage", "Beep when a popup window is blocked", "Play Sounds"})
      Find<QCheckBox>(d, box)->click();
    Button(d, "Cancel")->click();
  });
  EXPECT_FALSE(dialogs.OptionsSheet(su, g, m, edit));
  EXPECT_EQ(su.SUIEHomePage, keptStartup.SUIEHomePage);
  EXPECT_EQ(g, kept);
}

TEST(ChildWindow, TitlesFromPagesAreShownSafely) {
  QString rtl = QString::fromUtf8("abc\u202Eevil\u200F") + QChar(7) + "\n" + QString(100000, 'x');
  QString shown = QtChildWindow::DisplayTitle(rtl);
  EXPECT_LE(shown.size(), 256);
  EXPECT_TRUE(shown.startsWith("abcevil"));
  for (QChar c : shown) EXPECT_NE(c.category(), QChar::Other_Control);
}

TEST(OpenDialogGui, BrowseFillsTheFieldAndOkWantsText) {
  OpenDialog d(nullptr, {"http://b.example/", "http://a.example/"});
  d.show();
  QPushButton* ok = Button(&d, "OK");
  ASSERT_NE(ok, nullptr);
  // The typed addresses are offered in their order, none chosen yet.
  EXPECT_EQ(d.field()->itemText(0), "http://b.example/");
  EXPECT_FALSE(ok->isEnabled());
  QTest::keyClicks(d.field()->lineEdit(), "   ");
  EXPECT_FALSE(ok->isEnabled()) << "blanks open nothing";
  const QString answer = "/home/someone/page one.html";
  d.chooseFile = [&](QWidget*) { return answer; };
  d.browseButton()->click();
  EXPECT_EQ(d.field()->currentText(), answer);
  EXPECT_TRUE(ok->isEnabled());
  d.field()->lineEdit()->setText("  http://typed.example/x  ");
  EXPECT_EQ(d.Address(), "http://typed.example/x");
  ok->click();
  EXPECT_EQ(d.result(), QDialog::Accepted);
}

TEST(AliasDialogGui, CloseKeepsTheRowsAndTheCloseBoxForgetsThem) {
  TempDir dir;
  const std::string path = dir.file("alias.txt");
  AliasList list, reread;
  list.Replace({{"zz", "http://z.example/"}});
  WhenShown([](QDialog* d) {
    auto edits = d->findChildren<QLineEdit*>();
    edits[0]->clear();
    edits[1]->clear();
    QTest::keyClicks(edits[0], "deb");
    QTest::keyClicks(edits[1], "https://www.debian.org/");
    Button(d, "Add")->click();
    auto* tree = d->findChild<QTreeWidget*>();
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->text(0).toStdString(), "deb");  // kept sorted by alias
    emit tree->header()->sectionClicked(1);  // by full text: http before https (the orders: alias_test)
    EXPECT_EQ(tree->topLevelItem(0)->text(0).toStdString(), "zz");
    Button(d, "Close")->click();
  });
  EXPECT_TRUE(RunAliasDialog(nullptr, list, path, {}));
  reread.LoadAliases(path);
  EXPECT_EQ(reread.entries(), list.entries());

  WhenShown([](QDialog* d) {
    d->findChild<QTreeWidget*>()->topLevelItem(0)->setSelected(true);
    d->findChildren<QLineEdit*>()[1]->setText("http://changed.example/");
    Button(d, "Change")->click();
    d->reject();  // the window's close box
  });
  EXPECT_FALSE(RunAliasDialog(nullptr, list, path, {}));
  reread.LoadAliases(path);
  EXPECT_EQ(reread.entries(), list.entries());
}

QStringList Rows(QDialog* d) {
  QStringList rows;
  auto* list = d->findChild<QTreeWidget*>();
  for (int i = 0; i < list->topLevelItemCount(); ++i) rows << list->topLevelItem(i)->text(0);
  return rows;
}

TEST(FilterDialogGui, TheButtonsReachTheListAndOkWritesTheShownOrder) {
  // What each operation does to the rows is the model's (site_filter_test): here the window's wiring.
  MessageRecorder messages;  // a refusal would come here, not as a modal box
  List list{"zoo.example", "Ads.", "pop", "pop"}, help;
  WhenShown([&](QDialog* d) {
    auto* rows = d->findChild<QTreeWidget*>();
    auto* edit = d->findChild<QLineEdit*>();
    EXPECT_EQ(Rows(d), (QStringList{"Ads.", "pop", "pop", "zoo.example"}));
    edit->clear();
    QTest::keyClicks(edit, "  banner ");
    Button(d, "Add")->click();
    rows->setCurrentItem(rows->topLevelItem(3));  // a click on the second "pop"
    EXPECT_EQ(edit->text(), "pop");
    Button(d, "Remove")->click();
    ASSERT_EQ(rows->selectedItems().size(), 1);
    EXPECT_EQ(rows->indexOfTopLevelItem(rows->selectedItems().front()), 3);
    edit->setText("track.example");
    Button(d, "Change")->click();
    EXPECT_EQ(Rows(d), (QStringList{"Ads.", "banner", "pop", "track.example"}));
    Button(d, "Help")->click();
    Button(d, "OK")->click();
  });
  EXPECT_TRUE(RunFilterDialog(nullptr, "Black List", list, [&](const std::string& page) { help.push_back(page); }));
  EXPECT_EQ(list, (List{"Ads.", "banner", "pop", "track.example"}));
  EXPECT_EQ(help, List{"sitefilter.htm"});
  EXPECT_TRUE(QFile::exists(KESTREL_DATA_DIR "/help/sitefilter.htm")) << "a help page the program ships";
  // Cancel forgets every change, so does the close box.
  for (bool closeBox : {false, true}) {
    WhenShown([closeBox](QDialog* d) {
      d->findChild<QLineEdit*>()->setText("new.example");
      Button(d, "Add")->click();
      closeBox ? d->reject() : Button(d, "Cancel")->click();
    });
    EXPECT_FALSE(RunFilterDialog(nullptr, "White List", list, {}));
    EXPECT_EQ(list, (List{"Ads.", "banner", "pop", "track.example"}));
  }
}

TEST(AddToListDialogGui, BoxesAreReadBackOnOkOnlyAndTheWhiteListHasNoCloseBox) {
  const std::string address = "https://ads.example:8443/popup?id=42";
  bool entireDomain = false, closeNow = false;
  WhenShown([&](QDialog* d) {
    auto* field = d->findChild<QLineEdit*>();
    QTest::keyClicks(field, "typed");
    EXPECT_EQ(field->text().toStdString(), address) << "shown, not editable";
    Find<QCheckBox>(d, "Add Entire Domain")->click();
    Find<QCheckBox>(d, "Close Site Window Now")->click();
    Button(d, "OK")->click();
  });
  EXPECT_TRUE(RunAddToListDialog(nullptr, true, address, entireDomain, closeNow));
  EXPECT_TRUE(entireDomain && closeNow);
  // Cancel leaves the answers alone; OK on the white list never asks for a close.
  for (bool ok : {false, true}) {
    WhenShown([ok](QDialog* d) {
      EXPECT_EQ(Find<QCheckBox>(d, "Close Site Window Now"), nullptr);
      EXPECT_TRUE(Find<QCheckBox>(d, "Add Entire Domain")->isChecked()) << "starts from the caller's value";
      Find<QCheckBox>(d, "Add Entire Domain")->click();
      Button(d, ok ? "OK" : "Cancel")->click();
    });
    EXPECT_EQ(RunAddToListDialog(nullptr, false, address, entireDomain, closeNow), ok);
    EXPECT_TRUE(entireDomain == !ok && closeNow == !ok) << ok;
  }
}

TEST(HiddenSitesGui, ShowAndWhiteListTakeTheSelectedRowAndTheNextMovesUp) {
  MessageRecorder messages;
  HiddenSitesActions a;
  for (int i = 1; i <= 4; ++i)
    a.rows.push_back({FakeView(i), "Site " + std::to_string(i), i % 2 == 1, "http://s" + std::to_string(i) + "/"});
  List log;
  a.show = [&](CKestrelView* v) { log.push_back("show " + std::to_string(FakeViewIndex(v))); };
  a.addToWhiteList = [&](CKestrelView* v) { log.push_back("white " + std::to_string(FakeViewIndex(v))); };
  WhenShown([&](QDialog* d) {
    auto* list = d->findChild<QTreeWidget*>();
    ASSERT_EQ(list->topLevelItemCount(), 4);
    Button(d, "Show")->click();
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->currentItem()->text(0), "Site 2");  // the row at the same place next
    list->setCurrentItem(list->topLevelItem(2));
    Button(d, "Add Into White List")->click();
    EXPECT_EQ(list->currentItem()->text(0), "Site 3");  // the last went: the one before it
    emit list->itemDoubleClicked(list->topLevelItem(0), 0);  // a double click shows too
    EXPECT_EQ(list->topLevelItemCount(), 1);
    list->clearSelection();
    Button(d, "Show")->click();  // nothing selected, nothing shown
    Button(d, "Done")->click();
  });
  RunHiddenSitesDialog(nullptr, std::move(a));
  EXPECT_EQ(log, (List{"show 1", "white 4", "show 4", "show 2"}));
  ASSERT_FALSE(messages.messages.empty());
  EXPECT_EQ(messages.messages.back(), "Please select a site!");
}

QString Cell(QTableView* t, int row, int column) { return t->model()->index(row, column).data().toString(); }

TEST(DownloadsGui, TheWindowFollowsTheListAndActsOnTheSelectedDownload) {
  TempDir dir;
  FakeClock clock;
  CDownloads list(clock);
  RecordingShell shell;
  QWidget parent;
  QtDownloads ui(list, shell, &parent, dir.path());
  List log;
  auto start = [&](const std::string& name) {
    dir.write(name + ".part", "");
    return list.Start(std::make_unique<FakeJob>(&log), "http://h/" + name, dir.file(name), dir.file(name + ".part"));
  };
  const std::int64_t mb = 1024 * 1024;
  const int iso = start("debian-12.iso"), pdf = start("manual.pdf");
  list.Progress(iso, 0, 600 * mb);
  list.Progress(pdf, 0, 4 * mb);
  clock.ms += 2000;
  list.Progress(iso, 180 * mb, 600 * mb);
  list.Progress(pdf, 3 * mb, 4 * mb);
  ui.ShowWindow();
  QtDownloadsWindow* w = ui.window();
  QTableView* t = w->table();
  ASSERT_EQ(t->model()->rowCount(), 2);
  // The columns as the list words them (the wording: downloads_test).
  EXPECT_EQ((QStringList{Cell(t, 0, 0), Cell(t, 0, 2)}), (QStringList{"debian-12.iso", "180.0 MB of 600.0 MB"}));
  SaveShot(w, "Downloads");

  // Buttons act on the selected row and follow its state.
  QPushButton* pause = Button(w, "Pause");
  QPushButton* open = Button(w, "Open");
  EXPECT_FALSE(pause->isEnabled());  // nothing selected
  t->selectRow(0);
  pause->click();
  EXPECT_FALSE(open->isEnabled());
  pause->click();
  t->selectRow(1);
  list.Completed(pdf);
  w->Refresh();
  EXPECT_TRUE(open->isEnabled());
  open->click();
  Button(w, "Show in Folder")->click();
  EXPECT_EQ(shell.opened, (List{dir.file("manual.pdf"), dir.path()}));
  t->selectRow(0);
  Button(w, "Cancel")->click();
  EXPECT_EQ(log, (List{"pause", "resume", "cancel"}));
  EXPECT_EQ(Cell(t, 0, 5), "Cancelled");

  // A hundred at once, each changing: the list is shown in one go, not row by row.
  for (int i = 0; i < 100; ++i) start("file" + std::to_string(i) + ".bin");
  for (int round = 0; round < 20; ++round)
    for (const DownloadItem& d : std::vector<DownloadItem>(list.items())) list.Progress(d.id, round * 1000, 100000);
  QTest::qWait(400);
  EXPECT_EQ(t->model()->rowCount(), 102);
  EXPECT_EQ(ui.statusLabel()->text(), "100 downloads");
  // Clearing keeps what runs, and the row selected stays on its download.
  t->selectRow(5);
  const QString chosen = Cell(t, 5, 0);
  Button(w, "Clear List")->click();
  QTest::qWait(400);
  EXPECT_EQ(t->model()->rowCount(), 100);
  ASSERT_FALSE(t->selectionModel()->selectedRows().isEmpty());
  EXPECT_EQ(Cell(t, t->selectionModel()->selectedRows().front().row(), 0), chosen);
}

TEST(DownloadsGui, TheLoginDialogNamesTheServerAndSaysWhenATryFailed) {
  LoginRequest r;
  r.host = "intranet.example";
  r.realm = "<b>Staff</b> only";
  r.retry = true;
  QtLoginDialog d(nullptr, r, "anna");
  const QLabel* text = d.findChild<QLabel*>("login-text");
  EXPECT_TRUE(text->text().contains("intranet.example") && text->text().contains("not accepted"));
  EXPECT_TRUE(text->text().contains("\"<b>Staff</b> only\""));  // the server's words, as they are
  EXPECT_EQ(text->textFormat(), Qt::PlainText);
  d.findChild<QLineEdit*>("login-password")->setText("p\xc3\xa4ss");
  EXPECT_EQ(d.user() + "/" + d.password(), "anna/p\xc3\xa4ss");
}

TEST(PageDialogsGui, APagesDialogShowsItsWordsCutAndPlainAndGivesBackWhatWasTyped) {
  using Kind = PageDialogRequest::Kind;
  const std::string pairs = [] {
    std::string s = "a";  // then pairs that straddle the cut
    for (int i = 0; i < 1500; ++i) s += "\xF0\x9F\x98\x80";
    return s;
  }();
  struct Case {
    Kind kind;
    std::string origin, message;
    QString title, shown;
    bool input, cancel;
  } cases[] = {
      {Kind::Alert, "http://a.example:8080", "<b>Hi</b>\nthere", "http://a.example:8080 says", "<b>Hi</b>\nthere",
       false, false},
      {Kind::Confirm, "", std::string(5000, 'x'), "This page says", QString(2000, 'x') + "...", false, true},
      {Kind::Prompt, "https://b.example", std::string(40, '\n') + "z", "https://b.example says",
       QString(29, '\n') + "...", true, true},
      {Kind::Alert, "", pairs, "This page says", QString::fromStdString(pairs).left(1999) + "...", false, false},
  };
  for (const Case& c : cases) {
    PageDialogRequest r{c.kind, c.origin, c.message, "d\xc3\xa4"};
    QtPageDialog d(nullptr, r);
    SCOPED_TRACE(c.title.toStdString());
    EXPECT_EQ(d.windowTitle(), c.title);
    const QLabel* text = d.findChild<QLabel*>("page-dialog-text");
    EXPECT_EQ(text->text(), c.shown);
    EXPECT_EQ(text->textFormat(), Qt::PlainText);
    EXPECT_EQ(d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel) != nullptr, c.cancel);
    auto* input = d.findChild<QLineEdit*>("page-dialog-input");
    ASSERT_EQ(input != nullptr, c.input);
    EXPECT_EQ(d.text(), c.input ? "d\xc3\xa4" : "");
    EXPECT_FALSE(d.noMoreDialogs());
    d.findChild<QCheckBox*>("page-dialog-stop")->setChecked(true);
    EXPECT_TRUE(d.noMoreDialogs());
  }
}

TEST(FormsDialogsGui, TheListsChooseAndTheOrganizerEditsItsModel) {
  MessageRecorder said;
  QtFormsDialogs dialogs(nullptr, nullptr);
  // Set Active Form Data Files: the active names come selected; OK gives the selection in list order.
  WhenShown([](QDialog* d) {
    auto* list = d->findChild<QListWidget*>(QStringLiteral("form-files"));
    ASSERT_EQ(list->count(), 3);
    EXPECT_TRUE(list->item(2)->isSelected());
    list->item(0)->setSelected(true);
    Button(d, QStringLiteral("OK"))->click();
  });
  EXPECT_EQ(dialogs.SetActiveForms({"home", "shop", "work"}, {"WORK"}), (List{"home", "work"}));

  // The Organizer: typed fields reach the list through Add, and Escape keeps them.
  CAutoLoginList list;
  list.entries() = {{"b", "http://b/", "", "", ""}};
  CAutoLoginOrganizer model(list);
  WhenShown([](QDialog* d) {
    d->findChild<QLineEdit*>(QStringLiteral("autologin-caption"))->setText(QStringLiteral("a"));
    d->findChild<QLineEdit*>(QStringLiteral("autologin-url"))->setText(QStringLiteral("http://a/"));
    Button(d, QStringLiteral("Add"))->click();
    auto* items = d->findChild<QListWidget*>(QStringLiteral("autologin-list"));
    EXPECT_EQ(items->item(0)->text(), QStringLiteral("a"));
    EXPECT_EQ(items->currentRow(), 1);  // still on "b"
    d->reject();
  });
  EXPECT_FALSE(dialogs.Organizer(model, nullptr));
  ASSERT_EQ(list.entries().size(), 2u);
  EXPECT_EQ(list.entries()[1].url, "http://a/");
  EXPECT_TRUE(said.messages.empty());
}

// What each button does to the lists is the model's (collections_test): here the window's wiring.
TEST(GroupOrganizerGui, ButtonsReachTheModelAndEscapeKeepsTheFileAsItWas) {
  MessageRecorder said;
  TempDir dir;
  dir.write("news.sgp", "http://b.test/\r\nhttp://a.test/\r\n");
  dir.write("work.sgp", "");
  QtGroupDialogs dialogs(nullptr, nullptr);
  List opened;
  auto open = [&](const std::string& n) { opened.push_back(n); };
  auto now = [] { return std::string("http://now.test/"); };
  auto click = [](QDialog* d, const char* name) { d->findChild<QPushButton*>(QLatin1String(name))->click(); };
  {
    CGroupOrganizer model(dir.path() + "/");
    model.Open("http://current.test/");
    WhenShown([&](QDialog* d) {
      auto* sites = d->findChild<QListWidget*>(QStringLiteral("group-sites"));
      ASSERT_EQ(sites->count(), 2);
      EXPECT_EQ(d->findChild<QLineEdit*>(QStringLiteral("group-site"))->text(), QStringLiteral("http://current.test/"));
      click(d, "site-add");
      EXPECT_EQ(sites->count(), 3);
      click(d, "group-open");
      QTest::keyClick(d, Qt::Key_Escape);
    });
    EXPECT_FALSE(dialogs.Organizer(model, open, now));
  }
  EXPECT_EQ(opened, (List{"news"}));
  EXPECT_EQ(dir.read("news.sgp"), "http://b.test/\r\nhttp://a.test/\r\n");  // Escape saved nothing

  CGroupOrganizer model(dir.path() + "/");
  model.Open();
  WhenShown([&](QDialog* d) {
    d->findChild<QListWidget*>(QStringLiteral("group-list"))->setCurrentRow(1);  // work: news is written back, sorted
    click(d, "site-current");
    click(d, "site-add");
    click(d, "group-close");
  });
  EXPECT_TRUE(dialogs.Organizer(model, open, now));
  EXPECT_EQ(dir.read("news.sgp"), "http://a.test/\r\nhttp://b.test/\r\n");
  EXPECT_EQ(dir.read("work.sgp"), "http://now.test/\r\n");
}

TEST(PageDialogsGui, PropertiesShowWhatIsKnownAndSaveNamesAreSafeFileNames) {
  QtPageDialogs dialogs(nullptr);
  PageProperties p;
  p.url = "http://docs.test/book/ch01.html";
  p.title = "The Book <Chapter 1>";
  p.protocol = "HyperText Transfer Protocol";
  p.encoding = "UTF-8";
  p.mimeType = "text/html";
  p.size = 123456;
  WhenShown([](QDialog* d) {
    QStringList shown;
    for (QLabel* l : d->findChildren<QLabel*>()) {
      shown << l->text();
      EXPECT_TRUE(!l->text().contains('<') || l->textFormat() == Qt::PlainText);  // as text, never as markup
    }
    // No date of change was given: not available.
    for (const QString& s : {QString("http://docs.test/book/ch01.html"), QString("The Book <Chapter 1>"),
                             QLocale().toString(123456) + " bytes", QString("Not available")})
      EXPECT_TRUE(shown.contains(s)) << s.toStdString();
    Button(d, "OK")->click();
  });
  dialogs.Properties(p);

  const std::pair<const char*, const char*> cases[] = {
      {"Rust Book: Chapter 1/2", "Rust Book_ Chapter 1_2"}, {"  ..hidden  ", "hidden"}, {"..", "page"}, {"", "page"},
      {"a\tb\nc*?<>|\"", "a b c______"}, {"\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},
  };
  for (const auto& [title, name] : cases) EXPECT_EQ(PageFileName(title), name) << title;
  EXPECT_EQ(PageFileName(std::string(400, 'x')).size(), 120u);
}

TEST(CustomScriptDialog, ExecuteGivesTheCodeAndLanguageCloseGivesNothing) {
  QtScriptDialogs dialogs(nullptr, {});
  WhenShown([](QDialog* d) {
    auto* edit = d->findChild<QPlainTextEdit*>("script-code");
    ASSERT_TRUE(edit);
    EXPECT_TRUE(Find<QRadioButton>(d, "Java Script")->isChecked());
    // Enter in the code is a new line, not Execute.
    QTest::keyClicks(edit, "a = 1;");
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, "b = 2;");
    Find<QRadioButton>(d, "VB Script")->click();
    Find(d, "Execute")->click();
  });
  std::string code;
  bool javaScript = true;
  ASSERT_TRUE(dialogs.CustomScript(code, javaScript));
  EXPECT_EQ(code, "a = 1;\nb = 2;");
  EXPECT_FALSE(javaScript);
  WhenShown([](QDialog* d) {
    QTest::keyClicks(d->findChild<QPlainTextEdit*>("script-code"), "lost");
    Find(d, "Close")->click();
  });
  code.clear();
  EXPECT_FALSE(dialogs.CustomScript(code, javaScript));
  EXPECT_TRUE(code.empty());
}

}  // namespace
}  // namespace kestrel::test
