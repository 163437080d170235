// Typed text and where it goes: the resolver, the Address Bar and its typed
// list, aliases and their dialog, search engines and the query history.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <regex>
#include <tuple>

#include "address/address_bar.h"
#include "address/alias_dialog.h"
#include "address/resolver.h"
#include "address/search_engines.h"
#include "address/typed_urls.h"
#include "common/deferred_tasks.h"
#include "platform/address_fixup.h"
#include "platform/profile_file.h"
#include "support/fakes.h"
#include "support/list_editor_steps.h"
#include "support/site_world.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using namespace std::string_literals;
using Kind = Resolution::Kind;
using Strings = std::vector<std::string>;
using Entries = std::vector<AliasEntry>;
using test::MessageRecorder;
using test::PlaySteps;
using test::TempDir;
const std::string kSearch = kWebSearchBase;

AliasList Aliases(std::vector<AliasEntry> entries) {
  AliasList list;
  list.Replace(std::move(entries));
  return list;
}

TEST(Resolve, EachStepInItsOrder) {
  const AliasList none;
  const struct { const char* text; Kind kind; std::string result; int folder = -1; } cases[] = {
      // Shell-folder keywords, any letter case, the whole text only.
      {"desktop", Kind::Folder, "", 0}, {"DeskTop", Kind::Folder, "", 0}, {"my computer", Kind::Folder, "", 17},
      {"progam files", Kind::Folder, "", 38}, {"recbin", Kind::Folder, "", 10},
      {"desktop now", Kind::Address, kSearch + PercentEncode("desktop now")},
      {"program files", Kind::Address, kSearch + PercentEncode("program files")},
      // Built-in commands take the rest of the text, trimmed; inner blanks stay.
      {"google    two  words", Kind::Address, kSearch + PercentEncode("two  words")}, {"GOOGLE", Kind::Address, kSearch},
      {"autologin  My Bank", Kind::AutoLogin, "My Bank"}, {"opengroup Morning news", Kind::OpenGroup, "Morning news"},
      {"Script\tclean up", Kind::Script, "clean up"}, {"googled", Kind::Address, "http://www.googled.com"},
      // Plain words become web addresses; anything else that is no address is searched.
      {"kestrel_2", Kind::Address, "http://www.kestrel_2.com"}, {"my-site", Kind::Address, kSearch + "my-site"},
      {"caf\xc3\xa9", Kind::Address, kSearch + "caf%C3%A9"},
      {"what is 1+1?", Kind::Address, kSearch + "what%20is%201%2B1%3F"},  // "+" would be a blank
      // Addresses go as typed.
      {"localhost:8080", Kind::Address, "localhost:8080"}, {"a.b", Kind::Address, "a.b"},
      {"\\\\server\\share", Kind::Address, "\\\\server\\share"}, {"c:\\dir", Kind::Address, "c:\\dir"},
      {"javascript:alert(1)", Kind::Address, "javascript:alert(1)"}};
  for (const auto& c : cases) {
    const Resolution r = ResolveTypedText(c.text, none);
    EXPECT_EQ(std::tie(r.kind, r.text, r.folder), std::tie(c.kind, c.result, c.folder)) << c.text;
  }

  // Aliases come first, are expanded once, and keywords are tried on the expansion (which entry: AliasLookup).
  AliasList aliases = Aliases({{"mc", "mycom"}, {"a", "b"}, {"b", "x.example"}, {"srch", "google kestrel browser"}});
  EXPECT_EQ(ResolveTypedText("MC", aliases).folder, 17);
  EXPECT_EQ(ResolveTypedText("a", aliases).text, "http://www.b.com");
  EXPECT_EQ(ResolveTypedText("srch", aliases).text, kSearch + "kestrel%20browser");
  EXPECT_EQ(ResolveTypedText("mc now", aliases).text, kSearch + "mc%20now");
}

TEST(Resolve, TablesAgreeWordTestsAndUnsafeAddresses) {
  // Every shortcut types a keyword the folder table knows; the keyword is the whole text.
  for (const ShortcutCommand& s : ShortcutCommands()) EXPECT_GE(ShellFolderOf(s.keyword), 0) << s.keyword;
  EXPECT_EQ(ShortcutKeyword(32927), nullptr);  // inside the range, but no shortcut
  EXPECT_EQ(ShellFolderOf("my computer "), -1);
  EXPECT_TRUE(IsPlainWord("_") && !IsPlainWord("") && !IsPlainWord("a b"));
  EXPECT_TRUE(LooksLikeAddress("x:") && LooksLikeAddress("\\\\x") && !LooksLikeAddress("") && !LooksLikeAddress("\\x"));

  using S = AddressSafety;
  const auto user = TypedSource::User, other = TypedSource::OtherProcess;
  const struct { std::string address; TypedSource source; S safety; } cases[] = {
      {"http://a.example/", other, S::Open}, {"javascript:alert(1)", user, S::Refuse},
      {"JavaScript:x", other, S::Refuse}, {"vbscript:msgbox", user, S::Refuse}, {"  javascript:void(0)", other, S::Refuse},
      {"\" javascript:alert(1)\"", other, S::Refuse},
      // A data: page is the user's own; from another process it gets a site of its own.
      {"data:text/html,<b>hi</b>", user, S::Open}, {"DATA:text/html,x", other, S::OpenInNewSite},
      // "javascript" only as a scheme: a search for the word is fine, and so is a pasted cell's tab.
      {kSearch + "javascript:tutorial", user, S::Open}, {kSearch + "a\tb", user, S::Open},
      {std::string("a.example\0b", 11), user, S::Refuse}, {"a\x01.example", user, S::Refuse},
      {"a\x7f.example", user, S::Refuse}};
  for (const auto& c : cases) EXPECT_EQ(CheckTypedAddress(c.address, c.source), c.safety) << c.address;
}

TEST(Resolve, TargetSiteRule) {
  // (has active, active blank, ctrl, shift, AutoNew) -> new site
  EXPECT_TRUE(ChooseNewSite(false, false, false, false, false));
  for (bool blank : {false, true})
    for (bool shift : {false, true})
      for (bool autoNew : {false, true}) {
        EXPECT_TRUE(ChooseNewSite(true, blank, true, shift, autoNew));  // Ctrl always opens a new site
        EXPECT_EQ(ChooseNewSite(true, blank, false, shift, autoNew), blank ? (shift && !autoNew) : (shift != autoNew))
            << blank << shift << autoNew;
      }
}

