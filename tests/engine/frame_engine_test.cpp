// The main frame with its real window and real pages: sites come and go
// while pages load, and the frame's list, tabs and active site stay sound.
#include <gtest/gtest.h>

#include <QMdiArea>
#include <QMenuBar>
#include <QScreen>
#include <QTabBar>
#include <algorithm>
#include <numeric>

#include "engine/engine_harness.h"
#include "frame/main_frame.h"
#include "platform/profile.h"
#include "settings/settings.h"
#include "site/kestrel_view.h"
#include "support/fake_site.h"
#include "support/http_server.h"
#include "ui/frame_window_qt.h"
#include "ui/site_tab_bar_qt.h"

namespace kestrel::test {
namespace {

struct RealFrame {
  RegistryProfile profile;
  Settings settings;
  SystemClock clock;
  FakeKeys keys;
  std::unique_ptr<QtFrameWindow> window;
  std::unique_ptr<CMainFrame> frame;

  RealFrame() {
    QtFrameWindow::Callbacks cb;
    cb.command = [this](unsigned id) { return frame->OnCommand(id); };
    cb.commandState = [](unsigned) { return 1; };
    cb.siteActivated = [this](ChildWindow* w) { frame->OnSiteActivated(w); };
    cb.siteCloseRequested = [this](ChildWindow* w) { frame->OnSiteCloseRequested(w); };
    window = std::make_unique<QtFrameWindow>(std::move(cb));
    cb.tabSelected = [this](int i) { frame->OnTabSelected(i); };
    cb.tabClose = [this](int i) { frame->OnTabClose(i); };
    cb.siteMenuCommand = [this](int i, unsigned id) { frame->OnSiteMenuCommand(i, id); };
    frame = std::make_unique<CMainFrame>(*window, profile, settings, clock, keys);
    window->AttachTabBar(frame->tabBar(), &CMainFrame::TabStatusOf);
    window->resize(1000, 700);
    window->show();
  }
  ~RealFrame() {
    window->DetachTabBar();
    frame.reset();
    window.reset();
  }
  CKestrelView* Open(const std::string& url) {
    CKestrelView* v = frame->CreateSite();
    if (v) v->Navigate(url);
    return v;
  }
  // The list holds only live sites, each visible one has its tab, and the
  // active site is one of them.
  void ExpectSound() const {
    const auto& list = frame->sites();
    int visible = 0;
    for (CKestrelView* v : list)
      if (v->frame().IsVisible()) ++visible;
    EXPECT_EQ(window->tabBar()->count(), visible);
    EXPECT_EQ(static_cast<int>(window->mdiArea()->subWindowList().size()), static_cast<int>(list.size()));
    if (CKestrelView* a = frame->ActiveView()) {
      EXPECT_NE(std::find(list.begin(), list.end(), a), list.end());
    }
  }
};

TEST(FrameOnEngine, SitesClosedInEveryOrderWhileLoadingLeaveASoundFrame) {
  LocalHttpServer server;
  server.SlowPage("/slow", "<html><head><title>Slow</title></head><body>" + std::string(8000, 's') + "</body></html>",
                  20, 200);
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
    for (int k = 0; k < 3; ++k) {
      CKestrelView* v = opened[static_cast<std::size_t>(order[static_cast<std::size_t>(k)])];
      const auto& list = f.frame->sites();
      if (std::find(list.begin(), list.end(), v) == list.end()) continue;
      f.frame->OnSiteCloseRequested(&v->frame().window());
      Pump(30);
      f.ExpectSound();
    }
    // The last visible site was blanked, not closed.
    ASSERT_EQ(f.frame->sites().size(), 1u);
    ASSERT_TRUE(WaitFor([&] { return f.frame->sites()[0]->GetLocationURL() == "about:blank"; }));
    EXPECT_EQ(f.frame->ActiveView(), f.frame->sites()[0]);
    ++orders;
  } while (std::next_permutation(order.begin(), order.end()));
  EXPECT_EQ(orders, 6);
}

TEST(FrameOnEngine, AWindowFloodGetsATabPerSiteAndCloseAllClearsIt) {
  LocalHttpServer server;
  server.Page("/a", "<html><head><title>A</title></head><body>a</body></html>");
  server.Page("/flood", "<html><head><title>Flood</title></head><body><script>"
                        "for (var i = 0; i < 120; i++) window.open('/a?' + i);</script></body></html>");
  server.Start();
  RealFrame f;
  CKestrelView* first = f.Open(server.Url("/flood"));
  ASSERT_NE(first, nullptr);
  ASSERT_TRUE(WaitFor([&] { return f.frame->sites().size() == 121; }, 30000));
  ASSERT_TRUE(WaitFor([&] { return f.window->tabBar()->count() == 121; }, 60000));
  f.ExpectSound();
  f.frame->CloseAll();
  ASSERT_TRUE(WaitFor([&] { return f.frame->sites().size() == 1; }, 30000));
  Pump(100);
  f.ExpectSound();
  EXPECT_EQ(f.window->tabBar()->count(), 1);
}

TEST(FrameOnEngine, FullScreenAndOfflineOnTheRealWindow) {
  LocalHttpServer server;
  server.Page("/a", "<html><head><title>Page A</title></head><body><h1>Page A</h1></body></html>");
  server.Page("/b", "<html><head><title>Page B</title></head><body><h1>Page B</h1></body></html>");
  server.Start();
  RealFrame f;
  f.Open(server.Url("/a"));
  CKestrelView* b = f.Open(server.Url("/b"));
  ASSERT_TRUE(WaitFor([&] { return b->GetDocumentTitle() == "Page B"; }));
  auto shot = [&](const char* name) {
    if (const char* dir = std::getenv("KESTREL_SHOT_DIR"))
      f.window->grab().save(QString::fromUtf8(dir) + "/" + name + ".png");
  };
  shot("frame_two_sites");

  const QRect normal = f.window->geometry();
  f.frame->OnCommand(ID_FULL_SCREEN);
  ASSERT_TRUE(WaitFor([&] { return f.window->isFullScreen(); }, 5000));
  Pump(200);
  EXPECT_FALSE(f.window->tabBar()->isVisible());
  EXPECT_FALSE(f.window->menuBar()->isVisible());
  EXPECT_EQ(f.window->geometry().size(), f.window->screen()->geometry().size());
  shot("frame_full_screen");
  f.frame->OnCommand(ID_FULL_SCREEN);
  ASSERT_TRUE(WaitFor([&] { return !f.window->isFullScreen(); }, 5000));
  Pump(200);
  EXPECT_TRUE(f.window->tabBar()->isVisible());
  EXPECT_EQ(f.window->geometry().size(), normal.size());

  // Offline: the engine refuses the network, the site shows it failed;
  // back online the same address loads.
  f.frame->OnCommand(ID_WORK_OFFLINE);
  ASSERT_TRUE(f.frame->IsOffline());
  b->Navigate(server.Url("/a"));
  ASSERT_TRUE(WaitFor([&] { return b->GetDocumentTitle() == "Cannot find server"; }));
  EXPECT_TRUE(b->IsSiteFailed());
  f.frame->OnCommand(ID_WORK_OFFLINE);
  b->Refresh();
  ASSERT_TRUE(WaitFor([&] { return b->GetDocumentTitle() == "Page A"; }));
  EXPECT_FALSE(b->IsSiteFailed());
}

}  // namespace
}  // namespace kestrel::test
