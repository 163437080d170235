#pragma once
// The main frame window for now: many sites in an MDI area with a bar to
// type addresses into. The frame's own logic arrives with its subsystem;
// this window only forwards to the objects it is handed.
#include <QMainWindow>
#include <functional>
#include <string>

#include "settings/store.h"

class QLineEdit;
class QMdiArea;
class QMdiSubWindow;
class QProgressBar;
class QWebEngineView;

namespace kestrel {

class SiteWindow;

class MainWindow : public QMainWindow, public FrameState {
  Q_OBJECT
 public:
  struct Callbacks {
    std::function<bool(unsigned id)> command;           // the application's command map
    std::function<void(const std::string&)> openTyped;  // text typed into the address bar
    std::function<void()> closing;                      // the shutdown routine
  };
  explicit MainWindow(Callbacks callbacks);

  SiteWindow* NewSite();
  SiteWindow* newestSite() const { return newest_; }
  SiteWindow* activeSite() const;
  void CloseAllSites();
  int siteCount() const;

  // FrameState
  int ExplorerPane() const override { return 0; }
  bool StatusBarVisible() const override;
  WindowRect WindowRectangle() const override;
  bool IsZoomed() const override { return isMaximized(); }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void BuildToolBar();
  void OnSiteActivated(QMdiSubWindow* w);
  void UpdateFromActive();

  Callbacks cb_;
  QMdiArea* mdi_;
  QLineEdit* address_;
  QProgressBar* progress_;
  SiteWindow* newest_ = nullptr;
  bool closing_ = false;
};

}  // namespace kestrel