TEST(Resolve, AddressFixupAsTheControlDoes) {
  const std::pair<const char*, const char*> cases[] = {
      {"https://x.example/a?b", "https://x.example/a?b"}, {"about:blank", "about:blank"},
      {"example.org", "http://example.org"}, {"localhost:8080/x", "http://localhost:8080/x"},
      {"/home/u/page.html", "file:///home/u/page.html"}, {"\"/home/u/my page.html\"", "file:///home/u/my page.html"},
      {"\\\\server\\share\\doc.txt", "smb://server/share/doc.txt"}, {"C:\\dir\\x.htm", "file:///C:/dir/x.htm"},
      {"\"\"", ""}, {"  ", ""}};
  for (const auto& [typed, fixed] : cases) EXPECT_EQ(FixupAddress(typed), fixed) << typed;
}

// A frame with fake sites; every navigation is listed as "site-index address".
struct ResolverHarness : test::SiteWorld {
  AliasList aliases;
  CAddressResolver resolver{frame, aliases};
  test::FakeDialogs dialogs;

  ResolverHarness() {
    resolver.folderAddress = [](int folder) { return folder == 4 ? "" : "file:///folders/" + std::to_string(folder); };
    SetMessagePresenter(&dialogs);
  }
  ~ResolverHarness() { SetMessagePresenter(nullptr); }

  // The first site, shown and active, holding `url` (or blank).
  CKestrelView* Start(const std::string& url = "") {
    CKestrelView* v = frame.CreateSite();
    if (!url.empty()) parts.controls.back()->LoadPage(url, "Page");
    frame.OnSiteActivated(&v->frame().window());
    return v;
  }
  Strings Navigations() const {
    Strings out;
    for (std::size_t i = 0; i < parts.controls.size(); ++i)
      for (const std::string& c : parts.controls[i]->calls)
        if (c.starts_with("Navigate2 ")) out.push_back(std::to_string(i) + " " + c.substr(10));
    return out;
  }
};

TEST(OpenTyped, LastRepeatsTheRawTextIncludingItsAlias) {
  ResolverHarness h;
  h.Start();
  EXPECT_FALSE(h.resolver.OpenTypedText("  last  ") || h.resolver.OpenTypedText(" \t\r\n"));  // nothing to repeat
  EXPECT_TRUE(h.Navigations().empty());

  h.aliases.Replace({{"k", "kestrel.example"}});
  EXPECT_TRUE(h.resolver.OpenTypedText("  k "));
  EXPECT_EQ(h.resolver.lastTyped(), "k");
  h.parts.controls[0]->CompleteNavigation("Kestrel");
  // The alias changes; "last" repeats "k", which now expands to the new text.
  h.aliases.Replace({{"k", "other.example"}});
  h.settings.AutoNew = 0;
  EXPECT_TRUE(h.resolver.OpenTypedText("LAST"));
  EXPECT_EQ(h.resolver.lastTyped(), "k");
  EXPECT_EQ(h.Navigations(), (Strings{"0 kestrel.example", "0 other.example"}));

  // Shortcut commands type their keyword and so are overridden by an alias.
  h.aliases.Replace({{"desktop", "desk.example"}});
  EXPECT_TRUE(h.resolver.OpenTypedText(ShortcutKeyword(32918)));
  EXPECT_EQ(h.Navigations().back(), "0 desk.example");
  h.aliases.Replace({});
  EXPECT_TRUE(h.resolver.OpenTypedText("desktop"));
  EXPECT_EQ(h.Navigations().back(), "0 file:///folders/0");
  // A folder this desktop lacks opens nothing and leaves no empty site behind.
  h.settings.AutoNew = 1;
  const std::size_t sites = h.frame.sites().sites().size();
  EXPECT_TRUE(h.resolver.OpenTypedText("printers"));
  EXPECT_EQ(h.frame.sites().sites().size(), sites);
  EXPECT_EQ(h.window.statusText, "This desktop has no such folder.");
}

TEST(OpenTyped, LinesEachChooseTheirSite) {
  ResolverHarness h;
  h.Start();  // blank
  h.settings.AutoNew = 1;
  // The first line takes the blank site; the others get new ones.
  EXPECT_TRUE(h.resolver.OpenTypedLines("\n one.example \r\n\n\t\ntwo.example\nthree"));
  EXPECT_EQ(h.Navigations(), (Strings{"0 one.example", "1 two.example", "2 http://www.three.com"}));
  // The keys reach the site rule (TargetSiteRule) through real key events in the engine's Address Bar test.

  // Built-in commands nobody has taken yet say so and open nothing.
  EXPECT_TRUE(h.resolver.OpenTypedText("autologin My Bank"));
  EXPECT_EQ(h.window.statusText, "AutoLogin is not available in this version.");
  std::string group;
  h.resolver.openGroup = [&](const std::string& name) { group = name; };
  EXPECT_TRUE(h.resolver.OpenTypedText("opengroup  Morning "));
  EXPECT_EQ(group, "Morning");
  EXPECT_EQ(h.Navigations().size(), 3u);
}

TEST(OpenTyped, ManyLinesOpenOnePerTurnInTheOrderGivenWithTheKeysHeldThen) {
  ResolverHarness h;
  h.Start();  // blank
  h.settings.AutoNew = 1;
  std::deque<std::function<void()>> turns;
  DeferredTasks later([&](std::function<void()> task) { turns.push_back(std::move(task)); });
  h.resolver.defer = [&](std::function<void()> task) { later.Push(std::move(task)); };
  // A line that opens lines of its own opens them before the next line of its text.
  h.resolver.openGroup = [&](const std::string&) { h.resolver.OpenTypedLines("g1.example\ng2.example"); };
  h.keys.ctrl = true;  // held as the text is given, let go before its later lines open
  h.resolver.OpenTypedLines("\none.example\nopengroup G\nthree.example");
  h.keys.ctrl = false;
  // Only the first has its site yet: its request goes out before the others are made.
  EXPECT_EQ(h.Navigations(), (Strings{"1 one.example"}));
  EXPECT_EQ(h.frame.sites().sites().size(), 2u);
  h.resolver.OpenTypedLines("four.example");  // a text given meanwhile waits for the first
  EXPECT_EQ(h.Navigations().size(), 1u);
  for (int turn = 0; !turns.empty(); ++turn) {
    ASSERT_LT(turn, 10);
    std::function<void()> task = std::move(turns.front());
    turns.pop_front();
    task();
  }
  // Ctrl opened each line of the first text in a new site; the last text took the blank one.
  EXPECT_EQ(h.Navigations(),
            (Strings{"0 four.example", "1 one.example", "2 g1.example", "3 g2.example", "4 three.example"}));
}

