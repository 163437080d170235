#include <gtest/gtest.h>

#include <tuple>

#include "common/cipher.h"
#include "settings/store.h"
#include "support/fakes.h"
#include "support/settings_samples.h"

namespace kestrel {
namespace {

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
  void LoadActiveForms(const Strings& f) override {
    calls.push_back("LoadForms");
    forms = f;
  }
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
  expect.SkinName = "Windows XP";
  EXPECT_EQ(All(Load(p)), All(expect));
  EXPECT_FALSE(HasSavedPlacement(Load(p)));

  // The Windows skin rule, on the systems it names; a stored "defskin" (exactly) stands for it too.
  const std::pair<SystemVersion, std::string> systems[] = {{{true, 5, 1}, "Navy"},
                                                           {{true, 5, 2}, "Navy"},
                                                           {{true, 5, 0}, "Windows XP"},
                                                           {{true, 6, 1}, "Windows XP"},
                                                           {{false, 5, 1}, "Windows XP"}};
  for (const char* stored : {"", "defskin"}) {
    if (*stored) p.SetString(kSettingsKey, "SkinName", stored);
    for (const auto& [sys, skin] : systems)
      EXPECT_EQ(Load(p, sys).SkinName, skin) << sys.isWindowsNT << sys.major << "." << sys.minor << " " << stored;
  }
  for (const char* kept : {"Defskin", "Aqua"}) {
    p.SetString(kSettingsKey, "SkinName", kept);
    EXPECT_EQ(Load(p, {true, 5, 1}).SkinName, kept);
  }

  // Until FirstRun is cleared the tip is shown from the start.
  p.SetDword(kSettingsKey, "ShowTip", 0);
  p.SetDword(kSettingsKey, "TipNum", 4);
  EXPECT_TRUE(Load(p).ShowTip);
  EXPECT_EQ(Load(p).TipNum, -1);
  p.SetDword(kSettingsKey, "FirstRun", 0);
  EXPECT_FALSE(Load(p).ShowTip);
  EXPECT_EQ(Load(p).TipNum, 4);
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
  expect.RunCount = 1;
  expect.AutoClosePopup = true;
  expect.AutoNew = false;
  expect.FirstRun = false;
  expect.SkinName = "Windows XP";
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
  EXPECT_NE(*p.GetString(kSettingsKey, "AccessPassword"), "pa$$ word;1");
  EXPECT_EQ(*p.GetString(kSettingsKey, "AccessPassword"), EncipherPassword("pa$$ word;1"));
  EXPECT_EQ(*p.GetString(kIEMainKey, "Disable Script Debugger"), "no");

  // Everything exactly as set, but the count, the first run and what the frame told.
  Settings expect = a;
  expect.RunCount = a.RunCount + 1;
  expect.FirstRun = false;
  expect.ExpBar = 3;
  expect.StatusBar = false;
  expect.WPLeft = -5;
  expect.WPTop = 7;
  expect.WPWidth = 1200;
  expect.WPHeight = 800;
  expect.WPMaximized = true;
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
}

TEST(SettingsStore, ScriptDebuggerSwitchFollowsNoScriptErrorAndReportsFailures) {
  MessageRecorder rec;
  FailingProfile p;
  Settings s;
  SettingsStore store(p, s);
  for (const bool noErrors : {true, false}) {
    s.NoScriptError = noErrors;
    store.ApplyScriptDebuggerSwitch();
    EXPECT_EQ(*p.GetString(kIEMainKey, "Disable Script Debugger"), noErrors ? "yes" : "no");
  }
  EXPECT_TRUE(rec.messages.empty());

  p.failNames = {"Disable Script Debugger"};
  store.ApplyScriptDebuggerSwitch();
  p.failOpenKey = true;
  store.ApplyScriptDebuggerSwitch();
  EXPECT_EQ(rec.messages, (Strings{"Error updating registry value!", "Can't open registry key!"}));
}

}  // namespace
}  // namespace kestrel
