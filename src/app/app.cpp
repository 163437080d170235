#include "app/app.h"

#include <cstdio>

#include "app/tips.h"
#include "common/cipher.h"
#include "common/message.h"
#include "common/progdir.h"
#include "common/textfile.h"
#include "common/trace.h"
#include "frame/command_ids.h"
#include "frame/main_frame.h"
#include "frame/session.h"
#include "settings/download_control.h"
#include "platform/handoff.h"

namespace kestrel {

CKestrelApp::CKestrelApp(AppServices services)
    : svc_(std::move(services)),
      lists_(*this, svc_.lists),
      profileFile_(svc_.profilePath.empty() ? ProfileFile::DefaultPath() : svc_.profilePath),
      store_(profile, settings, svc_.system) {}

CKestrelApp::~CKestrelApp() { svc_.host->DestroyMainFrame(); }

// Each list is read from the user's own copy when there is one, else from the
// installed one, and saved to the user's copy (see ProgramFolder).
std::string CKestrelApp::AliasPath() { return WritableProgramFile(kAliasFile); }
ProgramFolder CKestrelApp::FormsFolder() { return ProgramSubfolder(kFormsFolder); }

void CKestrelApp::Lists::LoadAutoLogin() {
  app_.autoLogin.Load(ProgramFile(kAutoLoginFile));  // a missing file is an empty list
  loadedAutoLogin_ = app_.autoLogin.entries();
  others_.LoadAutoLogin();
}

void CKestrelApp::Lists::SaveAutoLogin() {
  // Like the filter lists: only a changed list is written, and a failed
  // write leaves the old file and says so.
  if (app_.autoLogin.entries() != loadedAutoLogin_) {
    if (app_.autoLogin.Save(WritableProgramFile(kAutoLoginFile))) loadedAutoLogin_ = app_.autoLogin.entries();
    else ShowMessage(kAutoLoginSaveFailed);
  }
  others_.SaveAutoLogin();
}

void CKestrelApp::Lists::ClearAutoLogin() {
  app_.autoLogin.entries().clear();
  loadedAutoLogin_.clear();
  others_.ClearAutoLogin();
}

void CKestrelApp::Lists::LoadActiveForms(const std::vector<std::string>& active) {
  app_.formData.Load(FormsFolder(), active);
  others_.LoadActiveForms(active);
}

void CKestrelApp::Lists::ReleaseForms() {
  app_.formData.Clear();
  others_.ReleaseForms();
}

void CKestrelApp::Lists::LoadFilterLists() {
  app_.siteFilter.LoadSiteFilter(ProgramFile(kFilterFile));
  loadedBlack_ = app_.siteFilter.Black();
  loadedWhite_ = app_.siteFilter.White();
  others_.LoadFilterLists();
}

void CKestrelApp::Lists::SaveQuickSearchHistory() {
  const std::vector<std::string>& now = app_.queryHistory.items();
  if (now != app_.loadedQueryHistory && !app_.queryHistory.SaveQueryHistory(WritableProgramFile(kQueryHistoryFile)))
    ShowMessage("Can't save the search history!");
  others_.SaveQuickSearchHistory();
}

void CKestrelApp::Lists::SaveFilterLists() {
  // Unchanged lists are not written: a read-only program folder would
  // otherwise complain at every exit. Changed ones must not vanish without a word.
  const CSiteFilter& f = app_.siteFilter;
  if ((f.Black() != loadedBlack_ || f.White() != loadedWhite_) && !f.SaveSiteFilter(WritableProgramFile(kFilterFile)))
    ShowMessage(kSiteFilterSaveFailed);
  others_.SaveFilterLists();
}

void CKestrelApp::Lists::LoadAliases() {
  app_.aliases.LoadAliases(ProgramFile(kAliasFile));
  others_.LoadAliases();
}

void CKestrelApp::Lists::SaveTypedAddresses() {
  app_.typedUrls.Save(app_.profile);
  others_.SaveTypedAddresses();
}

std::string CKestrelApp::homePage() const {
  return svc_.homePage.empty() ? "file://" + ProgramFile("help/welcome.htm") : svc_.homePage;
}

bool CKestrelApp::InitInstance(const std::string& commandLine) {
  // Find a running instance; if there is one, hand it the text and end.
  switch (svc_.instance->Claim()) {
    case SingleInstance::Role::Second: {
      std::string error;
      if (svc_.instance->HandOff(commandLine, 120000, &error)) {
        exitCode_ = 0;
        return false;
      }
      // It may have ended while we tried; then this start is the first.
      if (svc_.instance->Claim() != SingleInstance::Role::First) {
        std::fprintf(stderr, "kestrel: %s\n", error.c_str());
        exitCode_ = 1;
        return false;
      }
      break;
    }
    case SingleInstance::Role::Failed:
      ShowMessage("Failed to register window class");
      exitCode_ = 1;
      return false;
    case SingleInstance::Role::First:
      break;
  }

  // Registering the main-window class is owning the hand-off socket.
  std::string error;
  int listenFd = svc_.instance->Listen(&error);
  if (listenFd < 0) {
    ShowMessage("Failed to register window class");
    exitCode_ = 1;
    return false;
  }
  classRegistered_ = true;

  if (!svc_.host->InitToolkit()) {
    exitCode_ = 1;
    return false;
  }
  SetMessagePresenter(svc_.dialogs);

  // The cipher stands where the crypto provider stood: if it does not give
  // back what it took, no stored password could be trusted.
  if (DecipherPassword(EncipherPassword("Kestrel")) != "Kestrel") {
    ShowMessage("Can't start crypt engine!");
    exitCode_ = 1;
    return false;
  }

  switch (profileFile_.Load(profile)) {
    case ProfileFile::LoadResult::KeptAside:
      ShowMessage("The settings file could not be read and was kept aside as:\n" + profileFile_.asidePath() +
                  "\nKestrel starts with the default settings.");
      break;
    case ProfileFile::LoadResult::Unreadable:
      ShowMessage("The settings file could not be read:\n" + profileFile_.path() +
                  "\nKestrel starts with the default settings.");
      break;
    default:
      break;
  }
  Trace("profile-read");
  store_.LoadSettings(lists_);
  Trace("settings");

  CheckDefaultBrowser();

  LoadFrameLists();
  Trace("lists");
  if (!svc_.host->CreateMainFrame()) {
    exitCode_ = 1;
    return false;
  }
  Trace("main-window-built");

  NewBlankSite();
  svc_.host->ShowFrame(settings.WPMaximized);
  Trace("window-shown");
  // Hand-offs are taken from here on, when there is a frame to open them in;
  // a second start that came earlier waits in the socket's queue.
  svc_.host->AttachHandoffSocket(listenFd);
  // The band layout settles only on the second pass.
  svc_.host->RestoreBandLayout();
  svc_.host->RestoreBandLayout();

  if (settings.FirstRun) FirstRunDialogs();
  svc_.host->EnableAddressCompletion();
  if (settings.RunCount == 10) svc_.dialogs->DonationDialog();

  // The sites a run that ended abnormally left behind; read before this
  // run's own session replaces them.
  CMainFrame* frame = svc_.host->mainFrame();
  const std::string sessionPath = UserDataDirectory() + kSessionFile;
  const std::optional<SessionSites> left = frame ? ReadSession(sessionPath) : std::nullopt;
  if (frame && MakeDirectories(UserDataDirectory())) frame->KeepSession(sessionPath);

  if (!commandLine.empty())
    svc_.host->OpenTypedLines(commandLine, TypedSource::OtherProcess);
  else if (settings.FirstRun)
    svc_.host->OpenTypedLines(homePage(), TypedSource::User);
  if (commandLine.empty()) RunStartupOptions();
  if (left && !left->addresses.empty() && svc_.dialogs->ReopenSitesQuestion()) frame->ReopenSites(*left);
  return true;
}

void CKestrelApp::LoadFrameLists() {
  typedUrls.Load(profile);
  searchEngines.LoadSearchEngines(ProgramFile(kSearchEnginesFile));
  queryHistory.LoadQueryHistory(ProgramFile(kQueryHistoryFile));
  loadedQueryHistory = queryHistory.items();
}

void CKestrelApp::CheckDefaultBrowser() {
  if (!settings.ChkDefBrowser || !svc_.defaultBrowser || svc_.defaultBrowser->IsDefault()) return;
  bool neverAsk = false;
  if (svc_.dialogs->DefaultBrowserDialog(neverAsk)) {
    if (!svc_.defaultBrowser->Register()) ShowMessage("Kestrel could not be made the default browser.");
  } else {
    settings.ChkDefBrowser = !neverAsk;
  }
}

void CKestrelApp::FirstRunDialogs() {
  svc_.dialogs->NewsletterDialog();
  bool noScriptError = settings.NoScriptError, autoClosePopup = settings.AutoClosePopup;
  if (svc_.dialogs->ConfigurationWizard(noScriptError, autoClosePopup)) {
    settings.NoScriptError = noScriptError;
    store_.ApplyScriptDebuggerSwitch();
    settings.AutoClosePopup = autoClosePopup;
  }
}

int CKestrelApp::ExitInstance() {
  if (classRegistered_) {
    svc_.instance->Release();
    classRegistered_ = false;
  }
  return exitCode_;
}

void CKestrelApp::NewBlankSite() {
  // With no new site, navigating "the newest" would blank a page the user has.
  if (!svc_.host->NewSite()) {
    ShowMessage("Can't open another site: too many sites are open.");
    return;
  }
  svc_.host->NavigateNewestSite("about:blank");
}

void CKestrelApp::RunStartupOptions() {
  if (settings.SUIEHomePage) svc_.host->GoHomeInTargetSite();
  if (settings.SUOpenPage) svc_.host->OpenTypedLines(settings.SUUrl, TypedSource::User);
  if (settings.SUOpenGroup) svc_.host->OpenGroup(settings.SUGroup);
  if (settings.SUExecScript) svc_.host->OpenTypedLines(settings.SUScript, TypedSource::User);
}

bool CKestrelApp::SaveAndRelease() {
  // The frame's close and the end of the session can both ask; save once.
  if (released_) return true;
  released_ = true;
  store_.SaveSettings(lists_, svc_.host->frameState());
  std::string error;
  if (!profileFile_.Save(profile, &error))
    ShowMessage("Can't save the settings to " + profileFile_.path() + ":\n" + error);
  // A normal end leaves no session behind to be offered at the next start.
  if (CMainFrame* frame = svc_.host->mainFrame()) frame->EndSession();
  svc_.host->CloseAllSites();
  svc_.host->RemoveTrayIcon();
  return true;
}

bool CKestrelApp::OnCopyData(std::uint32_t code, const std::string& text) {
  if (code != kHandoffCode) return false;
  svc_.host->RestoreFrame();
  if (!text.empty()) svc_.host->OpenTypedLines(text, TypedSource::OtherProcess);
  return true;
}

void CKestrelApp::RegisterCommands(CommandRegistry& r) {
  r.Add(ID_FILE_NEW, [this](const CommandContext&) { NewBlankSite(); });
  r.Add(ID_HOME_PAGE, [this](const CommandContext&) { svc_.host->GoHomeInTargetSite(); });
  r.Add(ID_OPTIONS, [this](const CommandContext&) { ShowOptions(); });
  r.Add(ID_HELP_CONTENT,
        [this](const CommandContext&) { svc_.host->OpenInNewSite("file://" + ProgramFile("help/index.htm")); });
  r.Add(ID_TIP_OF_THE_DAY, [this](const CommandContext&) { ShowTips(); });
  r.Add(
      ID_SET_DEFAULT_BROWSER,
      [this](const CommandContext&) {
        if (!ShowMessage("Are you sure to register Kestrel as your default Browser?", MessageKind::Question)) return;
        // Said when it fails: the next start would otherwise only ask again.
        if (!svc_.defaultBrowser->Register()) ShowMessage("Kestrel could not be made the default browser.");
      },
      [this](const CommandContext&) { return CommandState{svc_.defaultBrowser != nullptr, false}; });
  r.Add(ID_SUPPRESS_SCRIPT_ERRORS, [this](const CommandContext&) {
    settings.NoScriptError = !settings.NoScriptError;
    store_.ApplyScriptDebuggerSwitch();
  }, CommandRegistry::Checked([this] { return settings.NoScriptError != 0; }));
}

void CKestrelApp::ShowOptions() {
  StartupOptions su{settings.SUIEHomePage, settings.SUOpenPage,   settings.SUUrl,   settings.SUOpenGroup,
                    settings.SUGroup,      settings.SUExecScript, settings.SUScript};
  GeneralOptions g{settings.AutoClosePopup,  settings.RecPPTime,     settings.RecPPLook, settings.BeepPopup,
                   settings.AutoCloseFilter, settings.NoScriptError, settings.AutoNew,   settings.ShowTrayIcon};
  const GeneralOptions before = g;
  MiscOptions misc = ReadMiscOptions(profile, settings);
  if (!svc_.dialogs->OptionsSheet(su, g, misc, [this](bool black) { svc_.host->EditFilterList(black); })) return;
  StoreMiscOptions(misc, profile, settings);
  settings.AutoClosePopup = g.AutoClosePopup;
  settings.RecPPTime = g.RecPPTime;
  settings.RecPPLook = g.RecPPLook;
  settings.BeepPopup = g.BeepPopup;
  settings.AutoCloseFilter = g.AutoCloseFilter;
  settings.AutoNew = g.AutoNew;
  // These two take effect at once.
  settings.NoScriptError = g.NoScriptError;
  if (g.NoScriptError != before.NoScriptError) store_.ApplyScriptDebuggerSwitch();
  settings.ShowTrayIcon = g.ShowTrayIcon;
  if (g.ShowTrayIcon != before.ShowTrayIcon) svc_.host->SetTrayIcon(g.ShowTrayIcon);
  settings.SUIEHomePage = su.SUIEHomePage;
  settings.SUOpenPage = su.SUOpenPage;
  settings.SUUrl = su.SUUrl;
  settings.SUOpenGroup = su.SUOpenGroup;
  settings.SUGroup = su.SUGroup;
  settings.SUExecScript = su.SUExecScript;
  settings.SUScript = su.SUScript;
  svc_.host->RereadBlankSitesDownloadOptions();
}

void CKestrelApp::ShowTips() {
  TipsModel tips(TipsModel::LoadTips(ProgramFile("tips.txt")), settings.TipNum, settings.ShowTip);
  svc_.dialogs->TipOfTheDay(tips);
  settings.ShowTip = tips.showTip();
  if (!tips.empty()) settings.TipNum = tips.tipNum();
}

}  // namespace kestrel
