#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <tuple>
#include <string>
#include <vector>

#include "address/resolver.h"
#include "appearance/menu_bar.h"
#include "forms/autologin.h"
#include "forms/form_data.h"
#include "language/language.h"
#include "language/language_menu.h"
#include "common/message.h"
#include "common/strings.h"
#include "frame/main_menu.h"
#include "popups/filter_dialog.h"
#include "popups/site_filter.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// English, a target language and a third one, written as translators do (CR LF, a comment, blanks around entries).
class LanguageFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.write("English.ini",
              "; Kestrel English\r\n[Strings]\r\n1=Open\r\n2=&File\r\n3=File\r\n  4=Organize Group  \r\n"
              "5=Close All Blank && Failed Sites\r\n6=Line one\\nLine two\r\n7=open\r\n8=Only English\r\n"
              "10=Close All Blank  Failed Sites\r\n11=Deutsch\r\n12=Klingon\r\n");
    dir.write("Deutsch.ini",
              "1=Öffnen\n2=&Datei\n3=Datei\n4=Gruppe organisieren\n5=Alle leeren && fehlerhaften schließen\n"
              "6=Zeile eins\\nZeile zwei\n1=Zweites Öffnen\n9=Nur Deutsch\n10=Falsch: && entfernt\n11=Deutsch\n"
              "12=Klingonisch\n");
    dir.write("Klingon.ini", "4=tlhIngan\n12=tlhIngan Hol\n");
  }
  std::string T(const std::string& text, const std::string& from, const std::string& to) {
    std::string cached = langs.Translate(text, from, to);
    // The cache never changes a result.
    EXPECT_EQ(cached, TranslateUncached(dir.path(), text, from, to)) << text;
    return cached;
  }
  struct Case {
    std::string text, from, to, want;
  };
  void ExpectAll(const std::vector<Case>& cases) {
    for (const Case& c : cases) EXPECT_EQ(T(c.text, c.from, c.to), c.want) << c.from << " -> " << c.to;
  }

  const std::string E = "English", D = "Deutsch", K = "Klingon";
  test::TempDir dir;
  CLanguages langs{dir.path()};
};

TEST(LanguageLine, EntryRules) {
  // Split at the first "=", the text keeps its inner blanks.
  for (const auto& [line, number, text] : {std::tuple<const char*, int, const char*>{"  12 = Open a = b \t", 12, " Open a = b"},
                                           {"007=x", 7, "x"}, {"2147483647=max", INT_MAX, "max"}, {"5=", 5, ""}}) {
    const auto e = ParseLanguageLine(line);
    ASSERT_TRUE(e) << line;
    EXPECT_EQ(std::to_string(e->number) + "=" + e->text, std::to_string(number) + "=" + text);
  }
  for (const char* bad : {"Open", "", "=x", "0=x", "-5=x", "+5=x", "12a=x", "1 2=x", "0x1F=x", "2147483648=x",
                          "99999999999999999999=x", "[Strings]", "; 1=comment"})
    EXPECT_FALSE(ParseLanguageLine(bad)) << bad;
  EXPECT_FALSE(ParseLanguageLine(std::string("3=a\0b", 5)));
  // 1023 bytes is the longest entry line (hostile_inputs_test), blanks counted.
  EXPECT_FALSE(ParseLanguageLine(" 1=" + std::string(kMaxLanguageLine - 2, 'x')));

  EXPECT_EQ(RemoveAccelerators("&File && E&xit &&& &"), "File && Exit && ");
  EXPECT_EQ(LanguageSearchText("a\r\nb\nc\rd\r\n"), "a\\nb\nc\rd\\n");
  EXPECT_EQ(LanguageShownText("a\\nb\\\\n"), "a\r\nb\\\r\n");

  LanguageTable t = LanguageTable::FromText(
      "99999999999999999999=x\n-5=x\n12a=x\n7=X\n7=second\n8=x\n9=\n9=late\n2147483647=max\n 13 =seven\n");
  // Bad numbers are no entries; "X" matches "x"; the first entry wins; "&" is empty once its "&" goes.
  for (const auto& [text, number] : {std::pair<std::string, int>{"x", 7}, {"late", 9}, {"MAX", INT_MAX},
                                     {"seven", 13}, {"", 0}, {"&", 0}})
    EXPECT_EQ(t.NumberOf(text), number) << text;
  ASSERT_TRUE(t.TextOf(7));
  EXPECT_EQ(*t.TextOf(7), "X");
  EXPECT_TRUE(t.TextOf(9) == nullptr && t.TextOf(0) == nullptr);  // the first 9 is empty: nothing, not the later line
  EXPECT_EQ(t.entries().size(), 7u);
}

