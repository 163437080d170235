#pragma once
// The main frame: owns the sites and their list, the command registry, the
// half-second timer, full screen, work offline, the tray icon and the
// status bar with progress. Commands reach the registry through it; sites
// reach the bars through it (SiteHost).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "frame/command_ids.h"
#include "frame/command_registry.h"
#include "frame/frame_modes.h"
#include "frame/frame_window.h"
#include "frame/main_menu.h"
#include "frame/session.h"
#include "frame/site_list.h"
#include "frame/site_tab_bar.h"
#include "frame/status_bar.h"
#include "platform/profile.h"
#include "site/kestrel_view.h"
#include "site/popup_guard.h"
#include "site/site_permissions.h"
#include "site/site_host.h"

namespace kestrel {

// Told when a site's top-level document has completed.
class DocumentObserver {
 public:
  virtual ~DocumentObserver() = default;
  virtual void DocumentCompleted(CKestrelView& site) = 0;
};

class CMainFrame : public SiteHost, private SiteListObserver {
 public:
  CMainFrame(FrameWindow& window, Profile& profile, Settings& settings, const Clock& clock, const KeyState& keys);
  ~CMainFrame() override;
  CMainFrame(const CMainFrame&) = delete;
  CMainFrame& operator=(const CMainFrame&) = delete;

  CommandRegistry& commands() { return commands_; }
  // The main menu's items; the window shows them.
  CMainMenu& menu() { return menu_; }
  const CommandRegistry& commands() const { return commands_; }
  // Every menu, toolbar and accelerator command arrives here, for the active site.
  bool OnCommand(unsigned id);
  CommandState CommandStateOf(unsigned id) const;
  // A command of the Site Popup menu, for the tab's site (not the active one).
  bool OnSiteMenuCommand(int tabIndex, unsigned id);

  // Timer 0, every 500 ms.
  void OnTimer(unsigned id);
  static constexpr unsigned kTimerId = 0;
  static constexpr int kTimerMs = 500;
  std::uint32_t tickCount() const { return ticks_; }
  int blinkCount() const { return blink_; }
  // A popup was blocked: the Block Popup button blinks for eight ticks.
  void StartBlink() { blink_ = 0; }

  const CSiteList& sites() const { return sites_; }
  // Each site holds a whole web page: a page that opens windows in a loop
  // must not be able to eat the machine. Past this many, CreateSite refuses.
  static constexpr std::size_t kMaxSites = 500;
  bool IsSiteAlive(const CKestrelView* site) const { return sites_.Contains(site); }
  CKestrelView* SiteOf(ChildWindow* window) const;
  // The window system activated this site's child window.
  void OnSiteActivated(ChildWindow* window);
  // A site window was closed from the window itself (its close box).
  void OnSiteCloseRequested(ChildWindow* window);
  // Hide Site and its way back: the site goes off the tab bar and out of
  // view, or comes back with a tab and becomes the active site.
  void HideSite(CKestrelView* site);
  void ShowHiddenSite(CKestrelView* site);
  // A site of its own for `url`; the user is told when none can be made.
  void OpenInNewSite(const std::string& url);
  // Help pages open in a site of their own.
  void OpenHelpPage(const std::string& page);

  // The open sites are kept in `path` from now on, written with the timer
  // at most once a second when they changed; EndSession removes the file
  // (a normal shutdown).
  void KeepSession(const std::string& path);
  void EndSession();
  const CSessionKeeper* sessionKeeper() const { return session_.get(); }
  // Opens the sites of a session left by a run that ended abnormally, the
  // first in the active site when that is blank, and activates its active one.
  void ReopenSites(const SessionSites& session);

  // Popup blocking judges the sites' navigations; without a guard nothing is blocked.
  void SetPopupGuard(PopupGuard* guard) { guard_ = guard ? guard : &noGuard_; }
  void AddSiteObserver(SiteListObserver* observer) { sites_.AddObserver(observer); }
  void RemoveSiteObserver(SiteListObserver* observer) { sites_.RemoveObserver(observer); }
  void AddDocumentObserver(DocumentObserver* observer);
  void RemoveDocumentObserver(DocumentObserver* observer);

