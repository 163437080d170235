// Popup blocking on real pages in the real engine: what the user sees of
// each new window (a site with a tab, or nothing but a sound and a flashing
// button), the lists, the sweep, restoring, and a page that floods windows.
#include <gtest/gtest.h>

#include <QWebEnginePage>
#include <httplib.h>

#include "engine/desktop_qt.h"
#include "engine/real_frame.h"
#include "popups/popup_blocker.h"
#include "support/http_server.h"
#include "ui/popup_ui_qt.h"

namespace kestrel::test {
namespace {

// Serves /p/<name> as a small page titled "Popup <name>".
void ServePopups(LocalHttpServer& server) {
  server.server().Get(R"(/p/(\w+))", [](const httplib::Request& req, httplib::Response& res) {
    const std::string name = req.matches[1];
    res.set_content("<html><head><title>Popup " + name + "</title></head><body>" + name + "</body></html>",
                    "text/html");
  });
}

struct PopupFrame : RealFrame {
  CSiteFilter filter;
  QtSound sound;
  QtPopupUi ui{window.get(), nullptr};
  std::unique_ptr<CPopupBlocker> popups;
  PopupFrame() {
    settings.AutoClosePopup = true;
    settings.RecPPTime = true;
    settings.BeepPopup = true;
    popups = std::make_unique<CPopupBlocker>(*frame, filter, settings, sound, ui);
  }
  ~PopupFrame() { popups.reset(); }

  CKestrelView* Load(const std::string& url, const std::string& title) {
    CKestrelView* v = Open(url);
    EXPECT_TRUE(WaitFor([&] { return v->GetDocumentTitle() == title; })) << url;
    EXPECT_TRUE(WaitFor([&] { return !v->control().Busy(); }));
    return v;
  }

  enum class Fate { Shown, Blocked, NoWindow };
  // What became of the window `act` makes the opener ask for.
  Fate After(const std::function<void()>& act, CKestrelView** made = nullptr, int ms = 10000) {
    const std::size_t before = frame->sites().sites().size();
    act();
    if (!WaitFor([&] { return frame->sites().sites().size() > before; }, ms)) return Fate::NoWindow;
    CKestrelView* p = frame->sites().sites().back();
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
    EXPECT_TRUE(WaitFor([&] { return EvalIn(Engine(v), "innerHeight > 400") == "true"; }, 5000));
  }
  // A press where no element is: the page's own body.
  void ClickPoint(CKestrelView* v, int x, int y, Qt::MouseButton b = Qt::LeftButton) {
    Front(v);
    QTest::mouseClick(Engine(v).view()->focusProxy(), b, {}, QPoint(x, y));
  }
  // Offscreen, the engine may drop the first press into a page that has just
  // loaded: a click on nothing in particular comes first, long enough ago
  // to explain nothing.
  void Warm(CKestrelView* v, const std::string& inertId, const std::string& frameId = "") {
    ClickOn(v, inertId, frameId);
    Pump(300);
    clock.Skip(6000);
  }
  void ClickOn(CKestrelView* v, const std::string& id, const std::string& frameId = "",
               Qt::MouseButton b = Qt::LeftButton) {
    Front(v);
    ASSERT_TRUE(ClickElementIn(Engine(v), id, frameId, b)) << id;
  }
};

std::ostream& operator<<(std::ostream& o, PopupFrame::Fate f) {
  return o << (f == PopupFrame::Fate::Shown ? "shown" : f == PopupFrame::Fate::Blocked ? "blocked" : "no window");
}

using Fate = PopupFrame::Fate;

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
  ServePopups(server);
  server.Page("/clicks", kClickPage);
  server.Start();
  PopupFrame f;
  CKestrelView* page = f.Load(server.Url("/clicks"), "Clicks");
  WebEngineControl& c = Engine(page);
  auto click = [&](const char* id, Qt::MouseButton b = Qt::LeftButton) {
    return [&f, page, id, b] { f.ClickOn(page, id, "", b); };
  };

  f.Warm(page, "inert");
  // What does not count: the bare page, a paragraph, a text field.
  EXPECT_EQ(f.After([&] { f.ClickPoint(page, 700, 500); }), Fate::Blocked) << "body";

