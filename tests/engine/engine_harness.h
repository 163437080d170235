#pragma once
// Real controls on real pages: a site is a WebEngineControl whose events are
// written down, a frame is the main frame on its real Qt window, and the
// program is the whole main window as start-up wires it. Tests wait for
// what they expect with a deadline.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QTest>
#include <QThread>
#include <QWebEngineView>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "engine/key_state_qt.h"
#include "engine/webengine_control.h"
#include "frame/main_frame.h"
#include "platform/clock.h"
#include "settings/download_control.h"
#include "support/fake_site.h"
#include "support/fakes.h"
#include "support/http_server.h"
#include "support/recording_events.h"
#include "ui/frame_window_qt.h"
#include "ui/main_window_qt.h"
#include "ui/site_tab_bar_qt.h"

namespace kestrel::test {

// Runs the event loop until `done` holds or `ms` have passed; true if it held.
inline bool WaitFor(const std::function<bool()>& done, int ms = 15000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
  return true;
}

// Lets the loop run for `ms` whatever happens.
inline void Pump(int ms) {
  WaitFor([] { return false; }, ms);
}

// A whole page, titled.
inline std::string Html(const std::string& title, const std::string& body = "") {
  return "<!DOCTYPE html><html><head><meta charset=utf-8><title>" + title + "</title></head><body>" + body +
         "</body></html>";
}

// An address where nothing listens.
inline std::string ClosedUrl(const std::string& path = "/") {
  return "http://127.0.0.1:" + std::to_string(LocalHttpServer::ClosedPort()) + path;
}

struct EngineSite {
  EngineContext context;  // its own: offline, addFavorite and the search page
  std::unique_ptr<WebEngineControl> control = std::make_unique<WebEngineControl>(context);
  RecordingEvents events;
  EngineSite() {
    control->SetEvents(&events);
    control->widget()->resize(800, 600);
    control->widget()->show();
  }
  void Load(const std::string& url) {
    NavigateRequest r;
    r.url = url;
    control->Navigate2(r);
  }
  bool WaitLoaded(int ms = 15000) {
    return WaitFor([this] { return events.HasPrefix("DocumentComplete "); }, ms);
  }
};

// New windows a page opens become sites of their own.
struct EngineSites {
  std::vector<std::unique_ptr<EngineSite>> sites;
  EngineSite& Add() {
    sites.push_back(std::make_unique<EngineSite>());
    EngineSite& s = *sites.back();
    s.events.newWindow = [this](const NewWindowRequest&) -> BrowserControl* { return Add().control.get(); };
    return s;
  }
};

// Runs script in the control's page and waits for its JSON answer.
inline std::string EvalIn(WebEngineControl& control, const std::string& script) {
  std::string out;
  bool done = false;
  control.ExecScript(script, [&](const std::string& r) {
    out = r;
    done = true;
  });
  WaitFor([&] { return done; }, 10000);
  return out;
}

// A real mouse click at the centre of the element `id`, as a user's. With
// `frameId`, the element is in the document of that <frame> or <iframe>.
inline bool ClickElementIn(WebEngineControl& control, const std::string& id, const std::string& frameId = "",
                           Qt::MouseButton button = Qt::LeftButton) {
  const std::string doc = frameId.empty() ? "document"
                                          : "document.getElementById('" + frameId + "').contentDocument";
  const std::string offset =
      frameId.empty() ? "{left:0,top:0}" : "document.getElementById('" + frameId + "').getBoundingClientRect()";
  const std::string r = EvalIn(control, "(function(){var d=" + doc + ";var e=d&&d.getElementById('" + id +
                                            "');if(!e)return '';var o=" + offset +
                                            ";var b=e.getBoundingClientRect();"
                                            "return Math.round(o.left+b.left+b.width/2)+','+"
                                            "Math.round(o.top+b.top+b.height/2);})()");
  const auto comma = r.find(',');
  if (r.size() < 5 || comma == std::string::npos) return false;
  const int x = std::stoi(r.substr(1, comma - 1)), y = std::stoi(r.substr(comma + 1));
  QWidget* target = control.view()->focusProxy();
  if (!target) return false;
  // The pointer comes over the element first, as a hand's does: the engine
  // routes the first press into a frame only once it knows what is there.
  QTest::mouseMove(target, QPoint(x > 0 ? x - 1 : x + 1, y));
  Pump(50);
  QTest::mouseMove(target, QPoint(x, y));
  Pump(300);
  QTest::mouseClick(target, button, {}, QPoint(x, y));
  return true;
}

inline WebEngineControl& Engine(CKestrelView* v) { return static_cast<WebEngineControl&>(v->control()); }
inline std::string EvalIn(CKestrelView* v, const std::string& script) { return EvalIn(Engine(v), script); }

// Whether `v` shows a page titled `title` that has loaded whole.
inline bool Shows(CKestrelView* v, const std::string& title) {
  return v && v->GetDocumentTitle() == title && !v->GetBusy();
}

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
  QtKeyState keys;  // Shift and Ctrl as the key events carry them
  std::unique_ptr<QtFrameWindow> window;
  std::unique_ptr<CMainFrame> frame;
  // The Address Bar's choice, for the tests that wire it.
  std::function<void(int)> addressChosen;

  RealFrame() {
    SeedBrowserDefaults(profile);  // as reading the settings does at start
    QtFrameWindow::Callbacks cb;
    cb.addressChosen = [this](int i) {
      if (addressChosen) addressChosen(i);
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
    const bool loaded = WaitFor([&] { return Shows(v, title); });
    EXPECT_TRUE(loaded) << url;
    return loaded ? v : nullptr;
  }
  const std::vector<CKestrelView*>& sites() const { return frame->sites().sites(); }
  // The list holds only live sites, each visible one has its tab, and the
  // active site is one of them.
  void ExpectSound() const {
    int visible = 0;
    for (CKestrelView* v : sites())
      if (v->frame().IsVisible()) ++visible;
    EXPECT_EQ(window->tabBar()->count(), visible);
    EXPECT_EQ(static_cast<int>(window->mdiArea()->subWindowList().size()), static_cast<int>(sites().size()));
    if (CKestrelView* a = frame->ActiveView()) {
      EXPECT_NE(std::find(sites().begin(), sites().end(), a), sites().end());
    }
  }
};

// The whole main window as the program wires it, over a fake host and
// recorded dialogs; `stored` sets what the settings load would have read.
struct Program {
  FakeHost host;
  FakeDialogs dialogs;
  std::unique_ptr<CKestrelApp> app;
  FakeClock clock;
  QtKeyState keys;
  std::unique_ptr<QtMainWindow> main;
  explicit Program(const std::function<void(CKestrelApp&)>& stored = {}) {
    AppServices s;
    s.host = &host;
    s.dialogs = &dialogs;
    app = std::make_unique<CKestrelApp>(s);
    if (stored) stored(*app);
    main = std::make_unique<QtMainWindow>(*app, clock, keys, nullptr);
    main->window().resize(1024, 720);
    main->window().show();
  }
  ~Program() {
    main.reset();
    SetMessagePresenter(nullptr);
  }
  CMainFrame& frame() { return main->frame(); }
  QtFrameWindow& window() { return main->window(); }
  // Types `address` into the Address Bar: the site that shows it once its
  // page has `title` and has loaded whole; nullptr when it never does.
  CKestrelView* Open(const std::string& address, const std::string& title) {
    main->resolver().OpenTypedLines(address);
    CKestrelView* site = nullptr;
    return WaitFor([&] { return Shows(site = frame().ActiveView(), title); }) ? site : nullptr;
  }
};

}  // namespace kestrel::test
