#include "ui/frame_window_qt.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
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
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/app.h"
#include "engine/web_engine.h"
#include "engine/webengine_control.h"
#include "ui/child_window_qt.h"

namespace kestrel {

QtFrameWindow::QtFrameWindow(Callbacks callbacks)
    : cb_(std::move(callbacks)), mdi_(new QMdiArea), tabs_(new QTabBar), address_(new QLineEdit),
      busy_(new QLabel), message_(new QLabel), progress_(new QProgressBar), timer_(new QTimer(this)) {
  setWindowTitle(QStringLiteral("Kestrel"));
  setObjectName(QString::fromLatin1(kMainWindowClass));

  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  tabs_->setExpanding(false);
  tabs_->setTabsClosable(true);
  tabs_->setMovable(false);
  tabs_->setDocumentMode(true);
  tabs_->setElideMode(Qt::ElideRight);
  tabs_->setUsesScrollButtons(true);
  layout->addWidget(tabs_);
  mdi_->setViewMode(QMdiArea::SubWindowView);
  mdi_->setActivationOrder(QMdiArea::CreationOrder);
  layout->addWidget(mdi_, 1);
  setCentralWidget(central);

  connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
    if (auto* child = qobject_cast<QtChildWindow*>(w); child && cb_.siteActivated) cb_.siteActivated(child);
  });
  connect(tabs_, &QTabBar::tabBarClicked, this, [this](int i) {
    if (i < 0) return;
    auto* child = reinterpret_cast<QtChildWindow*>(tabs_->tabData(i).value<quintptr>());
    ActivateSite(child);
  });
  connect(tabs_, &QTabBar::tabCloseRequested, this, [this](int i) {
    auto* child = reinterpret_cast<QtChildWindow*>(tabs_->tabData(i).value<quintptr>());
    if (cb_.siteCloseRequested) cb_.siteCloseRequested(child);
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

  QMenu* go = menuBar()->addMenu(tr("&Go"));
  Command(go, ID_GO_BACK, tr("&Back"), QKeySequence(Qt::ALT | Qt::Key_Left));
  Command(go, ID_GO_FORWARD, tr("&Forward"), QKeySequence(Qt::ALT | Qt::Key_Right));
  Command(go, ID_GO_HOME, tr("&Home"));
  Command(go, ID_HOME_PAGE, tr("Home &Page"), QKeySequence(Qt::ALT | Qt::Key_Home));
  go->addSeparator();
  Command(go, ID_NEXT_WINDOW, tr("&Next Window"), QKeySequence(Qt::CTRL | Qt::Key_Tab));
  Command(go, ID_PREV_WINDOW, tr("&Previous Window"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab));
  Command(go, ID_DUPLICATE_SITE, tr("&Duplicate Current Site"));

  QMenu* tools = menuBar()->addMenu(tr("&Tools"));
  Command(tools, ID_ALWAYS_NEW, tr("&Always New Window"), {}, true);
  Command(tools, ID_OPTIONS, tr("&Options..."));

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  Command(help, ID_HELP_CONTENT, tr("&Content"), QKeySequence::HelpContents);
  Command(help, ID_TIP_OF_THE_DAY, tr("&Tip of the Day..."));
}

void QtFrameWindow::BuildToolBar() {
  toolbar_ = addToolBar(tr("Standard"));
  toolbar_->setMovable(false);
  auto button = [this](unsigned id, QStyle::StandardPixmap icon, const QString& text) {
    QAction* a = action(id);
    a->setIcon(style()->standardIcon(icon));
    a->setToolTip(text);
    toolbar_->addAction(a);
  };
  button(ID_GO_BACK, QStyle::SP_ArrowBack, tr("Back"));
  button(ID_GO_FORWARD, QStyle::SP_ArrowForward, tr("Forward"));
  button(ID_VIEW_STOP, QStyle::SP_BrowserStop, tr("Stop"));
  button(ID_VIEW_REFRESH, QStyle::SP_BrowserReload, tr("Refresh"));
  button(ID_GO_HOME, QStyle::SP_DirHomeIcon, tr("Home"));
  toolbar_->addSeparator();
  toolbar_->addWidget(new QLabel(tr(" Address ")));
  address_->setClearButtonEnabled(true);
  address_->setPlaceholderText(tr("Type an address, and press Enter"));
  toolbar_->addWidget(address_);
  busy_->setFixedWidth(24);
  busy_->setAlignment(Qt::AlignCenter);
  toolbar_->addWidget(busy_);
  connect(address_, &QLineEdit::textEdited, this, [this] { editing_ = true; });
  connect(address_, &QLineEdit::returnPressed, this, [this] {
    std::string text = address_->text().toStdString();
    editing_ = false;
    Qt::KeyboardModifiers mods = QGuiApplication::queryKeyboardModifiers();
    if (!text.empty()) cb_.openTyped(text, mods & Qt::ControlModifier, mods & Qt::ShiftModifier);
  });
  auto* focus = new QAction(this);
  focus->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_L), QKeySequence(Qt::ALT | Qt::Key_D), Qt::Key_F6});
  connect(focus, &QAction::triggered, this, [this] {
    address_->setFocus();
    address_->selectAll();
  });
  addAction(focus);
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
  tabs_->setVisible(visible);
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

void QtFrameWindow::SetAddressText(const std::string& text) { address_->setText(QString::fromStdString(text)); }

int QtFrameWindow::TabIndex(ChildWindow* window) const {
  for (int i = 0; i < tabs_->count(); ++i)
    if (tabs_->tabData(i).value<quintptr>() == reinterpret_cast<quintptr>(static_cast<QtChildWindow*>(window)))
      return i;
  return -1;
}

void QtFrameWindow::AddTab(ChildWindow* window, const std::string& text, bool select) {
  if (TabIndex(window) >= 0) return;
  QString t = QtChildWindow::DisplayTitle(QString::fromStdString(text));
  int i = tabs_->addTab(t.left(40));
  tabs_->setTabToolTip(i, t);
  tabs_->setTabData(i, QVariant::fromValue(reinterpret_cast<quintptr>(static_cast<QtChildWindow*>(window))));
  if (select) tabs_->setCurrentIndex(i);
}

void QtFrameWindow::SelectTab(ChildWindow* window) {
  int i = TabIndex(window);
  if (i >= 0) tabs_->setCurrentIndex(i);
}

void QtFrameWindow::SetTabText(ChildWindow* window, const std::string& text) {
  int i = TabIndex(window);
  if (i < 0) return;
  QString t = QtChildWindow::DisplayTitle(QString::fromStdString(text));
  tabs_->setTabText(i, t.left(40));
  tabs_->setTabToolTip(i, t);
}

void QtFrameWindow::RedrawTab(ChildWindow*) { tabs_->update(); }

void QtFrameWindow::RemoveTab(ChildWindow* window) {
  int i = TabIndex(window);
  if (i >= 0) tabs_->removeTab(i);
}

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
    int st = cb_.commandState(id);
    a->setEnabled(st & 1);
    if (a->isCheckable()) a->setChecked(st & 2);
  }
}

void QtFrameWindow::SetEngineOffline(bool offline) { SetWorkOffline(offline); }

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
