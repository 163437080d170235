#pragma once
// The real main window with its frame and no site, over a profile in memory
// and a clock and keys the test moves.
#include <memory>

#include "frame/main_frame.h"
#include "support/fake_site.h"
#include "settings/download_control.h"
#include "ui/frame_window_qt.h"

namespace kestrel::test {

struct GuiFrame {
  RegistryProfile profile = [] {
    RegistryProfile p;
    SeedBrowserDefaults(p);  // as reading the settings does at start
    return p;
  }();
  Settings settings;
  FakeClock clock;
  FakeKeys keys;
  std::unique_ptr<QtFrameWindow> window = std::make_unique<QtFrameWindow>(QtFrameWindow::Callbacks{});
  std::unique_ptr<CMainFrame> frame = std::make_unique<CMainFrame>(*window, profile, settings, clock, keys);
  GuiFrame() { window->AttachFrame(*frame); }
  ~GuiFrame() {
    window->DetachFrame();
    frame.reset();
    window.reset();
  }
};

}  // namespace kestrel::test
