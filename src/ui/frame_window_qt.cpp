#include "ui/frame_window_qt.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QSplitter>
#include <QMenu>
#include <QProgressBar>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStringListModel>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWidgetAction>
#include <QWindow>
#include <limits>

#include "app/app.h"
#include "common/message.h"
#include "common/progdir.h"
#include "common/trace.h"
#include "engine/key_state_qt.h"
#include "engine/webengine_control.h"
#include "ui/child_window_qt.h"
#include "ui/column_menu_qt.h"
#include "ui/menu_bar_qt.h"
#include "ui/site_tab_bar_qt.h"
#include "ui/qt_text.h"

namespace kestrel {

namespace {

// The start-up timeline's "window-exposed": the first time the window
// system shows the window.
class ExposeTrace : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
      Trace("window-exposed");
      watched->removeEventFilter(this);
      deleteLater();
    }
    return false;
  }
};

// "Alt+D, F6": each key sequence of a menu item's or accelerator's keys.
QList<QKeySequence> KeysOf(const std::string& keys) {
  QList<QKeySequence> out;
  for (const QString& k : Q(keys).split(QStringLiteral(", "), Qt::SkipEmptyParts))
    out << QKeySequence::fromString(k, QKeySequence::PortableText);
  return out;
}

// The Address Bar's edit field. Its keys are seen before the field's own
// handling: Enter opens (and never reaches the combo box, which would
// otherwise add or pick items of its own), Escape puts the site's address
// back, and every other key marks the text as being edited.
class AddressEdit : public QLineEdit {
 public:
  std::function<void()> enter, escape, edited;

 protected:
  bool event(QEvent* e) override {
    // Escape and Enter belong to the field while it has the focus, not to
    // the window's shortcuts (Escape is also Stop).
    if (e->type() == QEvent::ShortcutOverride) {
      int key = static_cast<QKeyEvent*>(e)->key();
      if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
        e->accept();
        return true;
      }
    }
    return QLineEdit::event(e);
  }
  void keyPressEvent(QKeyEvent* e) override {
    switch (e->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter: {
        QtKeyState::EventScope held(e->modifiers());
        if (enter) enter();
        e->accept();
        return;
      }
      case Qt::Key_Escape:
        if (escape) escape();
        e->accept();
        return;
      default:
        if (edited) edited();
        QLineEdit::keyPressEvent(e);
    }
  }
};

}  // namespace

QtFrameWindow::QtFrameWindow(Callbacks callbacks)
    : cb_(std::move(callbacks)), mdi_(new QMdiArea), sides_(new QSplitter(Qt::Horizontal)), addressBox_(new QComboBox), completer_(new QCompleter(this)),
      busy_(new QLabel), message_(new QLabel), progress_(new QProgressBar), timer_(new QTimer(this)) {
  setWindowTitle(QStringLiteral("Kestrel"));
  setObjectName(QString::fromLatin1(kMainWindowClass));
  // A maximised site draws no title bar of its own: the window-buttons band
  // at the end of the menu bar minimises, restores and closes it. The MDI
  // area puts its own buttons into the window's Qt menu bar instead, so the
  // window has one that is never shown (the menus are the flat bar's).
  setAttribute(Qt::WA_CanHostQMdiSubWindowTitleBar);
  auto* unused = new QMenuBar(this);
  unused->setNativeMenuBar(false);
  setMenuBar(unused);
  unused->hide();

  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  mdi_->setViewMode(QMdiArea::SubWindowView);
  mdi_->setActivationOrder(QMdiArea::CreationOrder);
  // Sites fill the area; scroll bars coming and going with every new window
  // would only resize it under all of them.
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // The explorer pane, when one is shown, sits at the left; the sites keep
  // every pixel the user does not give it.
  sides_->setChildrenCollapsible(false);
  sides_->addWidget(mdi_);
  sides_->setStretchFactor(0, 1);
  layout->addWidget(sides_, 1);
  setCentralWidget(central);

  // The site list decides which site is active; the MDI area only reports.
  mdi_->viewport()->installEventFilter(this);
  connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
    if (auto* child = qobject_cast<QtChildWindow*>(w); child && frame_) frame_->OnSiteActivated(child);
  });
  message_->setTextFormat(Qt::PlainText);
  statusBar()->addWidget(message_, 1);
  progress_->setRange(0, 100);
  progress_->setFixedSize(CStatusBarWithProgress::kProgressWidth, 12);
  progress_->setTextVisible(false);
  // Shown and hidden with every load: the status bar keeps its height, so
  // the sites' area does not change size under every page.
  QSizePolicy keep = progress_->sizePolicy();
  keep.setRetainSizeWhenHidden(true);
  progress_->setSizePolicy(keep);
  progress_->hide();
  statusBar()->addPermanentWidget(progress_);

  BuildToolBar();
  BuildAddressBar();
  connect(timer_, &QTimer::timeout, this, [this] {
    if (frame_) frame_->OnTimer(CMainFrame::kTimerId);
  });
  resize(1024, 720);
}

