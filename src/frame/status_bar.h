#pragma once
// The status bar's state: the message pane and the progress bar in the
// second pane. Shown and hidden only on a change; the window draws it.
#include <functional>
#include <string>

namespace kestrel {

class CStatusBarWithProgress {
 public:
  static constexpr int kProgressWidth = 100;
  static constexpr int kPaneWidthShown = 94;
  static constexpr int kPaneWidthHidden = 4;

  // Called with (visible) when the progress bar is shown or hidden.
  std::function<void(bool)> onShow;

  void SetText(const std::string& text) { text_ = text; }
  const std::string& text() const { return text_; }
  void ShowProgress(bool show);
  bool progressShown() const { return shown_; }
  int progressPaneWidth() const { return shown_ ? kPaneWidthShown : kPaneWidthHidden; }
  void SetPos(int percent);
  int pos() const { return pos_; }

 private:
  std::string text_;
  bool shown_ = false;
  int pos_ = 0;
};

}  // namespace kestrel
