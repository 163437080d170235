#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <tuple>

using namespace std::string_literals;

#include "app/app.h"
#include "common/cipher.h"
#include "common/progdir.h"
#include "common/textfile.h"
#include "frame/command_ids.h"
#include "platform/handoff.h"
#include "platform/xdg_default_browser.h"
#include "settings/download_control.h"
#include "support/fakes.h"
#include "support/settings_samples.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using test::FakeDefaultBrowser;
using test::FakeDialogs;
using test::FakeHost;
using test::TempDir;

// One application over fakes, with its profile file and runtime folder in a temporary folder.
struct Harness {
  TempDir dir;
  FakeHost host;
  FakeDialogs dialogs;
  FakeDefaultBrowser browser;
  std::unique_ptr<SingleInstance> instance;
  std::unique_ptr<CKestrelApp> app;
  CommandRegistry commands;

  Harness() { Make(); }
  // A command as the menus send it.
  bool Run(unsigned id) { return commands.Execute({id, nullptr}); }
  ~Harness() { SetMessagePresenter(nullptr); }
  void Make() {
    instance = std::make_unique<SingleInstance>(dir.file("run"));
    AppServices s;
    s.host = &host, s.dialogs = &dialogs, s.defaultBrowser = &browser, s.instance = instance.get();
    s.profilePath = dir.file("cfg/profile.reg"), s.homePage = "http://home.example/";
    app = std::make_unique<CKestrelApp>(s);
    commands = {};
    app->RegisterCommands(commands);
  }
  // Shuts the current run down and starts a new one over the same files.
  bool Restart(const std::string& cmd = "") {
    app->SaveAndRelease();
    app->ExitInstance();
    host.calls.clear();
    dialogs.shown.clear();
    Make();
    return app->InitInstance(cmd);
  }
};

TEST(AppStartup, FirstStartRunsTheWholeSequenceInOrder) {
  Harness h;
  ASSERT_TRUE(h.app->InitInstance(""));
  EXPECT_TRUE(h.app->classRegistered());
  EXPECT_EQ(h.host.calls,
            (std::vector<std::string>{"InitToolkit", "CreateMainFrame", "NewSite", "Navigate about:blank", "ShowFrame",
                                      "AttachHandoffSocket", "RestoreBandLayout", "RestoreBandLayout",
                                      "EnableAddressCompletion", "OpenTypedLines http://home.example/"}));
  // The default-browser question comes before the frame, the first-run dialogs after it.
  EXPECT_EQ(h.dialogs.shown,
            (std::vector<std::string>{"Default Browser", "Newsletter", "Configuration Wizard"}));
  EXPECT_EQ(h.app->settings.RunCount, 1);
}

TEST(AppStartup, CommandLineWinsOverHomePageAndStartupOptions) {
  Harness h;
  h.app->settings.SUOpenPage = true;
  ASSERT_TRUE(h.app->InitInstance("http://a.example/\nhttp://b.example/"));
  EXPECT_TRUE(h.host.has("OpenTypedLines(other) http://a.example/\nhttp://b.example/"));
  EXPECT_FALSE(h.host.has("OpenTypedLines http://home.example/"));

  // Later starts: no first-run dialogs, and the start-up options in their order.
  Settings& s = h.app->settings;
  s.SUIEHomePage = s.SUOpenPage = s.SUOpenGroup = s.SUExecScript = true;
  s.SUUrl = "page.example", s.SUGroup = "Morning", s.SUScript = "one\r\ntwo";
  ASSERT_TRUE(h.Restart());
  EXPECT_EQ(h.dialogs.count("Configuration Wizard") + h.dialogs.count("Newsletter"), 0);
  int home = h.host.indexOf("GoHome"), page = h.host.indexOf("OpenTypedLines page.example"),
      group = h.host.indexOf("OpenGroup Morning"), script = h.host.indexOf("OpenTypedLines one\r\ntwo");
  EXPECT_TRUE(0 <= home && home < page && page < group && group < script) << home << page << group << script;
  EXPECT_FALSE(h.host.has("OpenTypedLines http://home.example/"));
}