TEST(OpenTyped, HostileTextIsRefusedOrBoundedAndNeverRunsScript) {
  ResolverHarness h;
  CKestrelView* page = h.Start("http://bank.example/");
  h.settings.AutoNew = 0;  // everything would land in the page the user is reading
  h.resolver.OpenTypedLines("javascript:document.cookie\nvbscript:x\n" + std::string("a\0b.example", 11),
                            TypedSource::OtherProcess);
  h.resolver.OpenTypedText("javascript:alert(1)", TypedSource::User);
  EXPECT_TRUE(h.Navigations().empty());
  EXPECT_EQ(h.window.statusText, "This address is not opened from typed text.");

  // A data: page from another process gets a site of its own.
  h.resolver.OpenTypedLines("data:text/html,<h1>Bank</h1>", TypedSource::OtherProcess);
  EXPECT_EQ(h.Navigations(), (Strings{"1 data:text/html,<h1>Bank</h1>"}));
  EXPECT_EQ(page->GetLocationURL(), "http://bank.example/");

  // A megabyte is opened (the engine takes up to 2 MiB); past that it is refused.
  const std::string mb(1 << 20, 'w');
  h.resolver.OpenTypedText(mb);
  h.resolver.OpenTypedText(std::string(3 << 20, 'x') + ".example");
  const Strings nav = h.Navigations();
  ASSERT_EQ(nav.size(), 2u);
  EXPECT_TRUE(nav[0] == "0 http://www." + mb + ".com") << nav[0].size();  // not printed: a megabyte
}

TEST(OpenTyped, AThousandLinesAskFirstAndStopAtTheSiteLimit) {
  ResolverHarness h;
  h.Start();
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "site" + std::to_string(i) + ".example\n";
  std::size_t asked = 0;
  h.resolver.confirmMany = [&](std::size_t lines) { return asked = lines, false; };
  EXPECT_TRUE(h.resolver.OpenTypedLines(text));
  EXPECT_TRUE(asked == 1000u && h.Navigations().empty()) << asked;
  // Twenty lines open without a question; blank lines do not count.
  asked = 0;
  std::string twenty;
  for (int i = 0; i < 20; ++i) twenty += "  \n s" + std::to_string(i) + ".example";
  h.resolver.OpenTypedLines(twenty);
  EXPECT_TRUE(asked == 0u && h.Navigations().size() == 20u) << asked;

  // Yes to all: the frame fills up to its limit and says so once.
  h.resolver.confirmMany = [](std::size_t) { return true; };
  h.resolver.OpenTypedLines(text);
  EXPECT_EQ(h.frame.sites().sites().size(), CMainFrame::kMaxSites);
  const std::string full = "Message: Can't open another site: too many sites are open.";
  EXPECT_EQ(std::count(h.dialogs.shown.begin(), h.dialogs.shown.end(), full), 1);
  // A single address says it each time, also after a text that did.
  h.settings.AutoNew = 1;
  h.keys.ctrl = true;
  h.resolver.OpenAddress("http://x.example/");
  h.resolver.OpenAddress("http://y.example/");
  EXPECT_EQ(std::count(h.dialogs.shown.begin(), h.dialogs.shown.end(), full), 3);
}

struct FakeBar : AddressBarView {
  std::string text;
  Strings items, offered;
  int completions = 0;
  bool focus = false, edited = false;
  std::string AddressText() const override { return text; }
  void SetAddressTextTrimmed(const std::string& t) override { text = t; }
  void ShowPageAddress(const std::string& t) override { text = t; }
  void SetAddressItems(const Strings& i) override { items = i; }
  void SetAddressCompletions(const Strings& c) override { offered = c, ++completions; }
  void FocusAddress() override { focus = true; }
  bool AddressHasFocus() const override { return focus; }
  void MarkAddressEdited() override { edited = true; }
};

struct BarHarness : ResolverHarness {
  FakeBar view;
  TypedUrlList typed;
  CAddressBar bar{view, resolver, typed};
};

TEST(AddressBar, EnterAndChoiceOpenAndReorderTheTypedList) {
  BarHarness h;
  h.Start();
  h.settings.AutoNew = 0;
  h.view.text = "  first.example/ \n";
  h.bar.Enter();
  EXPECT_EQ(h.view.text, "first.example/");  // trimmed, the slash kept in the field
  // The same address in other letters replaces the old entry; nothing typed: nothing opened, nothing remembered.
  for (const char* typed : {"SECOND.example", "first.EXAMPLE", " \t "}) h.view.text = typed, h.bar.Enter();
  EXPECT_EQ(h.view.items, (Strings{"first.EXAMPLE", "SECOND.example"}));
  EXPECT_EQ(h.Navigations(), (Strings{"0 first.example/", "0 SECOND.example", "0 first.EXAMPLE"}));

  // Choosing the second entry opens it and puts it on top; out-of-range choices (a stale drop-down) do nothing.
  h.bar.Choose(1);
  EXPECT_EQ(h.view.items, (Strings{"SECOND.example", "first.EXAMPLE"}));
  EXPECT_EQ(h.view.text, "SECOND.example");
  for (int stale : {2, -1}) h.bar.Choose(stale);
  EXPECT_EQ(h.Navigations().size(), 4u);

  // Two lines typed at once open both and are remembered as typed.
  h.view.text = "a.example\nb.example";
  h.bar.Enter();
  EXPECT_EQ(h.Navigations().size(), 6u);
  EXPECT_EQ(h.view.items.front(), "a.example\nb.example");

  // Escape shows the page's address again and keeps the page from overwriting it; the Escape command does so only
  // with the focus there.
  h.view.text = "typed";
  h.bar.EscapeCommand("http://page.example/");
  EXPECT_TRUE(h.view.text == "typed" && !h.view.edited);
  h.bar.Focus();
  h.bar.EscapeCommand("http://page.example/");
  EXPECT_TRUE(h.view.text == "http://page.example/" && h.view.edited) << h.view.text;
}

