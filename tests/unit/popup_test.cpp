#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "platform/page_permission.h"
#include "platform/window_features.h"
#include "popups/filter_dialog.h"
#include "popups/site_filter.h"
#include "support/fakes.h"
#include "support/list_editor_steps.h"
#include "support/site_world.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using World = test::PopupWorld;

NewWindowRequest Popup(const std::string& url = "http://popup.example/") {
  NewWindowRequest r;
  r.url = url;
  r.fromScript = true;
  return r;
}

// A site's standing in letters: Pending, Blocked, Allowed, Visible, on a Tab, Muted, Hidden by the user.
std::string Standing(World& w, CKestrelView* v) {
  std::string s;
  for (auto [on, letter] : {std::pair{v->popup().pending, 'P'}, {v->popup().blocked, 'B'}, {v->popup().allowed, 'A'},
                            {w.Child(v).visible, 'V'}, {w.frame.tabBar().FindTab(v) != -1, 'T'},
                            {w.Control(v).muted, 'M'}, {v->hiddenByUser(), 'H'}})
    if (on) s += letter;
  return s;
}

TEST(ClickTracker, TheVerdictIsTheSameWhicheverArrivesFirst) {
  // Each case: a press with its answer, then a window `after` ms later.
  const struct { const char* tag; bool textField, right; std::int64_t after; bool suspect; } cases[] = {
      {"div", false, false, 200, false}, {"BUTTON", false, false, 1000, false}, {"div", false, false, 1001, true},
      {"body", false, false, 10, true},  {"p", false, false, 10, true},           {"input", true, false, 10, true},
      {"input", false, false, 10, false}, {"a", false, false, 60000, false},      {"div", false, true, 5000, false},
      {"div", false, true, 5001, true},  {"", false, false, 10, false}};  // a frame that could not be reached still counts
  for (const auto& c : cases) {
    for (bool answerFirst : {true, false}) {
      ClickTracker t;
      std::vector<bool> verdicts;
      t.Press(7, c.right, 1000);
      if (answerFirst) t.Target(7, c.tag, c.textField);
      t.NewWindow(1000 + c.after, true, [&](bool s) { verdicts.push_back(s); });
      EXPECT_EQ(verdicts.empty(), !answerFirst) << c.tag;
      if (!answerFirst) t.Target(7, c.tag, c.textField);
      EXPECT_EQ(verdicts, std::vector<bool>{c.suspect}) << c.tag << " after " << c.after << (c.right ? " right" : "");
      EXPECT_FALSE(t.pending());
    }
  }

  // One link click explains one window; the second is judged by time alone.
  ClickTracker t;
  std::vector<bool> v;
  const auto judge = [&](bool s) { v.push_back(s); };
  t.Press(1, false, 0);
  t.NewWindow(5000, true, judge);
  t.NewWindow(5001, true, judge);
  t.Target(1, "A", false);
  EXPECT_EQ(v, (std::vector<bool>{false, true}));
  // A suspect window withdraws the earlier clicks; a later press counts again.
  t.Press(2, true, 6000);
  t.Target(2, "div", false);
  t.Press(3, false, 6001);
  t.NewWindow(6002, true, judge);  // waits for press 3
  t.Target(99, "a", false);        // an unknown answer is ignored
  t.Expire(6001 + ClickTracker::kAnswerTimeoutMs - 1);
  EXPECT_EQ(v.size(), 2u);
  t.Expire(6001 + ClickTracker::kAnswerTimeoutMs);  // overdue: counts, tag unknown
  EXPECT_EQ(v, (std::vector<bool>{false, true, false}));
  t.Target(3, "a", false);  // too late to matter
  EXPECT_EQ(t.lastClickTag(), "");
  // Enter is a click on a submit button; Reset withdraws everything; the timing test off never suspects.
  t.Enter(20000);
  EXPECT_EQ(t.lastClickTag(), "input:submit");
  t.Reset();
  EXPECT_EQ(t.lastLeftClick(), ClickTracker::kNever);
  t.NewWindow(20001, false, judge);
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
      EXPECT_EQ(Standing(w, v), "P");  // it waits unseen for the page to say what was clicked
      ca.events->OnPointerTarget(press, c.tag, false);
    }
    // Blocked: unseen, silent, and noticed with a beep; allowed: shown with a tab.
    EXPECT_EQ(Standing(w, v), c.blocked ? "BM" : "VT");
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
  const auto open = [&](const char* url) {
    w.Control(a).OpenWindow(Popup(url), url);
    return w.frame.NewestSite();
  };
  CKestrelView* old = open("http://old.example/");
  w.clock.seconds += 30;
  CKestrelView* newer = open("http://newer.example/");
  // Hidden Sites: newest first, blocked ones marked for closing.
  auto rows = w.popups.HiddenSites();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(std::tie(rows[0].site, rows[0].autoClose, rows[0].address),
            std::make_tuple(newer, true, std::string("http://newer.example/")));

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
  CKestrelView* third = open("http://third.example/");
  w.frame.OnCommand(ID_RESTORE_LAST_POPUP);
  EXPECT_EQ(Standing(w, third), "AVT");
  EXPECT_EQ(w.frame.ActiveView(), third);
  w.frame.OnCommand(ID_RESTORE_LAST_POPUP);
  EXPECT_EQ(Standing(w, newer), "AVT");
  EXPECT_EQ(w.filter.White(), (std::vector<std::string>{"http://third.example/", "http://newer.example/"}));
  w.frame.OnCommand(ID_RESTORE_LAST_POPUP);
  EXPECT_EQ(messages.messages.back(), "No hidden popup windows found!");
  // A restored site stays allowed, whatever it does next.
  w.settings.RecPPLook = true;
  w.Control(third).features.menuBar = false;
  w.Control(third).LoadPage("http://elsewhere.example/", "Later");
  EXPECT_FALSE(third->popup().blocked);

  // Hide Site takes the site off the tab bar and the next one takes over.
  w.frame.OnTabSelected(w.frame.tabBar().FindTab(third));
  w.frame.OnCommand(ID_HIDE_SITE);
  EXPECT_EQ(Standing(w, third), "AH");
  EXPECT_NE(w.frame.ActiveView(), third);
  EXPECT_NE(w.frame.ActiveView(), nullptr);
  // A hidden site is no popup: the sweep leaves it, Show brings it back.
  w.clock.seconds += 600;
  for (int i = 0; i < 20; ++i) w.frame.OnTimer(0);
  EXPECT_TRUE(w.frame.sites().Contains(third));
  w.popups.SetSiteHidden(third, true);
  EXPECT_EQ(Standing(w, third), "AVT");
}

