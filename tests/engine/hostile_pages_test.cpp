// Pages that attack the browser: dialogs in a loop, a renderer that dies,
// navigations, frames, titles and windows without end, and an address that
// never stops changing. Each time the other sites go on, and the longest
// time the window's thread went without answering is printed (never
// asserted: speed belongs to the benchmarks).
#include <gtest/gtest.h>
#include <httplib.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWebEnginePage>
#include <cstdio>

#include "engine/engine_harness.h"
#include "support/dialog_driver.h"
#include "support/temp_dir.h"
#include "ui/page_dialogs_qt.h"

namespace kestrel::test {
namespace {

// The longest gap between two ticks of a 16 ms timer on the window's thread.
class StallMeter {
 public:
  StallMeter() {
    timer_.setInterval(16);
    QObject::connect(&timer_, &QTimer::timeout, [this] { longest_ = std::max(longest_, since_.restart()); });
    since_.start();
    timer_.start();
  }
  void Print(const std::string& what) const {
    std::printf("[  stall   ] %s: longest UI stall %lld ms\n", what.c_str(), static_cast<long long>(longest_));
    std::fflush(stdout);
  }

 private:
  QTimer timer_;
  QElapsedTimer since_;
  qint64 longest_ = 0;
};

// The same server under another host name, so another site and another
// renderer: pages of one site may share a renderer, and a page's dialog
// holds its whole renderer, as in every browser on this engine.
std::string OtherHost(const LocalHttpServer& server, const std::string& path) {
  return "http://localhost:" + std::to_string(server.port()) + path;
}

// Another site the user works in meanwhile: it still runs script and loads pages.
void ExpectUsable(CKestrelView* other, const LocalHttpServer& server, const std::string& what) {
  static int n = 0;
  const std::string title = "Other-" + std::to_string(++n);
  other->Navigate(OtherHost(server, "/other?t=" + title));
  EXPECT_TRUE(WaitFor([&] { return Shows(other, title); }, 30000)) << what;
  EXPECT_EQ(EvalIn(other, "6 * 7"), "42") << what;
}

// Plays the user at the dialogs of a site's page: each new one is handed to
// the next step. It runs from a timer, as the dialog holds the stack in a
// loop of its own until it is answered.
class DialogUser {
 public:
  using Step = std::function<void(PageDialogWindow*)>;
  DialogUser(CKestrelView* site, std::vector<Step> steps) : site_(site), steps_(std::move(steps)) {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    timer_.start();
  }
  // Steps taken, and dialogs that came when every step was done (closed unasked).
  std::size_t answered() const { return next_; }
  int unwanted() const { return unwanted_; }
  void Done() { site_ = nullptr; }  // the site went

