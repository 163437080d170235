// Translation through the templates of translate/ and the dictionary
// look-ups of the Language menu, over scripted sites, a clipboard whose
// copies arrive when the test says, and the shipped data files.
#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

#include "common/textfile.h"
#include "support/fakes.h"
#include "support/site_world.h"
#include "support/temp_dir.h"
#include "tools/translate.h"

namespace kestrel::test {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

struct FakeClipboard : Clipboard {
  std::optional<std::string> text = std::string();
  mutable int reads = 0;
  std::optional<std::string> Text() const override { return ++reads, text; }
};

// A frame, a program folder with two small templates, and commands whose pages, searches and messages are recorded. A
// site's copy reaches the clipboard only when Copied says so, as the engine's does later.
struct TranslateWorld : SiteWorld {
  TempDir dir;
  std::string program = dir.path() + "/", temp = dir.file("tmp");
  MessageRecorder said;
  FakeClipboard clipboard;
  RecordingShell shell;
  Strings opened;
  SearchRunner runner{[this](const std::string& t) { opened.push_back(t); }, dir.file("postform.htm")};
  std::vector<std::function<void()>> copying;
  std::unique_ptr<CTranslateCommands> commands;

  explicit TranslateWorld(const std::string& definitions = "") {
    MakeDirectories(temp);
    MakeDirectories(program + "translate");
    dir.write("translate/google.htm", "<p>$url|$text</p>");
    dir.write("translate/babelfish.htm", "<b>$url|$text</b>");
    if (!definitions.empty()) dir.write("dictionary.ini", definitions);
    Start();
  }
  void Start() {
    commands.reset();
    commands = std::make_unique<CTranslateCommands>(CTranslateCommands::Parts{
        frame, clipboard, shell, runner, program, temp, [this](const std::string& t) { opened.push_back(t); },
        [this](std::function<void()> read) { copying.push_back(std::move(read)); }});
  }
  void Copied(const std::string& selection) {
    clipboard.text = selection;
    for (auto& read : std::exchange(copying, {})) read();
  }
  std::string page() const { return TempDir::ReadFile(temp + "/translate.htm"); }
  const MenuItem& menu() { return *frame.menu().FindPopup({"Language", "Look Up In Dictionaries"}); }
};

std::string Definitions(int n) {
  std::string s = "name;address;method\n";
  for (int i = 0; i < n; ++i) s += "D" + std::to_string(i) + ";https://d" + std::to_string(i) + ".test/?q=$key;get\n";
  return s;
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(Translate, MarkersTakeTheEscapedAddressOrText) {
  const struct { const char *page, *input; bool text; const char* filled; } cases[] = {
      {"<a href=\"$url\">$text</a>", "http://h.test/?a=1&b=\"2\"", false,
       "<a href=\"http://h.test/?a=1&amp;b=&quot;2&quot;\"></a>"},
      {"<input value='$url'><textarea>$text</textarea>", "He said \"hi\" <script>alert('x')</script> & left", true,
       "<input value='http://'><textarea>He said &quot;hi&quot; &lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt; "
       "&amp; left</textarea>"},
      // What is put in is never read for markers again.
      {"$url $text", "http://h.test/$text$url", false, "http://h.test/$text$url "},
      {"$text/$text", "$url", true, "$url/$url"},
      {"$ur $Url $$url $texts $", "x", true, "$ur $Url $http:// xs $"},
      {"", "x", true, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FillTranslateTemplate(c.page, c.input, c.text), c.filled) << c.page;
}

TEST(Translate, PagesGoThroughTheirTemplateIntoTranslateHtm) {
  TranslateWorld w;
  for (unsigned id : {ID_TRANSLATE_PAGE_GOOGLE, ID_TRANSLATE_PAGE_BABELFISH})
    EXPECT_FALSE(w.frame.CommandStateOf(id).enabled) << id;
  for (unsigned id : {unsigned(ID_TRANSLATE_TEXT_GOOGLE), unsigned(ID_TRANSLATE_TEXT_BABELFISH),
                      unsigned(ID_DICTIONARY_DEFINITIONS), 8992u, 9023u})
    EXPECT_TRUE(w.frame.CommandStateOf(id).enabled) << id;
  w.Site("http://h.test/q?a=1&b=2", "Page");
  EXPECT_TRUE(w.frame.OnCommand(ID_TRANSLATE_PAGE_GOOGLE));
  EXPECT_EQ(w.opened, Strings{w.temp + "/translate.htm"});
  EXPECT_EQ(w.page(), "<p>http://h.test/q?a=1&amp;b=2|</p>");
  // "BabelFish" finds babelfish.htm; a file of its exact name goes first.
  EXPECT_TRUE(w.frame.OnCommand(ID_TRANSLATE_PAGE_BABELFISH));
  EXPECT_EQ(w.page(), "<b>http://h.test/q?a=1&amp;b=2|</b>");
  w.dir.write("translate/BabelFish.htm", "exact $url");
  EXPECT_TRUE(w.frame.OnCommand(ID_TRANSLATE_PAGE_BABELFISH));
  EXPECT_EQ(w.page(), "exact http://h.test/q?a=1&amp;b=2");
  EXPECT_TRUE(w.frame.OnCommand(ID_TRANSLATE_TEXT_BABELFISH));
  EXPECT_EQ(w.page(), "<b>http://|</b>");
  EXPECT_TRUE(w.said.messages.empty());

  fs::remove(w.dir.file("translate/google.htm"));
  w.opened.clear();
  EXPECT_TRUE(w.frame.OnCommand(ID_TRANSLATE_PAGE_GOOGLE));
  EXPECT_EQ(w.said.messages, Strings{"Can't open " + w.program + "translate/google.htm!"});
  EXPECT_TRUE(w.opened.empty());
  EXPECT_EQ(w.page(), "<b>http://|</b>");
}

TEST(Translate, APageThatCannotBeWrittenIsNotOpened) {
  TranslateWorld w;
  w.dir.write("plain", "a file");
  MakeDirectories(w.temp + "/translate.htm");
  for (const std::string& folder : {w.dir.file("missing"), w.dir.file("plain"), w.temp}) {
    w.said.messages.clear();
    EXPECT_FALSE(Translate("http://h.test/", kGoogleService, false, w.program, folder,
                           [&](const std::string& t) { w.opened.push_back(t); }));
    EXPECT_EQ(w.said.messages, Strings{"Can't open " + folder + "/translate.htm!"});
  }
  EXPECT_TRUE(w.opened.empty());
  EXPECT_EQ(TempDir::ReadFile(w.dir.file("plain")), "a file");
}

TEST(Translate, TextIsTheSelectionCopiedThroughTheClipboard) {
  TranslateWorld w;
  w.clipboard.text = "earlier";
  // Without a site there is no text, and the clipboard is left alone.
  EXPECT_TRUE(w.frame.OnCommand(ID_TRANSLATE_TEXT_GOOGLE));
  EXPECT_EQ(w.page(), "<p>http://|</p>");
  EXPECT_EQ(w.clipboard.reads, 0);
  ScriptedControl& c = w.Control(w.Site("http://h.test/", "Page"));
  // Nothing selected: nothing to copy, and the clipboard's earlier text is used.
  EXPECT_TRUE(w.frame.OnCommand(ID_TRANSLATE_TEXT_BABELFISH));
  EXPECT_TRUE(c.pageCalls.empty());
  EXPECT_EQ(w.page(), "<b>http://|earlier</b>");
  // A selection is copied, and the page is made once the copy has arrived.
  c.editable = {EditCommand::Copy};
  EXPECT_TRUE(w.frame.OnCommand(ID_TRANSLATE_TEXT_GOOGLE));
  EXPECT_EQ(c.pageCalls, Strings{"Edit 1"});
  EXPECT_EQ(w.opened.size(), 2u);
  w.Copied("a \"quote\" <script>x()</script>");
  EXPECT_EQ(w.page(), "<p>http://|a &quot;quote&quot; &lt;script&gt;x()&lt;/script&gt;</p>");
  EXPECT_EQ(w.opened.size(), 3u);
  // A clipboard that cannot be opened gives an empty text, and says so.
  w.clipboard.text = std::nullopt;
  c.editable.clear();
  EXPECT_TRUE(w.frame.OnCommand(ID_TRANSLATE_TEXT_GOOGLE));
  EXPECT_EQ(w.said.messages, Strings{"Cannot open the Clipboard!"});
  EXPECT_EQ(w.page(), "<p>http://|</p>");
  EXPECT_EQ(w.opened.size(), 4u);
  // A copy that arrives after the commands are gone is ignored.
  c.editable = {EditCommand::Copy};
  EXPECT_TRUE(w.frame.OnCommand(ID_TRANSLATE_TEXT_GOOGLE));
  w.commands.reset();
  w.Copied("late");
  EXPECT_EQ(w.opened.size(), 4u);
}

TEST(Dictionaries, TheMenuHoldsTheFirst32DefinitionsAfterItsFixedEntries) {
  TranslateWorld w(Definitions(40));
  const MenuItem& m = w.menu();
  ASSERT_EQ(m.dynamic.size(), 32u);
  EXPECT_EQ(m.dynamic.front(), (DynamicMenuItem{"D0", 8992}));
  EXPECT_EQ(m.dynamic.back(), (DynamicMenuItem{"D31", 9023}));
  EXPECT_EQ(w.commands->dictionaries().back().address, "https://d31.test/?q=$key");
  for (int n : {0, 1, 32, 33, 40}) {
    w.dir.write("dictionary.ini", Definitions(n));
    w.commands->BuildDictionaryMenu();
    EXPECT_EQ(m.dynamic.size(), static_cast<std::size_t>(std::min(n, 32))) << n;
    EXPECT_EQ(w.commands->dictionaries().size(), m.dynamic.size()) << n;
  }
  // A missing file leaves the fixed entries alone, and an entry no longer there runs nothing.
  fs::remove(w.dir.file("dictionary.ini"));
  w.commands->BuildDictionaryMenu();
  EXPECT_TRUE(m.dynamic.empty());
  ASSERT_EQ(m.items.size(), 2u);
  EXPECT_EQ(m.items[0].id, unsigned(ID_DICTIONARY_DEFINITIONS));
  EXPECT_TRUE(w.frame.OnCommand(8992));
  EXPECT_TRUE(w.opened.empty());
}

TEST(Dictionaries, AnEntryRunsTheFirstDictionaryOfItsNameByGetOrPost) {
  TranslateWorld w("h\nSame;https://first.test/?w=$key;get\nPost;https://post.test/find?w=$key&lang=en;post\n"
                   "Same;https://second.test/?w=$key;get\n");
  EXPECT_EQ(w.menu().dynamic, (std::vector<DynamicMenuItem>{{"Same", 8992}, {"Post", 8993}, {"Same", 8994}}));
  EXPECT_TRUE(w.frame.OnCommand(8994));  // no site: an empty query
  ScriptedControl& c = w.Control(w.Site("http://h.test/", "Page"));
  c.editable = {EditCommand::Copy};
  EXPECT_TRUE(w.frame.OnCommand(8992));
  w.Copied("a b&c");
  EXPECT_EQ(w.opened, (Strings{"https://first.test/?w=", "https://first.test/?w=a%20b%26c"}));
  EXPECT_TRUE(w.frame.OnCommand(8993));
  w.Copied("<q>");
  EXPECT_EQ(w.opened.back(), w.dir.file("postform.htm"));
  const std::string form = w.dir.read("postform.htm");
  EXPECT_NE(form.find("action='https://post.test/find'"), std::string::npos) << form;
  EXPECT_NE(form.find("name='w' value='&lt;q&gt;'"), std::string::npos) << form;
  // An id past the list neither copies nor opens anything.
  EXPECT_TRUE(w.frame.OnCommand(8995));
  EXPECT_EQ(c.pageCalls.size(), 2u);
  EXPECT_EQ(w.opened.size(), 3u);

  EXPECT_TRUE(w.frame.OnCommand(ID_DICTIONARY_DEFINITIONS));
  EXPECT_EQ(w.shell.opened, Strings{"text/plain " + w.program + "dictionary.ini"});
  w.shell.succeed = false;
  EXPECT_TRUE(w.frame.OnCommand(ID_DICTIONARY_DEFINITIONS));
  EXPECT_EQ(w.said.messages, Strings{"Can't open " + w.program + "dictionary.ini!"});
}

// The shipped search engines and dictionaries are web addresses with their "$key", and the POST ones build a form.
TEST(Dictionaries, TheShippedDefinitionsSearchEnginesAndTemplatesWork) {
  TranslateWorld w;
  w.program = (fs::path(__FILE__).parent_path() / "../../data/").string();
  w.Start();
  CSearchEngines engines;
  engines.LoadSearchEngines(w.program + "englist.ini");
  ASSERT_GE(w.commands->dictionaries().size(), 5u);
  ASSERT_GE(engines.engines().size(), 5u);
  int posts = 0;
  for (const auto& [list, dictionaries] : {std::pair{&engines.engines(), false}, {&w.commands->dictionaries(), true}})
    for (const SearchEngine& e : *list) {
      EXPECT_TRUE(IsWebAddress(e.address) && (e.get || !dictionaries)) << e.name;
      EXPECT_NE(e.address.find("$key"), std::string::npos) << e.name;
      if (e.get) continue;
      ++posts;
      std::string page;
      EXPECT_TRUE(BuildPostForm("https://x/", ReplaceKey(e.address.substr(e.address.find('?') + 1), "q"), page));
    }
  EXPECT_GE(posts, 2);
  const std::string hostile = "\"'></textarea></form><script>alert(1)</script>&amp;";
  for (const char* service : {kGoogleService, kBabelfishPageService, kBabelfishTextService}) {
    const std::optional<std::string> page = ReadWholeFile(TranslateTemplatePath(w.program + kTranslateFolder, service));
    ASSERT_TRUE(page) << service;
    EXPECT_NE(page->find("method=\"get\""), std::string::npos) << service;
    for (bool text : {false, true}) {
      const std::string filled = FillTranslateTemplate(*page, hostile, text);
      for (const char* tag : {"<script", "</textarea", "</form", "$url", "$text"})
        EXPECT_EQ(Count(filled, tag), tag[0] == '$' ? 0 : Count(*page, tag)) << service << " " << tag;
      EXPECT_NE(filled.find(HtmlEscape(hostile)), std::string::npos) << service;
    }
  }
}

}  // namespace
}  // namespace kestrel::test
