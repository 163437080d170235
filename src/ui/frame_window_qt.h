#pragma once
// The main window on Qt: menus and toolbar with numeric command ids, the
// Address Bar, the site tabs, the MDI area of sites, the status bar with
// progress, the tray icon and the half-second timer. It forwards every
// event to the frame's logic through the callbacks it is handed.
#include <QIcon>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <vector>

#include "address/address_bar.h"
#include "frame/frame_window.h"
#include "frame/main_frame.h"
#include "frame/toolbars.h"

class QAction;
class QComboBox;
class QCompleter;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMenu;
class QProgressBar;
class QSystemTrayIcon;
class QTimer;
class QToolBar;

namespace kestrel {

class QtChildWindow;
class QtSiteTabBar;
class CSiteTabBar;

class QtFrameWindow : public QMainWindow, public FrameWindow, public FrameState, public AddressBarView {
  Q_OBJECT
 public:
  struct Callbacks {
    std::function<bool(unsigned id)> command;
    // Bit 0: enabled, bit 1: checked.
    std::function<int(unsigned id)> commandState;
    // An entry of the Address Bar's drop-down was chosen.
    std::function<void(int index)> addressChosen;
    // Escape in the Address Bar.
    std::function<void()> addressEscape;
    std::function<void(ChildWindow*)> siteActivated;
    std::function<void(ChildWindow*)> siteCloseRequested;
    std::function<void(CMainFrame::TrayMouse)> tray;
    std::function<void()> sized;
    std::function<void()> timer;
    std::function<void()> closing;
    // The tab bar: a tab chosen, a tab to close, a Site Popup command for a tab's site.
    std::function<void(int)> tabSelected;
    std::function<void(int)> tabClose;
    std::function<void(int, unsigned)> siteMenuCommand;
    // The page history behind (false) or ahead (true) of the active site,
    // nearest first, for the Back and Forward drop-downs; and the choice.
    std::function<std::vector<std::string>(bool forward)> historyItems;
    std::function<void(bool forward, int steps)> historyChosen;
  };
  explicit QtFrameWindow(Callbacks callbacks);
  ~QtFrameWindow() override;

  void StartTimer();
  QMdiArea* mdiArea() const { return mdi_; }
  QtSiteTabBar* tabBar() const { return tabs_; }
  // The frame's tab model, once the frame exists; the window draws it.
  void AttachTabBar(CSiteTabBar& model, std::function<TabStatus(const CKestrelView*)> status);
  // Before the frame and its model go.
  void DetachTabBar();
  QLineEdit* addressEdit() const;
  QComboBox* addressBox() const { return addressBox_; }
  // AddressBarView
  std::string AddressText() const override;
  void SetAddressTextTrimmed(const std::string& text) override;
  void ShowPageAddress(const std::string& text) override { SetAddressText(text); }
  void SetAddressItems(const std::vector<std::string>& items) override;
  void SetAddressCompletions(const std::vector<std::string>& typed,
                             const std::vector<std::string>& visited) override;
  QAction* action(unsigned id) const;

