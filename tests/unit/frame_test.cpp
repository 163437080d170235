#include <gtest/gtest.h>

#include "frame/main_frame.h"
#include "support/fake_frame_window.h"
#include "support/fake_site.h"
#include "support/fakes.h"

namespace kestrel {
namespace {

using test::FakeFrameWindow;

struct FrameHarness {
  FakeFrameWindow window;
  RegistryProfile profile;
  Settings settings;
  test::FakeClock clock;
  test::FakeKeys keys;
  CMainFrame frame{window, profile, settings, clock, keys};
};

TEST(CommandRouting, EveryRangeGoesToItsSubsystem) {
  struct Case {
    unsigned id;
    CommandTarget target;
  };
  const Case cases[] = {
      {8192, CommandTarget::Groups},       {8447, CommandTarget::Groups},       {8448, CommandTarget::AutoLogin},
      {8703, CommandTarget::AutoLogin},    {8704, CommandTarget::Scripts},      {8959, CommandTarget::Scripts},
      {8960, CommandTarget::Mail},         {8991, CommandTarget::Mail},         {8992, CommandTarget::Translation},
      {9023, CommandTarget::Translation},  {9024, CommandTarget::Language},     {9087, CommandTarget::Language},
      {32809, CommandTarget::Favorites},   {32973, CommandTarget::Favorites},   {32885, CommandTarget::Groups},
      {32889, CommandTarget::AutoLogin},   {32871, CommandTarget::Mail},        {32876, CommandTarget::Mail},
      {32967, CommandTarget::Translation}, {32822, CommandTarget::Forms},       {32848, CommandTarget::Popups},
      {32862, CommandTarget::Popups},      {32878, CommandTarget::SiteFilter},  {32881, CommandTarget::SiteFilter},
      {32880, CommandTarget::HostCustomisation}, {1002, CommandTarget::QuickSearch}, {32939, CommandTarget::Aliases},
      {1, CommandTarget::Address},         {32917, CommandTarget::Address},     {32938, CommandTarget::Address},
      {32869, CommandTarget::DefaultBrowser}, {32913, CommandTarget::CleanTrace}, {32954, CommandTarget::ExternalPrograms},
      {32960, CommandTarget::ExternalPrograms}, {32894, CommandTarget::Skins}, {32899, CommandTarget::Skins},
      {32910, CommandTarget::Panes},       {32966, CommandTarget::Toolbars},    {32792, CommandTarget::Nothing},
      {61210, CommandTarget::Nothing},     {57600, CommandTarget::App},         {32839, CommandTarget::App},
      {57666, CommandTarget::App},         {32837, CommandTarget::App},         {32877, CommandTarget::Frame},
      {57601, CommandTarget::Frame},       {2, CommandTarget::Frame},           {32838, CommandTarget::Frame},
      {32787, CommandTarget::ActiveSite},  {57602, CommandTarget::ActiveSite},  {32863, CommandTarget::ActiveSite},
  };
  for (const Case& c : cases) EXPECT_EQ(RouteOf(c.id), c.target) << c.id;
  // Just outside the dynamic ranges nothing is taken for a dynamic menu.
  EXPECT_NE(RouteOf(8191), CommandTarget::Groups);
  EXPECT_NE(RouteOf(9088), CommandTarget::Language);

  FrameHarness h;
  std::vector<unsigned> got;
  h.frame.RegisterTarget(CommandTarget::Groups, [&](unsigned id) {
    got.push_back(id);
    return true;
  });
  h.frame.RegisterTarget(CommandTarget::Mail, [](unsigned) -> bool { throw std::runtime_error("boom"); });
  EXPECT_TRUE(h.frame.OnCommand(8200));
  EXPECT_FALSE(h.frame.OnCommand(8448));  // nobody there yet
  EXPECT_FALSE(h.frame.OnCommand(8960));  // a throwing handler is contained
  EXPECT_TRUE(h.frame.OnCommand(32792));  // a drop-down button does nothing
  EXPECT_EQ(got, (std::vector<unsigned>{8200}));
  EXPECT_TRUE(h.frame.OnCommand(ID_ALWAYS_NEW));
  EXPECT_FALSE(h.settings.AutoNew);
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
  EXPECT_FALSE(h.frame.IsOffline());
  h.frame.OnCommand(ID_WORK_OFFLINE);
  EXPECT_TRUE(h.frame.IsOffline());
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
    f.ToggleWorkOffline();
    EXPECT_EQ(rec.messages, (std::vector<std::string>{"Error opening registry!"}));
  }

  const WindowRect before = h.window.rect;
  h.frame.OnCommand(ID_FULL_SCREEN);
  EXPECT_TRUE(h.frame.fullScreen());
  EXPECT_FALSE(h.window.rebar);
  EXPECT_FALSE(h.window.caption);
  EXPECT_EQ(h.window.rect.right, 1920);
  h.frame.ToggleFullScreen(/*skinActive=*/true);
  EXPECT_TRUE(h.window.rebar);
  EXPECT_FALSE(h.window.caption);  // a skin draws its own caption
  EXPECT_EQ(h.window.rect.left, before.left);
  EXPECT_EQ(h.window.rect.bottom, before.bottom);
  h.frame.ToggleFullScreen();
  h.frame.ToggleFullScreen();
  EXPECT_TRUE(h.window.caption);

  // Minimising hides the frame only with the tray option; the tray brings it back.
  h.window.minimized = true;
  h.frame.OnSize();
  EXPECT_TRUE(h.window.visible);
  h.settings.ShowTrayIcon = true;
  h.frame.OnSize();
  EXPECT_FALSE(h.window.visible);
  h.frame.OnTrayNotify(CMainFrame::TrayMouse::Other);
  EXPECT_FALSE(h.window.visible);
  h.frame.OnTrayNotify(CMainFrame::TrayMouse::LeftDown);
  EXPECT_TRUE(h.window.visible);
  h.window.calls.clear();
  h.frame.OnTrayNotify(CMainFrame::TrayMouse::RightDown);
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

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

TEST(FrameSites, AFloodOfWindowsStopsAtTheSiteLimit) {
  test::SiteParts parts;  // outlives the frame, which lets go of its controls
  FrameHarness h;
  h.window.makeSite = [&] { return parts.Make(); };
  CKestrelView* first = h.frame.CreateSite();
  ASSERT_NE(first, nullptr);
  auto& opener = *parts.controls[0];
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
  EXPECT_EQ(h.frame.sites().size(), CMainFrame::kMaxSites);
  EXPECT_EQ(opened, static_cast<int>(CMainFrame::kMaxSites) - 1);
  EXPECT_EQ(refused, 600 - opened);
  // Closing one makes room again; the opener is untouched throughout.
  h.frame.sites().back()->OnCommand(ID_FILE_CLOSE);
  h.window.RunPosted();
  EXPECT_EQ(h.frame.sites().size(), CMainFrame::kMaxSites - 1);
  NewWindowRequest again;
  again.url = "http://flood.example/again";
  EXPECT_NE(opener.OpenWindow(again, "W"), nullptr);
  EXPECT_EQ(first->GetLocationURL(), "http://flood.example/");
}

}  // namespace
}  // namespace kestrel
