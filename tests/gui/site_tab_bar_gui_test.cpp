// The site tab bar's window offscreen: the gauge and the error mark land on
// the pixels the model lays out, and clicks reach the right tab.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>
#include <map>
#include <vector>

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
  // As the frame shows a site: on the list, its text, its tab.
  void AddTab(const std::string& text, CKestrelView* v, bool select) {
    list.Add(v);
    model.SetTabText(v, text);
    list.Show(v, select);
  }
  std::vector<int> activated, closed;
  std::vector<std::pair<int, QPoint>> menus;

  std::unique_ptr<QtSiteTabBar> MakeBar(int width) {
    auto bar = std::make_unique<QtSiteTabBar>(model, [this](const CKestrelView* v) {
      auto it = status.find(v);
      return it == status.end() ? TabStatus{} : it->second;
    });
    // The frame activates the clicked tab's site.
    bar->activate = [this](int i) {
      activated.push_back(i);
      list.Activate(model.site(i));
    };
    bar->closeTab = [this](int i) { closed.push_back(i); };
    bar->contextMenu = [this](int i, QPoint p) { menus.emplace_back(i, p); };
    bar->resize(width, bar->height());
    bar->show();
    return bar;
  }
  TabPaint Paint(int index) {
    for (auto& p : model.Layout([this](const CKestrelView* v) { return status[v]; }))
      if (p.index == index) return p;
    ADD_FAILURE() << "tab " << index << " not in view";
    return {};
  }
};

QColor At(const QImage& img, int x, int y) { return img.pixelColor(x, y); }

TEST(SiteTabBarGui, DrawsGaugeAndErrorMarkWhereLaidOut) {
  Fixture f;
  for (int i = 0; i < 4; ++i) f.AddTab("Page " + std::to_string(i), f.site(i), i == 1);
  f.status[f.site(0)] = {50, false};
  f.status[f.site(1)] = {100, false};
  f.status[f.site(2)] = {-1, true};
  f.status[f.site(3)] = {-1, false};
  auto bar = f.MakeBar(600);
  // The tabs fit the font: its line height, and a shortened title of
  // ordinary letters whole, beside the mark.
  EXPECT_EQ(bar->height(), f.model.tabHeight() + 2 * CSiteTabBar::kMargin);
  EXPECT_GE(f.model.tabHeight(), bar->fontMetrics().height() + 6);
  const QString shortened = QString::fromStdString(ShortenTabTitle("a typical page title, rather long"));
  EXPECT_LE(bar->fontMetrics().horizontalAdvance(shortened), f.model.tabWidth() - 4 - 5 - 2);
  EXPECT_EQ(f.model.width(), 600);

  const QImage img = bar->grab().toImage();
  test::SaveShot(bar.get(), "site_tab_bar");
  const QColor outer(0, 170, 0), fill(0, 255, 0), red(255, 0, 0);

  // The model's geometry (unit tests) reaches the pixels: the frame's corner, the top and bottom of the
  // green column, the red mark, and nothing painted beside a tab that is not loading.
  for (int i : {0, 1}) {
    const TabPaint p = f.Paint(i);
    EXPECT_EQ(At(img, p.markOuter.left, p.markOuter.top), outer) << i;
    EXPECT_EQ(At(img, p.gaugeFill.left, p.gaugeFill.bottom - 1), fill) << i;
    EXPECT_EQ(At(img, p.gaugeFill.left, p.gaugeFill.top), fill) << i;
    EXPECT_EQ(At(img, p.gaugeFill.left, p.gaugeFill.top - 1), outer) << i;
    EXPECT_NE(At(img, p.markOuter.right, p.markOuter.top + 5), outer) << i;
  }
  const TabPaint err = f.Paint(2), none = f.Paint(3);
  ASSERT_EQ(err.mark, TabPaint::Mark::Error);
  EXPECT_EQ(At(img, err.markOuter.left, err.markOuter.top), red);
  EXPECT_EQ(At(img, err.markOuter.right - 1, err.markOuter.bottom - 1), red);
  EXPECT_NE(At(img, none.tab.left + 1, none.tab.top + 10), red);
  EXPECT_NE(At(img, none.tab.left + 1, none.tab.top + 10), outer);

  // Progress ends: the gauge goes on the next paint, the tab is not marked.
  f.status[f.site(0)] = {-1, false};
  f.model.RedrawTab(0);
  const QImage after = bar->grab().toImage();
  const TabPaint p0 = f.Paint(0);
  EXPECT_EQ(p0.mark, TabPaint::Mark::None);
  EXPECT_NE(At(after, p0.tab.left + 1, p0.tab.top + 15), fill);
  EXPECT_NE(At(after, p0.tab.left, p0.tab.top + 5), outer);
}

