#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "address/resolver.h"
#include "language/language.h"
#include "common/message.h"
#include "common/strings.h"
#include "popups/filter_dialog.h"
#include "popups/site_filter.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

// English, a target language and a third one, written as translators do
// (CR LF, a comment, blanks around entries).
class LanguageFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.write("English.ini",
              "; Kestrel English\r\n"
              "[Strings]\r\n"
              "1=Open\r\n"
              "2=&File\r\n"
              "3=File\r\n"
              "  4=Organize Group  \r\n"
              "5=Close All Blank && Failed Sites\r\n"
              "6=Line one\\nLine two\r\n"
              "7=open\r\n"
              "8=Only English\r\n"
              "10=Close All Blank  Failed Sites\r\n"
              "11=Deutsch\r\n"
              "12=Klingon\r\n");
    dir.write("Deutsch.ini",
              "1=Öffnen\n"
              "2=&Datei\n"
              "3=Datei\n"
              "4=Gruppe organisieren\n"
              "5=Alle leeren && fehlerhaften schließen\n"
              "6=Zeile eins\\nZeile zwei\n"
              "1=Zweites Öffnen\n"
              "9=Nur Deutsch\n"
              "10=Falsch: && entfernt\n"
              "11=Deutsch\n"
              "12=Klingonisch\n");
    dir.write("Klingon.ini", "4=tlhIngan\n12=tlhIngan Hol\n");
  }
  std::string T(const std::string& text, const std::string& from, const std::string& to) {
    std::string cached = langs.Translate(text, from, to);
    // The cache never changes a result.
    EXPECT_EQ(cached, TranslateUncached(dir.path(), text, from, to)) << text;
    return cached;
  }

  test::TempDir dir;
  CLanguages langs{dir.path()};
};

TEST(LanguageLine, EntryRules) {
  auto e = ParseLanguageLine("  12 = Open a = b \t");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->number, 12);
  EXPECT_EQ(e->text, " Open a = b");  // split at the first "=", the text keeps its inner blanks
  EXPECT_EQ(ParseLanguageLine("007=x")->number, 7);
  EXPECT_EQ(ParseLanguageLine("2147483647=max")->number, INT_MAX);
  EXPECT_EQ(ParseLanguageLine("5=")->text, "");
  for (const char* bad : {"Open", "", "=x", "0=x", "-5=x", "+5=x", "12a=x", "1 2=x", "0x1F=x", "2147483648=x",
                          "99999999999999999999=x", "[Strings]", "; 1=comment"})
    EXPECT_FALSE(ParseLanguageLine(bad)) << bad;
  EXPECT_FALSE(ParseLanguageLine(std::string("3=a\0b", 5)));
  // 1023 bytes, blanks included, is the longest entry line.
  const std::string longest = "1=" + std::string(kMaxLanguageLine - 2, 'x');
  EXPECT_TRUE(ParseLanguageLine(longest));
  EXPECT_FALSE(ParseLanguageLine(longest + "x"));
  EXPECT_FALSE(ParseLanguageLine(" " + longest));

  EXPECT_EQ(RemoveAccelerators("&File && E&xit &&& &"), "File && Exit && ");
  EXPECT_EQ(LanguageSearchText("a\r\nb\nc\rd\r\n"), "a\\nb\nc\rd\\n");
  EXPECT_EQ(LanguageShownText("a\\nb\\\\n"), "a\r\nb\\\r\n");
}

TEST(LanguageLine, TableIndexesKeepTheFirstEntry) {
  LanguageTable t = LanguageTable::FromText(
      "99999999999999999999=x\n-5=x\n12a=x\n7=X\n7=second\n8=x\n9=\n9=late\n2147483647=max\n 13 =seven\n");
  EXPECT_EQ(t.NumberOf("x"), 7);  // bad numbers are no entries; "X" matches "x"
  ASSERT_TRUE(t.TextOf(7));
  EXPECT_EQ(*t.TextOf(7), "X");
  EXPECT_EQ(t.TextOf(9), nullptr);  // the first 9 is empty: nothing, not the later line
  EXPECT_EQ(t.NumberOf("late"), 9);
  EXPECT_EQ(t.NumberOf("MAX"), INT_MAX);
  EXPECT_EQ(t.NumberOf("seven"), 13);
  EXPECT_EQ(t.NumberOf(""), 0);
  EXPECT_EQ(t.NumberOf("&"), 0);  // empty after removing "&": never searched
  EXPECT_EQ(t.TextOf(0), nullptr);
  EXPECT_EQ(t.entries().size(), 7u);
}

