#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "common/message.h"
#include "common/trace.h"
#include "frame/main_menu.h"
#include "frame/toolbars.h"
#include "support/fakes.h"
#include "support/site_world.h"

namespace kestrel {
namespace {

using test::ScriptedControl;
using World = test::SiteWorld;
using Views = std::vector<CKestrelView*>;
using Strings = std::vector<std::string>;

TEST(Site, ShowsOnFirstNavigationWithATabAndFollowsItsPage) {
  World w;
  CKestrelView* a = w.frame.CreateSite();
  EXPECT_FALSE(w.Child(a).visible);  // created hidden
  EXPECT_EQ(w.frame.NewestSite(), a);
  a->Navigate("http://a.example/");
  EXPECT_FALSE(a->IsSiteBlank());  // a navigation elsewhere is pending
  EXPECT_EQ(a->progress(), 0);
  w.Control(a).CompleteNavigation("Page A");
  // The first site shown is maximised.
  EXPECT_EQ(std::tie(w.Child(a).visible, w.Child(a).maximized, w.Child(a).caption), std::make_tuple(true, true, std::string("Page A")));
  EXPECT_EQ(w.frame.sites().tabs(), Views{a});
  EXPECT_EQ(w.frame.ActiveView(), a);
  EXPECT_EQ(a->progress(), -1);
  EXPECT_FALSE(a->navigationPending());

  // Another site opens in normal state; with Ctrl held it neither activates nor selects.
  // "?" shows as no title, but the page history keeps it.
  w.keys.ctrl = true;
  CKestrelView* b = w.Site("http://b.example/", "?");
  EXPECT_EQ(std::tie(w.Child(b).visible, w.Child(b).maximized, w.Child(b).activated, w.Child(b).caption),
            std::make_tuple(true, false, false, std::string()));
  EXPECT_EQ(b->history().pageTitle, "?");
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
  EXPECT_FALSE(v->IsSiteBlank() || v->IsSiteFailed());
  c.busy = false;
  c.CompleteNavigation("");  // about:blank has loaded
  // Each title: failed, an error page.
  for (const auto& [title, failed, error] :
       {std::tuple{"Cannot Find Server", true, true}, {"cannot find server", true, true}, {"No page to display", true, true},
        {"We cannot find server today", false, false}, {"Server ERROR 500", false, true}}) {
    c.title = title;
    EXPECT_EQ(std::make_pair(v->IsSiteFailed(), v->IsErrorPage()), std::make_pair(failed, error)) << title;
  }
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
  w.Site("http://c.example/", "C");
  w.frame.OnSiteActivated(&w.Child(b));
  EXPECT_TRUE(w.frame.OnCommand(ID_CLOSE_ALL_BUT_CURRENT));
  EXPECT_EQ(w.frame.sites().sites(), Views{b});
  EXPECT_EQ(w.frame.ActiveView(), b);
  w.window.RunPosted();
  EXPECT_EQ(w.window.destroyed.size(), 2u);  // destroyed after the event, not during it
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
  EXPECT_EQ(std::make_pair(a->history().urls.size(), a->history().pos), std::make_pair(size_t{3}, 3));
  EXPECT_TRUE(w.frame.OnCommand(ID_GO_BACK));
  EXPECT_EQ(w.Control(a).calls.back(), "GoBack");
  EXPECT_EQ(a->history().step, 1);
  a->GoBack(2);
  EXPECT_EQ(a->history().step, 2);
  EXPECT_TRUE(w.frame.CommandStateOf(ID_GO_BACK).enabled);
  EXPECT_FALSE(w.frame.CommandStateOf(ID_GO_FORWARD).enabled);
  const size_t n = w.Control(a).calls.size();
  EXPECT_FALSE(w.frame.OnCommand(ID_GO_FORWARD));  // nothing ahead: not even asked of the page
  // Side buttons go back only while the setting is on.
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
  EXPECT_EQ(std::tie(w.Child(hidden).visible, w.Child(hidden).width, w.Child(hidden).height), std::make_tuple(false, 311, 230));
}

TEST(Frame, SwitchingClosingBlankAndFailedStopAllAndDde) {
  World w;
  CKestrelView* a = w.Site("http://a/", "A");
  CKestrelView* b = w.Site("http://b/", "B");
  CKestrelView* c = w.Site("http://c/", "C");
  w.frame.OnSiteActivated(&w.Child(c));
  Views active;
  for (unsigned id : {ID_NEXT_WINDOW, ID_PREV_WINDOW, ID_PREV_WINDOW}) {
    w.frame.OnCommand(id);
    active.push_back(w.frame.ActiveView());
  }
  EXPECT_EQ(active, (Views{a, c, b}));  // tab order, wrapping both ways

  // Close All Blank & Failed: the failed one goes once it stopped loading.
  w.Control(b).title = "Cannot find server";
  w.Control(b).busy = true;
  w.frame.OnCommand(ID_CLOSE_BLANK_FAILED);
  EXPECT_EQ(w.frame.sites().sites().size(), 3u);
  w.Control(b).busy = false;
  w.frame.OnCommand(ID_CLOSE_BLANK_FAILED);
  EXPECT_EQ(w.frame.sites().sites(), (Views{a, c}));

  // Stop All is posted to every site.
  w.frame.OnCommand(ID_STOP_ALL);
  EXPECT_EQ(w.Control(a).calls.back(), "Navigate2 http://a/");
  w.window.RunPosted();
  EXPECT_EQ(w.Control(a).calls.back() + " " + w.Control(c).calls.back(), "Stop Stop");

  // DDE open goes to the active site.
  w.frame.OnSiteActivated(&w.Child(a));
  EXPECT_TRUE(w.frame.OnDdeExecute("[open(\"/home/u/docs\", 0, 1)]"));
  EXPECT_EQ(w.Control(a).calls.back(), "Navigate2 file:///home/u/docs");
  EXPECT_FALSE(w.frame.OnDdeExecute("[delete(\"/\")]") || w.frame.OnDdeExecute("open(/tmp)"));
}

TEST(FrameSites, AFloodOfWindowsStopsAtTheSiteLimit) {
  World h;
  CKestrelView* first = h.frame.CreateSite();
  ASSERT_NE(first, nullptr);
  auto& opener = *h.parts.controls[0];
  opener.LoadPage("http://flood.example/", "Flood");
  const auto open = [&](const std::string& url) {
    NewWindowRequest r;
    r.url = url;
    return opener.OpenWindow(r, "W") != nullptr;
  };
  // The page asks for far more windows than the frame will hold.
  int opened = 0;
  for (int i = 0; i < 600; ++i) opened += open("http://flood.example/" + std::to_string(i));
  EXPECT_EQ(h.frame.sites().sites().size(), CMainFrame::kMaxSites);
  EXPECT_EQ(opened, static_cast<int>(CMainFrame::kMaxSites) - 1);
  // Closing one makes room again; the opener is untouched throughout.
  h.frame.sites().newest()->Close();
  h.window.RunPosted();
  EXPECT_EQ(h.frame.sites().sites().size(), CMainFrame::kMaxSites - 1);
  EXPECT_TRUE(open("http://flood.example/again"));
  EXPECT_EQ(first->GetLocationURL(), "http://flood.example/");
}

TEST(CommandRegistry, RangesOverlapsRemovalStatesAndFailures) {
  CommandRegistry r;
  std::vector<unsigned> got;
  auto record = [&](const CommandContext& c) { got.push_back(c.id); };
  bool groupsOn = true;
  r.Add(kGroupCommands.first, kGroupCommands.last, record, [&](const CommandContext&) {
    return CommandState{groupsOn, false};
  });
  r.Add(kMailClientCommands.first, kMailClientCommands.last,
        [](const CommandContext&) { throw std::runtime_error("boom"); });
  // Both ends of a range, and just outside it.
  for (const auto& [id, taken] : {std::pair{8192u, true}, {8447u, true}, {8191u, false}, {8448u, false}})
    EXPECT_EQ(r.Execute({id}), taken) << id;
  EXPECT_EQ(got, (std::vector<unsigned>{8192, 8447}));
  // Nobody there: disabled and unchecked; a throwing handler is contained, and seen in the trace.
  EXPECT_EQ(r.StateOf({8448}), (CommandState{false, false}));
  Strings traced;
  SetTraceObserver([&](const std::string& line) { traced.push_back(line); });
  EXPECT_FALSE(r.Execute({8960}));
  SetTraceObserver(nullptr);
  EXPECT_EQ(traced, Strings{"exception command 8960: boom"});
  // A disabled command does nothing, whatever sent it.
  groupsOn = false;
  EXPECT_FALSE(r.Execute({8200}));
  EXPECT_EQ(got.size(), 2u);
  groupsOn = true;

  // A later registration replaces the ids it covers; the rest of the old
  // range stays with its handler. Removing cuts a hole likewise.
  std::vector<unsigned> other;
  r.Add(8300, 8310, [&](const CommandContext& c) { other.push_back(c.id); });
  r.Remove(8400, 8401);
  for (unsigned id : {8299u, 8300u, 8310u, 8311u, 8400u, 8401u, 8402u}) r.Execute({id});
  EXPECT_EQ(other, (std::vector<unsigned>{8300, 8310}));
  EXPECT_EQ(got, (std::vector<unsigned>{8192, 8447, 8299, 8311, 8402}));
  EXPECT_FALSE(r.Has(8400));
  EXPECT_TRUE(r.Has(8399));
  // Removing a whole range and more around it leaves nothing behind.
  r.Remove(8000, 9000);
  for (unsigned id : {8192u, 8305u, 8447u, 8960u}) EXPECT_FALSE(r.Has(id)) << id;

  // A subsystem's scope takes back exactly what it registered when it goes.
  r.Add(ID_OPTIONS, record);
  {
    CommandScope scope(r);
    scope.Add(kLanguageCommands.first, kLanguageCommands.last, record);
    scope.Add(ID_ALIASES, record);
    EXPECT_TRUE(r.Has(9030) && r.Has(ID_ALIASES));
  }
  EXPECT_FALSE(r.Has(9030) || r.Has(ID_ALIASES));
  EXPECT_TRUE(r.Has(ID_OPTIONS));
  // A handler may remove its own command while it runs.
  r.Add(ID_FULL_SCREEN, [&](const CommandContext&) { r.Remove(ID_FULL_SCREEN, ID_FULL_SCREEN); });
  EXPECT_TRUE(r.Execute({ID_FULL_SCREEN}));
  EXPECT_FALSE(r.Has(ID_FULL_SCREEN));
}

TEST(FrameState, CommandsWithoutASiteTimerOfflineAndStatusBar) {
  World h;
  // Commands nobody has taken yet are disabled, and so are page commands with no site.
  for (unsigned id : {unsigned(ID_FAVORITES_BUTTON), unsigned(ID_FONTS), 8192u, unsigned(ID_ADD_FAVORITE),
                      unsigned(ID_VIEW_STOP), unsigned(ID_FILE_CLOSE), unsigned(ID_GO_BACK), unsigned(ID_HIDE_SITE)})
    EXPECT_FALSE(h.frame.CommandStateOf(id).enabled) << id;
  EXPECT_FALSE(h.frame.OnCommand(ID_VIEW_REFRESH));
  // Always New Window toggles and shows its check mark.
  EXPECT_TRUE(h.frame.CommandStateOf(ID_ALWAYS_NEW).checked);
  EXPECT_TRUE(h.frame.OnCommand(ID_ALWAYS_NEW));
  EXPECT_FALSE(h.settings.AutoNew);
  EXPECT_EQ(h.frame.CommandStateOf(ID_ALWAYS_NEW), (CommandState{true, false}));
  // No site: switching, DDE and the caption have nothing to act on.
  h.frame.OnCommand(ID_NEXT_WINDOW);
  EXPECT_EQ(h.window.activated, nullptr);
  EXPECT_FALSE(h.frame.OnDdeExecute("[open(\"/tmp\", 0, 1)]"));
  EXPECT_EQ(h.frame.Caption(), "Kestrel");

  // The blink lasts eight ticks; the states update every second tick, not while minimised.
  std::vector<bool> images;
  h.frame.StartBlink();
  for (int i = 0; i < 12; ++i) {
    h.frame.OnTimer(CMainFrame::kTimerId);
    images.push_back(h.window.blockAlternate);
  }
  EXPECT_EQ(images, (std::vector<bool>{true, false, true, false, true, false, true, false, false, false, false, false}));
  EXPECT_EQ(std::make_pair(h.frame.blinkCount(), h.window.commandUpdates), std::make_pair(8, 6));
  h.window.minimized = true;
  for (int i = 0; i < 2; ++i) h.frame.OnTimer(CMainFrame::kTimerId);
  EXPECT_EQ(h.window.commandUpdates, 6);
  h.frame.OnTimer(7);  // another timer id is not ours
  EXPECT_EQ(h.frame.tickCount(), 14u);
  h.window.minimized = false;

  for (unsigned stored : {1u, 0u}) {
    h.frame.OnCommand(ID_WORK_OFFLINE);
    EXPECT_EQ(std::make_pair(h.frame.modes().IsOffline(), h.window.engineOffline), std::make_pair(stored == 1, stored == 1));
    EXPECT_EQ(*h.profile.GetDword(kInternetSettingsKey, "GlobalUserOffline"), stored);
  }
  {
    test::MessageRecorder rec;
    test::FailingProfile broken;
    broken.failOpenKey = true;
    CMainFrame f(h.window, broken, h.settings, h.clock, h.keys);
    f.modes().ToggleWorkOffline();
    EXPECT_EQ(rec.messages, Strings{"Error opening registry!"});
  }

  // The progress bar is shown and hidden on a change only.
  for (bool on : {true, true, false}) h.frame.ShowProgress(on);
  for (bool on : {true, true, false}) h.frame.SetBusy(on);
  EXPECT_EQ(h.window.calls, (Strings{"ProgressShown", "ProgressHidden", "Busy", "Idle"}));
  EXPECT_EQ(h.frame.statusBar().progressPaneWidth(), CStatusBarWithProgress::kPaneWidthHidden);
  h.frame.SetProgressPos(250);
  EXPECT_EQ(h.frame.statusBar().pos(), 100);
}

TEST(MainMenu, DynamicRangesKeepToTheirBounds) {
  CMainMenu menu;
  std::vector<const MenuItem*> changed;
  menu.onChanged = [&](const MenuItem& p) { changed.push_back(&p); };
  const MenuItem& groups = menu.popups()[5];
  // Groups stop at 255 entries: the range's last id stays unused.
  Strings names;
  for (int i = 0; i < 300; ++i) names.push_back("g" + std::to_string(i));
  EXPECT_EQ(menu.RebuildRange(groups, names), 255u);
  EXPECT_EQ(groups.dynamic.front(), (DynamicMenuItem{"g0", kGroupCommands.first}));
  EXPECT_EQ(groups.dynamic.back().id, kGroupCommands.last - 1);
  EXPECT_EQ(menu.DynamicText(groups, 8200), "g8");
  EXPECT_EQ(menu.DynamicText(groups, kGroupCommands.last), "");
  EXPECT_EQ(groups.items.size(), 4u);  // the fixed items stay
  EXPECT_EQ(changed, (std::vector<const MenuItem*>{&groups}));
  // Rebuilding with fewer drops the rest; an empty list leaves none.
  EXPECT_EQ(menu.RebuildRange(groups, {"only"}), 1u);
  EXPECT_EQ(groups.dynamic.size(), 1u);
  EXPECT_EQ(menu.RebuildRange(groups, {}), 0u);
  EXPECT_TRUE(groups.dynamic.empty());

  // Items given with ids: those outside the range and repeated ones go, notes without a command stay.
  const MenuItem* languages = menu.FindPopup({"Language", "Interface Language"});
  ASSERT_NE(languages, nullptr);
  EXPECT_EQ(menu.SetDynamicItems(*languages, {{"English", 9024}, {"Twice", 9024}, {"Groups' id", 8192},
                                              {"Deutsch", 9087}, {"Past the end", 9088}, {"A note", 0}}),
            3u);
  EXPECT_EQ(languages->dynamic, (std::vector<DynamicMenuItem>{{"English", 9024}, {"Deutsch", 9087}, {"A note", 0}}));
  // A popup without a range takes nothing.
  EXPECT_EQ(menu.RebuildRange(*menu.FindPopup({"View", "Toolbars"}), {"x"}), 0u);
  // Every id the menu now carries is listed once, notes not at all.
  const std::vector<unsigned> ids = menu.CommandIds();
  EXPECT_EQ(std::set<unsigned>(ids.begin(), ids.end()).size(), ids.size());
  EXPECT_EQ(std::make_pair(std::count(ids.begin(), ids.end(), 9087u), std::count(ids.begin(), ids.end(), 0u)),
            std::make_pair(std::ptrdiff_t{1}, std::ptrdiff_t{0}));
}

TEST(Toolbar, ButtonListsParseHostileText) {
  // The round trip through the profile is checked on the real toolbar in the GUI tests.
  RegistryProfile p;
  // Runs of blanks, leading blanks, words and numbers too big are separators;
  // an id the table lacks is kept (a button without an image).
  EXPECT_EQ(ParseButtonList("  \t32787   abc 99999999999 12345 -1\n"), (std::vector<unsigned>{32787, 0, 0, 12345, 0}));
  EXPECT_EQ(std::make_pair(ImageIndexOf(12345), ImageIndexOf(0)), std::make_pair(-1, -1));
  EXPECT_GE(ImageIndexOf(ID_BLOCK_POPUP_ALT_IMAGE), 0);
  EXPECT_TRUE(ParseButtonList("   ").empty());
  p.SetString(kSettingsKey, "ToolBarButtons", " \t ");
  EXPECT_EQ(LoadButtons(p).ids, DefaultButtons());
}

}  // namespace
}  // namespace kestrel