 private:
  void Tick() {
    if (busy_ || !site_) return;
    PageDialogWindow* d = Engine(site_).pageDialogWindow();
    if (!d || !d->isVisible() || d == last_) return;
    busy_ = true;
    last_ = d;
    if (next_ < steps_.size())
      steps_[next_++](d);
    else
      ++unwanted_, d->reject();
    busy_ = false;
  }
  int unwanted_ = 0;
  CKestrelView* site_;
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  QPointer<PageDialogWindow> last_;
  bool busy_ = false;
  QTimer timer_;
};

// Answers it as a person: types `text` into a prompt, ticks the box when
// `stop`, then presses OK.
void Answer(PageDialogWindow* d, bool stop, const QString& text = {}) {
  if (auto* input = d->findChild<QLineEdit*>("page-dialog-input"); input && !text.isEmpty()) {
    input->selectAll();
    QTest::keyClicks(input, text);
  }
  if (stop) QTest::mouseClick(d->findChild<QCheckBox*>("page-dialog-stop"), Qt::LeftButton);
  QTest::mouseClick(d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

struct HostileFrame : RealFrame {
  LocalHttpServer server;
  explicit HostileFrame(const std::vector<std::pair<std::string, std::string>>& pages) {
    server.server().Get("/other", [](const httplib::Request& req, httplib::Response& res) {
      const std::string t = req.get_param_value("t");
      res.set_content(Html(t.empty() ? "Other" : t, "other"), "text/html");
    });
    for (const auto& [path, body] : pages) server.Page(path, body);
    server.Start();
    window->engine().pageDialog = MakePageDialog;
  }
  ~HostileFrame() { window->engine().pageDialog = nullptr; }
};

// A page that asks 500 times in a row once loaded and then titles itself
// with how often each answer came.
std::string AskingPage(const std::string& call) {
  return Html("Asking", "<script>onload=function(){setTimeout(function(){var seen={};"
                        "for(var i=0;i<500;i++){var k=String(" + call + ");seen[k]=(seen[k]||0)+1;}"
                        "document.title='Done '+JSON.stringify(seen);},0)};</script>asking");
}

TEST(HostilePages, DialogsInALoopStopWhenTheUserSaysAndTheirSiteClosesWhileOthersGoOn) {
  // Moving within the document between calls is no new document.
  HostileFrame f({{"/alert", AskingPage("alert('Alert <b>&amp;</b> '+i),location.hash='n'+i")},
                  {"/confirm", AskingPage("(history.pushState(null,'','?'+i),confirm('Go on?'))")},
                  {"/prompt", AskingPage("prompt('Your name?','d')")},
                  {"/forever", Html("Forever", "<script>onload=function(){setTimeout(function(){"
                                               "while(true)alert('Again')},0)}</script>forever")}});
  CKestrelView* other = f.OpenLoaded(OtherHost(f.server, "/other"), "Other");
  ASSERT_TRUE(other);
  // The first answer is the user's own; with the second the box is ticked,
  // and every later call answers at once as Cancel (an alert as OK).
  struct Case {
    const char* path;
    QString typed;
    std::string done;
  } cases[] = {{"/alert", {}, "Done {\"undefined\":500}"},
               {"/confirm", {}, "Done {\"true\":2,\"false\":498}"},
               {"/prompt", "typed", "Done {\"typed\":1,\"d\":1,\"null\":498}"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    StallMeter stall;
    CKestrelView* v = f.Open(f.server.Url(c.path));
    {
      DialogUser user(v, {[&](PageDialogWindow* d) {
                            if (c.typed.isEmpty()) SaveShot(d, QStringLiteral("page-dialog-") + (c.path + 1));
                            EXPECT_FALSE(d->isModal());  // it holds its own page only
                            if (c.path == std::string("/alert")) {  // the page's words as it wrote them
                              EXPECT_EQ(d->findChild<QLabel*>("page-dialog-text")->text(), "Alert <b>&amp;</b> 0");
                            }
                            // The window answers: the user goes to another site and back.
                            f.frame->OnTabSelected(f.frame->tabBar().FindTab(other));
                            EXPECT_EQ(f.frame->ActiveView(), other);
                            f.frame->OnTabSelected(f.frame->tabBar().FindTab(v));
                            Answer(d, false, c.typed);
                          },
                          [&](PageDialogWindow* d) { Answer(d, true); }});
      EXPECT_TRUE(WaitFor([&] { return v->GetDocumentTitle() == c.done; })) << v->GetDocumentTitle();
      EXPECT_EQ(user.answered(), 2u);
      EXPECT_EQ(user.unwanted(), 0);
      EXPECT_TRUE(Engine(v).PageDialogsStopped());
    }
    ExpectUsable(other, f.server, c.path);
    // A new document of the page may ask again.
    v->Refresh();
    DialogUser again(v, {[&](PageDialogWindow* d) { Answer(d, true); }});
    EXPECT_TRUE(WaitFor([&] { return again.answered() == 1 && v->GetDocumentTitle().rfind("Done", 0) == 0; }))
        << again.answered() << " " << v->GetDocumentTitle() << " " << Engine(v).PageDialogsStopped();
    stall.Print(std::string("dialogs of ") + c.path);
  }
  // A page that never stops asking: its site closes, or goes elsewhere,
  // with the dialog up.
  StallMeter stall;
  CKestrelView* asker = f.Open(f.server.Url("/forever"));
  const std::size_t before = f.sites().size();
  QPointer<PageDialogWindow> shown;
  DialogUser closer(asker, {[&](PageDialogWindow* d) {
    shown = d;
    f.frame->OnSiteCloseRequested(&asker->frame().window());
    closer.Done();
  }});
  ASSERT_TRUE(WaitFor([&] { return closer.answered() == 1 && f.sites().size() == before - 1 && !shown; }));
  ExpectUsable(other, f.server, "after closing the asking site");
  asker = f.Open(f.server.Url("/forever"));
  DialogUser leaver(asker, {[&](PageDialogWindow*) { asker->Navigate(OtherHost(f.server, "/other")); }});
  EXPECT_TRUE(WaitFor([&] { return leaver.answered() == 1 && Shows(asker, "Other"); }));
  EXPECT_EQ(Engine(asker).pageDialogWindow(), nullptr);
  f.ExpectSound();
  stall.Print("a page asking forever, closed");
}

TEST(HostilePages, APageEatingMemoryCrashesItsOwnSiteOnly) {
  HostileFrame f({{"/eat", Html("Eater", "<script>var keep=[];function eat(){for(var i=0;i<40;i++)"
                                         "keep.push(new Array(1<<20).fill(i));setTimeout(eat,0)}"
                                         "onload=function(){setTimeout(eat,0)}</script>eating")}});
  const std::string otherUrl = OtherHost(f.server, "/other");
  CKestrelView* other = f.OpenLoaded(otherUrl, "Other");
  ASSERT_TRUE(other);
  StallMeter stall;
  QElapsedTimer took;
  took.start();
  CKestrelView* eater = f.OpenLoaded(f.server.Url("/eat"), "Eater");
  ASSERT_TRUE(eater);
  ASSERT_NE(Engine(eater).view()->page()->renderProcessPid(), Engine(other).view()->page()->renderProcessPid());
  ASSERT_TRUE(WaitFor([&] { return eater->IsSiteFailed(); }, 120000)) << eater->GetDocumentTitle();
  std::printf("[  crash   ] the eating renderer died after %lld ms\n", static_cast<long long>(took.elapsed()));
  EXPECT_EQ(eater->GetDocumentTitle(), "No page to display");
  EXPECT_FALSE(other->IsSiteFailed());
  EXPECT_EQ(EvalIn(other, "6 * 7"), "42");
  // The crashed site itself takes the next page.
  eater->Navigate(otherUrl);
  EXPECT_TRUE(WaitFor([&] { return Shows(eater, "Other"); }));
  f.ExpectSound();
  stall.Print("a page eating memory until its renderer dies");
}

// The count `script` gives once it has stopped growing for a second.
std::string Settled(CKestrelView* v, const std::string& script) {
  std::string last = EvalIn(v, script), now;
  for (int i = 0; i < 60; ++i) {
    Pump(1000);
    if ((now = EvalIn(v, script)) == last) break;
    last = now;
  }
  return last;
}

TEST(HostilePages, FloodsOfNavigationsFramesTitleTextAndWindowsLeaveEverySiteUsable) {
  const std::string emoji = "\xF0\x9F\x98\x80";
  HostileFrame f({
      {"/navigate", Html("Navigating", "<script>setInterval(function(){location.href='/navigate?'+Math.random()},1)"
                                       "</script>away")},
      {"/frames", Html("Frames", "<script>var loaded=0;onload=function(){for(var i=0;i<10000;i++){"
                                 "var e=document.createElement('iframe');e.src='/frame?'+i;"
                                 "e.onload=function(){loaded++};document.body.appendChild(e)}}</script>")},
      {"/frame", Html("Frame", "f")},
      {"/title", Html("Title", "<script>document.title='T'+'x'.repeat(1<<20)</script>")},
      {"/title-pairs", Html("Title", "<script>document.title='T'+'\\uD83D\\uDE00'.repeat(1<<19)</script>")},
      {"/windows", Html("Windows", "<button id=go onclick=\"for(var i=0;i<2000;i++)window.open('/other?t=W'+i)\">"
                                   "go</button>")},
  });
  CKestrelView* other = f.OpenLoaded(OtherHost(f.server, "/other"), "Other");
  ASSERT_TRUE(other);
  struct Case {
    const char* name;
    const char* path;
    std::function<void(CKestrelView*)> check;
    // The 499 windows share their opener's renderer, which stays busy loading them for minutes.
    bool takeBack = true;
  } cases[] = {
      {"a page navigating itself every millisecond", "/navigate",
       [&](CKestrelView* v) {
         Pump(3000);
         EXPECT_TRUE(v->GetLocationURL().find("/navigate?") != std::string::npos) << v->GetLocationURL();
       }},
      {"10,000 frames", "/frames",
       [&](CKestrelView* v) {
         // The engine itself stops at 1000 frames a page; those load.
         ASSERT_TRUE(WaitFor([&] { return EvalIn(v, "loaded > 0") == "true"; }, 60000));
         std::printf("[  frames  ] %s of 10000 frames loaded\n", Settled(v, "loaded").c_str());
       }},
      {"a title of 1 MB", "/title",
       [&](CKestrelView* v) {
         ASSERT_TRUE(WaitFor([&] { return v->GetDocumentTitle().rfind("Txxx", 0) == 0; }));
         EXPECT_EQ(v->GetDocumentTitle(), "T" + std::string(WebEngineControl::kMaxTitleChars - 1, 'x'));
       }},
      {"a title of 1 MB in surrogate pairs", "/title-pairs",
       [&](CKestrelView* v) {
         ASSERT_TRUE(WaitFor([&] { return v->GetDocumentTitle().rfind("T" + emoji, 0) == 0; }));
         // 1023 UTF-16 units: the pair that would pass the limit goes whole.
         std::string want = "T";
         for (int i = 0; i < (WebEngineControl::kMaxTitleChars - 1) / 2; ++i) want += emoji;
         EXPECT_EQ(v->GetDocumentTitle(), want);
       }},
      {"a click opening 2000 windows", "/windows",
       [&](CKestrelView* v) {
         ASSERT_TRUE(WaitFor([&] { return Shows(v, "Windows"); }));
         ASSERT_TRUE(ClickElementIn(Engine(v), "go"));
         ASSERT_TRUE(WaitFor([&] { return f.sites().size() == CMainFrame::kMaxSites; }, 240000)) << f.sites().size();
         Pump(2000);
         EXPECT_EQ(f.sites().size(), CMainFrame::kMaxSites);
       },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StallMeter stall;
    CKestrelView* v = f.Open(f.server.Url(c.path));
    ASSERT_TRUE(v);
    c.check(v);
    ExpectUsable(other, f.server, c.name);
    // Whatever it did, the page's title is kept cut everywhere: caption, tab and history.
    EXPECT_LE(f.window->windowTitle().size(), WebEngineControl::kMaxTitleChars);
    const int tab = f.frame->tabBar().FindTab(v);
    ASSERT_GE(tab, 0);
    EXPECT_LE(f.frame->tabBar().fullTitle(tab).size(), 4u * WebEngineControl::kMaxTitleChars);
    f.ExpectSound();
    stall.Print(c.name);
    // The user takes the site back.
    if (!c.takeBack) continue;
    v->Navigate(f.server.Url("/other") + "?t=Back");
    EXPECT_TRUE(WaitFor([&] { return Shows(v, "Back"); }, 30000));
    for (const std::string& item : v->HistoryMenuItems(false))
      EXPECT_LE(item.size(), 4u * WebEngineControl::kMaxTitleChars);
  }
}

TEST(HostilePages, AnAddressChangingWithoutEndIsWrittenToTheSessionAtMostOnceASecond) {
  // Every 60 ms: the engine ignores a page's address changes past 200 in
  // 10 s, so a faster page would change it only in bursts.
  HostileFrame f({{"/moving", Html("Moving", "<script>var n=0;setInterval(function(){++n;"
                                             "if(n%2)history.pushState(null,'','/moving?'+n);else location.hash=n},60)"
                                             "</script>moving")}});
  TempDir dir;
  f.frame->KeepSession(dir.file("session.txt"));
  f.window->StartTimer();
  CKestrelView* v = f.OpenLoaded(f.server.Url("/moving"), "Moving");
  ASSERT_TRUE(v);
  StallMeter stall;
  const int before = f.frame->sessionKeeper()->writes();
  const std::string firstAddress = v->GetLocationURL();
  QElapsedTimer t;
  t.start();
  Pump(5000);
  const int writes = f.frame->sessionKeeper()->writes() - before;
  const double seconds = t.elapsed() / 1000.0;
  std::printf("[ session  ] %d writes in %.1f s while the address changed (%.2f a second)\n", writes, seconds,
              writes / seconds);
  EXPECT_NE(v->GetLocationURL(), firstAddress);  // it did move
  EXPECT_GE(writes, 1);
  EXPECT_LE(writes, static_cast<int>(seconds) + 1);
  // What is on disk is a whole session of that site.
  const std::optional<SessionSites> kept = ReadSession(dir.file("session.txt"));
  ASSERT_TRUE(kept);
  ASSERT_EQ(kept->addresses.size(), 1u);
  EXPECT_EQ(kept->addresses[0].rfind(f.server.Url("/moving"), 0), 0u);
  stall.Print("an address changing every 60 ms");
}

}  // namespace
}  // namespace kestrel::test
