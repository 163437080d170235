// What the engine leaves to Kestrel, on loopback servers in the real
// engine: downloads to a folder of the test's own, a self-signed HTTPS
// server, Basic authentication and a page's permission requests.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <filesystem>

#include "downloads/downloads.h"
#include "engine/real_frame.h"
#include "platform/shell.h"
#include "support/dialog_driver.h"
#include "support/fakes.h"
#include "support/http_server.h"
#include "support/temp_dir.h"
#include "ui/downloads_qt.h"

namespace kestrel::test {
namespace {

namespace fs = std::filesystem;

std::string RandomBytes(std::size_t n) {
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(QRandomGenerator::global()->bounded(256));
  return s;
}

// A frame whose downloads go to a folder of the test's own; the save
// question is answered by `answer` (the proposal unless changed).
struct DownloadFrame : RealFrame {
  TempDir dir;
  CDownloads downloads{clock};
  RecordingShell shell;
  QtDownloads ui{downloads, shell, window.get(), dir.path()};
  std::vector<std::string> asked;
  std::function<std::string(const std::string&)> answer = [](const std::string& p) { return p; };
  DownloadFrame() {
    ui.askSavePath = [this](const std::string& proposed) {
      asked.push_back(proposed);
      return answer(proposed);
    };
    window->engine().onDownload = [this](QWebEngineDownloadRequest* r) { ui.Take(r); };
  }
  ~DownloadFrame() { window->engine().onDownload = nullptr; }
  const DownloadItem* Last() const { return downloads.items().empty() ? nullptr : &downloads.items().back(); }
  // Waits for the newest download to end; its state.
  DownloadState WaitEnded(std::size_t count) {
    EXPECT_TRUE(WaitFor([&] { return downloads.items().size() >= count && !Last()->Active(); }, 20000));
    return Last() ? Last()->state : DownloadState::Running;
  }
  std::vector<std::string> Files() const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir.path())) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }
};

TEST(HostDuties, DownloadsArriveWholeOrNotAtAll) {
  const std::string big = RandomBytes(3 * 1024 * 1024 + 17);
  LocalHttpServer server;
  server.Page("/", "<html><head><title>Files</title></head><body>"
                   "<a id=get href=\"/big.bin\" download>get</a></body></html>");
  server.File("/big.bin", big, "big.bin");
  server.File("/half.bin", big, "half.bin", big.size() / 2);
  server.File("/slow.bin", big, "slow.bin", std::string::npos, 150);
  server.File("/evil", "x", "../../.bashrc\x01");
  server.Start();
  DownloadFrame f;
  MessageRecorder messages;
  CKestrelView* v = f.OpenLoaded(server.Url("/"), "Files");
  ASSERT_NE(v, nullptr);

  // A link with "download", clicked: saved under the server's name, byte for byte.
  ASSERT_TRUE(ClickElementIn(Engine(v), "get"));
  EXPECT_EQ(f.WaitEnded(1), DownloadState::Completed);
  ASSERT_EQ(f.asked.size(), 1u);
  EXPECT_EQ(f.asked[0], f.dir.file("big.bin"));
  EXPECT_TRUE(TempDir::ReadFile(f.dir.file("big.bin")) == big);
  EXPECT_EQ(f.Files(), (std::vector<std::string>{"big.bin"}));
  // The same file again is proposed under a new name; the first stays.
  v->Navigate(server.Url("/big.bin"));
  EXPECT_EQ(f.WaitEnded(2), DownloadState::Completed);
  EXPECT_EQ(f.asked.back(), f.dir.file("big (1).bin"));
  EXPECT_EQ(v->GetDocumentTitle(), "Files");  // the page stays where it was
  // A name meant to climb out of the folder is only a name.
  v->Navigate(server.Url("/evil"));
  EXPECT_EQ(f.WaitEnded(3), DownloadState::Completed);
  EXPECT_EQ(f.asked.back(), f.dir.file("bashrc"));

  // The server breaks off half-way: a failure that says so, and no file.
  v->Navigate(server.Url("/half.bin"));
  EXPECT_EQ(f.WaitEnded(4), DownloadState::Failed);
  EXPECT_FALSE(CDownloads::FailureText(f.Last()->failure).empty());
  // Cancelled while it runs: gone under both names.
  v->Navigate(server.Url("/slow.bin"));
  ASSERT_TRUE(WaitFor([&] { return f.downloads.items().size() == 5 && f.Last()->received > 0; }));
  EXPECT_EQ(f.downloads.ActiveCount(), 1);
  f.downloads.Cancel(f.Last()->id);
  EXPECT_EQ(f.Last()->state, DownloadState::Cancelled);
  Pump(500);
  // Cancel in the save question, and a folder nobody may write to.
  f.answer = [](const std::string&) { return std::string(); };
  v->Navigate(server.Url("/big.bin"));
  ASSERT_TRUE(WaitFor([&] { return f.asked.size() == 6; }));
  f.answer = [](const std::string&) { return std::string("/proc/kestrel/big.bin"); };
  v->Navigate(server.Url("/big.bin"));
  ASSERT_TRUE(WaitFor([&] { return !messages.messages.empty(); }));
  EXPECT_NE(messages.messages[0].find("cannot be saved in /proc/kestrel"), std::string::npos) << messages.messages[0];
  Pump(300);
  EXPECT_EQ(f.downloads.items().size(), 5u);
  EXPECT_EQ(f.Files(), (std::vector<std::string>{"bashrc", "big (1).bin", "big.bin"}));
  EXPECT_EQ(f.downloads.ActiveCount(), 0);

  // A window the page opened only for a file goes once the download starts.
  const std::size_t sites = f.frame->sites().sites().size();
  f.answer = [](const std::string& p) { return p; };
  EvalIn(Engine(v), "window.open('/big.bin'); 1");
  EXPECT_EQ(f.WaitEnded(6), DownloadState::Completed);
  EXPECT_TRUE(WaitFor([&] { return f.frame->sites().sites().size() == sites; }));
  f.ExpectSound();
}

