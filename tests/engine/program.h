#pragma once
// The whole main window as the program wires it, over a fake host and
// recorded dialogs; `stored` sets what the settings load would have read.
#include <functional>
#include <memory>

#include "app/app.h"
#include "engine/key_state_qt.h"
#include "support/fake_site.h"
#include "support/fakes.h"
#include "ui/frame_window_qt.h"
#include "ui/main_window_qt.h"

namespace kestrel::test {

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
};

}  // namespace kestrel::test