  EXPECT_EQ(f.After(click("para")), Fate::Blocked);
  CKestrelView* blocked = nullptr;
  EXPECT_EQ(f.After(click("text"), &blocked), Fate::Blocked);
  // Unseen means no tab and no sound from its page.
  EXPECT_EQ(f.frame->tabBar().FindTab(blocked), -1);
  EXPECT_TRUE(Engine(blocked).view()->page()->isAudioMuted());
  EXPECT_EQ(f.popups->soundsStarted(), 3);

  // What does: a button, a div, a link, a right click, a submit button, Enter.
  CKestrelView* shown = nullptr;
  EXPECT_EQ(f.After(click("btn"), &shown), Fate::Shown);
  EXPECT_NE(f.frame->tabBar().FindTab(shown), -1);
  EXPECT_FALSE(Engine(shown).view()->page()->isAudioMuted());
  f.clock.Skip(1100);
  EXPECT_EQ(f.After(click("div")), Fate::Shown);
  f.clock.Skip(1100);
  EXPECT_EQ(f.After(click("link")), Fate::Shown);
  f.clock.Skip(1100);
  EXPECT_EQ(f.After(click("ctx", Qt::RightButton)), Fate::Shown);
  f.clock.Skip(5100);
  EXPECT_EQ(f.After(click("submit")), Fate::Shown);
  f.clock.Skip(1100);
  EXPECT_EQ(f.After([&] {
    f.ClickOn(page, "field");  // a click into the field itself explains nothing
    f.clock.Skip(1100);
    QTest::keyClick(c.view()->focusProxy(), Qt::Key_Return);
  }), Fate::Shown) << "Enter in a form";
  f.clock.Skip(1100);
  // A popunder from a click is still the user's window.
  EXPECT_EQ(f.After(click("pop")), Fate::Shown);

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
  ServePopups(server);
  server.Page("/onload", "<html><head><title>Load</title></head><body onload=\"window.open('/p/load')\">x</body></html>");
  server.Page("/timer", "<html><head><title>Timer</title></head><body onload=\"setTimeout(function(){"
                        "window.open('/p/timer')},2000)\">x</body></html>");
  server.Page("/under", "<html><head><title>Under</title></head><body onload=\"window.open('/p/under');"
                        "window.focus()\">x</body></html>");
  server.Page("/chain", "<html><head><title>Popup chain</title></head><body onload=\"window.open('/p/second')\">"
                        "chain</body></html>");
  server.Page("/opener", "<html><head><title>Opener</title></head><body onload=\"window.open('/chain')\">"
                         "x</body></html>");
  server.Page("/inner", "<html><body style='margin:0;height:100%' onclick=\"if(event.target===document.body)"
                        "window.open('/p/framebody')\"><button id='btn' style='width:120px;height:40px' "
                        "onclick=\"window.open('/p/inframe')\">in</button><span id='inert'>.</span></body></html>");
  server.Page("/frames", "<html><head><title>Frames</title></head><frameset cols='50%,50%'>"
                         "<frame id='left' src='/inner'><frame id='right' src='/inner'></frameset></html>");
  server.Page("/iframe", "<html><head><title>IFrame</title></head><body style='margin:0'>"
                         "<iframe id='box' src='/inner' style='width:400px;height:300px;border:0'></iframe>"
                         "</body></html>");
  server.Start();
  PopupFrame f;

  // From the load handler, from a timer two seconds later, a popunder.
  EXPECT_EQ(f.After([&] { f.Open(server.Url("/onload")); }), Fate::Shown);  // the page itself
  ASSERT_TRUE(WaitFor([&] { return f.frame->sites().sites().size() == 2u; }));
  CKestrelView* popup = f.frame->sites().sites().back();
  ASSERT_TRUE(WaitFor([&] { return popup->popup().blocked; }));
  EXPECT_FALSE(popup->frame().IsVisible());
  // The notice: a sound, then the Block Popup button flashes four times.
  EXPECT_EQ(f.popups->soundsStarted(), 1);
  EXPECT_EQ(f.frame->blinkCount(), 0);
  std::vector<bool> flashes;
  for (int i = 0; i < 9; ++i) {
    f.frame->OnTimer(CMainFrame::kTimerId);
    flashes.push_back(f.window->blockPopupFlashing());
  }
  EXPECT_EQ(flashes, (std::vector<bool>{true, false, true, false, true, false, true, false, false}));

