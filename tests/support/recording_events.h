#pragma once
// Browser events written down as short lines ("TitleChange Foo"), so a test
// can compare what a control reported with what it should have.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/browser_control.h"

namespace kestrel::test {

class RecordingEvents : public BrowserEvents {
 public:
  std::vector<std::string> lines;
  // Hands out the control for a new window; without one the window is refused.
  std::function<BrowserControl*(const NewWindowRequest&)> newWindow;
  std::vector<NewWindowRequest> newWindows;
  std::vector<ScriptErrorInfo> scriptErrors;
  int closings = 0;
  // Called with each title as it comes, for a test that acts at that moment.
  std::function<void(const std::string&)> titleChanged;

  void OnBeforeNavigate2(const NavigateRequest& r, bool&) override { Note("BeforeNavigate2", r.topLevel, r.url); }
  void OnNavigateComplete2(const std::string& url, bool top) override { Note("NavigateComplete2", top, url); }
  void OnDocumentComplete(const std::string& url, bool top) override { Note("DocumentComplete", top, url); }
  void OnDownloadBegin() override { lines.push_back("DownloadBegin"); }
  void OnDownloadComplete() override { lines.push_back("DownloadComplete"); }
  void OnProgressChange(long progress, long maximum) override {
    lines.push_back("ProgressChange " + std::to_string(progress) + "/" + std::to_string(maximum));
  }
  void OnStatusTextChange(const std::string& text) override { lines.push_back("StatusTextChange " + text); }
  void OnTitleChange(const std::string& text) override {
    lines.push_back("TitleChange " + text);
    if (titleChanged) titleChanged(text);
  }
  void OnCommandStateChange(int command, bool enable) override {
    const char* which = command == CSC_NAVIGATEBACK ? "back " : "forward ";
    lines.push_back(std::string("CommandStateChange ") + which + (enable ? "on" : "off"));
  }
  BrowserControl* OnNewWindow2(const NewWindowRequest& r, bool& cancel) override {
    lines.push_back("NewWindow2 " + r.url);
    newWindows.push_back(r);
    BrowserControl* c = newWindow ? newWindow(r) : nullptr;
    if (!c) cancel = true;
    return c;
  }
  void OnWindowClosing(bool&) override {
    lines.push_back("WindowClosing");
    ++closings;
  }
  void OnWindowSetWidth(int w) override { lines.push_back("WindowSetWidth " + std::to_string(w)); }
  void OnWindowSetHeight(int h) override { lines.push_back("WindowSetHeight " + std::to_string(h)); }
  bool OnShowScriptError(const ScriptErrorInfo& e) override {
    lines.push_back("ScriptError " + e.message);
    scriptErrors.push_back(e);
    return true;
  }

  bool Has(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
  bool HasPrefix(const std::string& prefix) const {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(prefix); });
  }
  // The lines in a form two controls can be compared by: each progress
  // report becomes "Progress" (or "Idle"), repeats fold into one, and
  // lines whose first word is not in `kinds` are dropped.
  std::vector<std::string> Shape(const std::vector<std::string>& kinds) const {
    std::vector<std::string> out;
    for (const std::string& l : lines) {
      const std::string kind = l.substr(0, l.find(' '));
      if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end()) continue;
      std::string shaped = l;
      if (kind == "ProgressChange") shaped = l.starts_with("ProgressChange -1") ? "Idle" : "Progress";
      if (out.empty() || out.back() != shaped) out.push_back(shaped);
    }
    return out;
  }

 private:
  // "Kind url" for the top-level document, "Kind(frame) url" for a frame's.
  void Note(const char* kind, bool topLevel, const std::string& url) {
    lines.push_back(kind + std::string(topLevel ? " " : "(frame) ") + url);
  }
};

}  // namespace kestrel::test
