// The page commands on real pages in a real frame: the clipboard states,
// find, zoom and text size, the download control of one site, encodings,
// saving, source, properties and Up One Level.
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>

#include <QLabel>
#include <QLineEdit>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <atomic>
#include <filesystem>

#include "engine/engine_harness.h"
#include "frame/page_commands.h"
#include "support/dialog_driver.h"
#include "support/temp_dir.h"

namespace kestrel::test {
namespace {

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
  bool Enabled(unsigned id) const { return frame->CommandStateOf(id).enabled; }
  bool Checked(unsigned id) const { return frame->CommandStateOf(id).checked; }
  bool Reloaded(CKestrelView* site, const std::string& title) { return WaitFor([&] { return Shows(site, title); }); }
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
  EXPECT_FALSE(f.Enabled(ID_EDIT_CUT) || f.Enabled(ID_EDIT_COPY) || f.Enabled(ID_EDIT_PASTE));
  // A read-only field takes no typing; a field's selected text can be cut.
  EvalIn(site, "var r=document.getElementById('ro'); r.focus(); r.select();");
  Pump(300);
  EXPECT_FALSE(f.Enabled(ID_EDIT_CUT) || f.Enabled(ID_EDIT_PASTE));
  EvalIn(site, "var e=document.getElementById('f'); e.focus(); e.select();");
  EXPECT_TRUE(WaitFor([&] { return f.Enabled(ID_EDIT_CUT) && f.Enabled(ID_EDIT_PASTE); }, 5000));
  EXPECT_TRUE(f.Enabled(ID_EDIT_COPY));

  // Find: the bar under the page counts the matches and says when there are none.
  ASSERT_TRUE(f.frame->OnCommand(ID_EDIT_FIND));
  QWidget* bar = Engine(site).findBar();
  ASSERT_TRUE(bar && bar->isVisible());
  auto* text = bar->findChild<QLineEdit*>("find-text");
  auto* status = bar->findChild<QLabel*>("find-status");
  auto says = [&](const char* what) { return WaitFor([&] { return status->text() == what; }, 5000); };
  QTest::keyClicks(text, "needle");
  EXPECT_TRUE(says("1 of 2 matches")) << status->text().toStdString();
  QTest::keyClick(text, Qt::Key_Return);
  EXPECT_TRUE(says("2 of 2 matches")) << status->text().toStdString();
  QTest::keyClicks(text, "zzz");
  EXPECT_TRUE(says("Phrase not found")) << status->text().toStdString();
  QTest::keyClick(text, Qt::Key_Escape);
  EXPECT_FALSE(bar->isVisible());

  // Zoom lives in the page's body; text size is the engine's zoom, one mark at a time.
  for (auto [id, zoom] : {std::pair{ID_ZOOM_IN, "\"1.1\""}, {ID_ZOOM_IN, "\"1.21\""}, {ID_ZOOM_OUT, "\"1.1\""},
                          {ID_ZOOM_ACTUAL, "\"1\""}}) {
    ASSERT_TRUE(f.frame->OnCommand(id));
    EXPECT_TRUE(WaitFor([&] { return EvalIn(site, "document.body.style.zoom") == zoom; }, 5000)) << zoom;
  }
  ASSERT_TRUE(f.frame->OnCommand(ID_TEXT_LARGEST));
  EXPECT_TRUE(f.Checked(ID_TEXT_LARGEST) && !f.Checked(ID_TEXT_MEDIUM));
  EXPECT_DOUBLE_EQ(Engine(site).view()->zoomFactor(), TextSizeZoom(4));

