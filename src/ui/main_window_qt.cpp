#include "ui/main_window_qt.h"

#include <sys/stat.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>

#include "address/address_commands.h"
#include "address/search_engines.h"
#include "app/app.h"
#include "collections/explorer_panes.h"
#include "collections/history.h"
#include "common/message.h"
#include "common/progdir.h"
#include "common/textfile.h"
#include "common/trace.h"
#include "downloads/downloads.h"
#include "engine/desktop_qt.h"
#include "engine/webengine_control.h"
#include "forms/forms_commands.h"
#include "language/language_menu.h"
#include "platform/desktop_folders.h"
#include "popups/popup_blocker.h"
#include "settings/download_control.h"
#include "ui/address_ui_qt.h"
#include "ui/downloads_qt.h"
#include "ui/explorer_bar_qt.h"
#include "ui/favorites_qt.h"
#include "ui/forms_dialogs_qt.h"
#include "ui/frame_window_qt.h"
#include "ui/groups_dialog_qt.h"
#include "ui/language_ui_qt.h"
#include "ui/page_dialogs_qt.h"
#include "ui/popup_ui_qt.h"
#include "ui/qt_dialogs.h"
#include "ui/quick_search_bar_qt.h"
#include "ui/skins_qt.h"
#include "ui/tools_dialogs_qt.h"
#include "engine/web_engine.h"
#include "tools/clean_trace.h"
#include "tools/custom_scripts.h"
#include "tools/external_commands.h"
#include "tools/mail_commands.h"
#include "tools/translate.h"
#include "ui/toolbar_dialog_qt.h"

namespace kestrel {
namespace {

// Where translate.htm is written: the user's own runtime folder, which no
// one else can open (it holds the text being translated), else Kestrel's
// data folder; never the shared temporary folder.
std::string PrivateTempFolder() {
  const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  const std::string path = runtime.isEmpty() ? UserDataDirectory() + "tmp" : runtime.toStdString() + "/kestrel";
  MakeDirectories(path);
  ::chmod(path.c_str(), 0700);
  return path;
}

// The page's copy reaches the clipboard a moment later: read it once the
// clipboard changed, or after a short wait when it does not.
void AfterClipboardChange(std::function<void()> read) {
  auto* guard = new QObject(QGuiApplication::clipboard());
  auto once = [guard, read = std::move(read)] {
    if (guard->property("done").toBool()) return;
    guard->setProperty("done", true);
    guard->deleteLater();
    read();
  };
  QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, guard, once);
  QTimer::singleShot(300, guard, once);
}

// How long the rest of many lines waits at most for the first page to start.
constexpr int kFirstLoadWaitMs = 500;

}  // namespace

