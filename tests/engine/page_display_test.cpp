// The page commands on real pages in a real frame: the clipboard states,
// find, zoom and text size, the download control of one site, encodings,
// saving, source, properties and Up One Level.
#include <gtest/gtest.h>
#include <httplib.h>

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <signal.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "engine/real_frame.h"
#include "collections/history.h"
#include "frame/page_commands.h"
#include "platform/history_store.h"
#include "support/dialog_driver.h"
#include "support/http_server.h"
#include "support/temp_dir.h"

namespace kestrel::test {
namespace {

std::string Html(const std::string& title, const std::string& body) {
  return "<!DOCTYPE html><html><head><meta charset=utf-8><title>" + title + "</title></head><body>" + body +
         "</body></html>";
}

struct AnsweringPageDialogs : PageDialogs {
  std::optional<std::string> path;
  std::optional<PageProperties> properties;
  std::optional<std::string> SavePageFile(const std::string&, SavePageFormat) override { return path; }
  void Print(CKestrelView&) override {}
  void PrintPreview(CKestrelView&) override {}
  void PageSetup() override {}
  void Properties(const PageProperties& p) override { properties = p; }
};

struct PageFrame : RealFrame {
  AnsweringPageDialogs dialogs;
  CPageCommands pages{*frame, dialogs};
  CommandState State(unsigned id) const { return frame->CommandStateOf(id); }
  // The page's answer to `script`, as JSON.
  std::string Eval(CKestrelView* site, const std::string& script) { return EvalIn(Engine(site), script); }
  bool Reloaded(CKestrelView* site, const std::string& title) {
    return WaitFor([&] { return !site->GetBusy() && site->GetDocumentTitle() == title; });
  }
};

TEST(PageDisplayOnEngine, ClipboardStatesFindZoomTextSizeAndUpOneLevel) {
  LocalHttpServer server;
  server.Page("/a/b.html", Html("Text", "<p id=p>Kestrel finds a needle in the hay, then another needle.</p>"
                                        "<input id=f value='hello world'> <input id=ro readonly value='fixed'>"));
  server.Page("/a", Html("Folder", "the folder"));
  server.Start();
  PageFrame f;
  CKestrelView* site = f.OpenLoaded(server.Url("/a/b.html"), "Text");
  ASSERT_TRUE(site);

  // Nothing selected in the page: nothing to cut, copy or paste into.
  EXPECT_FALSE(f.State(ID_EDIT_CUT).enabled);
  EXPECT_FALSE(f.State(ID_EDIT_COPY).enabled);
  EXPECT_FALSE(f.State(ID_EDIT_PASTE).enabled);
  // Page text selected: copy only.
  f.Eval(site, "getSelection().selectAllChildren(document.getElementById('p'))");
  EXPECT_TRUE(WaitFor([&] { return f.State(ID_EDIT_COPY).enabled; }, 5000));
  Pump(200);
  EXPECT_FALSE(f.State(ID_EDIT_CUT).enabled);
  // A read-only field takes no typing; a field's selected text can be cut.
  f.Eval(site, "var r=document.getElementById('ro'); r.focus(); r.select();");
  Pump(300);
  EXPECT_FALSE(f.State(ID_EDIT_CUT).enabled);
  EXPECT_FALSE(f.State(ID_EDIT_PASTE).enabled);
  f.Eval(site, "var e=document.getElementById('f'); e.focus(); e.select();");
  EXPECT_TRUE(WaitFor([&] { return f.State(ID_EDIT_CUT).enabled && f.State(ID_EDIT_PASTE).enabled; }, 5000));
  EXPECT_TRUE(f.State(ID_EDIT_COPY).enabled);

  // Find: the bar under the page counts the matches and says when there are none.
  ASSERT_TRUE(f.frame->OnCommand(ID_EDIT_FIND));
  QWidget* bar = Engine(site).findBar();
  ASSERT_TRUE(bar && bar->isVisible());
  auto* text = bar->findChild<QLineEdit*>("find-text");
  auto* status = bar->findChild<QLabel*>("find-status");
  ASSERT_TRUE(text && status);
  QTest::keyClicks(text, "needle");
  EXPECT_TRUE(WaitFor([&] { return status->text() == "1 of 2 matches"; }, 5000)) << status->text().toStdString();
  QTest::keyClick(text, Qt::Key_Return);
  EXPECT_TRUE(WaitFor([&] { return status->text() == "2 of 2 matches"; }, 5000)) << status->text().toStdString();
  SaveShot(f.window.get(), "Find bar");
  QTest::keyClicks(text, "zzz");
  EXPECT_TRUE(WaitFor([&] { return status->text() == "Phrase not found"; }, 5000)) << status->text().toStdString();
  QTest::keyClick(text, Qt::Key_Escape);
  EXPECT_FALSE(bar->isVisible());

  // Zoom lives in the page's body; text size is the engine's zoom, one mark at a time.
  for (unsigned id : {ID_ZOOM_IN, ID_ZOOM_IN}) ASSERT_TRUE(f.frame->OnCommand(id));
  EXPECT_TRUE(WaitFor([&] { return f.Eval(site, "document.body.style.zoom") == "\"1.21\""; }, 5000));
  ASSERT_TRUE(f.frame->OnCommand(ID_ZOOM_OUT));
  EXPECT_TRUE(WaitFor([&] { return f.Eval(site, "document.body.style.zoom") == "\"1.1\""; }, 5000));
  ASSERT_TRUE(f.frame->OnCommand(ID_ZOOM_ACTUAL));
  EXPECT_TRUE(WaitFor([&] { return f.Eval(site, "document.body.style.zoom") == "\"1\""; }, 5000));
  EXPECT_TRUE(f.State(ID_TEXT_MEDIUM).checked);
  ASSERT_TRUE(f.frame->OnCommand(ID_TEXT_LARGEST));
  EXPECT_TRUE(f.State(ID_TEXT_LARGEST).checked);
  EXPECT_FALSE(f.State(ID_TEXT_MEDIUM).checked);
  EXPECT_DOUBLE_EQ(Engine(site).view()->zoomFactor(), TextSizeZoom(4));

  // Up One Level: /a/b.html to /a, then nothing above the host.
  ASSERT_TRUE(f.State(ID_GO_UP).enabled);
  ASSERT_TRUE(f.frame->OnCommand(ID_GO_UP));
  ASSERT_TRUE(f.Reloaded(site, "Folder"));
  EXPECT_EQ(site->GetLocationURL(), server.Url("/a"));
  ASSERT_TRUE(f.frame->OnCommand(ID_GO_UP));
  EXPECT_TRUE(WaitFor([&] { return !site->GetBusy() && site->GetLocationURL() == server.Url("/"); }));
  EXPECT_FALSE(f.State(ID_GO_UP).enabled);
  // A new site starts at Medium, whatever the last one chose.
  ASSERT_TRUE(f.OpenLoaded(server.Url("/a"), "Folder"));
  EXPECT_TRUE(f.State(ID_TEXT_MEDIUM).checked);
}

TEST(PageDisplayOnEngine, ScriptsAndPicturesTurnOffForOneSiteOnly) {
  LocalHttpServer server;
  std::atomic<int> pictures{0};
  server.server().Get("/pic.png", [&](const httplib::Request&, httplib::Response& res) {
    ++pictures;
    res.set_content(std::string("\x89PNG\r\n\x1a\n", 8), "image/png");
  });
  server.Page("/script", Html("static", "<div id=m></div><script>document.title='ran';"
                                        "document.getElementById('m').textContent='marker';</script>"));
  server.Page("/pics", Html("Pictures", "<img src='/pic.png'>"));
  server.Start();
  PageFrame f;
  CKestrelView* other = f.OpenLoaded(server.Url("/script"), "ran");
  CKestrelView* site = f.OpenLoaded(server.Url("/script"), "ran");
  ASSERT_TRUE(site && other);

  ASSERT_TRUE(f.frame->OnCommand(ID_EXECUTE_SCRIPTS));  // reloads this site's page
  EXPECT_FALSE(f.State(ID_EXECUTE_SCRIPTS).checked);
  ASSERT_TRUE(f.Reloaded(site, "static"));
  Pump(300);
  EXPECT_EQ(site->GetDocumentTitle(), "static");
  // Kestrel's own scripts still reach a page that runs none of its own.
  std::string own;
  Engine(site).ExecOwnScript("document.getElementById('m').textContent", [&](const std::string& r) { own = r; });
  EXPECT_TRUE(WaitFor([&] { return !own.empty(); }, 5000));
  EXPECT_EQ(own, "\"\"");
  other->Refresh();
  ASSERT_TRUE(f.Reloaded(other, "ran"));

  // Pictures off: the request for one never reaches the server.
  site->Navigate(server.Url("/pics"));
  ASSERT_TRUE(f.Reloaded(site, "Pictures"));
  const int before = pictures;
  EXPECT_GE(before, 1);
  ASSERT_TRUE(f.frame->OnCommand(ID_SHOW_PICTURES));
  ASSERT_TRUE(f.Reloaded(site, "Pictures"));
  f.Eval(site, "new Image().src='/pic.png?again'");
  Pump(800);
  EXPECT_EQ(pictures, before);
  EXPECT_FALSE(f.State(ID_SHOW_PICTURES).checked);
  ASSERT_TRUE(f.frame->OnCommand(ID_SHOW_PICTURES));
  EXPECT_TRUE(WaitFor([&] { return pictures > before; }, 5000));
}

TEST(PageDisplayOnEngine, SaveSourcePropertiesEncodingsAndPagesThatCannotAct) {
  LocalHttpServer server;
  server.Page("/page", Html("Saved Page", "<h1>Kept</h1><img src='/dot.svg'>"));
  server.server().Get("/dot.svg", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("<svg xmlns='http://www.w3.org/2000/svg' width='4' height='4'/>", "image/svg+xml");
  });
  // Bytes of no declared charset: the encoding chosen decides how they read.
  server.server().Get("/plain", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("<html><head><title>Plain</title></head><body>plain text</body></html>", "text/html");
  });
  server.Start();
  TempDir dir;
  PageFrame f;
  CKestrelView* site = f.OpenLoaded(server.Url("/page"), "Saved Page");
  ASSERT_TRUE(site);