TEST(AddressBar, CompletionFollowsTypedAndVisitedOnlyOnceSwitchedOn) {
  BarHarness h;
  h.bar.RememberVisited("http://one.example/");
  EXPECT_EQ(h.view.completions, 0);  // not before start-up switches it on
  h.bar.EnableCompletion();
  EXPECT_EQ(h.view.offered, (Strings{"http://one.example/"}));
  for (const char* skip : {"", "about:blank", "data:text/html,<b>x</b>"}) h.bar.RememberVisited(skip);
  for (const char* again : {"http://two.example/", "http://one.example/"}) h.bar.RememberVisited(again);  // to the front, once
  EXPECT_EQ(h.view.offered, (Strings{"http://one.example/", "http://two.example/"}));
  // Earlier runs' pages come behind this run's, each once.
  h.bar.RememberHistory({"http://two.example/", "http://old.example/", "", "http://old.example/"});
  EXPECT_EQ(h.view.offered, (Strings{"http://one.example/", "http://two.example/", "http://old.example/"}));

  // Very long addresses are kept cut, and a second visit still finds the cut copy.
  const std::string longUrl = "http://long.example/" + std::string(5000, 'x');
  for (int twice = 0; twice < 2; ++twice) h.bar.RememberVisited(longUrl);
  EXPECT_EQ(h.bar.visited().size(), 4u);
  EXPECT_EQ(h.bar.visited().front().size(), CAddressBar::kVisitedItemMax);

  for (int i = 0; i < 600; ++i) h.bar.RememberVisited("http://p" + std::to_string(i) + ".example/");
  EXPECT_EQ(h.bar.visited().size(), CAddressBar::kVisitedMax);
  EXPECT_EQ(h.bar.visited().front(), "http://p599.example/");

  // The typed list's changes reach the completion too, typed ones first.
  h.typed.Insert("typed.example");
  EXPECT_EQ(h.view.offered.front(), "typed.example");
  EXPECT_EQ(h.view.offered.size(), CAddressBar::kVisitedMax + 1);
}

TEST(AddressBar, CompletionsDifferingOnlyInLetterCaseAreOfferedOnce) {
  // Typed first, then visited; the first spelling seen wins, whatever the script.
  const std::deque<std::string> visited = {"http://ÄRGER.example/", "http://Straße.example/", "http://МИР.example/",
                                           "http://new.example/", "", "http://NEW.example/"};
  const Strings typed = {"http://ärger.example/", "http://мир.EXAMPLE/", "http://straße.example/"};
  EXPECT_EQ(CAddressBar::MergeCompletions(typed, visited),
            (Strings{"http://ärger.example/", "http://мир.EXAMPLE/", "http://straße.example/", "http://new.example/"}));
  // Broken UTF-8 is compared byte for byte, never dropped or merged with a letter.
  const Strings broken = {"http://\xC3.example/", "http://\xC3\xA4.example/"};
  EXPECT_EQ(CAddressBar::MergeCompletions(broken, {"http://\xC3\x84.example/"}), broken);
}

TEST(AddressBar, ForgetsTheListWhenItGoes) {
  ResolverHarness h;
  FakeBar view;
  TypedUrlList typed;
  typed.Insert("kept.example");
  {
    CAddressBar bar(view, h.resolver, typed);
    EXPECT_EQ(view.items, (Strings{"kept.example"}));  // filled at once
  }
  typed.Insert("after.example");  // must not call into the bar that is gone
  EXPECT_EQ(view.items.size(), 1u);
}

TEST(TypedUrls, NormaliseAndInsert) {
  // The trailing separator goes unless it follows a colon or is all there is; a backslash decides the separator.
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},           {"/", "/"},           {"C:\\", "C:\\"},          {"http:/", "http:/"},
      {"http://a.example/", "http://a.example"}, {"c:\\dir\\", "c:\\dir"}, {"a/b\\", "a/b"}, {"a\\b/", "a\\b/"}};
  for (const auto& [typed, stored] : cases) EXPECT_EQ(TypedUrlList::Normalise(typed), stored) << typed;

  TypedUrlList list;
  int changes = 0;
  auto subscription = list.changed.Subscribe([&] { ++changes; });
  for (const char* t : {"http://a.example", "b.example", ""}) list.Insert(t);
  // The same address in capitals, with its slash dropped, leaves one entry on top.
  list.Insert(TypedUrlList::Normalise("HTTP://A.EXAMPLE/"));
  EXPECT_EQ(list.items(), (Strings{"HTTP://A.EXAMPLE", "b.example"}));
  EXPECT_EQ(changes, 3);
  // Items are cut at 255 bytes without splitting a character; equal prefixes count as equal.
  list.Insert(std::string(254, 'x') + "\xc3\xa9" + "tail");
  EXPECT_EQ(list.items()[0].size(), 254u);
  list.Insert(std::string(254, 'x') + "\xc3\xa9" + "other");
  EXPECT_EQ(list.items().size(), 3u);
  for (int at : {99, 0}) list.RemoveAt(at);
  EXPECT_EQ(list.items().front(), "HTTP://A.EXAMPLE");
}

TEST(TypedUrls, ProfileRoundTripHolesAndStaleValues) {
  // Numbers decide the order; holes, out-of-range numbers and foreign names leave no row.
  RegistryProfile p;
  TypedUrlList list;
  p.OpenKey(kTypedUrlsKey, true);
  for (const auto& [name, text] : {std::pair{"url3", "third"}, {"url1", "first"}, {"url9", "stale"}, {"urlx", "junk"}})
    p.SetString(kTypedUrlsKey, name, text);
  p.SetDword(kTypedUrlsKey, "url2", 7);
  p.SetString(kTypedUrlsKey, "url03", "padded");
  list.Load(p);
  EXPECT_EQ(list.items(), (Strings{"first", "third"}));

  // Saving numbers from the top and drops what lies past the end, so a removed entry cannot return at the next start.
  list.RemoveAt(0);
  ASSERT_TRUE(list.Save(p));
  EXPECT_EQ(p.GetString(kTypedUrlsKey, "url1").value_or(""), "third");
  EXPECT_FALSE(p.Find(kTypedUrlsKey, "url3") || p.Find(kTypedUrlsKey, "url9"));

  // Clearing empties the list and the profile.
  list.Clear(p);
  EXPECT_TRUE(list.items().empty());
  EXPECT_FALSE(p.Find(kTypedUrlsKey, "url1"));
}

