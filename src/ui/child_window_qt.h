#pragma once
// A site's MDI child window: holds the browser control's view and reports
// to the frame when it is activated or asked to close.
#include <QMdiSubWindow>
#include <functional>
#include <memory>

#include "site/child_window.h"

namespace kestrel {

class WebEngineControl;

class QtChildWindow : public QMdiSubWindow, public ChildWindow {
  Q_OBJECT
 public:
  QtChildWindow(std::unique_ptr<WebEngineControl> control, QWidget* parent = nullptr);
  ~QtChildWindow() override;

  WebEngineControl& control() { return *control_; }
  // The close box asks the site, which decides (the last visible site stays).
  std::function<void()> onCloseRequested;

  // Titles come from pages: bounded, and without control or direction characters.
  static QString DisplayTitle(const QString& title);

  // ChildWindow
  bool IsVisible() const override;
  void Show(bool maximized, bool activate) override;
  void Hide() override;
  bool IsMaximized() const override { return isMaximized(); }
  bool IsMinimized() const override { return isMinimized(); }
  void Minimize() override { showMinimized(); }
  void Restore() override { showNormal(); }
  void Activate() override;
  void SetCaption(const std::string& text) override;
  int Width() const override { return width(); }
  int Height() const override { return height(); }
  void SetNormalSize(int width, int height) override;
  // Behind a maximised site a window is in its normal state: unless its
  // page asked for a size, it takes the whole area, so its page lays out at
  // the size it is shown at.
  void FitToArea(const QSize& area);
  void Refit() override;

  // Only the site decides when its window appears: the MDI area shows a
  // window it activates, and a page that focuses the window it opened would
  // otherwise bring a blocked popup into view.
  void setVisible(bool visible) override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  std::unique_ptr<WebEngineControl> control_;
  bool shown_ = false;
  bool sizedByPage_ = false;
  bool closingForReal_ = false;
  friend class QtFrameWindow;
};

}  // namespace kestrel