TEST(PopupBlocking, APopupWhoseOpenerClosesIsStillJudged) {
  World w;
  w.settings.AutoClosePopup = true;
  w.Site("http://keep.example/", "Keep");
  CKestrelView* a = w.Site("http://a.example/", "A");
  w.Control(a).events->OnPointerPress(1, false);
  w.Control(a).OpenWindow(Popup(), "Pending");
  CKestrelView* p = w.frame.NewestSite();
  ASSERT_TRUE(p->popup().pending);
  a->Close();
  w.window.RunPosted();
  EXPECT_EQ(Standing(w, p), "VT");  // the press counted: the user did click
}

TEST(PopupBlocking, OnlySitesInSightAskAndAWindowOpenedForAFileCloses) {
  World w;
  w.settings.AutoClosePopup = true;
  CKestrelView* a = w.Site("http://a.example/", "A");
  auto& ca = w.Control(a);
  const std::size_t sites = w.frame.sites().sites().size();

  // A window a click opened that only fetched a file goes by itself, once
  // the engine has let go of it; one that showed a page stays, and so does the user's own site.
  auto opened = [&] {
    ca.events->OnPointerPress(1, false);
    ca.events->OnPointerTarget(1, "a", false);
    bool cancel = false;
    NewWindowRequest r = Popup("http://a.example/file.zip");
    r.fromScript = false;
    EXPECT_NE(ca.events->OnNewWindow2(r, cancel), nullptr);
    return w.frame.NewestSite();
  };
  const auto fetched = [&](CKestrelView* v) {
    w.Control(v).events->OnDownloadStarted();
    const bool before = w.frame.sites().Contains(v);
    w.window.RunPosted();
    return std::make_pair(before, w.frame.sites().Contains(v));
  };
  CKestrelView* fetch = opened();
  ASSERT_FALSE(fetch->popup().blocked);
  EXPECT_EQ(fetched(fetch), std::make_pair(true, false));
  CKestrelView* page = opened();
  w.Control(page).LoadPage("http://a.example/page", "Page");
  EXPECT_EQ(fetched(page), std::make_pair(true, true));
  CKestrelView* own = w.frame.CreateSite();
  own->Navigate("http://a.example/other.zip");
  EXPECT_EQ(fetched(own), std::make_pair(true, true));
  EXPECT_EQ(w.frame.sites().sites().size(), sites + 2);

  // Remembered answers per host are checked on the engine.
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
    EXPECT_FALSE(ev->OnLoginRequest({}) || ev->OnPrintRequest() || ev->OnFullScreenRequest(true));
    EXPECT_TRUE(ev->OnFullScreenRequest(false));  // leaving is always let
  }
}

