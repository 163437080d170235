#pragma once
// Everything the main window is made of, wired as the program runs it: the
// window and its frame, typed text and the Address Bar, the quick search,
// popup blocking, the interface language and the application's commands.
// Made once the application has loaded its settings and lists; torn down
// in the reverse order, every part letting go of the frame before it goes.
#include <memory>
#include <string>

#include "address/address_bar.h"
#include "address/resolver.h"
#include "common/deferred_tasks.h"
#include "frame/main_frame.h"
#include "platform/clock.h"

class QTimer;

namespace kestrel {

class CAddressCommands;
class CDownloads;
class CKestrelApp;
class CLanguageMenu;
class CLanguages;
class CPopupBlocker;
class DesktopShell;
class QtAddressDialogs;
class QtClipboard;
class QtDialogs;
class QtDownloads;
class QtFrameWindow;
class QtLanguageUi;
class QtFormsDialogs;
class CFormsCommands;
class CGroupCommands;
class QtGroupDialogs;
class QtPageDialogs;
class QtFavoritesDialogs;
class QtFavoritesMenu;
class HistoryStore;
class CHistoryRecorder;
class CExplorerPanes;
class QtExplorerBar;
class QtSkinFrame;
class QtScriptDialogs;
class CCustomScripts;
class XdgProgramFinder;
class CExternalCommands;
class CMailCommands;
class CTranslateCommands;
class WebEngineBrowsingData;
class CCleanTrace;
class CFavoritesCommands;
class CPageCommands;
class QtPopupUi;
class QtQuickSearchBar;
class QtSound;
class SearchRunner;

class QtMainWindow {
 public:
  // `dialogs` gets the window as the parent of its message boxes.
  QtMainWindow(CKestrelApp& app, const Clock& clock, const KeyState& keys, QtDialogs* dialogs);
  ~QtMainWindow();
  QtMainWindow(const QtMainWindow&) = delete;
  QtMainWindow& operator=(const QtMainWindow&) = delete;

  QtFrameWindow& window() { return *window_; }
  QtSkinFrame& skin() { return *skin_; }
  CMainFrame& frame() { return *frame_; }
  CGroupCommands& groups() { return *groups_; }
  CAddressResolver& resolver() { return *resolver_; }
  DeferredTasks& deferred() { return *deferred_; }
  CAddressBar& addressBar() { return *addressBar_; }
  CPopupBlocker& popups() { return *popups_; }
  CDownloads& downloads() { return *downloads_; }
  QtDownloads& downloadsUi() { return *downloadsUi_; }
  CExplorerPanes& panes() { return *panes_; }
  QtExplorerBar& explorerBar() { return *explorerBar_; }
  void OpenHelpPage(const std::string& page) { frame_->OpenHelpPage(page); }

 private:
  CKestrelApp& app_;
  std::unique_ptr<CLanguages> languages_;
  std::unique_ptr<QtFrameWindow> window_;
  std::unique_ptr<CMainFrame> frame_;
  std::unique_ptr<CommandScope> windowCommands_;  // Exit and the quick search's Go
  std::unique_ptr<CAddressResolver> resolver_;
  // Sites opened from many lines, one per turn of the event loop.
  std::unique_ptr<DeferredTasks> deferred_;
  // The first of them waits for the engine to start the first page.
  void RunWaitingTask();
  std::function<void()> waitingTask_;
  QTimer* deferredWait_ = nullptr;
  bool deferredBurst_ = false;
  std::unique_ptr<CAddressBar> addressBar_;
  std::unique_ptr<QtClipboard> clipboard_;
  std::unique_ptr<DesktopShell> shell_;
  std::unique_ptr<QtAddressDialogs> addressDialogs_;
  std::unique_ptr<CAddressCommands> addressCommands_;
  std::unique_ptr<SearchRunner> searchRunner_;
  QtQuickSearchBar* quickSearch_ = nullptr;  // owned by its tool bar
  std::unique_ptr<QtSound> sound_;
  std::unique_ptr<QtPopupUi> popupUi_;
  std::unique_ptr<CPopupBlocker> popups_;
  std::unique_ptr<CDownloads> downloads_;
  std::unique_ptr<QtDownloads> downloadsUi_;
  std::unique_ptr<QtLanguageUi> languageUi_;
  std::unique_ptr<CLanguageMenu> languageMenu_;
  std::unique_ptr<QtFormsDialogs> formsDialogs_;
  std::unique_ptr<CFormsCommands> forms_;
  std::unique_ptr<QtGroupDialogs> groupDialogs_;
  std::unique_ptr<CGroupCommands> groups_;
  std::unique_ptr<QtFavoritesDialogs> favoritesDialogs_;
  std::unique_ptr<CFavoritesCommands> favorites_;
  QtFavoritesMenu* favoritesMenu_ = nullptr;  // owned by its menu
  std::unique_ptr<HistoryStore> history_;
  std::unique_ptr<CHistoryRecorder> historyRecorder_;
  QtExplorerBar* explorerBar_ = nullptr;  // owned by the window
  std::unique_ptr<CExplorerPanes> panes_;
  std::unique_ptr<QtPageDialogs> pageDialogs_;
  std::unique_ptr<CPageCommands> pages_;
  std::unique_ptr<QtSkinFrame> skin_;
  std::unique_ptr<QtScriptDialogs> scriptDialogs_;
  std::unique_ptr<CCustomScripts> scripts_;
  std::unique_ptr<XdgProgramFinder> programs_;
  std::unique_ptr<CExternalCommands> external_;
  std::unique_ptr<CMailCommands> mail_;
  std::unique_ptr<CTranslateCommands> translate_;
  std::unique_ptr<WebEngineBrowsingData> browsingData_;
  std::unique_ptr<CCleanTrace> cleanTrace_;
};

}  // namespace kestrel
