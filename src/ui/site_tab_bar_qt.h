#pragma once
// The site tab bar's window: paints what the model lays out and turns mouse
// events into the frame's actions. Holds no state of its own beyond the
// wheel remainder; the model outlives or equals its lifetime.
#include <QPoint>
#include <QWidget>
#include <functional>

#include "frame/site_tab_bar.h"

class QBrush;
class QToolButton;

namespace kestrel {

class QtSiteTabBar : public QWidget {
  Q_OBJECT
 public:
  using StatusFn = std::function<TabStatus(const CKestrelView*)>;

  QtSiteTabBar(CSiteTabBar& model, StatusFn status, QWidget* parent = nullptr);
  ~QtSiteTabBar() override;

  // The active skin's background; null draws with the palette's button face.
  // The brush is not copied: it must live while it is set.
  void SetSkinBrush(const QBrush* brush);

  // The tab under a point of the bar, or -1.
  int TabAt(QPoint pos) const { return model_.HitTest(pos.x(), pos.y()); }
  // A left click on a tab: the frame activates its site.
  std::function<void(int index)> activate;
  // A left double click or a middle click on a tab.
  std::function<void(int index)> closeTab;
  // A right click on a tab; the selection stays where it was.
  std::function<void(int index, QPoint globalPos)> contextMenu;

  int count() const { return model_.count(); }
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void ModelChanged();
  void RedrawTab(int index);
  void PlaceButtons();
  void Scroll(int tabs);

  CSiteTabBar& model_;
  StatusFn status_;
  const QBrush* skin_ = nullptr;
  QToolButton* left_ = nullptr;
  QToolButton* right_ = nullptr;
  int wheelRemainder_ = 0;
  int barHeight_ = CSiteTabBar::kTabHeight + 2 * CSiteTabBar::kMargin;
  Notifier<>::Subscription changed_;
  Notifier<int>::Subscription redraw_;
};

}  // namespace kestrel
