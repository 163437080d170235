#include "ui/menu_bar_qt.h"

#include <QActionEvent>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QTimer>

#include "ui/column_menu_qt.h"

namespace kestrel {
namespace {

using Key = CMenuBarTracker::Key;
using State = CMenuBarTracker::State;

constexpr int kPad = 7;  // on each side of an item's text
constexpr int kMargin = 2;

Key KeyOf(int key) {
  switch (key) {
    case Qt::Key_Escape: return Key::Escape;
    case Qt::Key_Space: return Key::Space;
    case Qt::Key_Up: return Key::Up;
    case Qt::Key_Down: return Key::Down;
    case Qt::Key_Left: return Key::Left;
    case Qt::Key_Right: return Key::Right;
    case Qt::Key_Return:
    case Qt::Key_Enter: return Key::Return;
    default: return Key::Other;
  }
}

// The letter or digit of a key, whatever the keyboard's shift state makes
// of its text; 0 for any other key.
char CharOf(int key) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<char>('a' + (key - Qt::Key_A));
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<char>('0' + (key - Qt::Key_0));
  return 0;
}

bool OtherModifiers(const QKeyEvent* k) { return k->modifiers() & (Qt::ControlModifier | Qt::MetaModifier); }

// Whether Left or Right has a use inside the menu itself.
bool MenuTakesSideKey(QMenu* menu, int step) {
  if (auto* columns = dynamic_cast<QtColumnMenu*>(menu)) return columns->TakesSideKey(step);
  const QAction* a = menu->activeAction();
  return step > 0 && a && a->menu() && a->isEnabled();
}

}  // namespace

QtMenuBar::QtMenuBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("FlatMenuBar"));
  setFont(QApplication::font("QMenuBar"));
  setMouseTracking(true);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  qApp->installEventFilter(this);
  Relayout();
}

QtMenuBar::~QtMenuBar() { qApp->removeEventFilter(this); }

void QtMenuBar::AddMenu(QMenu* menu) {
  menus_.push_back(menu);
  addAction(menu->menuAction());  // its title changes reach the bar as action events
  connect(menu, &QMenu::aboutToHide, this, [this, menu] { PopupHidden(menu); });
  Relayout();
}

QMenu* QtMenuBar::menuAt(int index) const {
  return index >= 0 && index < count() ? menus_[static_cast<std::size_t>(index)] : nullptr;
}

QRect QtMenuBar::itemRect(int index) const {
  if (index < 0 || index >= static_cast<int>(rects_.size())) return {};
  QRect r = rects_[static_cast<std::size_t>(index)];
  r.setTop(0);
  r.setHeight(height());
  return r;
}

int QtMenuBar::itemAt(const QPoint& pos) const {
  for (int i = 0; i < count(); ++i)
    if (itemRect(i).contains(pos)) return i;
  return -1;
}

int QtMenuBar::ItemAtGlobal(const QPoint& global) const {
  if (!isVisible()) return -1;
  return itemAt(mapFromGlobal(global));
}

QSize QtMenuBar::sizeHint() const { return size_; }

// Every item stays reachable: the bar is never narrower than its items,
// the band's corner goes into the band's own overflow first.
QSize QtMenuBar::minimumSizeHint() const { return size_; }

void QtMenuBar::Relayout() {
  const QFontMetrics fm(font());
  const int h = std::max(fm.height() + 8, 22);
  rects_.clear();
  std::vector<std::string> texts;
  int x = kMargin;
  for (QMenu* m : menus_) {
    const QString title = m->title();
    const int w = fm.size(Qt::TextShowMnemonic, title).width() + 2 * kPad;
    rects_.emplace_back(x, 0, w, h);
    x += w;
    texts.push_back(title.toStdString());
  }
  tracker_.SetTexts(std::move(texts));
  size_ = QSize(x + kMargin, h);
  updateGeometry();
  update();
}

bool QtMenuBar::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::ActionAdded:
    case QEvent::ActionChanged:
    case QEvent::ActionRemoved:
    case QEvent::FontChange:
    case QEvent::StyleChange:
      Relayout();
      break;
    default: break;
  }
  return QWidget::event(event);
}

