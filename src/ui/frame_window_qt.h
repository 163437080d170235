#pragma once
// The main window on Qt: the menu bar built from the frame's menu, the
// toolbar with numeric command ids, the Address Bar, the site tabs, the MDI
// area of sites, the status bar with progress, the tray icon and the
// half-second timer. Every command goes to the frame's registry; every
// decision about bands is the bands model's.
#include <QIcon>
#include <QMainWindow>
#include <functional>
#include <map>
#include <vector>

#include "address/address_bar.h"
#include "engine/webengine_control.h"
#include "frame/bands.h"
#include "frame/frame_window.h"
#include "frame/main_frame.h"
#include "frame/toolbars.h"

class QAction;
class QComboBox;
class QCompleter;
class QLabel;
class QLineEdit;
class QMdiArea;
class QSplitter;
class QMenu;
class QProgressBar;
class QSystemTrayIcon;
class QTimer;
class QToolBar;

namespace kestrel {

class QtChildWindow;
class QtMenuBar;
class QtSiteTabBar;

class QtFrameWindow : public QMainWindow,
                      public FrameWindow,
                      public FrameState,
                      public AddressBarView,
                      public BandsView {
  Q_OBJECT
 public:
  struct Callbacks {
    // An entry of the Address Bar's drop-down was chosen.
    std::function<void(int index)> addressChosen;
    // Escape in the Address Bar.
    std::function<void()> addressEscape;
    std::function<void()> closing;
  };
  explicit QtFrameWindow(Callbacks callbacks);
  ~QtFrameWindow() override;

  // The frame exists: build the menus, the toolbar and the tab bar from it.
  void AttachFrame(CMainFrame& frame);
  // Before the frame goes.
  void DetachFrame();
  void StartTimer();

  QMdiArea* mdiArea() const { return mdi_; }
  QtSiteTabBar* tabBar() const { return tabs_; }
  QLineEdit* addressEdit() const;
  QComboBox* addressBox() const { return addressBox_; }
  // The permanent action of a command (menus and toolbar share it); nullptr
  // for one that has none.
  QAction* action(unsigned id) const;
  // The popup that shows a top-level or nested popup of the frame's menu.
  QMenu* menuOf(const MenuItem& popup) const;
  // Every action of the menus, the toolbar and the context menus, for a
  // test that walks them all.
  std::vector<QAction*> allActions() const;
  QMenu* bandMenu() const;
  QMenu* fileMenu() const;
  // The Site Popup menu for the tab at `index`, built in the interface language.
  std::unique_ptr<QMenu> SitePopupFor(int index);
  CBands& bands() { return bands_; }
  // What the sites' controls share.
  EngineContext& engine() { return engine_; }

  // AddressBarView
  std::string AddressText() const override;
  void SetAddressTextTrimmed(const std::string& text) override;
  void ShowPageAddress(const std::string& text) override { SetAddressText(text); }
  void SetAddressItems(const std::vector<std::string>& items) override;
  void SetAddressCompletions(const std::vector<std::string>& completions) override;
  void FocusAddress() override;
  bool AddressHasFocus() const override;
  void MarkAddressEdited() override { editing_ = true; }

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
  void SetTrayIcon(bool show) override;
  bool TrayIconShown() const override { return tray_ != nullptr; }
  void ShowFileMenuAtCursor() override;
  void UpdateCommandStates() override;
  void SetBlockPopupAlternate(bool alternate) override;
  bool blockPopupFlashing() const { return blockAlternate_; }
  void SetEngineOffline(bool offline) override;
  void Beep() override;

  // BandsView
  void SetBandVisible(unsigned band, bool visible) override;
  void SetStatusBarVisible(bool visible) override;
  void SetBandsLocked(bool locked) override;
  void ArrangeBands(const std::vector<std::vector<unsigned>>& rows) override;
  void ApplyButtons(const ToolbarButtons& buttons) override;
  BandRecord BandPlace(unsigned band) const override;
  bool CustomizeButtons(ToolbarButtons& buttons) override;

  // Every band there is, for a background they share.
  std::vector<QWidget*> BandWidgets() const;
  QToolBar* standardToolBar() const { return toolbar_; }
  // The main menu's band and the flat menu bar in it.
  QToolBar* menuBand() const { return menuBand_; }
  QtMenuBar* flatMenuBar() const { return menuBar_; }
  QToolBar* addressToolBar() const { return addressBar_; }
  QToolBar* quickSearchToolBar() const { return quickSearch_; }
  // The Quick-Search Bar's contents, a band of its own next to the Address Bar.
  void SetQuickSearchWidget(QWidget* widget);
  // The customise dialog; replaceable by tests.
  std::function<bool(QWidget* parent, ToolbarButtons& buttons)> customizeToolbar;
  static QString ButtonText(unsigned id);
  QIcon ButtonIcon(unsigned id) const;

  // FrameState
  void RecordBars(Profile& profile) override {
    bands_.Save(profile);
    if (recordPanes) recordPanes();
  }
  std::function<void()> recordPanes;  // the explorer pane's own settings
  int ExplorerPane() const override { return explorerPane ? explorerPane() : 0; }
  std::function<int()> explorerPane;  // the ExpBar value of the pane shown
  // The explorer pane's place, at the left of the sites.
  void SetExplorerBar(QWidget* bar);
  bool StatusBarVisible() const override { return bands_.statusBarVisible(); }
  WindowRect WindowRectangle() const override;
  bool IsZoomed() const override { return isMaximized(); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  bool exposeTraced_ = false;
  // The action of a command: created disabled, runs `id` when triggered
  // (id 0: a note that runs nothing).
  QAction* NewCommandAction(unsigned id, const QString& text, QObject* parent);
  // The window's one action for `id`, shared by its menu places, buttons and keys.
  QAction* CommandAction(unsigned id);
  // Enabled and checked as the frame says now.
  void UpdateState(QAction* action);
  QMenu* BuildPopup(const MenuItem& popup, QWidget* parent);
  // The drop-downs of the Fonts, Encoding and Edit Web Page buttons.
  QMenu* ViewSubmenu(const char* title) const;
  QMenu* EditorsMenu(QWidget* button);
  void AttachDropDownMenus();
  void FillDynamic(const MenuItem& popup);
  void BuildToolBar();
  void BuildAddressBar();
  QWidget* BandWidget(unsigned id) const;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void Execute(unsigned id);
  void FitAddressRow();

  Callbacks cb_;
  EngineContext engine_;
  CMainFrame* frame_ = nullptr;
  CBands bands_{*this};
  QMdiArea* mdi_;
  QSplitter* sides_;
  QtSiteTabBar* tabs_ = nullptr;
  QComboBox* addressBox_;
  QCompleter* completer_;
  QToolBar* toolbar_ = nullptr;
  QToolBar* addressBar_ = nullptr;
  QToolBar* quickSearch_ = nullptr;
  QLabel* busy_;
  QToolBar* menuBand_ = nullptr;
  QtMenuBar* menuBar_ = nullptr;
  QToolBar* windowButtons_ = nullptr;
  std::vector<QAction*> windowButtonActions_;
  QLabel* message_;
  QProgressBar* progress_;
  QTimer* timer_;
  QSystemTrayIcon* tray_ = nullptr;
  std::map<unsigned, QAction*> actions_;
  std::map<const MenuItem*, QMenu*> menus_;
  std::map<const MenuItem*, std::vector<QAction*>> dynamic_;
  bool blockAlternate_ = false;
  QString caption_;
  bool fitPending_ = false;
  QSize fittedArea_;
  bool editing_ = false;
  bool closing_ = false;
};

}  // namespace kestrel
