#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "address/alias.h"
#include "address/alias_dialog.h"
#include "common/message.h"
#include "common/textfile.h"
#include "support/disk_full.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace kestrel {

void PrintTo(const AliasEntry& e, std::ostream* os) { *os << "{\"" << e.alias << "\", \"" << e.fullText << "\"}"; }

namespace {

using namespace std::string_literals;
using Entries = std::vector<AliasEntry>;
using Strings = std::vector<std::string>;
using test::MessageRecorder;
using test::TempDir;
const Strings kSaveFailed{"Can't save alias file!"};

// Records messages and answers questions as the test says.
class Answering : public MessagePresenter {
 public:
  explicit Answering(bool ok) : ok_(ok) { SetMessagePresenter(this); }
  ~Answering() override { SetMessagePresenter(nullptr); }
  Strings messages;
  bool PresentMessage(const std::string& text, MessageKind kind) override {
    messages.push_back(text);
    return kind == MessageKind::Info || ok_;
  }

 private:
  bool ok_;
};

TEST(AliasFile, ReadingRulesAndHostileFiles) {
  TempDir dir;
  MessageRecorder messages;
  const std::string a(kAliasLineLimit - 4, 'a'), b(kAliasLineLimit - 4, 'b'), c(90, 'c');
  const std::string exact = "x " + std::string(kAliasLineLimit - 2, 'y');
  const struct { std::string content; Entries entries; } cases[] = {
      // Split at the first blank or tab; the full text keeps its inner blanks.
      {"bank     https://bank.example/login\n", {{"bank", "https://bank.example/login"}}},
      {"   \t news  http://news.example/ today  \n", {{"news", "http://news.example/ today"}}},
      {"mail\t \tmailto:me@example.org\n", {{"mail", "mailto:me@example.org"}}},
      {"example.org\n", {{"", "example.org"}}},  // no separator: an entry that can never match
      // CR LF, blank lines and a last line without a break; file order kept.
      {"a one\r\n\r\n   \r\nb two\r\nc three", {{"a", "one"}, {"b", "two"}, {"c", "three"}}},
      // Long lines are read in pieces; exactly the limit is still one line.
      {"one " + a + "two " + b + c + "\n", {{"one", a}, {"two", b}, {"", c}}},
      {exact + "\n", {{"x", exact.substr(2)}}},
      {"", {}},
      // Lines with NUL bytes are dropped; other binary bytes are text like any other.
      {"bad\0alias x\nok fine\nbin \x01\x02\xff\0tail\n"s, {{"ok", "fine"}}},
      {"\x01\xfe \x7f\x80\n"s, {{"\x01\xfe", "\x7f\x80"}}}};
  for (const auto& [content, entries] : cases) {
    dir.write("alias.txt", content);
    AliasList list;
    list.LoadAliases(dir.file("alias.txt"));
    EXPECT_EQ(list.entries(), entries) << content.substr(0, 60);
  }
  // A huge line of garbage without breaks: pieces, no crash, nothing over the limit.
  std::string garbage;
  for (int i = 0; i < 100000; ++i) garbage += static_cast<char>(1 + (i * 37) % 250);
  dir.write("garbage.txt", garbage);
  AliasList list;
  list.LoadAliases(dir.file("garbage.txt"));
  EXPECT_FALSE(list.entries().empty());
  for (const AliasEntry& e : list.entries()) EXPECT_LE(e.alias.size() + e.fullText.size(), kAliasLineLimit);

  // Loading empties the list first, even when the file is missing or a folder.
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
                     {"b", "second b"}, {"x", longest}};
  AliasList list, back;
  list.Replace(good);
  ASSERT_EQ(list.SaveAliases(path), 0);
  EXPECT_EQ(TempDir::ReadFile(path), "b http://b.example/?q=a b\nA \x01\xff weird bytes\n nomatch\nb second b\nx " +
                                         longest + "\n");
  back.LoadAliases(path);
  EXPECT_EQ(back.entries(), good);

  // Entries the file cannot hold are left out instead of coming back as
  // something else: a blank in the alias, line breaks, NULs, a line past the
  // limit, and an empty alias before text with a blank (it would turn live).
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
  for (const AliasEntry& e : good) EXPECT_TRUE(CanStoreAlias(e)) << e.alias;
  for (const AliasEntry& e : hostile) EXPECT_FALSE(CanStoreAlias(e)) << e.alias;
}

