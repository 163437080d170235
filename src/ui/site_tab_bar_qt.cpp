#include "ui/site_tab_bar_qt.h"

#include <QBrush>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>
#include <QToolTip>
#include <QWheelEvent>
#include <qdrawutil.h>

#include "ui/child_window_qt.h"

namespace kestrel {

namespace {

constexpr int kButtonWidth = CSiteTabBar::kScrollButtonsWidth / 2;
constexpr int kWheelStep = 120;  // one notch of an ordinary mouse wheel

QRect ToQRect(const TabRect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

}  // namespace

QtSiteTabBar::QtSiteTabBar(CSiteTabBar& model, StatusFn status, QWidget* parent)
    : QWidget(parent), model_(model), status_(std::move(status)) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Tabs fit the desktop's font: its line height, and a shortened title
  // (twenty characters at most) at an average letter's width.
  const QFontMetrics fm = fontMetrics();
  model_.SetTabSize(fm.averageCharWidth() * 20 + 14, fm.height() + 6);
  barHeight_ = model_.tabHeight() + 2 * CSiteTabBar::kMargin;
  setFixedHeight(barHeight_);

  auto makeButton = [this](Qt::ArrowType arrow, int tabs) {
    auto* b = new QToolButton(this);
    b->setArrowType(arrow);
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFixedSize(kButtonWidth, barHeight_);
    connect(b, &QToolButton::clicked, this, [this, tabs] { Scroll(tabs); });
    b->hide();
    return b;
  };
  left_ = makeButton(Qt::LeftArrow, -1);
  right_ = makeButton(Qt::RightArrow, 1);

  changed_ = model_.changed.Subscribe([this] { ModelChanged(); });
  redraw_ = model_.redraw.Subscribe([this](int index) { RedrawTab(index); });
  model_.SetWidth(width());
  PlaceButtons();
}

QtSiteTabBar::~QtSiteTabBar() {
  // The model may outlive the window; it must not call into a dead one.
}

void QtSiteTabBar::SetSkinBrush(const QBrush* brush) {
  skin_ = brush;
  update();
}

QSize QtSiteTabBar::sizeHint() const { return QSize(200, barHeight_); }

QSize QtSiteTabBar::minimumSizeHint() const {
  return QSize(CSiteTabBar::kScrollButtonsWidth + CSiteTabBar::kMargin, barHeight_);
}

void QtSiteTabBar::ModelChanged() {
  PlaceButtons();
  update();
}

void QtSiteTabBar::RedrawTab(int index) {
  if (auto r = model_.RectOf(index)) update(ToQRect(*r));
}

void QtSiteTabBar::PlaceButtons() {
  const bool show = model_.needsScroll();
  left_->setVisible(show);
  right_->setVisible(show);
  if (!show) return;
  left_->move(width() - 2 * kButtonWidth, 0);
  right_->move(width() - kButtonWidth, 0);
  left_->setEnabled(model_.CanScrollLeft());
  right_->setEnabled(model_.CanScrollRight());
}

void QtSiteTabBar::Scroll(int tabs) { model_.ScrollTo(model_.firstVisible() + tabs); }

void QtSiteTabBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QBrush face = skin_ ? *skin_ : palette().button();
  painter.fillRect(rect(), skin_ ? *skin_ : palette().window());
  // Tabs that run under the scroll buttons are cut off there.
  painter.setClipRect(QRect(0, 0, model_.TabAreaRight(), height()));
  painter.setBackgroundMode(Qt::TransparentMode);

  for (const TabPaint& t : model_.Layout(status_)) {
    const QRect tab = ToQRect(t.tab);
    painter.fillRect(tab, face);
    if (t.selected) {
      qDrawShadePanel(&painter, tab, palette(), false, 1);
    } else {
      painter.setPen(palette().color(QPalette::Mid));
      painter.drawLine(tab.topRight(), tab.bottomRight());
    }

    if (t.mark == TabPaint::Mark::Gauge) {
      painter.fillRect(ToQRect(t.markOuter), QColor(0, 170, 0));
      painter.fillRect(ToQRect(t.gaugeFill), QColor(0, 255, 0));
    } else if (t.mark == TabPaint::Mark::Error) {
      painter.fillRect(ToQRect(t.markOuter), QColor(255, 0, 0));
    }

    painter.setPen(palette().color(QPalette::ButtonText));
    const QRect textRect(t.textX, t.textY, t.tab.right - 2 - t.textX, t.tab.bottom - t.textY);
    // A title of wide letters that still does not fit ends in "...", never mid-letter.
    const QString text = fontMetrics().elidedText(QtChildWindow::DisplayTitle(QString::fromStdString(t.text)),
                                                  Qt::ElideRight, textRect.width());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
  }
}

void QtSiteTabBar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  model_.SetWidth(width());
  PlaceButtons();
}

void QtSiteTabBar::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  const int index = model_.HitTest(pos.x(), pos.y());
  event->accept();
  if (index < 0) return;
  if (event->button() == Qt::LeftButton) {
    // Last: the handler may close sites and change the bar under us.
    if (activate) activate(index);
  } else if (event->button() == Qt::MiddleButton) {
    if (closeTab) closeTab(index);
  }
}

void QtSiteTabBar::mouseDoubleClickEvent(QMouseEvent* event) {
  // Two quick middle clicks are two closes, not one.
  if (event->button() == Qt::MiddleButton) return mousePressEvent(event);
  event->accept();
  if (event->button() != Qt::LeftButton) return;
  const QPoint pos = event->position().toPoint();
  const int index = model_.HitTest(pos.x(), pos.y());
  if (index >= 0 && closeTab) closeTab(index);
}

void QtSiteTabBar::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::RightButton) return;
  const QPoint pos = event->position().toPoint();
  const int index = model_.HitTest(pos.x(), pos.y());
  if (index >= 0 && contextMenu) contextMenu(index, event->globalPosition().toPoint());
}

void QtSiteTabBar::wheelEvent(QWheelEvent* event) {
  const QPoint d = event->angleDelta();
  wheelRemainder_ += d.y() != 0 ? d.y() : d.x();
  const int steps = wheelRemainder_ / kWheelStep;
  wheelRemainder_ -= steps * kWheelStep;
  // Turning the wheel away from the user moves towards the first tab.
  if (steps != 0) Scroll(-steps);
  event->accept();
}

bool QtSiteTabBar::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const int index = model_.HitTest(help->pos().x(), help->pos().y());
    const QString tip =
        index >= 0 ? QtChildWindow::DisplayTitle(QString::fromStdString(model_.fullTitle(index))) : QString();
    if (tip.isEmpty()) {
      QToolTip::hideText();
      event->ignore();
    } else {
      QToolTip::showText(help->globalPos(), tip, this, ToQRect(*model_.RectOf(index)));
    }
    return true;
  }
  return QWidget::event(event);
}

}  // namespace kestrel