TEST(AppStartup, RunCountDonationAndMaximisedFrameAcrossStarts) {
  Harness h;
  ASSERT_TRUE(h.app->InitInstance(""));
  for (int run = 2; run <= 11; ++run) {
    if (run == 5) h.host.zoomed = true;  // taken from the frame at shutdown
    ASSERT_TRUE(h.Restart());
    EXPECT_EQ(h.app->settings.RunCount, run);
    EXPECT_EQ(h.dialogs.count("Kestrel Donation"), run == 10 ? 1 : 0) << "run " << run;
  }
  EXPECT_TRUE(h.host.has("ShowFrame maximized"));
  EXPECT_FALSE(h.app->settings.FirstRun);
}

TEST(AppStartup, DefaultBrowserCheckAndTheConfigurationWizard) {
  Harness h;
  h.dialogs.answerOk = true;  // OK registers; the wizard's OK stores both boxes and the debugger switch at once
  h.dialogs.wizardScripts = false;
  h.dialogs.wizardPopups = true;
  ASSERT_TRUE(h.app->InitInstance(""));
  EXPECT_EQ(h.browser.registered, 1);
  EXPECT_TRUE(!h.app->settings.NoScriptError && h.app->settings.AutoClosePopup);
  EXPECT_EQ(*h.app->profile.GetString(kIEMainKey, "Disable Script Debugger"), "no");
  ASSERT_TRUE(h.Restart());
  EXPECT_EQ(h.dialogs.count("Default Browser"), 0);  // it is the default now

  h.browser.isDefault = false;
  h.dialogs.answerOk = false;
  h.dialogs.neverAsk = false;
  ASSERT_TRUE(h.Restart());
  EXPECT_TRUE(h.app->settings.ChkDefBrowser);  // Cancel without the box: ask again
  h.dialogs.neverAsk = true;
  ASSERT_TRUE(h.Restart());
  EXPECT_FALSE(h.app->settings.ChkDefBrowser);
  ASSERT_TRUE(h.Restart());  // the Cancel was saved: never asked again
  EXPECT_EQ(h.dialogs.count("Default Browser"), 0);
  EXPECT_EQ(h.browser.registered, 1);
}

TEST(AppStartup, ProfileThatCannotBeWrittenIsReportedAndTheOldFileKept) {
  Harness h;
  ASSERT_TRUE(h.app->InitInstance(""));
  ASSERT_TRUE(h.Restart());
  const std::string before = h.dir.read("cfg/profile.reg");
  ASSERT_FALSE(before.empty());
  // A file where the temporary file's folder must be: the write cannot happen.
  ::rename(h.dir.file("cfg").c_str(), h.dir.file("cfg.keep").c_str());
  h.dir.write("cfg", "in the way");
  h.dialogs.shown.clear();
  h.app->SaveAndRelease();
  ASSERT_EQ(h.dialogs.shown.size(), 1u);
  EXPECT_EQ(h.dialogs.shown[0].rfind("Message: Can't save the settings to ", 0), 0u);
  ::unlink(h.dir.file("cfg").c_str());
  ::rename(h.dir.file("cfg.keep").c_str(), h.dir.file("cfg").c_str());
  EXPECT_EQ(h.dir.read("cfg/profile.reg"), before);
  // Saving is done once however many shutdown paths ask.
  h.app->SaveAndRelease();
  EXPECT_EQ(h.dialogs.shown.size(), 1u);
  const int save = h.host.indexOf("CloseAllSites");
  EXPECT_TRUE(save >= 0 && save < h.host.indexOf("RemoveTrayIcon"));
  // The frame, which writes settings as its panes close, goes before the settings do.
  const std::size_t calls = h.host.calls.size();
  h.app.reset();
  ASSERT_EQ(h.host.calls.size(), calls + 1);
  EXPECT_EQ(h.host.calls.back(), "DestroyMainFrame");
}

TEST(AppStartup, FailuresThatEndTheStart) {
  Harness toolkit, frame, run;
  toolkit.host.toolkitWorks = false;
  EXPECT_FALSE(toolkit.app->InitInstance(""));
  EXPECT_NE(toolkit.app->exitCode(), 0);
  frame.host.frameWorks = false;
  frame.browser.isDefault = true;
  EXPECT_FALSE(frame.app->InitInstance(""));
  EXPECT_FALSE(frame.host.has("NewSite"));
  EXPECT_TRUE(frame.dialogs.shown.empty());  // no message for a frame that failed
  // The runtime folder is a file: nothing can be registered.
  run.dir.write("run", "x");
  test::MessageRecorder rec;
  EXPECT_FALSE(run.app->InitInstance(""));
  EXPECT_EQ(rec.messages, (std::vector<std::string>{"Failed to register window class"}));
  EXPECT_FALSE(run.host.has("InitToolkit"));
}

