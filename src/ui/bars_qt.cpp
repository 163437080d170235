// The standard toolbar's buttons, the bands and their layout, on the main
// window: what frame/toolbars.h keeps as data, shown with Qt tool bars.
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "common/message.h"
#include "common/progdir.h"
#include "ui/frame_window_qt.h"
#include "ui/site_tab_bar_qt.h"

namespace kestrel {
namespace {

enum BandCommand : unsigned {
  kCmdAddressBar = 32961,
  kCmdQuickSearchBar = 32962,
  kCmdLockToolbars = 32965,
  kCmdCustomize = 32964,
  kCmdSiteTab = 32966,
  kCmdStandardBar = 59392,
  kCmdStatusBar = 59393,
};

struct ButtonLook {
  unsigned id;
  const char* text;
  const char* theme;  // a freedesktop icon name, or a file of ours in icons/
  QStyle::StandardPixmap fallback;
};

const ButtonLook kLooks[] = {
    {32787, "Back", "go-previous", QStyle::SP_ArrowBack},
    {32788, "Forward", "go-next", QStyle::SP_ArrowForward},
    {32790, "Search", "system-search", QStyle::SP_FileDialogContentsView},
    {57600, "New", "document-new", QStyle::SP_FileIcon},
    {32778, "Stop", "process-stop", QStyle::SP_BrowserStop},
    {32779, "Refresh", "view-refresh", QStyle::SP_BrowserReload},
    {32789, "Home", "go-home", QStyle::SP_DirHomeIcon},
    {32902, "Favorites", "starred", QStyle::SP_DirLinkIcon},
    {32907, "History", "document-open-recent", QStyle::SP_FileDialogDetailedView},
    {57607, "Print", "document-print", QStyle::SP_DriveFDIcon},
    {32793, "Fonts", "preferences-desktop-font", QStyle::SP_FileDialogListView},
    {32877, "Full Screen", "view-fullscreen", QStyle::SP_TitleBarMaxButton},
    {32871, "Mail", "mail-unread", QStyle::SP_DialogYesButton},
    {32861, "Hidden Sites", "icons/hidden_sites.svg", QStyle::SP_FileDialogDetailedView},
    {32862, "Restore Popup", "icons/restore_popup.svg", QStyle::SP_TitleBarNormalButton},
    {32848, "Block Popup", "icons/block_popup.svg", QStyle::SP_MessageBoxCritical},
    {32954, "Other Browser", "web-browser", QStyle::SP_ComputerIcon},
    {32969, "Edit", "accessories-text-editor", QStyle::SP_FileDialogNewFolder},
    {57637, "Paste", "edit-paste", QStyle::SP_DialogApplyButton},
    {57634, "Copy", "edit-copy", QStyle::SP_DialogSaveButton},
    {57635, "Cut", "edit-cut", QStyle::SP_DialogDiscardButton},
    {32819, "Properties", "document-properties", QStyle::SP_MessageBoxInformation},
    {32970, "Encoding", "format-text-direction-ltr", QStyle::SP_FileDialogInfoView},
    {32847, "Up", "go-up", QStyle::SP_ArrowUp},
};

const ButtonLook* LookOf(unsigned id) {
  for (const ButtonLook& l : kLooks)
    if (l.id == id) return &l;
  return nullptr;
}

QString T(const char* english) { return QString::fromStdString(TranslateMessage(english)); }

// Bands in the order they stand: those without a place last, then row by
// row, left to right.
bool StandsBefore(const BandRecord& a, const BandRecord& b) {
  if (a.hasRect != b.hasRect) return a.hasRect;
  if (a.rect.top != b.rect.top) return a.rect.top < b.rect.top;
  return a.rect.left < b.rect.left;
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

void QtFrameWindow::ApplyToolbarButtons(const ToolbarButtons& b) {
  buttons_ = b;
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
          const std::vector<std::string> items = cb_.historyItems ? cb_.historyItems(forward) : std::vector<std::string>{};
          for (std::size_t k = 0; k < items.size() && k < 9; ++k) {
            QAction* item = menu->addAction(QString::fromStdString(items[k]));
            const int steps = static_cast<int>(k) + 1;
            connect(item, &QAction::triggered, this, [this, forward, steps] {
              if (cb_.historyChosen) cb_.historyChosen(forward, steps);
            });
          }
        });
        button->setMenu(menu);
      }
    }
  }
  const int image = b.largeIcons ? 24 : 16;
  toolbar_->setIconSize(QSize(image, image));
  toolbar_->setToolButtonStyle(b.showText ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
}

void QtFrameWindow::SetQuickSearchWidget(QWidget* widget) {
  if (!quickSearch_) {
    quickSearch_ = new QToolBar(tr("Quick-Search"), this);
    quickSearch_->setObjectName(QStringLiteral("QuickSearchBar"));
    quickSearch_->installEventFilter(this);
    // In the Address Bar's row, after it.
    addToolBar(Qt::TopToolBarArea, quickSearch_);
    quickSearch_->setMovable(!locked_);
  }
  // The bar's contents belong to whoever made them; only the slot is ours.
  for (QAction* a : quickSearch_->actions()) quickSearch_->removeAction(a);
  if (widget) quickSearch_->addWidget(widget);
}