void QtFrameWindow::SetExplorerBar(QWidget* bar) {
  sides_->insertWidget(0, bar);
  sides_->setStretchFactor(0, 0);
  sides_->setStretchFactor(1, 1);
  const int width = std::max(bar->sizeHint().width(), 240);
  sides_->setSizes({width, std::max(1, sides_->width() - width)});
}

QtFrameWindow::~QtFrameWindow() = default;

void QtFrameWindow::StartTimer() { timer_->start(CMainFrame::kTimerMs); }

void QtFrameWindow::Execute(unsigned id) {
  if (!frame_) return;
  frame_->OnCommand(id);
  // A checkable item shows at once what the command made of it.
  UpdateCommandStates();
}

QAction* QtFrameWindow::NewCommandAction(unsigned id, const QString& text, QObject* parent) {
  auto* a = new QAction(text, parent);
  a->setData(id);
  a->setEnabled(false);  // until the registry says otherwise
  if (id != 0) connect(a, &QAction::triggered, this, [this, id] { Execute(id); });
  return a;
}

QAction* QtFrameWindow::CommandAction(unsigned id) {
  if (QAction* a = action(id)) return a;
  QAction* a = NewCommandAction(id, {}, this);
  actions_[id] = a;
  return a;
}

QAction* QtFrameWindow::action(unsigned id) const {
  auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

QMenu* QtFrameWindow::menuOf(const MenuItem& popup) const {
  auto it = menus_.find(&popup);
  return it == menus_.end() ? nullptr : it->second;
}

QMenu* QtFrameWindow::bandMenu() const {
  const MenuItem* m = frame_ ? frame_->menu().FindPopup({"View", "Toolbars"}) : nullptr;
  return m ? menuOf(*m) : nullptr;
}

QMenu* QtFrameWindow::fileMenu() const {
  return frame_ && !frame_->menu().popups().empty() ? menuOf(frame_->menu().popups().front()) : nullptr;
}

QMenu* QtFrameWindow::BuildPopup(const MenuItem& popup, QWidget* parent) {
  // Any of them may be filled with long folder lists that want columns.
  auto* menu = new QtColumnMenu(Q(popup.text), parent);
  menus_[&popup] = menu;
  QActionGroup* radios = nullptr;
  for (const MenuItem& item : popup.items) {
    switch (item.kind) {
      case MenuItem::Kind::Separator:
        menu->addSeparator();
        break;
      case MenuItem::Kind::Popup:
        menu->addMenu(BuildPopup(item, menu));
        break;
      case MenuItem::Kind::Command: {
        QAction* a = CommandAction(item.id);
        // The first menu place of a command names its action (a toolbar
        // button's text is only its icon text).
        if (!a->property("named").toBool()) {
          a->setText(Q(item.text));
          a->setProperty("named", true);
        }
        if (!item.keys.empty()) {
          a->setShortcuts(KeysOf(item.keys));
          // A menu's shortcut works only while its bar is shown; the window
          // keeps it in full screen too.
          addAction(a);
        }
        a->setCheckable(item.mark != MenuItem::Mark::None);
        if (item.mark == MenuItem::Mark::Radio) {
          if (!radios) radios = new QActionGroup(menu);
          radios->addAction(a);
        }
        menu->addAction(a);
        break;
      }
    }
  }
  connect(menu, &QMenu::aboutToShow, this, [this] { UpdateCommandStates(); });
  FillDynamic(popup);
  return menu;
}

void QtFrameWindow::FillDynamic(const MenuItem& popup) {
  QMenu* menu = menuOf(popup);
  if (!menu) return;
  for (QAction* old : dynamic_[&popup]) {
    menu->removeAction(old);
    old->deleteLater();
  }
  std::vector<QAction*>& now = dynamic_[&popup];
  now.clear();
  QActionGroup* radios = popup.mark == MenuItem::Mark::Radio ? new QActionGroup(menu) : nullptr;
  for (const DynamicMenuItem& item : popup.dynamic) {
    QAction* a = NewCommandAction(item.id, Q(item.text), menu);
    if (item.id != 0) {
      a->setCheckable(popup.mark != MenuItem::Mark::None);
      if (radios) radios->addAction(a);
    }
    menu->addAction(a);
    now.push_back(a);
    // Only the new items: the rest of the window is as it was.
    UpdateState(a);
  }
}

void QtFrameWindow::Beep() { QApplication::beep(); }

void QtFrameWindow::AttachFrame(CMainFrame& frame) {
  if (frame_) return;
  frame_ = &frame;
  for (const MenuItem& popup : frame.menu().popups()) menuBar_->AddMenu(BuildPopup(popup, this));
  AttachDropDownMenus();
  frame.menu().onChanged = [this](const MenuItem& popup) { FillDynamic(popup); };
  for (const Accelerator& acc : FrameAccelerators()) {
    QAction* a = CommandAction(acc.id);
    a->setShortcuts(KeysOf(acc.keys));
    addAction(a);
  }
  // The toolbar's buttons that no menu names get their texts from the table.
  for (auto& [id, a] : actions_)
    if (!a->property("named").toBool()) a->setText(ButtonText(id));
  bands_.RegisterCommands(frame.commands());

  tabs_ = new QtSiteTabBar(frame.tabBar(), &CMainFrame::TabStatusOf);
  tabs_->setObjectName(QStringLiteral("SiteTabBar"));
  static_cast<QVBoxLayout*>(centralWidget()->layout())->insertWidget(0, tabs_);
  tabs_->installEventFilter(this);
  tabs_->activate = [this](int i) { frame_->OnTabSelected(i); };
  tabs_->closeTab = [this](int i) { frame_->OnTabClose(i); };
  tabs_->contextMenu = [this](int i, QPoint pos) {
    std::unique_ptr<QMenu> menu = SitePopupFor(i);
    QAction* chosen = menu->exec(pos);
    if (chosen && frame_) frame_->OnSiteMenuCommand(i, chosen->data().toUInt());
  };
  UpdateCommandStates();
}

std::unique_ptr<QMenu> QtFrameWindow::SitePopupFor(int index) {
  auto menu = std::make_unique<QMenu>(this);
  CKestrelView* site = frame_ ? frame_->tabBar().site(index) : nullptr;
  for (const MenuItem& item : SitePopupMenu()) {
    if (item.kind == MenuItem::Kind::Separator) {
      menu->addSeparator();
      continue;
    }
    // Built when shown, so it speaks the interface language of the moment.
    QAction* a = menu->addAction(Q(TranslateMessage(item.text)));
    a->setData(item.id);
    a->setEnabled(site && frame_->commands().StateOf({item.id, site}).enabled);
  }
  return menu;
}

void QtFrameWindow::DetachFrame() {
  if (!frame_) return;
  frame_->menu().onChanged = nullptr;
  delete tabs_;
  tabs_ = nullptr;
  frame_ = nullptr;
}

std::vector<QAction*> QtFrameWindow::allActions() const {
  std::vector<QAction*> out;
  std::function<void(const QList<QAction*>&)> walk = [&](const QList<QAction*>& list) {
    for (QAction* a : list) {
      // Separators, and the fields a bar holds, are no commands.
      if (a->isSeparator() || qobject_cast<QWidgetAction*>(a)) continue;
      if (QMenu* m = a->menu())
        walk(m->actions());
      else
        out.push_back(a);
    }
  };
  walk(menuBar_->actions());
  walk(toolbar_->actions());
  if (addressBar_) walk(addressBar_->actions());
  walk(windowButtons_->actions());
  walk(actions());  // the accelerators
  return out;
}

void QtFrameWindow::BuildToolBar() {
  // The main menu is a band like the others, first and in a row of its own.
  menuBand_ = addToolBar(tr("Menu Bar"));
  menuBand_->setObjectName(QStringLiteral("MenuBar"));
  menuBand_->installEventFilter(this);
  menuBar_ = new QtMenuBar;
  menuBand_->addWidget(menuBar_);
  addToolBarBreak();
  toolbar_ = addToolBar(tr("Standard"));
  toolbar_->setObjectName(QStringLiteral("StandardToolBar"));
  toolbar_->installEventFilter(this);
  // Every command the table offers gets an action, so any of them can be a button.
  for (unsigned id : ButtonTable()) {
    if (id == 0 || id == ID_BLOCK_POPUP_ALT_IMAGE) continue;
    QAction* a = CommandAction(id);
    a->setIcon(ButtonIcon(id));
    a->setIconText(ButtonText(id));
    a->setToolTip(ButtonText(id));
  }
  if (QAction* a = action(ID_RESTORE_LAST_POPUP)) a->setToolTip(tr("Recover Last Popup Window"));
  // The menu bar's band ends in the window buttons and the busy indicator.
  auto* corner = new QWidget;
  auto* row = new QHBoxLayout(corner);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  windowButtons_ = new QToolBar(corner);
  windowButtons_->setObjectName(QStringLiteral("WindowButtons"));
  windowButtons_->setIconSize(QSize(16, 16));
  const std::pair<unsigned, QStyle::StandardPixmap> buttons[] = {
      {ID_PREV_WINDOW, QStyle::SP_ArrowBack},           {ID_NEXT_WINDOW, QStyle::SP_ArrowForward},
      {ID_CLOSE_ALL, QStyle::SP_DialogCloseButton},     {ID_SITE_MINIMIZE, QStyle::SP_TitleBarMinButton},
      {ID_SITE_RESTORE, QStyle::SP_TitleBarNormalButton}, {ID_FILE_CLOSE, QStyle::SP_TitleBarCloseButton}};
  for (const auto& [id, icon] : buttons) {
    // Buttons of their own: the menus' actions carry no pictures here.
    QAction* a = NewCommandAction(id, QString(), windowButtons_);
    a->setIcon(style()->standardIcon(icon));
    windowButtons_->addAction(a);
    windowButtonActions_.push_back(a);
  }
  row->addWidget(windowButtons_);
  busy_->setFixedSize(24, 16);
  busy_->setAlignment(Qt::AlignCenter);
  row->addWidget(busy_);
  menuBand_->addWidget(corner);
  ApplyButtons({DefaultButtons(), true, false});
}

void QtFrameWindow::BuildAddressBar() {
  addToolBarBreak();
  addressBar_ = addToolBar(tr("Address"));
  addressBar_->setObjectName(QStringLiteral("AddressBar"));
  addressBar_->setMovable(false);
  addressBar_->installEventFilter(this);
  auto* label = new QLabel(tr("Address"));
  label->setContentsMargins(4, 0, 4, 0);
  addressBar_->addWidget(label);

  auto* edit = new AddressEdit;
  edit->setMaxLength(std::numeric_limits<int>::max());  // typed text has no size limit
  edit->setClearButtonEnabled(true);
  edit->setPlaceholderText(tr("Type an address, a search or an alias, and press Enter"));
  edit->enter = [this] {
    editing_ = false;
    Execute(ID_ADDRESS_ENTER);
  };
  edit->escape = [this] {
    if (cb_.addressEscape) cb_.addressEscape();
  };
  edit->edited = [this] { editing_ = true; };
  addressBox_->setEditable(true);
  addressBox_->setLineEdit(edit);
  // The box would treat leaving the field with an item's text in it as a
  // choice of that item and open it again; only Enter and the list open.
  QObject::disconnect(edit, &QLineEdit::editingFinished, addressBox_, nullptr);
  addressBox_->setInsertPolicy(QComboBox::NoInsert);
  addressBox_->setDuplicatesEnabled(true);
  addressBox_->setMaxVisibleItems(20);
  addressBox_->setMinimumWidth(300);
  addressBox_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  addressBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  completer_->setModel(new QStringListModel(completer_));
  completer_->setCaseSensitivity(Qt::CaseInsensitive);
  completer_->setFilterMode(Qt::MatchContains);
  completer_->setCompletionMode(QCompleter::PopupCompletion);
  completer_->setMaxVisibleItems(12);
  addressBox_->setCompleter(completer_);
  connect(edit, &QLineEdit::textEdited, this, [this] { editing_ = true; });
  // Only a choice in the drop-down list arrives here; Enter never reaches the box.
  connect(addressBox_, qOverload<int>(&QComboBox::activated), this, [this](int i) {
    if (i >= 0 && cb_.addressChosen) cb_.addressChosen(i);
  });
  addressBar_->addWidget(addressBox_);

  QAction* go = CommandAction(ID_ADDRESS_ENTER);
  go->setText(tr("Go"));
  go->setProperty("named", true);
  go->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
  go->setToolTip(tr("Go to the address in the Address Bar"));
  // The Go button carries the keys held when it is clicked, like Enter.
  disconnect(go, &QAction::triggered, this, nullptr);
  connect(go, &QAction::triggered, this, [this] {
    QtKeyState::EventScope held(QGuiApplication::keyboardModifiers());
    editing_ = false;
    Execute(ID_ADDRESS_ENTER);
  });
  addressBar_->addAction(go);
}

QLineEdit* QtFrameWindow::addressEdit() const { return addressBox_->lineEdit(); }

std::string QtFrameWindow::AddressText() const { return addressEdit()->text().toStdString(); }

void QtFrameWindow::SetAddressTextTrimmed(const std::string& text) {
  addressEdit()->setText(QString::fromStdString(text));
  addressEdit()->end(false);
}

void QtFrameWindow::SetAddressItems(const std::vector<std::string>& items) {
  // Refilling the box would wipe what is typed in it.
  QString typed = addressEdit()->text();
  int cursor = addressEdit()->cursorPosition();
  QStringList list;
  list.reserve(static_cast<qsizetype>(items.size()));
  for (const std::string& s : items) list << QString::fromStdString(s);
  QSignalBlocker block(addressBox_);
  addressBox_->clear();
  addressBox_->addItems(list);
  addressBox_->setCurrentIndex(-1);
  addressEdit()->setText(typed);
  addressEdit()->setCursorPosition(cursor);
}

void QtFrameWindow::SetAddressCompletions(const std::vector<std::string>& completions) {
  QStringList list;
  list.reserve(static_cast<qsizetype>(completions.size()));
  for (const std::string& s : completions) list << QString::fromStdString(s);
  static_cast<QStringListModel*>(completer_->model())->setStringList(list);
}

void QtFrameWindow::FocusAddress() {
  addressEdit()->setFocus();
  addressEdit()->selectAll();
}

bool QtFrameWindow::AddressHasFocus() const { return addressEdit()->hasFocus(); }

bool QtFrameWindow::CreateSiteWindow(ChildWindow*& window, BrowserControl*& control) {
  auto engine = std::make_unique<WebEngineControl>(engine_);
  WebEngineControl* c = engine.get();
  auto* child = new QtChildWindow(std::move(engine));
  child->setAttribute(Qt::WA_DeleteOnClose, false);
  mdi_->addSubWindow(child);
  child->FitToArea(mdi_->viewport()->size());
  child->hide();  // every site is created hidden
  child->onCloseRequested = [this, child] {
    if (frame_) frame_->OnSiteCloseRequested(child);
  };
  window = child;
  control = c;
  return true;
}

void QtFrameWindow::DestroySiteWindow(ChildWindow* window) {
  auto* child = static_cast<QtChildWindow*>(window);
  child->closingForReal_ = true;
  mdi_->removeSubWindow(child);
  child->deleteLater();
}

void QtFrameWindow::Post(std::function<void()> task) { QTimer::singleShot(0, this, std::move(task)); }

void QtFrameWindow::Restore() {
  if (isMinimized() || isHidden()) showNormal();
}

void QtFrameWindow::BringToFront() {
  raise();
  activateWindow();
}

void QtFrameWindow::SetCaption(const std::string& text) {
  caption_ = QtChildWindow::DisplayTitle(QString::fromStdString(text));
  setWindowTitle(caption_);
  if (TraceEnabled()) Trace("caption", caption_.left(200).toStdString());
}

void QtFrameWindow::ActivateSite(ChildWindow* window) {
  auto* child = static_cast<QtChildWindow*>(window);
  if (child && mdi_->activeSubWindow() != child) mdi_->setActiveSubWindow(child);
}

void QtFrameWindow::SetRebarVisible(bool visible) { bands_.SetAllHidden(!visible); }

void QtFrameWindow::SetCaptionAndBorder(bool caption, bool) {
  if (caption) {
    if (isFullScreen()) showNormal();
  } else {
    showFullScreen();
  }
}

WindowRect QtFrameWindow::Rectangle() const {
  QRect r = geometry();
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void QtFrameWindow::SetRectangle(const WindowRect& rc) {
  if (isFullScreen()) return;  // the window system places a full-screen window
  setGeometry(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
}

WindowRect QtFrameWindow::PrimaryScreen() const {
  QRect r = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry() : QRect(0, 0, 1024, 768);
  return {0, 0, r.width(), r.height()};
}

void QtFrameWindow::SetStatusText(const std::string& text) {
  message_->setText(QtChildWindow::DisplayTitle(Q(text)));
}

void QtFrameWindow::SetProgressVisible(bool visible) { progress_->setVisible(visible); }
void QtFrameWindow::SetProgressPos(int percent) { progress_->setValue(percent); }

void QtFrameWindow::SetBusyIndicator(bool busy) {
  busy_->setPixmap(busy ? style()->standardIcon(QStyle::SP_BrowserReload).pixmap(16, 16) : QPixmap());
  busy_->setToolTip(busy ? tr("Loading") : QString());
}

void QtFrameWindow::SetAddressText(const std::string& text) {
  addressEdit()->setText(QString::fromStdString(text));
  addressEdit()->setCursorPosition(0);
}

void QtFrameWindow::SetTrayIcon(bool show) {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
  if (show && !tray_) {
    tray_ = new QSystemTrayIcon(windowIcon(), this);
    tray_->setToolTip(QStringLiteral("Kestrel"));
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
      if (!frame_) return;
      using Mouse = CFrameModes::TrayMouse;
      frame_->modes().OnTrayNotify(r == QSystemTrayIcon::Trigger   ? Mouse::LeftDown
                                   : r == QSystemTrayIcon::Context ? Mouse::RightDown
                                                                   : Mouse::Other);
    });
    tray_->show();
  } else if (!show && tray_) {
    tray_->hide();
    tray_->deleteLater();
    tray_ = nullptr;
  }
}

void QtFrameWindow::ShowFileMenuAtCursor() {
  if (QMenu* file = fileMenu()) file->popup(QCursor::pos());
}

void QtFrameWindow::UpdateState(QAction* a) {
  if (!frame_) return;
  const unsigned id = a->data().toUInt();
  const CommandState st = id ? frame_->CommandStateOf(id) : CommandState{};
  a->setEnabled(st.enabled);
  if (a->isCheckable()) a->setChecked(st.checked);
}

void QtFrameWindow::UpdateCommandStates() {
  if (!frame_) return;
  for (auto& [id, a] : actions_) UpdateState(a);
  for (auto& [popup, list] : dynamic_)
    for (QAction* a : list) UpdateState(a);
  for (QAction* a : windowButtonActions_) {
    UpdateState(a);
    // The tooltip is the command's menu text, in the interface language.
    if (QAction* named = action(a->data().toUInt())) a->setToolTip(QString(named->text()).remove(QLatin1Char('&')));
  }
}

void QtFrameWindow::SetEngineOffline(bool offline) { engine_.SetOffline(offline); }

void QtFrameWindow::SetBlockPopupAlternate(bool alternate) {
  blockAlternate_ = alternate;
  const char* file = alternate ? "icons/block_popup_flash.svg" : "icons/block_popup.svg";
  if (QAction* a = action(ID_BLOCK_POPUP)) a->setIcon(QIcon(QString::fromStdString(ProgramFile(file))));
}

WindowRect QtFrameWindow::WindowRectangle() const {
  // In the terms setGeometry takes back at the next start; a maximised frame
  // keeps the size it had before.
  QRect r = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void QtFrameWindow::closeEvent(QCloseEvent* event) {
  if (!closing_) {
    closing_ = true;
    timer_->stop();
    if (cb_.closing) cb_.closing();
  }
  event->accept();
}

void QtFrameWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  FitAddressRow();
}

void QtFrameWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (TraceEnabled() && !exposeTraced_ && windowHandle()) {
    exposeTraced_ = true;
    windowHandle()->installEventFilter(new ExposeTrace(this));
  }
  // The bars have their places once the window is laid out.
  QTimer::singleShot(0, this, [this] { FitAddressRow(); });
}

