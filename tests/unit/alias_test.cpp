#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "address/alias.h"
#include "address/alias_dialog.h"
#include "common/message.h"
#include "support/fakes.h"
#include "support/list_editor_steps.h"
#include "support/temp_dir.h"

namespace kestrel {

void PrintTo(const AliasEntry& e, std::ostream* os) { *os << "{\"" << e.alias << "\", \"" << e.fullText << "\"}"; }

namespace {

using namespace std::string_literals;
using Entries = std::vector<AliasEntry>;
using Strings = std::vector<std::string>;
using test::MessageRecorder;
using test::PlaySteps;
using test::TempDir;
const Strings kSaveFailed{"Can't save alias file!"};

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
      // Blank lines and a last line without a break; file order kept.
      {"a one\r\n\r\n   \r\nb two\r\nc three", {{"a", "one"}, {"b", "two"}, {"c", "three"}}},
      {"\x01\xfe \x7f\x80\n"s, {{"\x01\xfe", "\x7f\x80"}}}};
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

const std::string kSampleRows = "apple|Bank|bank|mail|zoo";

TEST(AliasDialog, OpenSortsStablyAndTheHeadersSortBothWays) {
  AliasDialogModel m;
  m.Open(Sample());
  // Selecting copies the first selected row; bad indexes are ignored. The same column flips, equal keys
  // keep their order, the selection follows its rows; a column that is not there changes nothing.
  PlaySteps(m, {{"", {}, false, kSampleRows, "0", "apple|http://apple"},
                {"select 3 1 99 -1", {}, false, kSampleRows, "1 3", "Bank|https://bank"},
                {"sort 0", {}, false, "zoo|mail|Bank|bank|apple", "1 2", "Bank|https://bank"},
                {"sort 1", {}, false, "bank|apple|zoo|Bank|mail", "3 4", "Bank|https://bank"},
                {"sort 7", {}, false, "bank|apple|zoo|Bank|mail", "3 4", "Bank|https://bank"}});
  EXPECT_EQ(m.sortColumn(), AliasDialogModel::kFullTextColumn);
  EXPECT_TRUE(m.ascending());
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
                {"add", {"  \t", "x"}, false, kSampleRows, "0", "  \t|x", "Invalid alias!"},
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