TEST_F(LanguageFiles, FindsNumbersLikeTheTranslatorWroteThem) {
  EXPECT_EQ(T("Open...", "English", "Deutsch"), "Öffnen...");
  EXPECT_EQ(T("Organize Group...", "English", "Deutsch"), "Gruppe organisieren...");
  EXPECT_EQ(T("...", "English", "Deutsch"), "...");
  EXPECT_EQ(T("Open..", "English", "Deutsch"), "Open..");  // two dots are part of the text
  // An exact "&File" wins over the entry "File"; "F&ile" only finds "File".
  EXPECT_EQ(T("&File", "English", "Deutsch"), "&Datei");
  EXPECT_EQ(T("F&ile", "English", "Deutsch"), "Datei");
  // "&&" stays while the single markers go.
  EXPECT_EQ(T("Close All Blank && &Failed Sites", "English", "Deutsch"), "Alle leeren && fehlerhaften schließen");
  // Case is ignored; the first entry with a text wins, and the first with a number.
  EXPECT_EQ(T("OPEN", "English", "Deutsch"), "Öffnen");
  EXPECT_EQ(T("oRGANIZE gROUP", "English", "Deutsch"), "Gruppe organisieren");
  EXPECT_EQ(langs.NumberOf("open", "English"), 1);
  // Not in the target: English.ini's text (not the text as handed in).
  EXPECT_EQ(T("ONLY ENGLISH", "English", "Deutsch"), "Only English");
  EXPECT_EQ(T("Nowhere", "English", "Deutsch"), "Nowhere");
  EXPECT_EQ(T("Nowhere...", "Deutsch", "English"), "Nowhere...");
  EXPECT_EQ(T("", "English", "Deutsch"), "");
  EXPECT_EQ(T("&", "English", "Deutsch"), "&");
  // Found in the source, but no table has that number's text: as written.
  EXPECT_EQ(T("Nur Deutsch", "Deutsch", "Klingon"), "Nur Deutsch");
  EXPECT_EQ(T("Nur Deutsch", "Deutsch", "English"), "Nur Deutsch");
  // Only ASCII letters fold: "Ö" matches "Ö" but not "ö".
  EXPECT_EQ(T("ÖFFNEN", "Deutsch", "English"), "Open");
  EXPECT_EQ(T("öffnen", "Deutsch", "English"), "öffnen");
}

TEST_F(LanguageFiles, LineBreaksBothWays) {
  EXPECT_EQ(T("Line one\r\nLine two", "English", "Deutsch"), "Zeile eins\r\nZeile zwei");
  EXPECT_EQ(T("Zeile eins\r\nZeile zwei", "Deutsch", "English"), "Line one\r\nLine two");
  EXPECT_EQ(T("Line one\\nLine two", "English", "Deutsch"), "Zeile eins\r\nZeile zwei");
  // Only CR LF stands for "\n".
  EXPECT_EQ(T("Line one\nLine two", "English", "Deutsch"), "Line one\nLine two");
}

