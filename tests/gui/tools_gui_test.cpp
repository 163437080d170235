#include <gtest/gtest.h>

#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "support/dialog_driver.h"
#include "ui/tools_dialogs_qt.h"

namespace kestrel::test {
namespace {

TEST(CustomScriptDialog, ExecuteGivesTheCodeAndLanguageCloseGivesNothing) {
  std::vector<std::string> help;
  QtScriptDialogs dialogs(nullptr, [&](const std::string& page) { help.push_back(page); });
  WhenShown([](QDialog* d) {
    EXPECT_EQ(d->windowTitle(), "Custom Script");
    auto* edit = d->findChild<QPlainTextEdit*>("script-code");
    ASSERT_TRUE(edit);
    EXPECT_TRUE(edit->toPlainText().isEmpty());
    EXPECT_TRUE(Find<QRadioButton>(d, "Java Script")->isChecked());
    // Enter in the code is a new line, not Execute.
    QTest::keyClicks(edit, "a = 1;");
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, "b = 2;");
    ASSERT_TRUE(d->isVisible());
    Find(d, "Help")->click();
    Find<QRadioButton>(d, "VB Script")->click();
    Find(d, "Execute")->click();
  });
  std::string code;
  bool javaScript = true;
  ASSERT_TRUE(dialogs.CustomScript(code, javaScript));
  EXPECT_EQ(code, "a = 1;\nb = 2;");
  EXPECT_FALSE(javaScript);
  EXPECT_EQ(help, std::vector<std::string>{"execscript.htm"});

  WhenShown([](QDialog* d) {
    QTest::keyClicks(d->findChild<QPlainTextEdit*>("script-code"), "lost");
    Find(d, "Close")->click();
  });
  code.clear();
  EXPECT_FALSE(dialogs.CustomScript(code, javaScript));
  EXPECT_TRUE(code.empty());
}

}  // namespace
}  // namespace kestrel::test
