#include "ui/frame_window_qt.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QKeyEvent>
#include <QSet>
#include <QSignalBlocker>
#include <QStringListModel>
#include <limits>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "common/progdir.h"
#include "address/resolver.h"
#include "app/app.h"
#include "engine/key_state_qt.h"
#include "engine/web_engine.h"
#include "engine/webengine_control.h"
#include "ui/child_window_qt.h"
#include "ui/site_tab_bar_qt.h"

namespace kestrel {

namespace {

constexpr unsigned kAliasDialogCommand = 32939;
constexpr unsigned kBlackListCommand = 32878, kWhiteListCommand = 32879, kEnableSiteFilterCommand = 32881;

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
        if (edited) edited();
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
    : cb_(std::move(callbacks)), mdi_(new QMdiArea), addressBox_(new QComboBox),
      completer_(new QCompleter(this)),
      busy_(new QLabel), message_(new QLabel), progress_(new QProgressBar), timer_(new QTimer(this)) {
  setWindowTitle(QStringLiteral("Kestrel"));
  setObjectName(QString::fromLatin1(kMainWindowClass));

  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  mdi_->setViewMode(QMdiArea::SubWindowView);
  mdi_->setActivationOrder(QMdiArea::CreationOrder);
  layout->addWidget(mdi_, 1);
  setCentralWidget(central);

  connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
    auto* child = qobject_cast<QtChildWindow*>(w);
    if (!child) return;
    // A window the site keeps hidden (a popup being judged) does not take
    // the activation from a site the user can see; with none in view, the
    // new site is the one typed text goes to.
    if (!child->IsVisible() && lastActive_ && lastActive_ != child && lastActive_->IsVisible()) {
      mdi_->setActiveSubWindow(lastActive_);
      return;
    }
    lastActive_ = child;
    if (cb_.siteActivated) cb_.siteActivated(child);
  });
  message_->setTextFormat(Qt::PlainText);
  statusBar()->addWidget(message_, 1);
  progress_->setRange(0, 100);
  progress_->setFixedSize(CStatusBarWithProgress::kProgressWidth, 12);
  progress_->setTextVisible(false);
  progress_->hide();
  statusBar()->addPermanentWidget(progress_);

  BuildMenus();
  BuildToolBar();
  BuildAddressBar();
  connect(timer_, &QTimer::timeout, this, [this] {
    if (cb_.timer) cb_.timer();
  });
  resize(1024, 720);
}

QtFrameWindow::~QtFrameWindow() = default;

void QtFrameWindow::StartTimer() { timer_->start(CMainFrame::kTimerMs); }

QAction* QtFrameWindow::Command(QMenu* menu, unsigned id, const QString& text, const QKeySequence& key,
                                bool checkable) {
  auto* a = menu->addAction(text);
  if (!key.isEmpty()) a->setShortcut(key);
  a->setCheckable(checkable);
  connect(a, &QAction::triggered, this, [this, id] { cb_.command(id); });
  actions_[id] = a;
  return a;
}

