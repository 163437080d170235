#pragma once
// The main menu as a flat bar in the band area: one text item per
// top-level popup, drawn over whatever background the band has, and the
// keyboard and mouse of a real menu bar (Alt, the arrows, access keys,
// Escape stepping back, the pointer and Left/Right switching open popups).
// The rules are CMenuBarTracker's; this widget feeds it the events and
// opens and closes the popups it names.
#include <QPointer>
#include <QWidget>
#include <vector>

#include "appearance/menu_bar.h"

class QMenu;

namespace kestrel {

class QtMenuBar : public QWidget {
 public:
  explicit QtMenuBar(QWidget* parent = nullptr);
  ~QtMenuBar() override;

  // A top-level popup, shown as an item with the menu's title.
  void AddMenu(QMenu* menu);
  int count() const { return static_cast<int>(menus_.size()); }
  QMenu* menuAt(int index) const;
  // The item's place in the bar; empty for an index out of range.
  QRect itemRect(int index) const;
  int itemAt(const QPoint& pos) const;
  const CMenuBarTracker& tracker() const { return tracker_; }
  // The popup open from the bar, nullptr when none.
  QMenu* openMenu() const { return open_; }
  // Opens the item's popup as a click on it does.
  void OpenMenu(int index);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  // Every event of the application passes here first: the bar watches the
  // window's keys and, while a popup is open, the popups' keys and pointer.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Relayout();
  void Track(int index);
  void PopupHidden(QMenu* menu);
  void ClosePopups();
  bool WindowKey(QObject* watched, QEvent* event);
  bool PopupKey(QObject* watched, QKeyEvent* event);
  bool PopupMouse(QMouseEvent* event);
  bool InOpenChain(QObject* object) const;
  // The item under a point of the screen, -1 off the items.
  int ItemAtGlobal(const QPoint& global) const;

  CMenuBarTracker tracker_;
  std::vector<QMenu*> menus_;
  std::vector<QRect> rects_;
  QSize size_;
  QPointer<QMenu> open_;
  int hover_ = -1;
  QPoint lastMouse_{-1, -1};
};

}  // namespace kestrel