TEST(AppStartup, CopyDataWithAnotherCodeIsIgnoredAndEmptyTextOnlyRestores) {
  Harness h;
  ASSERT_TRUE(h.app->InitInstance("x"));
  h.host.calls.clear();
  EXPECT_FALSE(h.app->OnCopyData(0xE102, "http://no.example/"));
  EXPECT_TRUE(h.host.calls.empty());
  EXPECT_TRUE(h.app->OnCopyData(kHandoffCode, ""));
  EXPECT_EQ(h.host.calls, (std::vector<std::string>{"RestoreFrame"}));
}

TEST(AppCommands, OptionsSheetCopiesBackOnlyOnOk) {
  Harness h;
  ASSERT_TRUE(h.app->InitInstance("x"));
  h.dialogs.editOptions = [](StartupOptions& su) {
    EXPECT_EQ(su.SUUrl, "old");
    su.SUOpenPage = true, su.SUUrl = "http://start.example/", su.SUScript = "a\nb";
  };
  h.dialogs.editMisc = [](MiscOptions& m) { m.showPictures = m.executeScripts = false, m.favoritesBreakNum = 12; };
  h.app->settings.SUUrl = "old";
  h.dialogs.answerOk = false;
  EXPECT_TRUE(h.Run(ID_OPTIONS));
  EXPECT_EQ(h.app->settings.SUUrl, "old");
  EXPECT_FALSE(h.host.has("RereadBlankSites"));
  // The Misc page opened on what is stored: a fresh profile has everything on.
  EXPECT_EQ(h.dialogs.shownMisc, MiscOptions{});
  EXPECT_FALSE(h.app->settings.DCNoScript);
  h.dialogs.answerOk = true;
  EXPECT_TRUE(h.Run(ID_OPTIONS));
  const Settings& s = h.app->settings;
  EXPECT_EQ(std::tie(s.SUOpenPage, s.SUUrl, s.SUScript, s.DCNoScript, s.FavoritesBreakNum),
            std::make_tuple(true, "http://start.example/"s, "a\nb"s, true, 12));
  EXPECT_TRUE(h.host.has("RereadBlankSites"));
  EXPECT_EQ(h.app->profile.GetString(kBrowserMainKey, kShowPicturesValue), "no");
  EXPECT_EQ(h.app->profile.GetString(kBrowserMainKey, kPlaySoundsValue), "yes");

  h.host.calls.clear();
  EXPECT_TRUE(h.Run(ID_FILE_NEW));
  EXPECT_EQ(h.host.calls, (std::vector<std::string>{"NewSite", "Navigate about:blank"}));
  // No room for another site: the newest page is left alone and the user told.
  h.host.calls.clear();
  h.host.refuseSites = true;
  EXPECT_TRUE(h.Run(ID_FILE_NEW));
  EXPECT_EQ(h.host.calls, (std::vector<std::string>{"NewSite"}));
  EXPECT_EQ(h.dialogs.shown.back(), "Message: Can't open another site: too many sites are open.");
  EXPECT_FALSE(h.Run(12345));
}

TEST(AppCommands, TipOfTheDayRemembersTheTipAndSwitchesOffAtTheLast) {
  Harness h;
  SetProgramDirectory(h.dir.path());
  h.dir.write("tips.txt", "one\r\n<next tip>\r\ntwo\r\n<next tip>\r\nthree\r\n");
  ASSERT_TRUE(h.app->InitInstance("x"));
  h.dialogs.useTips = [](TipsModel& t) {
    EXPECT_EQ(t.current(), "one");
    t.Next();
  };
  h.Run(ID_TIP_OF_THE_DAY);
  EXPECT_EQ(h.app->settings.TipNum, 1);
  EXPECT_TRUE(h.app->settings.ShowTip);
  h.dialogs.useTips = [](TipsModel& t) { EXPECT_EQ(t.current(), "three"); };  // opens on the next one
  h.Run(ID_TIP_OF_THE_DAY);
  EXPECT_EQ(h.app->settings.TipNum, 2);
  EXPECT_FALSE(h.app->settings.ShowTip);
  SetProgramDirectory("");
}

