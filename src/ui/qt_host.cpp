#include "ui/qt_host.h"

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>

#include "app/app.h"
#include "common/message.h"
#include "common/progdir.h"
#include "common/trace.h"
#include "engine/handoff_server.h"
#include "engine/signals.h"
#include "engine/web_engine.h"
#include "popups/popup_blocker.h"
#include "ui/frame_window_qt.h"
#include "ui/main_window_qt.h"
#include "collections/group_commands.h"
#include "ui/qt_dialogs.h"

namespace kestrel {

QtAppHost::QtAppHost(int& argc, char** argv, QtDialogs& dialogs) : argc_(argc), argv_(argv), dialogs_(dialogs) {}

QtAppHost::~QtAppHost() = default;

bool QtAppHost::InitToolkit() {
  PrepareWebEngineEnvironment();
  qapp_ = std::make_unique<QApplication>(argc_, argv_);
  Trace("toolkit");
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
    if (main_)
      main_->window().close();
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
  // The engine first: its threads start up (the disk cache, the cookies, the
  // GPU and network services) while the window is built, instead of after
  // it when the first site asks for them.
  StartWebEngine();
  main_ = std::make_unique<QtMainWindow>(*app_, clock_, keys_, &dialogs_);
  return true;
}

bool QtAppHost::NewSite() { return main_->frame().CreateSite() != nullptr; }

void QtAppHost::RestoreBandLayout() {
  // Qt lays the bars out in one pass; the second call finds them in place.
  if (main_) main_->window().bands().Restore(app_->profile);
}

void QtAppHost::NavigateNewestSite(const std::string& url) {
  if (CKestrelView* v = main_->frame().NewestSite()) v->Navigate(url);
}

void QtAppHost::ShowFrame(bool maximized) {
  if (maximized)
    main_->window().showMaximized();
  else
    main_->window().show();
}

void QtAppHost::RestoreFrame() {
  if (!main_) return;
  main_->window().Restore();
  main_->window().BringToFront();
}

void QtAppHost::EnableAddressCompletion() {
  if (main_) main_->addressBar().EnableCompletion();
}

void QtAppHost::OpenTypedLines(const std::string& text, TypedSource source) {
  if (main_) main_->resolver().OpenTypedLines(text, source);
}

void QtAppHost::GoHomeInTargetSite() {
  if (main_) main_->resolver().GoHome();
}

void QtAppHost::OpenGroup(const std::string& name) {
  if (main_) main_->groups().OpenGroup(name);
}

void QtAppHost::OpenInNewSite(const std::string& url) {
  if (main_) main_->frame().OpenInNewSite(url);
}

void QtAppHost::CloseAllSites() {
  if (!main_) return;
  // Lines still waiting to open would open after the end.
  main_->deferred().Clear();
  main_->frame().CloseAll();
}

void QtAppHost::SetTrayIcon(bool show) {
  if (main_) main_->frame().modes().SetTrayIcon(show);
}

void QtAppHost::DestroyMainFrame() { main_.reset(); }

void QtAppHost::RereadBlankSitesDownloadOptions() {
  if (!main_) return;
  // Only blank sites: a page already shown keeps what it was loaded with.
  for (CKestrelView* site : main_->frame().sites().sites())
    if (site->IsSiteBlank()) site->ReadDownloadOptions();
}

void QtAppHost::EditFilterList(bool black) {
  if (main_) main_->popups().EditList(black);
}

void QtAppHost::RemoveTrayIcon() {
  if (main_) main_->frame().modes().SetTrayIcon(false);
}

FrameState* QtAppHost::frameState() { return main_ ? &main_->window() : nullptr; }
CMainFrame* QtAppHost::mainFrame() { return main_ ? &main_->frame() : nullptr; }

int QtAppHost::Exec() { return QApplication::exec(); }

}  // namespace kestrel