void QtMenuBar::paintEvent(QPaintEvent*) {
  // No background of its own: the band's shows through, skinned or not.
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const bool mnemonics =
      style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, this) || tracker_.state() != State::None;
  const QColor highlight = palette().color(QPalette::Highlight);
  for (int i = 0; i < count(); ++i) {
    const QRect r = itemRect(i).adjusted(0, 2, 0, -2);
    const bool open = tracker_.state() == State::PopupOpen && tracker_.current() == i;
    const bool hot = !open && (tracker_.hot() == i || (tracker_.state() == State::None && hover_ == i));
    QPalette::ColorRole role = QPalette::ButtonText;
    if (open || hot) {
      QColor fill = highlight, edge = highlight.darker(115);
      if (!open) {
        fill.setAlpha(55);
        edge.setAlpha(150);
      }
      p.setPen(edge);
      p.setBrush(fill);
      p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
      if (open) role = QPalette::HighlightedText;
    }
    style()->drawItemText(&p, r, Qt::AlignCenter | (mnemonics ? Qt::TextShowMnemonic : Qt::TextHideMnemonic),
                          palette(), isEnabled(), menus_[static_cast<std::size_t>(i)]->title(), role);
  }
}

void QtMenuBar::mousePressEvent(QMouseEvent* event) {
  const int i = event->button() == Qt::LeftButton ? itemAt(event->position().toPoint()) : -1;
  const CMenuBarTracker::Outcome out = tracker_.Press(i);
  if (out.open < 0) return event->ignore();
  Track(out.open);
}

void QtMenuBar::mouseMoveEvent(QMouseEvent* event) {
  const QPoint global = event->globalPosition().toPoint();
  if (global == lastMouse_) return;
  lastMouse_ = global;
  const int i = itemAt(event->position().toPoint());
  tracker_.Hover(i);
  if (i != hover_) {
    hover_ = i;
    update();
  }
}

void QtMenuBar::leaveEvent(QEvent*) {
  hover_ = -1;
  update();
}

void QtMenuBar::OpenMenu(int index) {
  const CMenuBarTracker::Outcome out = tracker_.Press(index);
  if (out.open >= 0) Track(out.open);
}

void QtMenuBar::Track(int index) {
  QMenu* menu = menuAt(index);
  if (!menu || open_) return;
  tracker_.PopupOpened(index);
  open_ = menu;
  // Only a real move of the pointer chooses another item, not where it
  // happened to stand when the popup opened.
  lastMouse_ = QCursor::pos();
  menu->setAttribute(Qt::WA_NoMouseReplay, false);
  update();
  menu->popup(mapToGlobal(itemRect(index).bottomLeft() + QPoint(0, 1)));
  // As a menu bar does: the first item is marked, so the keys go on from
  // there. A Down key marks it the way the menu itself would, without
  // opening the submenu a marked item may have.
  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QCoreApplication::sendEvent(menu, &down);
}

void QtMenuBar::PopupHidden(QMenu* menu) {
  if (menu != open_) return;
  open_ = nullptr;
  tracker_.PopupClosed();
  // The pointer moved on while the popup had it.
  const QPoint at = mapFromGlobal(QCursor::pos());
  hover_ = rect().contains(at) ? itemAt(at) : -1;
  const int next = tracker_.NextPopup();
  update();
  // Opened once this popup has gone: a popup shown while another hides
  // would be closed with it.
  if (next >= 0) QTimer::singleShot(0, this, [this, next] { Track(next); });
}

void QtMenuBar::ClosePopups() {
  if (!open_) return;
  // The press that closes them is the bar's, not to be replayed onto it.
  open_->setAttribute(Qt::WA_NoMouseReplay);
  // From the innermost submenu back to the bar's own popup.
  for (int guard = 0; guard < 64 && open_; ++guard) {
    QWidget* top = QApplication::activePopupWidget();
    if (!top || !InOpenChain(top)) break;
    top->hide();
  }
  if (open_) open_->hide();
}

bool QtMenuBar::InOpenChain(QObject* object) const {
  if (!open_) return false;
  for (auto* w = qobject_cast<QWidget*>(object); w; w = w->parentWidget())
    if (w == open_) return true;
  return false;
}

