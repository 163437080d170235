// Popup blocking over scripted controls: what explains a new window, the
// verdict whichever of the click's answer and the window comes first, the
// lists, the notice, the sweep, restoring and hiding sites.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/page_permission.h"
#include "support/fakes.h"
#include "support/site_world.h"

namespace kestrel {
namespace {

using World = test::PopupWorld;

NewWindowRequest Popup(const std::string& url = "http://popup.example/") {
  NewWindowRequest r;
  r.url = url;
  r.fromScript = true;
  return r;
}

TEST(ClickTracker, TheVerdictIsTheSameWhicheverArrivesFirst) {
  // Each case: a press with its answer, then a window 200 ms later.
  struct Case {
    const char* tag;
    bool textField, right;
    std::int64_t after;
    bool suspect;
  } cases[] = {
      {"div", false, false, 200, false},   {"BUTTON", false, false, 1000, false},
      {"div", false, false, 1001, true},   {"body", false, false, 10, true},
      {"p", false, false, 10, true},       {"input", true, false, 10, true},
      {"input", false, false, 10, false},  {"a", false, false, 60000, false},
      {"div", false, true, 5000, false},   {"div", false, true, 5001, true},
      {"", false, false, 10, false},  // a frame that could not be reached still counts
  };
  for (const Case& c : cases) {
    for (bool answerFirst : {true, false}) {
      ClickTracker t;
      std::vector<bool> verdicts;
      t.Press(7, c.right, 1000);
      if (answerFirst) t.Target(7, c.tag, c.textField);
      t.NewWindow(1000 + c.after, true, [&](bool s) { verdicts.push_back(s); });
      EXPECT_EQ(verdicts.empty(), !answerFirst) << c.tag;
      if (!answerFirst) t.Target(7, c.tag, c.textField);
      ASSERT_EQ(verdicts.size(), 1u) << c.tag;
      EXPECT_EQ(verdicts[0], c.suspect) << c.tag << " after " << c.after << (c.right ? " right" : " left");
      EXPECT_FALSE(t.pending());
    }
  }

  // One link click explains one window; the second is judged by time alone.
  ClickTracker t;
  std::vector<bool> v;
  t.Press(1, false, 0);
  t.NewWindow(5000, true, [&](bool s) { v.push_back(s); });
  t.NewWindow(5001, true, [&](bool s) { v.push_back(s); });
  t.Target(1, "A", false);
  EXPECT_EQ(v, (std::vector<bool>{false, true}));
  // A suspect window withdraws the earlier clicks; a later press counts again.
  t.Press(2, true, 6000);
  t.Target(2, "div", false);
  t.Press(3, false, 6001);
  t.NewWindow(6002, true, [&](bool s) { v.push_back(s); });  // waits for press 3
  t.Target(99, "a", false);                                  // an unknown answer is ignored
  EXPECT_EQ(v.size(), 2u);
  t.Expire(6001 + ClickTracker::kAnswerTimeoutMs - 1);
  EXPECT_EQ(v.size(), 2u);
  t.Expire(6001 + ClickTracker::kAnswerTimeoutMs);  // overdue: counts, tag unknown
  EXPECT_EQ(v, (std::vector<bool>{false, true, false}));
  t.Target(3, "a", false);  // too late to matter
  EXPECT_EQ(t.lastClickTag(), "");

  // Enter is a click on a submit button; Reset withdraws everything; the
  // timing test off never suspects.
  t.Enter(20000);
  EXPECT_EQ(t.lastClickTag(), "input:submit");
  t.Reset();
  EXPECT_EQ(t.lastLeftClick(), ClickTracker::kNever);
  t.NewWindow(20001, false, [&](bool s) { v.push_back(s); });
  EXPECT_FALSE(v.back());

  // A tracker that goes with a window still waiting settles it.
  std::vector<bool> late;
  {
    ClickTracker gone;
    gone.Press(1, false, 0);
    gone.NewWindow(10, true, [&](bool s) { late.push_back(s); });
  }
  EXPECT_EQ(late, (std::vector<bool>{false}));
}

TEST(PopupBlocking, NewWindowsAreJudgedByTheClickTheListsAndTheirLook) {
  World w;
  w.filter.SetBlack({"ads."});
  w.filter.SetWhite({"good"});
  CKestrelView* a = w.Site("http://a.example/", "A");
  auto& ca = w.Control(a);
  // Each case: maybe a press (answered before the window or after it), 300 ms later the window.
  const struct { const char* what; const char* tag; bool late; const char* url; bool bare, look, on, blocked; } cases[] = {
      {"from the load handler, no click", nullptr, false, "http://popup.example/", false, false, true, true},
      {"a click on a button", "button", false, "http://popup.example/", false, false, true, false},
      {"a click answered after the window", "div", true, "http://popup.example/", false, false, true, false},
      {"a click on the bare page", "BODY", true, "http://popup.example/", false, false, true, true},
      {"a black-listed address, even after a click", "a", false, "http://ads.example/", false, false, true, true},
      {"a white-listed one, even without", nullptr, false, "http://ads.example/good", false, false, true, false},
      {"no bars, appearance off", "a", false, "http://popup.example/", true, false, true, false},
      {"no bars, appearance on", "a", false, "http://popup.example/", true, true, true, true},
      {"blocking off, whatever the lists say", nullptr, false, "http://ads.example/", true, true, false, false}};
  int press = 0, blocked = 0;
  test::ScriptedControl* firstBlocked = nullptr;
  CKestrelView* shown = nullptr;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    w.clock.ms += 10000;
    w.settings.RecPPLook = c.look;
    w.settings.AutoClosePopup = c.on;
    if (c.tag) {
      ca.events->OnPointerPress(++press, false);
      if (!c.late) ca.events->OnPointerTarget(press, c.tag, false);
      w.clock.ms += 300;
    }
    NewWindowRequest r = Popup(c.url);
    r.features.toolBar = !c.bare;
    test::ScriptedControl* p = ca.OpenWindow(r, c.what);
    ASSERT_NE(p, nullptr);
    CKestrelView* v = w.frame.NewestSite();
    if (c.late) {
      // It waits unseen for the page to say what was clicked.
      EXPECT_TRUE(v->popup().pending);
      EXPECT_FALSE(w.Child(v).visible);
      ca.events->OnPointerTarget(press, c.tag, false);
    }
    // Blocked: unseen, silent, and noticed with a beep; allowed: shown with a tab.
    EXPECT_EQ(v->popup().blocked, c.blocked);
    EXPECT_EQ(w.Child(v).visible, !c.blocked);
    EXPECT_EQ(p->muted, c.blocked);
    EXPECT_EQ(static_cast<int>(w.sound.played.size()), blocked += c.blocked);
    if (c.blocked && !firstBlocked) firstBlocked = p;
    if (!c.blocked && !shown) shown = v;
  }
  EXPECT_EQ(w.frame.blinkCount(), 0);  // the button flashes on the timer
  // A blocked popup cannot open more.
  const std::size_t n = w.frame.sites().sites().size();
  EXPECT_EQ(firstBlocked->OpenWindow(Popup(), "More"), nullptr);
  EXPECT_EQ(w.frame.sites().sites().size(), n);
  // A visible site that goes to a black-listed address while blocking is on is blocked, but stays in view.
  w.settings.AutoClosePopup = true;
  w.Control(shown).LoadPage("http://ads.example/x", "Now black");
  EXPECT_TRUE(shown->popup().blocked);
  EXPECT_TRUE(w.Child(shown).visible);
}

TEST(PopupBlocking, TheSweepRestoreAndHidingLeaveTheRightSites) {
  World w;
  test::MessageRecorder messages;
  w.settings.AutoClosePopup = true;
  CKestrelView* a = w.Site("http://a.example/", "A");
  w.Control(a).OpenWindow(Popup("http://old.example/"), "Old");
  CKestrelView* old = w.frame.NewestSite();
  w.clock.seconds += 30;
  w.Control(a).OpenWindow(Popup("http://newer.example/"), "Newer");
  CKestrelView* newer = w.frame.NewestSite();
  ASSERT_TRUE(old->popup().blocked && newer->popup().blocked);

  // Hidden Sites: newest first, blocked ones marked for closing.
  auto rows = w.popups.HiddenSites();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].site, newer);
  EXPECT_TRUE(rows[0].autoClose);
  EXPECT_EQ(rows[0].address, "http://newer.example/");

  // The sweep every 20th tick closes only those past 60 s.
  w.clock.seconds += 31;  // old is 61 s old, newer 31 s
  for (int i = 0; i < 19; ++i) w.frame.OnTimer(0);
  EXPECT_TRUE(w.frame.sites().Contains(old));
  w.frame.OnTimer(0);
  EXPECT_FALSE(w.frame.sites().Contains(old));
  EXPECT_TRUE(w.frame.sites().Contains(newer));
  // The blink ran its eight ticks and ended on the button's own image.
  EXPECT_EQ(w.frame.blinkCount(), 8);
  EXPECT_FALSE(w.window.blockAlternate);

  // Restore twice: the newest first, then nothing is left. The answer to the
  // white-list question is yes (the recorder says OK to everything).
  w.Control(a).OpenWindow(Popup("http://third.example/"), "Third");
  CKestrelView* third = w.frame.NewestSite();
  w.frame.OnCommand(ID_RESTORE_LAST_POPUP);
  EXPECT_FALSE(third->popup().blocked);
  EXPECT_TRUE(third->popup().allowed);
  EXPECT_TRUE(w.Child(third).visible);
  EXPECT_FALSE(w.Control(third).muted);
  EXPECT_EQ(w.frame.ActiveView(), third);
  w.frame.OnCommand(ID_RESTORE_LAST_POPUP);
  EXPECT_TRUE(w.Child(newer).visible);
  EXPECT_EQ(w.filter.White(), (std::vector<std::string>{"http://third.example/", "http://newer.example/"}));
  w.frame.OnCommand(ID_RESTORE_LAST_POPUP);
  EXPECT_EQ(messages.messages.back(), "No hidden popup windows found!");
  // A restored site stays allowed, whatever it does next.
  w.settings.RecPPLook = true;
  w.Control(third).features.menuBar = false;
  w.Control(third).LoadPage("http://elsewhere.example/", "Later");
  EXPECT_FALSE(third->popup().blocked);

  // Hide Site: a blank site refuses; the others go off the tab bar and the
  // next one takes over; the last visible one leaves about:blank behind.
  CKestrelView* blank = w.frame.CreateSite();
  w.popups.SetSiteHidden(blank, false);
  EXPECT_EQ(messages.messages.back(), "No need to hide a blank site,  right?");
  EXPECT_FALSE(blank->hiddenByUser());
  w.frame.OnTabSelected(w.frame.tabBar().FindTab(third));
  w.frame.OnCommand(ID_HIDE_SITE);
  EXPECT_TRUE(third->hiddenByUser());
  EXPECT_FALSE(w.Child(third).visible);
  EXPECT_EQ(w.frame.tabBar().FindTab(third), -1);
  EXPECT_NE(w.frame.ActiveView(), third);
  EXPECT_NE(w.frame.ActiveView(), nullptr);
  for (CKestrelView* v : std::vector<CKestrelView*>(w.frame.sites().sites()))
    if (v != third && w.Child(v).visible) w.popups.SetSiteHidden(v, false);
  EXPECT_EQ(w.frame.VisibleSiteCount(), 0);
  w.Control(w.frame.NewestSite()).CompleteNavigation("");  // about:blank, opened in a new site
  EXPECT_EQ(w.frame.VisibleSiteCount(), 1);
  EXPECT_EQ(w.frame.NewestSite()->GetLocationURL(), "about:blank");
  // A hidden site is no popup: the sweep leaves it, Show brings it back.
  w.clock.seconds += 600;
  for (int i = 0; i < 20; ++i) w.frame.OnTimer(0);
  EXPECT_TRUE(w.frame.sites().Contains(third));
  w.popups.SetSiteHidden(third, true);
  EXPECT_TRUE(w.Child(third).visible);
  EXPECT_NE(w.frame.tabBar().FindTab(third), -1);
}

