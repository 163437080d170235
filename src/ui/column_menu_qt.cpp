#include "ui/column_menu_qt.h"

#include <QActionEvent>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionMenuItem>
#include <algorithm>
#include <cstdlib>

namespace kestrel {

namespace {

constexpr const char* kBreakProperty = "kestrel-column-break";
constexpr int kColumnGap = 7;  // between columns, with a line in its middle

}  // namespace

QtColumnMenu::QtColumnMenu(const QString& title, QWidget* parent) : QMenu(title, parent) {
  subTimer_.setSingleShot(true);
  connect(&subTimer_, &QTimer::timeout, this, [this] { OpenSubmenu(); });
}

void QtColumnMenu::SetColumnBreak(QAction* action, bool on) { action->setProperty(kBreakProperty, on); }

bool QtColumnMenu::HasColumns() const {
  const QList<QAction*> all = actions();
  return std::any_of(all.begin(), all.end(),
                     [](const QAction* a) { return a->isVisible() && a->property(kBreakProperty).toBool(); });
}

bool QtColumnMenu::Selectable(const QAction* action) {
  return action && action->isVisible() && action->isEnabled() && !action->isSeparator();
}

const std::vector<QtColumnMenu::Item>& QtColumnMenu::Items() const {
  if (!dirty_) return items_;
  dirty_ = false;
  items_.clear();
  // The style's own item sizes, as QMenu measures them for one column.
  (void)QMenu::sizeHint();
  QStyle* st = style();
  const int fw = st->pixelMetric(QStyle::PM_MenuPanelWidth, nullptr, this);
  const int hm = st->pixelMetric(QStyle::PM_MenuHMargin, nullptr, this);
  const int vm = st->pixelMetric(QStyle::PM_MenuVMargin, nullptr, this);
  const QMargins cm = contentsMargins();
  const int top = fw + vm + cm.top();
  int x = fw + hm + cm.left(), y = top, bottom = top, width = 0, column = 0;
  std::size_t columnStart = 0;
  auto closeColumn = [&] {
    for (std::size_t i = columnStart; i < items_.size(); ++i) items_[i].rect.setWidth(width);
  };
  for (QAction* a : actions()) {
    if (!a->isVisible()) continue;
    const QRect base = actionGeometry(a);
    if (a->property(kBreakProperty).toBool() && !items_.empty()) {
      closeColumn();
      x += width + kColumnGap;
      y = top;
      width = 0;
      ++column;
      columnStart = items_.size();
    }
    items_.push_back({a, QRect(x, y, base.width(), base.height()), column});
    y += base.height();
    width = std::max(width, base.width());
    bottom = std::max(bottom, y);
  }
  closeColumn();
  size_ = QSize(x + width + hm + fw + cm.right(), bottom + vm + fw + cm.bottom());
  return items_;
}

QSize QtColumnMenu::sizeHint() const {
  if (!HasColumns()) return QMenu::sizeHint();
  Items();
  return size_;
}

int QtColumnMenu::ColumnOf(const QAction* action) const {
  if (!HasColumns()) return action && action->isVisible() && actions().contains(const_cast<QAction*>(action)) ? 0 : -1;
  const Item* it = ItemOf(action);
  return it ? it->column : -1;
}

QRect QtColumnMenu::ItemRect(const QAction* action) const {
  if (!HasColumns()) return actionGeometry(const_cast<QAction*>(action));
  const Item* it = ItemOf(action);
  return it ? it->rect : QRect();
}

const QtColumnMenu::Item* QtColumnMenu::ItemOf(const QAction* action) const {
  for (const Item& it : Items())
    if (it.action == action) return &it;
  return nullptr;
}

const QtColumnMenu::Item* QtColumnMenu::ItemAt(const QPoint& pos) const {
  for (const Item& it : Items())
    if (it.rect.contains(pos)) return it.action->isSeparator() ? nullptr : &it;
  return nullptr;
}

void QtColumnMenu::actionEvent(QActionEvent* event) {
  dirty_ = true;
  QMenu::actionEvent(event);
}

void QtColumnMenu::paintEvent(QPaintEvent* event) {
  if (!HasColumns()) return QMenu::paintEvent(event);
  QPainter p(this);
  QStyle* st = style();
  QStyleOptionMenuItem panel;
  panel.initFrom(this);
  panel.state = QStyle::State_None;
  panel.checkType = QStyleOptionMenuItem::NotCheckable;
  panel.maxIconWidth = 0;
  panel.reservedShortcutWidth = 0;
  st->drawPrimitive(QStyle::PE_PanelMenu, &panel, &p, this);
  panel.rect = panel.menuRect = rect();
  st->drawControl(QStyle::CE_MenuEmptyArea, &panel, &p, this);
  int lastColumn = 0;
  for (const Item& it : Items()) {
    if (it.column != lastColumn) {
      lastColumn = it.column;
      const int x = it.rect.left() - kColumnGap / 2 - 1;
      p.setPen(palette().color(QPalette::Mid));
      p.drawLine(x, it.rect.top(), x, height() - it.rect.top());
    }
    QStyleOptionMenuItem opt;
    initStyleOption(&opt, it.action);
    opt.rect = it.rect;
    opt.state.setFlag(QStyle::State_Selected, it.action == active_ && Selectable(it.action));
    p.setClipRect(it.rect);
    st->drawControl(QStyle::CE_MenuItem, &opt, &p, this);
    p.setClipping(false);
  }
  if (const int fw = st->pixelMetric(QStyle::PM_MenuPanelWidth, nullptr, this)) {
    QStyleOptionFrame frame;
    frame.rect = rect();
    frame.palette = palette();
    frame.state = QStyle::State_None;
    frame.lineWidth = fw;
    frame.midLineWidth = 0;
    st->drawPrimitive(QStyle::PE_FrameMenu, &frame, &p, this);
  }
}

QMenu* QtColumnMenu::ParentMenuAt(const QPoint& global) const {
  for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
    auto* m = qobject_cast<QMenu*>(w);
    if (!m) break;
    if (m->isVisible() && m->geometry().contains(global)) return m;
  }
  return nullptr;
}

