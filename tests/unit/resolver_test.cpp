#include <gtest/gtest.h>

#include "address/resolver.h"
#include "address/search_engines.h"
#include "frame/main_frame.h"
#include "platform/address_fixup.h"
#include "support/resolver_harness.h"

namespace kestrel {
namespace {

using Kind = Resolution::Kind;
const std::string kSearch = kWebSearchBase;

AliasList Aliases(std::vector<AliasEntry> entries) {
  AliasList list;
  list.Replace(std::move(entries));
  return list;
}

TEST(Resolve, EachStepInItsOrder) {
  const AliasList none;
  struct Case {
    const char* text;
    Kind kind;
    std::string result;
    int folder = -1;
  };
  const Case cases[] = {
      // Shell-folder keywords, any letter case, the whole text only.
      {"desktop", Kind::Folder, "", 0},
      {"DeskTop", Kind::Folder, "", 0},
      {"my computer", Kind::Folder, "", 17},
      {"progam files", Kind::Folder, "", 38},
      {"recbin", Kind::Folder, "", 10},
      {"desktop now", Kind::Address, kSearch + PercentEncode("desktop now")},
      {"program files", Kind::Address, kSearch + PercentEncode("program files")},
      // Built-in commands take the rest of the text, trimmed; inner blanks stay.
      {"google    two  words", Kind::Address, kSearch + PercentEncode("two  words")},
      {"GOOGLE", Kind::Address, kSearch},
      {"autologin  My Bank", Kind::AutoLogin, "My Bank"},
      {"opengroup Morning news", Kind::OpenGroup, "Morning news"},
      {"Script\tclean up", Kind::Script, "clean up"},
      {"googled", Kind::Address, "http://www.googled.com"},
      // Plain words become web addresses; anything else that is no address is searched.
      {"kestrel_2", Kind::Address, "http://www.kestrel_2.com"},
      {"my-site", Kind::Address, kSearch + PercentEncode("my-site")},
      {"caf\xc3\xa9", Kind::Address, kSearch + PercentEncode("caf\xc3\xa9")},
      {"what is 1+1?", Kind::Address, kSearch + "what%20is%201%2B1%3F"},  // "+" would be a blank
      // Addresses go as typed.
      {"localhost:8080", Kind::Address, "localhost:8080"},
      {"a.b", Kind::Address, "a.b"},
      {"\\\\server\\share", Kind::Address, "\\\\server\\share"},
      {"c:\\dir", Kind::Address, "c:\\dir"},
      {"javascript:alert(1)", Kind::Address, "javascript:alert(1)"},
  };
  for (const Case& c : cases) {
    Resolution r = ResolveTypedText(c.text, none);
    EXPECT_EQ(r.kind, c.kind) << c.text;
    EXPECT_EQ(r.text, c.result) << c.text;
    EXPECT_EQ(r.folder, c.folder) << c.text;
  }

  // Aliases come first, are expanded once, and keywords are tried on the expansion.
  AliasList aliases = Aliases({{"mc", "mycom"},
                               {"a", "b"},
                               {"b", "x.example"},
                               {"srch", "google kestrel browser"},
                               {"dup", "first.example"},
                               {"DUP", "second.example"},
                               {"", "never matches"}});
  EXPECT_EQ(ResolveTypedText("MC", aliases).folder, 17);
  EXPECT_EQ(ResolveTypedText("a", aliases).text, "http://www.b.com");
  EXPECT_EQ(ResolveTypedText("srch", aliases).text, kSearch + "kestrel%20browser");
  EXPECT_EQ(ResolveTypedText("dup", aliases).text, "first.example");
  EXPECT_EQ(ResolveTypedText("mc now", aliases).text, kSearch + "mc%20now");
}

TEST(Resolve, TablesAgreeWordTestsAndUnsafeAddresses) {
  // Every shortcut types a keyword the folder table knows; the keyword is the whole text.
  for (const ShortcutCommand& s : ShortcutCommands()) EXPECT_GE(ShellFolderOf(s.keyword), 0) << s.keyword;
  EXPECT_EQ(ShortcutKeyword(32927), nullptr);  // inside the range, but no shortcut
  EXPECT_EQ(ShellFolderOf("my computer "), -1);
  for (const auto& [word, plain] : {std::pair{"", false}, {"_", true}, {"a b", false}})
    EXPECT_EQ(IsPlainWord(word), plain) << word;
  for (const auto& [text, address] : {std::pair{"", false}, {"x:", true}, {"\\\\x", true}, {"\\x", false}})
    EXPECT_EQ(LooksLikeAddress(text), address) << text;

  using S = AddressSafety;
  const auto user = TypedSource::User, other = TypedSource::OtherProcess;
  const struct { std::string address; TypedSource source; S safety; } cases[] = {
      {"http://a.example/", other, S::Open}, {"javascript:alert(1)", user, S::Refuse},
      {"JavaScript:x", other, S::Refuse}, {"vbscript:msgbox", user, S::Refuse}, {"  javascript:void(0)", other, S::Refuse},
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
        bool expected = blank ? (shift && !autoNew) : (shift != autoNew);
        EXPECT_EQ(ChooseNewSite(true, blank, false, shift, autoNew), expected) << blank << shift << autoNew;
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

using test::ResolverHarness;

TEST(OpenTyped, LastRepeatsTheRawTextIncludingItsAlias) {
  ResolverHarness h;
  h.Start();
  EXPECT_FALSE(h.resolver.OpenTypedText("  last  "));
  EXPECT_FALSE(h.resolver.OpenTypedText(" \t\r\n"));
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
  EXPECT_EQ(h.Navigations(), (std::vector<std::string>{"0 kestrel.example", "0 other.example"}));

  // Shortcut commands type their keyword and so are overridden by an alias.
  h.aliases.Replace({{"desktop", "desk.example"}});
  EXPECT_TRUE(h.resolver.OpenTypedText(ShortcutKeyword(32918)));
  EXPECT_EQ(h.Navigations().back(), "0 desk.example");
  h.aliases.Replace({});
  EXPECT_TRUE(h.resolver.OpenTypedText("desktop"));
  EXPECT_EQ(h.Navigations().back(), "0 file:///folders/0");
  // A folder this desktop lacks opens nothing and leaves no empty site behind.
  h.settings.AutoNew = 1;
  std::size_t sites = h.frame.sites().sites().size();
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
  EXPECT_EQ(h.Navigations(),
            (std::vector<std::string>{"0 one.example", "1 two.example", "2 http://www.three.com"}));

  // With AutoNew on and the active site blank, Shift reuses it; Ctrl never does.
  ResolverHarness b;
  b.Start();
  b.keys.shift = true;
  b.resolver.OpenTypedText("a.example");
  EXPECT_EQ(b.Navigations(), (std::vector<std::string>{"0 a.example"}));
  b.parts.controls[0]->CompleteNavigation("A");
  // Not blank any more: Shift inverts AutoNew, so it reuses the site.
  b.resolver.OpenTypedText("b.example");
  EXPECT_EQ(b.Navigations().back(), "0 b.example");
  b.keys.shift = false;
  b.keys.ctrl = true;
  b.resolver.OpenTypedText("c.example");
  EXPECT_EQ(b.Navigations().back(), "1 c.example");

  // Built-in commands nobody has taken yet say so and open nothing.
  std::size_t before = b.Navigations().size();
  EXPECT_TRUE(b.resolver.OpenTypedText("autologin My Bank"));
  EXPECT_EQ(b.window.statusText, "AutoLogin is not available in this version.");
  std::string group;
  b.resolver.openGroup = [&](const std::string& name) { group = name; };
  EXPECT_TRUE(b.resolver.OpenTypedText("opengroup  Morning "));
  EXPECT_EQ(group, "Morning");
  EXPECT_EQ(b.Navigations().size(), before);
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
  EXPECT_EQ(h.Navigations(), (std::vector<std::string>{"1 data:text/html,<h1>Bank</h1>"}));
  EXPECT_EQ(page->GetLocationURL(), "http://bank.example/");

  // A megabyte is opened (the engine takes up to 2 MiB); past that it is refused.
  const std::string mb(1 << 20, 'w');
  h.resolver.OpenTypedText(mb);
  auto nav = h.Navigations();
  ASSERT_EQ(nav.size(), 2u);
  EXPECT_TRUE(nav[0] == "0 http://www." + mb + ".com") << nav[0].size();  // not printed: a megabyte
  h.resolver.OpenTypedText(std::string(3 << 20, 'x') + ".example");
  EXPECT_EQ(h.Navigations().size(), 2u);
}

TEST(OpenTyped, AThousandLinesAskFirstAndStopAtTheSiteLimit) {
  ResolverHarness h;
  h.Start();
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "site" + std::to_string(i) + ".example\n";
  std::size_t asked = 0;
  h.resolver.confirmMany = [&](std::size_t lines) {
    asked = lines;
    return false;
  };
  EXPECT_TRUE(h.resolver.OpenTypedLines(text));
  EXPECT_EQ(asked, 1000u);
  EXPECT_TRUE(h.Navigations().empty());
  // Twenty lines open without a question; blank lines do not count.
  asked = 0;
  std::string twenty;
  for (int i = 0; i < 20; ++i) twenty += "  \n s" + std::to_string(i) + ".example";
  h.resolver.OpenTypedLines(twenty);
  EXPECT_EQ(asked, 0u);
  EXPECT_EQ(h.Navigations().size(), 20u);

  // Yes to all: the frame fills up to its limit and says so once.
  h.resolver.confirmMany = [](std::size_t) { return true; };
  h.resolver.OpenTypedLines(text);
  EXPECT_EQ(h.frame.sites().sites().size(), CMainFrame::kMaxSites);
  EXPECT_EQ(std::count(h.dialogs.shown.begin(), h.dialogs.shown.end(),
                       "Message: Can't open another site: too many sites are open."),
            1);
}

}  // namespace
}  // namespace kestrel
