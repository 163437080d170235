// The main frame and the whole main window on real pages: sites closed while
// loading, offline, the Address Bar, captions and side buttons, every action,
// and the commands that reach a page (favorites, history, scripts, cleaning,
// dictionaries, mail).
#include <gtest/gtest.h>
#include <httplib.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <atomic>
#include <mutex>
#include <set>

#include "address/address_bar.h"
#include "collections/favorites.h"
#include "common/progdir.h"
#include "common/textfile.h"
#include "engine/engine_harness.h"
#include "support/dialog_driver.h"
#include "support/temp_dir.h"

namespace kestrel::test {
namespace {

TEST(FrameOnEngine, SitesClosedInEveryOrderWhileLoadingLeaveASoundFrame) {
  LocalHttpServer server;
  server.SlowPage("/slow", Html("Slow", std::string(8000, 's')), 20, 200);
  server.Start();
  std::vector<int> order{0, 1, 2};
  int orders = 0;
  do {
    RealFrame f;
    std::vector<CKestrelView*> opened;
    for (int i = 0; i < 3; ++i) opened.push_back(f.Open(server.Url("/slow") + "?" + std::to_string(i)));
    ASSERT_TRUE(WaitFor([&] { return f.window->tabBar()->count() == 3; }));
    // Every page is still on its way in when the closing starts.
    ASSERT_TRUE(WaitFor([&] { return std::all_of(opened.begin(), opened.end(), [](CKestrelView* v) { return v->GetBusy(); }); }));
    for (int k : order) {
      CKestrelView* v = opened[static_cast<std::size_t>(k)];
      if (std::find(f.sites().begin(), f.sites().end(), v) == f.sites().end()) continue;
      f.frame->OnSiteCloseRequested(&v->frame().window());
      Pump(30);
      f.ExpectSound();
    }
    // The last visible site was blanked, not closed.
    ASSERT_EQ(f.sites().size(), 1u);
    ASSERT_TRUE(WaitFor([&] { return f.sites()[0]->GetLocationURL() == "about:blank"; }));
    EXPECT_EQ(f.frame->ActiveView(), f.sites()[0]);
    ++orders;
  } while (std::next_permutation(order.begin(), order.end()));
  EXPECT_EQ(orders, 6);
}

TEST(FrameOnEngine, OfflineTheEngineRefusesTheNetworkAndBackOnlineTheSameAddressLoads) {
  LocalHttpServer server;
  server.Page("/a", Html("Page A", "<h1>Page A</h1>"));
  server.Page("/b", Html("Page B", "<h1>Page B</h1>"));
  server.Start();
  RealFrame f;
  CKestrelView* v = f.OpenLoaded(server.Url("/b"), "Page B");
  ASSERT_TRUE(v);
  // The engine asks the request filter on its UI thread for every request:
  // online, with pictures and videos shown, a page has none.
  auto filters = [](CKestrelView* s) { return dynamic_cast<WebEngineControl&>(s->control()).FiltersRequests(); };
  EXPECT_FALSE(filters(v));
  f.frame->OnCommand(ID_WORK_OFFLINE);
  ASSERT_TRUE(f.frame->modes().IsOffline());
  v->Navigate(server.Url("/a"));
  ASSERT_TRUE(WaitFor([&] { return v->GetDocumentTitle() == "Cannot find server"; }));
  EXPECT_TRUE(v->IsSiteFailed());
  // A site made while offline is offline as well.
  CKestrelView* late = f.Open(server.Url("/a"));
  ASSERT_TRUE(late);
  ASSERT_TRUE(WaitFor([&] { return late->GetDocumentTitle() == "Cannot find server"; }));
  f.frame->OnCommand(ID_WORK_OFFLINE);
  EXPECT_FALSE(filters(v) || filters(late));
  v->Refresh();
  ASSERT_TRUE(WaitFor([&] { return v->GetDocumentTitle() == "Page A"; }));
  EXPECT_FALSE(v->IsSiteFailed());
}

// The Address Bar on the real window, with the resolver and the typed list
// behind it as the program wires them.
struct TypingFrame : RealFrame {
  AliasList aliases;
  TypedUrlList typed;
  CAddressResolver resolver{*frame, aliases};
  std::unique_ptr<CAddressBar> bar;
  TypingFrame() {
    bar = std::make_unique<CAddressBar>(*window, resolver, typed);
    frame->commands().Add(ID_ADDRESS_ENTER, [this](const CommandContext&) { bar->Enter(); });
    addressChosen = [this](int i) { bar->Choose(i); };
  }
  ~TypingFrame() { bar.reset(); }
  QLineEdit* edit() const { return window->addressEdit(); }
  void Type(const std::string& text, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    edit()->setFocus();
    edit()->selectAll();
    QTest::keyClicks(edit(), QString::fromStdString(text));
    QTest::keyClick(edit(), Qt::Key_Return, mods);
  }
};

TEST(FrameOnEngine, TheAddressBarOpensWhatIsTypedWhereTheKeysSayAndRemembersIt) {
  LocalHttpServer server;
  for (const char* p : {"a", "b", "c"}) server.Page(std::string("/") + p, Html(std::string("Page ") + p, p));
  server.Start();
  const QString a = QString::fromStdString(server.Url("/a")), b = QString::fromStdString(server.Url("/b")),
                c = QString::fromStdString(server.Url("/c"));
  TypingFrame f;
  f.settings.AutoNew = 0;
  CKestrelView* first = f.OpenLoaded(server.Url("/a"), "Page a");
  ASSERT_TRUE(first && WaitFor([&] { return f.frame->ActiveView() == first; }));
  // Enter opens in the active site; the field then follows the page.
  f.Type("  " + server.Url("/b") + "  ");
  EXPECT_EQ(f.edit()->text(), b);  // trimmed at once
  ASSERT_TRUE(WaitFor([&] { return first->GetDocumentTitle() == "Page b"; }));
  EXPECT_EQ(f.sites().size(), 1u);
  EXPECT_FALSE(f.window->AddressBeingEdited());
  // Ctrl+Enter opens a new site; while Ctrl is still held it stays behind
  // the active one. Shift+Enter opens a new site that comes to the front.
  {
    QtKeyState::EventScope held(Qt::ControlModifier);  // the user keeps Ctrl down
    f.Type(server.Url("/c"), Qt::ControlModifier);
    ASSERT_EQ(f.sites().size(), 2u);
    CKestrelView* behind = f.sites().back();
    ASSERT_TRUE(WaitFor([&] { return behind->GetDocumentTitle() == "Page c"; }));
  }
  EXPECT_EQ(f.frame->ActiveView(), first);
  EXPECT_EQ(f.frame->tabBar().selected(), 0);
  f.Type(server.Url("/a"), Qt::ShiftModifier);
  ASSERT_EQ(f.sites().size(), 3u);
  CKestrelView* front = f.sites().back();
  ASSERT_TRUE(WaitFor([&] { return f.frame->ActiveView() == front && front->GetDocumentTitle() == "Page a"; }));
  QStringList items;
  for (int i = 0; i < f.window->addressBox()->count(); ++i) items << f.window->addressBox()->itemText(i);
  EXPECT_EQ(items, (QStringList{a, c, b}));
  EXPECT_EQ(f.window->addressBox()->currentIndex(), -1);  // Enter added no item of the box's own
  // Leaving the field with a listed address in it opens nothing.
  f.edit()->setText(c);
  f.window->tabBar()->setFocus();
  Pump(300);
  EXPECT_EQ(f.sites().size(), 3u);
  EXPECT_EQ(front->GetDocumentTitle(), "Page a");
  // A choice from the drop-down opens it (how the list then moves: address_test).
  f.edit()->setFocus();
  emit f.window->addressBox()->activated(2);
  EXPECT_TRUE(WaitFor([&] { return f.frame->ActiveView()->GetDocumentTitle() == "Page b"; }));
}

TEST(FrameOnEngine, SitesComeIntoViewCaptionedAtFullSizeAndTheSideButtonsStepThroughThem) {
  LocalHttpServer server;
  server.Page("/one", Html("One", "1"));
  server.Page("/two", Html("Two", "2"));
  server.Start();
  RealFrame f;
  f.settings.SideBtnSupport = false;
  // The first site fills the frame; a second over it, then back: the caption
  // follows, and the site that went behind lays out at the size it will be shown at.
  CKestrelView* front = f.OpenLoaded(server.Url("/one"), "One");
  ASSERT_NE(front, nullptr);
  ASSERT_TRUE(front->frame().window().IsMaximized());
  CKestrelView* behind = f.OpenLoaded(server.Url("/two"), "Two");
  ASSERT_NE(behind, nullptr);
  f.frame->OnCommand(ID_PREV_WINDOW);
  Pump(300);
  ASSERT_EQ(f.frame->ActiveView(), front);
  EXPECT_EQ(f.window->windowTitle().toStdString(), "One - Kestrel");
  const int area = f.window->mdiArea()->viewport()->width();
  EXPECT_GT(std::stoi("0" + EvalIn(behind, "window.innerWidth")), area * 3 / 4);
  // The mouse side buttons: switched off, they leave the page where it is.
  front->Navigate(server.Url("/two"));
  ASSERT_TRUE(WaitFor([&] { return Shows(front, "Two") && front->CanGoBack(); }));
  QWidget* input = Engine(front).view()->focusProxy();
  ASSERT_NE(input, nullptr);
  auto press = [&](Qt::MouseButton b) {
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(20, 20), input->mapToGlobal(QPointF(20, 20)), b, b, {});
    QApplication::sendEvent(input, &e);
  };
  press(Qt::BackButton);
  Pump(700);
  EXPECT_EQ(front->GetDocumentTitle(), "Two");
  f.settings.SideBtnSupport = true;
  press(Qt::BackButton);
  EXPECT_TRUE(WaitFor([&] { return front->GetDocumentTitle() == "One"; }));
  press(Qt::ForwardButton);
  EXPECT_TRUE(WaitFor([&] { return front->GetDocumentTitle() == "Two"; }));
}

// Enabled only when the frame has a handler for it.
void ExpectWired(Program& p, QAction* a) {
  const unsigned id = a->data().toUInt();
  SCOPED_TRACE(a->text().toStdString() + " " + std::to_string(id));
  EXPECT_TRUE(!a->isEnabled() || p.frame().commands().Has(id));
}

// The whole main window as the program wires it, with a real page open:
// every action of every menu, of the toolbar, of the accelerators and of the
// context menus either reaches a handler or is disabled, and choosing one
// reaches its subsystem.
TEST(EveryAction, ReachesAHandlerOrIsDisabled) {
  LocalHttpServer server;
  server.Page("/", Html("Menus", "x"));
  server.Start();
  Program p([](CKestrelApp& a) { a.settings.StatusBar = 0; });
  // The stored status bar is applied at start (and saved so again).
  EXPECT_TRUE(p.window().statusBar()->isHidden());
  EXPECT_FALSE(p.window().StatusBarVisible() || p.frame().CommandStateOf(ID_VIEW_STATUS_BAR).checked);
  ASSERT_TRUE(p.Open(server.Url("/"), "Menus"));
  p.window().UpdateCommandStates();
  std::set<unsigned> seen;
  int enabled = 0;
  for (QAction* a : p.window().allActions()) {
    const unsigned id = a->data().toUInt();
    EXPECT_TRUE(id != 0 || !a->isEnabled()) << a->text().toStdString();  // only notes without a command have none
    if (id == 0) continue;
    seen.insert(id);
    enabled += a->isEnabled();
    ExpectWired(p, a);
  }
  // Every command of the menu has its action, fixed or dynamic.
  for (unsigned id : p.frame().menu().CommandIds()) EXPECT_TRUE(seen.count(id)) << id;
  // The languages and the shortcuts are there, the landed commands live.
  EXPECT_GT(enabled, 60);
  for (unsigned id : {unsigned(ID_FILE_OPEN), unsigned(ID_OPTIONS), unsigned(ID_BLOCK_POPUP), unsigned(ID_ALIASES),
                      unsigned(ID_VIEW_STATUS_BAR), unsigned(ID_SEARCH_ENGINE_DEFINITIONS), 9024u, 32918u,
                      unsigned(ID_ORGANIZE_AUTOLOGIN), unsigned(ID_FILL_ALL_FORMS), unsigned(ID_ORGANIZE_GROUPS),
                      unsigned(ID_FILE_SAVE_AS), unsigned(ID_EDIT_FIND), unsigned(ID_TEXT_MEDIUM),
                      unsigned(ID_SHOW_PICTURES), unsigned(ID_VIEW_SOURCE), 36004u, unsigned(ID_PROPERTIES),
                      unsigned(ID_ADD_FAVORITE), unsigned(ID_EXPORT_FAVORITES)}) {
    EXPECT_TRUE(p.window().action(id) ? p.window().action(id)->isEnabled() : seen.count(id) > 0) << id;
  }
  // A page at the top of its host has no level above it; features still to come are in the menu, disabled.
  EXPECT_FALSE(p.window().action(ID_GO_UP)->isEnabled());
  ASSERT_NE(p.window().action(ID_SAVE_ALL_FORMS), nullptr);
  EXPECT_FALSE(p.window().action(ID_SAVE_ALL_FORMS)->isEnabled());
  // The tab's menu asks for its own site.
  std::unique_ptr<QMenu> site = p.window().SitePopupFor(0);
  int siteItems = 0;
  for (QAction* a : site->actions()) {
    if (a->isSeparator()) continue;
    ++siteItems;
    ExpectWired(p, a);
  }
  EXPECT_EQ(siteItems, 8);
  EXPECT_TRUE(site->actions()[5]->isEnabled());  // Add To Group..., for the tab's site
  // Choosing actions reaches their subsystems: a check mark of the frame,
  // one of popup blocking, one of the bands.
  Settings& s = p.app->settings;
  const bool autoNew = s.AutoNew, blocking = s.AutoClosePopup;
  for (unsigned id : {ID_ALWAYS_NEW, ID_BLOCK_POPUP, ID_VIEW_STATUS_BAR}) p.window().action(id)->trigger();
  EXPECT_NE(s.AutoNew, autoNew);
  EXPECT_NE(s.AutoClosePopup, blocking);
  EXPECT_FALSE(p.window().statusBar()->isHidden());
  EXPECT_TRUE(p.window().action(ID_VIEW_STATUS_BAR)->isChecked());
  EXPECT_EQ(p.window().action(ID_BLOCK_POPUP)->isChecked(), s.AutoClosePopup);
  // Home takes the page's site to the start page, as Home Page does.
  CKestrelView* page = p.frame().ActiveView();
  ASSERT_TRUE(p.frame().OnCommand(ID_GO_HOME));
  EXPECT_TRUE(WaitFor([&] { return page->GetLocationURL().find("/help/welcome.htm") != std::string::npos; }))
      << page->GetLocationURL();
}

// A page the user saw is in the History pane of the whole window, and one
// click there shows it again; a page that failed is not history.
TEST(HistoryOnEngine, TheHistoryPaneOpensAPageSeenBefore) {
  LocalHttpServer server;
  server.Page("/seen", Html("Seen Before", "x"));
  server.Page("/other", Html("", "y"));
  server.Start();
  Program p;
  // A page is history once it has loaded whole.
  CKestrelView* site = p.Open(server.Url("/seen"), "Seen Before");
  ASSERT_TRUE(site);
  site->Navigate(server.Url("/other"));
  ASSERT_TRUE(WaitFor([&] { return !site->GetBusy() && site->GetLocationURL() == server.Url("/other"); }));
  const std::string closed = ClosedUrl();
  site->Navigate(closed);
  ASSERT_TRUE(WaitFor([&] { return site->IsSiteFailed(); }));
  ASSERT_TRUE(p.frame().OnCommand(ID_EXPLORER_HISTORY));
  auto* tree = p.window().findChild<QTreeWidget*>("history-tree");
  ASSERT_TRUE(tree);
  // A host's pages are there once it is opened; one without a title as the engine names it.
  QTreeWidgetItem* page = nullptr;
  QStringList shown;
  for (QTreeWidgetItemIterator it(tree); *it; ++it) {
    (*it)->setExpanded(true);
    shown << (*it)->text(0);
    if ((*it)->text(0) == "Seen Before") page = *it;
  }
  ASSERT_TRUE(page);
  EXPECT_TRUE(shown.contains(QString::fromStdString(server.Url("/other")).remove("http://"))) << shown.join('|').toStdString();
  EXPECT_FALSE(shown.contains("Cannot find server") || shown.join(' ').contains(QString::fromStdString(closed)))
      << shown.join('|').toStdString();
  tree->scrollToItem(page);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(page).center());
  EXPECT_TRUE(WaitFor([&] {
    for (CKestrelView* v : p.frame().sites().sites())
      if (v->GetDocumentTitle() == "Seen Before") return true;
    return false;
  }));
  EXPECT_EQ(p.window().ExplorerPane(), 3);  // what the settings keep at the end
}