TEST(AliasFile, FailedSaveIsReportedAndChangesNothing) {
  TempDir dir;
  MessageRecorder messages;
  AliasList list;
  list.Replace({{"a", "b"}});
  // A parent that is a regular file fails even for root; a folder in the file's place is never replaced.
  dir.write("plain", "not a folder");
  EXPECT_EQ(list.SaveAliases(dir.file("plain") + "/alias.txt"), -1);
  EXPECT_EQ(messages.messages, kSaveFailed);
  EXPECT_EQ(dir.read("plain"), "not a folder");
  std::filesystem::create_directory(dir.file("alias.txt"));
  dir.write("alias.txt/keep", "kept");
  EXPECT_EQ(list.SaveAliases(dir.file("alias.txt")), -1);
  EXPECT_EQ(messages.messages.size(), 2u);
  EXPECT_EQ(dir.read("alias.txt/keep"), "kept");

  // The disk fills up half way (a file size limit, which binds root too):
  // reported, and the old file is left byte for byte.
  const std::string old = "old \x01 content\r\nwith\0nul\n"s;
  dir.write("full.txt", old);
  const int rc = test::RunWithFileSizeLimit(4096, [&] {
    MessageRecorder inChild;
    AliasList big;
    big.Replace(Entries(100, AliasEntry{"big", std::string(200, 'b')}));
    return big.SaveAliases(dir.file("full.txt")) == 0 ? 1 : inChild.messages != kSaveFailed ? 2 : 0;
  });
  EXPECT_EQ(rc, 0) << "1: reported success, 2: no message, 3: no limit";
  EXPECT_EQ(dir.read("full.txt"), old);
}

TEST(AliasLookup, WholeTextFirstEntryAnyCase) {
  AliasList list;
  list.Replace({{"", "empty"}, {"Bank", "first bank"}, {"mail", "mailto:x"}, {"bank", "second bank"},
                {"\xc3\x84rger", "umlaut"}, {"a", "mail"}});
  // Only ASCII letters fold; the full text is returned as is, not looked up again.
  const std::pair<std::string, std::string> cases[] = {
      {"bank", "first bank"}, {"BANK", "first bank"}, {"MaIl", "mailto:x"}, {"bank account", ""}, {"ban", ""},
      {"banks", ""},          {"", ""},               {"\xc3\x84rger", "umlaut"}, {"\xc3\xa4rger", ""}, {"a", "mail"}};
  for (const auto& [text, full] : cases) EXPECT_EQ(list.LookupAlias(text), full) << text;
}

AliasList Sample() {
  AliasList list;
  list.Replace({{"mail", "mailto:me"}, {"Bank", "https://bank"}, {"zoo", "http://zoo"}, {"bank", "dup bank"},
                {"apple", "http://apple"}});
  return list;
}

Strings Aliases(const AliasDialogModel& m) {
  Strings out;
  for (const AliasEntry& e : m.rows()) out.push_back(e.alias);
  return out;
}

TEST(AliasDialog, OpenSortsStablyAndSelectsFirst) {
  MessageRecorder messages;
  AliasDialogModel m;
  m.Open(Sample());
  EXPECT_EQ(Aliases(m), (Strings{"apple", "Bank", "bank", "mail", "zoo"}));
  EXPECT_EQ(m.selection(), (std::set<int>{0}));
  EXPECT_EQ(m.aliasField(), "apple");
  EXPECT_EQ(m.fullTextField(), "http://apple");
  // Selecting copies the first selected row; bad indexes are ignored.
  m.Select({3, 1, 99, -1});
  EXPECT_EQ(m.selection(), (std::set<int>{1, 3}));
  EXPECT_EQ(m.aliasField(), "Bank");
  // Same column flips, equal keys keep their order, selection follows rows.
  m.SortBy(AliasDialogModel::kAliasColumn);
  EXPECT_FALSE(m.ascending());
  EXPECT_EQ(Aliases(m), (Strings{"zoo", "mail", "Bank", "bank", "apple"}));
  EXPECT_EQ(m.selection(), (std::set<int>{1, 2}));
  m.SortBy(AliasDialogModel::kFullTextColumn);
  EXPECT_TRUE(m.ascending());
  EXPECT_EQ(Aliases(m), (Strings{"bank", "apple", "zoo", "Bank", "mail"}));
  m.SortBy(7);  // no such column
  EXPECT_EQ(m.sortColumn(), AliasDialogModel::kFullTextColumn);
  // An empty list opens with nothing selected.
  m.Open(AliasList{});
  EXPECT_TRUE(m.rows().empty());
  EXPECT_TRUE(m.selection().empty());
  EXPECT_TRUE(messages.messages.empty());
}