  // Full screen, work offline and the tray icon.
  CFrameModes& modes() { return modes_; }

  // The caption the framework composes from the active site's title.
  std::string Caption() const;

  // Shell-folder DDE: a command from this process; true when acknowledged.
  bool OnDdeExecute(const std::string& command);

  CStatusBarWithProgress& statusBar() { return status_; }

  // Closes every site `which` picks; a site already gone when its turn
  // comes is skipped.
  void CloseSitesWhere(const std::function<bool(const CKestrelView&)>& which);
  // Commands sent to every site (Close All, Close All Blank & Failed).
  void CloseAll();
  void CloseBlankAndFailed();

  // The tab bar: its model, and what the user does on it.
  CSiteTabBar& tabBar() { return tabBar_; }
  void OnTabSelected(int index);
  void OnTabClose(int index);
  // What a tab shows of its site's download.
  static TabStatus TabStatusOf(const CKestrelView* site);

  // SiteHost
  const Settings& settings() const override { return settings_; }
  const Clock& clock() const override { return clock_; }
  const KeyState& keys() const override { return keys_; }
  void SetAddressText(const std::string& text) override { window_.SetAddressText(text); }
  bool AddressBeingEdited() const override { return window_.AddressBeingEdited(); }
  void ClearAddressEditing() override { window_.ClearAddressEditing(); }
  void SetBusy(bool busy) override;
  void SetMessageText(const std::string& text) override;
  void ShowProgress(bool show) override;
  void SetProgressPos(int percent) override;
  void ShowSite(CKestrelView* site, const std::string& tabText, bool activate) override;
  void SetTabText(CKestrelView* site, const std::string& text) override;
  void RedrawTab(CKestrelView* site) override;
  int VisibleSiteCount() const override;
  CKestrelView* CreateSite() override;
  CKestrelView* NewestSite() const override { return sites_.newest(); }
  CKestrelView* ActiveView() const override { return sites_.active(); }
  void SiteClosed(CKestrelView* site) override;
  void PostToSite(CKestrelView* site, std::function<void(CKestrelView&)> task) override;
  PopupGuard& popups() override { return *guard_; }
  SitePermissions& permissions() override { return permissions_; }
  void DocumentCompleted(CKestrelView* site) override;
  std::uint32_t NewSiteDownloadControl() const override { return InitialDownloadControl(profile_, settings_); }
  void Beep() override { window_.Beep(); }

 private:
  struct Site {
    ChildWindow* window = nullptr;
    std::unique_ptr<CKestrelView> view;
  };
  void RegisterCommands();
  void Activate(CKestrelView* site);
  void UpdateCaption();
  // SiteListObserver
  void ActiveChanged(CKestrelView* site) override;

  FrameWindow& window_;
  Profile& profile_;
  Settings& settings_;
  const Clock& clock_;
  const KeyState& keys_;
  CommandRegistry commands_;
  CMainMenu menu_;
  CSiteList sites_;
  CSiteTabBar tabBar_{sites_};
  std::unordered_map<const CKestrelView*, Site> owned_;
  PopupGuard noGuard_;
  PopupGuard* guard_ = &noGuard_;
  SitePermissions permissions_;
  std::vector<DocumentObserver*> documentObservers_;
  CStatusBarWithProgress status_;
  CFrameModes modes_{window_, profile_, settings_, sites_};
  std::uint32_t ticks_ = 0;
  std::unique_ptr<CSessionKeeper> session_;
  // Sites of a reopened session not shown yet, and the one to activate then.
  struct {
    std::vector<CKestrelView*> pending;
    CKestrelView* active = nullptr;
  } reopening_;
  void ReopenedSiteSettled(CKestrelView* site);
  int blink_ = -1;
  bool busy_ = false;
};

}  // namespace kestrel
