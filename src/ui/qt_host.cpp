#include "ui/qt_host.h"

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>

#include "app/typed_text.h"
#include "common/progdir.h"
#include "common/trace.h"
#include "engine/handoff_server.h"
#include "engine/signals.h"
#include "engine/web_engine.h"
#include "ui/main_window.h"
#include "ui/qt_dialogs.h"
#include "ui/site_window.h"

namespace kestrel {

QtAppHost::QtAppHost(int& argc, char** argv, QtDialogs& dialogs) : argc_(argc), argv_(argv), dialogs_(dialogs) {}

QtAppHost::~QtAppHost() {
  delete window_;
  window_ = nullptr;
}

bool QtAppHost::InitToolkit() {
  PrepareWebEngineEnvironment();
  qapp_ = std::make_unique<QApplication>(argc_, argv_);
  QApplication::setApplicationName(QStringLiteral("Kestrel"));
  QApplication::setOrganizationName(QStringLiteral("Corvana"));
  QApplication::setDesktopFileName(QStringLiteral("kestrel"));
  QApplication::setWindowIcon(QIcon(QString::fromStdString(ProgramFile("kestrel.svg"))));

  // The end of the desktop session and the termination signals save like a close.
  QObject::connect(qapp_.get(), &QGuiApplication::commitDataRequest, qapp_.get(),
                   [this](QSessionManager&) { app_->SaveAndRelease(); });
  QObject::connect(qapp_.get(), &QCoreApplication::aboutToQuit, qapp_.get(), [this] { app_->SaveAndRelease(); });
  auto* terms = new TerminationSignals(qapp_.get());
  QObject::connect(terms, &TerminationSignals::terminationRequested, qapp_.get(), [this](int sig) {
    Trace("signal", std::to_string(sig));
    if (window_)
      window_->close();
    else
      app_->SaveAndRelease();
    QCoreApplication::quit();
  });
  return true;
}

void QtAppHost::AttachHandoffSocket(int listenFd) {
  new HandoffServer(
      listenFd,
      [this](std::uint32_t code, const std::string& text) {
        Trace("handoff", text);
        return app_->OnCopyData(code, text);
      },
      qapp_.get());
}

bool QtAppHost::CreateMainFrame() {
  MainWindow::Callbacks cb;
  cb.command = [this](unsigned id) { return app_->OnCommand(id); };
  cb.openTyped = [this](const std::string& text) { OpenTypedLines(text); };
  cb.closing = [this] { app_->SaveAndRelease(); };
  window_ = new MainWindow(std::move(cb));
  dialogs_.setParentWindow(window_);
  const Settings& s = app_->settings;
  if (HasSavedPlacement(s)) window_->setGeometry(s.WPLeft, s.WPTop, s.WPWidth, s.WPHeight);
  return true;
}

void QtAppHost::NewSite() {
  window_->NewSite();
  Trace("site-created", std::to_string(window_->siteCount()));
}

void QtAppHost::NavigateNewestSite(const std::string& url) {
  if (SiteWindow* s = window_->newestSite()) s->Navigate(url);
}

void QtAppHost::ShowFrame(bool maximized) {
  if (maximized)
    window_->showMaximized();
  else
    window_->show();
}

void QtAppHost::RestoreFrame() {
  if (!window_) return;
  if (window_->isMinimized() || window_->isHidden()) window_->showNormal();
  window_->raise();
  window_->activateWindow();
}

SiteWindow* QtAppHost::TargetSite() {
  // The active site takes the address while it is blank; otherwise "Always
  // New Window" decides.
  SiteWindow* active = window_->activeSite();
  if (active && (active->isBlank() || !app_->settings.AutoNew)) return active;
  window_->NewSite();
  return window_->newestSite();
}

void QtAppHost::OpenTypedLines(const std::string& text) {
  if (!window_) return;
  for (const std::string& line : SplitTypedLines(text)) {
    std::string address = AddressForTypedLine(line);
    if (address.empty()) {
      Trace("refused", line);
      continue;
    }
    if (SiteWindow* s = TargetSite()) s->Navigate(address);
  }
}

void QtAppHost::GoHomeInTargetSite() {
  if (SiteWindow* s = TargetSite()) s->Navigate(app_->homePage());
}

void QtAppHost::OpenGroup(const std::string& name) { Trace("open-group", name); }

void QtAppHost::OpenInNewSite(const std::string& url) {
  window_->NewSite();
  NavigateNewestSite(url);
}

void QtAppHost::CloseAllSites() {
  if (window_) window_->CloseAllSites();
}

FrameState* QtAppHost::frameState() { return window_; }

int QtAppHost::Exec() { return QApplication::exec(); }

}  // namespace kestrel