TEST_F(LanguageFiles, TranslatesThroughTheNumbersTheTranslatorWrote) {
  fs::create_directories(dir.file("sub"));
  dir.write("sub/Evil.ini", "1=Evil\n");
  dir.write("Blank.ini", "1=\n4=\n");
  ExpectAll({
      {"Open...", E, D, "Öffnen..."}, {"Organize Group...", E, D, "Gruppe organisieren..."}, {"...", E, D, "..."},
      {"Open..", E, D, "Open.."},  // two dots are part of the text
      // An exact "&File" wins over the entry "File"; "F&ile" only finds "File"; "&&" stays.
      {"&File", E, D, "&Datei"}, {"F&ile", E, D, "Datei"},
      {"Close All Blank && &Failed Sites", E, D, "Alle leeren && fehlerhaften schließen"},
      // Case is ignored; the first entry with a text wins, and the first with a number.
      {"OPEN", E, D, "Öffnen"},
      // Not in the target: English.ini's text (not the text as handed in).
      {"ONLY ENGLISH", E, D, "Only English"}, {"Nowhere...", D, E, "Nowhere..."},
      {"", E, D, ""}, {"&", E, D, "&"},
      // Found in the source, but no table has that number's text: as written.
      {"Nur Deutsch", D, K, "Nur Deutsch"}, {"Nur Deutsch", D, E, "Nur Deutsch"},
      // Only ASCII letters fold: "Ö" matches "Ö" but not "ö".
      {"ÖFFNEN", D, E, "Open"}, {"öffnen", D, E, "öffnen"},
      // Only CR LF stands for "\n", both ways.
      {"Line one\r\nLine two", E, D, "Zeile eins\r\nZeile zwei"},
      {"Zeile eins\r\nZeile zwei", D, E, "Line one\r\nLine two"},
      {"Line one\\nLine two", E, D, "Zeile eins\r\nZeile zwei"}, {"Line one\nLine two", E, D, "Line one\nLine two"},
      // Between two other languages: English.ini fills in on both sides.
      {"Öffnen", D, K, "Open"}, {"Gruppe organisieren", D, K, "tlhIngan"}, {"Organize Group", D, K, "tlhIngan"},
      {"Only English", K, D, "Only English"},
      // A missing language finds nothing; a name that could leave the folder is a missing one.
      {"OPEN", E, "Missing", "Open"}, {"Öffnen", "Missing", E, "Öffnen"}, {"Open", "Missing", D, "Öffnen"},
      {"Open", E, "sub/Evil", "Open"},
      {"OPEN", E, "Blank", "Open"},  // an empty text (a template's "1=") goes on to English.ini
  });
  EXPECT_EQ(langs.NumberOf("open", E), 1);
  EXPECT_EQ(langs.FileOf("sub/Evil"), "");
  EXPECT_EQ(langs.FileOf(""), "");
}

TEST_F(LanguageFiles, SameLanguageReadsNothing) {
  // The table would turn "OPEN" into "Open": the text comes back as handed in.
  EXPECT_EQ(langs.Translate("OPEN", E, E), "OPEN");
  EXPECT_EQ(langs.Translate("Öffnen", D, D), "Öffnen");
  EXPECT_EQ(langs.Translate("OPEN"), "OPEN");  // both "English" at start
  EXPECT_EQ(langs.TranslateMenuText("OPEN\tCtrl+O"), "OPEN\tCtrl+O");
  EXPECT_EQ(langs.fileReads(), 0u);
  CLanguages none(dir.file("no-such-folder"));
  EXPECT_EQ(none.Translate("Open", D, D) + none.Translate("Open", E, D), "OpenOpen");
  EXPECT_EQ(none.fileReads(), 0u);
}

