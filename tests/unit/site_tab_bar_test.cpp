// The site list and the tab bar that follows it: titles, the gauge, list
// and tab order, the active site and who takes over. Painting and scrolling
// are checked on the real widget in the GUI tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "frame/site_list.h"
#include "frame/site_tab_bar.h"
#include "support/fake_site.h"

namespace kestrel {
namespace {

using Views = std::vector<CKestrelView*>;
using Strings = std::vector<std::string>;

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
  Strings events;
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

TEST(SiteTabBar, ShortensByCharactersNotBytesAndTheGaugeKeepsItsCurve) {
  const std::string a16 = Repeat("a", 16), e = "\xC3\xA9", euro = "\xE2\x82\xAC", smile = "\xF0\x9F\x98\x80";
  const std::pair<std::string, std::string> titles[] = {
      {"abcdefghijklmnopqrst", "abcdefghijklmnopqrst"}, {"abcdefghijklmnopqrstu", "abcdefghijklmnopq..."}, {"", ""},
      // Twenty two-byte characters are 40 bytes but still short enough.
      {Repeat(e, 20), Repeat(e, 20)}, {Repeat(e, 21), Repeat(e, 17) + "..."},
      // A three- and a four-byte character right at the cut stay whole or go whole.
      {a16 + euro + smile + Repeat("b", 5), a16 + euro + "..."}, {a16 + "a" + smile + "bbb", a16 + "a..."},
      // Broken text: a stray byte is one character, a sequence cut short by the
      // end of the text or by another lead byte is one, and nothing reads past the end.
      {std::string(25, '\x80'), std::string(17, '\x80') + "..."}, {Repeat("a", 19) + "\xF0\x9F", Repeat("a", 19) + "\xF0\x9F"},
      {Repeat("a", 20) + "\xF0\x9F", a16 + "a..."}, {a16 + "\xE2\xE2\x82\xAC" + "bbbb", a16 + "\xE2..."}};
  for (const auto& [title, shown] : titles) EXPECT_EQ(ShortenTabTitle(title), shown) << title;

  // 1 -> 2 is 100 / 34; 99 stays just under 100; out of range is clamped.
  for (const auto& [percent, fill] : {std::pair{0, 0}, {25, 50}, {50, 75}, {100, 100}, {1, 2}, {99, 99}, {-1, 0},
                                      {INT32_MIN, 0}, {101, 100}, {INT32_MAX, 100}})
    EXPECT_EQ(GaugeFill(percent), fill) << percent;
  for (int p = 1; p <= 100; ++p) EXPECT_TRUE(GaugeFill(p) >= GaugeFill(p - 1) && GaugeFill(p) >= p) << p;
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
  EXPECT_EQ(list.sites(), (Views{s(0), s(1), s(2), s(3)}));
  EXPECT_EQ(list.tabs(), (Views{s(0), s(2), s(1)}));
  EXPECT_EQ(std::make_pair(list.active(), list.newest()), std::make_pair(s(2), s(3)));
  EXPECT_EQ(w.events, (Strings{"active 0", "tabs", "tabs", "active 2", "tabs"}));

  // The window system cannot hand the activation to a site kept out of view
  // while one in view is active; a shown one takes it.
  EXPECT_FALSE(list.Activate(s(3)));
  EXPECT_EQ(list.active(), s(2));
  EXPECT_FALSE(list.Activate(s(9)));  // not on the list
  EXPECT_TRUE(list.Activate(s(0)) && list.Activate(s(2)));

  // One rule for closing and hiding: the next tab, wrapping around; without a tab: the first tab.
  EXPECT_EQ((Views{list.Successor(s(2)), list.Successor(s(1)), list.Successor(s(3))}), (Views{s(1), s(0), s(0)}));
  w.events.clear();
  list.Hide(s(2));
  EXPECT_EQ(list.active(), s(1));
  EXPECT_EQ(list.tabs(), (Views{s(0), s(1)}));
  EXPECT_EQ(w.events, (Strings{"tabs", "active 1"}));
  list.Remove(s(1));  // closing the active one: the next after it, wrapping to the first
  EXPECT_EQ(list.active(), s(0));
  list.Hide(s(0));  // the last tab goes: nobody in view takes over
  EXPECT_EQ(std::make_pair(list.active(), list.Successor(s(0))), std::make_pair((CKestrelView*)nullptr, (CKestrelView*)nullptr));
  // A hidden site shown again comes back at the end.
  list.Show(s(2), false);
  list.Show(s(0), true);
  EXPECT_EQ(list.tabs(), (Views{s(2), s(0)}));
  // A site that is not the active one goes without moving the activation.
  w.events.clear();
  list.Remove(s(3));
  list.Remove(s(3));
  EXPECT_EQ(w.events, Strings{"removed 3"});
  EXPECT_EQ(list.active(), s(0));
  list.RemoveObserver(&w);

  // Next and previous wrap around in tab order; with one site it is itself, with none nothing.
  CSiteList n;
  const auto neighbours = [&] { return Views{n.Neighbour(true), n.Neighbour(false)}; };
  EXPECT_EQ(neighbours(), (Views{nullptr, nullptr}));
  n.Add(s(0));
  n.Show(s(0), true);
  EXPECT_EQ(neighbours(), (Views{s(0), s(0)}));
  for (int i : {1, 2}) n.Add(s(i)), n.Show(s(i), false);
  EXPECT_EQ(neighbours(), (Views{s(1), s(2)}));
  n.Activate(s(2));
  EXPECT_EQ(neighbours(), (Views{s(0), s(1)}));
  // The active site has no tab (it is hidden): first and last.
  n.Add(s(5));
  for (int i : {0, 1, 2}) n.Hide(s(i));
  for (int i : {1, 2}) n.Show(s(i), false);
  n.Activate(s(5));
  EXPECT_EQ(n.active(), s(5));
  EXPECT_EQ(neighbours(), (Views{s(1), s(2)}));
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
  EXPECT_EQ(std::make_tuple(bar.count(), bar.selected(), bar.text(2)), std::make_tuple(3, 1, std::string("http://c/")));
  EXPECT_GT(changed, 0);

  const std::string longTitle = "A rather long page title here";
  redrawn.clear();
  bar.SetTabText(s(2), longTitle);
  EXPECT_EQ(std::make_pair(bar.text(2), bar.fullTitle(2)), std::make_pair(ShortenTabTitle(longTitle), longTitle));
  // A site without a tab keeps its text for when it gets one; nothing is drawn.
  t.list.Add(s(9));
  bar.SetTabText(s(9), "later");
  EXPECT_EQ(redrawn, std::vector<int>{2});

  // An earlier tab goes: the gap closes and the selection stays on its site.
  t.list.Activate(s(2));
  t.list.Hide(s(0));
  EXPECT_EQ(bar.count(), 2);
  EXPECT_EQ(std::make_tuple(bar.site(0), bar.site(bar.selected()), bar.FindTab(s(0))), std::make_tuple(s(1), s(2), -1));
  t.list.Show(s(9), false);
  EXPECT_EQ(bar.text(2), "later");
  // A closed site's texts go with it.
  t.list.Remove(s(9));
  t.list.Add(s(9));
  t.list.Show(s(9), false);
  EXPECT_EQ(bar.text(2), "");

  // Out-of-range reads are harmless; redraw of -1 or past the end is nothing.
  redrawn.clear();
  EXPECT_EQ(std::make_tuple(bar.site(7), bar.text(-1), bar.fullTitle(5)), std::make_tuple((CKestrelView*)nullptr, std::string(), std::string()));
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
  const auto& last = visible.back();
  EXPECT_EQ(std::make_pair(last.index, last.selected), std::make_pair(199, true));
  EXPECT_LE(last.tab.right, bar.TabAreaRight());
  EXPECT_EQ(visible.front().index, bar.firstVisible());
  EXPECT_GT(bar.firstVisible(), 0);
  EXPECT_EQ(std::make_pair(bar.CanScrollLeft(), bar.CanScrollRight()), std::make_pair(true, false));
  // Hit testing follows the scroll; below, above, in the left margin, on the buttons is no tab.
  for (const auto& [x, y, tab] : {std::tuple{last.tab.left, last.tab.top, 199}, {last.tab.right - 1, last.tab.bottom - 1, 199},
                                  {visible.front().tab.left + 50, visible.front().tab.top + 9, bar.firstVisible()},
                                  {last.tab.left, last.tab.bottom, -1}, {last.tab.left, last.tab.top - 1, -1},
                                  {0, last.tab.top, -1}, {bar.TabAreaRight(), last.tab.top, -1}, {999, last.tab.top, -1}})
    EXPECT_EQ(bar.HitTest(x, y), tab) << x << "," << y;

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
  t.list.Activate(s(0));
  bar.ScrollTo(100000);
  for (int i = 199; i >= 20; --i) t.list.Hide(s(i));
  EXPECT_EQ(bar.count(), 20);
  EXPECT_EQ(bar.Layout(nullptr).back().index, 19);
  EXPECT_LE(bar.RectOf(19)->right, bar.TabAreaRight());
  // Widening until everything fits drops the scrolling altogether.
  bar.SetWidth(CSiteTabBar::kMargin + 20 * CSiteTabBar::kTabWidth);
  EXPECT_EQ(std::make_tuple(bar.needsScroll(), bar.firstVisible(), bar.Layout(nullptr).size()), std::make_tuple(false, 0, size_t{20}));
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