  // FrameWindow
  bool CreateSiteWindow(ChildWindow*& window, BrowserControl*& control) override;
  void DestroySiteWindow(ChildWindow* window) override;
  void Post(std::function<void()> task) override;
  bool IsMinimized() const override { return isMinimized(); }
  bool IsVisible() const override { return isVisible(); }
  void Restore() override;
  void Hide() override { hide(); }
  void BringToFront() override;
  void SetCaption(const std::string& text) override;
  void ActivateSite(ChildWindow* window) override;
  void SetRebarVisible(bool visible) override;
  void SetCaptionAndBorder(bool caption, bool border) override;
  WindowRect Rectangle() const override;
  void SetRectangle(const WindowRect& rc) override;
  WindowRect PrimaryScreen() const override;
  void SetStatusText(const std::string& text) override;
  void SetProgressVisible(bool visible) override;
  void SetProgressPos(int percent) override;
  void SetBusyIndicator(bool busy) override;
  void SetAddressText(const std::string& text) override;
  bool AddressBeingEdited() const override { return editing_; }
  void ClearAddressEditing() override { editing_ = false; }
  void SetAddressEditing() { editing_ = true; }
  void AddTab(ChildWindow* window, const std::string& text, bool select) override;
  void SelectTab(ChildWindow* window) override;
  void SetTabText(ChildWindow* window, const std::string& text) override;
  void RedrawTab(ChildWindow* window) override;
  void RemoveTab(ChildWindow* window) override;
  void SetTrayIcon(bool show) override;
  void ShowFileMenuAtCursor() override;
  void UpdateCommandStates() override;
  void SetBlockPopupAlternate(bool alternate) override;
  bool blockPopupFlashing() const { return blockAlternate_; }
  void SetEngineOffline(bool offline) override;

  // The standard toolbar and the bands.
  void ApplyToolbarButtons(const ToolbarButtons& buttons);
  const ToolbarButtons& toolbarButtons() const { return buttons_; }
  QToolBar* standardToolBar() const { return toolbar_; }
  QToolBar* addressToolBar() const { return addressBar_; }
  QToolBar* quickSearchToolBar() const { return quickSearch_; }
  // The Quick-Search Bar's contents, a band of its own next to the Address Bar.
  void SetQuickSearchWidget(QWidget* widget);
  // Band commands: Address Bar, Quick-Search Bar, Site Tab, Standard Tool
  // Bar, Status Bar, Lock Toolbars, Customize Standard Tool Bar...
  bool BarCommand(unsigned id);
  // Bit 0 enabled, bit 1 checked; -1 for an id that is not a band command.
  int BarCommandState(unsigned id) const;
  bool barsLocked() const { return locked_; }
  void SetBarsLocked(bool locked);
  // The stored band layout, or the default one when it is of no use.
  void RestoreBars(const Profile& profile);
  BandLayout CurrentBands() const;
  // The customise dialog; replaceable by tests.
  std::function<bool(QWidget* parent, ToolbarButtons& buttons)> customizeToolbar;
  static QString ButtonText(unsigned id);
  QIcon ButtonIcon(unsigned id) const;

  // FrameState
  void RecordBars(Profile& profile) override;
  int ExplorerPane() const override { return 0; }
  bool StatusBarVisible() const override;
  WindowRect WindowRectangle() const override;
  bool IsZoomed() const override { return isMaximized(); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QAction* Command(QMenu* menu, unsigned id, const QString& text, const QKeySequence& key = {},
                   bool checkable = false);
  void BuildMenus();
  void BuildToolBar();
  void BuildAddressBar();
  void BuildBandMenu(QMenu* view);
  QWidget* BandWidget(unsigned id) const;
  void ShowHistoryMenu(bool forward, QWidget* button);
  bool eventFilter(QObject* watched, QEvent* event) override;

  Callbacks cb_;
  QMdiArea* mdi_;
  QtSiteTabBar* tabs_ = nullptr;
  QMenu* siteMenu_ = nullptr;
  QComboBox* addressBox_;
  QCompleter* completer_;
  QToolBar* toolbar_ = nullptr;
  QToolBar* addressBar_ = nullptr;
  QToolBar* quickSearch_ = nullptr;
  ToolbarButtons buttons_;
  bool locked_ = false;
  QMenu* bandMenu_ = nullptr;
  QLabel* busy_;
  QLabel* message_;
  QProgressBar* progress_;
  QTimer* timer_;
  QMenu* fileMenu_ = nullptr;
  QSystemTrayIcon* tray_ = nullptr;
  std::map<unsigned, QAction*> actions_;
  bool blockAlternate_ = false;
  QPointer<QtChildWindow> lastActive_;
  bool editing_ = false;
  bool closing_ = false;
};

}  // namespace kestrel