TEST_F(LanguageFiles, WithoutEnglishIniOrWithBadTablesTheTextStays) {
  // Binary, NUL, over-long and unreadable table files themselves: hostile_inputs_test.
  fs::remove(dir.file("English.ini"));
  ExpectAll({{"Open", E, D, "Open"}, {"Öffnen", D, E, "Öffnen"}, {"Nowhere", D, K, "Nowhere"}});
  dir.write("English.ini", "1=Open\n2=" + std::string(kMaxLanguageLine - 1, 'b') + "\n");
  fs::create_directories(dir.file("Folder.ini"));  // a folder where a file should be is a missing language
  // A text too long to be an entry is found nowhere, in the target too: English.ini's text then.
  dir.write("Deutsch.ini", "1=" + std::string(2000, 'z') + "\n2=Zwei\n");
  ExpectAll({{"Open", E, "Folder", "Open"}, {"Open", E, D, "Open"}, {std::string(kMaxLanguageLine - 1, 'b'), E, D,
                                                                       std::string(kMaxLanguageLine - 1, 'b')}});
}

TEST_F(LanguageFiles, CacheFollowsTheFiles) {
  EXPECT_EQ(T("Open", E, D), "Öffnen");
  EXPECT_EQ(langs.fileReads(), 2u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(langs.Translate("&File", E, D), "&Datei");
  EXPECT_EQ(langs.fileReads(), 2u);

  // A new size is seen at once; so is the same size at a new time.
  dir.write("Deutsch.ini", "1=Aufmachen\n");
  EXPECT_EQ(T("Open", E, D), "Aufmachen");
  const auto stamp = fs::last_write_time(dir.file("Deutsch.ini"));
  dir.write("Deutsch.ini", "1=Aufmacher\n");
  fs::last_write_time(dir.file("Deutsch.ini"), stamp + std::chrono::seconds(5));
  EXPECT_EQ(T("Open", E, D), "Aufmacher");
  // Same size, same time: only Reload() sees it.
  dir.write("Deutsch.ini", "1=Aufmachet\n");
  fs::last_write_time(dir.file("Deutsch.ini"), stamp + std::chrono::seconds(5));
  EXPECT_EQ(langs.Translate("Open", E, D), "Aufmacher");
  langs.Reload();
  EXPECT_EQ(langs.Translate("Open", E, D), "Aufmachet");
  // Gone, then back; then replaced by a rename, as an editor saves.
  fs::remove(dir.file("Deutsch.ini"));
  EXPECT_EQ(T("Open", E, D), "Open");
  dir.write("Deutsch.ini", "1=Wieder da\n");
  EXPECT_EQ(T("Open", E, D), "Wieder da");
  dir.write("new.tmp", "1=Umbenannt\n");
  fs::rename(dir.file("new.tmp"), dir.file("Deutsch.ini"));
  EXPECT_EQ(T("Open", E, D), "Umbenannt");
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
  EXPECT_EQ(langs.LanguageNames(), (Names{"Deutsch", "English", "Linked", "Zulu", "alpha"}));

  for (int i = 0; i < 70; ++i) dir.write("L" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".ini", "");
  Names names = langs.LanguageNames();
  ASSERT_EQ(names.size(), kMaxLanguages);
  EXPECT_TRUE(langs.truncated());
  EXPECT_EQ(names.front(), "Deutsch");
  EXPECT_EQ(names[4], "L02");  // Deutsch, English, L00, L01 come first
  EXPECT_EQ(names.back(), "L61");

  CLanguages none(dir.file("missing"));
  EXPECT_TRUE(none.LanguageNames().empty());
}

TEST_F(LanguageFiles, MenuTextsAndLanguageItems) {
  langs.SetTarget(D);
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

  const std::pair<std::string, std::string> items[] = {
      {"Englisch\t[English]", "English"}, {"X\t[a]b]", "a]b"}, {"X\t[]", ""},       {"Deutsch", ""},
      {"Deutsch\t[Deutsch", ""},          {"a]\t[b", ""},      {"Deutsch\tCtrl+D", ""}};
  for (const auto& [text, name] : items) EXPECT_EQ(LanguageOfMenuText(text), name) << text;

  for (const auto& [command, index] : {std::pair{9024u, 0}, {9087u, 63}, {9023u, -1}, {9088u, -1}})
    EXPECT_EQ(LanguageIndexOfCommand(command), index) << command;
}

TEST_F(LanguageFiles, SwitchRetranslatesFromTheOldLanguage) {
  langs.SetTarget(D);
  EXPECT_EQ(langs.Translate("Open"), "Öffnen");
  EXPECT_FALSE(langs.BeginSwitch(D));  // the current language: nothing to do
  EXPECT_FALSE(langs.switching());

  auto old = langs.BeginSwitch(K);
  ASSERT_TRUE(old);
  EXPECT_EQ(*old + langs.source() + langs.target(), D + D + K);
  // The live texts are German now.
  EXPECT_EQ(langs.Translate("Gruppe organisieren"), "tlhIngan");
  EXPECT_EQ(langs.TranslateMenuText("Öffnen...\tCtrl+O"), "Open...\tCtrl+O");
  EXPECT_EQ(langs.TranslateMenuText("Deutsch\t[Deutsch]"), "Deutsch\t[Deutsch]");
  EXPECT_EQ(langs.TranslateMenuText("Klingonisch\t[Klingon]"), "tlhIngan Hol\t[Klingon]");
  EXPECT_FALSE(langs.BeginSwitch(E));  // one switch at a time
  langs.EndSwitch();
  EXPECT_EQ(langs.source() + langs.target(), E + K);
  EXPECT_EQ(langs.Translate("Organize Group"), "tlhIngan");  // new dialogs translate from English

  // Whatever the retranslation throws, the source is English again.
  try {
    ScopedLanguageSwitch s(langs, E);
    EXPECT_TRUE(s.active());
    EXPECT_EQ(langs.source(), K);
    EXPECT_EQ(langs.Translate("tlhIngan"), "Organize Group");
    throw std::runtime_error("widget gone");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(langs.source() + langs.target(), E + E);
  EXPECT_FALSE(langs.switching());
  ScopedLanguageSwitch same(langs, E);
  EXPECT_FALSE(same.active());
}

TEST(Placeholders, FilledOnceEachInTheirPlace) {
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
      for (const std::string& raw : *lines) {
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == ';') continue;
        auto e = ParseLanguageLine(raw);
        ASSERT_TRUE(e) << name << ": " << raw;  // every other line is an entry
        files[name].push_back(*e);
      }
    }
  }
  static int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + what.size())) ++n;
    return n;
  }
  static std::string Placeholders(const std::string& text) {
    std::string out;
    for (char d = '1'; d <= '9'; ++d) out += std::to_string(Count(text, std::string("%") + d));
    return out;
  }
  std::string folder;
  std::map<std::string, std::vector<LanguageEntry>> files;
};

