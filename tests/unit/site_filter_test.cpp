#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "common/message.h"
#include "popups/filter_dialog.h"
#include "popups/site_filter.h"
#include "support/disk_full.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using namespace std::string_literals;
using List = std::vector<std::string>;
using test::MessageRecorder;
using test::RunWithFileSizeLimit;
using test::TempDir;

// Deterministic address-like fragments over a small alphabet, so that
// entries overlap, share prefixes and suffixes, and hit often.
std::string RandomText(std::mt19937& rng, std::size_t maxLength, std::string_view alphabet) {
  std::uniform_int_distribution<std::size_t> len(0, maxLength), pick(0, alphabet.size() - 1);
  std::string s(len(rng), ' ');
  for (char& c : s) c = alphabet[pick(rng)];
  return s;
}

void ExpectSameAsNaive(const List& entries, const std::vector<std::string>& addresses) {
  const SubstringMatcher matcher(entries);
  for (const std::string& a : addresses)
    ASSERT_EQ(matcher.Matches(a), NaiveListMatch(entries, a)) << "address \"" << a << "\", " << entries.size()
                                                               << " entries, first \"" << entries.front() << "\"";
}

TEST(SubstringMatcher, AgreesWithTheNaiveScanOnHostileLists) {
  // Case counts, anywhere in the address.
  const List abc{"abc"};
  ExpectSameAsNaive(abc, {"http://abc.example/", "http://x.example/p/abc", "http://x.example/?q=xabcx", "ABC",
                          "http://Abc.example/", "ab", "", "abc"});
  EXPECT_TRUE(SubstringMatcher(abc).Matches("http://x.example/?q=abc"));
  EXPECT_FALSE(SubstringMatcher(List{"ABC"}).Matches("http://abc.example/"));

  // Failure links: a match that begins inside a partial match of another entry.
  ExpectSameAsNaive({"abcd", "bcx"}, {"abcx", "abcd", "abcbcx", "abc", "xbcx"});
  ExpectSameAsNaive({"aab"}, {"aaab", "aaaaaaab", "abab", "aa"});
  ExpectSameAsNaive({"he", "she", "his", "hers"}, {"ushers", "hi", "ahishe", "sh", "h", "rsh"});
  // Entries that are prefixes and suffixes of each other, and duplicates.
  ExpectSameAsNaive({"ads", "ads.", "ads.example", "example", "ample", "ads"},
                    {"http://ad.example/", "http://ad/", "xads", "exampl", "amplex", "http://x/ample"});
  // Bytes above 127, a NUL inside an entry and the address.
  ExpectSameAsNaive({"\xc3\xa4", "\xff\xfe", "a\0b"s},
                    {"\xc3\x84", "x\xc3\xa4x", "\xfe\xff", "\xff\xfe", "a\0b"s, "ab"});

  // A very long entry against addresses that almost hold it.
  const std::string longEntry = std::string(10000, 'a') + "b";
  ExpectSameAsNaive({longEntry, "ab" + std::string(50, 'c')},
                    {std::string(20000, 'a') + "b", std::string(20000, 'a'), std::string(9999, 'a') + "b",
                     std::string(30000, 'a') + "c"});

  // The empty entry is contained in every address, the empty one too; no
  // entries match nothing.
  EXPECT_TRUE(SubstringMatcher(List{"zzz", ""}).Matches(""));
  EXPECT_TRUE(SubstringMatcher(List{""}).Matches("http://any.example/"));
  EXPECT_FALSE(SubstringMatcher(List{}).Matches(""));
  EXPECT_FALSE(SubstringMatcher().Matches("http://any.example/"));
  EXPECT_FALSE(SubstringMatcher(List{"x"}).Matches(""));
  EXPECT_TRUE(NaiveListMatch({""}, ""));
  EXPECT_FALSE(NaiveListMatch({}, ""));

  // Random lists over small alphabets, with bytes of every kind.
  std::mt19937 rng(20240611);
  const std::string_view alphabets[] = {"ab", "abc", "aA./", "a\x80\xff\x01"};
  for (int round = 0; round < 400; ++round) {
    const std::string_view alphabet = alphabets[round % 4];
    List entries;
    const int count = 1 + round % 23;
    for (int i = 0; i < count; ++i) {
      std::string e = RandomText(rng, 6, alphabet);
      entries.push_back(e.empty() ? std::string(1, alphabet[0]) + "b" : e);
    }
    std::vector<std::string> addresses;
    for (int i = 0; i < 40; ++i) addresses.push_back(RandomText(rng, 30, alphabet));
    ExpectSameAsNaive(entries, addresses);
  }
}