using namespace std::string_literals;
using List = std::vector<std::string>;
using test::MessageRecorder;
using test::PlaySteps;
using test::TempDir;

// Deterministic address-like fragments over a small alphabet, so that
// entries overlap, share prefixes and suffixes, and hit often.
std::string RandomText(std::mt19937& rng, std::size_t maxLength, std::string_view alphabet) {
  std::uniform_int_distribution<std::size_t> len(0, maxLength), pick(0, alphabet.size() - 1);
  std::string s(len(rng), ' ');
  for (char& c : s) c = alphabet[pick(rng)];
  return s;
}

void ExpectSameAsNaive(const List& entries, const List& addresses) {
  const SubstringMatcher matcher(entries);
  for (const std::string& a : addresses)
    ASSERT_EQ(matcher.Matches(a), NaiveListMatch(entries, a)) << "address \"" << a << "\", " << entries.size()
                                                               << " entries, first \"" << entries.front() << "\"";
}

TEST(SubstringMatcher, AgreesWithTheNaiveScanOnHostileLists) {
  // Case counts; the empty entry is in every address, the empty one too; no entries match nothing.
  const struct { List entries; std::string address; bool hit; } known[] = {
      {{"abc"}, "http://x.example/?q=abc", true}, {{"ABC"}, "http://abc.example/", false},
      {{"zzz", ""}, "", true}, {{""}, "http://any.example/", true}, {{}, "", false}, {{"x"}, "", false}};
  for (const auto& k : known) {
    EXPECT_EQ(SubstringMatcher(k.entries).Matches(k.address), k.hit) << k.address;
    EXPECT_EQ(NaiveListMatch(k.entries, k.address), k.hit) << k.address;
  }
  EXPECT_FALSE(SubstringMatcher().Matches("http://any.example/"));

  // Failure links and entries inside each other come up often in the random lists below; these are what they lack.
  const std::pair<List, List> lists[] = {
      // Duplicates, bytes above 127, a NUL inside an entry and the address.
      {{"\xc3\xa4", "\xff\xfe", "a\0b"s, "\xff\xfe"}, {"\xc3\x84", "x\xc3\xa4x", "\xfe\xff", "\xff\xfe", "a\0b"s, "ab"}},
      // A very long entry against addresses that almost hold it.
      {{std::string(10000, 'a') + "b", "ab" + std::string(50, 'c')},
       {std::string(20000, 'a') + "b", std::string(20000, 'a'), std::string(9999, 'a') + "b",
        std::string(30000, 'a') + "c"}}};
  for (const auto& [entries, addresses] : lists) ExpectSameAsNaive(entries, addresses);

  // Random lists over small alphabets, with bytes of every kind.
  std::mt19937 rng(20240611);
  const std::string_view alphabets[] = {"ab", "abc", "aA./", "a\x80\xff\x01"};
  for (int round = 0; round < 400; ++round) {
    const std::string_view alphabet = alphabets[round % 4];
    List entries, addresses;
    for (int i = 0; i < 1 + round % 23; ++i) {
      std::string e = RandomText(rng, 6, alphabet);
      entries.push_back(e.empty() ? std::string(1, alphabet[0]) + "b" : e);
    }
    for (int i = 0; i < 40; ++i) addresses.push_back(RandomText(rng, 30, alphabet));
    ExpectSameAsNaive(entries, addresses);
  }

  // No wide table per node, which would take gigabytes for a long list; the
  // hundred thousand entries and the time they take: bench/filter_scale_bench.cpp.
  List many;
  std::size_t bytes = 0;
  for (int i = 0; i < 20000; ++i) bytes += many.emplace_back(RandomText(rng, 20, "abcdefghij./-") + std::to_string(i)).size();
  EXPECT_LE(SubstringMatcher(many).memoryBytes(), 12 * bytes);
}

