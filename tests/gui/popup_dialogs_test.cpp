// The Hidden Sites window and the Options sheet's General page, driven by
// clicks.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include "support/dialog_driver.h"
#include "support/fake_site.h"
#include "support/fakes.h"
#include "ui/hidden_sites_qt.h"
#include "ui/qt_dialogs.h"

namespace kestrel::test {
namespace {

TEST(HiddenSitesGui, ShowAndWhiteListTakeTheSelectedRowAndTheNextMovesUp) {
  MessageRecorder messages;
  HiddenSitesActions a;
  for (int i = 1; i <= 4; ++i)
    a.rows.push_back({FakeView(i), "Site " + std::to_string(i), i % 2 == 1, "http://s" + std::to_string(i) + "/"});
  std::vector<std::string> log;
  a.show = [&](CKestrelView* v) { log.push_back("show " + std::to_string(FakeViewIndex(v))); };
  a.addToWhiteList = [&](CKestrelView* v) { log.push_back("white " + std::to_string(FakeViewIndex(v))); };
  std::string help;
  a.openHelp = [&](const std::string& page) { help = page; };

  WhenShown([&](QDialog* d) {
    auto* list = d->findChild<QTreeWidget*>();
    ASSERT_EQ(list->topLevelItemCount(), 4);
    EXPECT_EQ(list->topLevelItem(0)->text(1), "yes");  // blocked: closed automatically
    EXPECT_EQ(list->topLevelItem(1)->text(1), "no");
    EXPECT_EQ(list->topLevelItem(2)->text(2), "http://s3/");
    EXPECT_EQ(list->currentItem(), list->topLevelItem(0));  // the first row is selected
    Button(d, "Show")->click();
    // The row at the same place is selected next.
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->currentItem()->text(0), "Site 2");
    list->setCurrentItem(list->topLevelItem(2));
    Button(d, "Add Into White List")->click();
    // The last row went: the one before it is selected.
    EXPECT_EQ(list->currentItem()->text(0), "Site 3");
    // A double click shows too.
    emit list->itemDoubleClicked(list->topLevelItem(0), 0);
    EXPECT_EQ(list->topLevelItemCount(), 1);
    list->clearSelection();
    Button(d, "Show")->click();
    EXPECT_EQ(list->topLevelItemCount(), 1) << "nothing selected, nothing shown";
    Button(d, "Help")->click();
    Button(d, "Done")->click();
  });
  RunHiddenSitesDialog(nullptr, std::move(a));
  EXPECT_EQ(log, (std::vector<std::string>{"show 1", "white 4", "show 4", "show 2"}));
  ASSERT_FALSE(messages.messages.empty());
  EXPECT_EQ(messages.messages.back(), "Please select a site!");
  EXPECT_EQ(help, "hiddensites.htm");
  EXPECT_TRUE(QFile::exists(QString(KESTREL_DATA_DIR "/help/") + QString::fromStdString(help)));
}

TEST(OptionsGui, TheGeneralPageCopiesItsBoxesBackOnOkAndOpensTheLists) {
  QtDialogs dialogs;
  StartupOptions su;
  GeneralOptions g;
  g.AutoClosePopup = false;
  g.RecPPLook = false;
  std::vector<bool> lists;
  auto edit = [&](bool black) { lists.push_back(black); };
  WhenShown([](QDialog* d) {
    d->findChild<QTabWidget*>()->setCurrentIndex(0);
    SaveShot(d, "Options General");
    Find<QCheckBox>(d, "Automatically block popup windows")->click();
    Find<QCheckBox>(d, "Recognize popup windows by appearance")->click();
    Find<QCheckBox>(d, "Show Tray Icon  Hide Taskbar Button")->click();
    Button(d, "Black List...")->click();
    Button(d, "White List...")->click();
    Button(d, "OK")->click();
  });
  ASSERT_TRUE(dialogs.OptionsSheet(su, g, edit));
  EXPECT_TRUE(g.AutoClosePopup);
  EXPECT_TRUE(g.RecPPLook);
  EXPECT_TRUE(g.ShowTrayIcon);
  EXPECT_TRUE(g.RecPPTime);
  EXPECT_EQ(lists, (std::vector<bool>{true, false}));

  const GeneralOptions kept = g;
  WhenShown([](QDialog* d) {
    Find<QCheckBox>(d, "Beep when a popup window is blocked")->click();
    Button(d, "Cancel")->click();
  });
  EXPECT_FALSE(dialogs.OptionsSheet(su, g, edit));
  EXPECT_EQ(g, kept);
}

}  // namespace
}  // namespace kestrel::test