List UrlFragments(std::size_t count) {
  std::mt19937 rng(7);
  const char* tlds[] = {".com", ".net", ".example", ".org", ".co.uk"};
  const char* words[] = {"ads", "track", "pop", "banner", "click", "cdn", "media", "stat", "promo", "img"};
  List out;
  for (std::size_t i = 0; i < count; ++i) {
    std::string e;
    switch (i % 3) {
      case 0: e = words[rng() % 10] + std::to_string(rng() % 100000) + tlds[rng() % 5]; break;
      case 1: e = "/" + std::string(words[rng() % 10]) + "/" + std::to_string(rng() % 1000000) + ".js"; break;
      default: e = std::string(words[rng() % 10]) + "." + words[rng() % 10] + std::to_string(i) + tlds[rng() % 5];
    }
    out.push_back(std::move(e));
  }
  return out;
}

TEST(SubstringMatcher, HundredThousandEntriesMatchLikeTheScanInLittleMemory) {
  const List entries = UrlFragments(100000);
  std::size_t bytes = 0;
  for (const std::string& e : entries) bytes += e.size();
  const SubstringMatcher matcher(entries);
  // No wide table per node: a few bytes per entry byte at most.
  EXPECT_LE(matcher.memoryBytes(), 12 * bytes) << matcher.nodeCount() << " nodes";

  std::vector<std::string> addresses;
  std::mt19937 rng(11);
  for (int i = 0; i < 60; ++i) {
    addresses.push_back("http://www.site" + std::to_string(i) + ".example/page?id=" + std::to_string(rng()));
    addresses.push_back("http://" + entries[rng() % entries.size()] + "/x");          // holds an entry
    std::string near = entries[rng() % entries.size()];
    near.back() = '#';                                                                 // almost holds one
    addresses.push_back("https://q.example/" + near);
  }
  int hits = 0;
  for (const std::string& a : addresses) {
    const bool expected = NaiveListMatch(entries, a);
    hits += expected;
    ASSERT_EQ(matcher.Matches(a), expected) << a;
  }
  EXPECT_GE(hits, 60);
  EXPECT_LT(hits, static_cast<int>(addresses.size()));
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
  EXPECT_EQ(filter.Black(), (List{"pop"}));
  EXPECT_TRUE(filter.White().empty());
}

CSiteFilter Preset() {
  CSiteFilter f;
  f.SetBlack({"old-black"});
  f.SetWhite({"old-white"});
  return f;
}

struct Loaded {
  List black, white;
};

Loaded LoadText(const TempDir& dir, const std::string& content) {
  dir.write("filter.dat", content);
  CSiteFilter f = Preset();
  f.LoadSiteFilter(dir.file("filter.dat"));
  return {f.Black(), f.White()};
}