// A shipped script typed in the Address Bar changes the page it runs in,
// and the page's own scripts see what it did.
TEST(ScriptsOnEngine, AShippedScriptTypedInTheAddressBarChangesThePage) {
  LocalHttpServer server;
  server.Page("/links", Html("Links", "<a href='/one'>One</a> <a href='/two'>Two</a><script>window.countLists = "
                                      "() => document.querySelectorAll('#kestrel-link-list').length;</script>"));
  server.Start();
  Program p;
  CKestrelView* site = p.Open(server.Url("/links"), "Links");
  ASSERT_TRUE(site);
  p.main->resolver().OpenTypedLines("script List Links");
  ASSERT_TRUE(WaitFor([&] { return EvalIn(site, "window.countLists()") == "1"; }));
  EXPECT_EQ(EvalIn(site, "document.querySelector('#kestrel-link-list b').textContent"), "\"2 links\"");
  // Run again, it replaces its list rather than adding a second one.
  p.main->resolver().OpenTypedLines("script List Links");
  QTest::qWait(200);
  EXPECT_EQ(EvalIn(site, "window.countLists()"), "1");
}

// Clean Cookies: a page sees no cookie after it; Clean Cached Files: a file
// the engine kept is fetched again, and the cookies stay.
TEST(CleanTraceOnEngine, CookiesAndCachedFilesGoEachOnItsOwn) {
  LocalHttpServer server;
  std::atomic<int> fetched{0};
  server.server().Get("/set", [](const httplib::Request&, httplib::Response& res) {
    res.set_header("Set-Cookie", "taste=oat; Max-Age=3600; Path=/");
    res.set_content(Html("Set"), "text/html");
  });
  server.server().Get("/cookie", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content(Html(req.has_header("Cookie") ? req.get_header_value("Cookie") : "none"), "text/html");
  });
  server.server().Get("/res", [&](const httplib::Request&, httplib::Response& res) {
    res.set_header("Cache-Control", "max-age=3600");
    res.set_content(std::to_string(++fetched), "text/plain");
  });
  // fetch() goes through the engine's HTTP cache, not a page's memory.
  server.Page("/uses", "<html><head><title>uses</title><script>fetch('/res').then(r => r.text())"
                       ".then(t => { document.title = 'got ' + t; });</script></head><body>u</body></html>");
  server.Start();
  Program p;
  MessageRecorder said(true);  // OK to every question
  CKestrelView* site = p.Open(server.Url("/set"), "Set");
  ASSERT_TRUE(site);
  // Visits `path` until `titled` holds: the engine clears its stores on its own time.
  int round = 0;
  const auto visitUntil = [&](const std::string& path, const std::function<bool(const std::string&)>& titled) {
    return WaitFor([&] {
      site->Navigate(server.Url(path + "?" + std::to_string(++round)));
      return WaitFor([&] { return titled(site->GetDocumentTitle()); }, 1000);
    });
  };
  const auto visit = [&](const std::string& path, const std::string& title) {
    site->Navigate(server.Url(path));
    return WaitFor([&] { return site->GetDocumentTitle() == title; }, 10000);
  };
  ASSERT_TRUE(visit("/cookie", "taste=oat"));
  ASSERT_TRUE(visit("/uses?a", "got 1"));
  ASSERT_TRUE(visit("/uses?b", "got 1"));  // from the cache
  ASSERT_TRUE(p.frame().OnCommand(ID_CLEAN_CACHE));
  // A fresh copy, whichever fetch brought it while the cache was being cleared.
  EXPECT_TRUE(visitUntil("/uses", [&](const std::string& t) { return fetched > 1 && t == "got " + std::to_string(fetched); }));
  const std::string fresh = site->GetDocumentTitle();
  EXPECT_TRUE(visit("/cookie", "taste=oat"));
  ASSERT_TRUE(p.frame().OnCommand(ID_CLEAN_COOKIES));
  EXPECT_TRUE(visitUntil("/cookie", [](const std::string& t) { return t == "none"; }));
  EXPECT_TRUE(visit("/uses?again", fresh));  // the cache stays
  EXPECT_EQ(said.messages.size(), 2u);         // the two questions, no failure
}