TEST_F(LanguageFiles, BetweenTwoOtherLanguagesFallsBackToEnglishOnBothSides) {
  // Klingon lacks "Öffnen"'s number 1: English.ini's text.
  EXPECT_EQ(T("Öffnen", "Deutsch", "Klingon"), "Open");
  // Deutsch.ini has "Gruppe organisieren", Klingon the number.
  EXPECT_EQ(T("Gruppe organisieren", "Deutsch", "Klingon"), "tlhIngan");
  // The source file lacks the text: its number comes from English.ini.
  EXPECT_EQ(T("Organize Group", "Deutsch", "Klingon"), "tlhIngan");
  EXPECT_EQ(T("Only English", "Klingon", "Deutsch"), "Only English");
  // A missing language: every lookup in it finds nothing.
  EXPECT_EQ(T("OPEN", "English", "Missing"), "Open");
  EXPECT_EQ(T("Öffnen", "Missing", "English"), "Öffnen");
  EXPECT_EQ(T("Open", "Missing", "Deutsch"), "Öffnen");
  // A name that could leave the folder is a missing language.
  fs::create_directories(dir.file("sub"));
  dir.write("sub/Evil.ini", "1=Evil\n");
  EXPECT_EQ(T("Open", "English", "sub/Evil"), "Open");
  EXPECT_EQ(langs.FileOf("sub/Evil"), "");
  EXPECT_EQ(langs.FileOf(""), "");
  // An empty text (a template's "1=") goes on to English.ini.
  dir.write("Blank.ini", "1=\n4=\n");
  EXPECT_EQ(T("OPEN", "English", "Blank"), "Open");
}

TEST_F(LanguageFiles, SameLanguageReadsNothing) {
  // The table would turn "OPEN" into "Open": the text comes back as handed in.
  EXPECT_EQ(langs.Translate("OPEN", "English", "English"), "OPEN");
  EXPECT_EQ(langs.Translate("Öffnen", "Deutsch", "Deutsch"), "Öffnen");
  EXPECT_EQ(langs.Translate("OPEN"), "OPEN");  // both "English" at start
  EXPECT_EQ(langs.TranslateMenuText("OPEN\tCtrl+O"), "OPEN\tCtrl+O");
  EXPECT_EQ(langs.fileReads(), 0u);
  CLanguages none(dir.file("no-such-folder"));
  EXPECT_EQ(none.Translate("Open", "Deutsch", "Deutsch"), "Open");
  EXPECT_EQ(none.Translate("Open", "English", "Deutsch"), "Open");
  EXPECT_EQ(none.fileReads(), 0u);
  EXPECT_EQ(TranslateUncached(dir.file("no-such-folder"), "Open", "English", "Deutsch"), "Open");
}

TEST_F(LanguageFiles, MissingEmptyAndBinaryFiles) {
  fs::remove(dir.file("English.ini"));
  EXPECT_EQ(T("Open", "English", "Deutsch"), "Open");     // no number without English.ini
  EXPECT_EQ(T("Öffnen", "Deutsch", "English"), "Öffnen");  // and no English text
  EXPECT_EQ(T("Nowhere", "Deutsch", "Klingon"), "Nowhere");

  dir.write("English.ini", "");
  EXPECT_EQ(T("Open", "English", "Deutsch"), "Open");

  // NUL bytes, a lone CR, high bytes: lines with NUL are no entries, the rest still count.
  const char head[] = "1=Open\n2=Fi\0le\r3=\xff\xfe\n";
  std::string binary(head, sizeof head - 1);
  for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 131 + 7) % 256));
  binary += "\n4=Organize Group\n";
  dir.write("English.ini", binary);
  EXPECT_EQ(T("Open", "English", "Deutsch"), "Öffnen");
  EXPECT_EQ(T("Organize Group", "English", "Deutsch"), "Gruppe organisieren");
  EXPECT_EQ(T("Fi", "English", "Deutsch"), "Fi");
  EXPECT_EQ(T(std::string("Fi\0le", 5), "English", "Deutsch"), std::string("Fi\0le", 5));

  // A folder where a file should be is a missing language.
  fs::create_directories(dir.file("Folder.ini"));
  EXPECT_EQ(T("Open", "English", "Folder"), "Open");
}

