#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QWebEngineHistory>
#include <QWebEngineView>

#include "app/app.h"
#include "ui/site_window.h"

namespace kestrel {

MainWindow::MainWindow(Callbacks callbacks)
    : cb_(std::move(callbacks)), mdi_(new QMdiArea(this)), address_(new QLineEdit(this)),
      progress_(new QProgressBar(this)) {
  setWindowTitle(QStringLiteral("Kestrel"));
  setObjectName(QString::fromLatin1(kMainWindowClass));
  mdi_->setViewMode(QMdiArea::TabbedView);
  mdi_->setTabsClosable(true);
  mdi_->setTabsMovable(true);
  mdi_->setDocumentMode(true);
  setCentralWidget(mdi_);
  connect(mdi_, &QMdiArea::subWindowActivated, this, &MainWindow::OnSiteActivated);

  progress_->setRange(0, 100);
  progress_->setMaximumWidth(160);
  progress_->setTextVisible(false);
  progress_->hide();
  statusBar()->addPermanentWidget(progress_);

  BuildMenus();
  BuildToolBar();
  resize(1024, 720);
}

void MainWindow::BuildMenus() {
  auto command = [this](unsigned id) { return [this, id] { cb_.command(id); }; };
  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->addAction(tr("&New"), QKeySequence::New, this, command(ID_FILE_NEW))->setStatusTip(tr("Open a new site"));
  file->addAction(tr("&Close"), QKeySequence(Qt::CTRL | Qt::Key_W), this, [this] {
    if (auto* s = activeSite()) s->close();
  });
  file->addSeparator();
  file->addAction(tr("E&xit"), QKeySequence::Quit, this, [this] { close(); });

  QMenu* tools = menuBar()->addMenu(tr("&Tools"));
  tools->addAction(tr("&Options..."), this, command(ID_OPTIONS));

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->addAction(tr("&Content"), QKeySequence::HelpContents, this, command(ID_HELP_CONTENT));
  help->addAction(tr("&Tip of the Day..."), this, command(ID_TIP_OF_THE_DAY));
}

void MainWindow::BuildToolBar() {
  QToolBar* bar = addToolBar(tr("Address"));
  bar->setMovable(false);
  auto onView = [this](auto fn) {
    return [this, fn] {
      if (auto* s = activeSite()) fn(s->view());
    };
  };
  bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), tr("Back"),
                 onView([](QWebEngineView* v) { v->back(); }))->setShortcut(QKeySequence::Back);
  bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), tr("Forward"),
                 onView([](QWebEngineView* v) { v->forward(); }))->setShortcut(QKeySequence::Forward);
  bar->addAction(style()->standardIcon(QStyle::SP_BrowserStop), tr("Stop"),
                 onView([](QWebEngineView* v) { v->stop(); }))->setShortcut(Qt::Key_Escape);
  bar->addAction(style()->standardIcon(QStyle::SP_BrowserReload), tr("Refresh"),
                 onView([](QWebEngineView* v) { v->reload(); }))->setShortcut(QKeySequence::Refresh);
  address_->setPlaceholderText(tr("Type an address, and press Enter"));
  address_->setClearButtonEnabled(true);
  bar->addWidget(address_);
  connect(address_, &QLineEdit::returnPressed, this, [this] {
    std::string text = address_->text().toStdString();
    if (!text.empty()) cb_.openTyped(text);
  });
  auto* focus = new QAction(this);
  focus->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_L), QKeySequence(Qt::ALT | Qt::Key_D)});
  connect(focus, &QAction::triggered, this, [this] {
    address_->setFocus();
    address_->selectAll();
  });
  addAction(focus);
}

SiteWindow* MainWindow::NewSite() {
  auto* site = new SiteWindow;
  mdi_->addSubWindow(site);
  connect(site, &SiteWindow::stateChanged, this, [this, site] {
    if (site == activeSite()) UpdateFromActive();
  });
  connect(site, &QObject::destroyed, this, [this, site] {
    if (newest_ == site) newest_ = nullptr;
  });
  newest_ = site;
  site->showMaximized();
  mdi_->setActiveSubWindow(site);
  return site;
}

SiteWindow* MainWindow::activeSite() const { // The current child, even while the frame itself is not the active window.
  return qobject_cast<SiteWindow*>(mdi_->currentSubWindow()); }

int MainWindow::siteCount() const { return static_cast<int>(mdi_->subWindowList().size()); }

void MainWindow::CloseAllSites() {
  for (QMdiSubWindow* w : mdi_->subWindowList()) {
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->close();
  }
}

void MainWindow::OnSiteActivated(QMdiSubWindow*) { UpdateFromActive(); }

void MainWindow::UpdateFromActive() {
  SiteWindow* s = activeSite();
  if (!s) return;
  if (!address_->hasFocus()) address_->setText(s->isBlank() ? QString() : QString::fromStdString(s->address()));
  QString title = s->windowTitle();
  setWindowTitle(s->isBlank() ? QStringLiteral("Kestrel") : title + QStringLiteral(" - Kestrel"));
  progress_->setValue(s->progress());
  progress_->setVisible(s->progress() < 100);
}

bool MainWindow::StatusBarVisible() const { return statusBar()->isVisible(); }

WindowRect MainWindow::WindowRectangle() const {
  // In the terms setGeometry takes back at the next start. A maximised frame
  // keeps the size it had before, so that un-maximising gives that size back
  // rather than the whole screen.
  QRect r = isMaximized() ? normalGeometry() : geometry();
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!closing_) {
    closing_ = true;
    cb_.closing();
  }
  event->accept();
}

}  // namespace kestrel