bool QtColumnMenu::ForwardToParent(QMouseEvent* event) {
  const QPoint global = event->globalPosition().toPoint();
  if (rect().contains(event->position().toPoint())) return false;
  QMenu* parent = ParentMenuAt(global);
  if (!parent) return false;
  if (event->type() == QEvent::MouseButtonPress) hide();  // the press belongs to the menu below
  QMouseEvent moved(event->type(), parent->mapFromGlobal(global), global, event->button(), event->buttons(),
                    event->modifiers());
  QCoreApplication::sendEvent(parent, &moved);
  return true;
}

void QtColumnMenu::mouseMoveEvent(QMouseEvent* event) {
  // A menu this one opened itself has no tie to it inside QMenu: the
  // pointer going back to it is passed on here.
  if (ForwardToParent(event)) return;
  if (!HasColumns()) return QMenu::mouseMoveEvent(event);
  const QPoint pos = event->position().toPoint();
  if (!rect().contains(pos)) {
    // Over the menu bar, the bar itself opens its other menus.
    if (!openSub_) SetActive(nullptr, false);
    return;
  }
  moved_ = true;
  const Item* it = ItemAt(pos);
  SetActive(it ? it->action : nullptr, true);
}

QAction* QtColumnMenu::ItemUnder(const QPoint& pos) const {
  if (!HasColumns()) return actionAt(pos);
  const Item* it = ItemAt(pos);
  return it ? it->action : nullptr;
}

void QtColumnMenu::mousePressEvent(QMouseEvent* event) {
  if (ForwardToParent(event)) return;
  // The right button is the item's own menu, on its release.
  if (event->button() == Qt::RightButton && itemContextMenu && rect().contains(event->position().toPoint())) return;
  if (!HasColumns()) return QMenu::mousePressEvent(event);
  pressedInside_ = rect().contains(event->position().toPoint());
  if (!pressedInside_) return CloseChain();
  const Item* it = ItemAt(event->position().toPoint());
  if (it && it->action->menu()) {
    SetActive(it->action, false);
    OpenSubmenu();
  }
}

void QtColumnMenu::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton && itemContextMenu) {
    QAction* item = ItemUnder(event->position().toPoint());
    if (item && itemContextMenu(item, event->globalPosition().toPoint())) return;
  }
  if (!HasColumns()) return QMenu::mouseReleaseEvent(event);
  const Item* it = ItemAt(event->position().toPoint());
  const bool fromHere = pressedInside_ || moved_;
  pressedInside_ = false;
  if (it && fromHere && Selectable(it->action) && !it->action->menu()) Activate(it->action);
}

