#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <map>
#include <set>

#include "collections/favorites.h"
#include "common/textfile.h"
#include "frame/command_ids.h"
#include "support/fakes.h"
#include "support/site_world.h"
#include "support/temp_dir.h"
#include "platform/profile.h"
#include "tools/clean_trace.h"
#include "tools/custom_scripts.h"
#include "tools/external_commands.h"
#include "tools/shell_run.h"

namespace kestrel {
namespace {

using test::RecordingShell;
using test::TempDir;

TEST(ShellRun, NamesAddressesAndFolders) {
  const struct { const char* text; bool host, email; } cases[] = {
      {"www.example.com", true, false},   {"example.org", true, false},      {"mail.info", true, false},
      {"a.com", false, false},            // shorter than 6
      {"www.Example.com", false, false},  {"my-site.com", false, false},     {"www.example.de", false, false},
      {"www..com", false, false},         {"exa_mple.com", false, false},    {"example", false, false},
      {"john@example.com", false, true},  {"info@mail.example.org", false, true},
      {"john.doe@example.org", false, false},  // a dotted local part must be a host name itself,
      {"jo@a.com", false, false},         // the domain is no host name
      {"john@Example.com", false, false}, {"jo hn@example.com", false, false}, {"@example.com", false, false},
      {"john@@example.com", false, false}, {"", false, false}};
  for (const auto& c : cases) EXPECT_EQ(std::make_pair(IsHostName(c.text), IsEmailAddress(c.text)), std::make_pair(c.host, c.email)) << c.text;
  const std::pair<const char*, const char*> folders[] = {
      {"/usr/bin/gedit", "/usr/bin"}, {"/usr/bin/", "/usr"}, {"/gedit", "/"}, {"gedit", ""}, {"", ""}, {"a/b", "a"}};
  for (const auto& [path, folder] : folders) EXPECT_EQ(FolderOf(path), folder) << path;
}

TEST(ShellRun, CommandsSplitWithoutAShell) {
  TempDir dir;
  const std::string spaced = dir.file("My Programs");
  ::mkdir(spaced.c_str(), 0755);
  dir.write("My Programs/run me", "#!/bin/sh\n");
  const auto exists = [](const std::string& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0;
  };
  const struct { std::string text, program, parameters; } cases[] = {
      {"  gedit   notes.txt  ", "gedit", "notes.txt"},
      {"gedit", "gedit", ""},
      {"", "", ""},
      {"http://example.com/a b", "http://example.com/a b", ""},  // an address keeps its blanks
      {"mailto:a@b.com?subject=x y", "mailto:a@b.com?subject=x y", ""},
      {spaced + "/run me --fast  -x", spaced + "/run me", "--fast  -x"},
      {spaced + "/run me", spaced + "/run me", ""},
      {spaced + "/run  me", dir.file("My"), "Programs/run  me"},  // nothing exists: up to the first blank
      {"/no/such program -x", "/no/such", "program -x"},
      {"C:\\Program Files\\x.exe /s", "C:\\Program Files\\x.exe /s", ""},
  };
  for (const auto& c : cases) {
    const SplitResult r = SplitCommand(c.text, exists);
    EXPECT_EQ(std::tie(r.program, r.parameters), std::tie(c.program, c.parameters)) << c.text;
  }
  // Shell syntax is text: nothing of it is interpreted, quotes only group.
  const std::pair<std::string, std::vector<std::string>> args[] = {
      {"a  b\tc", {"a", "b", "c"}},
      {"\"two words\" x", {"two words", "x"}},
      {"\"say \\\"hi\\\"\"", {"say \"hi\""}},
      {"$(rm -rf ~) `id` ; ls | cat > f && x", {"$(rm", "-rf", "~)", "`id`", ";", "ls", "|", "cat", ">", "f", "&&", "x"}},
      {"line\nbreak", {"line", "break"}},
      {"\"unclosed quote", {"unclosed quote"}},
      {"", {}},
      {"\"\"", {""}},
  };
  for (const auto& [text, want] : args) EXPECT_EQ(SplitArguments(text), want) << text;
}

TEST(ShellRun, StartsProgramsDocumentsAndFallsBackToTheWeb) {
  TempDir dir;
  dir.write("notes.txt", "text");
  dir.write("tool", "#!/bin/sh\n");
  ::chmod(dir.file("tool").c_str(), 0755);
  RecordingShell shell;
  shell.startable = [](const std::string& program) { return program != "www.example.com/page"; };
  const auto run = [&](const std::string& text, const std::string& folder = {}) {
    shell.opened.clear();
    const bool ok = ShellRun(shell, text, folder);
    std::string all = ok ? "ok" : "failed";
    for (const std::string& o : shell.opened) all += "; " + o;
    return all;
  };
  // A program by its path starts in its own folder; a document opens with its program; what cannot
  // start but begins with a host name is a web address.
  const std::pair<std::string, std::string> runs[] = {
      {"  john@example.com ", "ok; mailto:john@example.com"}, {"gedit notes.txt", "ok; start gedit|notes.txt @"},
      {dir.file("tool") + " -v \"a b\"", "ok; start " + dir.file("tool") + "|-v|a b @" + dir.path()},
      {dir.file("notes.txt"), "ok; " + dir.file("notes.txt")}, {"https://example.org/?q=a;b", "ok; https://example.org/?q=a;b"},
      {"www.example.com/page", "ok; start www.example.com/page @; http://www.example.com/page"}};
  for (const auto& [text, done] : runs) EXPECT_EQ(run(text), done);
  EXPECT_EQ(run("gedit notes.txt", "/tmp"), "ok; start gedit|notes.txt @/tmp");
  shell.startable = [](const std::string&) { return false; };
  for (const auto& [text, done] : {std::pair<std::string, std::string>{"www.Example.com/page", "failed; start www.Example.com/page @"},
                                   {dir.file("missing") + " x", "failed"}, {"   ", "failed"},
                                   {"echo $(id); rm x", "failed; start echo|$(id);|rm|x @"}})
    EXPECT_EQ(run(text), done);
}

template <class Map>
typename Map::mapped_type Lookup(const Map& m, const std::string& key) {
  const auto it = m.find(key);
  return it == m.end() ? typename Map::mapped_type{} : it->second;
}

// A desktop as the test sets it up.
struct FakeFinder : ProgramFinder {
  std::map<std::string, std::string> defaults;                    // type -> desktop file
  std::map<std::string, std::vector<DesktopProgram>> programs;    // type -> programs
  std::map<std::string, std::map<std::string, std::string>> entries;
  std::set<std::string> path;
  std::string DefaultFor(const std::string& t) const override { return Lookup(defaults, t); }
  std::vector<DesktopProgram> ProgramsFor(const std::string& t) const override { return Lookup(programs, t); }
  std::string EntryOf(const std::string& f, const std::string& k) const override { return Lookup(Lookup(entries, f), k); }
  std::string OnPath(const std::string& name) const override { return path.count(name) ? "/usr/bin/" + name : ""; }
};

TEST(ExternalPrograms, EachItemStartsTheDesktopsChoiceOrIsGreyedOut) {
  FakeFinder finder;
  RecordingShell shell;
  test::SiteWorld w;
  CommandRegistry& registry = w.frame.commands();
  CExternalCommands ext(registry, shell, finder);
  CKestrelView* page = w.Site("https://example.org/a?b=1", "A");
  const auto enabled = [&](unsigned id, CKestrelView* s = nullptr) { return registry.StateOf({id, s}).enabled; };

  // A bare desktop: nothing to start, each item says why.
  for (unsigned id : {ID_MEDIA_PLAYER, ID_MESSENGER, ID_TELNET, ID_CONSOLE, ID_TEXT_EDITOR, ID_PAINT,
                      ID_SYNCHRONIZE}) {
    EXPECT_FALSE(enabled(id)) << id;
    EXPECT_FALSE(ext.Describe(id).empty() || ext.Describe(id).rfind("Starts", 0) == 0) << id;
  }
  EXPECT_FALSE(enabled(ID_OTHER_BROWSER, page));

  finder.defaults = {{"audio/mpeg", "/apps/vlc.desktop"},
                     {"text/plain", "/apps/gedit.desktop"},
                     {"x-scheme-handler/https", "/apps/kestrel.desktop"}};
  finder.entries["/apps/vlc.desktop"] = {{"Name", "VLC media player"}};
  finder.programs["image/png"] = {{"/apps/eog.desktop", "Image Viewer"}, {"/apps/gimp.desktop", "GIMP"}};
  finder.entries["/apps/eog.desktop"] = {{"Categories", "GNOME;Graphics;RasterGraphics;Viewer;"}};
  finder.entries["/apps/gimp.desktop"] = {{"Categories", "Graphics;2DGraphics;RasterGraphics;GTK;"}};
  finder.programs["x-scheme-handler/https"] = {{"/apps/kestrel.desktop", "Kestrel"},
                                               {"/apps/firefox-esr.desktop", "Firefox ESR"}};
  finder.path = {"xterm", "telnet"};
  ext.Refresh();

  // The media player found through the second kind it knows; the painter, not the viewer; a
  // terminal from PATH; telnet in it. Kestrel is the default browser: the page goes to the other one.
  EXPECT_EQ(ext.Describe(ID_MEDIA_PLAYER), "Starts VLC media player");
  for (unsigned id : {ID_MEDIA_PLAYER, ID_PAINT, ID_CONSOLE, ID_TELNET, ID_TEXT_EDITOR}) registry.Execute({id, nullptr});
  EXPECT_FALSE(enabled(ID_OTHER_BROWSER));
  EXPECT_TRUE(enabled(ID_OTHER_BROWSER, page));
  registry.Execute({ID_OTHER_BROWSER, page});
  EXPECT_EQ(shell.opened, (std::vector<std::string>{"with /apps/vlc.desktop ", "with /apps/gimp.desktop ",
                                                    "start /usr/bin/xterm @", "start /usr/bin/xterm|-e|/usr/bin/telnet @",
                                                    "with /apps/gedit.desktop ",
                                                    "with /apps/firefox-esr.desktop https://example.org/a?b=1"}));
  EXPECT_FALSE(enabled(ID_MESSENGER) || enabled(ID_SYNCHRONIZE));

  // The desktop's own default browser when it is not Kestrel.
  finder.defaults["x-scheme-handler/https"] = "/apps/chromium.desktop";
  ext.Refresh();
  EXPECT_EQ(ext.LaunchOf(ID_OTHER_BROWSER).desktopFile, "/apps/chromium.desktop");
  EXPECT_EQ(ext.Describe(ID_OTHER_BROWSER), "Opens the page in chromium.desktop");
}

TEST(ExternalPrograms, TheRealFinderReadsPathAndDesktopFiles) {
  TempDir dir;
  ::mkdir(dir.file("bin").c_str(), 0755);
  dir.write("bin/xterm", "#!/bin/sh\n");
  dir.write("bin/telnet", "not executable");
  ::chmod(dir.file("bin/xterm").c_str(), 0755);
  dir.write("app.desktop", "[Other]\nName=Wrong\n[Desktop Entry]\nName = Paint It\nCategories=Graphics;\n");
  XdgProgramFinder finder(XdgFolders{dir.file("cfg"), dir.file("data"), {}, {}}, "/nonexistent:" + dir.file("bin"));
  // Only an executable file on PATH counts; the entry's own section is read.
  EXPECT_EQ(finder.OnPath("xterm") + "|" + finder.OnPath("telnet"), dir.file("bin/xterm") + "|");
  EXPECT_EQ(finder.EntryOf(dir.file("app.desktop"), "Name") + "|" + finder.EntryOf(dir.file("missing.desktop"), "Name"), "Paint It|");
  EXPECT_EQ(finder.DefaultFor("text/plain"), "");
}

struct FakeScriptDialogs : ScriptDialogs {
  std::string code;
  bool javaScript = true, execute = true;
  int shown = 0;
  bool CustomScript(std::string& c, bool& js) override {
    ++shown;
    EXPECT_TRUE(c.empty());  // nothing is kept from an earlier opening
    c = code;
    js = javaScript;
    return execute;
  }
};

TEST(CustomScripts, TheMenuTheFilesAndTheDialog) {
  test::SiteWorld w;
  TempDir dir;
  test::MessageRecorder said;
  const std::string folder = dir.path() + "/scripts/";
  MakeDirectories(folder);
  for (const auto& [name, text] : {std::pair<std::string, std::string>{"b.js", "document.title='b'"}, {"a.vbs", "MsgBox 1"},
                                   {"a.js", "document.title='a'"}, {"v.only.vbs", "MsgBox 2"},
                                   {"bin.js", std::string("x\0y", 3)}, {"notes.txt", "not a script"}})
    dir.write("scripts/" + name, text);
  FakeScriptDialogs dialogs;
  CCustomScripts scripts({w.frame, w.frame.menu(), dialogs, folder, nullptr});
  const MenuItem* menu = w.frame.menu().FindPopup({"Tools", "Execute Scripts"});
  ASSERT_TRUE(menu);
  std::vector<std::string> shown;
  for (const DynamicMenuItem& d : menu->dynamic) shown.push_back(d.text);
  // The .js files by name, then the .vbs ones, each listed up to its last dot.
  EXPECT_EQ(shown, (std::vector<std::string>{"a", "b", "bin", "a", "v.only"}));
  ASSERT_EQ(menu->dynamic.size(), 5u);
  EXPECT_EQ(menu->dynamic[0].id, kScriptCommands.first);

  // Without a site nothing runs.
  w.frame.commands().Execute({menu->dynamic[1].id, nullptr});
  EXPECT_TRUE(said.messages.empty());
  CKestrelView* page = w.Site("http://page.test/", "Page");
  auto& control = test::SiteWorld::Control(page);
  control.scripts.clear();  // the frame's own
  // Both entries named "a" run the JavaScript file.
  for (int i : {0, 3, 1}) w.frame.commands().Execute({menu->dynamic[i].id, page});
  EXPECT_EQ(control.scripts, (std::vector<std::string>{"document.title='a'", "document.title='a'", "document.title='b'"}));
  // VBScript says it does not run; a binary file and hostile names are refused.
  control.scripts.clear();
  dir.write("scripts/big.js", std::string(CCustomScripts::kMaxScriptBytes + 1, 'x'));
  for (const char* name : {"v.only", "bin", "../scripts/a", "missing", "big"}) scripts.RunNamedScript(name);
  EXPECT_TRUE(control.scripts.empty());
  ASSERT_EQ(said.messages.size(), 5u);
  const std::string why[] = {"VBScript", "not a text file", "cannot contain", "Can't open " + folder + "missing.js!", "larger than 1 MB"};
  for (int i = 0; i < 5; ++i) EXPECT_NE(said.messages[i].find(why[i]), std::string::npos) << said.messages[i];

  // The dialog: Execute runs the code typed, Close runs nothing.
  said.messages.clear();
  dialogs.code = "document.body.innerHTML = '<b>x</b>'";
  for (auto [execute, javaScript] : {std::pair{true, true}, {false, true}, {true, false}}) {
    dialogs.execute = execute, dialogs.javaScript = javaScript;
    w.frame.commands().Execute({ID_CUSTOM_SCRIPT, page});
  }
  EXPECT_EQ(dialogs.shown, 3);
  EXPECT_EQ(control.scripts, std::vector<std::string>{"document.body.innerHTML = '<b>x</b>'"});
  EXPECT_EQ(said.messages.size(), 1u);
  EXPECT_FALSE(w.frame.commands().StateOf({ID_CUSTOM_SCRIPT, nullptr}).enabled);
}

struct FakeBrowsingData : BrowsingData {
  std::vector<std::string> cleared;
  bool works = true;
  bool ClearCookies() override { return cleared.push_back("cookies"), works; }
  bool ClearCache() override { return cleared.push_back("cache"), works; }
  bool ClearVisitedLinks() override { return cleared.push_back("links"), works; }
};

TEST(CleanTrace, EachCommandAsksCleansItsPartAndNamesWhatFailed) {
  TempDir dir;
  FakeBrowsingData engine;
  std::unique_ptr<HistoryStore> history = OpenSqliteHistory(dir.file("history.sqlite"));
  TypedUrlList typed;
  RegistryProfile profile;
  QueryHistory queries;
  CommandRegistry registry;
  int refreshed = 0;
  CCleanTrace clean({registry, engine, *history, typed, profile, queries, dir.file("searchhis.ini"),
                     [&] { ++refreshed; }});
  const auto fill = [&] {
    history->AddVisit("http://seen.test/", "Seen", 100);
    typed.Insert("http://typed.test/");
    ASSERT_TRUE(typed.Save(profile));
    queries.RememberQuery("kestrel");
    dir.write("searchhis.ini", "kestrel\r\n");
    engine.cleared.clear();
  };
  // What is left of the traces kept outside the engine.
  const auto left = [&] {
    std::string s;
    for (auto [kept, what] : {std::pair{!history->Recent(10).empty(), "history "}, {!typed.items().empty(), "typed "},
                              {bool(profile.Find(kTypedUrlsKey, "url1")), "stored "}, {!queries.items().empty(), "queries "},
                              {FileExists(dir.file("searchhis.ini")), "file "}})
      if (kept) s += what;
    return s;
  };
  fill();
  const std::string all = "history typed stored queries file ";
  // Cancel on every question cleans nothing.
  {
    test::MessageRecorder said(false);
    for (unsigned id : {ID_CLEAN_HISTORY, ID_CLEAN_COOKIES, ID_CLEAN_CACHE, ID_CLEAN_ALL}) registry.Execute({id, nullptr});
    EXPECT_EQ(said.messages.size(), 4u);
    EXPECT_EQ(said.messages[3],
              "This operation will clean all browser history, cookies, cache.\nIt can't be undone. Are you sure to continue?");
    EXPECT_TRUE(engine.cleared.empty());
    EXPECT_EQ(left(), all);
  }
  test::MessageRecorder said(true);
  // Cookies and cached files each leave the rest alone.
  for (unsigned id : {ID_CLEAN_COOKIES, ID_CLEAN_CACHE}) registry.Execute({id, nullptr});
  EXPECT_EQ(engine.cleared, (std::vector<std::string>{"cookies", "cache"}));
  EXPECT_EQ(left(), all);
  // History: the store, the visited links, the typed addresses, the searches.
  registry.Execute({ID_CLEAN_HISTORY, nullptr});
  EXPECT_EQ(left(), "");
  EXPECT_EQ(engine.cleared.back(), "links");
  EXPECT_EQ(refreshed, 1);
  EXPECT_EQ(said.messages.size(), 3u);  // the questions only: nothing failed

  // All of it, and a failure is named instead of passed over.
  fill();
  engine.works = false;
  ::mkdir(dir.file("searchhis.ini.d").c_str(), 0755);
  ::unlink(dir.file("searchhis.ini").c_str());
  ::rename(dir.file("searchhis.ini.d").c_str(), dir.file("searchhis.ini").c_str());  // a folder cannot be unlinked
  said.messages.clear();
  registry.Execute({ID_CLEAN_ALL, nullptr});
  EXPECT_EQ(engine.cleared, (std::vector<std::string>{"cookies", "cache", "links"}));
  EXPECT_EQ(left(), "");
  ASSERT_EQ(said.messages.size(), 2u);
  for (const char* part : {"cookies", "cached files", "visited links", "searchhis.ini"})
    EXPECT_NE(said.messages[1].find(part), std::string::npos) << part << "\n" << said.messages[1];
}

}  // namespace
}  // namespace kestrel
