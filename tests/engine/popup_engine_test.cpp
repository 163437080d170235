// Popup blocking on real pages in the real engine: what the user sees of
// each new window (a site with a tab, or nothing but a sound and a flashing
// button), the sweep, and a page that floods windows.
#include <gtest/gtest.h>
#include <httplib.h>

#include <QWebEnginePage>

#include "engine/desktop_qt.h"
#include "engine/engine_harness.h"
#include "popups/popup_blocker.h"
#include "ui/popup_ui_qt.h"

namespace kestrel::test {
namespace {

// Serves /p/<name> as a small page titled "Popup <name>", and the `pages` given.
void Serve(LocalHttpServer& server, const std::vector<std::pair<std::string, std::string>>& pages) {
  server.server().Get(R"(/p/(\w+))", [](const httplib::Request& req, httplib::Response& res) {
    const std::string name = req.matches[1];
    res.set_content(Html("Popup " + name, name), "text/html");
  });
  for (const auto& [path, body] : pages) server.Page(path, body);
  server.Start();
}

// A page titled `title` whose body runs `onload`.
std::string OnLoad(const std::string& title, const std::string& onload, const std::string& body = "x") {
  return "<html><head><title>" + title + "</title></head><body onload=\"" + onload + "\">" + body + "</body></html>";
}

enum class Fate { Shown, Blocked, NoWindow };
std::ostream& operator<<(std::ostream& o, Fate f) {
  return o << (f == Fate::Shown ? "shown" : f == Fate::Blocked ? "blocked" : "no window");
}

struct PopupFrame : RealFrame {
  CSiteFilter filter;
  QtSound sound;
  QtPopupUi ui{window.get(), nullptr};
  std::unique_ptr<CPopupBlocker> popups;
  PopupFrame() {
    settings.AutoClosePopup = settings.RecPPTime = settings.BeepPopup = true;
    popups = std::make_unique<CPopupBlocker>(*frame, filter, settings, sound, ui);
  }
  ~PopupFrame() { popups.reset(); }
  // What became of the window `act` makes the opener ask for.
  Fate After(const std::function<void()>& act, CKestrelView** made = nullptr, int ms = 10000) {
    const std::size_t before = sites().size();
    act();
    if (!WaitFor([&] { return sites().size() > before; }, ms)) return Fate::NoWindow;
    CKestrelView* p = sites().back();
    if (made) *made = p;
    if (!WaitFor([&] { return p->frame().IsVisible() || p->popup().blocked; }, ms)) return Fate::NoWindow;
    // A blocked window must stay unseen: give it time to show up wrongly.
    Pump(150);
    return p->popup().blocked ? Fate::Blocked : Fate::Shown;
  }
  // The user works in the site in front: bring it there and let its page
  // take the whole area again.
  void Front(CKestrelView* v) {
    if (frame->ActiveView() != v) frame->OnTabSelected(frame->tabBar().FindTab(v));
    EXPECT_TRUE(WaitFor([&] { return EvalIn(v, "innerHeight > 400") == "true"; }, 5000));
  }
  // A press where no element is: the page's own body.
  void ClickPoint(CKestrelView* v, int x, int y) {
    Front(v);
    QTest::mouseClick(Engine(v).view()->focusProxy(), Qt::LeftButton, {}, QPoint(x, y));
  }
  void ClickOn(CKestrelView* v, const std::string& id, const std::string& frameId = "",
               Qt::MouseButton b = Qt::LeftButton) {
    Front(v);
    ASSERT_TRUE(ClickElementIn(Engine(v), id, frameId, b)) << id;
  }
  // Offscreen, the engine may drop the first press into a page that has just
  // loaded: a click on nothing in particular comes first, long enough ago
  // to explain nothing.
  void Warm(CKestrelView* v, const std::string& frameId = "") {
    ClickOn(v, "inert", frameId);
    Pump(300);
    clock.Skip(6000);
  }
};

const char kClickPage[] = R"HTML(<html><head><title>Clicks</title>
<style>body{margin:0;height:2000px} .box{display:block;width:200px;height:34px;margin:6px 0}</style></head><body>
<a id="link" class="box" href="/p/link" target="_blank">link</a>
<button id="btn" class="box" onclick="window.open('/p/button')">button</button>
<div id="div" class="box" onclick="window.open('/p/div')">div</div>
<input id="text" class="box" type="text" onclick="window.open('/p/text')">
<div id="ctx" class="box" oncontextmenu="window.open('/p/right');return false">right</div>
<div id="bare" class="box" onclick="window.open('/p/bare','','toolbar=no,menubar=no,location=no')">bare</div>
<form class="box" target="_blank" action="/p/form"><input id="field" type="text" name="q"></form>
<form class="box" target="_blank" action="/p/submit"><input id="submit" type="submit" value="go"></form>
<p id="para" class="box" onclick="window.open('/p/para')">para</p>
<span id="inert">.</span>
<div id="pop" class="box" onclick="window.open('/p/under');window.focus()">popunder</div>
<script>document.addEventListener('click', function (e) {
  if (e.target === document.body || e.target === document.documentElement) window.open('/p/body');
});</script></body></html>)HTML";

TEST(PopupsOnEngine, ClicksExplainNewWindowsAndOtherInputDoesNot) {
  LocalHttpServer server;
  Serve(server, {{"/clicks", kClickPage}});
  PopupFrame f;
  CKestrelView* page = f.OpenLoaded(server.Url("/clicks"), "Clicks");
  ASSERT_TRUE(page);
  auto click = [&](const char* id, Qt::MouseButton b = Qt::LeftButton) {
    return [&f, page, id, b] { f.ClickOn(page, id, "", b); };
  };
  f.Warm(page);
  // What does not count: the bare page, a paragraph, a text field.
  EXPECT_EQ(f.After([&] { f.ClickPoint(page, 700, 500); }), Fate::Blocked) << "body";
  EXPECT_EQ(f.After(click("para")), Fate::Blocked);
  CKestrelView* blocked = nullptr;
  EXPECT_EQ(f.After(click("text"), &blocked), Fate::Blocked);
  // Unseen means no tab and no sound from its page.
  EXPECT_EQ(f.frame->tabBar().FindTab(blocked), -1);
  EXPECT_TRUE(Engine(blocked).view()->page()->isAudioMuted());
  EXPECT_EQ(f.popups->soundsStarted(), 3);
  // What does: a button, a div, a link, a right click, a submit button, Enter
  // in a form (a click into the field itself explains nothing), and a
  // popunder from a click, still the user's window.
  CKestrelView* shown = nullptr;
  EXPECT_EQ(f.After(click("btn"), &shown), Fate::Shown);
  EXPECT_FALSE(Engine(shown).view()->page()->isAudioMuted());
  const std::pair<std::function<void()>, int> users[] = {
      {click("div"), 1100}, {click("link"), 1100}, {click("ctx", Qt::RightButton), 1100}, {click("submit"), 5100},
      {[&] {
         f.ClickOn(page, "field");
         f.clock.Skip(1100);
         QTest::keyClick(Engine(page).view()->focusProxy(), Qt::Key_Return);
       }, 1100},
      {click("pop"), 1100}};
  int n = 0;
  for (const auto& [act, wait] : users) {
    f.clock.Skip(wait);
    EXPECT_EQ(f.After(act), Fate::Shown) << n++;
  }
  // Appearance: a bare window is a popup only with the option on.
  f.clock.Skip(1100);
  f.settings.RecPPLook = true;
  EXPECT_EQ(f.After(click("bare")), Fate::Blocked);
  f.settings.RecPPLook = false;
  EXPECT_EQ(f.After(click("bare")), Fate::Shown);
  EXPECT_EQ(f.popups->soundsStarted(), 4);
  f.ExpectSound();
}

TEST(PopupsOnEngine, PagesThatOpenWindowsOnTheirOwnAreBlockedInEveryFrame) {
  LocalHttpServer server;
  Serve(server, {{"/onload", OnLoad("Load", "window.open('/p/load')")},
                 {"/timer", OnLoad("Timer", "setTimeout(function(){window.open('/p/timer')},2000)")},
                 {"/under", OnLoad("Under", "window.open('/p/under');window.focus()")},
                 {"/chain", OnLoad("Popup chain", "window.open('/p/second')", "chain")},
                 {"/opener", OnLoad("Opener", "window.open('/chain')")},
                 {"/inner", "<html><body style='margin:0;height:100%' onclick=\"if(event.target===document.body)"
                            "window.open('/p/framebody')\"><button id='btn' style='width:120px;height:40px' "
                            "onclick=\"window.open('/p/inframe')\">in</button><span id='inert'>.</span></body></html>"},
                 {"/frames", "<html><head><title>Frames</title></head><frameset cols='50%,50%'>"
                             "<frame id='left' src='/inner'><frame id='right' src='/inner'></frameset></html>"},
                 {"/iframe", "<html><head><title>IFrame</title></head><body style='margin:0'>"
                             "<iframe id='box' src='/inner' style='width:400px;height:300px;border:0'></iframe>"
                             "</body></html>"}});
  PopupFrame f;
  // From the load handler, from a timer two seconds later, a popunder.
  EXPECT_EQ(f.After([&] { f.Open(server.Url("/onload")); }), Fate::Shown);  // the page itself
  ASSERT_TRUE(WaitFor([&] { return f.sites().size() == 2u; }));
  CKestrelView* popup = f.sites().back();
  ASSERT_TRUE(WaitFor([&] { return popup->popup().blocked && !popup->frame().IsVisible(); }));
  // The notice: a sound, then the Block Popup button flashes (how often: frame_test).
  EXPECT_EQ(f.popups->soundsStarted(), 1);
  f.frame->OnTimer(CMainFrame::kTimerId);
  EXPECT_TRUE(f.window->blockPopupFlashing());
  ASSERT_TRUE(f.OpenLoaded(server.Url("/timer"), "Timer"));
  EXPECT_EQ(f.After([] {}, nullptr, 6000), Fate::Blocked) << "timer";
  // A popunder: it opens, then puts its opener in front; it stays unseen.
  // A blocked popup that opens another gets nothing.
  for (const std::string path : {"/under", "/opener"}) {
    const bool under = path == "/under";
    const std::size_t before = f.sites().size();
    CKestrelView* opener = f.Open(server.Url(path));
    ASSERT_TRUE(WaitFor([&] { return f.sites().size() == before + 2; })) << path;
    CKestrelView* last = f.sites().back();
    ASSERT_TRUE(WaitFor([&] { return last->popup().blocked && opener->frame().IsVisible(); })) << path;
    Pump(1000);
    EXPECT_FALSE(last->frame().IsVisible()) << path;
    EXPECT_EQ(f.sites().size(), before + 2) << path;
    EXPECT_TRUE(under ? f.frame->ActiveView() == opener : last->GetDocumentTitle() == "Popup chain") << path;
  }
  // In a frame the element under the click is looked for inside it; an
  // iframe is not entered: any click on it counts.
  const struct {
    std::string path, title, frame;
    QPoint body;  // a point of the frame's bare body
    Fate fate;
  } framed[] = {{"/frames", "Frames", "left", {200, 400}, Fate::Blocked}, {"/iframe", "IFrame", "box", {300, 250}, Fate::Shown}};
  for (const auto& c : framed) {
    CKestrelView* v = f.OpenLoaded(server.Url(c.path), c.title);
    ASSERT_TRUE(v);
    ASSERT_TRUE(WaitFor([&] {
      return EvalIn(v, "document.getElementById('" + c.frame + "').contentDocument.getElementById('btn')!==null") == "true";
    }));
    f.clock.Skip(1100);
    f.Warm(v, c.frame);
    EXPECT_EQ(f.After([&] { f.ClickOn(v, "btn", c.frame); }), Fate::Shown) << c.path;
    f.clock.Skip(1100);
    EXPECT_EQ(f.After([&] { f.ClickPoint(v, c.body.x(), c.body.y()); }), c.fate) << c.path << ": the bare body";
  }
  f.ExpectSound();
}

TEST(PopupsOnEngine, APageOpeningTwoHundredWindowsIsBlockedAndTheFrameGoesOn) {
  LocalHttpServer server;
  Serve(server, {{"/flood", OnLoad("Flood", "for(var i=0;i<200;i++)window.open('/p/flood'+i)", "flood")}});
  PopupFrame f;
  CKestrelView* page = f.OpenLoaded(server.Url("/flood"), "Flood");
  ASSERT_TRUE(page);
  ASSERT_TRUE(WaitFor([&] { return f.sites().size() == 201u; }, 60000)) << f.sites().size();
  ASSERT_TRUE(WaitFor([&] {
    return std::all_of(f.sites().begin() + 1, f.sites().end(), [](CKestrelView* v) { return v->popup().blocked; });
  }, 60000));
  Pump(500);
  EXPECT_EQ(f.window->tabBar()->count(), 1);
  EXPECT_EQ(f.frame->VisibleSiteCount(), 1);
  // They are gone at the first sweep after a minute, and the page that opened them still answers.
  f.clock.Skip(61000);
  for (int i = 0; i < 20; ++i) f.frame->OnTimer(CMainFrame::kTimerId);
  ASSERT_TRUE(WaitFor([&] { return f.sites().size() == 1u; }, 30000));
  Pump(500);  // the closed sites' windows go once their events have returned
  EXPECT_EQ(EvalIn(page, "1 + 1"), "2");
  f.ExpectSound();
}

}  // namespace
}  // namespace kestrel::test
