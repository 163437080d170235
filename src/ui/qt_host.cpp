#include "ui/qt_host.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QUrl>
#include <QGuiApplication>
#include <QIcon>
#include <QLineEdit>

#include "address/typed_urls.h"
#include "common/message.h"
#include "common/progdir.h"
#include "common/strings.h"
#include "common/trace.h"
#include "engine/handoff_server.h"
#include "engine/signals.h"
#include "engine/web_engine.h"
#include "engine/webengine_control.h"
#include "platform/desktop_folders.h"
#include "ui/alias_dialog_qt.h"
#include "ui/frame_window_qt.h"
#include "ui/open_dialog_qt.h"
#include "ui/popup_ui_qt.h"
#include "ui/qt_dialogs.h"
#include "ui/language_ui_qt.h"
#include "language/language.h"
#include "ui/quick_search_bar_qt.h"
#include "ui/toolbar_dialog_qt.h"

namespace kestrel {

QtAppHost::QtAppHost(int& argc, char** argv, QtDialogs& dialogs) : argc_(argc), argv_(argv), dialogs_(dialogs) {}

QtAppHost::~QtAppHost() {
  SetAddFavoriteHandler(nullptr);  // no frame: page calls do nothing
  SetMessageTranslator(nullptr);
  languageUi_.reset();
  popups_.reset();
  // The bar hands the application's lists back before they can go.
  delete quickSearch_;
  quickSearch_ = nullptr;
  searchRunner_.reset();
  addressBar_.reset();
  resolver_.reset();
  if (window_) window_->DetachTabBar();
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
  // Every text shown from here on speaks the chosen language.
  languages_ = std::make_unique<CLanguages>();
  languages_->SetTarget(app_->settings.UILanguage);
  SetMessageTranslator([this](const std::string& english) { return languages_->Translate(english); });
  QtFrameWindow::Callbacks cb;
  cb.command = [this](unsigned id) { return frame_->OnCommand(id); };
  cb.commandState = [this](unsigned id) { return CommandState(id); };
  cb.addressChosen = [this](int i) { addressBar_->Choose(i); };
  cb.addressEscape = [this] {
    // The text goes back to the page's address; it stays "being edited"
    // so that the page does not overwrite it again at once.
    if (CKestrelView* v = frame_->ActiveView()) addressBar_->Escape(v->GetLocationURL());
  };
  cb.siteActivated = [this](ChildWindow* w) { frame_->OnSiteActivated(w); };
  cb.siteCloseRequested = [this](ChildWindow* w) { frame_->OnSiteCloseRequested(w); };
  cb.tray = [this](CMainFrame::TrayMouse m) { frame_->OnTrayNotify(m); };
  cb.sized = [this] { frame_->OnSize(); };
  cb.timer = [this] { frame_->OnTimer(CMainFrame::kTimerId); };
  cb.closing = [this] { app_->SaveAndRelease(); };
  cb.tabSelected = [this](int i) { frame_->OnTabSelected(i); };
  cb.tabClose = [this](int i) { frame_->OnTabClose(i); };
  cb.siteMenuCommand = [this](int i, unsigned id) { frame_->OnSiteMenuCommand(i, id); };
  cb.historyItems = [this](bool forward) {
    std::vector<std::string> items;
    if (CKestrelView* v = frame_->ActiveView()) items = v->HistoryMenuItems(forward);
    return items;
  };
  cb.historyChosen = [this](bool forward, int steps) {
    if (CKestrelView* v = frame_->ActiveView()) v->GoByMenu(forward, steps);
  };
  window_ = std::make_unique<QtFrameWindow>(std::move(cb));
  window_->customizeToolbar = [this](QWidget* parent, ToolbarButtons& b) {
    ToolbarLook look;
    look.text = [](unsigned id) { return QtFrameWindow::ButtonText(id); };
    look.icon = [this](unsigned id) { return window_->ButtonIcon(id); };
    look.applyNow = [this](const ToolbarButtons& now) { window_->ApplyToolbarButtons(now); };
    return RunCustomizeToolbar(parent, b, look);
  };
  frame_ = std::make_unique<CMainFrame>(*window_, app_->profile, app_->settings, clock_, keys_);
  window_->AttachTabBar(frame_->tabBar(), &CMainFrame::TabStatusOf);
  frame_->RegisterTarget(CommandTarget::App, [this](unsigned id) { return app_->OnCommand(id); });
  frame_->RegisterTarget(CommandTarget::Frame, [this](unsigned id) { return FrameExtraCommand(id); });
  frame_->RegisterTarget(CommandTarget::Address, [this](unsigned id) { return AddressCommand(id); });
  frame_->RegisterTarget(CommandTarget::Toolbars, [this](unsigned id) { return window_->BarCommand(id); });
  frame_->RegisterTarget(CommandTarget::Aliases, [this](unsigned) {
    RunAliasDialog(window_.get(), app_->aliases, CKestrelApp::AliasPath(),
                   [this](const std::string& page) { OpenHelpPage(page); });
    return true;
  });
  dialogs_.setParentWindow(window_.get());

  resolver_ = std::make_unique<CAddressResolver>(*frame_, app_->aliases);
  resolver_->folderAddress = [env = FolderEnvironment::FromProcess(ProgramDirectory())](int folder) {
    return DesktopFolderAddress(folder, env);
  };
  resolver_->openGroup = [this](const std::string& name) { OpenGroup(name); };
  resolver_->confirmMany = [](std::size_t lines) {
    return ShowMessage("The text holds " + std::to_string(lines) + " addresses. Open them all?", MessageKind::Question);
  };
  app_->typedUrls.Load(app_->profile);
  addressBar_ = std::make_unique<CAddressBar>(*window_, *resolver_, app_->typedUrls);
  frame_->documentCompleted = [this](CKestrelView* v) { addressBar_->RememberVisited(v->GetLocationURL()); };
  frame_->openTypedLines = [this](const std::string& text) { OpenTypedLines(text, TypedSource::User); };
  app_->searchEngines.LoadSearchEngines(ProgramFile(kSearchEnginesFile));
  app_->queryHistory.LoadQueryHistory(ProgramFile(kQueryHistoryFile));
  app_->loadedQueryHistory = app_->queryHistory.items();
  searchRunner_ = std::make_unique<SearchRunner>(
      [this](const std::string& text) { OpenTypedLines(text, TypedSource::User); }, ProgramFile(kPostFormFile));
  quickSearch_ = new QtQuickSearchBar(app_->searchEngines, app_->queryHistory, [this](const std::string& query) {
    QuickSearch(app_->searchEngines, app_->queryHistory, *searchRunner_, query);
  });
  window_->SetQuickSearchWidget(quickSearch_);
  frame_->RegisterTarget(CommandTarget::QuickSearch, [this](unsigned id) { return QuickSearchCommand(id); });
  languageUi_ = std::make_unique<QtLanguageUi>(*languages_, app_->settings, *window_);
  languageUi_->TranslateFrame();
  frame_->RegisterTarget(CommandTarget::Language, [this](unsigned id) { return languageUi_->Command(id); });
  popups_ = std::make_unique<QtPopupUi>(*frame_, app_->siteFilter, app_->settings, window_.get(),
                                        [this](const std::string& page) { OpenHelpPage(page); });

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
      OpenDialog dialog(window_.get(), app_->typedUrls.items());
      // Text of the Open box is an address as it stands, not typed text to resolve.
      if (dialog.exec() == QDialog::Accepted && !dialog.Address().empty()) resolver_->OpenAddress(dialog.Address());
      return true;
    }
    case ID_HOME_PAGE:
      GoHomeInTargetSite();
      return true;
    case ID_SEARCH_WEB:
      OpenTypedLines(kWebSearchHome, TypedSource::User);
      return true;
    case ID_FROM_CLIPBOARD: {
      QClipboard* cb = QGuiApplication::clipboard();
      if (!cb) {
        ShowMessage("Cannot open the Clipboard!");
        return true;
      }
      std::string text = cb->text().toStdString();
      if (!text.empty()) OpenTypedLines(text, TypedSource::User);
      return true;
    }
    case ID_FOCUS_ADDRESS:
      window_->addressEdit()->setFocus();
      window_->addressEdit()->selectAll();
      return true;
    case ID_ESCAPE:
      if (window_->addressEdit()->hasFocus()) {
        window_->SetAddressEditing();
        if (CKestrelView* v = frame_->ActiveView()) window_->SetAddressText(v->GetLocationURL());
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
    case ID_BLOCK_POPUP:
      return 1 | (s.AutoClosePopup ? 2 : 0);
    case QtPopupUi::kEnableSiteFilter:
      return 1 | (s.AutoCloseFilter ? 2 : 0);
    default:
      break;
  }
  if (RouteOf(id) == CommandTarget::ActiveSite) return v && v->IsCommandEnabled(id) ? 1 : 0;
  return 1;
}

