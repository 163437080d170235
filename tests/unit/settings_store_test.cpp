#include <gtest/gtest.h>

#include "common/cipher.h"
#include "settings/store.h"
#include "support/fakes.h"
#include "support/settings_samples.h"

namespace kestrel {
namespace {

using test::FailingProfile;
using test::MessageRecorder;

// Records the order in which the store calls the list seams.
struct RecordingLists : SettingsLists {
  std::vector<std::string> calls;
  std::vector<std::string> forms;
  void LoadFilterLists() override { calls.push_back("LoadFilter"); }
  void LoadAutoLogin() override { calls.push_back("LoadAutoLogin"); }
  void LoadAliases() override { calls.push_back("LoadAliases"); }
  void LoadActiveForms(const std::vector<std::string>& f) override {
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
  Settings s = Load(p);
  Settings d;
  EXPECT_EQ(s.RunCount, 1);
  EXPECT_TRUE(s.FirstRun);
  EXPECT_TRUE(s.ShowTip);
  EXPECT_EQ(s.TipNum, -1);
  EXPECT_EQ(s.SkinName, "Windows XP");
  EXPECT_EQ(s.UILanguage, "English");
  EXPECT_EQ(s.FavoritesBreakNum, 30);
  EXPECT_TRUE(s.AutoNew && s.AutoCloseFilter && s.RecPPTime && s.NoScriptError && s.ChkDefBrowser);
  EXPECT_FALSE(s.AutoClosePopup || s.RecPPLook || s.AutoFill || s.ShowTrayIcon || s.WPMaximized);
  EXPECT_TRUE(s.AccessPassword.empty() && s.ActiveFormList.empty());
  EXPECT_EQ(s.WPWidth, d.WPWidth);
  EXPECT_FALSE(HasSavedPlacement(s));

  // The Windows skin rule, on the systems it names.
  EXPECT_EQ(Load(p, {true, 5, 1}).SkinName, "Navy");
  EXPECT_EQ(Load(p, {true, 5, 2}).SkinName, "Navy");
  EXPECT_EQ(Load(p, {true, 5, 0}).SkinName, "Windows XP");
  EXPECT_EQ(Load(p, {true, 6, 1}).SkinName, "Windows XP");
  EXPECT_EQ(Load(p, {false, 5, 1}).SkinName, "Windows XP");
}

TEST(SettingsStore, StoredSkinNamesAndTheFirstRunRule) {
  RegistryProfile p;
  p.SetString(kSettingsKey, "SkinName", "defskin");
  EXPECT_EQ(Load(p, {true, 5, 1}).SkinName, "Navy");
  p.SetString(kSettingsKey, "SkinName", "Defskin");  // not exactly "defskin": kept
  EXPECT_EQ(Load(p).SkinName, "Defskin");
  p.SetString(kSettingsKey, "SkinName", "Aqua");
  EXPECT_EQ(Load(p).SkinName, "Aqua");

  p.SetDword(kSettingsKey, "ShowTip", 0);
  p.SetDword(kSettingsKey, "TipNum", 4);
  EXPECT_TRUE(Load(p).ShowTip);  // FirstRun still 1
  EXPECT_EQ(Load(p).TipNum, -1);
  p.SetDword(kSettingsKey, "FirstRun", 0);
  Settings s = Load(p);
  EXPECT_FALSE(s.ShowTip);
  EXPECT_EQ(s.TipNum, 4);
}

TEST(SettingsStore, BadValuesReadAsTheirDefaults) {
  RegistryProfile p;
  p.SetString(kSettingsKey, "RunCount", "7");          // wrong type
  p.SetDword(kSettingsKey, "ExpBar", 9);               // out of range
  p.SetDword(kSettingsKey, "FavoritesBreakNum", 0);    // out of range
  p.SetDword(kSettingsKey, "TipNum", 0xFFFFFFF0u);     // -16
  p.SetDword(kSettingsKey, "WPWidth", 0xFFFFFF00u);    // negative size
  p.SetDword(kSettingsKey, "AutoClosePopup", 0xFFFFFFFFu);  // any non-zero is true
  p.SetDword(kSettingsKey, "AutoNew", 0);
  p.SetBinary(kSettingsKey, "UILanguage", {1, 2, 3});  // wrong type
  p.SetString(kSettingsKey, "AccessPassword", "not hex!");
  p.SetDword(kSettingsKey, "FirstRun", 0);
  p.SetDword(kSettingsKey, "TipNum", 0xFFFFFFF0u);
  Settings s = Load(p);
  EXPECT_EQ(s.RunCount, 1);
  EXPECT_EQ(s.ExpBar, 0);
  EXPECT_EQ(s.FavoritesBreakNum, 30);
  EXPECT_EQ(s.TipNum, -1);
  EXPECT_EQ(s.WPWidth, 0);
  EXPECT_TRUE(s.AutoClosePopup);
  EXPECT_FALSE(s.AutoNew);
  EXPECT_EQ(s.UILanguage, "English");
  EXPECT_EQ(s.AccessPassword, "");

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

  Settings b = Load(p);
  EXPECT_EQ(b.RunCount, a.RunCount + 1);
  EXPECT_FALSE(b.FirstRun);
  EXPECT_EQ(b.AccessPassword, a.AccessPassword);
  EXPECT_EQ(b.ActiveFormList, a.ActiveFormList);
  EXPECT_EQ(b.ExpBar, 3);  // taken from the frame
  EXPECT_FALSE(b.StatusBar);
  EXPECT_EQ(b.WPLeft, -5);
  EXPECT_EQ(b.WPTop, 7);
  EXPECT_EQ(b.WPWidth, 1200);
  EXPECT_EQ(b.WPHeight, 800);
  EXPECT_TRUE(b.WPMaximized);
  // Everything else exactly as set.
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
  EXPECT_EQ(std::tie(b.AutoCloseFilter, b.AutoClosePopup, b.AutoFill, b.AutoNew, b.BeepPopup, b.BreakFavorites,
                     b.ChkDefBrowser, b.DCNoActiveX, b.DCNoJava, b.DCNoScript, b.FavoritesBreakNum,
                     b.NoScriptError, b.RecPPLook, b.RecPPTime, b.ShowTip, b.ShowTrayIcon, b.SideBtnSupport,
                     b.SkinName, b.SUExecScript, b.SUGroup, b.SUIEHomePage, b.SUOpenGroup, b.SUOpenPage,
                     b.SUScript, b.SUUrl, b.TipNum, b.TrayIcon, b.UILanguage),
            std::tie(expect.AutoCloseFilter, expect.AutoClosePopup, expect.AutoFill, expect.AutoNew,
                     expect.BeepPopup, expect.BreakFavorites, expect.ChkDefBrowser, expect.DCNoActiveX,
                     expect.DCNoJava, expect.DCNoScript, expect.FavoritesBreakNum, expect.NoScriptError,
                     expect.RecPPLook, expect.RecPPTime, expect.ShowTip, expect.ShowTrayIcon,
                     expect.SideBtnSupport, expect.SkinName, expect.SUExecScript, expect.SUGroup,
                     expect.SUIEHomePage, expect.SUOpenGroup, expect.SUOpenPage, expect.SUScript, expect.SUUrl,
                     expect.TipNum, expect.TrayIcon, expect.UILanguage));
}

TEST(SettingsStore, ListFilesLoadAndSaveAtTheirPoints) {
  RegistryProfile p;
  p.SetString(kSettingsKey, "ActiveFormList", ",,home,,work,");
  Settings s;
  RecordingLists lists;
  SettingsStore store(p, s);
  store.LoadSettings(lists);
  EXPECT_EQ(lists.calls, (std::vector<std::string>{"LoadFilter", "LoadAutoLogin", "LoadAliases", "LoadForms"}));
  EXPECT_EQ(lists.forms, (std::vector<std::string>{"home", "work"}));

  lists.calls.clear();
  store.SaveSettings(lists, nullptr);
  EXPECT_EQ(lists.calls, (std::vector<std::string>{"SaveTyped", "SaveSearch", "SaveFilter", "SaveAutoLogin",
                                                    "SaveAliases", "ClearAutoLogin", "ReleaseForms"}));
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
  EXPECT_EQ(rec.messages, (std::vector<std::string>{
                              "Can't save setting:SideBtnSupport\nPlease report to the author!",
                              "Can't save setting:RunCount\nPlease report to the author!",
                              "Can't save setting:UILanguage\nPlease report to the author!",
                              "Can't save setting:UILanguage\nPlease report to the author!"}));
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
  s.NoScriptError = true;
  store.ApplyScriptDebuggerSwitch();
  EXPECT_EQ(*p.GetString(kIEMainKey, "Disable Script Debugger"), "yes");
  s.NoScriptError = false;
  store.ApplyScriptDebuggerSwitch();
  EXPECT_EQ(*p.GetString(kIEMainKey, "Disable Script Debugger"), "no");
  EXPECT_TRUE(rec.messages.empty());

  p.failNames = {"Disable Script Debugger"};
  store.ApplyScriptDebuggerSwitch();
  p.failOpenKey = true;
  store.ApplyScriptDebuggerSwitch();
  EXPECT_EQ(rec.messages, (std::vector<std::string>{"Error updating registry value!", "Can't open registry key!"}));
}

}  // namespace
}  // namespace kestrel