TEST(AliasFile, ReadingRules) {
  // Line ends, NUL and binary bytes, long lines read in pieces, missing and unreadable files: hostile_inputs_test.
  TempDir dir;
  MessageRecorder messages;
  const struct { std::string content; Entries entries; } cases[] = {
      // Split at the first blank or tab; the full text keeps its inner blanks.
      {"bank     https://bank.example/login\n", {{"bank", "https://bank.example/login"}}},
      {"   \t news  http://news.example/ today  \n", {{"news", "http://news.example/ today"}}},
      {"mail\t \tmailto:me@example.org\n", {{"mail", "mailto:me@example.org"}}},
      {"example.org\n", {{"", "example.org"}}},  // no separator: an entry that can never match
      // Blank lines and a last line without a break; file order kept (line ends, bytes: hostile_inputs_test).
      {"a one\n\n   \nb two\nc three", {{"a", "one"}, {"b", "two"}, {"c", "three"}}}};
  for (const auto& [content, entries] : cases) {
    dir.write("alias.txt", content);
    AliasList list;
    list.LoadAliases(dir.file("alias.txt"));
    EXPECT_EQ(list.entries(), entries) << content.substr(0, 60);
  }
  // Loading empties the list first, even when the file is missing or a folder.
  AliasList list;
  for (const std::string& path : {dir.file("missing.txt"), dir.path()}) {
    list.Replace({{"old", "entry"}});
    list.LoadAliases(path);
    EXPECT_TRUE(list.entries().empty()) << path;
  }
  EXPECT_TRUE(messages.messages.empty());
}

TEST(AliasFile, SaveAndLoadRoundTrip) {
  TempDir dir;
  MessageRecorder messages;
  const std::string path = dir.file("alias.txt");
  const std::string longest = std::string(kAliasLineLimit - 2, 'z');
  const Entries good{{"b", "http://b.example/?q=a b"}, {"A", "\x01\xff weird bytes"}, {"", "nomatch"},
                     {"b", "second b"}, {"x", longest}, {"", std::string(kAliasLineLimit, 'n')}};
  AliasList list, back;
  list.Replace(good);
  // Entries the file cannot hold are left out instead of coming back as something else: a blank in the alias, line
  // breaks, NULs, a line past the limit, and an empty alias before text with a blank (it would turn live).
  const Entries hostile{{"my bank", "http://bank.example/"}, {"br", "one\ntwo"}, {"cr", "one\rtwo"},
                        {"nul", "a\0b"s}, {"long", std::string(kAliasLineLimit, 'l')}, {"", "go somewhere"},
                        {"\tlead", "x"}};
  Entries mixed = good;
  mixed.insert(mixed.begin() + 1, hostile.begin(), hostile.end());
  list.Replace(mixed);
  ASSERT_EQ(list.SaveAliases(path), 0);
  back.LoadAliases(path);
  EXPECT_EQ(back.entries(), good);
  EXPECT_TRUE(messages.messages.empty());
}

TEST(AliasLookup, WholeTextFirstEntryAnyCase) {
  const AliasList list = Aliases({{"", "empty"}, {"Bank", "first bank"}, {"mail", "mailto:x"}, {"bank", "second bank"},
                                  {"\xc3\x84rger", "umlaut"}, {"a", "mail"}});
  // Only ASCII letters fold; the full text is returned as is, not looked up again.
  const std::pair<std::string, std::string> cases[] = {
      {"bank", "first bank"}, {"BANK", "first bank"}, {"MaIl", "mailto:x"}, {"bank account", ""}, {"ban", ""},
      {"banks", ""},          {"", ""},               {"\xc3\x84rger", "umlaut"}, {"\xc3\xa4rger", ""}, {"a", "mail"}};
  for (const auto& [text, full] : cases) EXPECT_EQ(list.LookupAlias(text), full) << text;
}

AliasList Sample() {
  return Aliases({{"mail", "mailto:me"}, {"Bank", "https://bank"}, {"zoo", "http://zoo"}, {"bank", "dup bank"},
                  {"apple", "http://apple"}});
}

const std::string kSampleRows = "apple|Bank|bank|mail|zoo";

TEST(AliasDialog, OpenSortsStablyAndTheHeadersSortBothWays) {
  AliasDialogModel m;
  m.Open(Sample());
  // Selecting copies the first selected row; bad indexes are ignored. The same column flips, equal keys keep their
  // order, the selection follows its rows; a column that is not there changes nothing.
  PlaySteps(m, {{"", {}, false, kSampleRows, "0", "apple|http://apple"},
                {"select 3 1 99 -1", {}, false, kSampleRows, "1 3", "Bank|https://bank"},
                {"sort 0", {}, false, "zoo|mail|Bank|bank|apple", "1 2", "Bank|https://bank"},
                {"sort 1", {}, false, "bank|apple|zoo|Bank|mail", "3 4", "Bank|https://bank"},
                {"sort 7", {}, false, "bank|apple|zoo|Bank|mail", "3 4", "Bank|https://bank"}});
  EXPECT_TRUE(m.sortColumn() == AliasDialogModel::kFullTextColumn && m.ascending());
  m.Open(AliasList{});
  PlaySteps(m, {{"", {}, false, "", "", "|"}});
}

