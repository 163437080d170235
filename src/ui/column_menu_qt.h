#pragma once
// A popup menu in which chosen items start a new column, as a long folder
// menu reads: QMenu only wraps into columns when it runs out of screen.
// Without a break it is an ordinary QMenu; with one it lays out, paints and
// answers the mouse and keys itself, with the style's own menu items.
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <vector>

namespace kestrel {

class QtColumnMenu : public QMenu {
 public:
  explicit QtColumnMenu(const QString& title, QWidget* parent = nullptr);

  // `action` (already added) starts a new column.
  static void SetColumnBreak(QAction* action, bool on = true);
  bool HasColumns() const;
  // The column an item stands in (from 0), -1 when it is not shown; and its
  // place in the menu.
  int ColumnOf(const QAction* action) const;
  QRect ItemRect(const QAction* action) const;
  QAction* ActiveItem() const { return HasColumns() ? active_ : activeAction(); }
  // Whether Left (step -1) or Right (+1) has a use inside this menu: a
  // submenu to open or a column to go to. A menu bar switches menus otherwise.
  bool TakesSideKey(int step) const;

  QSize sizeHint() const override;
  // A right click on an item is asked here instead of choosing the item;
  // true when the item had a menu of its own to show.
  std::function<bool(QAction* item, const QPoint& global)> itemContextMenu;
  // This menu and every one it opened from, up to the menu bar, close.
  void CloseChain();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void actionEvent(QActionEvent* event) override;

 private:
  struct Item {
    QAction* action;
    QRect rect;
    int column;
  };
  const std::vector<Item>& Items() const;
  const Item* ItemAt(const QPoint& pos) const;
  const Item* ItemOf(const QAction* action) const;
  QAction* ItemUnder(const QPoint& pos) const;
  static bool Selectable(const QAction* action);
  // The menu this one opened from, when it is shown and holds `global`.
  QMenu* ParentMenuAt(const QPoint& global) const;
  bool ForwardToParent(QMouseEvent* event);
  void SetActive(QAction* action, bool openSubmenuSoon);
  void OpenSubmenu();
  void Activate(QAction* action);
  void StepVertical(int step);
  // Left or Right: the nearest item of the next column; false at the edge.
  bool StepColumn(int step);
  const Item* NearestInColumn(int step) const;

  mutable std::vector<Item> items_;
  mutable QSize size_;
  mutable bool dirty_ = true;
  QAction* active_ = nullptr;
  QPointer<QMenu> openSub_;
  QTimer subTimer_;
  bool pressedInside_ = false, moved_ = false;
};

}  // namespace kestrel
