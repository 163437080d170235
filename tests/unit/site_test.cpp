// Sites inside a real frame, over scripted controls: showing, closing,
// blank and failed tests, progress, new windows, history and script errors.
#include <gtest/gtest.h>

#include "frame/main_frame.h"
#include "support/fake_frame_window.h"
#include "support/fake_site.h"

namespace kestrel {
namespace {

using test::FakeChild;
using test::ScriptedControl;

struct World {
  test::FakeFrameWindow window;
  test::SiteParts parts;
  RegistryProfile profile;
  Settings settings;
  test::FakeClock clock;
  test::FakeKeys keys;
  CMainFrame frame{window, profile, settings, clock, keys};
  World() { window.makeSite = [this] { return parts.Make(); }; }
  CKestrelView* Site(const std::string& url, const std::string& title) {
    CKestrelView* v = frame.CreateSite();
    v->Navigate(url);
    Control(v).CompleteNavigation(title);
    return v;
  }
  static ScriptedControl& Control(CKestrelView* v) { return static_cast<ScriptedControl&>(v->control()); }
  static FakeChild& Child(CKestrelView* v) { return static_cast<FakeChild&>(v->frame().window()); }
};

TEST(Site, ShowsOnFirstNavigationWithATabAndFollowsItsPage) {
  World w;
  CKestrelView* a = w.frame.CreateSite();
  EXPECT_FALSE(w.Child(a).visible);  // created hidden
  EXPECT_EQ(w.frame.NewestSite(), a);
  a->Navigate("http://a.example/");
  EXPECT_FALSE(a->IsSiteBlank());  // a navigation elsewhere is pending
  EXPECT_EQ(a->m_nProgress, 0);
  w.Control(a).CompleteNavigation("Page A");
  EXPECT_TRUE(w.Child(a).visible);
  EXPECT_TRUE(w.Child(a).maximized);  // the first site shown is maximised
  EXPECT_EQ(w.window.tabs.size(), 1u);
  EXPECT_EQ(w.Child(a).caption, "Page A");
  EXPECT_EQ(a->m_nProgress, -1);
  EXPECT_FALSE(a->m_bNavigationPending);

  // Another site opens in normal state; with Ctrl held it neither activates nor selects.
  w.keys.ctrl = true;
  CKestrelView* b = w.Site("http://b.example/", "?");
  EXPECT_TRUE(w.Child(b).visible);
  EXPECT_FALSE(w.Child(b).maximized);
  EXPECT_FALSE(w.Child(b).activated);
  EXPECT_EQ(w.Child(b).caption, "");          // "?" shows as no title
  EXPECT_EQ(b->m_strPageTitle, "?");          // but the page history keeps it
  EXPECT_EQ(w.frame.VisibleSiteCount(), 2);

  // The address bar follows the active site only, and not while the user types.
  w.frame.OnSiteActivated(&w.Child(a));
  EXPECT_EQ(w.window.address, "http://a.example/");
  w.window.editing = true;
  w.Control(a).LoadPage("http://a.example/2", "A2");
  EXPECT_EQ(w.window.address, "http://a.example/");
  EXPECT_EQ(w.frame.Caption(), "A2 - Kestrel");

  // Progress rules.
  a->OnProgressChange(150, 100);
  EXPECT_EQ(a->m_nProgress, 100);
  a->OnProgressChange(-1, 100);
  EXPECT_EQ(a->m_nProgress, -1);
  a->OnProgressChange(5, 0);
  EXPECT_EQ(a->m_nProgress, -1);
  a->OnProgressChange(33, 100);
  EXPECT_EQ(a->m_nProgress, 33);
}

TEST(Site, BlankFailedAndErrorPages) {
  World w;
  CKestrelView* v = w.frame.CreateSite();
  v->Navigate("about:blank");
  EXPECT_TRUE(v->IsSiteBlank());  // at once, before anything loaded
  ScriptedControl& c = w.Control(v);
  c.busy = true;
  EXPECT_FALSE(v->IsSiteBlank());
  EXPECT_FALSE(v->IsSiteFailed());
  c.busy = false;
  v->m_bNavigationPending = false;
  for (const char* t : {"Cannot Find Server", "cannot find server", "No page to display"}) {
    c.title = t;
    EXPECT_TRUE(v->IsSiteFailed()) << t;
    EXPECT_TRUE(v->IsErrorPage()) << t;
  }
  c.title = "We cannot find server today";
  EXPECT_FALSE(v->IsSiteFailed());
  c.title = "Server ERROR 500";
  EXPECT_FALSE(v->IsSiteFailed());
  EXPECT_TRUE(v->IsErrorPage());
  v->m_bNavigationPending = true;
  c.title = "Cannot find server";
  EXPECT_FALSE(v->IsSiteFailed());  // still loading
  EXPECT_TRUE(CKestrelView::IsLocalPath("file:///tmp/x"));
  EXPECT_TRUE(CKestrelView::IsLocalPath("c:\\x"));
  EXPECT_FALSE(CKestrelView::IsLocalPath("c:"));
  EXPECT_FALSE(CKestrelView::IsLocalPath("http://x/"));
}

TEST(Site, TheLastVisibleSiteIsBlankedNotClosed) {
  World w;
  CKestrelView* a = w.Site("http://a.example/", "A");
  a->OnCommand(ID_FILE_CLOSE);
  EXPECT_EQ(w.frame.sites().size(), 1u);
  EXPECT_EQ(w.Control(a).calls.back(), "Navigate2 about:blank");
  w.Control(a).CompleteNavigation("");
  size_t calls = w.Control(a).calls.size();
  a->OnCommand(ID_FILE_CLOSE);  // already blank: nothing at all
  EXPECT_EQ(w.Control(a).calls.size(), calls);

  CKestrelView* b = w.Site("http://b.example/", "B");
  CKestrelView* c = w.Site("http://c.example/", "C");
  w.frame.OnSiteActivated(&w.Child(b));
  b->OnCommand(ID_CLOSE_ALL_BUT_CURRENT);
  EXPECT_EQ(w.frame.sites(), (std::vector<CKestrelView*>{b}));
  EXPECT_EQ(w.frame.ActiveView(), b);
  w.window.RunPosted();
  EXPECT_EQ(w.window.destroyed.size(), 2u);  // destroyed after the event, not during it
  (void)c;
  // Close All keeps the last visible one.
  w.Site("http://d.example/", "D");
  w.frame.OnCommand(ID_CLOSE_ALL);
  EXPECT_EQ(w.frame.sites().size(), 1u);
  EXPECT_NE(w.frame.ActiveView(), nullptr);
}

TEST(Site, NewWindowTimingAndSuspects) {
  World w;
  w.settings.AutoClosePopup = true;
  w.settings.RecPPTime = true;
  CKestrelView* a = w.Site("http://a.example/", "A");
  NewWindowRequest req;
  req.url = "http://popup.example/";
  req.features.toolBar = false;
  bool cancel = false;

  // No click at all: a suspect.
  BrowserControl* c = a->OnNewWindow2(req, cancel);
  ASSERT_NE(c, nullptr);
  EXPECT_FALSE(cancel);
  CKestrelView* popup = w.frame.NewestSite();
  EXPECT_TRUE(popup->m_bOpenedAsSuspect);
  EXPECT_FALSE(popup->m_openRequest.features.toolBar);
  EXPECT_EQ(&popup->control(), c);

  // A left click 1000 ms back still explains it; 1001 ms does not.
  a->OnPageClick("div", false);
  w.clock.ms += 1000;
  a->OnNewWindow2(req, cancel);
  EXPECT_FALSE(w.frame.NewestSite()->m_bOpenedAsSuspect);
  a->OnPageClick("div", false);
  w.clock.ms += 1001;
  a->OnNewWindow2(req, cancel);
  EXPECT_TRUE(w.frame.NewestSite()->m_bOpenedAsSuspect);
  // A right click explains it for 5000 ms; a link click always.
  a->OnPageClick("div", true);
  w.clock.ms += 5000;
  a->OnNewWindow2(req, cancel);
  EXPECT_FALSE(w.frame.NewestSite()->m_bOpenedAsSuspect);
  a->OnPageClick("a", false);
  w.clock.ms += 60000;
  a->OnNewWindow2(req, cancel);
  EXPECT_FALSE(w.frame.NewestSite()->m_bOpenedAsSuspect);
  EXPECT_EQ(a->m_strLastClickTag, "");  // cleared after each request
  w.settings.RecPPTime = false;
  a->OnNewWindow2(req, cancel);
  EXPECT_FALSE(w.frame.NewestSite()->m_bOpenedAsSuspect);

  // A hidden suspect cannot open windows at all.
  size_t before = w.frame.sites().size();
  popup->m_bSuspectHidden = true;
  EXPECT_EQ(popup->OnNewWindow2(req, cancel), nullptr);
  EXPECT_TRUE(cancel);
  EXPECT_EQ(w.frame.sites().size(), before);

  // The blocked popup sweep: 61 s old goes at the 20th tick, 59 s stays.
  CKestrelView* young = w.frame.CreateSite();
  young->m_bSuspectHidden = true;
  popup->m_tCreated = w.clock.seconds - 61;
  young->m_tCreated = w.clock.seconds - 59;
  for (int i = 0; i < 20; ++i) w.frame.OnTimer(0);
  auto& list = w.frame.sites();
  EXPECT_EQ(std::count(list.begin(), list.end(), popup), 0);
  EXPECT_EQ(std::count(list.begin(), list.end(), young), 1);
}

TEST(Site, HistoryScriptsResizeAndSideButtons) {
  World w;
  CKestrelView* a = w.Site("http://h.example/1", "One");
  w.Control(a).LoadPage("http://h.example/2", "Two");
  w.Control(a).LoadPage("http://h.example/3", "Three");
  EXPECT_EQ(a->m_historyUrls.size(), 3u);
  EXPECT_EQ(a->m_nHistoryPos, 3);
  a->OnCommand(ID_GO_BACK);
  EXPECT_EQ(w.Control(a).calls.back(), "GoBack");
  EXPECT_EQ(a->m_nHistoryStep, 1);
  a->GoBack(2);
  EXPECT_EQ(a->m_nHistoryStep, 2);
  EXPECT_TRUE(a->IsCommandEnabled(ID_GO_BACK));
  EXPECT_FALSE(a->IsCommandEnabled(ID_GO_FORWARD));

  // Side buttons go back only while the setting is on.
  size_t n = w.Control(a).calls.size();
  EXPECT_TRUE(a->OnSideButton(1));
  w.settings.SideBtnSupport = false;
  EXPECT_FALSE(a->OnSideButton(1));
  EXPECT_EQ(w.Control(a).calls.size(), n + 1);

  // Script errors: taken with "Script Error!" only while suppressed.
  ScriptErrorInfo err{"x is not defined", 3, "http://h.example/3"};
  EXPECT_TRUE(a->OnShowScriptError(err));
  EXPECT_EQ(w.window.statusText, "Script Error!");
  w.settings.NoScriptError = false;
  EXPECT_FALSE(a->OnShowScriptError(err));

  // A script closes the window: posted, then the ordinary close path.
  CKestrelView* b = w.Site("http://b.example/", "B");
  bool cancel = false;
  b->OnWindowClosing(cancel);
  EXPECT_TRUE(cancel);
  EXPECT_EQ(w.frame.sites().size(), 2u);
  w.window.RunPosted();
  EXPECT_EQ(w.frame.sites().size(), 1u);

  // A script resize of a hidden site keeps it hidden.
  CKestrelView* hidden = w.frame.CreateSite();
  hidden->OnWindowSetWidth(300);
  hidden->OnWindowSetHeight(200);
  EXPECT_FALSE(w.Child(hidden).visible);
  EXPECT_EQ(w.Child(hidden).width, 311);
  EXPECT_EQ(w.Child(hidden).height, 230);
}

TEST(Frame, SwitchingFollowsTabOrderAndWraps) {
  World w;
  CKestrelView* a = w.Site("http://a/", "A");
  CKestrelView* b = w.Site("http://b/", "B");
  CKestrelView* c = w.Site("http://c/", "C");
  w.frame.OnSiteActivated(&w.Child(c));
  w.frame.OnCommand(ID_NEXT_WINDOW);
  EXPECT_EQ(w.frame.ActiveView(), a);
  w.frame.OnCommand(ID_PREV_WINDOW);
  EXPECT_EQ(w.frame.ActiveView(), c);
  w.frame.OnCommand(ID_PREV_WINDOW);
  EXPECT_EQ(w.frame.ActiveView(), b);

  // Close All Blank & Failed: the failed one goes once it stopped loading.
  w.Control(b).title = "Cannot find server";
  w.Control(b).busy = true;
  w.frame.OnCommand(ID_CLOSE_BLANK_FAILED);
  EXPECT_EQ(w.frame.sites().size(), 3u);
  w.Control(b).busy = false;
  w.frame.OnCommand(ID_CLOSE_BLANK_FAILED);
  EXPECT_EQ(w.frame.sites(), (std::vector<CKestrelView*>{a, c}));

  // Stop All and Refresh All are posted to every site in list order.
  w.frame.OnCommand(ID_STOP_ALL);
  EXPECT_EQ(w.Control(a).calls.back(), "Navigate2 http://a/");
  w.window.RunPosted();
  EXPECT_EQ(w.Control(a).calls.back(), "Stop");
  EXPECT_EQ(w.Control(c).calls.back(), "Stop");

  // DDE open goes to the active site.
  w.frame.OnSiteActivated(&w.Child(a));
  EXPECT_TRUE(w.frame.OnDdeExecute("[open(\"/home/u/docs\", 0, 1)]"));
  EXPECT_EQ(w.Control(a).calls.back(), "Navigate2 file:///home/u/docs");
  EXPECT_FALSE(w.frame.OnDdeExecute("[delete(\"/\")]"));
  EXPECT_FALSE(w.frame.OnDdeExecute("open(/tmp)"));
}

}  // namespace
}  // namespace kestrel
