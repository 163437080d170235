#pragma once
// Real controls on real pages: a site is a WebEngineControl whose events are
// written down, and the test waits for what it expects with a deadline.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTest>
#include <QWidget>
#include <QWebEngineView>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/webengine_control.h"
#include "support/recording_events.h"

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

}  // namespace kestrel::test