void QtFrameWindow::FitAddressRow() {
  // The window gives a row's spare width to its last bar; in the Address
  // Bar's row that would be the Quick-Search Bar, while the address is what
  // needs the room. The field is widened to leave the other bar its own size.
  constexpr int kLeast = 300;
  int width = kLeast;
  if (addressBar_ && !addressBar_->isHidden()) {
    // The bar's own hint counts the field at least at its minimum width.
    const int field = std::max(addressBox_->sizeHint().width(), addressBox_->minimumWidth());
    const int others = addressBar_->sizeHint().width() - field;
    const bool sharesRow = quickSearch_ && !quickSearch_->isHidden() && quickSearch_->y() == addressBar_->y();
    const int beside = sharesRow ? quickSearch_->sizeHint().width() : 0;
    width = std::max(kLeast, this->width() - others - beside - 24);
  }
  if (addressBox_->minimumWidth() != width) addressBox_->setMinimumWidth(width);
}

void QtFrameWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // A maximised MDI child adds " - [its title]" to the window's caption;
  // the caption is the frame's, exactly.
  if (event->type() == QEvent::WindowTitleChange && !caption_.isEmpty() && windowTitle() != caption_)
    setWindowTitle(caption_);
  if (event->type() == QEvent::WindowStateChange)
    QTimer::singleShot(0, this, [this] {
      if (frame_) frame_->modes().OnSize();
    });
}

}  // namespace kestrel
