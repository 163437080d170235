#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <regex>

#include "address/search_engines.h"
#include "support/fakes.h"
#include "support/resolver_harness.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using namespace std::string_literals;
using Strings = std::vector<std::string>;
using Fields = std::vector<std::pair<std::string, std::string>>;
using test::TempDir;
constexpr auto npos = std::string::npos;
const std::string kNotWeb = "Message: Can't search: the engine's address is not a web address.";

std::string Unescape(std::string s) {  // "&amp;" last, so "&amp;lt;" stays "&lt;"
  for (const auto& [ref, c] :
       {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}})
    for (std::size_t p = s.find(ref); p != npos; p = s.find(ref, p + 1)) s.replace(p, std::strlen(ref), c);
  return s;
}

// The page with every quoted value emptied: data may change nothing but what stands between quotes, so
// it equals the page made of harmless data with as many fields. (The engine test submits the real page.)
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

// A runner that writes postform.htm into a temporary folder and lists what
// it opens; messages are recorded.
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
  EXPECT_TRUE(engines.engines().empty());
  EXPECT_EQ(engines.Selected(), nullptr);
  EXPECT_EQ(changes, 0);

  dir.write("englist.ini",
            "name;address;method\r\n"s +
            "  A;;http://a.example/?q=$key;;get  \r\n"s +  // runs of ";" collapse, blanks trimmed
            "\r\n"s +
            ";;B;http://b.example/?q=$key;GeT;extra;fields\r\n"s +
            "C;http://c.example/?q=$key;POST\r\n"s +
            "D;http://d.example/?q=$key;gets\r\n"s +
            "E;http://e.example/?q=$key\r\n"s +
            "NameOnly\r\n"s +                                     // no address: cannot search
            "Pad;http://e/?q=$key;get  xx\r\n"                   // the method is "get" plus the padding
            "   \t  \r\n"
            "F;http://f.example/?q=$key;get");
  engines.LoadSearchEngines(dir.file("englist.ini"));
  Strings names;
  std::string methods;
  for (const SearchEngine& e : engines.engines()) {
    names.push_back(e.name);
    methods += e.get ? 'G' : 'P';
  }
  EXPECT_EQ(names, (Strings{"A", "B", "C", "D", "E", "Pad", "F"}));
  EXPECT_EQ(methods, "GGPPPPG");
  EXPECT_EQ(engines.engines()[0].address, "http://a.example/?q=$key");
  EXPECT_EQ(engines.selectedIndex(), 0);
  EXPECT_EQ(changes, 1);

  // A second file appends; the selection can be moved or cleared.
  engines.Select(3);
  dir.write("more.ini", "header\nG;http://g.example/$key\n");
  engines.LoadSearchEngines(dir.file("more.ini"));
  EXPECT_EQ(engines.engines().size(), 8u);
  engines.Select(7);
  EXPECT_EQ(engines.Selected()->name, "G");
  engines.Select(8);
  EXPECT_EQ(engines.Selected(), nullptr);
  engines.Select(-5);
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

TEST(SearchEngines, GetResultsReachTheSiteAsBuilt) {
  test::ResolverHarness h;
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
  // "&" cannot be in a field (it separates them) but can be in the action; a
  // character reference written there stays the text it is.
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

  // Queries that are no single line are stored as one, with blanks instead;
  // a long one keeps its start without a split character.
  h.Clear();
  for (const std::string& q : {std::string(1022, 'l') + "\xc3\xa9" + "rest", "nul\0byte"s, "two\r\nlines"s, ""s})
    h.RememberQuery(q);
  ASSERT_TRUE(h.SaveQueryHistory(dir.file("searchhis.ini")));
  back.LoadQueryHistory(dir.file("searchhis.ini"));
  EXPECT_EQ(back.items(), (Strings{"", "two  lines", "nul byte", std::string(1022, 'l')}));

  // Hand-edited files: lines trimmed, empty ones kept in place, no extra one for the final line feed
  // (NULs, long lines and line ends: hostile_inputs_test).
  dir.write("edited.ini", "  first \r\n\n\t\nsecond\nlast\n");
  back.LoadQueryHistory(dir.file("edited.ini"));
  EXPECT_EQ(back.items(), (Strings{"first", "", "", "second", "last"}));
  dir.write("noeol.ini", "a\nb");
  back.LoadQueryHistory(dir.file("noeol.ini"));
  EXPECT_EQ(back.items(), (Strings{"a", "b"}));
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

TEST(SearchEngines, TheShippedListLoads) {
  CSearchEngines engines;
  engines.LoadSearchEngines((std::filesystem::path(__FILE__).parent_path() / "../../data/englist.ini").string());
  ASSERT_GE(engines.engines().size(), 5u);
  EXPECT_EQ(engines.engines()[0].name, "Google");
  int posts = 0;
  for (const SearchEngine& e : engines.engines()) {
    EXPECT_TRUE(IsWebAddress(e.address)) << e.name;
    EXPECT_NE(e.address.find("$key"), npos) << e.name;
    if (!e.get) {
      ++posts;
      std::string page;
      EXPECT_TRUE(BuildPostForm("https://x/", ReplaceKey(e.address.substr(e.address.find('?') + 1), "q"), page));
    }
  }
  EXPECT_GE(posts, 2);
}

}  // namespace
}  // namespace kestrel
