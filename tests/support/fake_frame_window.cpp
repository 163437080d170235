#include "support/fake_frame_window.h"

namespace kestrel::test {

void FakeFrameWindow::RunPosted() {
  while (!posted.empty()) {
    auto tasks = std::move(posted);
    posted.clear();
    for (auto& t : tasks) t();
  }
}

bool FakeFrameWindow::CreateSiteWindow(ChildWindow*& window, BrowserControl*& control) {
  if (!makeSite) return false;
  auto [w, c] = makeSite();
  window = w;
  control = c;
  return w && c;
}

void FakeFrameWindow::ActivateSite(ChildWindow* window) { activated = window; }

}  // namespace kestrel::test
