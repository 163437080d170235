#include "ui/qt_host.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QIcon>
#include <QInputDialog>
#include <QLineEdit>

#include "app/typed_text.h"
#include "common/message.h"
#include "common/progdir.h"
#include "common/trace.h"
#include "engine/handoff_server.h"
#include "engine/signals.h"
#include "engine/web_engine.h"
#include "engine/webengine_control.h"
#include "ui/frame_window_qt.h"
#include "ui/qt_dialogs.h"

namespace kestrel {

QtAppHost::QtAppHost(int& argc, char** argv, QtDialogs& dialogs) : argc_(argc), argv_(argv), dialogs_(dialogs) {}

QtAppHost::~QtAppHost() {
  SetAddFavoriteHandler(nullptr);  // no frame: page calls do nothing
  frame_.reset();
  window_.reset();
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
  QtFrameWindow::Callbacks cb;
  cb.command = [this](unsigned id) { return frame_->OnCommand(id); };
  cb.commandState = [this](unsigned id) { return CommandState(id); };
  cb.openTyped = [this](const std::string& text, bool, bool) { OpenTypedLines(text); };
  cb.siteActivated = [this](ChildWindow* w) { frame_->OnSiteActivated(w); };
  cb.siteCloseRequested = [this](ChildWindow* w) { frame_->OnSiteCloseRequested(w); };
  cb.tray = [this](CMainFrame::TrayMouse m) { frame_->OnTrayNotify(m); };
  cb.sized = [this] { frame_->OnSize(); };
  cb.timer = [this] { frame_->OnTimer(CMainFrame::kTimerId); };
  cb.closing = [this] { app_->SaveAndRelease(); };
  window_ = std::make_unique<QtFrameWindow>(std::move(cb));
  frame_ = std::make_unique<CMainFrame>(*window_, app_->profile, app_->settings, clock_, keys_);
  frame_->RegisterTarget(CommandTarget::App, [this](unsigned id) { return app_->OnCommand(id); });
  frame_->RegisterTarget(CommandTarget::Frame, [this](unsigned id) { return FrameExtraCommand(id); });
  dialogs_.setParentWindow(window_.get());

  const Settings& s = app_->settings;
  if (HasSavedPlacement(s)) window_->setGeometry(s.WPLeft, s.WPTop, s.WPWidth, s.WPHeight);
  frame_->ApplyOfflineState();
  if (s.ShowTrayIcon && s.TrayIcon) frame_->SetTrayIcon(true);
  window_->StartTimer();
  // window.external.addFavorite: the favorites store takes it once it
  // exists; until then the request is only noted.
  SetAddFavoriteHandler([](const std::string& url, const std::string& title) { Trace("add-favorite", url + " " + title); });
  return true;
}

bool QtAppHost::FrameExtraCommand(unsigned id) {
  switch (id) {
    case ID_FILE_OPEN: {
      bool ok = false;
      QString text = QInputDialog::getText(
          window_.get(), QString::fromStdString(TranslateMessage("Open")),
          QString::fromStdString(TranslateMessage(
              "Type the Internet address of a document or folder, and Kestrel will open it for you.")),
          QLineEdit::Normal, QString(), &ok);
      if (ok && !text.trimmed().isEmpty()) OpenTypedLines(text.toStdString());
      return true;
    }
    case ID_HOME_PAGE:
      GoHomeInTargetSite();
      return true;
    case ID_FROM_CLIPBOARD: {
      QClipboard* cb = QGuiApplication::clipboard();
      if (!cb) {
        ShowMessage("Cannot open the Clipboard!");
        return true;
      }
      std::string text = cb->text().toStdString();
      if (!text.empty()) OpenTypedLines(text);
      return true;
    }
    case ID_FOCUS_ADDRESS:
      window_->addressEdit()->setFocus();
      window_->addressEdit()->selectAll();
      return true;
    case ID_ESCAPE:
      if (window_->addressEdit()->hasFocus()) {
        if (CKestrelView* v = frame_->ActiveView()) window_->SetAddressText(v->GetLocationURL());
        window_->ClearAddressEditing();
      }
      return true;
    default:
      return false;
  }
}

int QtAppHost::CommandState(unsigned id) const {
  const Settings& s = app_->settings;
  CKestrelView* v = frame_->ActiveView();
  switch (id) {
    case ID_WORK_OFFLINE:
      return 1 | (frame_->IsOffline() ? 2 : 0);
    case ID_ALWAYS_NEW:
      return 1 | (s.AutoNew ? 2 : 0);
    case ID_FULL_SCREEN:
      return 1 | (frame_->fullScreen() ? 2 : 0);
    default:
      break;
  }
  if (RouteOf(id) == CommandTarget::ActiveSite) return v && v->IsCommandEnabled(id) ? 1 : 0;
  return 1;
}

bool QtAppHost::NewSite() { return frame_->CreateSite() != nullptr; }

void QtAppHost::NavigateNewestSite(const std::string& url) {
  if (CKestrelView* v = frame_->NewestSite()) v->Navigate(url);
}

void QtAppHost::ShowFrame(bool maximized) {
  if (maximized)
    window_->showMaximized();
  else
    window_->show();
}

void QtAppHost::RestoreFrame() {
  if (!window_) return;
  window_->Restore();
  window_->BringToFront();
}

CKestrelView* QtAppHost::TargetSite(bool forceNew) {
  // The active site takes the address while it is blank; otherwise "Always
  // New Window" decides.
  CKestrelView* active = frame_->ActiveView();
  if (!forceNew && active && (active->IsSiteBlank() || !app_->settings.AutoNew)) return active;
  return frame_->CreateSite();
}

void QtAppHost::OpenTypedLines(const std::string& text) {
  if (!frame_) return;
  for (const std::string& line : SplitTypedLines(text)) {
    std::string address = AddressForTypedLine(line);
    if (address.empty()) {
      Trace("refused", line);
      continue;
    }
    Trace("navigate", address);
    if (CKestrelView* s = TargetSite()) s->Navigate(address);
  }
}

void QtAppHost::GoHomeInTargetSite() {
  if (CKestrelView* s = TargetSite()) s->Navigate(app_->homePage());
}

void QtAppHost::OpenGroup(const std::string& name) { Trace("open-group", name); }

void QtAppHost::OpenInNewSite(const std::string& url) {
  if (CKestrelView* s = TargetSite(true)) s->Navigate(url);
}

void QtAppHost::CloseAllSites() {
  if (frame_) frame_->CloseAll();
}

void QtAppHost::RemoveTrayIcon() {
  if (frame_) frame_->SetTrayIcon(false);
}

FrameState* QtAppHost::frameState() { return window_.get(); }

int QtAppHost::Exec() { return QApplication::exec(); }

}  // namespace kestrel