QAction* QtFrameWindow::action(unsigned id) const {
  auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

void QtFrameWindow::BuildMenus() {
  fileMenu_ = menuBar()->addMenu(tr("&File"));
  Command(fileMenu_, ID_FILE_NEW, tr("&New"), QKeySequence::New)->setStatusTip(tr("Open a new site"));
  Command(fileMenu_, ID_FILE_OPEN, tr("&Open..."), QKeySequence::Open);
  Command(fileMenu_, ID_FROM_CLIPBOARD, tr("From Address in Clip&board"));
  fileMenu_->addSeparator();
  Command(fileMenu_, ID_FILE_CLOSE, tr("&Close"), QKeySequence(Qt::CTRL | Qt::Key_W));
  Command(fileMenu_, ID_CLOSE_ALL, tr("Close &All"));
  Command(fileMenu_, ID_CLOSE_ALL_BUT_CURRENT, tr("Close All &But Current"));
  Command(fileMenu_, ID_CLOSE_BLANK_FAILED, tr("Close All Blank && &Failed Sites"));
  fileMenu_->addSeparator();
  Command(fileMenu_, ID_WORK_OFFLINE, tr("&Work Offline"), {}, true);
  fileMenu_->addSeparator();
  fileMenu_->addAction(tr("E&xit"), QKeySequence::Quit, this, [this] { close(); });

  QMenu* view = menuBar()->addMenu(tr("&View"));
  Command(view, ID_VIEW_STOP, tr("&Stop"), Qt::Key_Escape);
  Command(view, ID_VIEW_REFRESH, tr("&Refresh"), QKeySequence::Refresh);
  Command(view, ID_STOP_ALL, tr("Stop A&ll"));
  Command(view, ID_REFRESH_ALL, tr("Refresh Al&l"));
  view->addSeparator();
  Command(view, ID_FULL_SCREEN, tr("&Full Screen"), Qt::Key_F11, true);
  view->addSeparator();
  BuildBandMenu(view);

  QMenu* go = menuBar()->addMenu(tr("&Go"));
  Command(go, ID_GO_BACK, tr("&Back"), QKeySequence(Qt::ALT | Qt::Key_Left));
  Command(go, ID_GO_FORWARD, tr("&Forward"), QKeySequence(Qt::ALT | Qt::Key_Right));
  Command(go, ID_GO_HOME, tr("&Home"));
  Command(go, ID_HOME_PAGE, tr("Home &Page"), QKeySequence(Qt::ALT | Qt::Key_Home));
  go->addSeparator();
  Command(go, ID_NEXT_WINDOW, tr("&Next Window"), QKeySequence(Qt::CTRL | Qt::Key_Tab));
  Command(go, ID_PREV_WINDOW, tr("&Previous Window"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab));
  Command(go, ID_DUPLICATE_SITE, tr("&Duplicate Current Site"));
  go->addSeparator();
  QMenu* shortcuts = go->addMenu(tr("&Shortcuts"));
  for (const ShortcutCommand& sc : ShortcutCommands()) Command(shortcuts, sc.id, tr(sc.label));

  QMenu* tools = menuBar()->addMenu(tr("&Tools"));
  Command(tools, ID_ALWAYS_NEW, tr("&Always New Window"), {}, true);
  Command(tools, kAliasDialogCommand, tr("Alias &Definitions..."));
  tools->addSeparator();
  Command(tools, ID_BLOCK_POPUP, tr("&Block Popup Windows"), {}, true)->setToolTip(tr("Block Popup"));
  Command(tools, ID_RESTORE_LAST_POPUP, tr("&Restore Last Popup Window"))
      ->setToolTip(tr("Recover Last Popup Window"));
  Command(tools, ID_HIDDEN_SITES, tr("&Hidden Sites..."));
  Command(tools, ID_HIDE_SITE, tr("Hi&de Site"));
  QMenu* filter = tools->addMenu(tr("Site &Filter"));
  Command(filter, kEnableSiteFilterCommand, tr("&Enable Site Filter"), {}, true);
  Command(filter, kBlackListCommand, tr("&Black List..."));
  Command(filter, kWhiteListCommand, tr("&White List..."));
  filter->addSeparator();
  Command(filter, ID_ADD_WHITE_LIST, tr("Add Into &White List..."));
  Command(filter, ID_ADD_BLACK_LIST, tr("Add Into Black &List..."));
  tools->addSeparator();
  Command(tools, ID_OPTIONS, tr("&Options..."));

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  Command(help, ID_HELP_CONTENT, tr("&Content"), QKeySequence::HelpContents);
  Command(help, ID_TIP_OF_THE_DAY, tr("&Tip of the Day..."));
}

void QtFrameWindow::BuildToolBar() {
  toolbar_ = addToolBar(tr("Standard"));
  toolbar_->setObjectName(QStringLiteral("StandardToolBar"));
  toolbar_->installEventFilter(this);
  // Every command the table offers gets an action, so any of them can be a button.
  for (unsigned id : ButtonTable()) {
    if (id == 0 || id == kBlockPopupFlashImage) continue;
    QAction* a = action(id);
    if (!a) {
      a = new QAction(ButtonText(id), this);
      connect(a, &QAction::triggered, this, [this, id] { cb_.command(id); });
      actions_[id] = a;
    }
    a->setIcon(ButtonIcon(id));
    a->setIconText(ButtonText(id));
    a->setToolTip(ButtonText(id));
  }
  // The busy indicator sits in the menu bar's row, at its end.
  busy_->setFixedWidth(24);
  busy_->setAlignment(Qt::AlignCenter);
  menuBar()->setCornerWidget(busy_, Qt::TopRightCorner);
  ApplyToolbarButtons({DefaultButtons(), true, false});
  auto* focus = new QAction(this);
  focus->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_L), QKeySequence(Qt::ALT | Qt::Key_D), Qt::Key_F6});
  connect(focus, &QAction::triggered, this, [this] {
    addressEdit()->setFocus();
    addressEdit()->selectAll();
  });
  addAction(focus);
}