TEST(SiteTabBarGui, ClicksReachTheTabUnderTheMouse) {
  Fixture f;
  for (int i = 0; i < 3; ++i) f.AddTab("Page " + std::to_string(i), f.site(i), i == 0);
  auto bar = f.MakeBar(600);
  auto centre = [&](int i) {
    const TabRect r = *f.model.RectOf(i);
    return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  };

  QTest::mouseClick(bar.get(), Qt::LeftButton, {}, centre(2));
  EXPECT_EQ(f.activated, std::vector<int>{2});
  EXPECT_EQ(f.model.selected(), 2);
  EXPECT_TRUE(f.closed.empty());

  // Right click on a background tab: its menu, the selection stays.
  QTest::mouseClick(bar.get(), Qt::RightButton, {}, centre(0));
  ASSERT_EQ(f.menus.size(), 1u);
  EXPECT_EQ(f.menus[0].first, 0);
  EXPECT_EQ(f.menus[0].second, bar->mapToGlobal(centre(0)));
  EXPECT_EQ(f.model.selected(), 2);
  EXPECT_EQ(f.activated.size(), 1u);

  QTest::mouseDClick(bar.get(), Qt::LeftButton, {}, centre(1));
  EXPECT_EQ(f.closed, std::vector<int>{1});
  QTest::mouseClick(bar.get(), Qt::MiddleButton, {}, centre(0));
  EXPECT_EQ(f.closed, (std::vector<int>{1, 0}));

  // The tooltip shows the whole title, not the shortened one.
  const std::string title = "A page title much longer than a tab can show";
  f.model.SetTabText(f.site(2), title);
  QHelpEvent tip(QEvent::ToolTip, centre(2), bar->mapToGlobal(centre(2)));
  QApplication::sendEvent(bar.get(), &tip);
  EXPECT_EQ(QToolTip::text(), QString::fromStdString(title));
  EXPECT_NE(f.model.text(2), title);
  QHelpEvent away(QEvent::ToolTip, QPoint(550, 10), bar->mapToGlobal(QPoint(550, 10)));
  QApplication::sendEvent(bar.get(), &away);
  EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000));  // it fades out

  // Outside every tab: beside the last one and in the top margin.
  f.activated.clear();
  f.closed.clear();
  f.menus.clear();
  const int selected = f.model.selected();
  for (QPoint p : {QPoint(550, 10), QPoint(centre(0).x(), 0), QPoint(0, 10)}) {
    QTest::mouseClick(bar.get(), Qt::LeftButton, {}, p);
    QTest::mouseClick(bar.get(), Qt::RightButton, {}, p);
    QTest::mouseClick(bar.get(), Qt::MiddleButton, {}, p);
    QTest::mouseDClick(bar.get(), Qt::LeftButton, {}, p);
  }
  EXPECT_TRUE(f.activated.empty());
  EXPECT_TRUE(f.closed.empty());
  EXPECT_TRUE(f.menus.empty());
  EXPECT_EQ(f.model.selected(), selected);
}

TEST(SiteTabBarGui, ManyTabsScrollAndSurviveTheWindow) {
  Fixture f;
  auto bar = f.MakeBar(1000);
  for (int i = 0; i < 250; ++i) f.AddTab("Tab " + std::to_string(i), f.site(i), true);
  ASSERT_TRUE(f.model.needsScroll());
  const int first = f.model.firstVisible();
  EXPECT_GT(first, 0);  // the newest, selected tab is in view
  test::SaveShot(bar.get(), "site_tab_bar_scrolled");

  // Clicking the last tab in view picks that tab, scrolled as it is.
  const TabRect last = *f.model.RectOf(249);
  QTest::mouseClick(bar.get(), Qt::LeftButton, {}, QPoint(last.left + 10, last.top + 5));
  EXPECT_EQ(f.activated.back(), 249);

  // The wheel scrolls one tab per notch, towards the first tab when turned up.
  QWheelEvent up(QPointF(50, 10), bar->mapToGlobal(QPointF(50, 10)), QPoint(), QPoint(0, 120 * 3),
                 Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(bar.get(), &up);
  EXPECT_EQ(f.model.firstVisible(), first - 3);
  QWheelEvent down(QPointF(50, 10), bar->mapToGlobal(QPointF(50, 10)), QPoint(), QPoint(0, -60),
                   Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(bar.get(), &down);
  EXPECT_EQ(f.model.firstVisible(), first - 3);  // half a notch is kept for later
  QApplication::sendEvent(bar.get(), &down);
  EXPECT_EQ(f.model.firstVisible(), first - 2);

  // A narrower window keeps the selected tab in view.
  bar->resize(400, bar->height());
  EXPECT_EQ(f.model.width(), 400);
  const auto sel = f.model.RectOf(f.model.selected());
  ASSERT_TRUE(sel.has_value());
  EXPECT_LE(sel->right, f.model.TabAreaRight());

  // The window goes first; the model keeps working without it.
  bar.reset();
  f.AddTab("after", f.site(299), true);
  f.model.RedrawTab(0);
  EXPECT_EQ(f.model.count(), 251);
}

}  // namespace
}  // namespace kestrel