TEST(AppCommands, GeneralOptionsApplyAtOnceAndTheListButtonsOpenTheLists) {
  Harness h;
  ASSERT_TRUE(h.app->InitInstance("x"));
  Settings& s = h.app->settings;
  s.NoScriptError = true, s.ShowTrayIcon = false;
  h.dialogs.pressListButton = "black";
  h.dialogs.editGeneral = [](GeneralOptions& g) {
    g.AutoClosePopup = g.RecPPLook = g.ShowTrayIcon = true, g.BeepPopup = g.NoScriptError = false;
  };
  // Cancel: the list the button opened stays edited, nothing else changes.
  h.dialogs.answerOk = false;
  h.host.calls.clear();
  h.Run(ID_OPTIONS);
  EXPECT_TRUE(h.host.has("EditFilterList black"));
  EXPECT_FALSE(s.AutoClosePopup);
  EXPECT_FALSE(h.host.has("TrayIcon on"));

  h.dialogs.answerOk = true;
  h.dialogs.pressListButton = "white";
  h.host.calls.clear();
  h.Run(ID_OPTIONS);
  EXPECT_TRUE(h.host.has("EditFilterList white"));
  EXPECT_TRUE(s.AutoClosePopup && s.RecPPLook && !s.BeepPopup);
  EXPECT_TRUE(s.RecPPTime);  // untouched boxes keep their values
  EXPECT_TRUE(h.host.has("TrayIcon on"));
  EXPECT_EQ(h.app->profile.GetString(kIEMainKey, "Disable Script Debugger").value_or(""), "no");

  // View > Suppress Script Errors toggles the same switch, with its check mark.
  EXPECT_FALSE(h.commands.StateOf({ID_SUPPRESS_SCRIPT_ERRORS}).checked);
  EXPECT_TRUE(h.Run(ID_SUPPRESS_SCRIPT_ERRORS));
  EXPECT_TRUE(h.commands.StateOf({ID_SUPPRESS_SCRIPT_ERRORS}).checked);
  EXPECT_EQ(h.app->profile.GetString(kIEMainKey, "Disable Script Debugger").value_or(""), "yes");

  // OK with nothing changed applies nothing again.
  h.dialogs.editGeneral = nullptr;
  h.dialogs.pressListButton.reset();
  h.host.calls.clear();
  h.Run(ID_OPTIONS);
  EXPECT_FALSE(h.host.has("TrayIcon on") || h.host.has("TrayIcon off"));
}

// The list files the program keeps beside itself: read at the start, left alone while unchanged (a hand edit
// survives), written when changed, and a write that fails is reported (what stays on disk then: hostile_inputs_test).
TEST(AppLists, ListFilesAreReadAtStartAndWrittenOnlyWhenChanged) {
  const struct {
    std::string name, content;
    std::function<bool(CKestrelApp&)> loaded;
    std::function<void(CKestrelApp&)> change;
    const char* failed;
    std::function<bool(const std::string&)> written;
  } lists[] = {
      {"filter.dat", "[include]\nads.\n\n[exclude]\ngood.example\n",
       [](CKestrelApp& a) {
         return a.siteFilter.BlackListMatch("http://ads.example/") && a.siteFilter.WhiteListMatch("http://good.example/");
       },
       [](CKestrelApp& a) { a.siteFilter.AppendBlack("track."); }, kSiteFilterSaveFailed,
       [](const std::string& p) { return TempDir::ReadFile(p) == "[include]\nads.\ntrack.\n\n[exclude]\ngood.example\n"; }},
      {kAutoLoginFile, std::string(kAutoLoginHeader) + "\nMail;http://m/;;u=1;" + EncipherPassword("pw") + "\n",
       [](CKestrelApp& a) { return a.autoLogin.entries().size() == 1 && a.autoLogin.entries()[0].password == "pw"; },
       [](CKestrelApp& a) { a.autoLogin.entries()[0].password = "new"; }, kAutoLoginSaveFailed,
       [](const std::string& p) {
         CAutoLoginList back;
         return back.Load(p) && back.entries().size() == 1 && back.entries()[0].password == "new";
       }}};
  for (const auto& l : lists) {
    SCOPED_TRACE(l.name);
    Harness h;
    SetProgramDirectory(h.dir.path());
    h.dir.write(l.name, l.content);
    ASSERT_TRUE(h.app->InitInstance("x"));
    EXPECT_TRUE(l.loaded(*h.app));
    h.dir.write(l.name, l.content + "# edited\n");
    h.app->SaveAndRelease();
    EXPECT_EQ(h.dir.read(l.name), l.content + "# edited\n");
    for (const bool blocked : {true, false}) {
      h.dir.write(l.name, l.content);
      ASSERT_TRUE(h.Restart("x"));
      l.change(*h.app);
      if (blocked) std::filesystem::remove(h.dir.file(l.name)), std::filesystem::create_directory(h.dir.file(l.name));
      h.app->SaveAndRelease();
      if (blocked) {
        EXPECT_EQ(h.dialogs.shown.back(), std::string("Message: ") + l.failed);
        std::filesystem::remove(h.dir.file(l.name));
      }
    }
    EXPECT_TRUE(l.written(h.dir.file(l.name)));
    SetProgramDirectory("");
  }
}

