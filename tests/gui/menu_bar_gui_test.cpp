#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <QToolBar>

#include "frame/bands.h"
#include "frame/command_ids.h"
#include "gui/gui_frame.h"
#include "support/dialog_driver.h"
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
};

TEST(FlatMenuBar, AltArrowsLettersAndEscapeFromTheKeyboard) {
  MenuFrame f;
  ASSERT_GE(f.bar->count(), 8);
  const int last = f.bar->count() - 1;
  QLineEdit* edit = f.window->addressEdit();
  edit->setText(QStringLiteral("typed"));

  // Alt pressed and let go highlights the first item; the arrows move it
  // round; Escape or a second Alt takes it off. None of it reaches the field.
  f.Key(Qt::Key_Alt);
  EXPECT_EQ(f.bar->tracker().state(), State::HotTracking);
  EXPECT_EQ(f.bar->tracker().hot(), 0);
  f.Key(Qt::Key_Right);
  EXPECT_EQ(f.bar->tracker().hot(), 1);
  f.Key(Qt::Key_Left);
  f.Key(Qt::Key_Left);
  EXPECT_EQ(f.bar->tracker().hot(), last);
  f.Key(Qt::Key_Escape);
  EXPECT_EQ(f.bar->tracker().state(), State::None);
  f.Key(Qt::Key_Alt);
  f.Key(Qt::Key_Alt);
  EXPECT_EQ(f.bar->tracker().state(), State::None);
  EXPECT_EQ(edit->text(), QStringLiteral("typed"));
  EXPECT_EQ(edit->cursorPosition(), 5);

  // Down opens the highlighted item with its first item marked (and no
  // submenu opened for it); Left from the first menu opens the last.
  f.Key(Qt::Key_Alt);
  f.Key(Qt::Key_Down);
  ASSERT_EQ(f.Open(), 0);
  EXPECT_EQ(f.bar->tracker().state(), State::PopupOpen);
  ASSERT_NE(f.bar->menuAt(0)->activeAction(), nullptr);
  EXPECT_TRUE(f.bar->menuAt(0)->activeAction()->isEnabled());
  EXPECT_EQ(QApplication::activePopupWidget(), f.bar->menuAt(0));
  f.Key(Qt::Key_Left);
  EXPECT_EQ(f.Open(), last);
  EXPECT_FALSE(f.bar->menuAt(0)->isVisible());
  f.Key(Qt::Key_Right);  // the last menu's first item has no submenu: Right goes round
  EXPECT_EQ(f.Open(), 0);

  // Escape steps back to the highlighted item, a second Escape leaves the bar.
  f.Key(Qt::Key_Escape);
  EXPECT_EQ(f.Open(), -1);
  EXPECT_EQ(f.bar->tracker().state(), State::HotTracking);
  EXPECT_EQ(f.bar->tracker().hot(), 0);
  f.Key(Qt::Key_Escape);
  EXPECT_EQ(f.bar->tracker().state(), State::None);

  // Alt with a letter opens the item of that access key, also in another
  // case; the Alt let go after it highlights nothing.
  const int view = f.Find("&View"), tools = f.Find("&Tools");
  ASSERT_GE(view, 0);
  ASSERT_GE(tools, 0);
  f.Key(Qt::Key_V, Qt::AltModifier);
  EXPECT_EQ(f.Open(), view);
  f.Key(Qt::Key_Alt);  // Alt in a popup leaves the menus altogether
  EXPECT_EQ(f.Open(), -1);
  EXPECT_EQ(f.bar->tracker().state(), State::None);
  // In hot-tracking a letter alone does it, and a letter no item has stays the bar's.
  f.Key(Qt::Key_Alt);
  f.Key(Qt::Key_Q);
  EXPECT_EQ(f.bar->tracker().state(), State::HotTracking);
  f.Key(Qt::Key_T);
  EXPECT_EQ(f.Open(), tools);
  f.Key(Qt::Key_Escape);
  f.Key(Qt::Key_Escape);

  // View's first item has a submenu: Right opens it rather than the next
  // menu; Right again, on an item without one, goes on to the next menu.
  f.Key(Qt::Key_V, Qt::AltModifier);
  ASSERT_EQ(f.Open(), view);
  QAction* first = f.bar->menuAt(view)->activeAction();
  ASSERT_TRUE(first && first->menu());
  f.Key(Qt::Key_Right);
  EXPECT_EQ(f.Open(), view);
  EXPECT_EQ(QApplication::activePopupWidget(), first->menu());
  f.Key(Qt::Key_Left);  // back to View, not to the menu before it
  EXPECT_EQ(QApplication::activePopupWidget(), f.bar->menuAt(view));
  f.Key(Qt::Key_Right);
  QTest::keyClick(first->menu(), Qt::Key_Down);  // onto an item of its own
  f.Key(Qt::Key_Right);
  EXPECT_EQ(f.Open(), view + 1);
  EXPECT_FALSE(first->menu()->isVisible());
  f.Key(Qt::Key_Escape);
  f.Key(Qt::Key_Escape);

  // A shortcut with Alt (Alt+Left goes back) uses Alt: no highlight after
  // it, and other keys in hot-tracking end it and go on to the field.
  f.Key(Qt::Key_Left, Qt::AltModifier);
  EXPECT_EQ(f.bar->tracker().state(), State::None);
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

  // A click opens an item; passing over others while it is open opens each
  // in turn; a move to the same place again changes nothing.
  QTest::mouseClick(f.bar, Qt::LeftButton, {}, f.bar->itemRect(0).center());
  QTest::qWait(10);
  ASSERT_EQ(f.Open(), 0);
  f.MoveTo(view);
  EXPECT_EQ(f.Open(), view);
  EXPECT_FALSE(f.bar->menuAt(0)->isVisible());
  f.MoveTo(view);
  EXPECT_EQ(f.Open(), view);
  f.MoveTo(go);
  EXPECT_EQ(f.Open(), go);
  EXPECT_FALSE(f.bar->menuAt(view)->isVisible());

  // The popup stands under its own item.
  QMenu* open = f.bar->menuAt(go);
  const QPoint under = f.bar->mapToGlobal(f.bar->itemRect(go).bottomLeft());
  EXPECT_NEAR(open->geometry().top(), under.y(), 4);
  EXPECT_NEAR(open->geometry().left(), under.x(), 4);
  {
    // The window with the popup in its place, as the screen shows it.
    QImage shot = f.window->grab().toImage();
    QPainter p(&shot);
    p.drawPixmap(f.window->mapFromGlobal(open->geometry().topLeft()), open->grab());
    p.end();
    if (const char* dir = std::getenv("KESTREL_SHOT_DIR")) shot.save(QString::fromUtf8(dir) + "/menu_bar_open.png");
    // The open item is drawn in the highlight colour.
    const QColor mark = shot.pixelColor(f.bar->mapTo(f.window.get(), f.bar->itemRect(go).center() + QPoint(0, 5)));
    EXPECT_EQ(mark, f.bar->palette().color(QPalette::Highlight));
  }

  // A press on the open item's own place closes it and opens nothing.
  QTest::mouseClick(f.bar, Qt::LeftButton, {}, f.bar->itemRect(go).center());
  QTest::qWait(10);
  EXPECT_EQ(f.Open(), -1);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  EXPECT_EQ(f.bar->tracker().state(), State::None);
  // Outside a popup the pointer only marks where it is.
  f.MoveTo(view);
  EXPECT_EQ(f.Open(), -1);

  // A press on another item while one is open goes straight to that one.
  QTest::mouseClick(f.bar, Qt::LeftButton, {}, f.bar->itemRect(1).center());
  QTest::qWait(10);
  ASSERT_EQ(f.Open(), 1);
  QTest::mousePress(f.bar, Qt::LeftButton, {}, f.bar->itemRect(0).center());
  QTest::qWait(10);
  EXPECT_EQ(f.Open(), 0);
  f.Key(Qt::Key_Escape);
  f.Key(Qt::Key_Escape);

  // The bar is a band: it can stand below the tool bar, where a saved
  // layout finds it again, and it locks with the others.
  EXPECT_TRUE(f.window->menuBand()->isMovable());
  f.window->ArrangeBands({{kBandStandard}, {kBandMenuBar}, {kBandAddress, kBandQuickSearch}});
  QTest::qWait(10);
  EXPECT_GT(f.window->menuBand()->y(), f.window->standardToolBar()->y());
  EXPECT_LT(f.window->menuBand()->y(), f.window->addressToolBar()->y());
  const std::vector<std::vector<unsigned>> rows = BandRows(f.window->bands().Current());
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows[0], std::vector<unsigned>{kBandStandard});
  EXPECT_EQ(rows[1], std::vector<unsigned>{kBandMenuBar});
  f.frame->OnCommand(ID_LOCK_TOOLBARS);
  EXPECT_FALSE(f.window->menuBand()->isMovable());
}

}  // namespace
}  // namespace kestrel::test