  namespace fs = std::filesystem;
  f.dialogs.path = dir.path() + "/complete.html";
  ASSERT_TRUE(f.frame->OnCommand(ID_FILE_SAVE_AS));
  ASSERT_TRUE(WaitFor([&] { return !Engine(site).SavingPage(); }));
  EXPECT_TRUE(fs::exists(dir.path() + "/complete.html"));
  EXPECT_TRUE(fs::exists(dir.path() + "/complete_files"));
  f.dialogs.path = dir.path() + "/only.html";
  ASSERT_TRUE(f.frame->OnCommand(ID_SAVE_WITHOUT_PICTURES));
  ASSERT_TRUE(WaitFor([&] { return !Engine(site).SavingPage(); }));
  EXPECT_GT(fs::file_size(dir.path() + "/only.html"), 0u);
  EXPECT_FALSE(fs::exists(dir.path() + "/only_files"));
  CKestrelView* reopened = f.OpenLoaded("file://" + dir.path() + "/only.html", "Saved Page");
  ASSERT_TRUE(reopened);
  EXPECT_EQ(EvalIn(Engine(reopened), "document.querySelector('h1').textContent"), "\"Kept\"");

  f.frame->OnSiteActivated(&site->frame().window());
  ASSERT_TRUE(f.frame->OnCommand(ID_PROPERTIES));
  ASSERT_TRUE(WaitFor([&] { return f.dialogs.properties.has_value(); }));
  EXPECT_EQ(f.dialogs.properties->url, server.Url("/page"));
  EXPECT_EQ(f.dialogs.properties->title, "Saved Page");
  EXPECT_EQ(f.dialogs.properties->protocol, "HyperText Transfer Protocol");
  EXPECT_EQ(f.dialogs.properties->encoding, "UTF-8");
  EXPECT_EQ(f.dialogs.properties->mimeType, "text/html");
  EXPECT_GT(f.dialogs.properties->size, 50);