TEST(AliasDialog, AddValidatesInsertsAndSelects) {
  AliasDialogModel m;
  m.Open(Sample());
  const std::string noBlanks = "Invalid alias! An alias is a single word without blanks or tabs.",
                    noBreaks = "Invalid full text! It cannot contain line breaks.";
  // Refused fields stay for the user to fix.
  PlaySteps(m, {{"add", {"", "x"}, false, kSampleRows, "0", "|x", "Invalid alias!"},
                {"add", {"my bank", "x"}, false, kSampleRows, "0", "my bank|x", noBlanks},
                {"add", {"a\tb", "x"}, false, kSampleRows, "0", "a\tb|x", noBlanks},
                {"add", {"ok", "   "}, false, kSampleRows, "0", "ok|   ", "Invalid full text!"},
                {"add", {"ok", "one\ntwo"}, false, kSampleRows, "0", "ok|one\ntwo", noBreaks},
                {"add", {"ok", "a\0b"s}, false, kSampleRows, "0", "ok|a\0b"s, noBreaks},
                {"add", {"ok", std::string(kAliasLineLimit, 'x')}, false, kSampleRows, "0",
                 "ok|" + std::string(kAliasLineLimit, 'x'),
                 "The alias and full text are too long: together they may have at most 254 characters."},
                // A duplicate goes after the existing ones; the first equal alias is selected.
                {"add", {" bank ", " http://new "}, true, "apple|Bank|bank|bank|mail|zoo", "2", "|"}});
  EXPECT_EQ(m.rows()[3], (AliasEntry{"bank", "http://new"}));
  EXPECT_EQ(m.focusRow(), 2);
  // In descending order a new row is sorted in the same way; the longest storable entry is taken.
  PlaySteps(m, {{"sort 0", {}, false, "zoo|mail|Bank|bank|bank|apple", "3", "|"},
                {"add", {"b", "x"}, true, "zoo|mail|Bank|bank|bank|b|apple", "5", "|"},
                {"add", {"y", std::string(kAliasLineLimit - 2, 'y')}, true, "zoo|y|mail|Bank|bank|bank|b|apple", "1", "|"}});
}

TEST(AliasDialog, RemoveAsksAndChangeNeedsSelection) {
  const std::string sure = "Are you sure to delete the selected entries?";
  AliasDialogModel m;
  m.Open(Sample());
  PlaySteps(m, {{"select 0 2", {}, false, kSampleRows, "0 2", "apple|http://apple"},
                {"remove", {"typed", "text"}, false, kSampleRows, "0 2", "|", sure}},
            false);
  PlaySteps(m, {{"select 0 2 4", {}, false, kSampleRows, "0 2 4", "apple|http://apple"},
                {"remove", {}, true, "Bank|mail", "", "|", sure},
                {"change", {"new", "text"}, false, "Bank|mail", "", "new|text", "Please select an entry for change!"},
                // With a selection: validated like Add, written into the first selected row.
                {"select 1 0", {}, false, "Bank|mail", "0 1", "Bank|https://bank"},
                {"change", {"two words", "x"}, false, "Bank|mail", "0 1", "two words|x",
                 "Invalid alias! An alias is a single word without blanks or tabs."},
                {"change", {"aaa", "http://aaa"}, true, "aaa|mail", "0 1", "|"}});
  EXPECT_EQ(m.rows(), (Entries{{"aaa", "http://aaa"}, {"mail", "mailto:me"}}));
}

TEST(AliasDialog, CloseWritesDisplayedOrder) {
  TempDir dir;
  MessageRecorder messages;
  const std::string path = dir.file("alias.txt");
  dir.write("alias.txt", "zoo http://zoo\nBank https://bank\n  apple   http://apple\nbank dup\nbad\0line x\n"s);
  AliasList list;
  list.LoadAliases(path);
  AliasDialogModel m;
  m.Open(list);
  ASSERT_EQ(m.Close(list, path), 0);
  EXPECT_EQ(dir.read("alias.txt"), "apple http://apple\nBank https://bank\nbank dup\nzoo http://zoo\n");
  EXPECT_EQ(list.LookupAlias("BANK"), "https://bank");
  // A flipped order is written as shown; a failed write (its message: hostile_inputs_test) still replaces the list.
  m.SortBy(AliasDialogModel::kAliasColumn);
  AliasList other;
  dir.write("plain", "");
  EXPECT_EQ(m.Close(other, dir.file("plain") + "/alias.txt"), -1);
  EXPECT_EQ(other.LookupAlias("bank") + " " + other.entries().front().alias, "https://bank zoo");
}

using Fields = std::vector<std::pair<std::string, std::string>>;
const std::string kNotWeb = "Message: Can't search: the engine's address is not a web address.";

std::string Unescape(std::string s) {  // "&amp;" last, so "&amp;lt;" stays "&lt;"
  for (const auto& [ref, c] :
       {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}})
    for (std::size_t p = s.find(ref); p != std::string::npos; p = s.find(ref, p + 1)) s.replace(p, std::strlen(ref), c);
  return s;
}

// The page with every quoted value emptied: data may change nothing but what stands between quotes, so it equals the
// page made of harmless data with as many fields. (The engine test submits the real page.)
std::string Skeleton(const std::string& page) { return std::regex_replace(page, std::regex("'[^']*'|\"[^\"]*\""), "''"); }

// The form's fields as (name, value), after checking the page's skeleton.
Fields FormFields(const std::string& page, std::string* action = nullptr) {
  static const std::regex input("<input type='hidden' name='([^']*)' value='([^']*)'>"), form("action='([^']*)'");
  Fields fields;
  std::string plain;
  for (std::sregex_iterator i(page.begin(), page.end(), input), end; i != end; ++i) {
    fields.emplace_back(Unescape((*i)[1]), Unescape((*i)[2]));
    plain += "&f=v";
  }
  std::string harmless;
  EXPECT_TRUE(BuildPostForm("https://x/", plain, harmless));
  EXPECT_EQ(Skeleton(page), Skeleton(harmless)) << page.substr(0, 400);
  std::smatch m;
  if (action && std::regex_search(page, m, form)) *action = Unescape(m[1]);
  return fields;
}

// A runner that writes postform.htm into a temporary folder and lists what it opens; messages are recorded.
struct SearchWorld {
  TempDir dir;
  test::FakeDialogs dialogs;
  Strings opened;
  SearchRunner::OpenFn open = [this](const std::string& t) { opened.push_back(t); };
  SearchRunner runner{open, dir.file("postform.htm")};
  SearchWorld() { SetMessagePresenter(&dialogs); }
  ~SearchWorld() { SetMessagePresenter(nullptr); }
  std::string page() const { return dir.read("postform.htm"); }
};