using test::FailingProfile;
using test::MessageRecorder;
using Strings = std::vector<std::string>;

// Every field, for comparing whole settings.
auto All(const Settings& s) {
  return std::tie(s.AccessPassword, s.ActiveFormList, s.AutoCloseFilter, s.AutoClosePopup, s.AutoFill, s.AutoNew,
                  s.BeepPopup, s.BreakFavorites, s.ChkDefBrowser, s.DCNoActiveX, s.DCNoJava, s.DCNoScript, s.ExpBar,
                  s.FavoritesBreakNum, s.FirstRun, s.NoScriptError, s.RecPPLook, s.RecPPTime, s.RunCount, s.ShowTip,
                  s.ShowTrayIcon, s.SideBtnSupport, s.SkinName, s.StatusBar, s.SUExecScript, s.SUGroup,
                  s.SUIEHomePage, s.SUOpenGroup, s.SUOpenPage, s.SUScript, s.SUUrl, s.TipNum, s.TrayIcon,
                  s.UILanguage, s.WPHeight, s.WPLeft, s.WPMaximized, s.WPTop, s.WPWidth);
}

// Records the order in which the store calls the list seams.
struct RecordingLists : SettingsLists {
  Strings calls, forms;
  void LoadFilterLists() override { calls.push_back("LoadFilter"); }
  void LoadAutoLogin() override { calls.push_back("LoadAutoLogin"); }
  void LoadAliases() override { calls.push_back("LoadAliases"); }
  void LoadActiveForms(const Strings& f) override { calls.push_back("LoadForms"), forms = f; }
  void SaveTypedAddresses() override { calls.push_back("SaveTyped"); }
  void SaveQuickSearchHistory() override { calls.push_back("SaveSearch"); }
  void SaveFilterLists() override { calls.push_back("SaveFilter"); }
  void SaveAutoLogin() override { calls.push_back("SaveAutoLogin"); }
  void SaveAliases() override { calls.push_back("SaveAliases"); }
  void ClearAutoLogin() override { calls.push_back("ClearAutoLogin"); }
  void ReleaseForms() override { calls.push_back("ReleaseForms"); }
};

struct Frame : FrameState {
  int ExplorerPane() const override { return 3; }
  bool StatusBarVisible() const override { return false; }
  WindowRect WindowRectangle() const override { return {-5, 7, 1195, 807}; }
  bool IsZoomed() const override { return true; }
  void RecordBars(Profile& p) override { p.SetDword(kSettingsKey, "TBShowText", 1); }
};

Settings Load(Profile& p, SystemVersion sys = {}) {
  Settings s;
  RecordingLists lists;
  SettingsStore(p, s, sys).LoadSettings(lists);
  return s;
}