// Text selected in a page is looked up in a dictionary of the user's (by POST
// it goes through the search's form page: SearchOnEngine).
TEST(DictionariesOnEngine, SelectedTextIsLookedUp) {
  LocalHttpServer server;
  server.Page("/text", Html("Text", "<p id='w'>kestrel &amp; hawk</p>"));
  std::mutex mutex;
  std::string got;
  server.server().Get("/define", [&](const httplib::Request& req, httplib::Response& res) {
    std::lock_guard<std::mutex> lock(mutex);
    got = req.get_param_value("q");
    res.set_content(Html("Defined", "d"), "text/html");
  });
  server.Start();
  const std::string ini = ProgramFile("dictionary.ini");
  const std::optional<std::string> shipped = ReadWholeFile(ini);
  ASSERT_TRUE(WriteFileAtomic(ini, "Dictionaries\nBy Get;" + server.Url("/define?q=$key") + ";get\n"));
  struct Restore {
    std::string path, text;
    ~Restore() { WriteFileAtomic(path, text); }
  } restore{ini, shipped.value_or("")};
  Program p;
  CKestrelView* site = p.Open(server.Url("/text"), "Text");
  ASSERT_TRUE(site);
  EvalIn(site, "getSelection().selectAllChildren(document.getElementById('w'))");
  ASSERT_TRUE(p.frame().OnCommand(kDictionaryCommands.first));
  EXPECT_TRUE(WaitFor([&] {
    std::lock_guard<std::mutex> lock(mutex);
    return got == "kestrel & hawk";
  }));
}

