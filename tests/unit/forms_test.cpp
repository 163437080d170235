// AutoLogin and the form filler without a page: their files, the scripts
// they build, the access password, the Organizer, and the commands over a
// frame of scripted sites.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "common/cipher.h"
#include "common/script_text.h"
#include "common/strings.h"
#include "forms/autologin.h"
#include "forms/form_data.h"
#include "forms/form_scripts.h"
#include "forms/forms_commands.h"
#include "platform/desktop_apps.h"
#include "support/fakes.h"
#include "support/site_world.h"
#include "support/temp_dir.h"

namespace kestrel::test {
namespace {

const std::string kHostile = "O'Brien \"q\" \\ </script> <!-- \n\r\t\x01 \xE2\x80\xA8 ÿü \xFF\xFE";

TEST(ScriptText, HostileTextStaysOneLiteralAndComesBackWhole) {
  for (char quote : {'\'', '"'}) {
    const std::string lit = ScriptString(kHostile, quote);
    EXPECT_EQ(lit.front(), quote);
    EXPECT_EQ(lit.back(), quote);
    // Nothing inside can end the literal, the line or an inline script.
    EXPECT_EQ(lit.substr(1, lit.size() - 2).find_first_of("'\"\n\r<>"), std::string::npos) << lit;
    EXPECT_EQ(lit.find("\xE2\x80\xA8"), std::string::npos);
  }
  EXPECT_EQ(ScriptString("bob"), "'bob'");  // plain values read as they always did
  // As JSON it reads back: the stray bytes as the Latin-1 letters they stood for.
  const auto back = ParseJsonStrings("[" + ScriptString("a'\"\\</script>ü\n", '"') + ", \"\\ud83d\\ude00\"]");
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, (std::vector<std::string>{"a'\"\\</script>ü\n", "\xF0\x9F\x98\x80"}));
  EXPECT_EQ(*ParseJsonStrings("[" + ScriptString("\xFF", '"') + "]"), std::vector<std::string>{"\xC3\xBF"});
  for (const char* bad : {"null", "", "[", "[\"a\"", "[\"a\",]", "[1]", "{\"a\":1}", "[\"\\x41\"]", "[\"a\"] x"})
    EXPECT_FALSE(ParseJsonStrings(bad)) << bad;
  EXPECT_EQ(ParseJsonStrings(" [ ] ")->size(), 0u);
}

std::string SourceFile(const std::string& relative) {
  const char* source = std::getenv("KESTREL_SOURCE_DIR");
  return std::string(source ? source : ".") + "/" + relative;
}

TEST(AutoLoginFile, KnownFileReadsBackItsPasswordsAndWritesTheSameBytes) {
  // Written by an independent implementation of the cipher: the stored
  // passwords of every earlier copy must keep deciphering.
  CAutoLoginList list;
  ASSERT_TRUE(list.Load(SourceFile("tests/data/autologin.ini")));
  const std::vector<AutoLoginEntry> want = {
      {"Mail", "http://mail.example.com/login", "login", "user=bob&pass=$password", "s3cret"},
      {"Bank", "https://bank.example.com/", "0", "id=42&pin=$password", "O'Brien\"\\</script>ÿü"},
      {"", "http://empty-caption.example/", "", "q=x", ""},
      {"Forum", "forum.example.org/?a=b", "007", "name=ann&pw=$password&keep=1", "pa=ss&word"},
  };
  EXPECT_EQ(list.entries(), want);
  EXPECT_EQ(list.Format(), TempDir::ReadFile(SourceFile("tests/data/autologin.ini")));
}

TEST(AutoLoginFile, RecordsAreReadByPositionWhateverTheFileHolds) {
  const std::string mail = EncipherPassword("pw");
  const struct { std::string text; std::vector<AutoLoginEntry> want; } cases[] = {
      {"", {}},
      {"not the header but skipped\nA;u;;d;" + mail, {{"A", "u", "", "d", "pw"}}},
      {"h\r\n\r\n   \r\n  A;u;f;d;" + mail + "  \r\n", {{"A", "u", "f", "d", "pw"}}},  // blanks and CR LF
      {"h\nA;u", {{"A", "u", "", "", ""}}},                                            // missing fields
      {"h\nA;u;f;d;" + mail + ";more;fields", {{"A", "u", "f", "d", "pw"}}},           // after a fifth ";"
      {"h\n;;;;", {{"", "", "", "", ""}}},
      {"h\nA;u;f;d;ABC", {{"A", "u", "f", "d", ""}}},                      // odd length
      {"h\nA;u;f;d;ZZ" + mail, {{"A", "u", "f", "d", ""}}},                // not hex
      {"h\nA;u;f;d;" + ToLowerAscii(mail), {{"A", "u", "f", "d", "pw"}}},  // lower case is still hex
  };
  for (const auto& c : cases) {
    CAutoLoginList list;
    list.Parse(c.text);
    EXPECT_EQ(list.entries(), c.want) << c.text.substr(0, 60);
  }
  // What is written reads back the same, the empty fields in their places.
  CAutoLoginList list;
  list.entries() = {{"", "u", "", "a=b", ""}, {"c", "u", "7", "", "p;w\xFF"}};
  CAutoLoginList back;
  back.Parse(list.Format());
  EXPECT_EQ(back.entries(), list.entries());
  EXPECT_NE(list.Format().find("\r\n;u;;a=b;\r\n"), std::string::npos);
}

TEST(AutoLoginScript, FormsAreFoundByIndexOrNameAndEveryTextIsQuoted) {
  const std::pair<const char*, const char*> refs[] = {
      {"", "0"},      {"0", "0"},     {"12", "12"}, {"-3", "-3"}, {"login", "'login'"},          {"007", "'007'"},
      {"1a", "'1a'"}, {" 7", "' 7'"}, {"+7", "'+7'"}, {"99999999999", "'99999999999'"}, {"a'b", "'a\\u0027b'"}};
  for (const auto& [form, ref] : refs) EXPECT_EQ(FormReference(form), ref) << form;

  const std::string submit0 = "HTMLFormElement.prototype.submit.call(document.forms[0]);";
  const struct { std::string form, data, password; LoginScript result; std::string script; } scripts[] = {
      {"login", "user=bob&pass=$password", "pw", LoginScript::Built,
       "document.forms['login'].elements['user'].value='bob';\n"
       "document.forms['login'].elements['pass'].value='pw';\n"
       "HTMLFormElement.prototype.submit.call(document.forms['login']);"},
      {"", "q=x", "", LoginScript::Built, "document.forms[0].elements['q'].value='x';\n" + submit0},
      {"", "a=x=y", "", LoginScript::Built, "document.forms[0].elements['a'].value='x=y';\n" + submit0},
      {"", "&&q=x&&", "", LoginScript::Built, "document.forms[0].elements['q'].value='x';\n" + submit0},
      {"", "p=$Password", "pw", LoginScript::Built, "document.forms[0].elements['p'].value='$Password';\n" + submit0},
      {"", "", "pw", LoginScript::NothingToDo, ""},
      {"", "&&&", "pw", LoginScript::NothingToDo, ""},
      {"", "a=1&broken", "pw", LoginScript::SyntaxError, ""},
      {"", "p=$password", "x';alert(1);'", LoginScript::Built,
       "document.forms[0].elements['p'].value='x\\u0027;alert(1);\\u0027';\n" + submit0},
  };
  for (const auto& s : scripts) {
    std::string script;
    EXPECT_EQ(BuildLoginScript({"c", "u", s.form, s.data, s.password}, script), s.result) << s.data;
    EXPECT_EQ(script, s.script);
  }
}

TEST(AutoLoginScript, OnlyTheEntrysOwnSiteGetsThePassword) {
  const struct { const char* entry; const char* page; bool same; } cases[] = {
      {"http://a.example/login", "http://a.example/other?x", true}, {"http://a.example/login", "http://A.EXAMPLE:80/", true},
      {"a.example/login", "http://a.example/", true},  {"http://a.example/", "https://a.example/", true},  // moved to https
      {"https://a.example/", "http://a.example/", false}, {"http://a.example/", "http://a.example:8080/", false},
      {"http://a.example/", "http://b.example/", false},  {"http://a.example/", "http://a.example.evil.test/", false},
      {"http://a.example/", "http://a.example@evil.test/", false}, {"http://127.0.0.1:8000/", "http://127.0.0.1:8001/", false},
      {"http://[::1]:81/", "http://[::1]:81/x", true},   {"http://a.example/", "about:blank", false},
      {"", "http://a.example/", false}};
  for (const auto& c : cases) EXPECT_EQ(SameLoginOrigin(c.entry, c.page), c.same) << c.entry << " / " << c.page;
}

TEST(AutoLoginAccess, PasswordDialogsSayWhatWentWrong) {
  MessageRecorder said;
  std::string stored;
  CAutoLoginAccess access(stored);
  // In order; with none set the old one must be empty; an empty new one removes the protection.
  const std::vector<bool> got = {
      access.MustAsk(), (access.ProtectNow(), access.ChangePassword("x", "new", "new")),
      access.ChangePassword("", "new", "wen"), access.ChangePassword("", "new", "new"), access.unlocked(),
      (access.ProtectNow(), access.MustAsk()), access.TryPassword("New"), access.TryPassword("new"), access.MustAsk(),
      access.ChangePassword("new", "", "")};
  EXPECT_EQ(got, (std::vector<bool>{false, false, false, true, true, true, false, true, false, true}));
  EXPECT_EQ(stored, "");
  EXPECT_EQ(said.messages, (std::vector<std::string>{
                               "You have set no password for protection!", "Old Password is incorrect!",
                               "New password and re-entry doesn't match!",
                               "Cached password cleared. You need to \r\nre-enter password to access AutoLogin.",
                               "Bad password!"}));
}

TEST(AutoLoginOrganizer, WorksOnTheListAndKeepsItsItemsSorted) {
  MessageRecorder said;
  CAutoLoginList list;
  list.entries() = {{"mail", "http://m/", "", "u=1", "p"}, {"Bank", "http://b/", "", "", ""}};
  CAutoLoginOrganizer o(list);
  EXPECT_EQ(o.Captions(), (std::vector<std::string>{"Bank", "mail"}));
  EXPECT_EQ(o.fields().url, "http://b/");  // the first item is loaded
  o.Select(1);
  EXPECT_EQ(o.fields().reenter, "p");

  o.New();
  // No URL, passwords apart, what the file could not hold, too long a line: refused.
  for (const auto& refused : {std::vector<std::string>{"Alpha", "", "", "", "", ""}, {"Alpha", "http://a/", "", "", "x", "y"},
                              {"Al;pha", "http://a/", "", "", "", ""},
                              {"Alpha", "http://a/", "", "u=" + std::string(kAutoLoginMaxLine, 'x'), "", ""}}) {
    o.fields() = {refused[0], refused[1], refused[2], refused[3], refused[4], refused[5]};
    EXPECT_FALSE(o.Add()) << refused[0];
  }
  o.fields() = {"Alpha", "http://a/", "", "", "", ""};
  ASSERT_TRUE(o.Add());
  EXPECT_EQ(o.Captions(), (std::vector<std::string>{"Alpha", "Bank", "mail"}));
  // The selection stayed on its item, the fields are cleared, the entry is at the end of the file.
  EXPECT_EQ(o.SelectedCaption() + "|" + o.fields().caption + "|" + list.entries().back().caption, "mail||Alpha");

  o.Select(2);
  o.fields().caption = "Zeta";
  ASSERT_TRUE(o.Change());
  EXPECT_EQ(o.Captions(), (std::vector<std::string>{"Alpha", "Bank", "Zeta"}));
  EXPECT_EQ(std::make_pair(o.selection(), list.entries()[0].caption), std::make_pair(2, std::string("Zeta")));

  // Deleting the last selects the one before it, another the one after it.
  std::vector<std::string> left;
  for (int select : {-1, 0, -1, -1}) {
    if (select >= 0) o.Select(select);
    const bool deleted = o.Delete();
    left.push_back(std::to_string(deleted) + o.SelectedCaption());
  }
  EXPECT_EQ(left, (std::vector<std::string>{"1Bank", "1Bank", "1", "0"}));
  EXPECT_TRUE(o.selection() == -1 && list.entries().empty());
  EXPECT_FALSE(o.Change());
  EXPECT_EQ(said.messages,
            (std::vector<std::string>{"Invalid URL!", "Passwords don't match!",
                                      "AutoLogin fields cannot contain \";\" or line breaks!",
                                      "This AutoLogin entry is too long to be saved!", "Please select an item!",
                                      "Invalid URL!"}));
}

TEST(FormDataFile, LinesAndBlocksReadByTheirRules) {
  const struct { std::string text; FormFieldList want; } cases[] = {
      {"user,login=bob", {{{"user", "login"}, "bob"}}},
      {"user = bob", {{{"user"}, " bob"}}},
      {" ,a,,b, =v\r\n", {{{"a", "b"}, "v"}}},
      // Blanks around a name are no part of it, the last one's too.
      {"a , b ,=v", {{{"a", "b"}, "v"}}},
      {std::string("\0\f,=v", 5), {{{std::string(1, '\0')}, "v"}}},
      {"a=b=c\nnovalue\n=nobody\n  \n", {{{"a"}, "b=c"}}},
      {"t=<TextArea>\none\n  two  \n</TextArea>\nx=1", {{{"t"}, "one\n  two  "}, {{"x"}, "1"}}},
      {"t=ignored<TextArea>\r\n\r\nlast\r\n  </TextArea>  ", {{{"t"}, "\nlast"}}},
      {"x=1\nt=<TextArea>\nno end", {{{"x"}, "1"}}},
      {"nameonly<TextArea>\nbody\n</TextArea>\ny=2", {{{"y"}, "2"}}},
  };
  for (const auto& c : cases) {
    FormFieldList got;
    EXPECT_EQ(ParseFormData(c.text, got), static_cast<int>(c.want.size())) << c.text.substr(0, 40);
    EXPECT_EQ(got, c.want) << c.text.substr(0, 40);
  }
  const FormFieldList list = {{{"a", "b"}, "1"}, {{"t"}, "two\nlines"}, {{"e"}, ""}, {{"m"}, "ends\n"}};
  EXPECT_EQ(FormatFormData(list), "a,b=1\r\nt=<TextArea>\r\ntwo\r\nlines\r\n</TextArea>\r\ne=\r\n"
                                  "m=<TextArea>\r\nends\r\n\r\n</TextArea>\r\n");
  FormFieldList back;
  ParseFormData(FormatFormData(list), back);
  EXPECT_EQ(back, list);
  // Values that would not read back from one line go in a block.
  const FormFieldList edges = {{{"s"}, "trailing \f"}, {{"k"}, "x<TextArea>"}, {{"e"}, " "}};
  back.clear();
  ParseFormData(FormatFormData(edges), back);
  EXPECT_EQ(back, edges);

  TempDir dir;
  FormFieldList kept = {{{"k"}, "v"}};  // a missing file: kept, or cleared when asked
  EXPECT_EQ(ReadFormDataFile(dir.file("missing.fmd"), kept, false), -1);
  EXPECT_EQ(kept.size(), 1u);
  EXPECT_EQ(ReadFormDataFile(dir.file("missing.fmd"), kept, true), -1);
  EXPECT_TRUE(kept.empty());
}

TEST(FormDataFile, MergingAsksBeforeChangingAValue) {
  std::vector<std::string> asked;
  bool answer = true;
  const AskUpdate ask = [&](const std::string& q) { return asked.push_back(q), answer; };
  FormFieldList list = {{{"a", "b"}, "old"}, {{"c"}, "same"}};
  MergeFormField(list, "c", "same", ask);  // stored already: nothing to ask, no second copy
  MergeFormField(list, "new", "n", ask);
  MergeFormField(list, "b", "changed", ask);  // shared entry: split off
  answer = false;
  MergeFormField(list, "a", "no", ask);
  answer = true;
  MergeFormField(list, "c", "x", ask);
  EXPECT_EQ(list, (FormFieldList{{{"a"}, "old"}, {{"c"}, "x"}, {{"new"}, "n"}, {{"b"}, "changed"}}));
  ASSERT_EQ(asked.size(), 3u);
  EXPECT_EQ(asked[0], "Do you wish to update field <b>?\r\nOld Value:old\r\nNew Value:changed");
}

TEST(FormDataFile, ActiveFilesLoadInTheirOrderAndTheFolderListsOnlyFormFiles) {
  TempDir dir;
  const std::string folder = dir.path() + "/";
  dir.write("first.fmd", "name=from first\nonly=1\n");
  dir.write("Second.FMD", "name=from second\nother=2\n");
  dir.write("notes.txt", "x=1");
  std::filesystem::create_directory(dir.file("dir.fmd"));
  EXPECT_EQ(ListFormFiles(folder), (std::vector<std::string>{"first", "Second"}));
  EXPECT_TRUE(ListFormFiles(folder + "missing/").empty());
  EXPECT_EQ(ActiveFormSelection({"first", "Second", "z"}, {"SECOND", "gone"}), (std::vector<bool>{false, true, false}));

  CFormData data;
  data.Load(folder, {"Second", "missing", "first"});
  EXPECT_EQ(*FindFormValue(data.entries(), "name"), "from second");
  EXPECT_EQ(*FindFormValue(data.entries(), "only"), "1");
  EXPECT_EQ(FindFormValue(data.entries(), "nobody"), nullptr);
  EXPECT_EQ(*ParseJsonStrings(data.FillPairs().substr(1, data.FillPairs().find(']') )),
            (std::vector<std::string>{"name", "from second"}));
  // Every name once, the first value: what fills a page must not depend on the later file.
  EXPECT_EQ(data.FillPairs().find("from first"), std::string::npos);
}

TEST(FormScripts, ThePagesAnswersAreReadStrictly) {
  const std::optional<ActiveForm> form = ParseActiveForm(R"(["login","user","bob","pick","a|c"])");
  ASSERT_TRUE(form);
  EXPECT_EQ(std::make_pair(form->name, form->fields),
            std::make_pair(std::string("login"), std::vector<std::pair<std::string, std::string>>{{"user", "bob"}, {"pick", "a|c"}}));
  for (const char* none : {"null", "", "[]", R"(["f","odd"])", "[1,2,3]"}) EXPECT_FALSE(ParseActiveForm(none)) << none;
  // The data goes in as it is given, never into the script's own markers.
  const std::string script = FillFormsScript(R"([["ACTIVE","PAIRS"]])", true);
  EXPECT_NE(script.find(R"(new Map([["ACTIVE","PAIRS"]]))"), std::string::npos);
  EXPECT_NE(script.find("if (true)"), std::string::npos);
}

TEST(DesktopApps, TheUsersChoiceWinsAndExecLinesAreSplitLikeTheDesktopDoes) {
  TempDir dir;
  XdgFolders f{dir.path() + "/config", dir.path() + "/data", {dir.path() + "/etc"}, {dir.path() + "/usr"}};
  for (const char* d : {"/config", "/data/applications", "/etc", "/usr/applications"})
    std::filesystem::create_directories(dir.path() + d);
  EXPECT_EQ(DefaultDesktopFile("text/plain", f), "");
  dir.write("usr/applications/ed.desktop", "[Desktop Entry]\nExec=ed %f\n");
  dir.write("usr/applications/mimeinfo.cache", "[MIME Cache]\ntext/plain=gone.desktop;ed.desktop;\n");
  EXPECT_EQ(DefaultDesktopFile("text/plain", f), "");  // only the first named counts, and it is not there
  dir.write("usr/applications/mimeinfo.cache", "[MIME Cache]\ntext/plain=ed.desktop;\n");
  EXPECT_EQ(DefaultDesktopFile("text/plain", f), dir.file("usr/applications/ed.desktop"));
  dir.write("data/applications/mine.desktop", "[Desktop Entry]\nExec=mine\n");
  dir.write("config/mimeapps.list", "[Added Associations]\ntext/plain=ed.desktop\n"
                                    "[Default Applications]\ntext/plain=mine.desktop;ed.desktop\n");
  EXPECT_EQ(DefaultDesktopFile("text/plain", f), dir.file("data/applications/mine.desktop"));

  // Every program for a type, each once, the chosen first; hidden, removed,
  // missing and Exec-less ones are left out; a nameless one goes by its file.
  dir.write("usr/applications/hid.desktop", "[Desktop Entry]\nName=Hid\nExec=hid\nHidden=true\n");
  dir.write("usr/applications/noexec.desktop", "[Desktop Entry]\nName=None\n");
  dir.write("usr/applications/web.desktop", "[Desktop Entry]\nName=Web Editor\nExec=web %u\n[Action x]\nName=Other\n");
  dir.write("usr/applications/drop.desktop", "[Desktop Entry]\nName=Drop\nExec=drop\n");
  dir.write("usr/applications/mimeinfo.cache",
            "[MIME Cache]\ntext/html=web.desktop;hid.desktop;noexec.desktop;gone.desktop;ed.desktop;drop.desktop;\n"
            "text/plain=ed.desktop;\n");
  dir.write("config/mimeapps.list", "[Default Applications]\ntext/html=mine.desktop\n"
                                    "[Added Associations]\ntext/html=ed.desktop;web.desktop;\n"
                                    "[Removed Associations]\ntext/html=drop.desktop;\n");
  std::vector<std::string> names;
  for (const DesktopProgram& p : ProgramsForType("text/html", f)) names.push_back(p.name);
  EXPECT_EQ(names, (std::vector<std::string>{"mine.desktop", "ed.desktop", "Web Editor"}));
  EXPECT_TRUE(ProgramsForType("image/x-none", f).empty());

  const std::string file = "/f/it's $HOME; `x`.fmd";
  const std::pair<std::string, std::vector<std::string>> execs[] = {
      {"gedit %U", {"gedit", file}}, {"mousepad", {"mousepad", file}},
      {"\"/opt/my editor/bin\" --new %f", {"/opt/my editor/bin", "--new", file}},
      {"kate -b %i %c %k %F", {"kate", "-b", file}},
      {"sh -c \"echo \\\\\"x\\\\\" 100%%\" %f", {"sh", "-c", "echo \"x\" 100%", file}},
      {"\"unclosed %f", {}}, {"", {}}};
  for (const auto& [exec, argv] : execs)
    EXPECT_EQ(DesktopExecCommand("[Other]\nExec=wrong\n[Desktop Entry]\nName=E\nExec=" + exec + "\n", file), argv) << exec;
}

// The commands over a frame of scripted sites.

struct FormsWorld : SiteWorld {
  MessageRecorder said;
  CAutoLoginList autoLogin;
  CFormData formData;
  FakeFormsDialogs dialogs;
  RecordingShell shell;
  CKestrelView* target = nullptr;
  std::unique_ptr<CFormsCommands> forms;
  explicit FormsWorld(std::vector<AutoLoginEntry> entries) {
    autoLogin.entries() = std::move(entries);
    forms = std::make_unique<CFormsCommands>(CFormsCommands::Parts{
        frame, frame.menu(), settings, autoLogin, formData, dialogs, shell, "/nowhere/", [this] { return target; },
        nullptr});
  }
};

TEST(FormsCommands, ALoginWaitsForItsOwnSiteAndAsksForThePasswordOncePerUnlock) {
  FormsWorld w({{"Mail", "http://mail.test/login", "", "u=bob&p=$password", "pw"}, {"Mail", "http://x/", "", "", ""}});
  const MenuItem* menu = w.frame.menu().FindPopup({"AutoLogin"});
  ASSERT_TRUE(menu);
  EXPECT_EQ(w.frame.menu().DynamicText(*menu, kAutoLoginCommands.first + 1), "Mail");  // both shown
  w.target = w.Site("http://start.test/", "Start");
  ScriptedControl& control = SiteWorld::Control(w.target);

  // A blank page on the way keeps the login waiting; another site drops it.
  EXPECT_TRUE(w.frame.OnCommand(kAutoLoginCommands.first + 1));
  std::vector<std::string> pending{w.target->pendingAutoLogin()};
  for (const char* url : {"about:blank", "http://elsewhere.test/"}) control.LoadPage(url, ""), pending.push_back(w.target->pendingAutoLogin());
  EXPECT_EQ(pending, (std::vector<std::string>{"Mail", "Mail", ""}));
  EXPECT_TRUE(control.scripts.empty());

  w.forms->UseAutoLogin("Mail");
  control.CompleteNavigation("Mail login");
  ASSERT_EQ(control.scripts.size(), 1u);
  EXPECT_NE(control.scripts[0].find("elements['p'].value='pw'"), std::string::npos);
  EXPECT_TRUE(w.dialogs.shown.empty());  // no password set: never asked
  EXPECT_TRUE(w.frame.CommandStateOf(ID_AUTOLOGIN_PROTECT_NOW).enabled);

  // Protected: asked once, a wrong try and Cancel leave the site alone.
  EXPECT_TRUE(w.forms->access().ChangePassword("", "key", "key"));
  w.frame.OnCommand(ID_AUTOLOGIN_PROTECT_NOW);
  EXPECT_FALSE(w.frame.CommandStateOf(ID_AUTOLOGIN_PROTECT_NOW).enabled);
  w.dialogs.passwords = {"wrong"};
  w.forms->UseAutoLogin("Mail");
  EXPECT_EQ(w.target->pendingAutoLogin(), "");
  w.dialogs.passwords = {"key"};
  w.forms->UseAutoLogin("Mail");
  w.forms->UseAutoLogin("Nobody");  // unknown: the site is chosen, nothing opens
  EXPECT_EQ(w.target->pendingAutoLogin(), "Mail");
  EXPECT_EQ(w.dialogs.shown, (std::vector<std::string>{"Please Enter Password", "Please Enter Password"}));

  // Login data without "=": nothing runs, the caption is spent all the same.
  w.autoLogin.entries()[0].loginData = "broken";
  control.CompleteNavigation("Mail login");
  EXPECT_EQ(control.scripts.size(), 1u);
  EXPECT_EQ(w.target->pendingAutoLogin(), "");
  EXPECT_EQ(w.said.messages.back(), "Syntax error in autologin data!");
}

TEST(FormsCommands, SavingTheActiveFormMergesAsTheUserAnswers) {
  FormsWorld w({});
  TempDir dir;
  w.target = w.Site("http://form.test/", "Form");
  ScriptedControl& control = SiteWorld::Control(w.target);
  control.scriptAnswer = "null";
  w.frame.OnCommand(ID_SAVE_ACTIVE_FORM);
  w.frame.OnCommand(ID_FILL_ACTIVE_FORM);
  control.scriptAnswer = "-1";
  w.frame.OnCommand(ID_FILL_ACTIVE_FORM);
  EXPECT_EQ(w.said.messages, std::vector<std::string>(2, kNoActiveForm));

  w.dialogs.saveTo = dir.file("f.fmd");
  dir.write("f.fmd", "keep=1\nuser=old\n");
  control.scriptAnswer = R"(["f","user","bob","note","a\nb"])";
  w.frame.OnCommand(ID_SAVE_ACTIVE_FORM);  // the recorder answers Cancel: nothing written
  EXPECT_EQ(dir.read("f.fmd"), "keep=1\nuser=old\n");
  EXPECT_EQ(w.said.messages.back(), "Do you wish to merge with existing entries?\r\nChoose <No> will clear existing entries.");
  w.said.answers = {Answer::Yes};  // merge; the update question is answered Yes
  w.frame.OnCommand(ID_SAVE_ACTIVE_FORM);
  EXPECT_EQ(dir.read("f.fmd"), "keep=1\r\nuser=bob\r\nnote=<TextArea>\r\na\r\nb\r\n</TextArea>\r\n");
  w.said.answers = {Answer::No};  // start afresh
  control.scriptAnswer = R"(["f","only","1"])";
  w.frame.OnCommand(ID_SAVE_ACTIVE_FORM);
  EXPECT_EQ(dir.read("f.fmd"), "only=1\r\n");
}

}  // namespace
}  // namespace kestrel::test