bool QtAppHost::NewSite() { return frame_->CreateSite() != nullptr; }

bool QtAppHost::QuickSearchCommand(unsigned id) {
  switch (id) {
    case ID_SEARCH_ENGINE_DEFINITIONS:
      // Edited with the desktop's program for the file; read at the next start.
      if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(ProgramFile(kSearchEnginesFile)))))
        ShowMessage("Can't open " + ProgramFile(kSearchEnginesFile) + "!");
      return true;
    case ID_QUICK_SEARCH_GO:
      if (quickSearch_) quickSearch_->Search();
      return true;
    default:
      return false;
  }
}

void QtAppHost::RestoreBandLayout() {
  // Qt lays the bars out in one pass; the second call finds them in place.
  if (window_) window_->RestoreBars(app_->profile);
}

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

bool QtAppHost::AddressCommand(unsigned id) {
  if (id == ID_ADDRESS_ENTER) {
    addressBar_->Enter();
    return true;
  }
  if (const char* keyword = ShortcutKeyword(id)) {
    resolver_->OpenTypedText(keyword);
    return true;
  }
  return false;
}

void QtAppHost::EnableAddressCompletion() {
  if (addressBar_) addressBar_->EnableCompletion();
}

void QtAppHost::OpenTypedLines(const std::string& text, TypedSource source) {
  if (resolver_) resolver_->OpenTypedLines(text, source);
}

