// The site tab bar's window offscreen: the gauge and the error mark land on
// the pixels the model lays out (the layout itself: site_tab_bar_test), and
// clicks, the wheel and tooltips reach the right tab.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>
#include <map>

#include "support/dialog_driver.h"
#include "support/fake_site.h"
#include "ui/site_tab_bar_qt.h"

namespace kestrel {
namespace {

struct Fixture {
  static CKestrelView* site(int i) { return test::FakeView(i); }
  std::map<const CKestrelView*, TabStatus> status;
  CSiteList list;
  CSiteTabBar model{list};
  std::vector<int> activated, closed;
  std::vector<std::pair<int, QPoint>> menus;
  std::unique_ptr<QtSiteTabBar> bar;
  // `count` sites shown as the frame shows them, `selected` in front, on a bar `width` wide.
  Fixture(int count, int selected, int width) {
    bar = std::make_unique<QtSiteTabBar>(model, [this](const CKestrelView* v) { return status[v]; });
    // The frame activates the clicked tab's site.
    bar->activate = [this](int i) {
      activated.push_back(i);
      list.Activate(model.site(i));
    };
    bar->closeTab = [this](int i) { closed.push_back(i); };
    bar->contextMenu = [this](int i, QPoint p) { menus.emplace_back(i, p); };
    bar->resize(width, bar->height());
    bar->show();
    for (int i = 0; i < count; ++i) {
      list.Add(site(i));
      model.SetTabText(site(i), "Page " + std::to_string(i));
      list.Show(site(i), i == selected || selected < 0);
    }
  }
  TabPaint Paint(int index) {
    for (auto& p : model.Layout([this](const CKestrelView* v) { return status[v]; }))
      if (p.index == index) return p;
    ADD_FAILURE() << "tab " << index << " not in view";
    return {};
  }
  QPoint Centre(int i) const {
    const TabRect r = *model.RectOf(i);
    return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
};

TEST(SiteTabBarGui, DrawsGaugeAndErrorMarkWhereLaidOut) {
  Fixture f(3, 1, 600);
  f.status[f.site(0)] = {50, false};
  f.status[f.site(1)] = {100, false};
  f.status[f.site(2)] = {-1, true};
  // The tabs fit the font: a shortened title of ordinary letters whole, beside the mark.
  EXPECT_GE(f.model.tabHeight(), f.bar->fontMetrics().height() + 6);
  const QString shortened = QString::fromStdString(ShortenTabTitle("a typical page title, rather long"));
  EXPECT_LE(f.bar->fontMetrics().horizontalAdvance(shortened), f.model.tabWidth() - 4 - 5 - 2);
  const QImage img = f.bar->grab().toImage();
  test::SaveShot(f.bar.get(), "site_tab_bar");
  auto at = [](const QImage& i, int x, int y) { return i.pixelColor(x, y); };
  const QColor outer(0, 170, 0), fill(0, 255, 0), red(255, 0, 0);
  // The frame's corner, the top and bottom of the green column, the red mark.
  for (int i : {0, 1}) {
    const TabPaint p = f.Paint(i);
    EXPECT_EQ(at(img, p.markOuter.left, p.markOuter.top), outer) << i;
    EXPECT_EQ(at(img, p.gaugeFill.left, p.gaugeFill.bottom - 1), fill) << i;
    EXPECT_NE(at(img, p.markOuter.right, p.markOuter.top + 5), outer) << i;
  }
  const TabPaint err = f.Paint(2);
  ASSERT_EQ(err.mark, TabPaint::Mark::Error);
  EXPECT_EQ(at(img, err.markOuter.left, err.markOuter.top), red);
  // Progress ends: the gauge goes on the next paint, the tab is not marked.
  f.status[f.site(0)] = {-1, false};
  f.model.RedrawTab(0);
  const QImage after = f.bar->grab().toImage();
  const TabPaint p0 = f.Paint(0);
  EXPECT_EQ(p0.mark, TabPaint::Mark::None);
  EXPECT_NE(at(after, p0.tab.left + 1, p0.tab.top + 15), fill);
}

TEST(SiteTabBarGui, ClicksReachTheTabUnderTheMouse) {
  Fixture f(3, 0, 600);
  QtSiteTabBar* bar = f.bar.get();
  QTest::mouseClick(bar, Qt::LeftButton, {}, f.Centre(2));
  EXPECT_EQ(f.activated, std::vector<int>{2});
  EXPECT_EQ(f.model.selected(), 2);
  // Right click on a background tab: its menu, the selection stays.
  QTest::mouseClick(bar, Qt::RightButton, {}, f.Centre(0));
  ASSERT_EQ(f.menus.size(), 1u);
  EXPECT_EQ(f.menus[0], std::make_pair(0, bar->mapToGlobal(f.Centre(0))));
  EXPECT_EQ(f.model.selected(), 2);
  // A double click and the middle button close.
  QTest::mouseDClick(bar, Qt::LeftButton, {}, f.Centre(1));
  QTest::mouseClick(bar, Qt::MiddleButton, {}, f.Centre(0));
  EXPECT_EQ(f.closed, (std::vector<int>{1, 0}));
  // The tooltip shows the whole title, not the shortened one.
  const std::string title = "A page title much longer than a tab can show";
  f.model.SetTabText(f.site(2), title);
  QHelpEvent tip(QEvent::ToolTip, f.Centre(2), bar->mapToGlobal(f.Centre(2)));
  QApplication::sendEvent(bar, &tip);
  EXPECT_EQ(QToolTip::text(), QString::fromStdString(title));
  EXPECT_NE(f.model.text(2), title);
  // Outside every tab: beside the last one and in the top margin.
  f.activated.clear();
  f.closed.clear();
  f.menus.clear();
  for (QPoint p : {QPoint(550, 10), QPoint(f.Centre(0).x(), 0), QPoint(0, 10)}) {
    for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) QTest::mouseClick(bar, b, {}, p);
    QTest::mouseDClick(bar, Qt::LeftButton, {}, p);
  }
  EXPECT_TRUE(f.activated.empty() && f.closed.empty() && f.menus.empty());
  EXPECT_EQ(f.model.selected(), 2);
}

TEST(SiteTabBarGui, ManyTabsScrollByTheWheel) {
  Fixture f(250, -1, 1000);
  ASSERT_TRUE(f.model.needsScroll());
  const int first = f.model.firstVisible();
  EXPECT_GT(first, 0);  // the newest, selected tab is in view
  // Clicking the last tab in view picks that tab, scrolled as it is.
  const TabRect last = *f.model.RectOf(249);
  QTest::mouseClick(f.bar.get(), Qt::LeftButton, {}, QPoint(last.left + 10, last.top + 5));
  EXPECT_EQ(f.activated.back(), 249);
  // The wheel scrolls one tab per notch, towards the first tab when turned up; half a notch is kept for later.
  auto wheel = [&](int delta) {
    QWheelEvent e(QPointF(50, 10), f.bar->mapToGlobal(QPointF(50, 10)), QPoint(), QPoint(0, delta), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(f.bar.get(), &e);
    return f.model.firstVisible();
  };
  EXPECT_EQ(wheel(120 * 3), first - 3);
  EXPECT_EQ(wheel(-60), first - 3);
  EXPECT_EQ(wheel(-60), first - 2);
}

}  // namespace
}  // namespace kestrel
