// The dialogs as a person uses them: real Qt windows offscreen, driven by
// clicks and typing. With KESTREL_SHOT_DIR set, each dialog is also saved
// as a picture there.
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
#include "ui/qt_dialogs.h"
#include "ui/child_window_qt.h"

namespace kestrel {
namespace {

// Runs `act` on the modal dialog once it is up.
void WhenShown(std::function<void(QDialog*)> act) {
  QTimer::singleShot(0, [act] {
    auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(d, nullptr);
    if (const char* dir = std::getenv("KESTREL_SHOT_DIR"))
      d->grab().save(QString::fromUtf8(dir) + "/" + d->windowTitle().replace(' ', '_') + ".png");
    act(d);
  });
}

template <typename W>
W* Find(QDialog* d, const QString& text) {
  for (W* w : d->findChildren<W*>()) {
    if constexpr (std::is_base_of_v<QAbstractButton, W>) {
      if (w->text().remove('&') == text) return w;
    }
  }
  return nullptr;
}

QPushButton* Button(QDialog* d, const QString& text) {
  for (auto* b : d->findChildren<QPushButton*>())
    if (b->text().remove('&') == text) return b;
  return nullptr;
}

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
  ASSERT_TRUE(dialogs.OptionsSheet(su));
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
  EXPECT_FALSE(dialogs.OptionsSheet(su));
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
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
