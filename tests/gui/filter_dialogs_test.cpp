// The site filter's windows, driven by typing and clicks.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QTest>

#include "popups/filter_dialog.h"
#include "support/dialog_driver.h"
#include "support/fakes.h"
#include "ui/filter_dialog_qt.h"

namespace kestrel::test {
namespace {

using List = std::vector<std::string>;

QStringList Rows(QDialog* d) {
  QStringList rows;
  auto* list = d->findChild<QTreeWidget*>();
  for (int i = 0; i < list->topLevelItemCount(); ++i) rows << list->topLevelItem(i)->text(0);
  return rows;
}

int SelectedRow(QTreeWidget* rows) {
  const auto selected = rows->selectedItems();
  return selected.size() == 1 ? rows->indexOfTopLevelItem(selected.front()) : -1;
}

TEST(FilterDialogGui, TheButtonsReachTheListAndOkWritesTheShownOrder) {
  // What each operation does to the rows is the model's (site_filter_test): here the window's wiring.
  MessageRecorder messages;  // a refusal comes here, not as a modal box
  List list{"zoo.example", "Ads.", "pop", "pop"};
  std::vector<std::string> help;
  WhenShown([&](QDialog* d) {
    EXPECT_EQ(d->windowTitle(), "Black List");
    bool explained = false;
    for (QLabel* l : d->findChildren<QLabel*>())
      explained |= l->text() == "URL Filters: (A URL matches a filter if it contains the filter as a substring)";
    EXPECT_TRUE(explained);
    auto* rows = d->findChild<QTreeWidget*>();
    auto* edit = d->findChild<QLineEdit*>();
    EXPECT_EQ(Rows(d), (QStringList{"Ads.", "pop", "pop", "zoo.example"}));
    EXPECT_EQ(SelectedRow(rows), 0);
    EXPECT_EQ(edit->text(), "Ads.");
    edit->clear();
    QTest::keyClicks(edit, "POP");
    Button(d, "Add")->click();
    EXPECT_EQ(messages.messages, (List{kFilterExists}));
    edit->setText("  banner ");
    Button(d, "Add")->click();
    EXPECT_EQ(Rows(d), (QStringList{"Ads.", "banner", "pop", "pop", "zoo.example"}));
    EXPECT_EQ(edit->text(), "");
    rows->setCurrentItem(rows->topLevelItem(3));  // a click on the second "pop"
    EXPECT_EQ(edit->text(), "pop");
    Button(d, "Remove")->click();
    EXPECT_EQ(SelectedRow(rows), 3);
    edit->setText("track.example");
    Button(d, "Change")->click();
    EXPECT_EQ(Rows(d), (QStringList{"Ads.", "banner", "pop", "track.example"}));
    EXPECT_EQ(rows->topLevelItem(SelectedRow(rows))->text(0), "track.example");
    SaveShot(d);
    Button(d, "Help")->click();
    Button(d, "OK")->click();
  });
  EXPECT_TRUE(RunFilterDialog(nullptr, "Black List", list, [&](const std::string& page) { help.push_back(page); }));
  EXPECT_EQ(list, (List{"Ads.", "banner", "pop", "track.example"}));
  ASSERT_EQ(help, (List{"sitefilter.htm"}));
  EXPECT_TRUE(QFile::exists(QString(KESTREL_DATA_DIR "/help/") + QString::fromStdString(help[0])))
      << "the help page the dialog opens is shipped";

  // Cancel forgets every change, so does the close box.
  for (bool closeBox : {false, true}) {
    WhenShown([closeBox](QDialog* d) {
      EXPECT_EQ(d->windowTitle(), "White List");
      d->findChild<QLineEdit*>()->setText("new.example");
      Button(d, "Add")->click();
      EXPECT_EQ(Rows(d).size(), 5);
      closeBox ? d->reject() : Button(d, "Cancel")->click();
    });
    EXPECT_FALSE(RunFilterDialog(nullptr, "White List", list, {}));
    EXPECT_EQ(list, (List{"Ads.", "banner", "pop", "track.example"}));
  }
}

TEST(AddToListDialogGui, BoxesAreReadBackOnOkOnlyAndTheWhiteListHasNoCloseBox) {
  const std::string address = "https://ads.example:8443/popup?id=42";
  bool entireDomain = false, closeNow = false;
  WhenShown([&](QDialog* d) {
    EXPECT_EQ(d->windowTitle(), "Add Into Black List");
    auto* field = d->findChild<QLineEdit*>();
    QTest::keyClicks(field, "typed");
    EXPECT_EQ(field->text().toStdString(), address) << "shown, not editable";
    auto* domain = Find<QCheckBox>(d, "Add Entire Domain");
    ASSERT_NE(domain, nullptr);
    EXPECT_FALSE(domain->isChecked());
    domain->click();
    Find<QCheckBox>(d, "Close Site Window Now")->click();
    SaveShot(d);
    Button(d, "OK")->click();
  });
  EXPECT_TRUE(RunAddToListDialog(nullptr, true, address, entireDomain, closeNow));
  EXPECT_TRUE(entireDomain && closeNow);

  // Cancel leaves the answers alone; OK on the white list never asks for a close.
  for (bool ok : {false, true}) {
    WhenShown([ok](QDialog* d) {
      EXPECT_EQ(d->windowTitle(), "Add Into White List");
      EXPECT_EQ(Find<QCheckBox>(d, "Close Site Window Now"), nullptr);
      EXPECT_TRUE(Find<QCheckBox>(d, "Add Entire Domain")->isChecked()) << "starts from the caller's value";
      Find<QCheckBox>(d, "Add Entire Domain")->click();
      Button(d, ok ? "OK" : "Cancel")->click();
    });
    EXPECT_EQ(RunAddToListDialog(nullptr, false, address, entireDomain, closeNow), ok);
    EXPECT_EQ(entireDomain, !ok);
    EXPECT_EQ(closeNow, !ok);
  }
}

}  // namespace
}  // namespace kestrel::test