void QtFrameWindow::BuildAddressBar() {
  addToolBarBreak();
  addressBar_ = addToolBar(tr("Address"));
  addressBar_->setObjectName(QStringLiteral("AddressBar"));
  addressBar_->setMovable(false);
  auto* label = new QLabel(tr("Address"));
  label->setContentsMargins(4, 0, 4, 0);
  addressBar_->addWidget(label);

  auto* edit = new AddressEdit;
  edit->setMaxLength(std::numeric_limits<int>::max());  // typed text has no size limit
  edit->setClearButtonEnabled(true);
  edit->setPlaceholderText(tr("Type an address, a search or an alias, and press Enter"));
  edit->enter = [this] {
    editing_ = false;
    cb_.command(ID_ADDRESS_ENTER);
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
  addressBox_->setMinimumWidth(200);
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

  auto* go = new QAction(tr("Go"), this);
  go->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
  go->setToolTip(tr("Go to the address in the Address Bar"));
  connect(go, &QAction::triggered, this, [this] {
    QtKeyState::EventScope held(QGuiApplication::keyboardModifiers());
    editing_ = false;
    cb_.command(ID_ADDRESS_ENTER);
  });
  addressBar_->addAction(go);
  actions_[ID_ADDRESS_ENTER] = go;
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

void QtFrameWindow::SetAddressCompletions(const std::vector<std::string>& typed,
                                          const std::vector<std::string>& visited) {
  QStringList list;
  QSet<QString> seen;
  for (const auto* source : {&typed, &visited})
    for (const std::string& s : *source) {
      QString q = QString::fromStdString(s);
      if (!q.isEmpty() && !seen.contains(q.toLower())) {
        seen.insert(q.toLower());
        list << q;
      }
    }
  static_cast<QStringListModel*>(completer_->model())->setStringList(list);
}

bool QtFrameWindow::CreateSiteWindow(ChildWindow*& window, BrowserControl*& control) {
  auto engine = std::make_unique<WebEngineControl>();
  WebEngineControl* c = engine.get();
  auto* child = new QtChildWindow(std::move(engine));
  child->setAttribute(Qt::WA_DeleteOnClose, false);
  mdi_->addSubWindow(child);
  child->hide();  // every site is created hidden
  child->onCloseRequested = [this, child] {
    if (cb_.siteCloseRequested) cb_.siteCloseRequested(child);
  };
  window = child;
  control = c;
  return true;
}

void QtFrameWindow::DestroySiteWindow(ChildWindow* window) {
  auto* child = static_cast<QtChildWindow*>(window);
  RemoveTab(window);
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
  setWindowTitle(QtChildWindow::DisplayTitle(QString::fromStdString(text)));
}

void QtFrameWindow::ActivateSite(ChildWindow* window) {
  auto* child = static_cast<QtChildWindow*>(window);
  if (child) mdi_->setActiveSubWindow(child);
}

void QtFrameWindow::SetRebarVisible(bool visible) {
  menuBar()->setVisible(visible);
  toolbar_->setVisible(visible);
  addressBar_->setVisible(visible);
  if (tabs_) tabs_->setVisible(visible);
}

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
  message_->setText(QtChildWindow::DisplayTitle(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))));
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

