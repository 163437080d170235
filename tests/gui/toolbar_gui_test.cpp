// The standard toolbar and the bands on the real main window, and the
// "Custom ToolBar" dialog, offscreen.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QListWidget>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "frame/toolbars.h"
#include "platform/profile.h"
#include "support/dialog_driver.h"
#include "gui/gui_frame.h"
#include "ui/frame_window_qt.h"
#include "ui/toolbar_dialog_qt.h"

namespace kestrel::test {
namespace {

// What the bar shows: a separator or a button, in order.
std::vector<QAction*> ButtonsOf(QToolBar* bar) {
  const QList<QAction*> all = bar->actions();
  return {all.begin(), all.end()};
}

struct ShownFrame : GuiFrame {
  QtFrameWindow* w = window.get();
  ShownFrame() {
    w->resize(1000, 600);
    w->show();
  }
  bool Checked(unsigned id) const { return frame->CommandStateOf(id).checked; }
};

TEST(ToolbarGui, ButtonsBandsAndTheLockSurviveARestartAndDamageGivesTheDefault) {
  RegistryProfile profile;
  {
    ShownFrame f;
    QtFrameWindow* w = f.w;
    // The defaults: twenty entries, two of them separators.
    EXPECT_EQ(ButtonsOf(w->standardToolBar()).size(), 20u);
    EXPECT_EQ(w->standardToolBar()->iconSize(), QSize(24, 24));
    // Back has its drop-down of pages behind.
    auto* back = qobject_cast<QToolButton*>(w->standardToolBar()->widgetForAction(w->action(ID_GO_BACK)));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->popupMode(), QToolButton::MenuButtonPopup);

    w->bands().SetButtons({{ID_FILE_NEW, 0, ID_GO_BACK, 4242}, false, true});
    EXPECT_EQ(ButtonsOf(w->standardToolBar()).size(), 4u);
    EXPECT_EQ(w->standardToolBar()->iconSize(), QSize(16, 16));
    EXPECT_EQ(w->standardToolBar()->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    EXPECT_FALSE(w->action(4242)->isEnabled()) << "an id from nowhere is a dead button";

    // Hide the Address Bar, lock the bars.
    EXPECT_TRUE(f.Checked(ID_VIEW_ADDRESS_BAR));
    EXPECT_TRUE(f.frame->OnCommand(ID_VIEW_ADDRESS_BAR));
    EXPECT_FALSE(f.Checked(ID_VIEW_ADDRESS_BAR));
    EXPECT_TRUE(w->addressToolBar()->isHidden());
    f.frame->OnCommand(ID_LOCK_TOOLBARS);
    EXPECT_TRUE(f.Checked(ID_LOCK_TOOLBARS));
    EXPECT_FALSE(w->standardToolBar()->isMovable());
    w->RecordBars(profile);
  }
  EXPECT_EQ(profile.GetString(kSettingsKey, "ToolBarButtons").value_or(""), "57600 0 32787 4242");
  {
    ShownFrame f;
    QtFrameWindow* w = f.w;
    w->bands().Restore(profile);
    w->bands().Restore(profile);  // the start-up does it twice
    EXPECT_EQ(w->bands().buttons().ids, (std::vector<unsigned>{ID_FILE_NEW, 0, ID_GO_BACK, 4242}));
    EXPECT_TRUE(w->bands().buttons().showText);
    EXPECT_TRUE(w->addressToolBar()->isHidden());
    EXPECT_FALSE(f.Checked(ID_VIEW_ADDRESS_BAR));
    EXPECT_TRUE(f.Checked(ID_LOCK_TOOLBARS));
    EXPECT_FALSE(w->addressToolBar()->isMovable());

    // Full screen hides every bar; leaving brings back exactly the ones
    // that were shown, not the hidden Address Bar.
    f.frame->OnCommand(ID_FULL_SCREEN);
    EXPECT_TRUE(w->menuBar()->isHidden());
    EXPECT_TRUE(w->standardToolBar()->isHidden());
    f.frame->OnCommand(ID_FULL_SCREEN);
    EXPECT_FALSE(w->menuBar()->isHidden());
    EXPECT_FALSE(w->standardToolBar()->isHidden());
    EXPECT_TRUE(w->addressToolBar()->isHidden());
  }
  // A damaged layout (an unknown band) leaves every bar where a new frame has it.
  profile.SetDword(kSettingsKey, "band1", 1234);
  {
    ShownFrame f;
    f.w->bands().Restore(profile);
    EXPECT_FALSE(f.w->addressToolBar()->isHidden());
    EXPECT_FALSE(f.w->standardToolBar()->isHidden());
    EXPECT_TRUE(f.Checked(ID_LOCK_TOOLBARS)) << "the lock is read either way";
  }
}

TEST(ToolbarGui, TheCustomiseDialogMovesButtonsAndResetsAtOnce) {
  ToolbarButtons b{{ID_FILE_NEW, ID_GO_BACK}, true, false};
  ToolbarButtons appliedNow;
  ToolbarLook look;
  look.text = [](unsigned id) { return QtFrameWindow::ButtonText(id); };
  look.applyNow = [&](const ToolbarButtons& now) { appliedNow = now; };
  WhenShown([](QDialog* d) {
    auto lists = d->findChildren<QListWidget*>();
    ASSERT_EQ(lists.size(), 2u);
    QListWidget* available = lists[0];
    QListWidget* current = lists[1];
    EXPECT_EQ(available->item(available->count() - 1)->text(), "Separator");
    ASSERT_EQ(current->count(), 2);
    // Stop, before Back.
    for (int i = 0; i < available->count(); ++i)
      if (available->item(i)->text() == "Stop") available->setCurrentRow(i);
    current->setCurrentRow(1);
    Button(d, ">>")->click();
    ASSERT_EQ(current->count(), 3);
    EXPECT_EQ(current->item(1)->text(), "Stop");
    Button(d, "Move up")->click();
    EXPECT_EQ(current->item(0)->text(), "Stop");
    // A separator at the end; it stays offered.
    available->setCurrentRow(available->count() - 1);
    current->setCurrentRow(-1);
    Button(d, ">>")->click();
    EXPECT_EQ(current->item(current->count() - 1)->text(), "Separator");
    EXPECT_EQ(available->item(available->count() - 1)->text(), "Separator");
    d->findChildren<QComboBox*>()[0]->setCurrentIndex(1);  // Show Text Labels
    d->findChildren<QComboBox*>()[1]->setCurrentIndex(0);  // Small Icons
    SaveShot(d);
    Button(d, "OK")->click();
  });
  ASSERT_TRUE(RunCustomizeToolbar(nullptr, b, look));
  EXPECT_EQ(b.ids, (std::vector<unsigned>{ID_VIEW_STOP, ID_FILE_NEW, ID_GO_BACK, 0}));
  EXPECT_TRUE(b.showText);
  EXPECT_FALSE(b.largeIcons);

  // Reset puts the defaults on at once, and Cancel does not take it back.
  ToolbarButtons kept = b;
  WhenShown([](QDialog* d) {
    Button(d, "Reset")->click();
    Button(d, "Cancel")->click();
  });
  EXPECT_FALSE(RunCustomizeToolbar(nullptr, b, look));
  EXPECT_EQ(b, kept);
  EXPECT_EQ(appliedNow.ids, DefaultButtons());
}

}  // namespace
}  // namespace kestrel::test