CSiteFilter Preset() {
  CSiteFilter f;
  f.SetBlack({"old-black"});
  f.SetWhite({"old-white"});
  return f;
}

TEST(SiteFilterFile, ReadingRulesAndTheMatchersFollowingEveryChange) {
  // Line ends, binary bytes, NULs, lines at the limit and past it, missing and unreadable files: hostile_inputs_test.
  TempDir dir;
  const List oldB{"old-black"}, oldW{"old-white"};
  const struct { std::string content; List black, white; } cases[] = {
      {"[include]\nads.\n  pop \n\n[exclude]\ngood\n", {"ads.", "pop"}, {"good"}},
      // Empty lines before the headers; a header is trimmed but exact in case.
      {"\n \t\n [include]\na\n\n\n\n[exclude] \nw\n", {"a"}, {"w"}},
      {"[INCLUDE]\na\n\n[exclude]\nw\n", oldB, oldW},
      // Starting with the white list's header, or anything else, loads nothing.
      {"[exclude]\nw\n\n[include]\na\n", oldB, oldW}, {"junk\n[include]\na\n", oldB, oldW},
      {std::string(kFilterLineLimit + 1, ' ') + "x\n[include]\na\n", oldB, oldW}, {"\0[include]\na\n"s, oldB, oldW},
      // No white list section: the black list is read, the white one kept.
      {"[include]\na\nb", {"a", "b"}, oldW}, {"[include]\na\n\nsomething\n[exclude]\nw\n", {"a"}, oldW},
      {"[include]\n", {}, oldW}, {"[include]\n\n[exclude]\n", {}, {}},
      // Headers where entries belong are entries; a repeated section is ignored.
      {"[include]\n[include]\na\n[exclude]\nw\n", {"[include]", "a", "[exclude]", "w"}, oldW}, {"[include]\na\n\n[include]\nb\n", {"a"}, oldW},
      {"[include]\na\n\n[exclude]\nw\n\n[exclude]\nv\n[include]\nz\n", {"a"}, {"w"}},
      // The white list skips over-long and NUL lines as the black one does.
      {"[include]\n\n[exclude]\n" + std::string(kFilterLineLimit + 1, 'x') + "\n\0\nw\n"s, {}, {"w"}}};
  for (const auto& c : cases) {
    dir.write("filter.dat", c.content);
    CSiteFilter f = Preset();
    f.LoadSiteFilter(dir.file("filter.dat"));
    EXPECT_EQ(std::tie(f.Black(), f.White()), std::tie(c.black, c.white)) << c.content.substr(0, 80);
  }

  // A missing file or a folder in its place changes nothing.
  CSiteFilter f = Preset();
  f.LoadSiteFilter(dir.file("missing.dat"));
  f.LoadSiteFilter(dir.path());
  EXPECT_EQ(std::tie(f.Black(), f.White()), std::tie(oldB, oldW));
  // Loading, setting and appending replace the matchers too, each list apart.
  const auto matches = [&](const char* url) {
    return std::string(f.BlackListMatch(url) ? "B" : "") + (f.WhiteListMatch(url) ? "W" : "");
  };
  dir.write("filter.dat", "[include]\nnew-black\n\n[exclude]\nnew-white\n");
  EXPECT_EQ(matches("http://old-black/"), "B");
  f.LoadSiteFilter(dir.file("filter.dat"));
  EXPECT_EQ(matches("http://old-black/") + "|" + matches("http://new-black/") + "|" + matches("http://new-white/"), "|B|W");
  f.SetBlack({"pop"});
  f.AppendWhite("x.example");
  f.AppendBlack("ads.");
  EXPECT_EQ(matches("http://new-black/") + "|" + matches("http://x.example/pop") + "|" + matches("http://ads.example/"),
            "|BW|B");
  f.SetWhite({});
  EXPECT_EQ(matches("http://x.example/pop"), "B");
}

