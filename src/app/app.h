#pragma once
// The application object: start-up, the single-instance hand-off, the
// application's own commands and the shutdown routine.
#include <memory>
#include <string>

#include "address/alias.h"
#include "address/resolver.h"
#include "address/search_engines.h"
#include "address/typed_urls.h"
#include "forms/autologin.h"
#include "forms/form_data.h"
#include "frame/command_registry.h"
#include "platform/default_browser.h"
#include "platform/dialogs.h"
#include "platform/instance.h"
#include "platform/profile.h"
#include "platform/profile_file.h"
#include "settings/settings.h"
#include "settings/store.h"
#include "popups/site_filter.h"

namespace kestrel {

class CMainFrame;

inline constexpr const char* kMainWindowClass = "Kestrel MainFrame";

// What start-up needs from the windowing side (the main frame and its sites).
class AppHost {
 public:
  virtual ~AppHost() = default;
  // Brings the toolkit and the web engine up; false ends the start.
  virtual bool InitToolkit() = 0;
  // Called once the toolkit is up: where the hand-off socket's connections go.
  virtual void AttachHandoffSocket(int listenFd) = 0;
  virtual bool CreateMainFrame() = 0;
  virtual bool NewSite() = 0;  // appended to the site list; false when none can be made
  virtual void NavigateNewestSite(const std::string& url) = 0;
  virtual void ShowFrame(bool maximized) = 0;
  virtual void RestoreBandLayout() = 0;
  virtual void EnableAddressCompletion() = 0;
  virtual void RestoreFrame() = 0;  // from minimised or hidden in the tray, and raise it
  virtual void OpenTypedLines(const std::string& text, TypedSource source) = 0;
  virtual void GoHomeInTargetSite() = 0;
  virtual void OpenGroup(const std::string& name) = 0;
  virtual void OpenInNewSite(const std::string& url) = 0;
  virtual void CloseAllSites() = 0;
  virtual void RemoveTrayIcon() = 0;
  virtual void SetTrayIcon(bool show) = 0;
  // The Filter Definition dialog on the black or the white list.
  virtual void EditFilterList(bool black) = 0;
  virtual void RereadBlankSitesDownloadOptions() = 0;
  // The main frame and all it holds go while the settings, lists and
  // profile they read and write still exist.
  virtual void DestroyMainFrame() = 0;
  // nullptr while there is no frame.
  virtual FrameState* frameState() = 0;
  virtual CMainFrame* mainFrame() { return nullptr; }
};

struct AppServices {
  AppHost* host = nullptr;
  Dialogs* dialogs = nullptr;
  DefaultBrowser* defaultBrowser = nullptr;
  SingleInstance* instance = nullptr;
  SettingsLists* lists = nullptr;  // nullptr: no list files yet
  std::string profilePath;         // "" = ProfileFile::DefaultPath()
  SystemVersion system;
  std::string homePage;            // the product home page; "" = the bundled welcome page
};

class CKestrelApp {
 public:
  explicit CKestrelApp(AppServices services);
  ~CKestrelApp();

  // The start-up sequence. False ends the process: `exitCode()` says how
  // (0 for a second instance whose hand-off was handled).
  bool InitInstance(const std::string& commandLine);
  int ExitInstance();
  int exitCode() const { return exitCode_; }

  void NewBlankSite();
  void RunStartupOptions();
  bool SaveAndRelease();

  // The receiving side of the hand-off; true when the text was taken.
  bool OnCopyData(std::uint32_t code, const std::string& text);

  // New, Home Page, Options, Content and Tip of the Day.
  void RegisterCommands(CommandRegistry& registry);

  Settings settings;
  RegistryProfile profile;
  // alias.txt, read at start-up and replaced whenever the dialog closes.
  AliasList aliases;
  // The Address Bar's drop-down; the frame loads it, the exit saves it.
  TypedUrlList typedUrls;
  // The black and white lists of filter.dat, read at start-up, written at exit.
  CSiteFilter siteFilter;
  // autologin.ini and the active form data files, read at start-up; the
  // AutoLogin list is written back at exit when it changed.
  CAutoLoginList autoLogin;
  CFormData formData;
  // englist.ini and searchhis.ini: the frame loads them, the exit saves the history.
  CSearchEngines searchEngines;
  QueryHistory queryHistory;
  // The history as the frame loaded it; an unchanged one is not written again.
  std::vector<std::string> loadedQueryHistory;
  static constexpr const char* kAliasFile = "alias.txt";
  static constexpr const char* kFilterFile = "filter.dat";
  static std::string AliasPath();  // where the alias list is saved
  static ProgramFolder FormsFolder();
  SettingsStore& store() { return store_; }
  const std::string& profilePath() const { return profileFile_.path(); }
  std::string homePage() const;
  bool classRegistered() const { return classRegistered_; }

 private:
  void CheckDefaultBrowser();
  // The lists the frame's bars show: the typed addresses, the search
  // engines and the query history.
  void LoadFrameLists();
  void FirstRunDialogs();
  void ShowOptions();
  void ShowTips();

  // The list files this object owns, and the others passed through.
  class Lists : public SettingsLists {
   public:
    Lists(CKestrelApp& app, SettingsLists* others) : app_(app), others_(others ? *others : none_) {}
    void LoadFilterLists() override;
    void LoadAutoLogin() override;
    void LoadAliases() override;
    void LoadActiveForms(const std::vector<std::string>& f) override;
    void SaveTypedAddresses() override;
    void SaveQuickSearchHistory() override;
    void SaveFilterLists() override;
    void SaveAutoLogin() override;
    // The dialog writes alias.txt each time it changes the list; writing it
    // again at exit would only fail loudly in a read-only program folder.
    void SaveAliases() override { others_.SaveAliases(); }
    void ClearAutoLogin() override;
    void ReleaseForms() override;

   private:
    CKestrelApp& app_;
    std::vector<std::string> loadedBlack_, loadedWhite_;
    std::vector<AutoLoginEntry> loadedAutoLogin_;
    SettingsLists none_;
    SettingsLists& others_;
  };

  AppServices svc_;
  Lists lists_;
  ProfileFile profileFile_;
  SettingsStore store_;
  bool classRegistered_ = false;
  bool released_ = false;
  int exitCode_ = 0;
};

}  // namespace kestrel