TEST(SearchEngines, LoadingFollowsTheFileRules) {
  TempDir dir;
  CSearchEngines engines;
  int changes = 0;
  auto subscription = engines.changed.Subscribe([&] { ++changes; });
  // The only line is the header, even when it reads like a definition.
  dir.write("one.ini", "Google;https://www.google.com/search?q=$key;get\n");
  engines.LoadSearchEngines(dir.file("one.ini"));
  engines.LoadSearchEngines(dir.file("missing.ini"));
  EXPECT_TRUE(engines.engines().empty() && engines.Selected() == nullptr && changes == 0);

  // Runs of ";" collapse, blanks are trimmed, a name alone cannot search, "get" takes padding after it.
  dir.write("englist.ini", "name;address;method\r\n  A;;http://a.example/?q=$key;;get  \r\n\r\n"
                           ";;B;http://b/?q=$key;GeT;extra\r\nC;http://c/?q=$key;POST\r\nD;http://d/?q=$key;gets\r\n"
                           "E;http://e/?q=$key\r\nNameOnly\r\nPad;http://e/?q=$key;get  xx\r\nF;http://f/?q=$key;get");
  engines.LoadSearchEngines(dir.file("englist.ini"));
  std::string names;
  for (const SearchEngine& e : engines.engines()) names += e.name + (e.get ? "+" : "-");
  EXPECT_EQ(names, "A+B+C-D-E-Pad-F+");
  EXPECT_EQ(engines.engines()[0].address, "http://a.example/?q=$key");
  EXPECT_TRUE(engines.selectedIndex() == 0 && changes == 1);

  // A second file appends; the selection can be moved or cleared.
  engines.Select(3);
  dir.write("more.ini", "header\nG;http://g.example/$key\n");
  engines.LoadSearchEngines(dir.file("more.ini"));
  EXPECT_EQ(engines.engines().size(), 8u);
  engines.Select(7);
  EXPECT_EQ(engines.Selected()->name, "G");
  for (int outside : {8, -5}) {
    engines.Select(outside);
    EXPECT_EQ(engines.Selected(), nullptr) << outside;
  }
  EXPECT_EQ(engines.selectedIndex(), -1);
}

TEST(SearchEngines, GetSearchesEncodeTheQuery) {
  SearchWorld w;
  w.runner.RunSearch("http://s.example/?q=$key&again=$key", "two words", true);
  // No "$key": the template is opened as it stands.
  w.runner.RunSearch("http://fixed.example/", "ignored", true);
  // Characters that are URL syntax arrive as themselves; a line break would open two lines of typed text.
  w.runner.RunSearch("http://s.example/?q=$key", "c++ & 50% #1 a=b?/\xc3\xa9", true);
  w.runner.RunSearch("http://s.example/?q=$key", "one\ntwo", true);
  w.runner.RunSearch("http://s.example/?q=$key", "", true);
  EXPECT_EQ(w.opened, (Strings{"http://s.example/?q=two%20words&again=two%20words", "http://fixed.example/",
                               "http://s.example/?q=c%2B%2B%20%26%2050%25%20%231%20a%3Db%3F%2F%C3%A9",
                               "http://s.example/?q=one%0Atwo", "http://s.example/?q="}));
  EXPECT_EQ(PercentEncode("AZaz09-._~ "), "AZaz09-._~%20");

  // A script address never runs, however it is dressed up.
  w.opened.clear();
  for (const char* t : {"javascript:alert('$key')", "  JavaScript:alert(1)", "java\tscript:alert(1)",
                        "\x01vbscript:msgbox(1)", "data:text/html,<script>alert(1)</script>$key"})
    w.runner.RunSearch(t, "q", true);
  EXPECT_TRUE(w.opened.empty());
  EXPECT_EQ(w.dialogs.shown, Strings(5, kNotWeb));
}

TEST(SearchEngines, ResultsReachTheSiteAsBuilt) {
  ResolverHarness h;
  h.Start();
  TempDir dir;
  SearchRunner runner([&](const std::string& t) { h.resolver.OpenTypedLines(t); }, dir.file("postform.htm"));
  runner.RunSearch("https://packages.debian.org/search?keywords=$key", "gtest dev", true);
  runner.RunSearch("http://p.example/?a=$key", "x", false);
  // The generated page goes through typed text as its full path, which the control opens as a file.
  Strings nav = h.Navigations();
  for (std::string& n : nav) n.erase(0, n.find(' ') + 1);
  EXPECT_EQ(nav, (Strings{"https://packages.debian.org/search?keywords=gtest%20dev", dir.file("postform.htm")}));
}

TEST(SearchEngines, PostFormsHoldTheFieldsAsSplit) {
  SearchWorld w;
  // Only the first "=" of a field splits: the query's own "=" stays in the value.
  w.runner.RunSearch("https://p.example/find?q=$key&&lang=en", "a=b c", false);
  std::string action;
  EXPECT_EQ(FormFields(w.page(), &action), (Fields{{"q", "a=b c"}, {"lang", "en"}}));
  EXPECT_EQ(action, "https://p.example/find");
  EXPECT_EQ(w.opened, (Strings{w.dir.file("postform.htm")}));
  // Without "?" the whole address is the action and the form is empty.
  w.runner.RunSearch("https://p.example/$key/all", "x y", false);
  EXPECT_TRUE(FormFields(w.page(), &action).empty());
  EXPECT_EQ(action, "https://p.example/x y/all");
  // "&" runs and a leading "&" make no empty field; an empty value is a field.
  w.runner.RunSearch("https://p.example/?&&a=&b==", "", false);
  EXPECT_EQ(FormFields(w.page()), (Fields{{"a", ""}, {"b", "="}}));
  EXPECT_EQ(w.opened.size(), 3u);
  EXPECT_TRUE(w.dialogs.shown.empty());

  // "&" in the query followed by text without "=": nothing is written or opened.
  const std::string before = w.page();
  w.runner.RunSearch("https://p.example/?q=$key&n=1", "fish & chips", false);
  EXPECT_EQ(w.dialogs.shown, (Strings{"Message: Syntax error in query parameters!"}));
  EXPECT_EQ(w.opened.size(), 3u);
  EXPECT_EQ(w.page(), before);
}