TEST(SiteFilterFile, SaveWritesTheFormatAndReadsBack) {
  TempDir dir;
  const std::string path = dir.file("filter.dat");
  auto roundTrip = [&](const List& black, const List& white, const List& blackBack, const List& whiteBack) {
    CSiteFilter f;
    f.SetBlack(black);
    f.SetWhite(white);
    ASSERT_TRUE(f.SaveSiteFilter(path));
    CSiteFilter back = Preset();
    back.LoadSiteFilter(path);
    EXPECT_EQ(std::tie(back.Black(), back.White()), std::tie(blackBack, whiteBack));
  };
  const List black{"ads.", "[exclude]", "x y", "\x01\xff bytes", "ads."}, white{"[include]", "good.example"};
  roundTrip(black, white, black, white);
  EXPECT_EQ(dir.read("filter.dat"),
            "[include]\nads.\n[exclude]\nx y\n\x01\xff bytes\nads.\n\n[exclude]\n[include]\ngood.example\n");
  // Empty lists still give both headers, and read back empty.
  roundTrip({}, {}, {}, {});
  EXPECT_EQ(dir.read("filter.dat"), "[include]\n\n[exclude]\n");

  // Entries the file cannot hold are left out rather than breaking it:
  // empty or blank ones would end the section, line breaks and NULs would
  // split or cut the entry. Surrounding blanks are lost on reading; an
  // over-long entry is kept as its first kFilterLineLimit bytes.
  const std::string huge = std::string(kFilterLineLimit, 'h') + "tail";
  roundTrip({"a", "", "   ", "one\ntwo", "cr\rx", "nul\0x"s, std::string(kFilterLineLimit, ' ') + "x", " pad ", huge,
             "z"},
            {"", "w"}, {"a", "pad", std::string(kFilterLineLimit, 'h'), "z"}, {"w"});
  EXPECT_EQ(StoredFilterLine("a\0b"s), std::nullopt);
  EXPECT_EQ(StoredFilterLine(" pad "), " pad ");
}