QtMainWindow::QtMainWindow(CKestrelApp& app, const Clock& clock, const KeyState& keys, QtDialogs* dialogs)
    : app_(app) {
  // Every text shown from here on speaks the chosen language.
  languages_ = std::make_unique<CLanguages>();
  languages_->SetTarget(app_.settings.UILanguage);
  SetMessageTranslator([this](const std::string& english) { return languages_->Translate(english); });

  QtFrameWindow::Callbacks cb;
  cb.addressChosen = [this](int i) { addressBar_->Choose(i); };
  cb.addressEscape = [this] {
    if (CKestrelView* v = frame_->ActiveView()) addressBar_->Escape(v->GetLocationURL());
  };
  cb.closing = [this] { app_.SaveAndRelease(); };
  window_ = std::make_unique<QtFrameWindow>(std::move(cb));
  window_->customizeToolbar = [this](QWidget* parent, ToolbarButtons& b) {
    ToolbarLook look;
    look.text = [](unsigned id) { return QtFrameWindow::ButtonText(id); };
    look.icon = [this](unsigned id) { return window_->ButtonIcon(id); };
    look.applyNow = [this](const ToolbarButtons& now) { window_->ApplyButtons(now); };
    return RunCustomizeToolbar(parent, b, look);
  };
  frame_ = std::make_unique<CMainFrame>(*window_, app_.profile, app_.settings, clock, keys);
  app_.RegisterCommands(frame_->commands());
  windowCommands_ = std::make_unique<CommandScope>(frame_->commands());
  windowCommands_->Add(ID_APP_EXIT, [this](const CommandContext&) { window_->close(); });
  if (dialogs) dialogs->setParentWindow(window_.get());
  auto openHelp = [this](const std::string& page) { OpenHelpPage(page); };

  resolver_ = std::make_unique<CAddressResolver>(*frame_, app_.aliases);
  // The engine needs many turns of the event loop, and the processor,
  // before the page asked for first sends its request; sites made back to
  // back give it neither. So the rest of many lines waits until the engine
  // has started loading a page (or a while, if the first line loaded
  // nothing); then the sites are made one after the other.
  deferredWait_ = new QTimer(window_.get());
  deferredWait_->setSingleShot(true);
  QObject::connect(deferredWait_, &QTimer::timeout, window_.get(), [this] { RunWaitingTask(); });
  deferred_ = std::make_unique<DeferredTasks>([this](std::function<void()> task) {
    auto run = [this, task = std::move(task)] {
      task();
      if (deferred_->empty()) deferredBurst_ = false;
    };
    if (deferredBurst_) {
      window_->Post(std::move(run));
      return;
    }
    deferredBurst_ = true;
    waitingTask_ = std::move(run);
    deferredWait_->start(kFirstLoadWaitMs);
  });
  window_->engine().onLoadStarted = [this] {
    if (!waitingTask_) return;
    deferredWait_->stop();
    window_->Post([this] { RunWaitingTask(); });
  };
  auto defer = [this](std::function<void()> task) { deferred_->Push(std::move(task)); };
  resolver_->defer = defer;
  resolver_->folderAddress = [env = FolderEnvironment::FromProcess(ProgramDirectory())](int folder) {
    return DesktopFolderAddress(folder, env);
  };
  resolver_->confirmMany = [](std::size_t lines) {
    return ShowMessage("The text holds " + std::to_string(lines) + " addresses. Open them all?", MessageKind::Question);
  };
  addressBar_ = std::make_unique<CAddressBar>(*window_, *resolver_, app_.typedUrls);
  clipboard_ = std::make_unique<QtClipboard>();
  shell_ = std::make_unique<DesktopShell>();
  addressDialogs_ = std::make_unique<QtAddressDialogs>(window_.get(), openHelp);
  addressCommands_ = std::make_unique<CAddressCommands>(CAddressCommands::Parts{
      *frame_, frame_->menu(), *resolver_, *addressBar_, app_.typedUrls, app_.aliases, CKestrelApp::AliasPath(),
      [] { return EditableProgramFile(kSearchEnginesFile); }, *addressDialogs_, *clipboard_, *shell_});

  searchRunner_ = std::make_unique<SearchRunner>(
      [this](const std::string& text) { resolver_->OpenTypedLines(text, TypedSource::User); },
      // Written for each POST search: beside the program, or with the user's
      // data when the program folder is read-only.
      WritableProgramFile(kPostFormFile));
  quickSearch_ = new QtQuickSearchBar(app_.searchEngines, app_.queryHistory, [this](const std::string& query) {
    QuickSearch(app_.searchEngines, app_.queryHistory, *searchRunner_, query);
  });
  window_->SetQuickSearchWidget(quickSearch_);
  windowCommands_->Add(ID_QUICK_SEARCH_GO, [this](const CommandContext&) { quickSearch_->Search(); });

  sound_ = std::make_unique<QtSound>();
  popupUi_ = std::make_unique<QtPopupUi>(window_.get(), openHelp);
  popups_ = std::make_unique<CPopupBlocker>(*frame_, app_.siteFilter, app_.settings, *sound_, *popupUi_);

  formsDialogs_ = std::make_unique<QtFormsDialogs>(window_.get(), openHelp);
  forms_ = std::make_unique<CFormsCommands>(CFormsCommands::Parts{
      *frame_, frame_->menu(), app_.settings, app_.autoLogin, app_.formData, *formsDialogs_, *shell_,
      CKestrelApp::FormsFolder(), [this] { return resolver_->ChooseTargetSite(true); }, openHelp});
  resolver_->autoLogin = [this](const std::string& caption) { forms_->UseAutoLogin(caption); };

  groupDialogs_ = std::make_unique<QtGroupDialogs>(window_.get(), openHelp);
  groups_ = std::make_unique<CGroupCommands>(CGroupCommands::Parts{
      *frame_, frame_->menu(), *groupDialogs_, ProgramSubfolder("groups/"),
      [this]() -> CKestrelView* {
        CKestrelView* site = frame_->CreateSite();
        if (site)
          site->Navigate("about:blank");
        else
          ShowMessage("Can't open another site: too many sites are open.");
        return site;
      },
      [this](CKestrelView* site, const std::string& line) { resolver_->OpenTypedTextIn(site, line); }, defer});
  resolver_->openGroup = [this](const std::string& name) { groups_->OpenGroup(name); };

  favoritesDialogs_ = std::make_unique<QtFavoritesDialogs>(window_.get());
  favorites_ = std::make_unique<CFavoritesCommands>(CFavoritesCommands::Parts{
      *frame_, *favoritesDialogs_, *shell_, DefaultFavoritesFolder(), "file://" + ProgramFile("help/index.htm"),
      [this](const std::string& url) { resolver_->OpenAddress(url); }});

  // The history lives beside the engine's own data; a store that cannot be
  // had keeps nothing, and browsing goes on.
  MakeDirectories(UserDataDirectory() + "engine");
  history_ = OpenSqliteHistory(UserDataDirectory() + "engine/history.sqlite");
  historyRecorder_ = std::make_unique<CHistoryRecorder>(*frame_, *history_);
  std::vector<std::string> earlier;
  for (const HistoryEntry& e : history_->Recent(CAddressBar::kVisitedMax)) earlier.push_back(e.url);
  addressBar().RememberHistory(earlier);

  explorerBar_ = new QtExplorerBar(QtExplorerBar::Parts{
      *favorites_, *history_, app_.store(), *shell_, [this](const std::string& url) { resolver_->OpenAddress(url); },
      [this](unsigned id) { frame_->OnCommand(id); }, [this] { panes_->Close(); },
      [this] { return frame_->clock().CalendarSeconds(); }});
  window_->SetExplorerBar(explorerBar_);
  panes_ = std::make_unique<CExplorerPanes>(*frame_, *explorerBar_);
  window_->explorerPane = [this] { return static_cast<int>(panes_->current()); };
  window_->recordPanes = [this] { explorerBar_->RecordState(); };
  historyRecorder_->recorded = [this](const HistoryVisit& v) { explorerBar_->VisitRecorded(v); };

  pageDialogs_ = std::make_unique<QtPageDialogs>(window_.get());
  pages_ = std::make_unique<CPageCommands>(*frame_, *pageDialogs_);

  scriptDialogs_ = std::make_unique<QtScriptDialogs>(window_.get(), openHelp);
  scripts_ = std::make_unique<CCustomScripts>(
      CCustomScripts::Parts{*frame_, frame_->menu(), *scriptDialogs_, ProgramSubfolder("scripts/"), openHelp});
  resolver_->runScript = [this](const std::string& name) { scripts_->RunNamedScript(name); };
  translate_ = std::make_unique<CTranslateCommands>(CTranslateCommands::Parts{
      *frame_, *clipboard_, *shell_, *searchRunner_, ProgramRoot(), PrivateTempFolder(),
      [this](const std::string& text) { resolver_->OpenTypedLines(text, TypedSource::User); }, AfterClipboardChange});
  browsingData_ = std::make_unique<WebEngineBrowsingData>();
  cleanTrace_ = std::make_unique<CCleanTrace>(CCleanTrace::Parts{
      frame_->commands(), *browsingData_, *history_, app_.typedUrls, app_.profile, app_.queryHistory,
      WritableProgramFile(kQueryHistoryFile), [this] {
        addressBar().ForgetHistory();
        if (panes_->current() == ExplorerPane::History) explorerBar_->ShowPane(ExplorerPane::History);
      }});
  programs_ = std::make_unique<XdgProgramFinder>();
  external_ = std::make_unique<CExternalCommands>(frame_->commands(), *shell_, *programs_);
  mail_ = std::make_unique<CMailCommands>(CMailCommands::Parts{
      *frame_, *shell_, *programs_, PrivateTempFolder(),
      DesktopFolderPath(kFolderDesktop, FolderEnvironment::FromProcess(ProgramDirectory()))});

  // The menus and bars exist from here on; they were built in English.
  window_->AttachFrame(*frame_);
  if (const MenuItem* m = frame_->menu().FindPopup({"Favorites"}))
    if (QMenu* menu = window_->menuOf(*m)) favoritesMenu_ =
          new QtFavoritesMenu(menu, *favorites_, [this] { return FavoritesBreakCount(app_.settings); });
  if (const MenuItem* m = frame_->menu().FindPopup({"Tools", "External"}))
    if (QMenu* menu = window_->menuOf(*m)) {
      // Each item says what it starts here, or why it is greyed out.
      menu->setToolTipsVisible(true);
      QObject::connect(menu, &QMenu::aboutToShow, menu, [this, menu] {
        external_->Refresh();
        for (QAction* a : menu->actions())
          if (unsigned id = a->data().toUInt(); id && !a->menu())
            a->setToolTip(QString::fromStdString(TranslateMessage(external_->Describe(id))));
        window_->UpdateCommandStates();
      });
    }
  languageUi_ = std::make_unique<QtLanguageUi>(*languages_, *window_);
  languageMenu_ = std::make_unique<CLanguageMenu>(*frame_, frame_->menu(), *languages_, app_.settings, *languageUi_);
  languageUi_->TranslateFrame();
  // Over the bands as they now are: their background is the skin's.
  skin_ = std::make_unique<QtSkinFrame>(QtSkinFrame::Parts{
      *window_, *frame_, app_.settings, ProgramSubfolder("skins/"), openHelp, [this](const std::string& url) {
        if (url.starts_with("mailto:"))
          shell_->Open(url);
        else
          resolver_->OpenAddress(url);
      }});
  skin_->Apply(app_.settings.SkinName);

  const Settings& s = app_.settings;
  // The status bar as the user left it; the bands follow later, from their own values.
  window_->bands().SetStatusBarVisible(s.StatusBar != 0);
  if (HasSavedPlacement(s)) window_->setGeometry(s.WPLeft, s.WPTop, s.WPWidth, s.WPHeight);
  frame_->modes().ApplyOfflineState();
  if (s.ShowTrayIcon && s.TrayIcon) frame_->modes().SetTrayIcon(true);
  panes_->Show(CExplorerPanes::FromSetting(s.ExpBar));
  window_->StartTimer();
  // window.external.addFavorite: the Add dialog, filled in with what the page gave.
  window_->engine().addFavorite = [this](const std::string& url, const std::string& title) {
    Trace("add-favorite", url + " " + title);
    if (favorites_) favorites_->AddFavorite(url, title);
  };
  window_->engine().webFormPages = {searchRunner_->postFormPath(), PrivateTempFolder() + "/" + kTranslatePageFile};
  // Home and Home Page both go to the start page.
  window_->engine().homePage = app_.homePage();

  // What the engine leaves to its browser: downloads, logins and printing.
  downloads_ = std::make_unique<CDownloads>(clock);
  downloadsUi_ = std::make_unique<QtDownloads>(*downloads_, *shell_, window_.get());
  window_->statusBar()->addPermanentWidget(downloadsUi_->statusLabel());
  window_->engine().onDownload = [this](QWebEngineDownloadRequest* r) { downloadsUi_->Take(r); };
  window_->engine().askLogin = [this](const LoginRequest& r, std::string& user, std::string& password) {
    return AskLogin(window_.get(), r, user, password);
  };
  window_->engine().print = [this](WebEngineControl& page) { PrintPage(window_.get(), page); };
  window_->engine().pageDialog = MakePageDialog;
  windowCommands_->Add(ID_DOWNLOADS, [this](const CommandContext&) { downloadsUi_->ShowWindow(); });
}