TEST(PopupBlocking, APopupWhoseOpenerClosesIsStillJudged) {
  World w;
  w.settings.AutoClosePopup = true;
  CKestrelView* keep = w.Site("http://keep.example/", "Keep");
  CKestrelView* a = w.Site("http://a.example/", "A");
  (void)keep;
  w.Control(a).events->OnPointerPress(1, false);
  w.Control(a).OpenWindow(Popup(), "Pending");
  CKestrelView* p = w.frame.NewestSite();
  ASSERT_TRUE(p->popup().pending);
  a->Close();
  w.window.RunPosted();
  EXPECT_FALSE(p->popup().pending);
  EXPECT_TRUE(w.Child(p).visible);  // the press counted: the user did click
}

TEST(PopupBlocking, OnlySitesInSightAskAndAWindowOpenedForAFileCloses) {
  World w;
  w.settings.AutoClosePopup = true;
  CKestrelView* a = w.Site("http://a.example/", "A");
  auto& ca = w.Control(a);
  const std::size_t sites = w.frame.sites().sites().size();

  // A window a click opened that only fetched a file goes by itself, once
  // the engine has let go of it; one that showed a page stays.
  auto opened = [&] {
    ca.events->OnPointerPress(1, false);
    ca.events->OnPointerTarget(1, "a", false);
    bool cancel = false;
    NewWindowRequest r = Popup("http://a.example/file.zip");
    r.fromScript = false;
    EXPECT_NE(ca.events->OnNewWindow2(r, cancel), nullptr);
    return w.frame.NewestSite();
  };
  CKestrelView* fetch = opened();
  ASSERT_FALSE(fetch->popup().blocked);
  w.Control(fetch).events->OnDownloadStarted();
  EXPECT_TRUE(w.frame.sites().Contains(fetch));
  w.window.RunPosted();
  EXPECT_FALSE(w.frame.sites().Contains(fetch));
  CKestrelView* page = opened();
  w.Control(page).LoadPage("http://a.example/page", "Page");
  w.Control(page).events->OnDownloadStarted();
  w.window.RunPosted();
  EXPECT_TRUE(w.frame.sites().Contains(page));
  // Nor does the user's own site close, however blank.
  CKestrelView* own = w.frame.CreateSite();
  own->Navigate("http://a.example/other.zip");
  w.Control(own).events->OnDownloadStarted();
  w.window.RunPosted();
  EXPECT_TRUE(w.frame.sites().Contains(own));
  EXPECT_EQ(w.frame.sites().sites().size(), sites + 2);

  // Permissions: asked once per host and kind, then answered from memory.
  const std::string origin = "https://Maps.Example:8443";
  EXPECT_EQ(ca.events->OnPermissionRequest(origin, PagePermission::Geolocation), PermissionAnswer::Ask);
  ca.events->OnPermissionAnswered(origin, PagePermission::Geolocation, true);
  ca.events->OnPermissionAnswered("http://noisy.example", PagePermission::Notifications, false);
  const struct { const char* origin; PagePermission what; PermissionAnswer answer; } asked[] = {
      {"http://maps.example/elsewhere", PagePermission::Geolocation, PermissionAnswer::Allow},
      {"http://maps.example", PagePermission::Camera, PermissionAnswer::Ask},
      {"http://noisy.example:81", PagePermission::Notifications, PermissionAnswer::Block},
      {"http://user@evil.example", PagePermission::Geolocation, PermissionAnswer::Ask},
      {"http://maps.example@evil.example", PagePermission::Geolocation, PermissionAnswer::Ask}};
  for (const auto& c : asked) {
    SCOPED_TRACE(c.origin);
    EXPECT_EQ(w.Control(page).events->OnPermissionRequest(c.origin, c.what), c.answer);
  }
  EXPECT_TRUE(ca.events->OnLoginRequest({}));
  EXPECT_TRUE(ca.events->OnPrintRequest());

  // A blocked popup, or a site the user hid, asks nothing and gets nothing:
  // no permission, no login, no print dialog, no full screen.
  w.clock.ms += 10000;  // long after the last click
  ca.OpenWindow(Popup("http://maps.example/pop"), "Popup");
  CKestrelView* blocked = w.frame.NewestSite();
  ASSERT_TRUE(blocked->popup().blocked);
  CKestrelView* hidden = w.Site("http://maps.example/hide", "Hide");
  hidden->SetHiddenByUser(true);
  for (CKestrelView* v : {blocked, hidden}) {
    BrowserEvents* ev = w.Control(v).events;
    EXPECT_EQ(ev->OnPermissionRequest("http://maps.example", PagePermission::Geolocation), PermissionAnswer::Block);
    EXPECT_EQ(ev->OnPermissionRequest("http://new.example", PagePermission::Microphone), PermissionAnswer::Block);
    EXPECT_FALSE(ev->OnLoginRequest({}));
    EXPECT_FALSE(ev->OnPrintRequest());
    EXPECT_FALSE(ev->OnFullScreenRequest(true));
    EXPECT_TRUE(ev->OnFullScreenRequest(false));  // leaving is always let
  }
  EXPECT_EQ(PermissionQuestion("https://[::1]:8443/x", PagePermission::Notifications),
            "[::1] wants to show notifications.");
  EXPECT_EQ(PermissionQuestion("data:text/html,x", PagePermission::MouseLock),
            "This page wants to hide and lock your mouse pointer.");
}

}  // namespace
}  // namespace kestrel
