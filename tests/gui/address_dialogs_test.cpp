// The Open dialog and the alias window, driven by typing and clicks.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include "address/alias.h"
#include "support/dialog_driver.h"
#include "support/temp_dir.h"
#include "ui/alias_dialog_qt.h"
#include "ui/open_dialog_qt.h"

namespace kestrel::test {
namespace {

TEST(OpenDialogGui, BrowseFillsTheFieldAndOkWantsText) {
  OpenDialog d(nullptr, {"http://b.example/", "http://a.example/"});
  d.show();
  QPushButton* ok = Button(&d, "OK");
  ASSERT_NE(ok, nullptr);
  // The typed addresses are offered in their order, none chosen yet.
  ASSERT_EQ(d.field()->count(), 2);
  EXPECT_EQ(d.field()->itemText(0), "http://b.example/");
  EXPECT_TRUE(d.field()->currentText().isEmpty());
  EXPECT_FALSE(ok->isEnabled());
  QTest::keyClicks(d.field()->lineEdit(), "   ");
  EXPECT_FALSE(ok->isEnabled()) << "blanks open nothing";

  int asked = 0;
  QString answer;
  d.chooseFile = [&](QWidget*) {
    ++asked;
    return answer;
  };
  d.browseButton()->click();  // the file dialog was cancelled
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(d.field()->currentText(), "   ");
  answer = "/home/someone/page one.html";
  d.browseButton()->click();
  EXPECT_EQ(d.field()->currentText(), answer);
  EXPECT_TRUE(ok->isEnabled());
  SaveShot(&d);

  d.field()->lineEdit()->setText("  http://typed.example/x  ");
  EXPECT_EQ(d.Address(), "http://typed.example/x");
  ok->click();
  EXPECT_EQ(d.result(), QDialog::Accepted);

  // Web pages first, then the other kinds, everything last.
  QStringList filters = OpenDialogFileFilters().split(";;");
  ASSERT_EQ(filters.size(), 8);
  EXPECT_TRUE(filters.first().startsWith("HTML Files"));
  EXPECT_TRUE(filters.last().startsWith("All Files"));
}

TEST(AliasDialogGui, CloseKeepsTheRowsAndTheCloseBoxForgetsThem) {
  TempDir dir;
  const std::string path = dir.file("alias.txt");
  AliasList list;
  list.Replace({{"zz", "http://z.example/"}});
  std::vector<std::string> help;

  WhenShown([](QDialog* d) {
    auto edits = d->findChildren<QLineEdit*>();
    ASSERT_EQ(edits.size(), 2);
    edits[0]->clear();
    edits[1]->clear();
    QTest::keyClicks(edits[0], "deb");
    QTest::keyClicks(edits[1], "https://www.debian.org/");
    Button(d, "Add")->click();
    auto* tree = d->findChild<QTreeWidget*>();
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->text(0).toStdString(), "deb");  // kept sorted by alias
    emit tree->header()->sectionClicked(1);  // by full text: http before https (the orders: alias_test)
    EXPECT_EQ(tree->topLevelItem(0)->text(0).toStdString(), "zz");
    Button(d, "Help")->click();
    Button(d, "Close")->click();
  });
  EXPECT_TRUE(RunAliasDialog(nullptr, list, path, [&](const std::string& page) { help.push_back(page); }));
  ASSERT_EQ(list.entries().size(), 2u);
  ASSERT_EQ(help.size(), 1u);
  EXPECT_TRUE(QFile::exists(QString(KESTREL_DATA_DIR "/help/") + QString::fromStdString(help[0])))
      << "the help page the dialog opens is shipped";
  AliasList reread;
  reread.LoadAliases(path);
  EXPECT_EQ(reread.entries(), list.entries());

  WhenShown([](QDialog* d) {
    auto* tree = d->findChild<QTreeWidget*>();
    tree->topLevelItem(0)->setSelected(true);
    auto edits = d->findChildren<QLineEdit*>();
    edits[1]->setText("http://changed.example/");
    Button(d, "Change")->click();
    d->reject();  // the window's close box
  });
  EXPECT_FALSE(RunAliasDialog(nullptr, list, path, {}));
  reread.LoadAliases(path);
  EXPECT_EQ(reread.entries(), list.entries());
  for (const AliasEntry& e : list.entries()) EXPECT_NE(e.fullText, "http://changed.example/");
}

}  // namespace
}  // namespace kestrel::test