void QtColumnMenu::StepVertical(int step) {
  std::vector<QAction*> order;
  for (const Item& it : Items())
    if (Selectable(it.action)) order.push_back(it.action);
  if (order.empty()) return;
  const auto at = std::find(order.begin(), order.end(), active_);
  const int n = static_cast<int>(order.size());
  int i = at == order.end() ? (step > 0 ? 0 : n - 1) : static_cast<int>(at - order.begin()) + step;
  i = (i % n + n) % n;
  SetActive(order[static_cast<std::size_t>(i)], false);
}

const QtColumnMenu::Item* QtColumnMenu::NearestInColumn(int step) const {
  const Item* from = ItemOf(active_);
  const int column = (from ? from->column : 0) + step;
  const int middle = from ? from->rect.center().y() : 0;
  const Item* best = nullptr;
  for (const Item& it : Items())
    if (it.column == column && Selectable(it.action) &&
        (!best || std::abs(it.rect.center().y() - middle) < std::abs(best->rect.center().y() - middle)))
      best = &it;
  return best;
}

bool QtColumnMenu::StepColumn(int step) {
  const Item* best = NearestInColumn(step);
  if (!best) return false;
  SetActive(best->action, false);
  return true;
}

bool QtColumnMenu::TakesSideKey(int step) const {
  const QAction* active = ActiveItem();
  if (step > 0 && active && active->menu() && active->isEnabled()) return true;
  return HasColumns() && NearestInColumn(step) != nullptr;
}

void QtColumnMenu::keyPressEvent(QKeyEvent* event) {
  if (!HasColumns()) return QMenu::keyPressEvent(event);
  // The menu bar marks the first item when it opens a menu from the keyboard.
  if (QAction* marked = activeAction()) {
    if (!active_) active_ = marked;
    setActiveAction(nullptr);
  }
  const bool submenuParent = qobject_cast<QMenu*>(parentWidget()) != nullptr;
  switch (event->key()) {
    case Qt::Key_Up:
      return StepVertical(-1);
    case Qt::Key_Down:
      return StepVertical(1);
    case Qt::Key_Home:
      active_ = nullptr;
      return StepVertical(1);
    case Qt::Key_End:
      active_ = nullptr;
      return StepVertical(-1);
    case Qt::Key_Right:
      if (active_ && active_->menu() && active_->isEnabled()) return OpenSubmenu();
      if (StepColumn(1)) return;
      break;
    case Qt::Key_Left:
      if (StepColumn(-1)) return;
      if (submenuParent) return hide();
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      if (!Selectable(active_)) return;
      if (active_->menu()) return OpenSubmenu();
      return Activate(active_);
    default:
      break;
  }
  // Escape, the access keys and the menu bar's neighbours: as any menu.
  QMenu::keyPressEvent(event);
}

void QtColumnMenu::SetActive(QAction* action, bool openSubmenuSoon) {
  if (action != active_) {
    active_ = action;
    update();
    if (action) emit hovered(action);
  }
  if (!openSubmenuSoon) return;
  if ((action && action->menu()) || openSub_) {
    const int delay = style()->styleHint(QStyle::SH_Menu_SubMenuPopupDelay, nullptr, this);
    subTimer_.start(std::max(delay, 50));
  }
}

void QtColumnMenu::OpenSubmenu() {
  QMenu* sub = Selectable(active_) ? active_->menu() : nullptr;
  if (openSub_ && openSub_ != sub) openSub_->hide();
  openSub_ = sub;
  if (!sub || sub->isVisible()) return;
  const Item* it = ItemOf(active_);
  if (!it) return;
  const int fw = style()->pixelMetric(QStyle::PM_MenuPanelWidth, nullptr, this);
  sub->popup(mapToGlobal(QPoint(it->rect.right() + 1, it->rect.top() - fw)));
}

void QtColumnMenu::Activate(QAction* action) {
  CloseChain();
  emit triggered(action);
  action->activate(QAction::Trigger);
}

void QtColumnMenu::CloseChain() {
  std::vector<QMenu*> chain{this};
  for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
    auto* m = qobject_cast<QMenu*>(w);
    if (!m) break;
    chain.push_back(m);
  }
  for (QMenu* m : chain)
    if (m->isVisible()) m->hide();
}

void QtColumnMenu::showEvent(QShowEvent* event) {
  dirty_ = true;
  moved_ = pressedInside_ = false;
  QMenu::showEvent(event);
}

void QtColumnMenu::hideEvent(QHideEvent* event) {
  subTimer_.stop();
  if (openSub_) openSub_->hide();
  openSub_ = nullptr;
  active_ = nullptr;
  QMenu::hideEvent(event);
}

}  // namespace kestrel