  // Up One Level: /a/b.html to /a, then nothing above the host.
  ASSERT_TRUE(f.Enabled(ID_GO_UP));
  ASSERT_TRUE(f.frame->OnCommand(ID_GO_UP));
  ASSERT_TRUE(f.Reloaded(site, "Folder"));
  ASSERT_TRUE(f.frame->OnCommand(ID_GO_UP));
  EXPECT_TRUE(WaitFor([&] { return !site->GetBusy() && site->GetLocationURL() == server.Url("/"); }));
  EXPECT_FALSE(f.Enabled(ID_GO_UP));
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
  EXPECT_FALSE(f.Checked(ID_EXECUTE_SCRIPTS));
  ASSERT_TRUE(f.Reloaded(site, "static"));
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
  EvalIn(site, "new Image().src='/pic.png?again'");
  Pump(800);
  EXPECT_EQ(pictures, before);
  ASSERT_TRUE(f.frame->OnCommand(ID_SHOW_PICTURES));
  EXPECT_TRUE(WaitFor([&] { return pictures > before; }, 5000));
}

TEST(PageDisplayOnEngine, SaveSourcePropertiesAndEncodings) {
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
  auto save = [&](unsigned command, const std::string& name) {
    f.dialogs.path = dir.file(name + ".html");
    ASSERT_TRUE(f.frame->OnCommand(command));
    ASSERT_TRUE(WaitFor([&] { return !Engine(site).SavingPage(); }));
  };
  save(ID_FILE_SAVE_AS, "complete");
  EXPECT_TRUE(fs::exists(dir.file("complete_files")));
  save(ID_SAVE_WITHOUT_PICTURES, "only");
  EXPECT_FALSE(fs::exists(dir.file("only_files")));

  f.frame->OnSiteActivated(&site->frame().window());
  ASSERT_TRUE(f.frame->OnCommand(ID_PROPERTIES));
  ASSERT_TRUE(WaitFor([&] { return f.dialogs.properties.has_value(); }));
  const PageProperties& p = *f.dialogs.properties;
  EXPECT_EQ((std::vector<std::string>{p.url, p.title, p.encoding, p.mimeType}),
            (std::vector<std::string>{server.Url("/page"), "Saved Page", "UTF-8", "text/html"}));
  ASSERT_TRUE(f.frame->OnCommand(ID_VIEW_SOURCE));
  CKestrelView* source = f.sites().back();
  EXPECT_TRUE(WaitFor([&] { return source->GetLocationURL() == "view-source:" + server.Url("/page"); }));

  // The engine reads a page in the encoding it names and guesses the rest
  // from the bytes: the choice reaches the page's settings as the guess's
  // first candidate, and the page is read again.
  CKestrelView* plain = f.OpenLoaded(server.Url("/plain"), "Plain");
  ASSERT_TRUE(plain);
  EvalIn(plain, "window.kestrelMark = 1");
  ASSERT_TRUE(f.frame->OnCommand(36011));  // Cyrillic (Windows)
  EXPECT_EQ(Engine(plain).view()->page()->settings()->defaultTextEncoding(), "windows-1251");
  EXPECT_TRUE(WaitFor([&] { return !plain->GetBusy() && EvalIn(plain, "typeof window.kestrelMark") == "\"undefined\""; }));
}

TEST(PageDisplayOnEngine, CommandsOnPagesThatCannotActDoNoHarm) {
  LocalHttpServer server;
  server.SlowPage("/slow", Html("Slow", std::string(20000, 's')), 20, 100);
  server.Page("/page", Html("Page", "<p>text</p>"));
  server.Start();
  PageFrame f;
  // View Source before the toggles: those reload, which brings a crashed page back.
  const unsigned every[] = {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_SELECT_ALL, ID_EDIT_FIND,
                            ID_FILE_SAVE_AS, ID_SAVE_WITHOUT_PICTURES, ID_PROPERTIES, ID_VIEW_SOURCE,
                            ID_TEXT_SMALLER, 36002, ID_ZOOM_OUT, ID_GO_UP, ID_SHOW_PICTURES, ID_PLAY_SOUNDS,
                            ID_EXECUTE_SCRIPTS};
  auto expectDisabled = [&](std::initializer_list<unsigned> ids) {
    for (unsigned id : ids) EXPECT_FALSE(f.Enabled(id)) << id;
  };
  CKestrelView* slow = f.Open(server.Url("/slow"));  // while the page is still coming in
  ASSERT_TRUE(WaitFor([&] { return slow->GetBusy(); }));
  for (unsigned id : every) f.frame->OnCommand(id);
  ASSERT_TRUE(WaitFor([&] { return !slow->GetBusy(); }));
  // A failed page: what cannot act is disabled, the rest does no harm.
  CKestrelView* failed = f.Open(ClosedUrl());
  ASSERT_TRUE(WaitFor([&] { return failed->IsSiteFailed(); }));
  expectDisabled({ID_EDIT_FIND, ID_FILE_SAVE_AS, ID_EDIT_CUT, ID_EDIT_COPY});
  for (unsigned id : every) f.frame->OnCommand(id);
  // The renderer dies: the site shows Kestrel's page at the same address (no
  // data: page of its own), nothing acts on a page that is gone, and a site of
  // another origin, with a renderer of its own, goes on.
  CKestrelView* site = f.OpenLoaded(server.Url("/page"), "Page");
  CKestrelView* other = f.OpenLoaded("http://localhost:" + std::to_string(server.port()) + "/page", "Page");
  ASSERT_TRUE(site && other);
  f.frame->OnSiteActivated(&site->frame().window());
  const qint64 pid = Engine(site).view()->page()->renderProcessPid();
  ASSERT_GT(pid, 0);
  ASSERT_NE(pid, Engine(other).view()->page()->renderProcessPid());
  ASSERT_EQ(::kill(static_cast<pid_t>(pid), SIGKILL), 0);
  ASSERT_TRUE(WaitFor([&] { return site->GetDocumentTitle() == "No page to display"; }));
  EXPECT_EQ(site->GetLocationURL(), server.Url("/page"));
  EXPECT_EQ(EvalIn(other, "document.title"), "\"Page\"");
  expectDisabled({ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_FIND, ID_FILE_SAVE_AS});
  const std::size_t sites = f.sites().size();
  for (unsigned id : every) f.frame->OnCommand(id);
  EXPECT_EQ(f.sites().size(), sites);  // no source of a page that is gone
  // The site still works afterwards.
  site->Navigate(server.Url("/page"));
  EXPECT_TRUE(f.Reloaded(site, "Page")) << site->GetDocumentTitle();
  f.ExpectSound();
}

}  // namespace
}  // namespace kestrel::test