TEST(SettingsStore, FreshProfileGivesTheDefaultsWithTheReadingRulesApplied) {
  RegistryProfile p;
  Settings expect;
  expect.RunCount = 1;
  expect.SkinName = "";  // the desktop's own frame
  EXPECT_EQ(All(Load(p)), All(expect));
  EXPECT_FALSE(HasSavedPlacement(Load(p)));

  // The Windows skin rule, on the systems it names, and none on Linux; a stored "defskin" (exactly) stands for it
  // too.
  const std::pair<SystemVersion, std::string> systems[] = {
      {{true, true, 5, 1}, "Navy"}, {{true, true, 5, 2}, "Navy"}, {{true, true, 5, 0}, "Windows XP"},
      {{true, true, 6, 1}, "Windows XP"}, {{true, false, 5, 1}, "Windows XP"}, {{false, false, 6, 1}, ""}};
  for (const char* stored : {"", "defskin"}) {
    if (*stored) p.SetString(kSettingsKey, "SkinName", stored);
    for (const auto& [sys, skin] : systems)
      EXPECT_EQ(Load(p, sys).SkinName, skin) << sys.windows << sys.isWindowsNT << sys.major << "." << sys.minor << " " << stored;
  }
  for (const char* kept : {"Defskin", "Aqua"}) {
    p.SetString(kSettingsKey, "SkinName", kept);
    EXPECT_EQ(Load(p, {true, true, 5, 1}).SkinName, kept);
  }

  // Until FirstRun is cleared the tip is shown from the start.
  p.SetDword(kSettingsKey, "ShowTip", 0);
  p.SetDword(kSettingsKey, "TipNum", 4);
  EXPECT_EQ(std::make_pair(Load(p).ShowTip, Load(p).TipNum), std::make_pair(true, -1));
  p.SetDword(kSettingsKey, "FirstRun", 0);
  EXPECT_EQ(std::make_pair(Load(p).ShowTip, Load(p).TipNum), std::make_pair(false, 4));
}

TEST(SettingsStore, BadValuesReadAsTheirDefaults) {
  RegistryProfile p;
  p.SetString(kSettingsKey, "RunCount", "7");               // wrong type
  p.SetDword(kSettingsKey, "ExpBar", 9);                    // out of range
  p.SetDword(kSettingsKey, "FavoritesBreakNum", 0);         // out of range
  p.SetDword(kSettingsKey, "WPWidth", 0xFFFFFF00u);         // negative size
  p.SetDword(kSettingsKey, "AutoClosePopup", 0xFFFFFFFFu);  // any non-zero is true
  p.SetDword(kSettingsKey, "AutoNew", 0);
  p.SetBinary(kSettingsKey, "UILanguage", {1, 2, 3});  // wrong type
  p.SetString(kSettingsKey, "AccessPassword", "not hex!");
  p.SetDword(kSettingsKey, "FirstRun", 0);
  p.SetDword(kSettingsKey, "TipNum", 0xFFFFFFF0u);  // -16
  Settings expect;
  expect.RunCount = 1, expect.AutoClosePopup = true, expect.AutoNew = expect.FirstRun = false;
  expect.SkinName = "";  // the desktop's own frame
  EXPECT_EQ(All(Load(p)), All(expect));

  // A run count at the top stays there instead of wrapping to a negative count.
  p.SetDword(kSettingsKey, "RunCount", 0x7FFFFFFF);
  EXPECT_EQ(Load(p).RunCount, 0x7FFFFFFF);
}

TEST(SettingsStore, EverySettingSurvivesASaveAndALoad) {
  RegistryProfile p;
  Settings a = test::ChangedSettings();
  a.ShowTrayIcon = true;
  a.SUExecScript = a.SUIEHomePage = a.SUOpenGroup = a.SUOpenPage = true;
  RecordingLists lists;
  Frame frame;
  SettingsStore(p, a).SaveSettings(lists, &frame);

  EXPECT_EQ(*p.GetDword(kSettingsKey, "FirstRun"), 0u);
  EXPECT_EQ(*p.GetString(kSettingsKey, "ActiveFormList"), "alpha,beta,");
  EXPECT_EQ(*p.GetDword(kSettingsKey, "TBShowText"), 1u);  // the frame wrote its bars
  EXPECT_EQ(*p.GetString(kSettingsKey, "AccessPassword"), EncipherPassword("pa$$ word;1"));
  EXPECT_EQ(*p.GetString(kIEMainKey, "Disable Script Debugger"), "no");

  // Everything exactly as set, but the count, the first run and what the frame told.
  Settings expect = a;
  expect.RunCount = a.RunCount + 1, expect.FirstRun = expect.StatusBar = false, expect.ExpBar = 3;
  expect.WPLeft = -5, expect.WPTop = 7, expect.WPWidth = 1200, expect.WPHeight = 800, expect.WPMaximized = true;
  EXPECT_EQ(All(Load(p)), All(expect));
}