TEST(AliasDialog, AddValidatesInsertsAndSelects) {
  MessageRecorder messages;
  AliasDialogModel m;
  m.Open(Sample());
  const auto before = m.rows();
  const std::string noBlanks = "Invalid alias! An alias is a single word without blanks or tabs.",
                    noBreaks = "Invalid full text! It cannot contain line breaks.";
  const struct { std::string alias, full, message; } bad[] = {
      {"", "x", "Invalid alias!"},       {"  \t", "x", "Invalid alias!"},      {"my bank", "x", noBlanks},
      {"a\tb", "x", noBlanks},           {"ok", "", "Invalid full text!"},     {"ok", "   ", "Invalid full text!"},
      {"ok", "one\ntwo", noBreaks},      {"ok", "a\0b"s, noBreaks},
      {"ok", std::string(kAliasLineLimit, 'x'),
       "The alias and full text are too long: together they may have at most 254 characters."}};
  for (const auto& b : bad) {
    messages.messages.clear();
    m.SetFields(b.alias, b.full);
    EXPECT_FALSE(m.Add());
    EXPECT_EQ(messages.messages, (Strings{b.message})) << b.alias << "|" << b.full;
    EXPECT_EQ(m.rows(), before);
    EXPECT_EQ(m.aliasField(), b.alias);  // kept for the user to fix
  }
  messages.messages.clear();
  // A duplicate goes after the existing ones; the first equal alias is selected.
  m.SetFields(" bank ", " http://new ");
  EXPECT_TRUE(m.Add());
  EXPECT_EQ(Aliases(m), (Strings{"apple", "Bank", "bank", "bank", "mail", "zoo"}));
  EXPECT_EQ(m.rows()[3], (AliasEntry{"bank", "http://new"}));
  EXPECT_EQ(m.selection(), (std::set<int>{2}));
  EXPECT_EQ(m.focusRow(), 2);
  EXPECT_EQ(m.aliasField() + m.fullTextField(), "");
  // In descending order the new row is sorted in the same way.
  m.SortBy(AliasDialogModel::kAliasColumn);
  m.SetFields("b", "x");
  EXPECT_TRUE(m.Add());
  EXPECT_EQ(Aliases(m), (Strings{"zoo", "mail", "Bank", "bank", "bank", "b", "apple"}));
  EXPECT_EQ(m.selection(), (std::set<int>{5}));
  // The longest storable entry is accepted.
  m.SetFields("y", std::string(kAliasLineLimit - 2, 'y'));
  EXPECT_TRUE(m.Add());
  EXPECT_TRUE(messages.messages.empty());
}

TEST(AliasDialog, RemoveAsksAndChangeNeedsSelection) {
  {
    Answering cancel(false);
    AliasDialogModel m;
    m.Open(Sample());
    m.Select({0, 2});
    m.SetFields("typed", "text");
    EXPECT_FALSE(m.Remove());
    EXPECT_EQ(cancel.messages, (Strings{"Are you sure to delete the selected entries?"}));
    EXPECT_EQ(m.rows().size(), 5u);
    EXPECT_EQ(m.aliasField(), "");
  }
  Answering ok(true);
  AliasDialogModel m;
  m.Open(Sample());
  m.Select({0, 2, 4});
  EXPECT_TRUE(m.Remove());
  EXPECT_EQ(Aliases(m), (Strings{"Bank", "mail"}));
  EXPECT_TRUE(m.selection().empty());
  EXPECT_EQ(m.fullTextField(), "");

  ok.messages.clear();
  m.SetFields("new", "text");
  EXPECT_FALSE(m.Change());
  EXPECT_EQ(ok.messages, (Strings{"Please select an entry for change!"}));
  EXPECT_EQ(Aliases(m), (Strings{"Bank", "mail"}));
  // With a selection: validated like Add, written into the first selected row.
  m.Select({1, 0});
  m.SetFields("two words", "x");
  EXPECT_FALSE(m.Change());
  EXPECT_EQ(m.rows()[0], (AliasEntry{"Bank", "https://bank"}));
  m.SetFields("aaa", "http://aaa");
  EXPECT_TRUE(m.Change());
  EXPECT_EQ(m.rows(), (Entries{{"aaa", "http://aaa"}, {"mail", "mailto:me"}}));
  EXPECT_EQ(m.aliasField(), "");
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
  // A flipped order is written as shown; a failed write still replaces the list.
  m.SortBy(AliasDialogModel::kAliasColumn);
  AliasList other;
  dir.write("plain", "");
  EXPECT_EQ(m.Close(other, dir.file("plain") + "/alias.txt"), -1);
  EXPECT_EQ(messages.messages, kSaveFailed);
  EXPECT_EQ(other.LookupAlias("bank"), "https://bank");
  EXPECT_EQ(other.entries().front().alias, "zoo");
}

}  // namespace
}  // namespace kestrel