  ASSERT_TRUE(f.frame->OnCommand(ID_VIEW_SOURCE));
  CKestrelView* source = f.frame->sites().sites().back();
  EXPECT_TRUE(WaitFor([&] { return source->GetLocationURL() == "view-source:" + server.Url("/page"); }));

  // The engine reads a page in the encoding it names and guesses the rest
  // from the bytes: the choice reaches the page's settings as the guess's
  // first candidate, and the page is read again.
  CKestrelView* plain = f.OpenLoaded(server.Url("/plain"), "Plain");
  ASSERT_TRUE(plain);
  f.Eval(plain, "window.kestrelMark = 1");
  ASSERT_TRUE(f.frame->OnCommand(36011));  // Cyrillic (Windows)
  EXPECT_EQ(Engine(plain).view()->page()->settings()->defaultTextEncoding(), "windows-1251");
  EXPECT_TRUE(WaitFor([&] {
    return !plain->GetBusy() && f.Eval(plain, "typeof window.kestrelMark") == "\"undefined\"";
  }));
  // A page that names its own keeps it.
  f.frame->OnSiteActivated(&site->frame().window());
  ASSERT_TRUE(f.frame->OnCommand(36011));
  ASSERT_TRUE(f.Reloaded(site, "Saved Page"));
  EXPECT_EQ(f.Eval(site, "document.characterSet"), "\"UTF-8\"");