TEST(SettingsStore, ListFilesLoadAndSaveAtTheirPoints) {
  RegistryProfile p;
  p.SetString(kSettingsKey, "ActiveFormList", ",,home,,work,");
  Settings s;
  RecordingLists lists;
  SettingsStore store(p, s);
  store.LoadSettings(lists);
  EXPECT_EQ(lists.calls, (Strings{"LoadFilter", "LoadAutoLogin", "LoadAliases", "LoadForms"}));
  EXPECT_EQ(lists.forms, (Strings{"home", "work"}));

  lists.calls.clear();
  store.SaveSettings(lists, nullptr);
  EXPECT_EQ(lists.calls, (Strings{"SaveTyped", "SaveSearch", "SaveFilter", "SaveAutoLogin", "SaveAliases",
                                  "ClearAutoLogin", "ReleaseForms"}));
  EXPECT_EQ(*p.GetString(kSettingsKey, "ActiveFormList"), "home,work,");
}

TEST(SettingsStore, OnlyTheReportingWritersReportAndEachFailureOnce) {
  MessageRecorder rec;
  FailingProfile p;
  p.failNames = {"RunCount", "UILanguage", "BeepPopup", "SideBtnSupport"};
  Settings s;
  RecordingLists lists;
  SettingsStore store(p, s);
  store.SaveSettings(lists, nullptr);
  // UILanguage is written twice, so it fails twice; BeepPopup fails silently.
  const auto failed = [](std::string name) { return "Can't save setting:" + name + "\nPlease report to the author!"; };
  EXPECT_EQ(rec.messages,
            (Strings{failed("SideBtnSupport"), failed("RunCount"), failed("UILanguage"), failed("UILanguage")}));
  // The writes after a failure still happened.
  EXPECT_TRUE(p.GetDword(kSettingsKey, "ShowTrayIcon").has_value());
  EXPECT_TRUE(p.GetString(kSettingsKey, "ActiveFormList").has_value());
  EXPECT_FALSE(store.WriteSettingInt("RunCount", 3));
  EXPECT_TRUE(store.WriteSettingInt("TipNum", 3));

  // The script debugger switch (which value it writes: the General options test) tells its failures too.
  rec.messages.clear();
  p.failNames = {"Disable Script Debugger"};
  store.ApplyScriptDebuggerSwitch();
  p.failOpenKey = true;
  store.ApplyScriptDebuggerSwitch();
  EXPECT_EQ(rec.messages, (Strings{"Error updating registry value!", "Can't open registry key!"}));
}

TEST(Tips, FileFormatAndNavigation) {
  // Long lines, line ends, binary and missing files: hostile_inputs_test.
  test::TempDir dir;
  dir.write("tips.txt", "  first tip\r\nsecond line\r\n<next tip>\n\n<next tip>\r\n\nlast\n\n<next tip>");
  EXPECT_EQ(TipsModel::LoadTips(dir.file("tips.txt")), (std::vector<std::string>{"first tip\nsecond line", "last"}));

  // Each step: the tip shown, whether the box stays ticked; it goes off once the last tip was shown.
  TipsModel m({"a", "b", "c"}, -1, true);
  const struct { void (TipsModel::*go)(); const char* tip; bool show; } steps[] = {
      {&TipsModel::Previous, "a", true}, {&TipsModel::Next, "b", true}, {&TipsModel::Last, "c", false},
      {&TipsModel::Next, "c", false},    {&TipsModel::First, "a", false}};
  EXPECT_TRUE(m.atFirst());
  for (const auto& s : steps) {
    (m.*s.go)();
    EXPECT_EQ(m.current() + (m.showTip() ? "+" : "-"), std::string(s.tip) + (s.show ? "+" : "-"));
  }

  // It opens on the tip after the one shown last; past the end or a stale index, from the first again.
  for (const auto& [last, tip] : {std::pair{0, "b"}, {1, "a"}, {99, "a"}, {-5, "a"}})
    EXPECT_EQ(TipsModel({"a", "b"}, last, true).current(), tip) << last;
  TipsModel none({}, 5, true);
  none.Next();
  EXPECT_EQ(none.index(), -1);
  EXPECT_EQ(none.current(), "");
  EXPECT_TRUE(none.showTip());
}

