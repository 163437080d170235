// What the engine leaves to Kestrel, on loopback servers in the real
// engine: downloads to a folder of the test's own, a self-signed HTTPS
// server, Basic authentication and a page's permission requests.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>

#include "downloads/downloads.h"
#include "engine/engine_harness.h"
#include "platform/shell.h"
#include "support/dialog_driver.h"
#include "support/temp_dir.h"
#include "ui/downloads_qt.h"

namespace kestrel::test {
namespace {

using List = std::vector<std::string>;

// A frame whose downloads go to a folder of the test's own; the save
// question is answered by `answer` (the proposal unless changed).
struct DownloadFrame : RealFrame {
  TempDir dir;
  CDownloads downloads{clock};
  RecordingShell shell;
  QtDownloads ui{downloads, shell, window.get(), dir.path()};
  List asked;
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
  // Waits for download number `count` to end; its state.
  DownloadState WaitEnded(std::size_t count) {
    EXPECT_TRUE(WaitFor([&] { return downloads.items().size() >= count && !Last()->Active(); }, 20000));
    return Last() ? Last()->state : DownloadState::Running;
  }
};

TEST(HostDuties, DownloadsArriveWholeOrNotAtAll) {
  std::string big(3 * 1024 * 1024 + 17, '\0');
  for (char& c : big) c = static_cast<char>(QRandomGenerator::global()->bounded(256));
  LocalHttpServer server;
  server.Page("/", Html("Files", "<a id=get href=\"/big.bin\" download>get</a>"));
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
  EXPECT_EQ(f.asked, List{f.dir.file("big.bin")});
  EXPECT_TRUE(TempDir::ReadFile(f.dir.file("big.bin")) == big);
  // The same file again is proposed under a new name, the first stays, and
  // the page stays where it was; a name meant to climb out of the folder is only a name.
  std::size_t count = 1;
  for (const auto& [path, proposed] : {std::pair{"/big.bin", "big (1).bin"}, {"/evil", "bashrc"}}) {
    v->Navigate(server.Url(path));
    EXPECT_EQ(f.WaitEnded(++count), DownloadState::Completed) << path;
    EXPECT_EQ(f.asked.back(), f.dir.file(proposed));
    EXPECT_EQ(v->GetDocumentTitle(), "Files");
  }
  // The server breaks off half-way: a failure that says so, and no file.
  v->Navigate(server.Url("/half.bin"));
  EXPECT_EQ(f.WaitEnded(4), DownloadState::Failed);
  EXPECT_FALSE(CDownloads::FailureText(f.Last()->failure).empty());
  // Cancelled while it runs: gone under both names.
  v->Navigate(server.Url("/slow.bin"));
  ASSERT_TRUE(WaitFor([&] { return f.downloads.items().size() == 5 && f.Last()->received > 0; }));
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
  EXPECT_EQ(f.dir.names(), (List{"bashrc", "big (1).bin", "big.bin"}));
  EXPECT_EQ(f.downloads.ActiveCount(), 0);
  // A window the page opened only for a file goes once the download starts.
  const std::size_t sites = f.sites().size();
  f.answer = [](const std::string& p) { return p; };
  EvalIn(v, "window.open('/big.bin'); 1");
  EXPECT_EQ(f.WaitEnded(6), DownloadState::Completed);
  EXPECT_TRUE(WaitFor([&] { return f.sites().size() == sites; }));
  f.ExpectSound();
}

TEST(HostDuties, AFailingCertificateGetsItsOwnPageAndOnlyAnExplicitAccept) {
  TempDir keys;
  ASSERT_TRUE(MakeSelfSignedCertificate(keys.path()));
  LocalHttpServer secure(keys.file("cert.pem"), keys.file("key.pem"));
  secure.Page("/", Html("Secret", "inside"));
  secure.Start();
  LocalHttpServer plain;
  plain.Page("/framed", Html("Framed", "<iframe id=f src=\"" + secure.Url("/") + "\"></iframe>"));
  plain.Start();
  RealFrame f;
  // Only a frame fails: the page around it is the page, not ours.
  CKestrelView* framed = f.OpenLoaded(plain.Url("/framed"), "Framed");
  ASSERT_NE(framed, nullptr);
  Pump(500);
  EXPECT_EQ(framed->GetDocumentTitle(), "Framed");
  CKestrelView* v = f.Open(secure.Url("/"));
  ASSERT_TRUE(WaitFor([&] { return Shows(v, "Certificate Problem"); }));
  const std::string text = EvalIn(v, "document.body.innerText");
  for (const char* part : {"127.0.0.1", "self-signed", "Issued to", "Valid", "Go Back", "Accept the risk"})
    EXPECT_NE(text.find(part), std::string::npos) << part << " in " << text;
  EXPECT_TRUE(f.window->engine().certificateExceptions.empty());
  // Going to the page again, or a script following the link, accepts nothing.
  EvalIn(v, "location.href = document.getElementById('accept').href; 1");
  v->Refresh();
  Pump(1500);
  EXPECT_EQ(v->GetDocumentTitle(), "Certificate Problem");
  EXPECT_TRUE(f.window->engine().certificateExceptions.empty());
  // The user's click on the accept link: for this host, for this run.
  ASSERT_TRUE(ClickElementIn(Engine(v), "accept"));
  ASSERT_TRUE(WaitFor([&] { return Shows(v, "Secret"); }));
  EXPECT_EQ(f.window->engine().certificateExceptions, (std::set<std::string>{"127.0.0.1"}));
  EXPECT_EQ(EvalIn(v, "document.body.innerText"), "\"inside\"");
}

TEST(HostDuties, LoginsReachTheServerAndAWrongPasswordAsksAgain) {
  LocalHttpServer server;
  server.Protected("/staff", "Staff only", "anna", "s3cret", Html("Inside", "ok"));
  server.Protected("/other", "Other", "bob", "pw", Html("Other"));
  server.Start();
  RealFrame f;
  std::vector<LoginRequest> asked;
  std::vector<std::pair<std::string, std::string>> answers = {{"anna", "wrong"}, {"anna", "s3cret"}};
  f.window->engine().askLogin = [&](const LoginRequest& r, std::string& user, std::string& password) {
    asked.push_back(r);
    if (answers.empty()) return false;
    std::tie(user, password) = answers.front();
    answers.erase(answers.begin());
    return true;
  };
  const auto tried = [&] {
    List out;
    for (const std::string& b : server.loginsTried()) out.push_back(QByteArray::fromBase64(b.c_str()).toStdString());
    return out;
  };
  ASSERT_NE(f.OpenLoaded(server.Url("/staff"), "Inside"), nullptr);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].host, "127.0.0.1");
  EXPECT_EQ(asked[0].realm, "Staff only");
  EXPECT_FALSE(asked[0].retry || asked[0].proxy);
  EXPECT_TRUE(asked[1].retry);  // the dialog says the last try was refused
  EXPECT_EQ(tried(), (List{"anna:wrong", "anna:s3cret"}));
  // Cancel: the server's own refusal is what the user sees.
  ASSERT_NE(f.OpenLoaded(server.Url("/other"), "Unauthorized"), nullptr);
  EXPECT_EQ(asked.size(), 3u);
  // Nothing more from the user; the engine offered the login it knows for the host first.
  EXPECT_EQ(tried(), (List{"anna:wrong", "anna:s3cret", "anna:s3cret"}));
  f.window->engine().askLogin = nullptr;
}