void QtMainWindow::RunWaitingTask() {
  std::function<void()> task = std::move(waitingTask_);
  waitingTask_ = nullptr;
  if (task) task();
}

QtMainWindow::~QtMainWindow() {
  SetMessageTranslator(nullptr);
  window_->engine().onLoadStarted = nullptr;
  // Everything that registered with the frame goes before it.
  languageMenu_.reset();
  languageUi_.reset();
  resolver_->autoLogin = nullptr;
  resolver_->openGroup = nullptr;
  skin_.reset();
  resolver_->runScript = nullptr;
  mail_.reset();
  external_.reset();
  cleanTrace_.reset();
  translate_.reset();
  scripts_.reset();
  pages_.reset();
  pageDialogs_.reset();
  window_->explorerPane = nullptr;
  window_->recordPanes = nullptr;
  explorerBar_->ShowPane(ExplorerPane::None);
  panes_.reset();
  historyRecorder_.reset();
  history_.reset();
  window_->engine().addFavorite = nullptr;
  delete favoritesMenu_;  // it holds the commands
  favorites_.reset();
  favoritesDialogs_.reset();
  groups_.reset();
  groupDialogs_.reset();
  forms_.reset();
  formsDialogs_.reset();
  popups_.reset();
  popupUi_.reset();
  window_->engine().onDownload = nullptr;
  window_->engine().askLogin = nullptr;
  window_->engine().print = nullptr;
  window_->engine().pageDialog = nullptr;
  downloadsUi_.reset();
  windowCommands_.reset();
  addressCommands_.reset();
  // The bar hands the application's lists back before they can go.
  delete quickSearch_;
  quickSearch_ = nullptr;
  searchRunner_.reset();
  addressBar_.reset();
  resolver_.reset();
  window_->DetachFrame();
  frame_.reset();
  window_.reset();
}

}  // namespace kestrel