TEST(XdgDefaultBrowser, RegisterKeepsTheRestOfMimeappsAndIsThenTheDefault) {
  test::TempDir dir;
  XdgDefaultBrowser b("/opt/my \"odd\" $dir/kestrel", dir.file("config"), dir.file("data"));
  EXPECT_FALSE(b.IsDefault());  // no file at all

  dir.write("config", "");  // make it a folder below
  ::unlink(dir.file("config").c_str());
  ASSERT_TRUE(b.Register());
  EXPECT_TRUE(b.IsDefault());

  std::string other =
      "[Added Associations]\nimage/png=viewer.desktop;\n\n[Default Applications]\n"
      "x-scheme-handler/http=firefox.desktop;chromium.desktop;\ntext/plain=editor.desktop;\n";
  dir.write("config/mimeapps.list", other);
  EXPECT_FALSE(b.IsDefault());
  EXPECT_EQ(DefaultApplicationFor(other, "x-scheme-handler/http"), "firefox.desktop");
  ASSERT_TRUE(b.Register());
  std::string now = dir.read("config/mimeapps.list");
  EXPECT_TRUE(b.IsDefault());
  EXPECT_NE(now.find("image/png=viewer.desktop;"), std::string::npos);
  EXPECT_NE(now.find("text/plain=editor.desktop;"), std::string::npos);
  EXPECT_EQ(now.find("firefox"), std::string::npos);
  for (const char* t : XdgDefaultBrowser::kTypes) EXPECT_EQ(DefaultApplicationFor(now, t), "kestrel.desktop") << t;
  ASSERT_TRUE(b.Register());  // again: no entries pile up
  EXPECT_EQ(dir.read("config/mimeapps.list"), now);

  // The quoted Exec line keeps an odd path one argument.
  std::string desktop = dir.read("data/applications/kestrel.desktop");
  EXPECT_NE(desktop.find("Exec=\"/opt/my \\\\\"odd\\\\\" \\\\$dir/kestrel\" %u"), std::string::npos) << desktop;
  // The program moved elsewhere is not the default any more.
  EXPECT_FALSE(XdgDefaultBrowser("/usr/local/bin/kestrel", dir.file("config"), dir.file("data")).IsDefault());

  // Every other line stays byte for byte: CRLF, comments, no final line break.
  const std::string crlf = "# mine\r\n[Default Applications]\r\ntext/plain=editor.desktop;\r\n"
                           "x-scheme-handler/https=firefox.desktop;\r\n[Added Associations]\r\n\x01junk";
  const std::string kept = SetDefaultApplications(crlf, "kestrel.desktop", XdgDefaultBrowser::kTypes, 4);
  EXPECT_TRUE(kept.starts_with("# mine\r\n[Default Applications]\r\nx-scheme-handler/http=kestrel.desktop;\n"));
  EXPECT_TRUE(kept.ends_with("\ntext/plain=editor.desktop;\r\n[Added Associations]\r\n\x01junk")) << kept;
  for (const char* t : XdgDefaultBrowser::kTypes) EXPECT_EQ(DefaultApplicationFor(kept, t), "kestrel.desktop") << t;
  // Only some of the types ours: not the default.
  dir.write("config/mimeapps.list", "[Default Applications]\nx-scheme-handler/http=kestrel.desktop;\n");
  EXPECT_FALSE(b.IsDefault());
  // A list too large to read whole is left alone rather than replaced by ours.
  const std::string huge = "[Default Applications]\n" + std::string(17u << 20, '#') + "\n";
  dir.write("config/mimeapps.list", huge);
  EXPECT_FALSE(b.Register());
  EXPECT_EQ(dir.read("config/mimeapps.list").size(), huge.size());
}

TEST(AppCommands, SetAsDefaultBrowserAsksFirstAndSaysWhenItFails) {
  Harness h;
  test::MessageRecorder said(false);  // Cancel
  EXPECT_TRUE(h.Run(ID_SET_DEFAULT_BROWSER));
  EXPECT_EQ(h.browser.registered, 0);
  ASSERT_EQ(said.messages.size(), 1u);
  EXPECT_EQ(said.messages[0], "Are you sure to register Kestrel as your default Browser?");
  test::MessageRecorder ok(true);
  h.browser.canRegister = false;
  h.Run(ID_SET_DEFAULT_BROWSER);
  EXPECT_EQ(h.browser.registered, 1);
  EXPECT_EQ(ok.messages.back(), "Kestrel could not be made the default browser.");
  h.browser.canRegister = true;
  h.Run(ID_SET_DEFAULT_BROWSER);
  EXPECT_TRUE(h.browser.isDefault);
  EXPECT_EQ(ok.messages.size(), 3u);
}

}  // namespace
}  // namespace kestrel
