#pragma once
// The main frame: the site list, the commands of the frame and the routing
// of everyone else's, the half-second timer, full screen, work offline, the
// tray icon and the status bar with progress.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "frame/frame_window.h"
#include "frame/site_tab_bar.h"
#include "frame/status_bar.h"
#include "platform/profile.h"
#include "site/kestrel_view.h"
#include "site/site_host.h"

namespace kestrel {

// Command ids of the frame's own commands.
enum FrameCommand : unsigned {
  ID_ADDRESS_ENTER = 1,  // the Address Bar's Enter and its Go button
  ID_FILE_OPEN = 57601,
  ID_HOME_PAGE = 32900,
  ID_FROM_CLIPBOARD = 32850,
  ID_SEARCH_WEB = 32790,
  ID_NEXT_WINDOW = 32949,
  ID_PREV_WINDOW = 32951,
  ID_CLOSE_BLANK_FAILED = 32916,
  ID_STOP_ALL = 32971,
  ID_REFRESH_ALL = 32972,
  ID_FULL_SCREEN = 32877,
  ID_WORK_OFFLINE = 32815,
  ID_ALWAYS_NEW = 32810,
  ID_INTERNET_OPTIONS = 32808,
  ID_FOCUS_ADDRESS = 32987,
  ID_ESCAPE = 2,
  ID_BLOCK_POPUP = 32848,
  ID_BLOCK_POPUP_ALT_IMAGE = 32953,
  ID_HIDDEN_SITES = 32861,
  ID_RESTORE_LAST_POPUP = 32862,
};

// One row of the Hidden Sites dialog.
struct HiddenSiteRow {
  CKestrelView* site = nullptr;
  std::string title;
  bool autoClose = false;  // a blocked popup: the timer will close it
  std::string address;
};

inline constexpr const char* kInternetSettingsKey =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// Who a command goes to. The frame handles its own; the others are routed
// to the subsystem that registered for them (nothing happens for one that
// is not there yet).
enum class CommandTarget {
  Frame, App, ActiveSite, Favorites, Groups, AutoLogin, Scripts, Mail, Translation, Language, Forms, Popups,
  SiteFilter, HostCustomisation, QuickSearch, Aliases, Address, DefaultBrowser, CleanTrace, ExternalPrograms,
  Skins, Panes, Toolbars, Nothing,
};

struct CommandRoute {
  unsigned first, last;
  CommandTarget target;
};
// The routing table, as data.
const std::vector<CommandRoute>& CommandRoutes();
CommandTarget RouteOf(unsigned id);

class CMainFrame : public SiteHost {
 public:
  CMainFrame(FrameWindow& window, Profile& profile, Settings& settings, const Clock& clock, const KeyState& keys);
  ~CMainFrame() override;

  using Handler = std::function<bool(unsigned id)>;
  // A subsystem takes the commands routed to `target`.
  void RegisterTarget(CommandTarget target, Handler handler);
  // Every menu, toolbar and accelerator command arrives here first.
  bool OnCommand(unsigned id);

  // Timer 0, every 500 ms.
  void OnTimer(unsigned id);
  static constexpr unsigned kTimerId = 0;
  static constexpr int kTimerMs = 500;
  std::uint32_t tickCount() const { return ticks_; }
  int blinkCount() const { return blink_; }
  // A popup was blocked: the Block Popup button blinks for eight ticks.
  void StartBlink() { blink_ = 0; }

  // The site list, in creation order.
  const std::vector<CKestrelView*>& sites() const { return siteList_; }
  // Each site holds a whole web page: a page that opens windows in a loop
  // must not be able to eat the machine. Past this many, CreateSite refuses.
  static constexpr std::size_t kMaxSites = 500;
  CKestrelView* SiteOf(ChildWindow* window) const;
  // The framework activated this site's child window.
  void OnSiteActivated(ChildWindow* window);
  // A site window was closed from the window itself (its close box).
  void OnSiteCloseRequested(ChildWindow* window);

  bool fullScreen() const { return fullScreen_; }
  void ToggleFullScreen(bool skinActive = false);
  void ToggleWorkOffline();
  // The engine follows the stored offline state (at start).
  void ApplyOfflineState();
  bool IsOffline() const;