// Unique texts: the round trip through German below would fail on a German duplicate.
TEST_F(ShippedLanguages, SameNumbersAndSameFormatInEveryTable) {
  ASSERT_GT(files["English"].size(), 150u);
  std::map<std::string, std::map<int, std::string>> byNumber;
  for (const auto& [name, entries] : files)
    for (const LanguageEntry& e : entries) {
      EXPECT_TRUE(byNumber[name].emplace(e.number, e.text).second) << name << " duplicate number " << e.number;
      EXPECT_EQ(e.text.empty(), name == "template") << name << " " << e.number;
    }
  for (const char* other : {"Deutsch", "template"}) EXPECT_EQ(byNumber[other].size(), byNumber["English"].size());
  for (const auto& [n, en] : byNumber["English"]) {
    // A trailing "..." is never part of a lookup: such an entry could not be found.
    EXPECT_FALSE(en.ends_with("...")) << en;
    EXPECT_TRUE(byNumber["Deutsch"].contains(n) && byNumber["template"].contains(n)) << n;
    const std::string& de = byNumber["Deutsch"][n];
    EXPECT_EQ(Placeholders(de), Placeholders(en)) << n;
    EXPECT_EQ(Count(de, "\\n"), Count(en, "\\n")) << n;
    EXPECT_EQ(Count(de, "&&"), Count(en, "&&")) << n;
    EXPECT_EQ(AccessKeyOf(de) != 0, AccessKeyOf(en) != 0) << n;
  }
}