void QtFrameWindow::BuildBandMenu(QMenu* view) {
  bandMenu_ = view->addMenu(tr("&Toolbars"));
  Command(bandMenu_, kCmdStandardBar, tr("&Standard Tool Bar"), {}, true);
  Command(bandMenu_, kCmdAddressBar, tr("&Address Bar"), {}, true);
  Command(bandMenu_, kCmdQuickSearchBar, tr("&Quick-Search Bar"), {}, true);
  Command(bandMenu_, kCmdSiteTab, tr("Site &Tab"), {}, true);
  bandMenu_->addSeparator();
  Command(bandMenu_, kCmdLockToolbars, tr("&Lock Toolbars"), {}, true);
  Command(bandMenu_, kCmdCustomize, tr("&Customize Standard Tool Bar..."));
  Command(view, kCmdStatusBar, tr("&Status Bar"), {}, true);
}

QWidget* QtFrameWindow::BandWidget(unsigned id) const {
  switch (id) {
    case kBandMenuBar: return menuBar();
    case kBandBusy: return busy_;
    case kBandStandard: return toolbar_;
    case kBandAddress: return addressBar_;
    case kBandQuickSearch: return quickSearch_;
    case kBandSiteTabs: return tabs_;
    default: return nullptr;  // the window buttons live in the menu bar's corner
  }
}

bool QtFrameWindow::BarCommand(unsigned id) {
  auto toggle = [](QWidget* w) {
    if (w) w->setVisible(w->isHidden());
  };
  switch (id) {
    case kCmdAddressBar: toggle(addressBar_); return true;
    case kCmdQuickSearchBar: toggle(quickSearch_); return true;
    case kCmdSiteTab: toggle(tabs_); return true;
    case kCmdStandardBar: toggle(toolbar_); return true;
    case kCmdStatusBar: toggle(statusBar()); return true;
    case kCmdLockToolbars: SetBarsLocked(!locked_); return true;
    case kCmdCustomize: {
      ToolbarButtons b = buttons_;
      if (customizeToolbar && customizeToolbar(this, b)) ApplyToolbarButtons(b);
      return true;
    }
    default: return false;
  }
}

int QtFrameWindow::BarCommandState(unsigned id) const {
  auto shown = [](const QWidget* w) { return w && !w->isHidden() ? 3 : 1; };
  switch (id) {
    case kCmdAddressBar: return shown(addressBar_);
    case kCmdQuickSearchBar: return quickSearch_ ? shown(quickSearch_) : 0;
    case kCmdSiteTab: return shown(tabs_);
    case kCmdStandardBar: return shown(toolbar_);
    case kCmdStatusBar: return shown(statusBar());
    case kCmdLockToolbars: return locked_ ? 3 : 1;
    case kCmdCustomize: return 1;
    default: return -1;
  }
}

void QtFrameWindow::SetBarsLocked(bool locked) {
  locked_ = locked;
  for (QToolBar* bar : {toolbar_, addressBar_, quickSearch_})
    if (bar) bar->setMovable(!locked);
}

BandLayout QtFrameWindow::CurrentBands() const {
  BandLayout l;
  l.locked = locked_;
  for (unsigned id : DefaultBandOrder()) {
    QWidget* w = BandWidget(id);
    BandRecord r;
    r.id = id;
    if (w) {
      const QRect g(w->mapTo(this, QPoint(0, 0)), w->size());
      r.rect = {g.left(), g.top(), g.right() + 1, g.bottom() + 1};
      r.hasRect = true;
      r.visible = !w->isHidden();
    }
    l.bands.push_back(r);
  }
  // Stored in the order they stand.
  std::stable_sort(l.bands.begin(), l.bands.end(), StandsBefore);
  return l;
}

void QtFrameWindow::RecordBars(Profile& profile) {
  SaveButtons(profile, buttons_);
  SaveBands(profile, CurrentBands());
}

void QtFrameWindow::RestoreBars(const Profile& profile) {
  ApplyToolbarButtons(LoadButtons(profile));
  bool locked = false;
  if (std::optional<BandLayout> stored = ReadBands(profile, locked)) {
    // The movable bars are laid out again in the stored order, a new row
    // wherever the stored top edge moves down. Without a usable layout the
    // default one stays.
    std::vector<BandRecord> rows = stored->bands;
    std::stable_sort(rows.begin(), rows.end(), StandsBefore);
    int lastTop = -1;
    bool first = true;
    for (const BandRecord& r : rows) {
      auto* bar = qobject_cast<QToolBar*>(BandWidget(r.id));
      if (!bar) continue;
      if (!first && r.rect.top > lastTop + 4) addToolBarBreak(Qt::TopToolBarArea);
      removeToolBar(bar);
      addToolBar(Qt::TopToolBarArea, bar);
      lastTop = r.rect.top;
      first = false;
    }
    for (const BandRecord& r : stored->bands)
      if (QWidget* w = BandWidget(r.id); w && r.id != kBandMenuBar) w->setVisible(r.visible);
  }
  SetBarsLocked(locked);
}

bool QtFrameWindow::eventFilter(QObject* watched, QEvent* event) {
  const bool bar = watched == toolbar_ || watched == addressBar_ || (quickSearch_ && watched == quickSearch_);
  if (bar && event->type() == QEvent::ContextMenu) {
    UpdateCommandStates();
    bandMenu_->exec(static_cast<QContextMenuEvent*>(event)->globalPos());
    return true;
  }
  if (watched == toolbar_ && event->type() == QEvent::MouseButtonDblClick) {
    // Outside any button: the buttons are child widgets and take their own clicks.
    BarCommand(kCmdCustomize);
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace kestrel
