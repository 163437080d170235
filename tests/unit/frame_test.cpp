#include <gtest/gtest.h>

#include "common/trace.h"
#include "support/fakes.h"
#include "support/site_world.h"

namespace kestrel {
namespace {

using FrameHarness = test::SiteWorld;

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
  EXPECT_TRUE(r.Execute({8192}));
  EXPECT_TRUE(r.Execute({8447}));
  EXPECT_FALSE(r.Execute({8191}));
  EXPECT_FALSE(r.Execute({8448}));
  EXPECT_EQ(got, (std::vector<unsigned>{8192, 8447}));
  // Nobody there: disabled and unchecked; a throwing handler is contained,
  // and seen in the trace.
  EXPECT_EQ(r.StateOf({8448}), (CommandState{false, false}));
  std::vector<std::string> traced;
  SetTraceObserver([&](const std::string& line) { traced.push_back(line); });
  EXPECT_FALSE(r.Execute({8960}));
  SetTraceObserver(nullptr);
  EXPECT_EQ(traced, (std::vector<std::string>{"exception command 8960: boom"}));
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

TEST(CommandRegistry, TheFramesCommandsActOnTheSiteTheyAreGiven) {
  FrameHarness h;
  // Commands nobody has taken yet are disabled, drop-down buttons included.
  for (unsigned id : {unsigned(ID_FAVORITES_BUTTON), unsigned(ID_FONTS), 8192u, unsigned(ID_ADD_FAVORITE)})
    EXPECT_FALSE(h.frame.CommandStateOf(id).enabled) << id;
  // Always New Window toggles and shows its check mark.
  EXPECT_TRUE(h.frame.CommandStateOf(ID_ALWAYS_NEW).checked);
  EXPECT_TRUE(h.frame.OnCommand(ID_ALWAYS_NEW));
  EXPECT_FALSE(h.settings.AutoNew);
  EXPECT_EQ(h.frame.CommandStateOf(ID_ALWAYS_NEW), (CommandState{true, false}));
  // Page commands need a site: with none they are disabled.
  for (unsigned id : {unsigned(ID_VIEW_STOP), unsigned(ID_FILE_CLOSE), unsigned(ID_GO_BACK), unsigned(ID_HIDE_SITE)})
    EXPECT_FALSE(h.frame.CommandStateOf(id).enabled) << id;
  EXPECT_FALSE(h.frame.OnCommand(ID_VIEW_REFRESH));
}

TEST(FrameTimer, BlinkLastsEightTicksAndStatesUpdateEverySecond) {
  FrameHarness h;
  std::vector<bool> images;
  h.frame.StartBlink();
  for (int i = 0; i < 12; ++i) {
    h.frame.OnTimer(CMainFrame::kTimerId);
    images.push_back(h.window.blockAlternate);
  }
  EXPECT_EQ(images, (std::vector<bool>{true, false, true, false, true, false, true, false, false, false, false,
                                       false}));
  EXPECT_EQ(h.frame.blinkCount(), 8);
  EXPECT_EQ(h.window.commandUpdates, 6);
  h.window.minimized = true;
  h.frame.OnTimer(CMainFrame::kTimerId);
  h.frame.OnTimer(CMainFrame::kTimerId);
  EXPECT_EQ(h.window.commandUpdates, 6);  // not while minimised
  h.frame.OnTimer(7);                     // another timer id is not ours
  EXPECT_EQ(h.frame.tickCount(), 14u);
}

TEST(FrameState, WorkOfflineFullScreenTrayAndStatusBar) {
  FrameHarness h;
  EXPECT_FALSE(h.frame.modes().IsOffline());
  h.frame.OnCommand(ID_WORK_OFFLINE);
  EXPECT_TRUE(h.frame.modes().IsOffline());
  EXPECT_TRUE(h.window.engineOffline);
  EXPECT_EQ(*h.profile.GetDword(kInternetSettingsKey, "GlobalUserOffline"), 1u);
  h.frame.OnCommand(ID_WORK_OFFLINE);
  EXPECT_EQ(*h.profile.GetDword(kInternetSettingsKey, "GlobalUserOffline"), 0u);
  EXPECT_FALSE(h.window.engineOffline);
  {
    test::MessageRecorder rec;
    test::FailingProfile broken;
    broken.failOpenKey = true;
    CMainFrame f(h.window, broken, h.settings, h.clock, h.keys);
    f.modes().ToggleWorkOffline();
    EXPECT_EQ(rec.messages, (std::vector<std::string>{"Error opening registry!"}));
  }

  const WindowRect before = h.window.rect;
  h.frame.OnCommand(ID_FULL_SCREEN);
  EXPECT_TRUE(h.frame.modes().fullScreen());
  EXPECT_FALSE(h.window.rebar);
  EXPECT_FALSE(h.window.caption);
  EXPECT_EQ(h.window.rect.right, 1920);
  h.frame.modes().ToggleFullScreen(/*skinActive=*/true);
  EXPECT_TRUE(h.window.rebar);
  EXPECT_FALSE(h.window.caption);  // a skin draws its own caption
  EXPECT_EQ(h.window.rect.left, before.left);
  EXPECT_EQ(h.window.rect.bottom, before.bottom);
  h.frame.modes().ToggleFullScreen();
  h.frame.modes().ToggleFullScreen();
  EXPECT_TRUE(h.window.caption);

  // Minimising hides the frame only with the tray option; the tray brings it back.
  h.window.minimized = true;
  h.frame.modes().OnSize();
  EXPECT_TRUE(h.window.visible);
  h.settings.ShowTrayIcon = true;
  // No tray on this desktop: hiding would leave no way back.
  h.frame.modes().OnSize();
  EXPECT_TRUE(h.window.visible);
  h.frame.modes().SetTrayIcon(true);
  h.frame.modes().OnSize();
  EXPECT_FALSE(h.window.visible);
  h.frame.modes().OnTrayNotify(CFrameModes::TrayMouse::Other);
  EXPECT_FALSE(h.window.visible);
  h.frame.modes().OnTrayNotify(CFrameModes::TrayMouse::LeftDown);
  EXPECT_TRUE(h.window.visible);
  h.window.calls.clear();
  h.frame.modes().OnTrayNotify(CFrameModes::TrayMouse::RightDown);
  EXPECT_EQ(h.window.calls, (std::vector<std::string>{"BringToFront", "FileMenu"}));

  // The progress bar is shown and hidden on a change only.
  h.window.calls.clear();
  h.frame.ShowProgress(true);
  h.frame.ShowProgress(true);
  h.frame.ShowProgress(false);
  h.frame.SetBusy(true);
  h.frame.SetBusy(true);
  h.frame.SetBusy(false);
  EXPECT_EQ(h.window.calls, (std::vector<std::string>{"ProgressShown", "ProgressHidden", "Busy", "Idle"}));
  EXPECT_EQ(h.frame.statusBar().progressPaneWidth(), CStatusBarWithProgress::kPaneWidthHidden);
  h.frame.SetProgressPos(250);
  EXPECT_EQ(h.frame.statusBar().pos(), 100);

  // No site: switching, DDE and the caption have nothing to act on.
  h.frame.OnCommand(ID_NEXT_WINDOW);
  EXPECT_EQ(h.window.activated, nullptr);
  EXPECT_FALSE(h.frame.OnDdeExecute("[open(\"/tmp\", 0, 1)]"));
  EXPECT_EQ(h.frame.Caption(), "Kestrel");
}

TEST(FrameSites, AFloodOfWindowsStopsAtTheSiteLimit) {
  FrameHarness h;
  CKestrelView* first = h.frame.CreateSite();
  ASSERT_NE(first, nullptr);
  auto& opener = *h.parts.controls[0];
  opener.LoadPage("http://flood.example/", "Flood");
  // The page asks for far more windows than the frame will hold.
  int opened = 0, refused = 0;
  for (int i = 0; i < 600; ++i) {
    NewWindowRequest r;
    r.url = "http://flood.example/" + std::to_string(i);
    if (opener.OpenWindow(r, "W"))
      ++opened;
    else
      ++refused;
  }
  EXPECT_EQ(h.frame.sites().sites().size(), CMainFrame::kMaxSites);
  EXPECT_EQ(opened, static_cast<int>(CMainFrame::kMaxSites) - 1);
  EXPECT_EQ(refused, 600 - opened);
  // Closing one makes room again; the opener is untouched throughout.
  h.frame.sites().newest()->Close();
  h.window.RunPosted();
  EXPECT_EQ(h.frame.sites().sites().size(), CMainFrame::kMaxSites - 1);
  NewWindowRequest again;
  again.url = "http://flood.example/again";
  EXPECT_NE(opener.OpenWindow(again, "W"), nullptr);
  EXPECT_EQ(first->GetLocationURL(), "http://flood.example/");
}

}  // namespace
}  // namespace kestrel