TEST(SiteFilterFile, ReadingRules) {
  TempDir dir;
  const List oldB{"old-black"}, oldW{"old-white"};
  auto expect = [&](const std::string& content, const List& black, const List& white) {
    const Loaded got = LoadText(dir, content);
    EXPECT_EQ(got.black, black) << content;
    EXPECT_EQ(got.white, white) << content;
  };
  expect("[include]\nads.\n  pop \n\n[exclude]\ngood\n", {"ads.", "pop"}, {"good"});
  // Empty lines before the headers; a header is trimmed but exact in case.
  expect("\n \t\n [include]\na\n\n\n\n[exclude] \nw\n", {"a"}, {"w"});
  expect("[INCLUDE]\na\n\n[exclude]\nw\n", oldB, oldW);
  // Starting with the white list's header loads nothing.
  expect("[exclude]\nw\n\n[include]\na\n", oldB, oldW);
  expect("junk\n[include]\na\n", oldB, oldW);
  expect("", oldB, oldW);
  // No white list section: the black list is read, the white one kept.
  expect("[include]\na\nb", {"a", "b"}, oldW);
  expect("[include]\na\n\n", {"a"}, oldW);
  expect("[include]\na\n\nsomething\n[exclude]\nw\n", {"a"}, oldW);
  expect("[include]\n", {}, oldW);
  expect("[include]\n\n[exclude]\n", {}, {});
  // Headers where entries belong are entries; a repeated section is ignored.
  expect("[include]\n[include]\na\n[exclude]\nw\n", {"[include]", "a", "[exclude]", "w"}, oldW);
  expect("[include]\na\n\n[include]\nb\n", {"a"}, oldW);
  expect("[include]\na\n\n[exclude]\nw\n\n[exclude]\nv\n[include]\nz\n", {"a"}, {"w"});
  // CR LF and lone CR line ends.
  expect("[include]\r\na\r\n\r\n[exclude]\r\nw\r\n", {"a"}, {"w"});
  expect("[include]\ra\r\r[exclude]\rw", {"a"}, {"w"});

  // Over-long lines are skipped without ending the section; the longest
  // allowed line is kept whole.
  const std::string fits(kFilterLineLimit, 'f'), over(kFilterLineLimit + 1, 'o');
  expect("[include]\n" + fits + "\n" + over + "\nb\n\n[exclude]\n" + std::string(100000, 'x') + "\nw\n",
         {fits, "b"}, {"w"});
  expect(std::string(kFilterLineLimit + 1, ' ') + "x\n[include]\na\n", oldB, oldW);
  expect(over + "\n[include]\na\n", oldB, oldW);
  // Binary bytes are entries like any others; lines with a NUL are skipped.
  expect("[include]\n\x01\xfe\xff\x7f\na\0b\nc\n\n[exclude]\n\0\n\xc3\xa4\n"s, {"\x01\xfe\xff\x7f", "c"},
         {"\xc3\xa4"});
  expect("\0[include]\na\n"s, oldB, oldW);
  // A large binary file without line breaks: no crash, nothing loaded.
  std::string garbage;
  for (int i = 0; i < 300000; ++i) garbage += static_cast<char>((i * 131) % 256);
  expect(garbage, oldB, oldW);

  // A missing file or a folder in its place changes nothing.
  CSiteFilter f = Preset();
  f.LoadSiteFilter(dir.file("missing.dat"));
  EXPECT_EQ(f.Black(), oldB);
  f.LoadSiteFilter(dir.path());
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
  CSiteFilter f;
  const List black{"ads.", "[exclude]", "x y", "\x01\xff bytes", "ads."};
  const List white{"[include]", "good.example"};
  f.SetBlack(black);
  f.SetWhite(white);
  ASSERT_TRUE(f.SaveSiteFilter(path));
  EXPECT_EQ(dir.read("filter.dat"),
            "[include]\nads.\n[exclude]\nx y\n\x01\xff bytes\nads.\n\n[exclude]\n[include]\ngood.example\n");
  CSiteFilter back = Preset();
  back.LoadSiteFilter(path);
  EXPECT_EQ(back.Black(), black);
  EXPECT_EQ(back.White(), white);

  // Empty lists still give both headers, and read back empty.
  ASSERT_TRUE(CSiteFilter().SaveSiteFilter(path));
  EXPECT_EQ(dir.read("filter.dat"), "[include]\n\n[exclude]\n");
  back = Preset();
  back.LoadSiteFilter(path);
  EXPECT_TRUE(back.Black().empty());
  EXPECT_TRUE(back.White().empty());

  // Entries the file cannot hold are left out rather than breaking it:
  // empty or blank ones would end the section, line breaks and NULs would
  // split or cut the entry. Surrounding blanks are lost on reading; an
  // over-long entry is kept as its first kFilterLineLimit bytes.
  const std::string huge = std::string(kFilterLineLimit, 'h') + "tail";
  f.SetBlack({"a", "", "   ", "one\ntwo", "cr\rx", "nul\0x"s, std::string(kFilterLineLimit, ' ') + "x", " pad ",
              huge, "z"});
  f.SetWhite({"", "w"});
  ASSERT_TRUE(f.SaveSiteFilter(path));
  back = Preset();
  back.LoadSiteFilter(path);
  EXPECT_EQ(back.Black(), (List{"a", "pad", std::string(kFilterLineLimit, 'h'), "z"}));
  EXPECT_EQ(back.White(), (List{"w"}));
  EXPECT_EQ(StoredFilterLine("a\0b"s), std::nullopt);
  EXPECT_EQ(StoredFilterLine(" pad "), " pad ");
  EXPECT_EQ(std::string(kSiteFilterSaveFailed), "Can't save the site filter file!");
}

