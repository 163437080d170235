#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "common/message.h"
#include "popups/filter_dialog.h"
#include "popups/site_filter.h"
#include "support/fakes.h"
#include "support/list_editor_steps.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

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

  const std::string longEntry = std::string(10000, 'a') + "b";
  const std::pair<List, List> lists[] = {
      {{"abc"}, {"http://abc.example/", "http://x.example/p/abc", "http://x.example/?q=xabcx", "ABC", "ab", ""}},
      // Failure links: a match that begins inside a partial match of another entry.
      {{"abcd", "bcx"}, {"abcx", "abcd", "abcbcx", "abc", "xbcx"}},
      {{"aab"}, {"aaab", "aaaaaaab", "abab", "aa"}},
      {{"he", "she", "his", "hers"}, {"ushers", "hi", "ahishe", "sh", "h", "rsh"}},
      // Entries that are prefixes and suffixes of each other, and duplicates.
      {{"ads", "ads.", "ads.example", "example", "ample", "ads"},
       {"http://ad.example/", "http://ad/", "xads", "exampl", "amplex", "http://x/ample"}},
      // Bytes above 127, a NUL inside an entry and the address.
      {{"\xc3\xa4", "\xff\xfe", "a\0b"s}, {"\xc3\x84", "x\xc3\xa4x", "\xfe\xff", "\xff\xfe", "a\0b"s, "ab"}},
      // A very long entry against addresses that almost hold it.
      {{longEntry, "ab" + std::string(50, 'c')},
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
}

TEST(SubstringMatcher, ALongListTakesAFewBytesPerEntryByte) {
  // No wide table per node, which would take gigabytes for a list this long; the
  // hundred thousand entries and the time they take: bench/filter_scale_bench.cpp.
  std::mt19937 rng(7);
  List entries;
  std::size_t bytes = 0;
  for (int i = 0; i < 20000; ++i) bytes += entries.emplace_back(RandomText(rng, 20, "abcdefghij./-") + std::to_string(i)).size();
  EXPECT_LE(SubstringMatcher(entries).memoryBytes(), 12 * bytes);
}

TEST(SiteFilterLists, MatchFollowsEveryChange) {
  CSiteFilter filter;
  EXPECT_FALSE(filter.BlackListMatch("http://ads.example/"));
  filter.AppendBlack("ads.");
  EXPECT_TRUE(filter.BlackListMatch("http://ads.example/"));
  EXPECT_FALSE(filter.WhiteListMatch("http://ads.example/")) << "the lists are apart";
  filter.SetBlack({"pop"});
  EXPECT_FALSE(filter.BlackListMatch("http://ads.example/"));
  EXPECT_TRUE(filter.BlackListMatch("http://x.example/pop"));
  filter.AppendWhite("x.example");
  EXPECT_TRUE(filter.WhiteListMatch("http://x.example/pop"));
  filter.AppendWhite("y.example");
  EXPECT_TRUE(filter.WhiteListMatch("http://y.example/"));
  filter.SetWhite({});
  EXPECT_FALSE(filter.WhiteListMatch("http://x.example/pop"));
}

CSiteFilter Preset() {
  CSiteFilter f;
  f.SetBlack({"old-black"});
  f.SetWhite({"old-white"});
  return f;
}

TEST(SiteFilterFile, ReadingRules) {
  // Line ends, binary bytes, NULs, lines at the limit and past it, missing and unreadable files: hostile_inputs_test.
  TempDir dir;
  const List oldB{"old-black"}, oldW{"old-white"};
  const struct { std::string content; List black, white; } cases[] = {
      {"[include]\nads.\n  pop \n\n[exclude]\ngood\n", {"ads.", "pop"}, {"good"}},
      // Empty lines before the headers; a header is trimmed but exact in case.
      {"\n \t\n [include]\na\n\n\n\n[exclude] \nw\n", {"a"}, {"w"}},
      {"[INCLUDE]\na\n\n[exclude]\nw\n", oldB, oldW},
      // Starting with the white list's header, or anything else, loads nothing.
      {"[exclude]\nw\n\n[include]\na\n", oldB, oldW},
      {"junk\n[include]\na\n", oldB, oldW},
      {std::string(kFilterLineLimit + 1, ' ') + "x\n[include]\na\n", oldB, oldW},
      {"\0[include]\na\n"s, oldB, oldW},
      // No white list section: the black list is read, the white one kept.
      {"[include]\na\nb", {"a", "b"}, oldW},
      {"[include]\na\n\nsomething\n[exclude]\nw\n", {"a"}, oldW},
      {"[include]\n", {}, oldW},
      {"[include]\n\n[exclude]\n", {}, {}},
      // Headers where entries belong are entries; a repeated section is ignored.
      {"[include]\n[include]\na\n[exclude]\nw\n", {"[include]", "a", "[exclude]", "w"}, oldW},
      {"[include]\na\n\n[include]\nb\n", {"a"}, oldW},
      {"[include]\na\n\n[exclude]\nw\n\n[exclude]\nv\n[include]\nz\n", {"a"}, {"w"}},
      // The white list skips over-long and NUL lines as the black one does.
      {"[include]\n\n[exclude]\n" + std::string(kFilterLineLimit + 1, 'x') + "\n\0\nw\n"s, {}, {"w"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.content.substr(0, 80));
    dir.write("filter.dat", c.content);
    CSiteFilter f = Preset();
    f.LoadSiteFilter(dir.file("filter.dat"));
    EXPECT_EQ(f.Black(), c.black);
    EXPECT_EQ(f.White(), c.white);
  }

  // A missing file or a folder in its place changes nothing.
  CSiteFilter f = Preset();
  f.LoadSiteFilter(dir.file("missing.dat"));
  f.LoadSiteFilter(dir.path());
  EXPECT_EQ(f.Black(), oldB);
  EXPECT_EQ(f.White(), oldW);
  // Loading replaces the matchers too.
  dir.write("filter.dat", "[include]\nnew-black\n\n[exclude]\nnew-white\n");
  EXPECT_TRUE(f.BlackListMatch("http://old-black/"));
  f.LoadSiteFilter(dir.file("filter.dat"));
  EXPECT_FALSE(f.BlackListMatch("http://old-black/"));
  EXPECT_TRUE(f.BlackListMatch("http://new-black/"));
  EXPECT_TRUE(f.WhiteListMatch("http://new-white/"));
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
    EXPECT_EQ(back.Black(), blackBack);
    EXPECT_EQ(back.White(), whiteBack);
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

TEST(FilterDialog, OpenSortsWithoutMergingAndOkWritesTheShownOrder) {
  FilterDialogModel m;
  m.Open({"zoo.example", "Ads.", "pop", "ads.", "ads.", "\xc3\xa4rger"});
  const std::string sorted = "Ads.|ads.|ads.|pop|zoo.example|\xc3\xa4rger";
  EXPECT_EQ(std::make_pair(m.selection(), m.editText()), std::make_pair(0, std::string("Ads.")));
  PlaySteps(m, {{"select 3", {}, false, sorted, "3", "pop"}, {"select 99", {}, false, sorted, "", "pop"}});
  m.Open({});
  EXPECT_EQ(std::make_pair(m.selection(), m.editText()), std::make_pair(-1, std::string()));
  // OK writes the displayed order, equal entries kept; not calling it (Cancel) leaves the list.
  List list{"track", "b", "pop", "b"};
  m.Open(list);
  m.SetEditText("new");
  m.Add();
  EXPECT_EQ(list, (List{"track", "b", "pop", "b"}));
  m.Accept(list);
  EXPECT_EQ(list, (List{"b", "b", "new", "pop", "track"}));
}

TEST(FilterDialog, AddRemoveAndChangeKeepTheRowsSortedAndASensibleSelection) {
  FilterDialogModel m;
  m.Open({"ads.", "pop"});
  // Refused texts stay in the field for the user to fix; the selection stays on "pop".
  PlaySteps(m, {{"select 1", {}, false, "ads.|pop", "1", "pop"},
                {"add", {"ADS."}, false, "ads.|pop", "1", "ADS.", kFilterExists},
                {"add", {"  Pop\t"}, false, "ads.|pop", "1", "  Pop\t", kFilterExists},
                {"add", {""}, false, "ads.|pop", "1", "", kFilterEmpty},
                {"add", {" \t \r"}, false, "ads.|pop", "1", " \t \r", kFilterEmpty},
                {"add", {"a\nb"}, false, "ads.|pop", "1", "a\nb", kFilterLineBreak},
                {"add", {"a\0b"s}, false, "ads.|pop", "1", "a\0b"s, kFilterLineBreak},
                // Trimmed, sorted in, the field cleared; a longer or shorter text is no duplicate.
                {"add", {"  Banner "}, true, "ads.|Banner|pop", "2", ""},
                {"add", {"ads"}, true, "ads|ads.|Banner|pop", "3", ""}});
  // Each removal selects the row that took its place, or the new last one.
  m.Open({"a", "b", "c"});
  PlaySteps(m, {{"select 1", {}, false, "a|b|c", "1", "b"},
                {"remove", {}, true, "a|c", "1", "c"},
                {"remove", {}, true, "a", "0", "a"},
                {"remove", {}, true, "", "", ""},
                {"remove", {}, false, "", "", ""},
                {"change", {"x"}, false, "", "", "x"}});
  // Change needs a selection; the selected row itself may change case; a changed row is sorted anew and stays selected.
  m.Open({"ads.", "pop", "track"});
  PlaySteps(m, {{"select", {}, false, "ads.|pop|track", "", "ads."},
                {"change", {"new"}, false, "ads.|pop|track", "", "new"},
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
}

TEST(AddSiteToFilter, AppendsTheAddressOrItsHost) {
  MessageRecorder messages;
  CSiteFilter filter;
  int asked = 0;
  bool answer = true, tickDomain = false, tickClose = false;
  const AddToListAsk ask = [&](bool, const std::string&, bool& entireDomain, bool& closeNow) {
    ++asked;
    entireDomain = tickDomain;
    closeNow = tickClose;
    return answer;
  };
  // Not for about: pages, nor for a site without an address.
  EXPECT_FALSE(AddSiteToFilter(filter, true, "about:blank", ask));
  EXPECT_FALSE(AddSiteToFilter(filter, false, "", ask));
  EXPECT_EQ(asked, 0);

  // The whole address, twice: no duplicate check here; "close now" has no effect on the white list.
  const std::string page = "http://Pop.example:81/win?id=7";
  EXPECT_FALSE(AddSiteToFilter(filter, false, page, ask));
  tickClose = true;
  EXPECT_FALSE(AddSiteToFilter(filter, false, page, ask));
  EXPECT_EQ(filter.White(), (List{page, page}));
  EXPECT_TRUE(filter.WhiteListMatch(page));

  // Cancel adds nothing and closes nothing.
  answer = false;
  EXPECT_FALSE(AddSiteToFilter(filter, true, page, ask));
  EXPECT_TRUE(filter.Black().empty());

  // The entire domain: every page of the host and any address holding it.
  answer = tickDomain = true;
  EXPECT_TRUE(AddSiteToFilter(filter, true, "https://u@ads.example:8443/x", ask));
  EXPECT_EQ(filter.Black(), (List{"ads.example"}));
  EXPECT_TRUE(filter.BlackListMatch("http://ads.example/other"));
  EXPECT_TRUE(filter.BlackListMatch("http://x.example/?ref=ads.example"));
  tickClose = false;
  EXPECT_FALSE(AddSiteToFilter(filter, true, "http://[::1]:8080/", ask));
  EXPECT_EQ(filter.Black(), (List{"ads.example", "[::1]"}));
  EXPECT_TRUE(messages.messages.empty());

  // No host to add: said so, nothing appended (an empty entry matches all).
  tickClose = true;
  EXPECT_TRUE(AddSiteToFilter(filter, true, "file:///home/me/page.html", ask));
  EXPECT_EQ(filter.Black().size(), 2u);
  EXPECT_EQ(messages.messages, (List{kFilterNoHost}));
  EXPECT_FALSE(filter.BlackListMatch("http://unrelated.example/"));
  EXPECT_EQ(SiteFilterEntry("about:blank", false), "");
  EXPECT_EQ(SiteFilterEntry("http://a.example/b", false), "http://a.example/b");
  EXPECT_EQ(asked, 6);
}

}  // namespace
}  // namespace kestrel
