// The site tab bar's model: titles, the gauge, tab order and selection
// across add/remove/select sequences, and scrolling with many tabs.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "frame/site_tab_bar.h"

namespace kestrel {
namespace {

// Sites are opaque keys to the bar; addresses inside an array are enough.
struct Sites {
  std::array<char, 256> storage{};
  CKestrelView* operator[](int i) { return reinterpret_cast<CKestrelView*>(&storage[static_cast<std::size_t>(i)]); }
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
  EXPECT_EQ(GaugeFill(0), 0);
  EXPECT_EQ(GaugeFill(25), 50);
  EXPECT_EQ(GaugeFill(50), 75);
  EXPECT_EQ(GaugeFill(100), 100);
  EXPECT_EQ(GaugeFill(1), 2);    // 100 / 34
  EXPECT_EQ(GaugeFill(99), 99);  // just under 100
  EXPECT_EQ(GaugeFill(-1), 0);
  EXPECT_EQ(GaugeFill(INT32_MIN), 0);
  EXPECT_EQ(GaugeFill(101), 100);
  EXPECT_EQ(GaugeFill(INT32_MAX), 100);
  for (int p = 1; p <= 100; ++p) {
    EXPECT_GE(GaugeFill(p), GaugeFill(p - 1)) << p;
    EXPECT_GE(GaugeFill(p), p) << p;
  }
}

TEST(SiteTabBar, PaintsGaugeAndErrorMark) {
  Sites s;
  CSiteTabBar bar;
  bar.SetWidth(1000);
  for (int i = 0; i < 5; ++i) bar.AddTab("t" + std::to_string(i), s[i], i == 1);
  std::vector<TabStatus> status = {{50, false}, {100, false}, {-1, true}, {-1, false}, {0, true}};
  std::vector<const CKestrelView*> asked;
  auto paint = bar.Layout([&](const CKestrelView* v) {
    asked.push_back(v);
    for (int i = 0; i < 5; ++i)
      if (v == s[i]) return status[static_cast<std::size_t>(i)];
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

TEST(SiteTabBar, OrderAndSelectionAcrossAddRemoveSelect) {
  Sites s;
  CSiteTabBar bar;
  int changed = 0;
  std::vector<int> redrawn;
  bar.onChanged = [&] { ++changed; };
  bar.onRedraw = [&](int i) { redrawn.push_back(i); };

  EXPECT_EQ(bar.selected(), -1);
  EXPECT_EQ(bar.AddTab("http://a/", s[0], true), 0);
  EXPECT_EQ(bar.AddTab("http://b/", s[1], true), 1);
  // Ctrl held: appended at the end, selection stays.
  EXPECT_EQ(bar.AddTab("http://c/", s[2], false), 2);
  EXPECT_EQ(bar.selected(), 1);
  EXPECT_GT(changed, 0);

  // A second tab for the same site changes nothing, even when asked to select.
  changed = 0;
  EXPECT_EQ(bar.AddTab("other", s[0], true), 0);
  EXPECT_EQ(bar.count(), 3);
  EXPECT_EQ(bar.selected(), 1);
  EXPECT_EQ(bar.text(0), "http://a/");
  EXPECT_EQ(changed, 0);
  EXPECT_EQ(bar.AddTab("null", nullptr, true), -1);
  EXPECT_EQ(bar.count(), 3);

  const std::string longTitle = "A rather long page title here";
  bar.SetTabText(s[2], longTitle);
  EXPECT_EQ(bar.text(2), ShortenTabTitle(longTitle));
  EXPECT_EQ(bar.fullTitle(2), longTitle);
  EXPECT_EQ(redrawn, std::vector<int>{2});
  bar.SetTabText(s[9], "no tab");  // silently nothing
  EXPECT_EQ(redrawn, std::vector<int>{2});

  bar.SelectTab(s[2]);
  EXPECT_EQ(bar.selected(), 2);
  bar.SelectTab(s[9]);
  EXPECT_EQ(bar.selected(), 2);

  // An earlier tab goes: the gap closes and the selection stays on its site.
  bar.RemoveTab(s[0], true);
  EXPECT_EQ(bar.count(), 2);
  EXPECT_EQ(bar.site(0), s[1]);
  EXPECT_EQ(bar.site(1), s[2]);
  EXPECT_EQ(bar.selected(), 1);
  EXPECT_EQ(bar.site(bar.selected()), s[2]);
  EXPECT_EQ(bar.FindTab(s[0]), -1);

  // Removing what is not there changes nothing, visible frame or not.
  changed = 0;
  bar.RemoveTab(s[0], true);
  bar.RemoveTab(s[7], false);
  EXPECT_EQ(bar.count(), 2);
  EXPECT_EQ(changed, 0);

  // A hidden site shown again comes back at the end.
  bar.RemoveTab(s[1], false);
  EXPECT_EQ(bar.AddTab("http://b/", s[1], false), 1);
  EXPECT_EQ(bar.site(0), s[2]);
  EXPECT_EQ(bar.selected(), 0);

  // The selected tab goes: no selection until the frame picks the next site.
  bar.RemoveTab(s[2], true);
  EXPECT_EQ(bar.selected(), -1);
  bar.SelectTab(s[1]);
  EXPECT_EQ(bar.selected(), 0);
  bar.RemoveTab(s[1], true);
  EXPECT_EQ(bar.count(), 0);
  EXPECT_EQ(bar.selected(), -1);

  // Out-of-range reads are harmless; redraw of -1 or past the end is nothing.
  redrawn.clear();
  EXPECT_EQ(bar.site(0), nullptr);
  EXPECT_EQ(bar.text(-1), "");
  EXPECT_EQ(bar.fullTitle(5), "");
  bar.RedrawTab(-1);
  bar.RedrawTab(0);
  EXPECT_TRUE(redrawn.empty());
}

TEST(SiteTabBar, NextAndPreviousWrapAround) {
  Sites s;
  CSiteTabBar bar;
  EXPECT_EQ(bar.NextIndex(s[0]), -1);
  EXPECT_EQ(bar.PrevIndex(nullptr), -1);

  bar.AddTab("only", s[0], true);
  EXPECT_EQ(bar.NextIndex(s[0]), 0);
  EXPECT_EQ(bar.PrevIndex(s[0]), 0);

  bar.AddTab("b", s[1], true);
  bar.AddTab("c", s[2], true);
  EXPECT_EQ(bar.NextIndex(s[0]), 1);
  EXPECT_EQ(bar.NextIndex(s[2]), 0);
  EXPECT_EQ(bar.PrevIndex(s[0]), 2);
  EXPECT_EQ(bar.PrevIndex(s[1]), 0);
  // The active site has no tab (it is hidden): first and last.
  EXPECT_EQ(bar.NextIndex(s[5]), 0);
  EXPECT_EQ(bar.PrevIndex(s[5]), 2);
  EXPECT_EQ(bar.PrevIndex(nullptr), 2);
}

TEST(SiteTabBar, ScrollsTwoHundredTabs) {
  Sites s;
  CSiteTabBar bar;
  bar.SetWidth(1000);
  EXPECT_FALSE(bar.needsScroll());
  for (int i = 0; i < 200; ++i) bar.AddTab("tab " + std::to_string(i), s[i], false);
  ASSERT_TRUE(bar.needsScroll());
  EXPECT_EQ(bar.firstVisible(), 0);
  EXPECT_LE(bar.TabAreaRight(), 1000 - CSiteTabBar::kScrollButtonsWidth);

  auto visible = bar.Layout(nullptr);
  ASSERT_FALSE(visible.empty());
  EXPECT_EQ(visible.front().index, 0);
  EXPECT_LT(visible.size(), 200u);
  for (const auto& p : visible) EXPECT_LT(p.tab.left, bar.TabAreaRight());

  // Selecting the last tab brings it fully into view at the right.
  bar.SelectTab(s[199]);
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
  EXPECT_EQ(bar.HitTest(last.tab.left, last.tab.bottom), -1);    // below
  EXPECT_EQ(bar.HitTest(last.tab.left, last.tab.top - 1), -1);   // above
  EXPECT_EQ(bar.HitTest(0, last.tab.top), -1);                    // left margin
  EXPECT_EQ(bar.HitTest(bar.TabAreaRight(), last.tab.top), -1);   // on the buttons
  EXPECT_EQ(bar.HitTest(999, last.tab.top), -1);

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
  for (int i = 199; i >= 20; --i) bar.RemoveTab(s[i], true);
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
  bar.SelectTab(s[5]);
  EXPECT_EQ(bar.firstVisible(), 5);
  EXPECT_EQ(bar.HitTest(CSiteTabBar::kMargin, CSiteTabBar::kMargin), -1);  // under the buttons
  bar.SetWidth(-3);
  EXPECT_TRUE(bar.Layout(nullptr).empty());
}

}  // namespace
}  // namespace kestrel
