#pragma once
// The windowing side of start-up: the QApplication, the main window and its
// sites, the hand-off socket and the termination signals.
#include <memory>
#include <string>

#include "app/app.h"

class QApplication;

namespace kestrel {

class MainWindow;
class QtDialogs;
class SiteWindow;

class QtAppHost : public AppHost {
 public:
  QtAppHost(int& argc, char** argv, QtDialogs& dialogs);
  ~QtAppHost() override;
  void setApp(CKestrelApp* app) { app_ = app; }

  bool InitToolkit() override;
  void AttachHandoffSocket(int listenFd) override;
  bool CreateMainFrame() override;
  void NewSite() override;
  void NavigateNewestSite(const std::string& url) override;
  void ShowFrame(bool maximized) override;
  void RestoreBandLayout() override {}
  void EnableAddressCompletion() override {}
  void RestoreFrame() override;
  void OpenTypedLines(const std::string& text) override;
  void GoHomeInTargetSite() override;
  void OpenGroup(const std::string& name) override;
  void OpenInNewSite(const std::string& url) override;
  void CloseAllSites() override;
  void RemoveTrayIcon() override {}
  void RereadBlankSitesDownloadOptions() override {}
  FrameState* frameState() override;

  int Exec();
  MainWindow* window() const { return window_; }

 private:
  SiteWindow* TargetSite();
  int& argc_;
  char** argv_;
  QtDialogs& dialogs_;
  CKestrelApp* app_ = nullptr;
  std::unique_ptr<QApplication> qapp_;
  MainWindow* window_ = nullptr;
};

}  // namespace kestrel