TEST(HostDuties, PermissionsAreAskedInABarAndRememberedPerHost) {
  LocalHttpServer server;
  server.Page("/", Html("Ask", "page"));
  server.Start();
  RealFrame f;
  auto bar = [](CKestrelView* v) { return Engine(v).widget()->findChild<QWidget*>("permission-bar"); };
  // A new page of `host` asks to show notifications: the bar's question, answered with `button`, and the page's answer.
  auto ask = [&](const std::string& host, const char* button, const std::string& result) {
    CKestrelView* v = f.OpenLoaded("http://" + host + ":" + std::to_string(server.port()) + "/", "Ask");
    if (!v) return std::string("no page");
    EvalIn(v, "Notification.requestPermission().then(function(r){document.title=r;}); 1");
    std::string question = "not asked";
    QWidget* b = nullptr;
    if (button && WaitFor([&] { return (b = bar(v)) && b->isVisible(); })) {
      question = b->findChild<QLabel*>()->text().toStdString();
      b->findChild<QPushButton*>(button)->click();
    }
    EXPECT_TRUE(WaitFor([&] { return v->GetDocumentTitle() == result; })) << host;
    EXPECT_TRUE(!bar(v) || !bar(v)->isVisible());
    return question;
  };
  EXPECT_EQ(ask("127.0.0.1", "permission-block", "denied"), "127.0.0.1 wants to show notifications.");
  // Asked again on a new page of the same host: answered from memory.
  EXPECT_EQ(ask("127.0.0.1", nullptr, "denied"), "not asked");
  // Another host asks anew; Allow lets it.
  EXPECT_EQ(ask("localhost", "permission-allow", "granted"), "localhost wants to show notifications.");
}

}  // namespace
}  // namespace kestrel::test
