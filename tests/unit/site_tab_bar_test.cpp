// The site list and the tab bar that follows it: titles, the gauge, list
// and tab order, the active site and who takes over, and scrolling with many
// tabs.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "frame/site_list.h"
#include "frame/site_tab_bar.h"
#include "support/fake_site.h"

namespace kestrel {
namespace {

// Sites are opaque keys to the bar.
CKestrelView* s(int i) { return test::FakeView(i); }

// A list with a bar on it; `Show` adds a site and gives it a tab.
struct Tabs {
  CSiteList list;
  CSiteTabBar bar{list};
  void Show(int i, const std::string& text, bool activate) {
    list.Add(s(i));
    bar.SetTabText(s(i), text);
    list.Show(s(i), activate);
  }
};

// Records what the list tells its observers.
struct Watcher : SiteListObserver {
  std::vector<std::string> events;
  std::string Index(CKestrelView* v) { return v ? std::to_string(test::FakeViewIndex(v)) : "none"; }
  void TabsChanged() override { events.push_back("tabs"); }
  void ActiveChanged(CKestrelView* v) override { events.push_back("active " + Index(v)); }
  void SiteRemoved(CKestrelView* v) override { events.push_back("removed " + Index(v)); }
};

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

TEST(SiteTabBar, ShortensByCharactersNotBytes) {
  const std::string twenty = "abcdefghijklmnopqrst";
  EXPECT_EQ(ShortenTabTitle(twenty), twenty);
  EXPECT_EQ(ShortenTabTitle(twenty + "u"), twenty.substr(0, 17) + "...");
  EXPECT_EQ(ShortenTabTitle(""), "");

  // Twenty two-byte characters are 40 bytes but still short enough.
  const std::string e = "\xC3\xA9";  // é
  EXPECT_EQ(ShortenTabTitle(Repeat(e, 20)), Repeat(e, 20));
  EXPECT_EQ(ShortenTabTitle(Repeat(e, 21)), Repeat(e, 17) + "...");
  // A three- and a four-byte character right at the cut stay whole or go whole.
  const std::string euro = "\xE2\x82\xAC", smile = "\xF0\x9F\x98\x80";
  EXPECT_EQ(ShortenTabTitle(Repeat("a", 16) + euro + smile + Repeat("b", 5)),
            Repeat("a", 16) + euro + "...");
  EXPECT_EQ(ShortenTabTitle(Repeat("a", 17) + smile + Repeat("b", 3)), Repeat("a", 17) + "...");

  // Broken text: a stray byte is one character, a sequence cut short by the
  // end of the text or by another lead byte is one, and nothing reads past the end.
  const std::string stray(25, '\x80');
  EXPECT_EQ(ShortenTabTitle(stray), stray.substr(0, 17) + "...");
  EXPECT_EQ(ShortenTabTitle(Repeat("a", 19) + "\xF0\x9F"), Repeat("a", 19) + "\xF0\x9F");
  EXPECT_EQ(ShortenTabTitle(Repeat("a", 20) + "\xF0\x9F"), Repeat("a", 17) + "...");
  EXPECT_EQ(ShortenTabTitle(Repeat("a", 16) + "\xE2\xE2\x82\xAC" + Repeat("b", 4)),
            Repeat("a", 16) + "\xE2...");
}

TEST(SiteTabBar, GaugeCurveAndLimits) {
  // 1 -> 2 is 100 / 34; 99 stays just under 100; out of range is clamped.
  for (const auto& [percent, fill] : {std::pair{0, 0}, {25, 50}, {50, 75}, {100, 100}, {1, 2}, {99, 99}, {-1, 0},
                                      {INT32_MIN, 0}, {101, 100}, {INT32_MAX, 100}})
    EXPECT_EQ(GaugeFill(percent), fill) << percent;
  for (int p = 1; p <= 100; ++p) {
    EXPECT_GE(GaugeFill(p), GaugeFill(p - 1)) << p;
    EXPECT_GE(GaugeFill(p), p) << p;
  }
}

TEST(SiteTabBar, PaintsGaugeAndErrorMark) {
  Tabs t;
  CSiteTabBar& bar = t.bar;
  bar.SetWidth(1000);
  for (int i = 0; i < 5; ++i) t.Show(i, "t" + std::to_string(i), i == 1);
  std::vector<TabStatus> status = {{50, false}, {100, false}, {-1, true}, {-1, false}, {0, true}};
  std::vector<const CKestrelView*> asked;
  auto paint = bar.Layout([&](const CKestrelView* v) {
    asked.push_back(v);
    for (int i = 0; i < 5; ++i)
      if (v == s(i)) return status[static_cast<std::size_t>(i)];
    return TabStatus{};
  });
  ASSERT_EQ(paint.size(), 5u);
  EXPECT_EQ(asked.size(), 5u);

  for (const auto& p : paint) {
    EXPECT_EQ(p.selected, p.index == 1);
    EXPECT_EQ(p.shift, p.selected ? 4 : 0);
    EXPECT_EQ(p.tab.right - p.tab.left, CSiteTabBar::kTabWidth);
    EXPECT_EQ(p.tab.bottom - p.tab.top, CSiteTabBar::kTabHeight);
    EXPECT_EQ(p.textX, p.tab.left + p.shift + 5);
    EXPECT_EQ(p.textY, p.tab.top + 4);
    EXPECT_EQ(p.text, bar.text(p.index));
    if (p.mark != TabPaint::Mark::None) {
      const TabRect outer{p.tab.left + p.shift, p.tab.top + 5, p.tab.left + p.shift + 4, p.tab.top + 17};
      EXPECT_EQ(p.markOuter, outer);
    }
  }
  // Tabs sit side by side.
  EXPECT_EQ(paint[1].tab.left, paint[0].tab.right);

  // 50 %: 7 pixels of green, from the bottom line up.
  EXPECT_EQ(paint[0].mark, TabPaint::Mark::Gauge);
  EXPECT_EQ(paint[0].gaugeFill.bottom, paint[0].tab.top + 16);
  EXPECT_EQ(paint[0].gaugeFill.bottom - paint[0].gaugeFill.top, 7);
  EXPECT_EQ(paint[0].gaugeFill.left, paint[0].markOuter.left + 1);
  EXPECT_EQ(paint[0].gaugeFill.right, paint[0].markOuter.left + 3);
  // 100 % on the selected tab: 10 pixels, shifted with it.
  EXPECT_EQ(paint[1].mark, TabPaint::Mark::Gauge);
  EXPECT_EQ(paint[1].gaugeFill.bottom - paint[1].gaugeFill.top, 10);
  EXPECT_EQ(paint[1].markOuter.left, paint[1].tab.left + 4);
  // Not loading: the red mark only on an error page.
  EXPECT_EQ(paint[2].mark, TabPaint::Mark::Error);
  EXPECT_EQ(paint[3].mark, TabPaint::Mark::None);
  // A download under way wins over an error page, with an empty gauge.
  EXPECT_EQ(paint[4].mark, TabPaint::Mark::Gauge);
  EXPECT_EQ(paint[4].gaugeFill.top, paint[4].gaugeFill.bottom);

  // No status function: nothing is marked.
  for (const auto& p : bar.Layout(nullptr)) EXPECT_EQ(p.mark, TabPaint::Mark::None);
}

TEST(SiteList, OrderActiveSiteAndWhoTakesOver) {
  CSiteList list;
  Watcher w;
  list.AddObserver(&w);
  // A new site is hidden; with none active it is the active one (typed
  // text goes to it) even before it can be seen.
  list.Add(s(0));
  EXPECT_EQ(list.active(), s(0));
  EXPECT_FALSE(list.IsShown(s(0)));
  list.Add(s(0));  // once only
  list.Add(nullptr);
  EXPECT_EQ(list.sites().size(), 1u);
  EXPECT_TRUE(list.Show(s(0), true));
  EXPECT_FALSE(list.Show(s(0), true));  // a second tab for the same site: nothing
  for (int i = 1; i <= 3; ++i) list.Add(s(i));
  list.Show(s(2), true);
  list.Show(s(1), false);  // Ctrl held: appended, not active
  EXPECT_EQ(list.sites(), (std::vector<CKestrelView*>{s(0), s(1), s(2), s(3)}));
  EXPECT_EQ(list.tabs(), (std::vector<CKestrelView*>{s(0), s(2), s(1)}));
  EXPECT_EQ(list.active(), s(2));
  EXPECT_EQ(list.newest(), s(3));
  EXPECT_EQ(w.events, (std::vector<std::string>{"active 0", "tabs", "tabs", "active 2", "tabs"}));

  // The window system cannot hand the activation to a site kept out of view
  // while one in view is active; a shown one takes it.
  EXPECT_FALSE(list.Activate(s(3)));
  EXPECT_EQ(list.active(), s(2));
  EXPECT_FALSE(list.Activate(s(9)));  // not on the list
  EXPECT_TRUE(list.Activate(s(0)));
  EXPECT_TRUE(list.Activate(s(2)));

  // One rule for closing and hiding: the next tab, wrapping around.
  EXPECT_EQ(list.Successor(s(2)), s(1));
  EXPECT_EQ(list.Successor(s(1)), s(0));
  EXPECT_EQ(list.Successor(s(3)), s(0));  // without a tab: the first tab
  w.events.clear();
  list.Hide(s(2));
  EXPECT_EQ(list.active(), s(1));
  EXPECT_EQ(list.tabs(), (std::vector<CKestrelView*>{s(0), s(1)}));
  EXPECT_EQ(w.events, (std::vector<std::string>{"tabs", "active 1"}));
  list.Remove(s(1));  // closing the active one: the next after it, wrapping to the first
  EXPECT_EQ(list.active(), s(0));
  list.Hide(s(0));    // the last tab goes: nobody in view takes over
  EXPECT_EQ(list.active(), nullptr);
  EXPECT_EQ(list.Successor(s(0)), nullptr);
  // A hidden site shown again comes back at the end.
  list.Show(s(2), false);
  list.Show(s(0), true);
  EXPECT_EQ(list.tabs(), (std::vector<CKestrelView*>{s(2), s(0)}));
  // A site that is not the active one goes without moving the activation.
  w.events.clear();
  list.Remove(s(3));
  list.Remove(s(3));
  EXPECT_EQ(w.events, (std::vector<std::string>{"removed 3"}));
  EXPECT_EQ(list.active(), s(0));
  list.RemoveObserver(&w);
}

TEST(SiteList, NextAndPreviousWrapAroundInTabOrder) {
  CSiteList list;
  EXPECT_EQ(list.Neighbour(true), nullptr);
  EXPECT_EQ(list.Neighbour(false), nullptr);
  list.Add(s(0));
  list.Show(s(0), true);
  EXPECT_EQ(list.Neighbour(true), s(0));  // one site: itself
  EXPECT_EQ(list.Neighbour(false), s(0));
  for (int i : {1, 2}) {
    list.Add(s(i));
    list.Show(s(i), false);
  }
  EXPECT_EQ(list.Neighbour(true), s(1));
  EXPECT_EQ(list.Neighbour(false), s(2));
  list.Activate(s(2));
  EXPECT_EQ(list.Neighbour(true), s(0));
  EXPECT_EQ(list.Neighbour(false), s(1));
  // The active site has no tab (it is hidden): first and last.
  list.Add(s(5));
  list.Hide(s(0));
  list.Hide(s(1));
  list.Hide(s(2));
  list.Show(s(1), false);
  list.Show(s(2), false);
  list.Activate(s(5));
  EXPECT_EQ(list.active(), s(5));
  EXPECT_EQ(list.Neighbour(true), s(1));
  EXPECT_EQ(list.Neighbour(false), s(2));
}

TEST(SiteTabBar, FollowsTheListsTabsTextsAndActiveSite) {
  Tabs t;
  CSiteTabBar& bar = t.bar;
  int changed = 0;
  std::vector<int> redrawn;
  auto onChanged = bar.changed.Subscribe([&] { ++changed; });
  auto onRedraw = bar.redraw.Subscribe([&](int i) { redrawn.push_back(i); });
  EXPECT_EQ(bar.selected(), -1);
  t.Show(0, "http://a/", true);
  t.Show(1, "http://b/", true);
  t.Show(2, "http://c/", false);
  EXPECT_EQ(bar.count(), 3);
  EXPECT_EQ(bar.selected(), 1);
  EXPECT_EQ(bar.text(2), "http://c/");
  EXPECT_GT(changed, 0);

  const std::string longTitle = "A rather long page title here";
  redrawn.clear();
  bar.SetTabText(s(2), longTitle);
  EXPECT_EQ(bar.text(2), ShortenTabTitle(longTitle));
  EXPECT_EQ(bar.fullTitle(2), longTitle);
  EXPECT_EQ(redrawn, std::vector<int>{2});
  // A site without a tab keeps its text for when it gets one; nothing is drawn.
  t.list.Add(s(9));
  bar.SetTabText(s(9), "later");
  EXPECT_EQ(redrawn, std::vector<int>{2});

  // An earlier tab goes: the gap closes and the selection stays on its site.
  t.list.Activate(s(2));
  t.list.Hide(s(0));
  EXPECT_EQ(bar.count(), 2);
  EXPECT_EQ(bar.site(0), s(1));
  EXPECT_EQ(bar.site(bar.selected()), s(2));
  EXPECT_EQ(bar.FindTab(s(0)), -1);
  t.list.Show(s(9), false);
  EXPECT_EQ(bar.text(2), "later");
  // A closed site's texts go with it.
  t.list.Remove(s(9));
  t.list.Add(s(9));
  t.list.Show(s(9), false);
  EXPECT_EQ(bar.text(2), "");

  // Out-of-range reads are harmless; redraw of -1 or past the end is nothing.
  redrawn.clear();
  EXPECT_EQ(bar.site(7), nullptr);
  EXPECT_EQ(bar.text(-1), "");
  EXPECT_EQ(bar.fullTitle(5), "");
  bar.RedrawTab(-1);
  bar.RedrawTab(3);
  EXPECT_TRUE(redrawn.empty());
}

TEST(SiteTabBar, ScrollsTwoHundredTabs) {
  Tabs t;
  CSiteTabBar& bar = t.bar;
  bar.SetWidth(1000);
  EXPECT_FALSE(bar.needsScroll());
  for (int i = 0; i < 200; ++i) t.Show(i, "tab " + std::to_string(i), false);
  ASSERT_TRUE(bar.needsScroll());
  EXPECT_EQ(bar.firstVisible(), 0);
  EXPECT_LE(bar.TabAreaRight(), 1000 - CSiteTabBar::kScrollButtonsWidth);

  auto visible = bar.Layout(nullptr);
  ASSERT_FALSE(visible.empty());
  EXPECT_EQ(visible.front().index, 0);
  EXPECT_LT(visible.size(), 200u);
  for (const auto& p : visible) EXPECT_LT(p.tab.left, bar.TabAreaRight());

  // Selecting the last tab brings it fully into view at the right.
  t.list.Activate(s(199));
  visible = bar.Layout(nullptr);
  ASSERT_FALSE(visible.empty());
  EXPECT_EQ(visible.back().index, 199);
  EXPECT_TRUE(visible.back().selected);
  EXPECT_LE(visible.back().tab.right, bar.TabAreaRight());
  EXPECT_EQ(visible.front().index, bar.firstVisible());
  EXPECT_GT(bar.firstVisible(), 0);
  EXPECT_FALSE(bar.CanScrollRight());
  EXPECT_TRUE(bar.CanScrollLeft());

  // Hit testing follows the scroll.
  const auto& last = visible.back();
  EXPECT_EQ(bar.HitTest(last.tab.left, last.tab.top), 199);
  EXPECT_EQ(bar.HitTest(last.tab.right - 1, last.tab.bottom - 1), 199);
  EXPECT_EQ(bar.HitTest(visible.front().tab.left + 50, visible.front().tab.top + 9), bar.firstVisible());
  // Below, above, in the left margin, on the buttons.
  for (const auto& [x, y] : {std::pair{last.tab.left, last.tab.bottom}, {last.tab.left, last.tab.top - 1},
                             {0, last.tab.top}, {bar.TabAreaRight(), last.tab.top}, {999, last.tab.top}})
    EXPECT_EQ(bar.HitTest(x, y), -1) << x << "," << y;

  // Scrolling is clamped at both ends.
  bar.ScrollTo(100000);
  EXPECT_EQ(bar.firstVisible(), 199 - static_cast<int>(visible.size()) + 1);
  bar.ScrollTo(-5);
  EXPECT_EQ(bar.firstVisible(), 0);
  EXPECT_FALSE(bar.RectOf(199).has_value());
  bar.EnsureVisible(150);
  ASSERT_TRUE(bar.RectOf(150).has_value());
  EXPECT_LE(bar.RectOf(150)->right, bar.TabAreaRight());
  EXPECT_EQ(bar.HitTest(bar.RectOf(150)->left + 1, CSiteTabBar::kMargin + 1), 150);

  // Removing tabs at the end pulls the view back so no empty space is scrolled to.
  bar.ScrollTo(100000);
  t.list.Activate(s(0));
  bar.ScrollTo(100000);
  for (int i = 199; i >= 20; --i) t.list.Hide(s(i));
  EXPECT_EQ(bar.count(), 20);
  EXPECT_EQ(bar.Layout(nullptr).back().index, 19);
  EXPECT_LE(bar.RectOf(19)->right, bar.TabAreaRight());
  // Widening until everything fits drops the scrolling altogether.
  bar.SetWidth(CSiteTabBar::kMargin + 20 * CSiteTabBar::kTabWidth);
  EXPECT_FALSE(bar.needsScroll());
  EXPECT_EQ(bar.firstVisible(), 0);
  EXPECT_EQ(bar.Layout(nullptr).size(), 20u);

  // A bar narrower than one tab still shows and scrolls to the selection.
  bar.SetWidth(10);
  t.list.Activate(s(5));
  EXPECT_EQ(bar.firstVisible(), 5);
  EXPECT_EQ(bar.HitTest(CSiteTabBar::kMargin, CSiteTabBar::kMargin), -1);  // under the buttons
  bar.SetWidth(-3);
  EXPECT_TRUE(bar.Layout(nullptr).empty());
}

}  // namespace
}  // namespace kestrel
