// The standard toolbar's buttons, the bands and their layout, on the main
// window: what frame/toolbars.h keeps as data, shown with Qt tool bars.
#include <QContextMenuEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "common/message.h"
#include "frame/command_ids.h"
#include "common/progdir.h"
#include "common/trace.h"
#include "engine/desktop_qt.h"
#include "platform/desktop_apps.h"
#include "ui/frame_window_qt.h"
#include "ui/child_window_qt.h"
#include "ui/site_tab_bar_qt.h"
#include "ui/qt_text.h"

namespace kestrel {
namespace {

struct ButtonLook {
  unsigned id;
  const char* text;
  const char* theme;  // a freedesktop icon name, or a file of ours in icons/
  QStyle::StandardPixmap fallback;
};

const ButtonLook kLooks[] = {
    {ID_GO_BACK, "Back", "go-previous", QStyle::SP_ArrowBack},
    {ID_GO_FORWARD, "Forward", "go-next", QStyle::SP_ArrowForward},
    {ID_SEARCH_WEB, "Search", "system-search", QStyle::SP_FileDialogContentsView},
    {ID_FILE_NEW, "New", "document-new", QStyle::SP_FileIcon},
    {ID_VIEW_STOP, "Stop", "process-stop", QStyle::SP_BrowserStop},
    {ID_VIEW_REFRESH, "Refresh", "view-refresh", QStyle::SP_BrowserReload},
    {ID_GO_HOME, "Home", "go-home", QStyle::SP_DirHomeIcon},
    {ID_EXPLORER_FAVORITES, "Favorites", "starred", QStyle::SP_DirLinkIcon},
    {ID_EXPLORER_HISTORY, "History", "document-open-recent", QStyle::SP_FileDialogDetailedView},
    {ID_FILE_PRINT, "Print", "document-print", QStyle::SP_DriveFDIcon},
    {ID_FONTS, "Fonts", "preferences-desktop-font", QStyle::SP_FileDialogListView},
    {ID_FULL_SCREEN, "Full Screen", "view-fullscreen", QStyle::SP_TitleBarMaxButton},
    {ID_READ_EMAIL, "Mail", "mail-unread", QStyle::SP_DialogYesButton},
    {ID_HIDDEN_SITES, "Hidden Sites", "icons/hidden_sites.svg", QStyle::SP_FileDialogDetailedView},
    {ID_RESTORE_LAST_POPUP, "Restore Popup", "icons/restore_popup.svg", QStyle::SP_TitleBarNormalButton},
    {ID_BLOCK_POPUP, "Block Popup", "icons/block_popup.svg", QStyle::SP_MessageBoxCritical},
    {ID_OTHER_BROWSER, "Other Browser", "web-browser", QStyle::SP_ComputerIcon},
    {ID_EDIT_WEB_PAGE, "Edit", "accessories-text-editor", QStyle::SP_FileDialogNewFolder},
    {ID_EDIT_PASTE, "Paste", "edit-paste", QStyle::SP_DialogApplyButton},
    {ID_EDIT_COPY, "Copy", "edit-copy", QStyle::SP_DialogSaveButton},
    {ID_EDIT_CUT, "Cut", "edit-cut", QStyle::SP_DialogDiscardButton},
    {ID_PROPERTIES, "Properties", "document-properties", QStyle::SP_MessageBoxInformation},
    {ID_ENCODING, "Encoding", "format-text-direction-ltr", QStyle::SP_FileDialogInfoView},
    {ID_GO_UP, "Up", "go-up", QStyle::SP_ArrowUp},
};

const ButtonLook* LookOf(unsigned id) {
  for (const ButtonLook& l : kLooks)
    if (l.id == id) return &l;
  return nullptr;
}

}  // namespace

QString QtFrameWindow::ButtonText(unsigned id) {
  const ButtonLook* l = LookOf(id);
  return l ? T(l->text) : QString::number(id);
}

QIcon QtFrameWindow::ButtonIcon(unsigned id) const {
  const ButtonLook* l = LookOf(id);
  if (!l) return {};
  const QString name = QString::fromLatin1(l->theme);
  if (name.startsWith(QLatin1String("icons/"))) return QIcon(QString::fromStdString(ProgramFile(l->theme)));
  // The desktop's theme, as every other program on it; a desktop without
  // one still gets the toolkit's own pictures.
  static const bool themed = [] {
    // Without a desktop session Qt looks for themes nowhere and picks none:
    // look where the desktop keeps them, and take the common one.
    if (QIcon::hasThemeIcon(QStringLiteral("go-previous")) ||
        QIcon::hasThemeIcon(QStringLiteral("go-previous-symbolic")))
      return true;
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
      if (!paths.contains(dir + QStringLiteral("/icons"))) paths << dir + QStringLiteral("/icons");
    QIcon::setThemeSearchPaths(paths);
    if (!QIcon::hasThemeIcon(QStringLiteral("go-previous")) &&
        !QIcon::hasThemeIcon(QStringLiteral("go-previous-symbolic")))
      QIcon::setThemeName(QStringLiteral("Adwaita"));
    return true;
  }();
  (void)themed;
  return QIcon::fromTheme(name, QIcon::fromTheme(name + QStringLiteral("-symbolic"), style()->standardIcon(l->fallback)));
}

QMenu* QtFrameWindow::ViewSubmenu(const char* title) const {
  const MenuItem* m = frame_ ? frame_->menu().FindPopup({"View", title}) : nullptr;
  return m ? menuOf(*m) : nullptr;
}

QMenu* QtFrameWindow::EditorsMenu(QWidget* button) {
  if (!button) return nullptr;
  auto* menu = new QMenu(button);
  menu->setObjectName(QStringLiteral("edit-web-page-menu"));
  connect(menu, &QMenu::aboutToShow, this, [this, menu] {
    menu->clear();
    std::vector<DesktopProgram> programs = ProgramsForType("text/html", XdgFolders::FromEnvironment());
    std::erase_if(programs, [](const DesktopProgram& p) { return p.desktopFile.ends_with("/kestrel.desktop"); });
    if (programs.empty()) {
      menu->addAction(T("No program for web pages is installed"))->setEnabled(false);
      return;
    }
    for (const DesktopProgram& program : programs) {
      QAction* item = menu->addAction(QString::fromStdString(program.name));
      connect(item, &QAction::triggered, this, [this, desktop = program.desktopFile] {
        CKestrelView* site = frame_ ? frame_->ActiveView() : nullptr;
        if (!site || site->IsSiteBlank()) return;
        const std::string document = EditPageDocument(site->GetLocationURL());
        Trace("edit-page", desktop + " " + document);
        DesktopShell().OpenWithProgram(desktop, document);
      });
    }
  });
  return menu;
}

void QtFrameWindow::AttachDropDownMenus() {
  for (unsigned id : {ID_FONTS, ID_ENCODING, ID_EDIT_WEB_PAGE}) {
    QAction* a = action(id);
    auto* button = a ? qobject_cast<QToolButton*>(toolbar_->widgetForAction(a)) : nullptr;
    if (!button || button->menu()) continue;
    // These buttons do nothing of their own: a press opens their menu.
    QMenu* menu = id == ID_EDIT_WEB_PAGE ? EditorsMenu(button) : ViewSubmenu(id == ID_FONTS ? "Text Size" : "Encoding");
    if (!menu) continue;  // the menus come with the frame
    button->setPopupMode(QToolButton::InstantPopup);
    button->setMenu(menu);
  }
  // Mail starts the default mail program; its arrow offers Mail and News.
  const MenuItem* mail = frame_ ? frame_->menu().FindPopup({"Tools", "Mail and News"}) : nullptr;
  QAction* a = action(ID_READ_EMAIL);
  if (auto* button = a ? qobject_cast<QToolButton*>(toolbar_->widgetForAction(a)) : nullptr; button && mail &&
                                                                                              !button->menu()) {
    button->setPopupMode(QToolButton::MenuButtonPopup);
    button->setMenu(menuOf(*mail));
  }
}

void QtFrameWindow::ApplyButtons(const ToolbarButtons& b) {
  toolbar_->clear();
  for (unsigned id : b.ids) {
    if (id == 0) {
      toolbar_->addSeparator();
      continue;
    }
    QAction* a = action(id);
    if (!a) {
      // Not one of ours (an older or edited profile): a button that does nothing.
      a = new QAction(QString::number(id), this);
      a->setEnabled(false);
      actions_[id] = a;
    }
    toolbar_->addAction(a);
    if (id == ID_GO_BACK || id == ID_GO_FORWARD) {
      if (auto* button = qobject_cast<QToolButton*>(toolbar_->widgetForAction(a))) {
        button->setPopupMode(QToolButton::MenuButtonPopup);
        auto* menu = new QMenu(button);
        const bool forward = id == ID_GO_FORWARD;
        connect(menu, &QMenu::aboutToShow, this, [this, menu, forward] {
          menu->clear();
          CKestrelView* site = frame_ ? frame_->ActiveView() : nullptr;
          if (!site) return;
          const std::vector<std::string> items = site->HistoryMenuItems(forward);
          for (std::size_t k = 0; k < items.size() && k < 9; ++k) {
            QAction* item = menu->addAction(QString::fromStdString(items[k]));
            const int steps = static_cast<int>(k) + 1;
            connect(item, &QAction::triggered, this, [this, forward, steps] {
              if (CKestrelView* v = frame_ ? frame_->ActiveView() : nullptr) v->GoByMenu(forward, steps);
            });
          }
        });
        button->setMenu(menu);
      }
    }
  }
  AttachDropDownMenus();
  const int image = b.largeIcons ? 24 : 16;
  toolbar_->setIconSize(QSize(image, image));
  toolbar_->setToolButtonStyle(b.showText ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
}

bool QtFrameWindow::CustomizeButtons(ToolbarButtons& buttons) {
  return customizeToolbar && customizeToolbar(this, buttons);
}

void QtFrameWindow::SetQuickSearchWidget(QWidget* widget) {
  if (!quickSearch_) {
    quickSearch_ = new QToolBar(tr("Quick-Search"), this);
    quickSearch_->setObjectName(QStringLiteral("QuickSearchBar"));
    quickSearch_->installEventFilter(this);
    // In the Address Bar's row, after it.
    addToolBar(Qt::TopToolBarArea, quickSearch_);
    quickSearch_->setMovable(!bands_.locked());
    SetBandVisible(kBandQuickSearch, bands_.visible(kBandQuickSearch));
  }
  // The bar's contents belong to whoever made them; only the slot is ours.
  for (QAction* a : quickSearch_->actions()) quickSearch_->removeAction(a);
  if (widget) quickSearch_->addWidget(widget);
}

QWidget* QtFrameWindow::BandWidget(unsigned id) const {
  switch (id) {
    case kBandMenuBar: return menuBand_;
    case kBandBusy: return busy_;
    case kBandWindowButtons: return windowButtons_;
    case kBandStandard: return toolbar_;
    case kBandAddress: return addressBar_;
    case kBandQuickSearch: return quickSearch_;
    case kBandSiteTabs: return tabs_;
    default: return nullptr;
  }
}

std::vector<QWidget*> QtFrameWindow::BandWidgets() const {
  std::vector<QWidget*> out;
  for (unsigned id : {kBandMenuBar, kBandWindowButtons, kBandStandard, kBandAddress, kBandQuickSearch, kBandSiteTabs})
    if (QWidget* w = BandWidget(id)) out.push_back(w);
  return out;
}

void QtFrameWindow::SetBandVisible(unsigned band, bool visible) {
  if (QWidget* w = BandWidget(band)) w->setVisible(visible);
  if (band == kBandAddress || band == kBandQuickSearch) QTimer::singleShot(0, this, [this] { FitAddressRow(); });
}

void QtFrameWindow::SetStatusBarVisible(bool visible) { statusBar()->setVisible(visible); }

void QtFrameWindow::SetBandsLocked(bool locked) {
  for (QToolBar* bar : {menuBand_, toolbar_, addressBar_, quickSearch_})
    if (bar) bar->setMovable(!locked);
}

BandRecord QtFrameWindow::BandPlace(unsigned band) const {
  BandRecord r;
  r.id = band;
  if (QWidget* w = BandWidget(band)) {
    const QRect g(w->mapTo(this, QPoint(0, 0)), w->size());
    r.rect = {g.left(), g.top(), g.right() + 1, g.bottom() + 1};
    r.hasRect = true;
  }
  return r;
}

void QtFrameWindow::ArrangeBands(const std::vector<std::vector<unsigned>>& rows) {
  bool first = true;
  for (const std::vector<unsigned>& row : rows) {
    bool rowStarted = false;
    for (unsigned id : row) {
      auto* bar = qobject_cast<QToolBar*>(BandWidget(id));
      if (!bar) continue;
      if (!first && !rowStarted) addToolBarBreak(Qt::TopToolBarArea);
      removeToolBar(bar);
      addToolBar(Qt::TopToolBarArea, bar);
      bar->setVisible(bands_.visible(id));
      first = false;
      rowStarted = true;
    }
  }
  QTimer::singleShot(0, this, [this] { FitAddressRow(); });
}

bool QtFrameWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == mdi_->viewport() && event->type() == QEvent::Resize && !fitPending_) {
    // Once the resizing settles: a window being laid out resizes the area many times.
    fitPending_ = true;
    QTimer::singleShot(0, this, [this] {
      fitPending_ = false;
      const QSize area = mdi_->viewport()->size();
      if (area == fittedArea_) return;
      fittedArea_ = area;
      for (QMdiSubWindow* w : mdi_->subWindowList())
        if (auto* child = qobject_cast<QtChildWindow*>(w)) child->FitToArea(area);
    });
    return false;
  }
  // A right click on any bar shows View > Toolbars.
  const bool bar = watched == toolbar_ || watched == addressBar_ || (quickSearch_ && watched == quickSearch_) ||
                   watched == menuBand_ || (tabs_ && watched == tabs_);
  if (bar && event->type() == QEvent::ContextMenu) {
    // On a tab, the tab's own menu.
    auto* e = static_cast<QContextMenuEvent*>(event);
    if (tabs_ && watched == tabs_ && tabs_->TabAt(e->pos()) >= 0) return false;
    if (QMenu* menu = bandMenu()) {
      UpdateCommandStates();
      menu->exec(e->globalPos());
    }
    return true;
  }
  if (watched == toolbar_ && event->type() == QEvent::MouseButtonDblClick) {
    // Outside any button: the buttons are child widgets and take their own clicks.
    Execute(ID_CUSTOMIZE_TOOLBAR);
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace kestrel