void QtFrameWindow::AttachTabBar(CSiteTabBar& model, std::function<TabStatus(const CKestrelView*)> status) {
  if (tabs_) return;
  tabs_ = new QtSiteTabBar(model, std::move(status));
  tabs_->setObjectName(QStringLiteral("SiteTabBar"));
  static_cast<QVBoxLayout*>(centralWidget()->layout())->insertWidget(0, tabs_);
  tabs_->activate = [this](int i) {
    if (cb_.tabSelected) cb_.tabSelected(i);
  };
  tabs_->closeTab = [this](int i) {
    if (cb_.tabClose) cb_.tabClose(i);
  };
  siteMenu_ = new QMenu(this);
  const std::pair<unsigned, const char*> items[] = {
      {ID_FILE_CLOSE, "Close"},          {ID_CLOSE_ALL, "Close All"}, {ID_CLOSE_ALL_BUT_CURRENT, "Close All But Current"},
      {ID_DUPLICATE_SITE, "Duplicate"},  {ID_HIDE_SITE, "Hide"},      {32886, "Add To Group..."},
      {0, nullptr},                      {4, "Add Into White List..."}, {32893, "Add Into Black List..."},
  };
  for (const auto& [id, label] : items) {
    if (!label) {
      siteMenu_->addSeparator();
      continue;
    }
    siteMenu_->addAction(tr(label))->setData(id);
  }
  tabs_->contextMenu = [this](int i, QPoint pos) {
    QAction* chosen = siteMenu_->exec(pos);
    if (chosen && cb_.siteMenuCommand) cb_.siteMenuCommand(i, chosen->data().toUInt());
  };
}

void QtFrameWindow::DetachTabBar() {
  delete tabs_;
  tabs_ = nullptr;
}

// The tab bar draws the frame's model; these only keep the window in step.
void QtFrameWindow::AddTab(ChildWindow*, const std::string&, bool) {}
void QtFrameWindow::SelectTab(ChildWindow*) {}
void QtFrameWindow::SetTabText(ChildWindow*, const std::string&) {}
void QtFrameWindow::RedrawTab(ChildWindow*) {}
void QtFrameWindow::RemoveTab(ChildWindow*) {}

void QtFrameWindow::SetTrayIcon(bool show) {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
  if (show && !tray_) {
    tray_ = new QSystemTrayIcon(windowIcon(), this);
    tray_->setToolTip(QStringLiteral("Kestrel"));
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
      if (!cb_.tray) return;
      cb_.tray(r == QSystemTrayIcon::Trigger   ? CMainFrame::TrayMouse::LeftDown
               : r == QSystemTrayIcon::Context ? CMainFrame::TrayMouse::RightDown
                                               : CMainFrame::TrayMouse::Other);
    });
    tray_->show();
  } else if (!show && tray_) {
    tray_->hide();
    tray_->deleteLater();
    tray_ = nullptr;
  }
}

void QtFrameWindow::ShowFileMenuAtCursor() { fileMenu_->popup(QCursor::pos()); }

void QtFrameWindow::UpdateCommandStates() {
  if (!cb_.commandState) return;
  for (auto& [id, a] : actions_) {
    const int bars = BarCommandState(id);
    int st = bars >= 0 ? bars : cb_.commandState(id);
    a->setEnabled(st & 1);
    if (a->isCheckable()) a->setChecked(st & 2);
  }
}

void QtFrameWindow::SetEngineOffline(bool offline) { SetWorkOffline(offline); }

void QtFrameWindow::SetBlockPopupAlternate(bool alternate) {
  blockAlternate_ = alternate;
  const char* file = alternate ? "icons/block_popup_flash.svg" : "icons/block_popup.svg";
  if (QAction* a = action(ID_BLOCK_POPUP)) a->setIcon(QIcon(QString::fromStdString(ProgramFile(file))));
}

bool QtFrameWindow::StatusBarVisible() const { return statusBar()->isVisible(); }

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

void QtFrameWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && cb_.sized) QTimer::singleShot(0, this, cb_.sized);
}

}  // namespace kestrel