TEST(HostDuties, AFailingCertificateGetsItsOwnPageAndOnlyAnExplicitAccept) {
  TempDir keys;
  ASSERT_TRUE(MakeSelfSignedCertificate(keys.path()));
  LocalHttpServer secure(keys.file("cert.pem"), keys.file("key.pem"));
  secure.Page("/", "<html><head><title>Secret</title></head><body>inside</body></html>");
  secure.Start();
  LocalHttpServer plain;
  plain.Page("/framed", "<html><head><title>Framed</title></head><body><iframe id=f src=\"" +
                            secure.Url("/") + "\"></iframe></body></html>");
  plain.Start();
  RealFrame f;

  // Only a frame fails: the page around it is the page, not ours.
  CKestrelView* framed = f.OpenLoaded(plain.Url("/framed"), "Framed");
  ASSERT_NE(framed, nullptr);
  Pump(500);
  EXPECT_EQ(framed->GetDocumentTitle(), "Framed");

  CKestrelView* v = f.Open(secure.Url("/"));
  ASSERT_TRUE(WaitFor([&] { return v->GetDocumentTitle() == "Certificate Problem" && !v->GetBusy(); }));
  EXPECT_FALSE(v->IsSiteFailed());  // a server that answered, not a missing one
  const std::string text = EvalIn(Engine(v), "document.body.innerText");
  for (const char* part : {"127.0.0.1", "self-signed", "Issued to", "Valid", "Go Back", "Accept the risk"})
    EXPECT_NE(text.find(part), std::string::npos) << part << " in " << text;
  EXPECT_TRUE(f.window->engine().certificateExceptions.empty());
  Pump(300);
  SaveShot(f.window.get(), "Certificate Problem");
  // Going to the page again, or a script following the link, accepts nothing.
  EvalIn(Engine(v), "location.href = document.getElementById('accept').href; 1");
  v->Refresh();
  Pump(1500);
  EXPECT_EQ(v->GetDocumentTitle(), "Certificate Problem");
  EXPECT_TRUE(f.window->engine().certificateExceptions.empty());

  // The user's click on the accept link: for this host, for this run.
  ASSERT_TRUE(ClickElementIn(Engine(v), "accept"));
  ASSERT_TRUE(WaitFor([&] { return v->GetDocumentTitle() == "Secret" && !v->GetBusy(); }));
  EXPECT_EQ(f.window->engine().certificateExceptions, (std::set<std::string>{"127.0.0.1"}));
  EXPECT_EQ(EvalIn(Engine(v), "document.body.innerText"), "\"inside\"");
}

