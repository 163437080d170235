// The Downloads window over a list the test drives, and the login dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "downloads/downloads.h"
#include "platform/shell.h"
#include "support/dialog_driver.h"
#include "support/fake_site.h"
#include "support/fakes.h"
#include "support/temp_dir.h"
#include "ui/downloads_qt.h"
#include "ui/page_dialogs_qt.h"

namespace kestrel::test {
namespace {

QString Cell(QTableView* t, int row, int column) { return t->model()->index(row, column).data().toString(); }

TEST(DownloadsGui, TheWindowFollowsTheListAndActsOnTheSelectedDownload) {
  TempDir dir;
  FakeClock clock;
  CDownloads list(clock);
  RecordingShell shell;
  QWidget parent;
  QtDownloads ui(list, shell, &parent, dir.path());
  std::vector<std::string> log;
  auto start = [&](const std::string& name) {
    dir.write(name + ".part", "");
    return list.Start(std::make_unique<FakeJob>(&log), "http://h/" + name, dir.file(name), dir.file(name + ".part"));
  };
  const std::int64_t mb = 1024 * 1024;
  const int iso = start("debian-12.iso"), pdf = start("manual.pdf");
  list.Progress(iso, 0, 600 * mb);
  list.Progress(pdf, 0, 4 * mb);
  clock.ms += 2000;
  list.Progress(iso, 180 * mb, 600 * mb);
  list.Progress(pdf, 3 * mb, 4 * mb);
  ui.ShowWindow();
  QtDownloadsWindow* w = ui.window();
  ASSERT_NE(w, nullptr);
  QTableView* t = w->table();
  ASSERT_EQ(t->model()->rowCount(), 2);
  EXPECT_EQ(Cell(t, 0, 0), "debian-12.iso");
  EXPECT_EQ(Cell(t, 0, 2), "180.0 MB of 600.0 MB");
  EXPECT_EQ(Cell(t, 0, 3), "90.0 MB/s");
  EXPECT_EQ(Cell(t, 0, 4), "5 s left");
  EXPECT_EQ(t->model()->index(1, 1).data(Qt::UserRole).toInt(), 75);
  // The status bar's count comes with the next refresh.
  ASSERT_TRUE(QTest::qWaitFor([&] { return ui.statusLabel()->text() == "2 downloads"; }, 2000));
  QTest::qWait(50);
  SaveShot(w, "Downloads");

  // Buttons act on the selected row and follow its state.
  QPushButton* pause = Button(w, "Pause");
  QPushButton* open = Button(w, "Open");
  ASSERT_NE(pause, nullptr);
  EXPECT_FALSE(pause->isEnabled());  // nothing selected
  t->selectRow(0);
  pause->click();
  EXPECT_EQ(log, (std::vector<std::string>{"pause"}));
  EXPECT_EQ(pause->text().remove('&'), "Resume");
  EXPECT_FALSE(open->isEnabled());
  pause->click();
  EXPECT_EQ(log, (std::vector<std::string>{"pause", "resume"}));
  t->selectRow(1);
  list.Completed(pdf);
  w->Refresh();
  EXPECT_TRUE(open->isEnabled());
  open->click();
  Button(w, "Show in Folder")->click();
  EXPECT_EQ(shell.opened, (std::vector<std::string>{dir.file("manual.pdf"), dir.path()}));
  t->selectRow(0);
  Button(w, "Cancel")->click();
  EXPECT_EQ(log, (std::vector<std::string>{"pause", "resume", "cancel"}));
  EXPECT_EQ(Cell(t, 0, 5), "Cancelled");

  // A hundred at once, each changing: the list is shown in one go, not row by row.
  for (int i = 0; i < 100; ++i) start("file" + std::to_string(i) + ".bin");
  QElapsedTimer timer;
  timer.start();
  for (int round = 0; round < 20; ++round)
    for (const DownloadItem& d : std::vector<DownloadItem>(list.items())) list.Progress(d.id, round * 1000, 100000);
  QTest::qWait(400);
  EXPECT_EQ(t->model()->rowCount(), 102);
  EXPECT_EQ(ui.statusLabel()->text(), "100 downloads");
  // Clearing keeps what runs, and the row selected stays on its download.
  t->selectRow(5);
  const QString chosen = Cell(t, 5, 0);
  Button(w, "Clear List")->click();
  QTest::qWait(400);
  EXPECT_EQ(t->model()->rowCount(), 100);
  ASSERT_FALSE(t->selectionModel()->selectedRows().isEmpty());
  EXPECT_EQ(Cell(t, t->selectionModel()->selectedRows().front().row(), 0), chosen);
}

TEST(DownloadsGui, TheLoginDialogNamesTheServerAndSaysWhenATryFailed) {
  LoginRequest r;
  r.host = "intranet.example";
  r.realm = "<b>Staff</b> only";
  r.retry = true;
  QtLoginDialog d(nullptr, r, "anna");
  const QString text = d.findChild<QLabel*>("login-text")->text();
  EXPECT_TRUE(text.contains("intranet.example"));
  EXPECT_TRUE(text.contains("\"<b>Staff</b> only\""));  // the server's words, as they are
  EXPECT_TRUE(text.contains("not accepted"));
  EXPECT_EQ(d.findChild<QLabel*>("login-text")->textFormat(), Qt::PlainText);
  d.findChild<QLineEdit*>("login-password")->setText("p\xc3\xa4ss");
  d.show();
  QTest::qWait(20);
  SaveShot(&d, "Login");
  EXPECT_EQ(d.user(), "anna");
  EXPECT_EQ(d.password(), "p\xc3\xa4ss");
  r.proxy = true;
  r.retry = false;
  QtLoginDialog proxy(nullptr, r, "");
  EXPECT_EQ(proxy.windowTitle(), "Proxy Login");
  EXPECT_TRUE(proxy.findChild<QLabel*>("login-text")->text().startsWith("The proxy intranet.example"));
  EXPECT_FALSE(proxy.findChild<QLabel*>("login-text")->text().contains("not accepted"));
}

}  // namespace
}  // namespace kestrel::test