void QtAppHost::GoHomeInTargetSite() {
  if (CKestrelView* s = resolver_ ? resolver_->ChooseTargetSite(true) : nullptr) s->Navigate(app_->homePage());
}

void QtAppHost::OpenGroup(const std::string& name) { Trace("open-group", name); }

void QtAppHost::OpenHelpPage(const std::string& page) { OpenInNewSite("file://" + ProgramFile("help/" + page)); }

void QtAppHost::OpenInNewSite(const std::string& url) {
  if (!frame_) return;
  if (CKestrelView* s = frame_->CreateSite())
    s->Navigate(url);
  else
    ShowMessage("Can't open another site: too many sites are open.");
}

void QtAppHost::CloseAllSites() {
  if (frame_) frame_->CloseAll();
}

void QtAppHost::SetTrayIcon(bool show) {
  if (frame_) frame_->SetTrayIcon(show);
}

void QtAppHost::EditFilterList(bool black) {
  if (popups_) popups_->FilterCommand(black ? QtPopupUi::kBlackList : QtPopupUi::kWhiteList);
}

void QtAppHost::RemoveTrayIcon() {
  if (frame_) frame_->SetTrayIcon(false);
}

FrameState* QtAppHost::frameState() { return window_.get(); }

int QtAppHost::Exec() { return QApplication::exec(); }

}  // namespace kestrel
