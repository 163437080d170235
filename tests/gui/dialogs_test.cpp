// The dialogs as a person uses them: real Qt windows offscreen, driven by
// clicks and typing.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/tips.h"
#include "common/progdir.h"
#include "ui/qt_dialogs.h"
#include "ui/child_window_qt.h"
#include "support/dialog_driver.h"
#include "support/isolated_run.h"

namespace kestrel {
namespace {

using test::Button;
using test::Find;
using test::WhenShown;

TEST(Dialogs, ConfigurationWizardReturnsTheBoxesOnlyOnOk) {
  QtDialogs dialogs;
  bool scripts = true, popups = false;
  WhenShown([](QDialog* d) {
    Find<QCheckBox>(d, "Suppress Script Errors")->click();
    Find<QCheckBox>(d, "Automatically Close Popup Ad Windows")->click();
    Button(d, "OK")->click();
  });
  EXPECT_TRUE(dialogs.ConfigurationWizard(scripts, popups));
  EXPECT_FALSE(scripts);
  EXPECT_TRUE(popups);

  WhenShown([](QDialog* d) {
    Find<QCheckBox>(d, "Suppress Script Errors")->click();
    Button(d, "Cancel")->click();
  });
  EXPECT_FALSE(dialogs.ConfigurationWizard(scripts, popups));
  EXPECT_FALSE(scripts);
}

TEST(Dialogs, DefaultBrowserReportsTheNeverAskBox) {
  QtDialogs dialogs;
  bool never = false;
  WhenShown([](QDialog* d) {
    Find<QCheckBox>(d, "Never ask me again")->click();
    Button(d, "Cancel")->click();
  });
  EXPECT_FALSE(dialogs.DefaultBrowserDialog(never));
  EXPECT_TRUE(never);
}

TEST(Dialogs, OptionsSheetStartUpPageCopiesBackOnOk) {
  QtDialogs dialogs;
  StartupOptions su;
  su.SUUrl = "http://old.example/";
  WhenShown([](QDialog* d) {
    Find<QCheckBox>(d, "Open a specified page:")->click();
    auto edits = d->findChildren<QLineEdit*>();
    ASSERT_EQ(edits.size(), 2);
    EXPECT_EQ(edits[0]->text(), "http://old.example/");
    edits[0]->clear();
    QTest::keyClicks(edits[0], "http://new.example/");
    Find<QCheckBox>(d, "Execute the following commands")->click();
    d->findChild<QPlainTextEdit*>()->setPlainText("one\ntwo");
    Button(d, "OK")->click();
  });
  GeneralOptions general;
  ASSERT_TRUE(dialogs.OptionsSheet(su, general, {}));
  EXPECT_TRUE(su.SUOpenPage);
  EXPECT_EQ(su.SUUrl, "http://new.example/");
  EXPECT_TRUE(su.SUExecScript);
  EXPECT_EQ(su.SUScript, "one\ntwo");
  EXPECT_FALSE(su.SUIEHomePage);

  StartupOptions untouched = su;
  WhenShown([](QDialog* d) {
    Find<QCheckBox>(d, "Open Internet Explorer homepage")->click();
    Button(d, "Cancel")->click();
  });
  EXPECT_FALSE(dialogs.OptionsSheet(su, general, {}));
  EXPECT_EQ(su.SUIEHomePage, untouched.SUIEHomePage);
}

TEST(Dialogs, TipOfTheDayButtonsWalkTheTips) {
  QtDialogs dialogs;
  TipsModel tips({"first tip", "second tip", "third tip"}, -1, true);
  WhenShown([](QDialog* d) {
    auto* text = d->findChildren<QLabel*>().first();
    EXPECT_EQ(text->text(), "first tip");
    EXPECT_FALSE(Button(d, "Previous")->isEnabled());
    Button(d, "Next")->click();
    EXPECT_EQ(text->text(), "second tip");
    Button(d, "Last")->click();
    EXPECT_EQ(text->text(), "third tip");
    EXPECT_FALSE(Button(d, "Next")->isEnabled());
    // Reaching the last tip switched the box off; the user may switch it on again.
    auto* show = Find<QCheckBox>(d, "Show Tips At Startup");
    EXPECT_FALSE(show->isChecked());
    show->click();
    Button(d, "Close")->click();
  });
  dialogs.TipOfTheDay(tips);
  EXPECT_EQ(tips.tipNum(), 2);
  EXPECT_TRUE(tips.showTip());
}

TEST(ChildWindow, TitlesFromPagesAreShownSafely) {
  QString rtl = QString::fromUtf8("abc\u202Eevil\u200F") + QChar(7) + "\n" + QString(100000, 'x');
  QString shown = QtChildWindow::DisplayTitle(rtl);
  EXPECT_LE(shown.size(), 256);
  EXPECT_TRUE(shown.startsWith("abcevil"));
  for (QChar c : shown) EXPECT_NE(c.category(), QChar::Other_Control);
  EXPECT_EQ(QtChildWindow::DisplayTitle(""), "");
}

}  // namespace
}  // namespace kestrel

int main(int argc, char** argv) {
  // Headless unless told otherwise, also when CTest lists the tests.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // Nothing a test writes reaches the user's files or the checkout; the
  // windows find their icons in a copy of the data.
  kestrel::test::IsolatedRun isolated(KESTREL_DATA_DIR);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
