#include "frame/site_tab_bar.h"

#include <algorithm>


namespace kestrel {

namespace {

constexpr std::size_t kMaxTitleChars = 20;
constexpr std::size_t kKeptChars = 17;

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the character starting at `i`: the lead byte's length, cut short
// at the first byte that does not continue it. Stray bytes count as one
// character each, so broken text is shortened without reading past its end.
std::size_t CharLength(std::string_view s, std::size_t i) {
  const auto lead = static_cast<unsigned char>(s[i]);
  std::size_t want = 1;
  if (lead >= 0xF0 && lead <= 0xF4) want = 4;
  else if (lead >= 0xE0) want = lead <= 0xEF ? 3 : 1;
  else if (lead >= 0xC2) want = 2;
  std::size_t n = 1;
  while (n < want && i + n < s.size() && IsContinuation(static_cast<unsigned char>(s[i + n]))) ++n;
  return n;
}

const std::string kEmpty;

}  // namespace

std::string ShortenTabTitle(std::string_view title) {
  std::size_t chars = 0, cut = 0;
  for (std::size_t i = 0; i < title.size(); i += CharLength(title, i)) {
    if (chars == kKeptChars) cut = i;
    if (++chars > kMaxTitleChars) return std::string(title.substr(0, cut)) + "...";
  }
  return std::string(title);
}

int GaugeFill(int progress) {
  if (progress <= 0) return 0;
  const double p = std::min(progress, 100);
  return static_cast<int>(100.0 / ((100.0 - p) / p / 3.0 + 1.0));
}

CSiteTabBar::CSiteTabBar(CSiteList& sites) : sites_(sites) { sites_.AddObserver(this); }

CSiteTabBar::~CSiteTabBar() { sites_.RemoveObserver(this); }

void CSiteTabBar::SetTabText(CKestrelView* site, const std::string& title) {
  if (!site) return;
  texts_[site] = {ShortenTabTitle(title), title};
  RedrawTab(FindTab(site));
}

void CSiteTabBar::TabsChanged() {
  Clamp();
  Changed();
}

void CSiteTabBar::ActiveChanged(CKestrelView*) {
  EnsureVisible(selected());  // notifies by itself when it scrolls
  Changed();
}

void CSiteTabBar::RedrawTab(int index) {
  if (index < 0 || index >= count()) return;
  redraw.Notify(index);
}

CKestrelView* CSiteTabBar::site(int i) const {
  return i >= 0 && i < count() ? sites_.tabs()[static_cast<std::size_t>(i)] : nullptr;
}

const std::string& CSiteTabBar::text(int i) const {
  auto it = texts_.find(site(i));
  return it == texts_.end() ? kEmpty : it->second.text;
}

const std::string& CSiteTabBar::fullTitle(int i) const {
  auto it = texts_.find(site(i));
  return it == texts_.end() ? kEmpty : it->second.title;
}

void CSiteTabBar::SetTabSize(int width, int height) {
  tabWidth_ = std::max(width, kTabWidth);
  tabHeight_ = std::max(height, kTabHeight);
  Clamp();
  EnsureVisible(selected());
  Changed();
}

void CSiteTabBar::SetWidth(int px) {
  px = std::max(px, 0);
  if (px == width_) return;
  width_ = px;
  // Growing may bring the tail back into view; keep the selection visible.
  Clamp();
  EnsureVisible(selected());
  Changed();
}

void CSiteTabBar::ScrollTo(int firstVisible) {
  const int old = first_;
  first_ = firstVisible;
  Clamp();
  if (first_ != old) Changed();
}

bool CSiteTabBar::needsScroll() const {
  // In 64 bits: a huge tab count must not wrap around.
  return kMargin + static_cast<long long>(count()) * tabWidth_ > width_;
}

int CSiteTabBar::TabAreaRight() const {
  return std::max(needsScroll() ? width_ - kScrollButtonsWidth : width_, kMargin);
}

int CSiteTabBar::FullyVisibleCount() const {
  // At least one, so a bar narrower than a tab still scrolls tab by tab.
  return std::max(1, (TabAreaRight() - kMargin) / tabWidth_);
}

int CSiteTabBar::MaxFirst() const {
  if (!needsScroll()) return 0;
  return std::max(0, count() - FullyVisibleCount());
}

void CSiteTabBar::Clamp() { first_ = std::clamp(first_, 0, MaxFirst()); }

void CSiteTabBar::EnsureVisible(int index) {
  if (index < 0 || index >= count()) return;
  const int old = first_;
  if (index < first_) first_ = index;
  else if (index >= first_ + FullyVisibleCount()) first_ = index - FullyVisibleCount() + 1;
  Clamp();
  if (first_ != old) Changed();
}

std::optional<TabRect> CSiteTabBar::RectOf(int index) const {
  if (index < first_ || index >= count()) return std::nullopt;
  const long long left = kMargin + static_cast<long long>(index - first_) * tabWidth_;
  if (left >= TabAreaRight()) return std::nullopt;
  const int l = static_cast<int>(left);
  return TabRect{l, kMargin, l + tabWidth_, kMargin + tabHeight_};
}

int CSiteTabBar::HitTest(int x, int y) const {
  if (y < kMargin || y >= kMargin + tabHeight_) return -1;
  if (x < kMargin || x >= TabAreaRight()) return -1;
  const int index = first_ + (x - kMargin) / tabWidth_;
  return index < count() ? index : -1;
}

std::vector<TabPaint> CSiteTabBar::Layout(
    const std::function<TabStatus(const CKestrelView*)>& status) const {
  std::vector<TabPaint> out;
  const int sel = selected();
  for (int i = first_; i < count(); ++i) {
    const auto rect = RectOf(i);
    if (!rect) break;
    TabPaint p;
    p.index = i;
    p.tab = *rect;
    p.selected = i == sel;
    p.shift = p.selected ? kShiftSelected : 0;
    const int x = rect->left + p.shift, top = rect->top;
    const TabStatus st = status ? status(site(i)) : TabStatus{};
    const TabRect outer{x, top + 5, x + 4, top + 17};
    if (st.progress >= 0) {
      p.mark = TabPaint::Mark::Gauge;
      p.markOuter = outer;
      p.gaugeFill = {x + 1, top + 16 - GaugeFill(st.progress) / 10, x + 3, top + 16};
    } else if (st.errorPage) {
      p.mark = TabPaint::Mark::Error;
      p.markOuter = outer;
    }
    p.textX = x + 5;
    p.textY = top + 4;
    p.text = text(i);
    out.push_back(std::move(p));
  }
  return out;
}

void CSiteTabBar::Changed() {
  changed.Notify();
}

}  // namespace kestrel