  f.Load(server.Url("/timer"), "Timer");
  CKestrelView* late = nullptr;
  EXPECT_EQ(f.After([] {}, &late, 6000), Fate::Blocked) << "timer";
  // A popunder: it opens, then puts its opener in front; it stays unseen.
  const std::size_t sitesBefore = f.frame->sites().sites().size();
  CKestrelView* underPage = f.Open(server.Url("/under"));
  ASSERT_TRUE(WaitFor([&] { return f.frame->sites().sites().size() == sitesBefore + 2; }));
  CKestrelView* under = f.frame->sites().sites().back();
  ASSERT_TRUE(WaitFor([&] { return under->popup().blocked && underPage->frame().IsVisible(); }));
  Pump(300);
  EXPECT_FALSE(under->frame().IsVisible());
  EXPECT_EQ(f.frame->ActiveView(), underPage);

  // A blocked popup that opens another gets nothing.
  const std::size_t before = f.frame->sites().sites().size();
  f.Open(server.Url("/opener"));
  ASSERT_TRUE(WaitFor([&] { return f.frame->sites().sites().size() == before + 2; }));
  CKestrelView* chain = f.frame->sites().sites().back();
  ASSERT_TRUE(WaitFor([&] { return chain->popup().blocked && chain->GetDocumentTitle() == "Popup chain"; }));
  Pump(1000);
  EXPECT_EQ(f.frame->sites().sites().size(), before + 2);

  // In a frame the element under the click is looked for inside it.
  CKestrelView* frames = f.Load(server.Url("/frames"), "Frames");
  ASSERT_TRUE(WaitFor([&] { return EvalIn(Engine(frames), "document.getElementById('left')"
                                                                       ".contentDocument.getElementById('btn')"
                                                                       "!==null") == "true"; }));
  f.clock.Skip(1100);
  f.Warm(frames, "inert", "left");
  EXPECT_EQ(f.After([&] { f.ClickOn(frames, "btn", "left"); }), Fate::Shown);
  f.clock.Skip(1100);
  EXPECT_EQ(f.After([&] { f.ClickPoint(frames, 200, 400); }), Fate::Blocked) << "a frame's bare body";
  // An iframe is not entered: any click on it counts.
  CKestrelView* iframe = f.Load(server.Url("/iframe"), "IFrame");
  ASSERT_TRUE(WaitFor([&] { return EvalIn(Engine(iframe), "document.getElementById('box')"
                                                                       ".contentDocument.getElementById('btn')"
                                                                       "!==null") == "true"; }));
  f.Warm(iframe, "inert", "box");
  f.clock.Skip(1100);
  EXPECT_EQ(f.After([&] { f.ClickOn(iframe, "btn", "box"); }), Fate::Shown);
  f.clock.Skip(1100);
  EXPECT_EQ(f.After([&] { f.ClickPoint(iframe, 300, 250); }), Fate::Shown) << "an iframe's body";
  f.ExpectSound();
}

TEST(PopupsOnEngine, APageOpeningTwoHundredWindowsIsBlockedAndTheFrameGoesOn) {
  LocalHttpServer server;
  ServePopups(server);
  server.Page("/flood", "<html><head><title>Flood</title></head><body onload=\"for(var i=0;i<200;i++)"
                        "window.open('/p/flood'+i)\">flood</body></html>");
  server.Start();
  PopupFrame f;
  CKestrelView* page = f.Load(server.Url("/flood"), "Flood");
  ASSERT_TRUE(WaitFor([&] { return f.frame->sites().sites().size() == 201u; }, 60000)) << f.frame->sites().sites().size();
  ASSERT_TRUE(WaitFor([&] {
    return std::all_of(f.frame->sites().sites().begin() + 1, f.frame->sites().sites().end(),
                       [](CKestrelView* v) { return v->popup().blocked; });
  }, 60000));
  Pump(500);
  EXPECT_EQ(f.window->tabBar()->count(), 1);
  EXPECT_EQ(f.frame->VisibleSiteCount(), 1);
  // They are gone at the first sweep after a minute, and the page that opened them still answers.
  f.clock.Skip(61000);
  for (int i = 0; i < 20; ++i) f.frame->OnTimer(CMainFrame::kTimerId);
  ASSERT_TRUE(WaitFor([&] { return f.frame->sites().sites().size() == 1u; }, 30000));
  Pump(500);  // the closed sites' windows go once their events have returned
  EXPECT_EQ(EvalIn(Engine(page), "1 + 1"), "2");
  f.ExpectSound();
}

}  // namespace
}  // namespace kestrel::test