TEST_F(LanguageFiles, OverLongLinesAreNoEntries) {
  const std::string text1021(kMaxLanguageLine - 2, 'a');  // "1=" + 1021 bytes: 1023
  const std::string text1022(kMaxLanguageLine - 1, 'b');  // "2=" + 1022 bytes: 1024
  dir.write("English.ini", "1=" + text1021 + "\r\n2=" + text1022 + "\r\n3=After\r\n");
  dir.write("Deutsch.ini", "1=Eins\n2=Zwei\n3=Danach\n");
  EXPECT_EQ(T(text1021, "English", "Deutsch"), "Eins");
  EXPECT_EQ(T(text1022, "English", "Deutsch"), text1022);
  // Neither the cut piece nor the rest of the long line became an entry.
  EXPECT_EQ(T(text1022.substr(0, kMaxLanguageLine - 1), "English", "Deutsch"), text1022.substr(0, 1022));
  EXPECT_EQ(T("After", "English", "Deutsch"), "Danach");
  // A long text in the target is no text: English.ini's then.
  dir.write("Deutsch.ini", "1=" + std::string(2000, 'z') + "\n");
  EXPECT_EQ(T(text1021, "English", "Deutsch"), text1021);
}

TEST_F(LanguageFiles, CacheFollowsTheFiles) {
  EXPECT_EQ(T("Open", "English", "Deutsch"), "Öffnen");
  const std::size_t afterFirst = langs.fileReads();
  EXPECT_EQ(afterFirst, 2u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(langs.Translate("&File", "English", "Deutsch"), "&Datei");
  EXPECT_EQ(langs.fileReads(), afterFirst);

  // A new size is seen at once.
  dir.write("Deutsch.ini", "1=Aufmachen\n");
  EXPECT_EQ(T("Open", "English", "Deutsch"), "Aufmachen");
  // Same size, new time.
  const auto stamp = fs::last_write_time(dir.file("Deutsch.ini"));
  dir.write("Deutsch.ini", "1=Aufmacher\n");
  fs::last_write_time(dir.file("Deutsch.ini"), stamp + std::chrono::seconds(5));
  EXPECT_EQ(T("Open", "English", "Deutsch"), "Aufmacher");
  // Same size, same time: only Reload() sees it.
  dir.write("Deutsch.ini", "1=Aufmachet\n");
  fs::last_write_time(dir.file("Deutsch.ini"), stamp + std::chrono::seconds(5));
  EXPECT_EQ(langs.Translate("Open", "English", "Deutsch"), "Aufmacher");
  langs.Reload();
  EXPECT_EQ(langs.Translate("Open", "English", "Deutsch"), "Aufmachet");
  // Gone, then back.
  fs::remove(dir.file("Deutsch.ini"));
  EXPECT_EQ(T("Open", "English", "Deutsch"), "Open");
  dir.write("Deutsch.ini", "1=Wieder da\n");
  EXPECT_EQ(T("Open", "English", "Deutsch"), "Wieder da");
  // Replaced by a rename, as an editor saves.
  dir.write("new.tmp", "1=Umbenannt\n");
  fs::rename(dir.file("new.tmp"), dir.file("Deutsch.ini"));
  EXPECT_EQ(T("Open", "English", "Deutsch"), "Umbenannt");
}

TEST(LanguageList, SortedWithoutTemplateAndAtMost64) {
  test::TempDir dir;
  CLanguages langs(dir.path());
  for (const char* name : {"Zulu.ini", "English.ini", "Deutsch.ini", "alpha.ini", "template.ini", "TEMPLATE.ini",
                           "notes.txt", "Readme.INI", ".ini", "English.ini.bak"})
    dir.write(name, "1=x\n");
  fs::create_directories(dir.file("Folder.ini"));
  fs::create_symlink(dir.file("Zulu.ini"), dir.file("Linked.ini"));
  fs::create_symlink(dir.file("none.ini"), dir.file("Dangling.ini"));
  EXPECT_EQ(langs.LanguageNames(), (std::vector<std::string>{"Deutsch", "English", "Linked", "Zulu", "alpha"}));
  EXPECT_FALSE(langs.truncated());

  for (int i = 0; i < 70; ++i) dir.write("L" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".ini", "");
  std::vector<std::string> names = langs.LanguageNames();
  ASSERT_EQ(names.size(), kMaxLanguages);
  EXPECT_TRUE(langs.truncated());
  EXPECT_EQ(names.front(), "Deutsch");
  EXPECT_EQ(names[4], "L02");  // Deutsch, English, L00, L01 come first
  EXPECT_EQ(names.back(), "L61");

  CLanguages none(dir.file("missing"));
  EXPECT_TRUE(none.LanguageNames().empty());
  EXPECT_FALSE(none.truncated());
  EXPECT_EQ(none.folder(), dir.file("missing") + "/");
}

TEST_F(LanguageFiles, MenuTextsAndLanguageItems) {
  langs.SetTarget("Deutsch");
  EXPECT_EQ(langs.TranslateMenuText("&File"), "&Datei");
  EXPECT_EQ(langs.TranslateMenuText("Organize Group...\tF9"), "Gruppe organisieren...\tF9");
  EXPECT_EQ(langs.TranslateMenuText("Nowhere\tOpen"), "Nowhere\tOpen");  // after the tab nothing changes
  EXPECT_EQ(langs.TranslateMenuText("\tOpen"), "\tOpen");

  EXPECT_EQ(langs.LanguageMenuText("Klingon"), "Klingonisch\t[Klingon]");
  EXPECT_EQ(langs.LanguageMenuText("Unknown"), "Unknown\t[Unknown]");
  dir.write("Deutsch.ini", "13=Zwei\\nZeilen\t!\n");
  dir.write("English.ini", "13=Multi\n");
  EXPECT_EQ(langs.LanguageMenuText("Multi"), "Zwei  Zeilen !\t[Multi]");
  EXPECT_EQ(LanguageOfMenuText(langs.LanguageMenuText("Multi")), "Multi");

  EXPECT_EQ(LanguageOfMenuText("Englisch\t[English]"), "English");
  EXPECT_EQ(LanguageOfMenuText("X\t[a]b]"), "a]b");
  EXPECT_EQ(LanguageOfMenuText("X\t[]"), "");
  EXPECT_EQ(LanguageOfMenuText("Deutsch"), "");
  EXPECT_EQ(LanguageOfMenuText("Deutsch\t[Deutsch"), "");
  EXPECT_EQ(LanguageOfMenuText("a]\t[b"), "");
  EXPECT_EQ(LanguageOfMenuText("Deutsch\tCtrl+D"), "");

  EXPECT_EQ(LanguageCommand(0), kFirstLanguageCommand);
  EXPECT_EQ(LanguageCommand(kMaxLanguages - 1), kLastLanguageCommand);
  EXPECT_EQ(LanguageIndexOfCommand(9024), 0);
  EXPECT_EQ(LanguageIndexOfCommand(9087), 63);
  EXPECT_EQ(LanguageIndexOfCommand(9023), -1);
  EXPECT_EQ(LanguageIndexOfCommand(9088), -1);
}

TEST_F(LanguageFiles, SwitchRetranslatesFromTheOldLanguage) {
  langs.SetTarget("Deutsch");
  EXPECT_EQ(langs.Translate("Open"), "Öffnen");
  EXPECT_FALSE(langs.BeginSwitch("Deutsch"));  // the current language: nothing to do
  EXPECT_FALSE(langs.switching());

  auto old = langs.BeginSwitch("Klingon");
  ASSERT_TRUE(old);
  EXPECT_EQ(*old, "Deutsch");
  EXPECT_EQ(langs.source(), "Deutsch");
  EXPECT_EQ(langs.target(), "Klingon");
  // The live texts are German now.
  EXPECT_EQ(langs.Translate("Gruppe organisieren"), "tlhIngan");
  EXPECT_EQ(langs.TranslateMenuText("Öffnen...\tCtrl+O"), "Open...\tCtrl+O");
  EXPECT_EQ(langs.TranslateMenuText("Deutsch\t[Deutsch]"), "Deutsch\t[Deutsch]");
  EXPECT_EQ(langs.TranslateMenuText("Klingonisch\t[Klingon]"), "tlhIngan Hol\t[Klingon]");
  EXPECT_FALSE(langs.BeginSwitch("English"));  // one switch at a time
  langs.EndSwitch();
  EXPECT_EQ(langs.source(), "English");
  EXPECT_EQ(langs.target(), "Klingon");
  EXPECT_EQ(langs.Translate("Organize Group"), "tlhIngan");  // new dialogs translate from English

  // Whatever the retranslation throws, the source is English again.
  try {
    ScopedLanguageSwitch s(langs, "English");
    EXPECT_TRUE(s.active());
    EXPECT_EQ(langs.source(), "Klingon");
    EXPECT_EQ(langs.Translate("tlhIngan"), "Organize Group");
    throw std::runtime_error("widget gone");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(langs.source(), "English");
  EXPECT_EQ(langs.target(), "English");
  EXPECT_FALSE(langs.switching());
  ScopedLanguageSwitch same(langs, "English");
  EXPECT_FALSE(same.active());
}

TEST_F(LanguageFiles, MessagesGoThroughTheTargetLanguage) {
  langs.SetTarget("Deutsch");
  SetMessageTranslator([this](const std::string& english) { return langs.Translate(english); });
  EXPECT_EQ(TranslateMessage("Line one\r\nLine two"), "Zeile eins\r\nZeile zwei");
  EXPECT_EQ(TranslateMessage("Unknown!"), "Unknown!");
  SetMessageTranslator({});

  EXPECT_EQ(FillPlaceholders("%1 of %2, %3 left, 100%, %0", {"a%2", "b"}), "a%2 of b, %3 left, 100%, %0");
  EXPECT_EQ(FillPlaceholders("%", {"x"}), "%");
}

// The shipped tables, from the source tree (the build sets KESTREL_SOURCE_DIR).
class ShippedLanguages : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* source = std::getenv("KESTREL_SOURCE_DIR");
    if (!source || !*source) GTEST_SKIP() << "KESTREL_SOURCE_DIR is not set";
    folder = std::string(source) + "/data/language/";
    for (const char* name : {"English", "Deutsch", "template"}) {
      auto lines = ReadLanguageLines(folder + name + ".ini");
      ASSERT_TRUE(lines) << name;
      std::vector<LanguageEntry>& entries = files[name];
      for (const std::string& raw : *lines) {
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == ';') continue;
        auto e = ParseLanguageLine(raw);
        ASSERT_TRUE(e) << name << ": " << raw;  // every other line is an entry
        entries.push_back(*e);
      }
    }
  }
  static std::multiset<std::string> Placeholders(const std::string& text) {
    std::multiset<std::string> out;
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
      if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9') out.insert(text.substr(i, 2));
    return out;
  }
  static int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + what.size())) ++n;
    return n;
  }
  // The accelerator letter (folded), or 0 without one.
  static char Accelerator(const std::string& text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
      if (text[i] != '&') continue;
      if (text[i + 1] == '&') {
        ++i;
        continue;
      }
      return FoldAscii(text[i + 1]);
    }
    return 0;
  }

  std::string folder;
  std::map<std::string, std::vector<LanguageEntry>> files;
};

