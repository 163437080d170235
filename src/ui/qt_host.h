#pragma once
// The windowing side of start-up: the QApplication, the main frame and its
// window, the hand-off socket and the termination signals.
#include <memory>
#include <string>

#include "app/app.h"
#include "engine/key_state_qt.h"
#include "platform/clock.h"

class QApplication;

namespace kestrel {

class QtDialogs;
class QtMainWindow;

class QtAppHost : public AppHost {
 public:
  QtAppHost(int& argc, char** argv, QtDialogs& dialogs);
  ~QtAppHost() override;
  void setApp(CKestrelApp* app) { app_ = app; }

  bool InitToolkit() override;
  void AttachHandoffSocket(int listenFd) override;
  bool CreateMainFrame() override;
  bool NewSite() override;
  void NavigateNewestSite(const std::string& url) override;
  void ShowFrame(bool maximized) override;
  void RestoreBandLayout() override;
  void EnableAddressCompletion() override;
  void RestoreFrame() override;
  void OpenTypedLines(const std::string& text, TypedSource source) override;
  void GoHomeInTargetSite() override;
  void OpenGroup(const std::string& name) override;
  void OpenInNewSite(const std::string& url) override;
  void CloseAllSites() override;
  void RemoveTrayIcon() override;
  void SetTrayIcon(bool show) override;
  void EditFilterList(bool black) override;
  void RereadBlankSitesDownloadOptions() override;
  void DestroyMainFrame() override;
  FrameState* frameState() override;
  CMainFrame* mainFrame() override;

  int Exec();
  QtMainWindow* main() const { return main_.get(); }

 private:
  int& argc_;
  char** argv_;
  QtDialogs& dialogs_;
  CKestrelApp* app_ = nullptr;
  std::unique_ptr<QApplication> qapp_;
  SystemClock clock_;
  QtKeyState keys_;
  std::unique_ptr<QtMainWindow> main_;
};

}  // namespace kestrel
