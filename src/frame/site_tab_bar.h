#pragma once
// The site tab bar's state: one tab per shown site in the site list's tab
// order with the active site's tab selected, the texts of the tabs, the
// horizontal scroll position, and what drawing each visible tab takes. The
// window only paints what Layout() says and forwards mouse events; every
// decision is made here or in the site list.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/notifier.h"
#include "frame/site_list.h"

namespace kestrel {


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

class CSiteTabBar : public SiteListObserver {
 public:
  // The smallest tab; a window whose font needs more sets a larger size.
  static constexpr int kTabWidth = 100, kTabHeight = 18;
  // Space left of the first tab and above every tab.
  static constexpr int kMargin = 2;
  // The scroll buttons take this much at the right edge when the tabs overflow.
  static constexpr int kScrollButtonsWidth = 32;
  static constexpr int kShiftSelected = 4;

  // One tab per shown site of `sites`, in its tab order; the selected tab
  // is the active site's. Follows the list until destroyed.
  explicit CSiteTabBar(CSiteList& sites);
  ~CSiteTabBar() override;
  CSiteTabBar(const CSiteTabBar&) = delete;
  CSiteTabBar& operator=(const CSiteTabBar&) = delete;

  int FindTab(const CKestrelView* site) const { return sites_.TabIndex(site); }
  // The text a site's tab shows, kept for a site without a tab too (it is
  // shown once the site gets one).
  void SetTabText(CKestrelView* site, const std::string& title);
  void RedrawTab(int index);

  int count() const { return sites_.shownCount(); }
  int selected() const { return sites_.TabIndex(sites_.active()); }
  CKestrelView* site(int i) const;
  const std::string& text(int i) const;       // shortened, as drawn
  const std::string& fullTitle(int i) const;  // whole, for tooltips

  // Every tab's size, at least kTabWidth by kTabHeight.
  void SetTabSize(int width, int height);
  int tabWidth() const { return tabWidth_; }
  int tabHeight() const { return tabHeight_; }
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
  Notifier<> changed;
  Notifier<int> redraw;

  // SiteListObserver
  void TabsChanged() override;
  void ActiveChanged(CKestrelView* site) override;
  void SiteRemoved(CKestrelView* site) override { texts_.erase(site); }

 private:
  struct Texts {
    std::string text;
    std::string title;
  };
  int FullyVisibleCount() const;
  int MaxFirst() const;
  void Clamp();
  void Changed();

  CSiteList& sites_;
  std::unordered_map<const CKestrelView*, Texts> texts_;
  int first_ = 0;
  int width_ = 200;
  int tabWidth_ = kTabWidth, tabHeight_ = kTabHeight;
};

}  // namespace kestrel
