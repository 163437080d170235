// Sites inside a real frame, over scripted controls: showing, closing,
// blank and failed tests, progress, new windows, history and script errors.
#include <gtest/gtest.h>

#include <tuple>

#include "frame/main_frame.h"
#include "support/fake_frame_window.h"
#include "support/fake_site.h"
#include "support/site_world.h"

namespace kestrel {
namespace {

using test::FakeChild;
using test::ScriptedControl;

using World = test::SiteWorld;

TEST(Site, ShowsOnFirstNavigationWithATabAndFollowsItsPage) {
  World w;
  CKestrelView* a = w.frame.CreateSite();
  EXPECT_FALSE(w.Child(a).visible);  // created hidden
  EXPECT_EQ(w.frame.NewestSite(), a);
  a->Navigate("http://a.example/");
  EXPECT_FALSE(a->IsSiteBlank());  // a navigation elsewhere is pending
  EXPECT_EQ(a->progress(), 0);
  w.Control(a).CompleteNavigation("Page A");
  EXPECT_TRUE(w.Child(a).visible);
  EXPECT_TRUE(w.Child(a).maximized);  // the first site shown is maximised
  EXPECT_EQ(w.frame.sites().tabs(), (std::vector<CKestrelView*>{a}));
  EXPECT_EQ(w.frame.ActiveView(), a);
  EXPECT_EQ(w.Child(a).caption, "Page A");
  EXPECT_EQ(a->progress(), -1);
  EXPECT_FALSE(a->navigationPending());

  // Another site opens in normal state; with Ctrl held it neither activates nor selects.
  w.keys.ctrl = true;
  CKestrelView* b = w.Site("http://b.example/", "?");
  EXPECT_TRUE(w.Child(b).visible);
  EXPECT_FALSE(w.Child(b).maximized);
  EXPECT_FALSE(w.Child(b).activated);
  EXPECT_EQ(w.Child(b).caption, "");          // "?" shows as no title
  EXPECT_EQ(b->history().pageTitle, "?");          // but the page history keeps it
  EXPECT_EQ(w.frame.VisibleSiteCount(), 2);

  // The address bar follows the active site only, and not while the user types.
  w.frame.OnSiteActivated(&w.Child(a));
  EXPECT_EQ(w.window.address, "http://a.example/");
  w.window.editing = true;
  w.Control(a).LoadPage("http://a.example/2", "A2");
  EXPECT_EQ(w.window.address, "http://a.example/");
  EXPECT_EQ(w.frame.Caption(), "A2 - Kestrel");

  // Progress rules: past the end is full, -1 or no maximum is done.
  for (const auto& [done, max, percent] : {std::tuple{150, 100, 100}, {-1, 100, -1}, {5, 0, -1}, {33, 100, 33}}) {
    a->OnProgressChange(done, max);
    EXPECT_EQ(a->progress(), percent) << done << "/" << max;
  }
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
  c.CompleteNavigation("");  // about:blank has loaded
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
  v->Navigate("http://again.example/");
  c.title = "Cannot find server";
  EXPECT_FALSE(v->IsSiteFailed());  // still loading
  for (const auto& [path, local] : {std::pair{"file:///tmp/x", true}, {"c:\\x", true}, {"c:", false}, {"http://x/", false}})
    EXPECT_EQ(CKestrelView::IsLocalPath(path), local) << path;
}

TEST(Site, TheLastVisibleSiteIsBlankedNotClosed) {
  World w;
  CKestrelView* a = w.Site("http://a.example/", "A");
  a->Close();
  EXPECT_EQ(w.frame.sites().sites().size(), 1u);
  EXPECT_EQ(w.Control(a).calls.back(), "Navigate2 about:blank");
  w.Control(a).CompleteNavigation("");
  size_t calls = w.Control(a).calls.size();
  a->Close();  // already blank: nothing at all
  EXPECT_EQ(w.Control(a).calls.size(), calls);

  CKestrelView* b = w.Site("http://b.example/", "B");
  CKestrelView* c = w.Site("http://c.example/", "C");
  w.frame.OnSiteActivated(&w.Child(b));
  EXPECT_TRUE(w.frame.OnCommand(ID_CLOSE_ALL_BUT_CURRENT));
  EXPECT_EQ(w.frame.sites().sites(), (std::vector<CKestrelView*>{b}));
  EXPECT_EQ(w.frame.ActiveView(), b);
  w.window.RunPosted();
  EXPECT_EQ(w.window.destroyed.size(), 2u);  // destroyed after the event, not during it
  (void)c;
  // Close All keeps the last visible one.
  w.Site("http://d.example/", "D");
  w.frame.OnCommand(ID_CLOSE_ALL);
  EXPECT_EQ(w.frame.sites().sites().size(), 1u);
  EXPECT_NE(w.frame.ActiveView(), nullptr);
}

TEST(Site, HistoryScriptsResizeAndSideButtons) {
  World w;
  CKestrelView* a = w.Site("http://h.example/1", "One");
  w.Control(a).LoadPage("http://h.example/2", "Two");
  w.Control(a).LoadPage("http://h.example/3", "Three");
  EXPECT_EQ(a->history().urls.size(), 3u);
  EXPECT_EQ(a->history().pos, 3);
  EXPECT_TRUE(w.frame.OnCommand(ID_GO_BACK));
  EXPECT_EQ(w.Control(a).calls.back(), "GoBack");
  EXPECT_EQ(a->history().step, 1);
  a->GoBack(2);
  EXPECT_EQ(a->history().step, 2);
  EXPECT_TRUE(w.frame.CommandStateOf(ID_GO_BACK).enabled);
  EXPECT_FALSE(w.frame.CommandStateOf(ID_GO_FORWARD).enabled);
  EXPECT_FALSE(w.frame.OnCommand(ID_GO_FORWARD));  // nothing ahead: not even asked of the page
  EXPECT_EQ(w.Control(a).calls.back(), "GoBack");

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
  EXPECT_EQ(w.frame.sites().sites().size(), 2u);
  w.window.RunPosted();
  EXPECT_EQ(w.frame.sites().sites().size(), 1u);

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
  EXPECT_EQ(w.frame.sites().sites().size(), 3u);
  w.Control(b).busy = false;
  w.frame.OnCommand(ID_CLOSE_BLANK_FAILED);
  EXPECT_EQ(w.frame.sites().sites(), (std::vector<CKestrelView*>{a, c}));

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
