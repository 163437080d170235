#pragma once
// Browser events written down as short lines ("TitleChange Foo"), so a test
// can compare what a control reported with what it should have.
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

  void OnBeforeNavigate2(const NavigateRequest& r, bool& cancel) override;
  void OnNavigateComplete2(const std::string& url, bool topLevel) override;
  void OnDocumentComplete(const std::string& url, bool topLevel) override;
  void OnDownloadBegin() override { lines.push_back("DownloadBegin"); }
  void OnDownloadComplete() override { lines.push_back("DownloadComplete"); }
  void OnProgressChange(long progress, long maximum) override;
  void OnStatusTextChange(const std::string& text) override { lines.push_back("StatusTextChange " + text); }
  void OnTitleChange(const std::string& text) override { lines.push_back("TitleChange " + text); }
  void OnCommandStateChange(int command, bool enable) override;
  BrowserControl* OnNewWindow2(const NewWindowRequest& r, bool& cancel) override;
  void OnWindowClosing(bool& cancel) override;
  void OnWindowSetWidth(int w) override { lines.push_back("WindowSetWidth " + std::to_string(w)); }
  void OnWindowSetHeight(int h) override { lines.push_back("WindowSetHeight " + std::to_string(h)); }
  bool OnShowScriptError(const ScriptErrorInfo& e) override;

  bool Has(const std::string& line) const;
  bool HasPrefix(const std::string& prefix) const;
  // The lines in a form two controls can be compared by: each progress
  // report becomes "Progress" (or "Idle"), repeats fold into one, and
  // lines whose first word is not in `kinds` are dropped.
  std::vector<std::string> Shape(const std::vector<std::string>& kinds) const;
};

}  // namespace kestrel::test