  void SetTrayIcon(bool show);
  // Tray callback: the mouse message that arrived.
  enum class TrayMouse { LeftDown, RightDown, Other };
  void OnTrayNotify(TrayMouse message);
  // After the window was resized or minimised.
  void OnSize();
  // The caption the framework composes from the active site's title.
  std::string Caption() const;
  void UpdateCaption();

  // Shell-folder DDE: a command from this process; true when acknowledged.
  bool OnDdeExecute(const std::string& command);

  CStatusBarWithProgress& statusBar() { return status_; }

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
  void AddTab(CKestrelView* site, const std::string& text, bool select) override;
  void SelectTab(CKestrelView* site) override;
  void SetTabText(CKestrelView* site, const std::string& text) override;
  void RedrawTab(CKestrelView* site) override;
  void RemoveTab(CKestrelView* site) override;
  int VisibleSiteCount() const override;
  CKestrelView* CreateSite() override;
  CKestrelView* NewestSite() const override;
  CKestrelView* ActiveView() const override;
  void SiteClosed(CKestrelView* site) override;
  void PostCommand(CKestrelView* site, unsigned id) override;
  void FrameCommand(unsigned id) override { OnCommand(id); }
  void SendToOtherSites(CKestrelView* except, unsigned id) override;

  // Seams for subsystems that arrive later.
  std::function<void(CKestrelView*)> documentCompleted;
  void DocumentCompleted(CKestrelView* v) override;

  // Popup blocking. The site filter's lists answer through these; without
  // them no address matches.
  std::function<bool(const std::string& address)> blackListMatch, whiteListMatch;
  std::function<void(const std::string& address)> addToWhiteList;
  // Asks how to add the site to the white or black list, and does it.
  std::function<void(CKestrelView* site, bool black)> addSiteToFilter;
  // Plays the blocked-popup sound; runs the Hidden Sites dialog.
  std::function<void()> popupSound, showHiddenSites;
  // Opens typed text (about:blank when the last visible site is hidden).
  std::function<void(const std::string& text)> openTypedLines;
  bool IsPopupSuspect(CKestrelView* v, const NavigateRequest& r) override;
  void PopupBlocked(CKestrelView* v) override;
  void SetSiteHidden(CKestrelView* site, bool show) override;
  bool IsSiteAlive(const CKestrelView* site) const override;
  void AddSiteToFilter(CKestrelView* site, bool black) override {
    if (addSiteToFilter && Alive(site)) addSiteToFilter(site, black);
  }
  // "Restore Last Popup Window": the newest blocked site comes back.
  void RestoreLastPopup();
  // Every site whose window is not shown, the newest first.
  std::vector<HiddenSiteRow> HiddenSites() const;

  // Commands sent to every site (Close All, Close All Blank & Failed).
  void CloseAll();
  void CloseBlankAndFailed();
  // Tab-order switching.
  void SwitchSite(bool next);

  // The tab bar: its model, and what the user does on it.
  CSiteTabBar& tabBar() { return tabBar_; }
  void OnTabSelected(int index);
  void OnTabClose(int index);
  // A command of the Site Popup menu, for the tab's site (not the active one).
  void OnSiteMenuCommand(int index, unsigned id);
  // What a tab shows of its site's download.
  static TabStatus TabStatusOf(const CKestrelView* site);

 private:
  struct Site;
  Site* Find(CKestrelView* view) const;
  bool OwnCommand(unsigned id);
  bool PopupCommand(unsigned id);
  bool Alive(const CKestrelView* view) const;

  FrameWindow& window_;
  Profile& profile_;
  Settings& settings_;
  const Clock& clock_;
  const KeyState& keys_;
  std::vector<std::unique_ptr<Site>> owned_;
  std::vector<CKestrelView*> siteList_;
  CSiteTabBar tabBar_;
  CKestrelView* active_ = nullptr;
  std::map<CommandTarget, Handler> targets_;
  CStatusBarWithProgress status_;
  std::uint32_t ticks_ = 0;
  int blink_ = -1;
  bool fullScreen_ = false;
  WindowRect beforeFullScreen_;
  bool busy_ = false;
};

}  // namespace kestrel
