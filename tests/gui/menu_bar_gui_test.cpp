// The flat menu bar on the real window: keys and the pointer as Qt delivers
// them (the states themselves: menu_bar_test).
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QToolBar>

#include "frame/bands.h"
#include "gui/gui_frame.h"
#include "ui/menu_bar_qt.h"

namespace kestrel::test {
namespace {

using State = CMenuBarTracker::State;

struct MenuFrame : GuiFrame {
  QtMenuBar* bar = window->flatMenuBar();
  MenuFrame() {
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QApplication::setActiveWindow(window.get());
    window->addressEdit()->setFocus();
    QTest::qWait(20);
  }
  ~MenuFrame() {
    while (QWidget* p = QApplication::activePopupWidget()) p->hide();
  }
  // A key where the keyboard sends it: the innermost popup, else the focus.
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* to = QApplication::activePopupWidget();
    if (!to) to = QApplication::focusWidget();
    QTest::keyClick(to, static_cast<Qt::Key>(key), mods);
    QTest::qWait(10);  // a switch opens the next popup once the last has gone
  }
  int Open() const {
    for (int i = 0; i < bar->count(); ++i)
      if (bar->openMenu() == bar->menuAt(i) && bar->menuAt(i)->isVisible()) return i;
    return -1;
  }
  int Find(const char* title) const {
    for (int i = 0; i < bar->count(); ++i)
      if (bar->menuAt(i)->title() == QLatin1String(title)) return i;
    return -1;
  }
  void MoveTo(int item) {
    QTest::mouseMove(bar, bar->itemRect(item).center());
    QTest::qWait(10);
  }
  void Click(int item, bool pressOnly = false) {
    pressOnly ? QTest::mousePress(bar, Qt::LeftButton, {}, bar->itemRect(item).center())
              : QTest::mouseClick(bar, Qt::LeftButton, {}, bar->itemRect(item).center());
    QTest::qWait(10);
  }
};

TEST(FlatMenuBar, AltArrowsLettersAndEscapeFromTheKeyboard) {
  MenuFrame f;
  const int last = f.bar->count() - 1, view = f.Find("&View");
  ASSERT_GE(view, 0);
  QLineEdit* edit = f.window->addressEdit();
  edit->setText(QStringLiteral("typed"));
  constexpr int any = -9;
  const int none = int(State::None), hot = int(State::HotTracking), popup = int(State::PopupOpen);
  struct Step {
    int key;
    Qt::KeyboardModifiers mods;
    int open, state, hotItem;
  } steps[] = {
      // Alt let go highlights the first item, Left goes round to the last, Escape takes it off.
      {Qt::Key_Alt, {}, -1, hot, 0}, {Qt::Key_Left, {}, -1, hot, last}, {Qt::Key_Escape, {}, -1, none, any},
      // Down opens the highlighted item; Escape steps back to it.
      {Qt::Key_Alt, {}, any, any, any}, {Qt::Key_Down, {}, 0, popup, any}, {Qt::Key_Escape, {}, -1, hot, 0},
      {Qt::Key_Escape, {}, -1, none, any},
      // Alt with a letter opens the item of that access key; Alt in a popup leaves the menus.
      {Qt::Key_V, Qt::AltModifier, view, any, any}, {Qt::Key_Alt, {}, -1, none, any},
      // A shortcut with Alt (Alt+Left goes back) uses Alt: no highlight after it.
      {Qt::Key_Left, Qt::AltModifier, -1, none, any},
  };
  int n = 0;
  for (const Step& s : steps) {
    f.Key(s.key, s.mods);
    SCOPED_TRACE("step " + std::to_string(n++));
    EXPECT_EQ(s.open == any ? any : f.Open(), s.open);
    EXPECT_EQ(s.state == any ? any : int(f.bar->tracker().state()), s.state);
    EXPECT_EQ(s.hotItem == any ? any : f.bar->tracker().hot(), s.hotItem);
    EXPECT_TRUE(n != 9 || (edit->text() == "typed" && edit->cursorPosition() == 5)) << "none of it reached the field";
  }
  // Other keys in hot-tracking end it and go on to the field.
  f.Key(Qt::Key_Alt);
  f.Key(Qt::Key_Home);
  EXPECT_EQ(f.bar->tracker().state(), State::None);
  EXPECT_EQ(edit->cursorPosition(), 0);
  // A menu's shortcut works with the bar hidden: F11 leaves full screen.
  f.Key(Qt::Key_F11);
  EXPECT_TRUE(f.window->menuBand()->isHidden());
  f.Key(Qt::Key_F11);
  EXPECT_FALSE(f.window->menuBand()->isHidden());
}

TEST(FlatMenuBar, ThePointerSwitchesBetweenOpenPopups) {
  MenuFrame f;
  const int view = f.Find("&View"), go = f.Find("&Go To");
  ASSERT_GE(go, 0);
  // A click opens an item; passing over others while it is open opens each in turn.
  f.Click(0);
  ASSERT_EQ(f.Open(), 0);
  for (int to : {view, go}) {
    f.MoveTo(to);
    EXPECT_EQ(f.Open(), to);
  }
  EXPECT_FALSE(f.bar->menuAt(0)->isVisible() || f.bar->menuAt(view)->isVisible());
  // A press on the open item's own place closes it and opens nothing.
  f.Click(go);
  EXPECT_EQ(f.Open(), -1);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  EXPECT_EQ(f.bar->tracker().state(), State::None);
  // Outside a popup the pointer only marks where it is.
  f.MoveTo(view);
  EXPECT_EQ(f.Open(), -1);
  // A press on another item while one is open goes straight to that one.
  f.Click(1);
  ASSERT_EQ(f.Open(), 1);
  f.Click(0, true);
  EXPECT_EQ(f.Open(), 0);
  f.Key(Qt::Key_Escape);
  f.Key(Qt::Key_Escape);
}

}  // namespace
}  // namespace kestrel::test