TEST_F(ShippedLanguages, ProgramTextsAreInEnglishIniAndRoundTripThroughGerman) {
  CLanguages langs(folder);
  // A sample of the messages and dialog texts (every menu item: the test below).
  Names mustHave = {"Go to the address in the Address Bar", "Can't open another site: too many sites are open.",
                    "No need to hide a blank site,  right?", kFilterNoHost, kSiteFilterSaveFailed, kNoActiveForm,
                    "Do you wish to merge with existing entries?\r\nChoose <No> will clear existing entries.",
                    "%1 of %2 matches", "Web Page, complete"};
  for (const ShortcutCommand& sc : ShortcutCommands()) mustHave.push_back(sc.label);
  for (const std::string& text : mustHave) EXPECT_NE(langs.NumberOf(text, "English"), 0) << text;
  EXPECT_EQ(langs.Translate("English", "English", "Deutsch"), "Englisch");
  EXPECT_EQ(langs.LanguageNames(), (Names{"Deutsch", "English"}));

  for (const LanguageEntry& e : files["English"]) {
    const std::string english = LanguageShownText(e.text);
    const std::string german = langs.Translate(english, "English", "Deutsch");
    EXPECT_EQ(german, TranslateUncached(folder, english, "English", "Deutsch"));
    EXPECT_EQ(langs.Translate(german, "Deutsch", "English"), english) << e.number;
  }
}

TEST_F(ShippedLanguages, EveryMenuItemHasAGermanTextAndNoTwoItemsOfAMenuShareAKey) {
  CLanguages langs(folder);
  // In every shipped language, no two items of one menu share an access key; every item has a German text but the
  // names German keeps as they are (Zoom is the German word too).
  const std::set<std::string> kept = {"A&utoLogin", "&Zoom", "Unicode (UTF-8)", "Messenger", "Telnet", "Terminal"};
  for (const std::string name : {"English", "Deutsch"}) {
    std::function<void(const std::string&, const std::vector<MenuItem>&)> walk = [&](const std::string& where,
                                                                                     const std::vector<MenuItem>& items) {
      std::map<char, std::string> keys;
      for (const MenuItem& item : items) {
        if (item.kind == MenuItem::Kind::Separator) continue;
        std::string text = item.text;
        if (text.ends_with("...")) text.resize(text.size() - 3);
        const std::string shown = langs.Translate(text, "English", name);
        if (const char key = AccessKeyOf(shown)) {
          const auto [other, unique] = keys.emplace(key, shown);
          EXPECT_TRUE(unique) << name << " " << where << ": " << shown << " and " << other->second << " share a key";
        }
        EXPECT_NE(langs.NumberOf(text, "English"), 0) << where << ": " << text;
        EXPECT_TRUE(name == "English" || (shown == text) == kept.contains(text)) << where << ": " << text << " -> " << shown;
        if (item.IsPopup()) walk(where + " > " + text, item.items);
      }
    };
    walk("menu bar", CMainMenu().popups());
    walk("Site Popup", SitePopupMenu());
  }
  // The popups the program finds by their English titles are found in German too.
  SetMessageTranslator([&](const std::string& english) { return langs.Translate(english, "English", "Deutsch"); });
  const CMainMenu menu;
  for (const Names& path : {Names{"View", "Toolbars"}, Names{"Go To", "Shortcuts"}, Names{"Language", "Interface Language"}})
    EXPECT_NE(menu.FindPopup(path), nullptr) << path.front() << " > " << path.back();
  EXPECT_EQ(menu.FindTopLevel("Groups"), 5);
  SetMessageTranslator({});
}

}  // namespace
}  // namespace kestrel
