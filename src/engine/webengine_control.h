#pragma once
// The browser control on Qt WebEngine. Qt's signals and page hooks become
// the control's events:
//   acceptNavigationRequest  -> BeforeNavigate2 (frames too)
//   urlChanged               -> NavigateComplete2, CommandStateChange
//   loadStarted              -> DownloadBegin
//   loadProgress             -> ProgressChange(p, 100); (-1, 100) once idle
//   loadFinished             -> DownloadComplete, DocumentComplete
//   titleChanged             -> TitleChange
//   linkHovered              -> StatusTextChange
//   createWindow             -> NewWindow2 (answered synchronously)
//   windowCloseRequested     -> WindowClosing
//   geometryChangeRequested  -> WindowSetWidth, WindowSetHeight
//   console error messages   -> the script-error notification
// A failed load shows Kestrel's own error page, titled "Cannot find server".
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <memory>

#include "platform/browser_control.h"

class QWebEngineView;
class QWidget;

namespace kestrel {

class KestrelPage;

class WebEngineControl : public QObject, public BrowserControl {
  Q_OBJECT
 public:
  explicit WebEngineControl(QObject* parent = nullptr);
  ~WebEngineControl() override;

  QWidget* widget() const;
  QWebEngineView* view() const { return view_; }
  BrowserEvents* events() const { return events_; }

  void SetEvents(BrowserEvents* events) override { events_ = events; }
  void Navigate2(const NavigateRequest& request) override;
  void GoBack() override;
  void GoForward() override;
  void GoHome() override;
  void Stop() override;
  void Refresh() override;
  std::string LocationURL() const override;
  std::string LocationName() const override;
  bool Busy() const override { return busy_; }
  std::string DocumentTitle() const override;
  int HistoryLength() const override;
  bool MenuBar() const override { return features_.menuBar; }
  bool ToolBar() const override { return features_.toolBar; }
  bool AddressBar() const override { return features_.addressBar; }
  void ExecScript(const std::string& script, std::function<void(const std::string&)> done) override;
  void SetAudioMuted(bool muted) override;

  void SetHomePage(const std::string& url) { home_ = url; }
  void SetFeatures(const WindowFeatures& f) { features_ = f; }

 private:
  friend class KestrelPage;
  void FireCommandStates();
  void ShowErrorPage(const QUrl& url, bool unreachable);

  QWebEngineView* view_;
  KestrelPage* page_;
  BrowserEvents* events_ = nullptr;
  WindowFeatures features_;
  std::string home_ = "about:blank";
  std::string errorTitle_;
  QUrl failedUrl_;
  bool busy_ = false;
  bool showingError_ = false;
};

// While set, the engine refuses every network request (Work Offline).
void SetWorkOffline(bool offline);
bool WorkOffline();

}  // namespace kestrel