TEST(FilterDialog, AddRemoveAndChangeKeepTheRowsSortedAndASensibleSelection) {
  FilterDialogModel m;
  m.Open({"ads.", "pop"});
  // Refused texts stay in the field for the user to fix; the selection stays on "pop".
  PlaySteps(m, {{"select 1", {}, false, "ads.|pop", "1", "pop"},
                {"add", {"ADS."}, false, "ads.|pop", "1", "ADS.", kFilterExists},
                {"add", {"  Pop\t"}, false, "ads.|pop", "1", "  Pop\t", kFilterExists},
                {"add", {""}, false, "ads.|pop", "1", "", kFilterEmpty}, {"add", {" \t \r"}, false, "ads.|pop", "1", " \t \r", kFilterEmpty},
                {"add", {"a\nb"}, false, "ads.|pop", "1", "a\nb", kFilterLineBreak},
                {"add", {"a\0b"s}, false, "ads.|pop", "1", "a\0b"s, kFilterLineBreak},
                // Trimmed, sorted in, the field cleared; a longer or shorter text is no duplicate.
                {"add", {"  Banner "}, true, "ads.|Banner|pop", "2", ""},
                {"add", {"ads"}, true, "ads|ads.|Banner|pop", "3", ""}});
  // Each removal selects the row that took its place, or the new last one.
  m.Open({"a", "b", "c"});
  PlaySteps(m, {{"select 1", {}, false, "a|b|c", "1", "b"}, {"remove", {}, true, "a|c", "1", "c"},
                {"remove", {}, true, "a", "0", "a"},       {"remove", {}, true, "", "", ""},
                {"remove", {}, false, "", "", ""},         {"change", {"x"}, false, "", "", "x"}});
  // Change needs a selection; the selected row itself may change case; a changed row is sorted anew and stays selected.
  m.Open({"ads.", "pop", "track"});
  PlaySteps(m, {{"select", {}, false, "ads.|pop|track", "", "ads."}, {"change", {"new"}, false, "ads.|pop|track", "", "new"},
                {"select 0", {}, false, "ads.|pop|track", "0", "ads."},
                {"change", {"TRACK"}, false, "ads.|pop|track", "0", "TRACK", kFilterExists},
                {"change", {"   "}, false, "ads.|pop|track", "0", "   ", kFilterEmpty},
                {"change", {"ADS."}, true, "ADS.|pop|track", "0", "ADS."},
                {"change", {" zebra "}, true, "pop|track|zebra", "2", "zebra"}});
}

TEST(AddSiteToFilter, HostNamesAsAUrlParserGivesThem) {
  const std::pair<std::string, std::string> cases[] = {
      {"http://www.example.com/path?q=1", "www.example.com"}, {"HTTP://X.example", "x.example"},
      {"https://user:pw@Sub.Example.COM:8443/x", "sub.example.com"}, {"http://a@b@c.example/", "c.example"},
      {"http://host.example?q", "host.example"},            {"http://host.example#frag", "host.example"},
      {"http://host.example:/", "host.example"},            {"http://[2001:DB8::1]:8080/x", "[2001:db8::1]"},
      {"http://[fe80::1%25eth0]/", "[fe80::1%25eth0]"},     {"http://evil.example\\@good.example/", "evil.example"},
      {"ftp://files.example/pub", "files.example"},         {"http://host:abc/", ""},
      {"http://[::1/", ""},       {"http://[]/", ""},       {"http://[::1]x/", ""},       {"http://a b.example/", ""},
      {"http://user@/", ""},      {"http://", ""},          {"http:/x.example/", ""},     {"file:///etc/passwd", ""},
      {"mailto:me@example.org", ""}, {"example.org", ""},   {"1http://x.example/", ""},   {"", ""}};
  for (const auto& [url, host] : cases) EXPECT_EQ(UrlHostName(url), host) << url;
  EXPECT_EQ(SiteFilterEntry("about:blank", false), "");
  EXPECT_EQ(SiteFilterEntry("http://a.example/b", false), "http://a.example/b");
}