TEST(HostDuties, LoginsReachTheServerAndAWrongPasswordAsksAgain) {
  LocalHttpServer server;
  server.Protected("/staff", "Staff only", "anna", "s3cret",
                   "<html><head><title>Inside</title></head><body>ok</body></html>");
  server.Protected("/other", "Other", "bob", "pw", "<html><head><title>Other</title></head></html>");
  server.Start();
  RealFrame f;
  std::vector<LoginRequest> asked;
  std::vector<std::pair<std::string, std::string>> answers = {{"anna", "wrong"}, {"anna", "s3cret"}};
  f.window->engine().askLogin = [&](const LoginRequest& r, std::string& user, std::string& password) {
    asked.push_back(r);
    if (answers.empty()) return false;
    user = answers.front().first;
    password = answers.front().second;
    answers.erase(answers.begin());
    return true;
  };
  CKestrelView* v = f.OpenLoaded(server.Url("/staff"), "Inside");
  ASSERT_NE(v, nullptr);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].host, "127.0.0.1");
  EXPECT_EQ(asked[0].realm, "Staff only");
  EXPECT_FALSE(asked[0].retry);
  EXPECT_FALSE(asked[0].proxy);
  EXPECT_TRUE(asked[1].retry);  // the dialog says the last try was refused
  EXPECT_EQ(server.loginsTried(), (std::vector<std::string>{"anna:wrong", "anna:s3cret"}));

  // Cancel: the server's own refusal is what the user sees.
  CKestrelView* other = f.OpenLoaded(server.Url("/other"), "Unauthorized");
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(asked.size(), 3u);
  // Nothing more from the user; the engine offered the login it knows for the host first.
  EXPECT_EQ(server.loginsTried(), (std::vector<std::string>{"anna:wrong", "anna:s3cret", "anna:s3cret"}));
  f.window->engine().askLogin = nullptr;
}

TEST(HostDuties, PermissionsAreAskedInABarAndRememberedPerHost) {
  LocalHttpServer server;
  server.Page("/", "<html><head><title>Ask</title></head><body>page</body></html>");
  server.Start();
  RealFrame f;
  const std::string ask = "Notification.requestPermission().then(function(r){document.title=r;}); 1";
  auto bar = [](CKestrelView* v) { return Engine(v).widget()->findChild<QWidget*>("permission-bar"); };
  auto answer = [&](CKestrelView* v, const char* button) {
    QWidget* b = bar(v);
    if (!WaitFor([&] { return (b = bar(v)) && b->isVisible(); })) return std::string("no bar");
    const QString question = b->findChild<QLabel*>()->text();
    b->findChild<QPushButton*>(button)->click();
    return question.toStdString();
  };

  CKestrelView* v = f.OpenLoaded(server.Url("/"), "Ask");
  ASSERT_NE(v, nullptr);
  EvalIn(Engine(v), ask);
  EXPECT_EQ(answer(v, "permission-block"), "127.0.0.1 wants to show notifications.");
  ASSERT_TRUE(WaitFor([&] { return v->GetDocumentTitle() == "denied"; }));
  EXPECT_FALSE(bar(v)->isVisible());
  // Asked again on a new page of the same host: answered from memory.
  CKestrelView* again = f.OpenLoaded(server.Url("/"), "Ask");
  ASSERT_NE(again, nullptr);
  EvalIn(Engine(again), ask);
  ASSERT_TRUE(WaitFor([&] { return again->GetDocumentTitle() == "denied"; }));
  EXPECT_TRUE(!bar(again) || !bar(again)->isVisible());
  // Another host asks anew; Allow lets it.
  CKestrelView* local = f.OpenLoaded("http://localhost:" + std::to_string(server.port()) + "/", "Ask");
  ASSERT_NE(local, nullptr);
  EvalIn(Engine(local), ask);
  EXPECT_EQ(answer(local, "permission-allow"), "localhost wants to show notifications.");
  EXPECT_TRUE(WaitFor([&] { return local->GetDocumentTitle() == "granted"; }));
}

}  // namespace
}  // namespace kestrel::test
