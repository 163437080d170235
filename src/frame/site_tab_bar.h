#pragma once
// The site tab bar's state: one tab per visible site in the order the sites
// became visible, the selected tab, the horizontal scroll position, and what
// drawing each visible tab takes. The window only paints what Layout() says
// and forwards mouse events; every decision is made here.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

class CKestrelView;  // opaque key; never dereferenced here

// More than 20 characters: the first 17 followed by "...". Counted in UTF-8
// code points so a multi-byte character is never cut in half.
std::string ShortenTabTitle(std::string_view title);

// Height of the progress gauge in percent: the curve makes early progress
// look larger (25 -> 50, 50 -> 75). Progress is clamped to 0..100.
int GaugeFill(int progress);

struct TabStatus {
  int progress = -1;  // -1: no download under way
  bool errorPage = false;
};

// Right and bottom are exclusive.
struct TabRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool operator==(const TabRect&) const = default;
};

// Everything drawing one tab takes, in widget coordinates.
struct TabPaint {
  enum class Mark { None, Gauge, Error };
  int index = -1;
  TabRect tab;
  bool selected = false;
  int shift = 0;  // the selected tab's contents sit 4 pixels to the right
  Mark mark = Mark::None;
  TabRect markOuter;  // the gauge's frame, or the red error mark
  TabRect gaugeFill;  // the green part of the gauge, rising from the bottom
  int textX = 0, textY = 0;
  std::string text;
};

class CSiteTabBar {
 public:
  static constexpr int kTabWidth = 100, kTabHeight = 18;
  // Space left of the first tab and above every tab.
  static constexpr int kMargin = 2;
  // The scroll buttons take this much at the right edge when the tabs overflow.
  static constexpr int kScrollButtonsWidth = 32;
  static constexpr int kShiftSelected = 4;

  int FindTab(const CKestrelView* site) const;
  // Appends a tab at the end; a site that already has one keeps it (nothing
  // changes) and its index is returned. -1 for a null site.
  int AddTab(const std::string& text, CKestrelView* site, bool select);
  void SetTabText(CKestrelView* site, const std::string& title);
  void SelectTab(CKestrelView* site);
  // A site without a tab is only worth a diagnostic when its frame is visible.
  void RemoveTab(CKestrelView* site, bool frameVisible);
  void RedrawTab(int index);

  int count() const { return static_cast<int>(tabs_.size()); }
  int selected() const { return selected_; }
  CKestrelView* site(int i) const;
  const std::string& text(int i) const;       // shortened, as drawn
  const std::string& fullTitle(int i) const;  // whole, for tooltips

  // Next/Previous Window in tab order, wrapping around. The active site
  // without a tab goes to the first (next) or the last (previous) tab.
  int NextIndex(const CKestrelView* active) const;
  int PrevIndex(const CKestrelView* active) const;

  // One line of fixed-size tabs, scrolled when they do not fit the width.
  void SetWidth(int px);
  int width() const { return width_; }
  void ScrollTo(int firstVisible);
  int firstVisible() const { return first_; }
  bool needsScroll() const;
  bool CanScrollLeft() const { return first_ > 0; }
  bool CanScrollRight() const { return first_ < MaxFirst(); }
  void EnsureVisible(int index);
  // The right edge of the area the tabs are drawn in (exclusive).
  int TabAreaRight() const;
  // Where tab `index` is drawn, if any part of it is in view.
  std::optional<TabRect> RectOf(int index) const;
  int HitTest(int x, int y) const;
  // The tabs in view, in order; `status` is asked only about those.
  std::vector<TabPaint> Layout(const std::function<TabStatus(const CKestrelView*)>& status) const;

  // Change notices for the window: the whole bar, or one tab.
  std::function<void()> onChanged;
  std::function<void(int)> onRedraw;

 private:
  struct Tab {
    CKestrelView* site;
    std::string text;
    std::string title;
  };
  int FullyVisibleCount() const;
  int MaxFirst() const;
  void Clamp();
  void Changed();

  std::vector<Tab> tabs_;
  int selected_ = -1;
  int first_ = 0;
  int width_ = 200;
};

}  // namespace kestrel
