// The flat menu bar's rules: Alt, the arrows, Escape, access keys and the
// pointer, outside a popup and while one is open.
#include <gtest/gtest.h>

#include "appearance/menu_bar.h"

namespace kestrel::test {
namespace {

using K = CMenuBarTracker::Key;
using S = CMenuBarTracker::State;

const std::vector<std::string> kMenus = {"&File", "&Edit", "&View", "F&avorites", "&Go To", "&Help"};

TEST(MenuBar, AccessKeys) {
  struct Case {
    const char* text;
    char key;
  } cases[] = {{"&File", 'f'}, {"Fa&vorites", 'v'}, {"Tools && Tips", 0}, {"A&&B &C", 'c'}, {"End&", 0}, {"", 0}};
  for (const Case& c : cases) EXPECT_EQ(AccessKeyOf(c.text), c.key) << c.text;
}

TEST(MenuBar, AltArrowsEscapeAndLettersOutsideAPopup) {
  CMenuBarTracker bar(kMenus);
  // Alt pressed and let go highlights the first item; a second Alt or Escape takes it away.
  EXPECT_TRUE(bar.AltDown().consumed);
  EXPECT_TRUE(bar.AltUp().consumed);
  EXPECT_EQ(bar.state(), S::HotTracking);
  EXPECT_EQ(bar.hot(), 0);
  bar.AltDown();
  bar.AltUp();
  EXPECT_EQ(bar.state(), S::None);
  EXPECT_EQ(bar.hot(), -1);
  bar.AltDown();
  bar.AltUp();
  EXPECT_TRUE(bar.KeyDown(K::Escape, false).consumed);
  EXPECT_EQ(bar.state(), S::None);

  // Left from the first wraps to the last; Right from the last to the first; Down opens.
  bar.AltDown();
  bar.AltUp();
  bar.KeyDown(K::Left, false);
  EXPECT_EQ(bar.hot(), 5);
  bar.KeyDown(K::Right, false);
  bar.KeyDown(K::Right, false);
  EXPECT_EQ(bar.hot(), 1);
  EXPECT_EQ(bar.KeyDown(K::Down, false).open, 1);
  // In hot-tracking every letter is the bar's, one it has or not; the pointer moves the highlight.
  bar.Hover(3);
  EXPECT_EQ(bar.hot(), 3);
  EXPECT_EQ(bar.Char('a', false).open, 3);
  const CMenuBarTracker::Outcome none = bar.Char('z', false);
  EXPECT_TRUE(none.consumed);
  EXPECT_EQ(none.open, -1);
  // Any other key leaves the bar and goes on to the window.
  EXPECT_FALSE(bar.KeyDown(K::Other, false).consumed);
  EXPECT_EQ(bar.state(), S::None);

  // Alt+F opens File, and Alt's release after it does not highlight.
  bar.AltDown();
  EXPECT_EQ(bar.Char('F', true).open, 0);
  bar.AltUp();
  EXPECT_EQ(bar.state(), S::None);
  // Alt with a letter no item has: not the bar's; without Alt and no highlight neither.
  bar.AltDown();
  EXPECT_FALSE(bar.Char('z', true).consumed);
  bar.AltUp();
  EXPECT_FALSE(bar.Char('f', false).consumed);
  EXPECT_FALSE(bar.KeyDown(K::Down, false).consumed);
  // A click elsewhere ends the highlight.
  bar.AltDown();
  bar.AltUp();
  bar.Cancel();
  EXPECT_EQ(bar.state(), S::None);

  // A bar without items takes Alt and does nothing.
  CMenuBarTracker empty;
  empty.AltDown();
  empty.AltUp();
  EXPECT_EQ(empty.state(), S::None);
}

TEST(MenuBar, WhileAPopupIsOpen) {
  CMenuBarTracker bar(kMenus);
  // With File open, Left opens the last menu and Right the second.
  bar.PopupOpened(0);
  EXPECT_EQ(bar.state(), S::PopupOpen);
  EXPECT_EQ(bar.current(), 0);
  EXPECT_TRUE(bar.PopupKey(K::Left));
  bar.PopupClosed();
  EXPECT_EQ(bar.NextPopup(), 5);
  EXPECT_EQ(bar.NextPopup(), -1);  // once
  bar.PopupOpened(0);
  EXPECT_TRUE(bar.PopupKey(K::Right));
  bar.PopupClosed();
  EXPECT_EQ(bar.NextPopup(), 1);
  // Up and Down belong to the popup.
  bar.PopupOpened(1);
  EXPECT_FALSE(bar.PopupKey(K::Down));

  // The pointer from File's item to View's opens View; over its own item nothing changes.
  bar.PopupOpened(0);
  EXPECT_FALSE(bar.PopupHover(0));
  EXPECT_FALSE(bar.PopupHover(-1));
  EXPECT_TRUE(bar.PopupHover(2));
  bar.PopupClosed();
  EXPECT_EQ(bar.NextPopup(), 2);

  // A press on the open popup's own item closes it and opens nothing.
  bar.PopupOpened(2);
  EXPECT_FALSE(bar.PopupPress(3));
  EXPECT_TRUE(bar.PopupPress(2));
  bar.PopupClosed();
  EXPECT_EQ(bar.NextPopup(), -1);
  EXPECT_EQ(bar.state(), S::None);

  // Escape closes the popup and keeps its item highlighted; a choice leaves the bar.
  bar.PopupOpened(4);
  EXPECT_FALSE(bar.PopupKey(K::Escape));
  bar.PopupClosed();
  EXPECT_EQ(bar.state(), S::HotTracking);
  EXPECT_EQ(bar.hot(), 4);
  bar.PopupOpened(4);
  bar.PopupClosed();
  EXPECT_EQ(bar.state(), S::None);

  // A new language with fewer items keeps the indices inside the bar.
  bar.AltDown();
  bar.AltUp();
  bar.KeyDown(K::Left, false);
  bar.SetTexts({"&Datei", "&Bearbeiten"});
  EXPECT_EQ(bar.hot(), 1);
  EXPECT_EQ(bar.Char('d', false).open, 0);
}

}  // namespace
}  // namespace kestrel::test