TEST_F(ShippedLanguages, SameNumbersNoDuplicatesSameFormat) {
  const std::vector<LanguageEntry>& entries = files["English"];
  ASSERT_GT(entries.size(), 150u);
  std::map<int, std::string> english;
  std::set<std::string> englishTexts;
  for (const LanguageEntry& e : entries) {
    EXPECT_TRUE(english.emplace(e.number, e.text).second) << "English duplicate number " << e.number;
    EXPECT_TRUE(englishTexts.insert(ToLowerAscii(e.text)).second) << "English duplicate text " << e.text;
    EXPECT_FALSE(e.text.empty()) << e.number;
    // A trailing "..." is never part of a lookup: such an entry could not be found.
    EXPECT_FALSE(e.text.size() >= 3 && e.text.compare(e.text.size() - 3, 3, "...") == 0) << e.text;
  }
  std::map<int, std::string> german;
  std::set<std::string> germanTexts;
  for (const LanguageEntry& e : files["Deutsch"]) {
    EXPECT_TRUE(german.emplace(e.number, e.text).second) << "Deutsch duplicate number " << e.number;
    // Switching back from German finds each text's own number.
    EXPECT_TRUE(germanTexts.insert(ToLowerAscii(e.text)).second) << "Deutsch duplicate text " << e.text;
  }
  std::set<int> templateNumbers;
  for (const LanguageEntry& e : files["template"]) {
    EXPECT_TRUE(templateNumbers.insert(e.number).second) << "template duplicate " << e.number;
    EXPECT_EQ(e.text, "") << e.number;
  }
  std::set<int> englishNumbers, germanNumbers;
  for (const auto& [n, t] : english) englishNumbers.insert(n);
  for (const auto& [n, t] : german) germanNumbers.insert(n);
  EXPECT_EQ(germanNumbers, englishNumbers);
  EXPECT_EQ(templateNumbers, englishNumbers);

  std::map<int, std::set<char>> menuKeys;  // each menu is a block of 50 numbers in 1000-1999
  for (const auto& [n, en] : english) {
    auto it = german.find(n);
    if (it == german.end()) continue;
    const std::string& de = it->second;
    EXPECT_FALSE(de.empty()) << n;
    EXPECT_EQ(Placeholders(de), Placeholders(en)) << n;
    EXPECT_EQ(Count(de, "\\n"), Count(en, "\\n")) << n;
    EXPECT_EQ(Count(de, "&&"), Count(en, "&&")) << n;
    EXPECT_EQ(Accelerator(de) != 0, Accelerator(en) != 0) << n;
    if (n >= 1000 && n < 2000 && Accelerator(de)) {
      EXPECT_TRUE(menuKeys[n / 50].insert(Accelerator(de)).second) << "accelerator used twice in one menu: " << de;
    }
  }
}

