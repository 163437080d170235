#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
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

TEST(FrameState, CommandsWithoutASiteTimerOfflineFullScreenTrayAndStatusBar) {
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

  const WindowRect before = h.window.rect;
  h.frame.OnCommand(ID_FULL_SCREEN);
  EXPECT_TRUE(h.frame.modes().fullScreen());
  EXPECT_EQ(std::tie(h.window.rebar, h.window.caption, h.window.rect.right), std::make_tuple(false, false, 1920));
  h.frame.modes().ToggleFullScreen(/*skinActive=*/true);
  EXPECT_EQ(std::tie(h.window.rebar, h.window.caption), std::make_tuple(true, false));  // a skin draws its own caption
  EXPECT_EQ(std::tie(h.window.rect.left, h.window.rect.bottom), std::tie(before.left, before.bottom));
  h.frame.modes().ToggleFullScreen();
  h.frame.modes().ToggleFullScreen();
  EXPECT_TRUE(h.window.caption);

  // Minimising hides the frame only with the tray option and a tray to come back from.
  h.window.minimized = true;
  std::vector<bool> visible;
  const auto size = [&] { h.frame.modes().OnSize(), visible.push_back(h.window.visible); };
  size();
  h.settings.ShowTrayIcon = true;
  size();  // no tray on this desktop: hiding would leave no way back
  h.frame.modes().SetTrayIcon(true);
  size();
  h.frame.modes().OnTrayNotify(CFrameModes::TrayMouse::Other);
  visible.push_back(h.window.visible);
  h.frame.modes().OnTrayNotify(CFrameModes::TrayMouse::LeftDown);
  visible.push_back(h.window.visible);
  EXPECT_EQ(visible, (std::vector<bool>{true, true, false, false, true}));
  h.window.calls.clear();
  h.frame.modes().OnTrayNotify(CFrameModes::TrayMouse::RightDown);
  // The progress bar is shown and hidden on a change only.
  for (bool on : {true, true, false}) h.frame.ShowProgress(on);
  for (bool on : {true, true, false}) h.frame.SetBusy(on);
  EXPECT_EQ(h.window.calls, (Strings{"BringToFront", "FileMenu", "ProgressShown", "ProgressHidden", "Busy", "Idle"}));
  EXPECT_EQ(h.frame.statusBar().progressPaneWidth(), CStatusBarWithProgress::kPaneWidthHidden);
  h.frame.SetProgressPos(250);
  EXPECT_EQ(h.frame.statusBar().pos(), 100);
}

// Every command item under `m`, depth first.
void Collect(const MenuItem& m, std::vector<const MenuItem*>& out) {
  for (const MenuItem& item : m.items) {
    if (item.kind == MenuItem::Kind::Command) out.push_back(&item);
    if (item.IsPopup()) Collect(item, out);
  }
}