TEST(AddSiteToFilter, AppendsTheAddressOrItsHost) {
  MessageRecorder messages;
  CSiteFilter filter;
  int asked = 0;
  bool answer = true, domain = false, closeNow = false;
  const AddToListAsk ask = [&](bool, const std::string&, bool& entireDomain, bool& close) {
    ++asked;
    entireDomain = domain;
    close = closeNow;
    return answer;
  };
  // Each step: the answers, the list and address; then whether the site is to close, and the list afterwards.
  const std::string page = "http://Pop.example:81/win?id=7";
  const struct { bool answer, domain, close, black; std::string address; bool closes; List after; int asked; } steps[] = {
      // Not for about: pages, nor for a site without an address.
      {true, false, false, true, "about:blank", false, {}, 0},
      {true, false, false, false, "", false, {}, 0},
      // The whole address, twice: no duplicate check here; "close now" has no effect on the white list.
      {true, false, false, false, page, false, {page}, 1},
      {true, false, true, false, page, false, {page, page}, 2},
      // Cancel adds nothing and closes nothing.
      {false, false, true, true, page, false, {}, 3},
      // The entire domain: every page of the host and any address holding it.
      {true, true, true, true, "https://u@ads.example:8443/x", true, {"ads.example"}, 4},
      {true, true, false, true, "http://[::1]:8080/", false, {"ads.example", "[::1]"}, 5},
      // No host to add: said so, nothing appended (an empty entry matches all).
      {true, true, true, true, "file:///home/me/page.html", true, {"ads.example", "[::1]"}, 6}};
  for (const auto& s : steps) {
    answer = s.answer, domain = s.domain, closeNow = s.close;
    EXPECT_EQ(AddSiteToFilter(filter, s.black, s.address, ask), s.closes) << s.address;
    EXPECT_EQ(s.black ? filter.Black() : filter.White(), s.after) << s.address;
    EXPECT_EQ(asked, s.asked) << s.address;
  }
  EXPECT_TRUE(filter.WhiteListMatch(page));
  EXPECT_TRUE(filter.BlackListMatch("http://ads.example/other"));
  EXPECT_TRUE(filter.BlackListMatch("http://x.example/?ref=ads.example"));
  EXPECT_FALSE(filter.BlackListMatch("http://unrelated.example/"));
  EXPECT_EQ(messages.messages, (List{kFilterNoHost}));
}

// The bars as letters and the four sizes, for one comparison per case.
std::string Shown(const WindowFeatures& f) {
  return std::string(f.menuBar ? "M" : "-") + (f.toolBar ? "T" : "-") + (f.addressBar ? "A" : "-") +
         (f.statusBar ? "S" : "-") + (f.resizable ? "R" : "-") + " " + std::to_string(f.left) + "," +
         std::to_string(f.top) + " " + std::to_string(f.width) + "x" + std::to_string(f.height);
}

TEST(WindowFeatures, BarsAreOnOnlyWhenTheTextAsksAndSizesOnlyWhenSound) {
  EXPECT_EQ(Shown(ParseWindowFeatures(std::nullopt)), "MTASR -1,-1 -1x-1");  // a link: every bar
  const std::pair<const char*, const char*> cases[] = {
      // Nothing but separators is no text; any text turns the bars it does not name off.
      {"", "MTASR -1,-1 -1x-1"}, {" , ,\t", "MTASR -1,-1 -1x-1"}, {"width=300", "----- -1,-1 300x-1"},
      {"menubar,toolbar=yes,location=1,status=2,resizable=YES", "MTASR -1,-1 -1x-1"},
      {"MenuBar = yes  toolbar=0 location=no", "M---- -1,-1 -1x-1"}, {"toolbar=, location=0.5", "-TA-- -1,-1 -1x-1"},
      // Unknown names and junk change nothing else.
      {"=,==,foo=bar,\x01\xff,menubar", "M---- -1,-1 -1x-1"},
      {"left=10,top=20,width=300,height=200", "----- 10,20 300x200"},
      {"screenX=5,screenY=6,innerWidth=7,innerHeight=8", "----- 5,6 7x8"},
      {"width=-5,height=99999999999999999999,left=abc,top=", "----- -1,-1 -1x-1"},
      {"width=1,width=2", "----- -1,-1 2x-1"}};  // the last mention wins
  for (const auto& [text, shown] : cases) EXPECT_EQ(Shown(ParseWindowFeatures(text)), shown) << text;
  // A huge features text is read to its end (other hostile texts: hostile_inputs_test).
  std::string big;
  for (int i = 0; i < 20000; ++i) big += "toolbar=no,";
  EXPECT_TRUE(ParseWindowFeatures(big + "toolbar=yes").toolBar);
}

}  // namespace
}  // namespace kestrel