  // A failed page and a blank one: what cannot act is disabled, the rest does no harm.
  CKestrelView* failed = f.Open("http://127.0.0.1:" + std::to_string(LocalHttpServer::ClosedPort()) + "/");
  ASSERT_TRUE(WaitFor([&] { return failed->IsSiteFailed(); }));
  for (unsigned id : {ID_EDIT_FIND, ID_FILE_SAVE_AS, ID_EDIT_CUT, ID_EDIT_COPY})
    EXPECT_FALSE(f.State(id).enabled) << id;
  const unsigned every[] = {ID_EDIT_SELECT_ALL, ID_SAVE_WITHOUT_PICTURES, ID_PROPERTIES, ID_TEXT_LARGER,
                            36004, ID_ZOOM_IN, ID_SHOW_PICTURES, ID_EXECUTE_SCRIPTS, ID_VIEW_SOURCE};
  for (unsigned id : every) f.frame->OnCommand(id);
  CKestrelView* blank = f.Open("about:blank");
  ASSERT_TRUE(WaitFor([&] { return blank->IsSiteBlank(); }));
  for (unsigned id : every) f.frame->OnCommand(id);
  EXPECT_FALSE(f.State(ID_GO_UP).enabled);
  Pump(300);
  f.ExpectSound();
}

TEST(PageDisplayOnEngine, CommandsOnALoadingPageAndACrashedRendererDoNoHarm) {
  LocalHttpServer server;
  server.SlowPage("/slow", Html("Slow", std::string(20000, 's')), 20, 100);
  server.Page("/page", Html("Page", "<p>text</p>"));
  server.Start();
  PageFrame f;
  // View Source before the toggles: those reload, which brings a crashed page back.
  const unsigned every[] = {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_SELECT_ALL, ID_EDIT_FIND,
                            ID_FILE_SAVE_AS, ID_PROPERTIES, ID_VIEW_SOURCE, ID_TEXT_SMALLER, 36002,
                            ID_ZOOM_OUT, ID_GO_UP, ID_SHOW_PICTURES, ID_PLAY_SOUNDS, ID_EXECUTE_SCRIPTS};
  // While the page is still coming in.
  CKestrelView* slow = f.Open(server.Url("/slow"));
  ASSERT_TRUE(WaitFor([&] { return slow->GetBusy(); }));
  for (unsigned id : every) f.frame->OnCommand(id);
  ASSERT_TRUE(WaitFor([&] { return !slow->GetBusy(); }));

  // The renderer dies: the site shows Kestrel's page and nothing acts on a page that is gone.
  CKestrelView* site = f.OpenLoaded(server.Url("/page"), "Page");
  ASSERT_TRUE(site);
  const qint64 pid = Engine(site).view()->page()->renderProcessPid();
  ASSERT_GT(pid, 0);
  ::kill(static_cast<pid_t>(pid), SIGKILL);
  ASSERT_TRUE(WaitFor([&] { return site->GetDocumentTitle() == "No page to display"; }));
  for (unsigned id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_FIND, ID_FILE_SAVE_AS})
    EXPECT_FALSE(f.State(id).enabled) << id;
  const std::size_t sites = f.frame->sites().sites().size();
  for (unsigned id : every) f.frame->OnCommand(id);
  EXPECT_EQ(f.frame->sites().sites().size(), sites);  // no source of a page that is gone
  // The site still works afterwards.
  site->Navigate(server.Url("/page"));
  EXPECT_TRUE(f.Reloaded(site, "Page")) << site->GetDocumentTitle();
  f.ExpectSound();
}

TEST(HistoryOnEngine, RealLoadsAreRecordedWithTheirTitles) {
  LocalHttpServer server;
  server.Page("/one", Html("First Page", "one"));
  server.Page("/two", Html("", "two"));
  server.Start();
  TempDir dir;
  std::unique_ptr<HistoryStore> store = OpenSqliteHistory(dir.file("history.sqlite"));
  PageFrame f;
  CHistoryRecorder recorder(*f.frame, *store);
  ASSERT_TRUE(f.OpenLoaded(server.Url("/one"), "First Page"));
  CKestrelView* two = f.Open(server.Url("/two"));
  ASSERT_TRUE(WaitFor([&] { return !two->GetBusy() && two->GetLocationURL() == server.Url("/two"); }));
  CKestrelView* failed = f.Open("http://127.0.0.1:" + std::to_string(LocalHttpServer::ClosedPort()) + "/");
  ASSERT_TRUE(WaitFor([&] { return failed->IsSiteFailed(); }));
  ASSERT_TRUE(WaitFor([&] { return store->Recent(10).size() >= 2; }));
  Pump(200);
  std::vector<std::string> seen;
  for (const HistoryEntry& e : store->Recent(10)) seen.push_back(e.url);
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen, (std::vector<std::string>{server.Url("/one"), server.Url("/two")}));
  EXPECT_EQ(store->Complete(server.Url("/o"), 5), (std::vector<std::string>{server.Url("/one")}));
}

}  // namespace
}  // namespace kestrel::test
