#pragma once
// The main window as the frame's logic sees it, recording what it was asked.
// New sites get their child window and control from `makeSite`.
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "frame/frame_window.h"

namespace kestrel::test {

class FakeFrameWindow : public FrameWindow {
 public:
  std::function<std::pair<ChildWindow*, BrowserControl*>()> makeSite;
  std::vector<std::string> calls;  // one line per call that changes something
  std::vector<std::function<void()>> posted;
  std::vector<ChildWindow*> destroyed;
  ChildWindow* activated = nullptr;
  bool minimized = false, visible = true, engineOffline = false, tray = false;
  bool blockAlternate = false, editing = false;
  int commandUpdates = 0;
  WindowRect rect{100, 100, 900, 700};
  std::string statusText, address;

  // Runs what was posted, including what those tasks post.
  void RunPosted() {
    while (!posted.empty()) {
      auto tasks = std::move(posted);
      posted.clear();
      for (auto& t : tasks) t();
    }
  }

  bool CreateSiteWindow(ChildWindow*& window, BrowserControl*& control) override {
    if (!makeSite) return false;
    std::tie(window, control) = makeSite();
    return window && control;
  }
  void DestroySiteWindow(ChildWindow* window) override { destroyed.push_back(window); }
  void Post(std::function<void()> task) override { posted.push_back(std::move(task)); }
  bool IsMinimized() const override { return minimized; }
  bool IsVisible() const override { return visible; }
  void Restore() override { visible = true, minimized = false, note("Restore"); }
  void Hide() override { visible = false, note("Hide"); }
  void BringToFront() override { note("BringToFront"); }
  void SetCaption(const std::string&) override {}
  void ActivateSite(ChildWindow* window) override { activated = window; }
  void SetRebarVisible(bool) override {}
  void SetCaptionAndBorder(bool, bool) override {}
  WindowRect Rectangle() const override { return rect; }
  void SetRectangle(const WindowRect& rc) override { rect = rc; }
  WindowRect PrimaryScreen() const override { return {0, 0, 1920, 1080}; }
  void SetStatusText(const std::string& text) override { statusText = text; }
  void SetProgressVisible(bool v) override { note(v ? "ProgressShown" : "ProgressHidden"); }
  void SetProgressPos(int) override {}
  void SetBusyIndicator(bool busy) override { note(busy ? "Busy" : "Idle"); }
  void SetAddressText(const std::string& text) override { address = text; }
  bool AddressBeingEdited() const override { return editing; }
  void ClearAddressEditing() override { editing = false; }
  void SetTrayIcon(bool show) override { tray = show; }
  bool TrayIconShown() const override { return tray; }
  void ShowFileMenuAtCursor() override { note("FileMenu"); }
  void UpdateCommandStates() override { ++commandUpdates; }
  void SetBlockPopupAlternate(bool alt) override { blockAlternate = alt; }
  void SetEngineOffline(bool offline) override { engineOffline = offline; }
  void Beep() override {}

 private:
  void note(const char* c) { calls.emplace_back(c); }
};

}  // namespace kestrel::test