bool QtMenuBar::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
      if (open_) {
        // Keys go to the innermost popup; a key it passes on to its parent
        // is seen here again and left alone.
        if (event->type() == QEvent::KeyPress && watched == QApplication::activePopupWidget() && InOpenChain(watched))
          return PopupKey(watched, static_cast<QKeyEvent*>(event));
        return false;
      }
      return WindowKey(watched, event);
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
      if (open_) {
        // The pointer goes to the innermost popup while one is open; one
        // sent to the bar itself (a synthetic event) counts as well.
        if (watched == QApplication::activePopupWidget() || watched == this)
          return PopupMouse(static_cast<QMouseEvent*>(event));
        return false;
      }
      if (event->type() == QEvent::MouseButtonPress && tracker_.state() == State::HotTracking && watched != this) {
        tracker_.Cancel();
        update();
      }
      return false;
    case QEvent::WindowDeactivate:
      if (watched == window() && !open_) {
        // Alt may have gone with the focus (Alt+Tab): its release is not
        // a press of the bar's.
        tracker_.KeyDown(Key::Other, true);
        tracker_.Cancel();
        update();
      }
      return false;
    default: return false;
  }
}

bool QtMenuBar::WindowKey(QObject* watched, QEvent* event) {
  // A key is seen once, where it is delivered first; the parents it may
  // travel to after that are not asked again.
  QWidget* first = QApplication::focusWidget() ? QApplication::focusWidget() : window();
  if (watched != first || first->window() != window() || !isVisible()) return false;
  auto* k = static_cast<QKeyEvent*>(event);
  const bool alt = k->modifiers() & Qt::AltModifier;
  if (k->key() == Qt::Key_Alt) {
    if (event->type() == QEvent::ShortcutOverride || k->isAutoRepeat()) return false;
    if (event->type() == QEvent::KeyPress) {
      tracker_.AltDown();
    } else {
      tracker_.AltUp();
      update();
    }
    return true;
  }
  if (event->type() == QEvent::KeyRelease) return false;
  const char c = OtherModifiers(k) ? 0 : CharOf(k->key());
  if (event->type() == QEvent::ShortcutOverride) {
    // Kept from the shortcuts only what the bar will take: in hot-tracking
    // its keys and every letter, with Alt the letters of its items.
    const bool hot = tracker_.state() == State::HotTracking && !OtherModifiers(k);
    bool wanted = hot && (c != 0 || KeyOf(k->key()) != Key::Other);
    if (!wanted && alt && c != 0)
      for (QMenu* m : menus_)
        if (AccessKeyOf(m->title().toStdString()) == c) wanted = true;
    if (wanted) {
      event->accept();
      return true;
    }
    // A shortcut with Alt (Alt+Left goes back) uses Alt: its release
    // does not highlight the bar.
    if (alt) tracker_.KeyDown(Key::Other, true);
    return false;
  }
  const CMenuBarTracker::Outcome out = c != 0 ? tracker_.Char(c, alt)
                                              : tracker_.KeyDown(OtherModifiers(k) ? Key::Other : KeyOf(k->key()), alt);
  update();
  if (out.open >= 0) Track(out.open);
  return out.consumed;
}

bool QtMenuBar::PopupKey(QObject* watched, QKeyEvent* event) {
  auto* menu = qobject_cast<QMenu*>(watched);
  if (!menu) return false;
  switch (event->key()) {
    case Qt::Key_Alt:
      // Alt leaves the menus altogether, and its release highlights nothing.
      ClosePopups();
      tracker_.AltDown();
      tracker_.KeyDown(Key::Other, true);
      return true;
    case Qt::Key_Escape:
      // Only the bar's own popup steps back to the bar; a submenu closes
      // into its parent.
      if (menu == open_) tracker_.PopupKey(Key::Escape);
      return false;
    case Qt::Key_Left:
    case Qt::Key_Right: {
      const int step = event->key() == Qt::Key_Left ? -1 : 1;
      // Left in a submenu goes back to its parent; a submenu or a column
      // the menu has is its own.
      if ((step < 0 && menu != open_) || MenuTakesSideKey(menu, step)) return false;
      if (!tracker_.PopupKey(step < 0 ? Key::Left : Key::Right)) return false;
      ClosePopups();
      return true;
    }
    default: return false;
  }
}

bool QtMenuBar::PopupMouse(QMouseEvent* event) {
  const QPoint global = event->globalPosition().toPoint();
  const int i = ItemAtGlobal(global);
  if (event->type() == QEvent::MouseMove) {
    // A popup is sent moves at the same place as it opens and closes.
    if (global == lastMouse_) return false;
    lastMouse_ = global;
    if (!tracker_.PopupHover(i)) return false;
    ClosePopups();
    return true;
  }
  // A press on the open popup's item closes it; on another item opens that one.
  if (i < 0 || event->button() != Qt::LeftButton) return false;
  if (!tracker_.PopupPress(i) && !tracker_.PopupHover(i)) return false;
  ClosePopups();
  return true;
}

}  // namespace kestrel
