#pragma once
// The main frame on its real Qt window, with real sites on the engine, and
// a clock a test can move forward.
#include <QMdiArea>
#include <algorithm>
#include <functional>
#include <memory>

#include "engine/engine_harness.h"
#include "engine/key_state_qt.h"
#include "frame/main_frame.h"
#include "platform/clock.h"
#include "platform/profile.h"
#include "settings/download_control.h"
#include "settings/settings.h"
#include "ui/frame_window_qt.h"
#include "ui/site_tab_bar_qt.h"

namespace kestrel::test {

inline WebEngineControl& Engine(CKestrelView* v) { return static_cast<WebEngineControl&>(v->control()); }

// The system's time, plus whatever the test has skipped ahead.
struct MovableClock : Clock {
  SystemClock real;
  std::int64_t skippedMs = 0;
  std::int64_t NowMs() const override { return real.NowMs() + skippedMs; }
  std::int64_t CalendarSeconds() const override { return real.CalendarSeconds() + skippedMs / 1000; }
  void Skip(std::int64_t ms) { skippedMs += ms; }
};

struct RealFrame {
  RegistryProfile profile;
  Settings settings;
  MovableClock clock;
  // Shift and Ctrl as the key events carry them.
  QtKeyState keys;
  std::unique_ptr<QtFrameWindow> window;
  std::unique_ptr<CMainFrame> frame;
  // The Address Bar's choice and Escape, for the tests that wire them.
  std::function<void(int)> addressChosen;
  std::function<void()> addressEscape;

  RealFrame() {
    SeedBrowserDefaults(profile);  // as reading the settings does at start
    QtFrameWindow::Callbacks cb;
    cb.addressChosen = [this](int i) {
      if (addressChosen) addressChosen(i);
    };
    cb.addressEscape = [this] {
      if (addressEscape) addressEscape();
    };
    window = std::make_unique<QtFrameWindow>(std::move(cb));
    frame = std::make_unique<CMainFrame>(*window, profile, settings, clock, keys);
    window->AttachFrame(*frame);
    window->resize(1000, 700);
    window->show();
  }
  ~RealFrame() {
    window->DetachFrame();
    frame.reset();
    window.reset();
  }
  CKestrelView* Open(const std::string& url) {
    CKestrelView* v = frame->CreateSite();
    if (v) v->Navigate(url);
    return v;
  }
  // A new site that has finished loading `url`, titled `title`; nullptr
  // (and a failure) when it does not get there.
  CKestrelView* OpenLoaded(const std::string& url, const std::string& title) {
    CKestrelView* v = Open(url);
    const bool loaded = v && WaitFor([&] { return v->GetDocumentTitle() == title && !v->GetBusy(); });
    EXPECT_TRUE(loaded) << url;
    return loaded ? v : nullptr;
  }
  // The list holds only live sites, each visible one has its tab, and the
  // active site is one of them.
  void ExpectSound() const {
    const auto& list = frame->sites().sites();
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

}  // namespace kestrel::test