TEST_F(ShippedLanguages, ProgramTextsAreInEnglishIni) {
  CLanguages langs(folder);
  std::vector<std::string> mustHave = {
      "English", "Deutsch", "&File", "&New", "Close All Blank && &Failed Sites", "E&xit", "&Work Offline",
      "Site &Filter", "&Enable Site Filter", "Add Into White List", "Close All But Current", "Block Popup",
      "Go to the address in the Address Bar", "Show Tray Icon && Hide Taskbar Button",
      "Can't open another site: too many sites are open.", "Please select a site!",
      "No need to hide a blank site,  right?", "Invalid alias!", "Script Error!",
      "You've just recovered a popup suspect.\r\nDo you want to add it into white list?",
      "This desktop has no such folder.", "Can't save alias file!", "&Interface Language",
      "&Contribute Your Translation", kFilterExists, kFilterEmpty, kFilterLineBreak, kFilterNoHost,
      kSiteFilterSaveFailed};
  for (const ShortcutCommand& sc : ShortcutCommands()) mustHave.push_back(sc.label);
  for (const std::string& text : mustHave) EXPECT_NE(langs.NumberOf(text, "English"), 0) << text;
  // Menu texts with "..." are found without it.
  for (const char* text : {"&Open...", "Alias &Definitions...", "&Hidden Sites...", "&Black List...",
                           "Add Into Black &List...", "&Options...", "&Tip of the Day...", "Add To Group...",
                           "Browse...", "White List..."}) {
    const std::string german = langs.Translate(text, "English", "Deutsch");
    EXPECT_NE(german, text);
    EXPECT_EQ(german.substr(german.size() - 3), "...") << text;
  }
  EXPECT_EQ(langs.Translate("&Open...", "English", "Deutsch"), "Ö&ffnen...");
  EXPECT_EQ(langs.Translate("English", "English", "Deutsch"), "Englisch");
  std::vector<std::string> names = langs.LanguageNames();
  EXPECT_EQ(names, (std::vector<std::string>{"Deutsch", "English"}));
}

TEST_F(ShippedLanguages, EveryEntryRoundTripsThroughGerman) {
  CLanguages langs(folder);
  for (const LanguageEntry& e : files["English"]) {
    const std::string english = LanguageShownText(e.text);
    const std::string german = langs.Translate(english, "English", "Deutsch");
    EXPECT_EQ(german, TranslateUncached(folder, english, "English", "Deutsch"));
    EXPECT_EQ(langs.Translate(german, "Deutsch", "English"), english) << e.number;
  }
}

}  // namespace
}  // namespace kestrel