TEST(MainMenu, PopupsStandWhereTheFeaturesFindThemInTheInterfaceLanguage) {
  CMainMenu menu;
  const auto& top = menu.popups();
  ASSERT_EQ(top.size(), 10u);
  // File first (the tray shows it), Favorites fourth, Groups sixth, AutoLogin seventh.
  for (const auto& [title, index] : {std::pair{"File", 0}, {"Favorites", 3}, {"Groups", 5}, {"AutoLogin", 6},
                                     {"Tools", 7}, {"No Such Menu", -1}})
    EXPECT_EQ(menu.FindTopLevel(title), index) << title;
  EXPECT_EQ(std::make_pair(top[5].range.first, top[6].range.first), std::make_pair(kGroupCommands.first, kAutoLoginCommands.first));
  ASSERT_NE(menu.FindPopup({"View", "Toolbars"}), nullptr);
  EXPECT_EQ(&menu.FindPopup({"View", "Toolbars"})->items.front(), &top[2].items.front().items.front());
  EXPECT_EQ(menu.FindPopup({"Language", "Toolbars"}), nullptr);

  // Access keys are unique within each popup, and no id stands twice
  // except where one command has two places (Send a Page...).
  std::vector<const MenuItem*> commands;
  std::multiset<unsigned> ids;
  for (const MenuItem& p : top) {
    std::set<char> keys;
    for (const MenuItem& item : p.items) {
      const auto amp = item.text.find('&');
      if (amp == std::string::npos || amp + 1 >= item.text.size() || item.text[amp + 1] == '&') continue;
      EXPECT_TRUE(keys.insert(static_cast<char>(std::tolower(item.text[amp + 1]))).second) << p.text << " > " << item.text;
    }
    Collect(p, commands);
  }
  for (const MenuItem* c : commands) {
    EXPECT_NE(c->id, 0u) << c->text;
    EXPECT_EQ(c->text.find('\t'), std::string::npos) << "keys belong in `keys`: " << c->text;
    ids.insert(c->id);
  }
  for (unsigned id : ids) EXPECT_TRUE(ids.count(id) == 1 || id == ID_PAGE_BY_EMAIL || id == ID_LINK_BY_EMAIL) << id;
  EXPECT_GT(commands.size(), 140u);

  // A translator that renames the Groups menu and moves its access key, and
  // gives Tools the same title: the first one wins.
  SetMessageTranslator([](const std::string& t) {
    if (t == "G&roups") return std::string("&Gruppen");
    if (t == "Groups") return std::string("Gruppen");
    if (t == "&Tools" || t == "Tools") return std::string("Gr&uppen");
    return t;
  });
  EXPECT_EQ(std::make_pair(menu.FindTopLevel("Groups"), menu.FindTopLevel("Tools")), std::make_pair(5, 5));
  EXPECT_TRUE(MenuTitleMatches("G&roups", "Groups"));
  EXPECT_FALSE(MenuTitleMatches("G&roups", "Group"));
  SetMessageTranslator(nullptr);
  EXPECT_EQ(menu.FindTopLevel("Tools"), 7);
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

TEST(Toolbar, ButtonsRoundTripThroughTheProfile) {
  RegistryProfile p;
  // Nothing stored: the twenty defaults, large icons, no texts.
  ToolbarButtons b = LoadButtons(p);
  EXPECT_EQ(b.ids, DefaultButtons());
  EXPECT_EQ(std::make_tuple(b.ids.size(), b.largeIcons, b.showText), std::make_tuple(size_t{20}, true, false));
  p.SetString(kSettingsKey, "ToolBarButtons", "57600 0 32787");
  // Any value above 0 is on, and is saved as 1.
  p.SetDword(kSettingsKey, "TBShowText", 7);
  p.SetDword(kSettingsKey, "TBLargeIcon", 0);
  b = LoadButtons(p);
  EXPECT_EQ(std::make_tuple(b.ids, b.largeIcons, b.showText), std::make_tuple(std::vector<unsigned>{57600, 0, 32787}, false, true));
  p.SetString(kSettingsKey, "ToolBarButtons", "");
  SaveButtons(p, b);
  EXPECT_EQ(p.GetString(kSettingsKey, "ToolBarButtons").value_or(""), "57600 0 32787");
  EXPECT_EQ(p.GetDword(kSettingsKey, "TBShowText").value_or(9), 1u);

  // Runs of blanks, leading blanks, words and numbers too big are separators;
  // an id the table lacks is kept (a button without an image).
  EXPECT_EQ(ParseButtonList("  \t32787   abc 99999999999 12345 -1\n"), (std::vector<unsigned>{32787, 0, 0, 12345, 0}));
  EXPECT_EQ(std::make_pair(ImageIndexOf(12345), ImageIndexOf(0)), std::make_pair(-1, -1));
  EXPECT_GE(ImageIndexOf(ID_BLOCK_POPUP_ALT_IMAGE), 0);
  EXPECT_TRUE(ParseButtonList("   ").empty());
  p.SetString(kSettingsKey, "ToolBarButtons", " \t ");
  EXPECT_EQ(LoadButtons(p).ids, DefaultButtons());
}

TEST(Toolbar, TheCustomiseListsMoveButtonsAndAlwaysOfferASeparator) {
  CustomizeToolbarModel m({{57600, 32787}, true, false});
  const auto& a = m.available();
  const auto count = [&](unsigned id) { return std::count(a.begin(), a.end(), id); };
  EXPECT_EQ(a.back(), 0u);
  EXPECT_EQ(count(ID_BLOCK_POPUP_ALT_IMAGE) + count(57600u), 0) << "an image only, and one already on the toolbar";
  // ">>" before the selected item, or at the end; a separator stays available.
  EXPECT_EQ(m.Add(static_cast<int>(std::find(a.begin(), a.end(), 32778u) - a.begin()), 1), 1);
  EXPECT_EQ(m.current(), (std::vector<unsigned>{57600, 32778, 32787}));
  EXPECT_EQ(count(32778u), 0);
  EXPECT_EQ(m.Add(static_cast<int>(a.size()) - 1, -1), 3);
  EXPECT_EQ(std::make_pair(m.current().back(), a.back()), std::make_pair(0u, 0u));
  // "<<" puts a button back before "Separator"; a separator just goes.
  EXPECT_TRUE(m.Remove(3));
  EXPECT_TRUE(m.Remove(0));
  EXPECT_EQ(std::make_pair(a[a.size() - 2], a.back()), std::make_pair(57600u, 0u));
  EXPECT_FALSE(m.Remove(5));
  EXPECT_EQ(std::make_pair(m.Add(-1, 0), m.Add(static_cast<int>(a.size()), 0)), std::make_pair(-1, -1));
  // Moves stop at the ends.
  EXPECT_EQ(m.current(), (std::vector<unsigned>{32778, 32787}));
  EXPECT_EQ((std::vector<int>{m.MoveUp(0), m.MoveDown(1), m.MoveDown(0)}), (std::vector<int>{-1, -1, 1}));
  EXPECT_EQ(m.current(), (std::vector<unsigned>{32787, 32778}));
  m.showText = true;
  m.Reset();
  EXPECT_EQ(std::make_pair(m.Result().ids, m.Result().showText), std::make_pair(DefaultButtons(), true));
  EXPECT_EQ(m.available().back(), 0u);
}

TEST(Bands, LayoutRoundTripsAndDamageFallsBackToTheDefault) {
  RegistryProfile p;
  bool locked = true;
  EXPECT_FALSE(ReadBands(p, locked).has_value());  // nothing stored: the default layout
  EXPECT_FALSE(locked);

  BandLayout l;
  l.locked = true;
  int y = 0;
  for (unsigned id : DefaultBandOrder()) {
    l.bands.push_back({id, {0, y, 500, y + 24}, true, id != kBandQuickSearch});
    y += 26;
  }
  l.bands.back().rect = {-3, 90, 1021, 112};  // negative left edges happen when dragged
  SaveBands(p, l);
  EXPECT_EQ(p.GetDword(kSettingsKey, "band7").value_or(99), 0u);  // the end mark
  EXPECT_EQ(p.GetDword(kBandsKey, "band5").value_or(99), 0u);      // the quick-search band is hidden
  auto back = ReadBands(p, locked);
  ASSERT_TRUE(back.has_value());
  EXPECT_TRUE(locked);
  EXPECT_EQ(back->bands, l.bands);

  // Damage: an unknown id, a repeated id, a negative size, a rectangle of the
  // wrong length, more bands than there are.
  BandLayout bad = l, more = l;
  bad.bands[1].rect = {100, 0, 50, 20};
  more.bands.push_back({kBandAddress, {}, true, true});
  const std::function<void(RegistryProfile&)> spoils[] = {
      [](RegistryProfile& d) { d.SetDword(kSettingsKey, "band2", 4711); },
      [](RegistryProfile& d) { d.SetDword(kSettingsKey, "band3", kBandMenuBar); },
      [&](RegistryProfile& d) { SaveBands(d, bad); },
      [](RegistryProfile& d) { d.SetBinary(kSettingsKey, "bandrc0", {1, 2, 3}); },
      [&](RegistryProfile& d) { SaveBands(d, more); }};
  for (const auto& spoil : spoils) {
    RegistryProfile d;
    SaveBands(d, l);
    spoil(d);
    EXPECT_FALSE(ReadBands(d, locked).has_value()) << &spoil - spoils;
  }
  // A band without a rectangle is kept where it is, not a reason to give up.
  p.DeleteValue(kSettingsKey, "bandrc4");
  auto kept = ReadBands(p, locked);
  ASSERT_TRUE(kept.has_value());
  EXPECT_FALSE(kept->bands[4].hasRect);
}

}  // namespace
}  // namespace kestrel