TEST(SiteFilterFile, FailedSaveReturnsFalseAndKeepsTheOldFile) {
  TempDir dir;
  CSiteFilter f;
  f.SetBlack({"a"});
  // A folder that does not exist, and a parent that is a regular file.
  EXPECT_FALSE(f.SaveSiteFilter(dir.file("missing/filter.dat")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
  dir.write("plain", "not a folder");
  EXPECT_FALSE(f.SaveSiteFilter(dir.file("plain") + "/filter.dat"));
  EXPECT_EQ(dir.read("plain"), "not a folder");
  // A folder in the file's place is never replaced.
  std::filesystem::create_directory(dir.file("filter.dat"));
  dir.write("filter.dat/keep", "kept");
  EXPECT_FALSE(f.SaveSiteFilter(dir.file("filter.dat")));
  EXPECT_EQ(dir.read("filter.dat/keep"), "kept");
  EXPECT_EQ(f.Black(), (List{"a"}));

  // The disk fills up half way: false, and the old file is left byte for byte.
  const std::string old = "[include]\nold\n\n[exclude]\nkeep\n";
  dir.write("full.dat", old);
  const int rc = RunWithFileSizeLimit(4096, [&] {
    CSiteFilter big;
    big.SetBlack(List(200, std::string(100, 'b')));
    return big.SaveSiteFilter(dir.file("full.dat")) ? 1 : 0;
  });
  EXPECT_EQ(rc, 0) << "1: reported success, 3: no limit";
  EXPECT_EQ(dir.read("full.dat"), old);
}

TEST(FilterDialog, OpenSortsWithoutMergingAndSelectsFirst) {
  MessageRecorder messages;
  FilterDialogModel m;
  m.Open({"zoo.example", "Ads.", "pop", "ads.", "ads.", "\xc3\xa4rger"});
  EXPECT_EQ(m.rows(), (List{"Ads.", "ads.", "ads.", "pop", "zoo.example", "\xc3\xa4rger"}));
  EXPECT_EQ(m.selection(), 0);
  EXPECT_EQ(m.editText(), "Ads.");
  m.Select(3);
  EXPECT_EQ(m.editText(), "pop");
  m.Select(99);
  EXPECT_EQ(m.selection(), -1);
  EXPECT_EQ(m.editText(), "pop");
  // Confirming keeps equal entries (added twice from a site) in sorted order.
  List list{"b", "a", "b"};
  m.Open(list);
  m.Accept(list);
  EXPECT_EQ(list, (List{"a", "b", "b"}));
  m.Open({});
  EXPECT_EQ(m.selection(), -1);
  EXPECT_EQ(m.editText(), "");
  EXPECT_TRUE(messages.messages.empty());
}

TEST(FilterDialog, AddRefusesDuplicatesAndEmptyText) {
  MessageRecorder messages;
  FilterDialogModel m;
  m.Open({"ads.", "pop"});
  m.Select(1);
  const List before = m.rows();
  struct Bad {
    std::string text, message;
  };
  for (const Bad& b : std::vector<Bad>{{"ADS.", kFilterExists},
                                       {"  Pop\t", kFilterExists},
                                       {"", kFilterEmpty},
                                       {" \t \r", kFilterEmpty},
                                       {"a\nb", kFilterLineBreak},
                                       {"a\0b"s, kFilterLineBreak}}) {
    messages.messages.clear();
    m.SetEditText(b.text);
    EXPECT_FALSE(m.Add());
    EXPECT_EQ(messages.messages, (List{b.message})) << b.text;
    EXPECT_EQ(m.rows(), before);
    EXPECT_EQ(m.editText(), b.text) << "kept for the user to fix";
  }
  EXPECT_EQ(messages.messages.back(), "A filter cannot contain line breaks.");
  EXPECT_EQ(std::string(kFilterEmpty), "An empty filter would match every address. Please type a part of an address.");
  messages.messages.clear();
  // Trimmed, sorted in, the field cleared, the selection stays on "pop".
  m.SetEditText("  Banner ");
  EXPECT_TRUE(m.Add());
  EXPECT_EQ(m.rows(), (List{"ads.", "Banner", "pop"}));
  EXPECT_EQ(m.selection(), 2);
  EXPECT_EQ(m.editText(), "");
  m.SetEditText("zzz");
  EXPECT_TRUE(m.Add());
  EXPECT_EQ(m.selection(), 2);
  // A longer or shorter text is no duplicate.
  m.SetEditText("ads");
  EXPECT_TRUE(m.Add());
  EXPECT_EQ(m.rows(), (List{"ads", "ads.", "Banner", "pop", "zzz"}));
  EXPECT_TRUE(messages.messages.empty());
}

TEST(FilterDialog, RemoveAndChangeKeepASensibleSelection) {
  MessageRecorder messages;
  FilterDialogModel m;
  m.Open({"a", "b", "c"});
  m.Select(1);
  EXPECT_TRUE(m.Remove());
  EXPECT_EQ(m.rows(), (List{"a", "c"}));
  EXPECT_EQ(m.selection(), 1);
  EXPECT_EQ(m.editText(), "c");
  EXPECT_TRUE(m.Remove());  // the last one: the new last is selected
  EXPECT_EQ(m.selection(), 0);
  EXPECT_EQ(m.editText(), "a");
  EXPECT_TRUE(m.Remove());
  EXPECT_TRUE(m.rows().empty());
  EXPECT_EQ(m.selection(), -1);
  EXPECT_EQ(m.editText(), "");
  EXPECT_FALSE(m.Remove());
  m.SetEditText("x");
  EXPECT_FALSE(m.Change());

  m.Open({"ads.", "pop", "track"});
  m.Select(-1);
  m.SetEditText("new");
  EXPECT_FALSE(m.Change()) << "no selection, nothing happens";
  EXPECT_EQ(m.rows(), (List{"ads.", "pop", "track"}));
  m.Select(0);
  m.SetEditText("TRACK");
  EXPECT_FALSE(m.Change());
  EXPECT_EQ(messages.messages, (List{kFilterExists}));
  m.SetEditText("   ");
  EXPECT_FALSE(m.Change());
  EXPECT_EQ(messages.messages.back(), kFilterEmpty);
  EXPECT_EQ(m.rows(), (List{"ads.", "pop", "track"}));
  // The selected row itself may change case; a changed row is sorted anew
  // and stays selected.
  m.SetEditText("ADS.");
  EXPECT_TRUE(m.Change());
  EXPECT_EQ(m.rows(), (List{"ADS.", "pop", "track"}));
  m.SetEditText(" zebra ");
  EXPECT_TRUE(m.Change());
  EXPECT_EQ(m.rows(), (List{"pop", "track", "zebra"}));
  EXPECT_EQ(m.selection(), 2);
  EXPECT_EQ(m.editText(), "zebra");

  // OK writes the displayed order; not calling it (Cancel) leaves the list.
  List list{"track", "pop"};
  m.Open(list);
  m.SetEditText("new");
  m.Add();
  EXPECT_EQ(list, (List{"track", "pop"}));
  m.Accept(list);
  EXPECT_EQ(list, (List{"new", "pop", "track"}));
  EXPECT_STREQ(FilterDialogModel::kHelpPage, "sitefilter.htm");
}

TEST(AddSiteToFilter, HostNamesAsAUrlParserGivesThem) {
  const std::pair<std::string, std::string> cases[] = {
      {"http://www.example.com/path?q=1", "www.example.com"},
      {"https://user:pw@Sub.Example.COM:8443/x", "sub.example.com"},
      {"HTTP://X.example", "x.example"},
      {"http://a@b@c.example/", "c.example"},
      {"http://host.example?q", "host.example"},
      {"http://host.example#frag", "host.example"},
      {"http://host.example:/", "host.example"},
      {"http://[2001:DB8::1]:8080/x", "[2001:db8::1]"},
      {"http://[fe80::1%25eth0]/", "[fe80::1%25eth0]"},
      {"http://evil.example\\@good.example/", "evil.example"},
      {"ftp://files.example/pub", "files.example"},
      {"http://host:abc/", ""},
      {"http://[::1/", ""},
      {"http://[]/", ""},
      {"http://[::1]x/", ""},
      {"http://a b.example/", ""},
      {"http://user@/", ""},
      {"http://", ""},
      {"http:/x.example/", ""},
      {"file:///etc/passwd", ""},
      {"mailto:me@example.org", ""},
      {"example.org", ""},
      {"1http://x.example/", ""},
      {"", ""},
  };
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

  // The whole address, twice: no duplicate check here.
  const std::string page = "http://Pop.example:81/win?id=7";
  EXPECT_FALSE(AddSiteToFilter(filter, false, page, ask));
  tickClose = true;  // no effect on the white list
  EXPECT_FALSE(AddSiteToFilter(filter, false, page, ask));
  EXPECT_EQ(filter.White(), (List{page, page}));
  EXPECT_TRUE(filter.WhiteListMatch(page));

  // Cancel adds nothing and closes nothing.
  answer = false;
  EXPECT_FALSE(AddSiteToFilter(filter, true, page, ask));
  EXPECT_TRUE(filter.Black().empty());

  // The entire domain: every page of the host and any address holding it.
  answer = true;
  tickDomain = true;
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
