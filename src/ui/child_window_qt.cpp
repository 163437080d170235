#include "ui/child_window_qt.h"

#include <QCloseEvent>
#include <QMdiArea>

#include "engine/webengine_control.h"

namespace kestrel {

QtChildWindow::QtChildWindow(std::unique_ptr<WebEngineControl> control, QWidget* parent)
    : QMdiSubWindow(parent), control_(std::move(control)) {
  setWidget(control_->widget());
  setWindowTitle(QStringLiteral("about:blank"));
  // Hidden, it takes no focus: the engine focuses a window a page opens,
  // and the MDI area would make that hidden window the active one.
  setEnabled(false);
}

QtChildWindow::~QtChildWindow() {
  // The view belongs to the control, which outlives the window's widget tree.
  if (QWidget* w = widget()) {
    setWidget(nullptr);
    w->setParent(nullptr);
  }
}

bool QtChildWindow::IsVisible() const { return shown_ && !isHidden(); }

void QtChildWindow::Show(bool maximized, bool activate) {
  shown_ = true;
  setEnabled(true);
  // The MDI area makes every window it shows the active one; a site opened
  // behind the others gives the activation straight back.
  QMdiArea* area = mdiArea();
  QMdiSubWindow* before = area ? area->activeSubWindow() : nullptr;
  // As in every MDI frame, a window opened while the active one is maximised
  // opens maximised too: a page does not get a stamp-sized window behind it.
  if (before && before != this && before->isVisible() && before->isMaximized()) maximized = true;
  if (maximized)
    showMaximized();
  else
    showNormal();
  if (activate)
    Activate();
  else if (before && before != this && area->activeSubWindow() != before)
    area->setActiveSubWindow(before);
}

void QtChildWindow::setVisible(bool visible) {
  if (visible && !shown_) return;
  QMdiSubWindow::setVisible(visible);
}

void QtChildWindow::Hide() {
  shown_ = false;
  setEnabled(false);
  hide();
}

void QtChildWindow::Activate() {
  if (QMdiArea* area = mdiArea()) area->setActiveSubWindow(this);
}

void QtChildWindow::SetCaption(const std::string& text) {
  setWindowTitle(DisplayTitle(QString::fromStdString(text)));
}

void QtChildWindow::SetNormalSize(int width, int height) {
  // A hidden window stays hidden: only its size changes.
  if (isMaximized()) return;
  sizedByPage_ = true;
  resize(width, height);
}

void QtChildWindow::FitToArea(const QSize& area) {
  // At the area's origin: a window standing out past the area's edge would
  // give the area scroll bars, and with them a new size for every window.
  if (!sizedByPage_ && !isMaximized()) setGeometry(QRect(QPoint(0, 0), area));
}

void QtChildWindow::Refit() {
  if (isMaximized()) showMaximized();
}

void QtChildWindow::closeEvent(QCloseEvent* event) {
  if (closingForReal_) {
    event->accept();
    return;
  }
  event->ignore();
  if (onCloseRequested) onCloseRequested();
}

QString QtChildWindow::DisplayTitle(const QString& title) {
  constexpr int kMax = 256;
  QString out;
  out.reserve(qMin<qsizetype>(title.size(), kMax));
  for (QChar c : title) {
    if (out.size() >= kMax) break;
    // Control and direction-override characters would garble the caption.
    if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format) continue;
    out += c;
  }
  return out;
}

}  // namespace kestrel
