#pragma once
// A scripted browser control and a child window that remember what they
// were asked, for tests of sites and the frame without an engine. The load
// sequence fires the events in the order the Qt WebEngine control does.
#include <array>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/browser_control.h"
#include "platform/clock.h"
#include "site/child_window.h"

namespace kestrel {
class CKestrelView;
}

namespace kestrel::test {

// Sites as keys only, for code that hands them around without looking inside.
inline std::array<char, 512> fakeViews{};
inline CKestrelView* FakeView(int i) {
  return reinterpret_cast<CKestrelView*>(&fakeViews[static_cast<std::size_t>(i)]);
}
inline int FakeViewIndex(const CKestrelView* v) {
  return static_cast<int>(reinterpret_cast<const char*>(v) - fakeViews.data());
}

// Time that moves only when a test moves it.
struct FakeClock : Clock {
  std::int64_t ms = 100000, seconds = 1000000;
  std::int64_t NowMs() const override { return ms; }
  std::int64_t CalendarSeconds() const override { return seconds; }
};

struct FakeKeys : KeyState {
  bool ctrl = false, shift = false;
  bool Shift() const override { return shift; }
  bool Ctrl() const override { return ctrl; }
};

class ScriptedControl : public BrowserControl {
 public:
  BrowserEvents* events = nullptr;
  std::vector<std::string> calls;
  std::string location, title;
  bool busy = false;
  std::vector<std::string> travel;  // the travel log, for back and forward
  int travelPos = -1;
  WindowFeatures features;  // what the opener asked for, as the engine keeps it
  bool muted = false;

  // A whole top-level load of `url` titled `pageTitle`, as a new page.
  void LoadPage(const std::string& url, const std::string& pageTitle);
  // The last Navigate2 completes with this title.
  void CompleteNavigation(const std::string& pageTitle);
  // A page whose frames navigate after its title is known.
  void LoadPageWithFrames(const std::string& url, const std::string& pageTitle,
                          const std::vector<std::string>& frames);
  // A load that fails: the engine's error page under the failed address.
  void FailPage(const std::string& url) { LoadPage(url, "Cannot find server"); }
  // The page asks for a new window; when the host hands back a scripted
  // control, the page is loaded into it as the engine loads new windows
  // (the address is committed before the download begins).
  ScriptedControl* OpenWindow(const NewWindowRequest& request, const std::string& pageTitle);

  void SetEvents(BrowserEvents* e) override { events = e; }
  void Navigate2(const NavigateRequest& r) override;
  void GoBack() override { calls.push_back("GoBack"); }
  void GoForward() override { calls.push_back("GoForward"); }
  void GoHome() override { calls.push_back("GoHome"); }
  void Stop() override { calls.push_back("Stop"); }
  void Refresh() override { calls.push_back("Refresh"); }
  std::string LocationURL() const override { return location; }
  std::string LocationName() const override { return title; }
  bool Busy() const override { return busy; }
  std::string DocumentTitle() const override { return title; }
  int HistoryLength() const override { return static_cast<int>(travel.size()); }
  bool MenuBar() const override { return features.menuBar; }
  bool ToolBar() const override { return features.toolBar; }
  bool AddressBar() const override { return features.addressBar; }
  // Every script run in the page, and what the page answers to them.
  std::vector<std::string> scripts;
  std::string scriptAnswer;
  void ExecScript(const std::string& script, std::function<void(const std::string&)> done) override {
    scripts.push_back(script);
    if (done) done(scriptAnswer);
  }
  void SetAudioMuted(bool m) override { muted = m; }

  // Page display: what the page would allow, and what it was asked.
  std::set<EditCommand> editable;
  std::vector<std::string> pageCalls;
  double zoom = 1.0;
  std::string encoding;
  std::uint32_t downloadControl = 0;
  bool EditEnabled(EditCommand c) const override { return editable.count(c) != 0; }
  void Edit(EditCommand c) override { pageCalls.push_back("Edit " + std::to_string(static_cast<int>(c))); }
  void ShowFindBar() override { pageCalls.push_back("Find"); }
  void SetTextZoom(double factor) override { zoom = factor; }
  void SetDefaultEncoding(const std::string& charset) override {
    encoding = charset;
    pageCalls.push_back("Encoding " + charset);
  }
  void SetDownloadControl(std::uint32_t flags) override { downloadControl = flags; }
  bool SavePage(const std::string& path, SavePageFormat format) override {
    pageCalls.push_back(std::string(format == SavePageFormat::Complete ? "Save " : "SaveHtml ") + path);
    return true;
  }

 private:
  // A top-level load; a new window commits its address before the download begins.
  void Load(const std::string& url, const std::string& pageTitle, const std::vector<std::string>& frames,
            bool commitFirst);
  void Finish(const std::string& url);
  void Commit(const std::string& url);
  std::string pending_;
};

class FakeChild : public ChildWindow {
 public:
  bool visible = false, maximized = false, minimized = false, activated = false;
  int width = 400, height = 300;
  std::string caption;
  bool IsVisible() const override { return visible; }
  void Show(bool max, bool activate) override {
    visible = true;
    maximized = max;
    activated = activate;
  }
  void Hide() override { visible = false; }
  bool IsMaximized() const override { return maximized; }
  bool IsMinimized() const override { return minimized; }
  void Minimize() override { minimized = true; }
  void Restore() override { minimized = maximized = false; }
  void Activate() override { activated = true; }
  void SetCaption(const std::string& text) override { caption = text; }
  int Width() const override { return width; }
  int Height() const override { return height; }
  void SetNormalSize(int w, int h) override { width = w, height = h; }
  void Refit() override {}
};

// Owns the windows and controls a test's frame creates.
struct SiteParts {
  std::vector<std::unique_ptr<FakeChild>> windows;
  std::vector<std::unique_ptr<ScriptedControl>> controls;
  std::pair<ChildWindow*, BrowserControl*> Make();
};

}  // namespace kestrel::test