// Send a Page and Send a Link hand their file to the desktop's mail program
// through xdg-email, here a stand-in on PATH that notes what it was given.
TEST(MailOnEngine, PagesAndLinksGoToXdgEmailAsAttachments) {
  LocalHttpServer server;
  server.Page("/news", "<html><head><title>News: today</title></head><body><p>fresh</p></body></html>");
  server.Start();
  TempDir dir;
  ::mkdir(dir.file("bin").c_str(), 0755);
  dir.write("bin/xdg-email", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" + dir.file("args.tmp") +
                                 "\"\nmv \"" + dir.file("args.tmp") + "\" \"" + dir.file("args") + "\"\n");
  ::chmod(dir.file("bin/xdg-email").c_str(), 0755);
  ScopedEnv path("PATH", (dir.file("bin") + ":" + (std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin")).c_str());
  Program p;
  ASSERT_TRUE(p.Open(server.Url("/news"), "News: today"));
  // What the stand-in was given for `command`: "--attach" and the file.
  const auto sent = [&](unsigned command) -> std::vector<std::string> {
    EXPECT_TRUE(p.frame().OnCommand(command));
    std::optional<std::string> args;
    if (!WaitFor([&] { return (args = ReadWholeFile(dir.file("args"))).has_value(); })) return {};
    ::unlink(dir.file("args").c_str());
    std::vector<std::string> lines = SplitFields(*args, '\n');
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    EXPECT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines.empty() ? "" : lines[0], "--attach");
    return lines.size() == 2 ? lines : std::vector<std::string>{"", ""};
  };
  const std::string link = sent(ID_LINK_BY_EMAIL)[1];
  EXPECT_TRUE(link.ends_with("/News- today.url")) << link;
  EXPECT_EQ(ReadShortcutUrl(link), server.Url("/news"));
  const std::optional<std::string> copy = ReadWholeFile(sent(ID_PAGE_BY_EMAIL)[1]);
  ASSERT_TRUE(copy.has_value());
  EXPECT_EQ(copy->rfind("<BASE HREF=\"" + server.Url("/news") + "\">\n<html>", 0), 0u) << *copy;
  EXPECT_NE(copy->find("<p>fresh</p>"), std::string::npos);
}

}  // namespace
}  // namespace kestrel::test