TEST(SearchEngines, HostileQueriesAndEnginesCannotInjectMarkup) {
  SearchWorld w;
  const Strings queries = {"'\"><script>alert(1)</script>", "</form><form action='http://evil.example/'>",
                           "x' onfocus='alert(1)' autofocus='", "#39; lt; amp; stay literal",
                           "caf\xc3\xa9 \xe4\xb8\xad\xe6\x96\x87 \xf0\x9f\x90\xa6",
                           "</title></head><body onload=alert(1)>", "line\nbreak\rand\ttab", std::string(10240, 'Q')};
  for (const std::string& q : queries) {
    w.runner.RunSearch("https://p.example/s?q=$key&x$key=1", q, false);
    // The second field splits at the query's first "=", if it has one.
    const std::string second = "x" + q + "=1";
    const std::size_t eq = second.find('=');
    EXPECT_EQ(FormFields(w.page()), (Fields{{"q", q}, {second.substr(0, eq), second.substr(eq + 1)}}))
        << q.substr(0, 60);
  }
  EXPECT_EQ(w.opened.size(), queries.size());

  // The engine's own definition is data too.
  std::string action;
  w.runner.PostSearch("https://p.example/'><script>alert(1)</script>", "n'<>\"=v'<>\"");
  EXPECT_EQ(FormFields(w.page(), &action), (Fields{{"n'<>\"", "v'<>\""}}));
  EXPECT_EQ(action, "https://p.example/'><script>alert(1)</script>");
  // "&" cannot be in a field (it separates them) but can be in the action; a character reference written there stays
  // the text it is.
  w.runner.PostSearch("https://p.example/a&b&amp;c&lt;d", "n=v");
  FormFields(w.page(), &action);
  EXPECT_EQ(action, "https://p.example/a&b&amp;c&lt;d");

  // Actions that would run script, post nowhere or post to the page itself.
  w.opened.clear();
  const std::string before = w.page();
  for (const char* a : {"javascript:alert(1)", " DATA:text/html,x", "vbscript:x", "", "   ", "postform.htm",
                        "file:///etc/passwd", "jav\nascript:alert(1)"})
    EXPECT_FALSE(w.runner.PostSearch(a, "q=1")) << a;
  w.runner.RunSearch("$key?q=1", "javascript:alert(1)//", false);
  EXPECT_TRUE(w.opened.empty());
  EXPECT_EQ(w.page(), before);
  EXPECT_EQ(w.dialogs.shown, Strings(9, kNotWeb));
  // Blanks around a web address are what the engine drops too.
  EXPECT_TRUE(w.runner.PostSearch("  https://p.example/  ", ""));
  FormFields(w.page(), &action);
  EXPECT_EQ(action, "https://p.example/");
}

TEST(QueryHistory, RememberLoadAndSave) {
  TempDir dir;
  QueryHistory h, back;
  // The same words in another letter case leave one entry, as last typed, on top; only ASCII letters fold.
  for (const char* q :
       {"Kestrel Browser", "other", "KESTREL browser", "  spaced  ", "\xc3\xa9t\xc3\xa9", "\xc3\x89T\xc3\x89"})
    h.RememberQuery(q);
  EXPECT_EQ(h.items(), (Strings{"\xc3\x89T\xc3\x89", "\xc3\xa9t\xc3\xa9", "  spaced  ", "KESTREL browser", "other"}));

  // More than 256: the most recent 256 survive a restart, in order.
  h.Clear();
  EXPECT_TRUE(h.items().empty());
  for (int i = 0; i < 300; ++i) h.RememberQuery("q" + std::to_string(i));
  ASSERT_TRUE(h.SaveQueryHistory(dir.file("searchhis.ini")));
  back.LoadQueryHistory(dir.file("searchhis.ini"));
  ASSERT_EQ(back.items().size(), 256u);
  EXPECT_EQ(back.items().front(), "q299");
  EXPECT_EQ(back.items().back(), "q44");
  EXPECT_EQ(dir.read("searchhis.ini").substr(0, 10), "q299\nq298\n");

  // Queries that are no single line are stored as one, with blanks instead; a long one keeps its start without a
  // split character.
  h.Clear();
  for (const std::string& q : {std::string(1022, 'l') + "\xc3\xa9" + "rest", "nul\0byte"s, "two\r\nlines"s, ""s})
    h.RememberQuery(q);
  ASSERT_TRUE(h.SaveQueryHistory(dir.file("searchhis.ini")));
  back.LoadQueryHistory(dir.file("searchhis.ini"));
  EXPECT_EQ(back.items(), (Strings{"", "two  lines", "nul byte", std::string(1022, 'l')}));

  // Hand-edited files: lines trimmed, empty ones kept in place (NULs, long lines, line ends: hostile_inputs_test).
  dir.write("edited.ini", "  first \r\n\n\t\nlast");
  back.LoadQueryHistory(dir.file("edited.ini"));
  EXPECT_EQ(back.items(), (Strings{"first", "", "", "last"}));
}

TEST(QuickSearch, NeedsAnEngineAndTakesTheQueryAsTyped) {
  SearchWorld w;
  CSearchEngines engines;
  QueryHistory history;
  QuickSearch(engines, history, w.runner, "nothing selected");
  EXPECT_TRUE(w.opened.empty());
  EXPECT_TRUE(history.items().empty());

  w.dir.write("englist.ini", "h\nG;http://g.example/?q=$key;get\nP;https://p.example/?q=$key\n");
  engines.LoadSearchEngines(w.dir.file("englist.ini"));
  QuickSearch(engines, history, w.runner, "  padded query ");
  EXPECT_EQ(w.opened, (Strings{"http://g.example/?q=%20%20padded%20query%20"}));
  engines.Select(1);
  QuickSearch(engines, history, w.runner, "a&b");  // remembered even though the form cannot be built
  EXPECT_EQ(w.opened.size(), 1u);
  EXPECT_EQ(w.dialogs.shown, (Strings{"Message: Syntax error in query parameters!"}));
  QuickSearch(engines, history, w.runner, "<b>");
  EXPECT_EQ(FormFields(w.page()), (Fields{{"q", "<b>"}}));
  engines.Select(-1);
  QuickSearch(engines, history, w.runner, "again");
  EXPECT_EQ(history.items(), (Strings{"<b>", "a&b", "  padded query "}));
}

}  // namespace
}  // namespace kestrel
