#include "settings/store.h"

#include <array>
#include <climits>

#include "common/cipher.h"
#include "common/message.h"
#include "common/strings.h"
#include "settings/download_control.h"

namespace kestrel {
namespace {

enum class Kind { Bool, Int, String, Password, FormList };

// One row of the settings table. Integers outside [min, max] read as the
// default, the way a missing value does.
struct Row {
  const char* name;
  Kind kind;
  bool Settings::*b = nullptr;
  int Settings::*i = nullptr;
  std::string Settings::*s = nullptr;
  int min = INT_MIN, max = INT_MAX;
  bool reporting = false;  // written through the writers that report failures
};

constexpr int kNoMax = INT_MAX;

const std::array kRows = {
    Row{"AccessPassword", Kind::Password, nullptr, nullptr, &Settings::AccessPassword},
    Row{"ActiveFormList", Kind::FormList},
    Row{"AutoCloseFilter", Kind::Bool, &Settings::AutoCloseFilter},
    Row{"AutoClosePopup", Kind::Bool, &Settings::AutoClosePopup},
    Row{"AutoFill", Kind::Bool, &Settings::AutoFill},
    Row{"AutoNew", Kind::Bool, &Settings::AutoNew},
    Row{"BeepPopup", Kind::Bool, &Settings::BeepPopup},
    Row{"BreakFavorites", Kind::Bool, &Settings::BreakFavorites, nullptr, nullptr, INT_MIN, INT_MAX, true},
    Row{"ChkDefBrowser", Kind::Bool, &Settings::ChkDefBrowser},
    Row{"DCNoActiveX", Kind::Bool, &Settings::DCNoActiveX},
    Row{"DCNoJava", Kind::Bool, &Settings::DCNoJava},
    Row{"DCNoScript", Kind::Bool, &Settings::DCNoScript},
    Row{"ExpBar", Kind::Int, nullptr, &Settings::ExpBar, nullptr, 0, 3},
    Row{"FavoritesBreakNum", Kind::Int, nullptr, &Settings::FavoritesBreakNum, nullptr, 1, 1000, true},
    Row{"FirstRun", Kind::Bool, &Settings::FirstRun},
    Row{"NoScriptError", Kind::Bool, &Settings::NoScriptError},
    Row{"RecPPLook", Kind::Bool, &Settings::RecPPLook},
    Row{"RecPPTime", Kind::Bool, &Settings::RecPPTime},
    Row{"RunCount", Kind::Int, nullptr, &Settings::RunCount, nullptr, 0, kNoMax, true},
    Row{"ShowTip", Kind::Bool, &Settings::ShowTip},
    Row{"ShowTrayIcon", Kind::Bool, &Settings::ShowTrayIcon, nullptr, nullptr, INT_MIN, INT_MAX, true},
    Row{"SideBtnSupport", Kind::Bool, &Settings::SideBtnSupport, nullptr, nullptr, INT_MIN, INT_MAX, true},
    Row{"SkinName", Kind::String, nullptr, nullptr, &Settings::SkinName},
    Row{"StatusBar", Kind::Bool, &Settings::StatusBar},
    Row{"SUExecScript", Kind::Bool, &Settings::SUExecScript},
    Row{"SUGroup", Kind::String, nullptr, nullptr, &Settings::SUGroup},
    Row{"SUIEHomePage", Kind::Bool, &Settings::SUIEHomePage},
    Row{"SUOpenGroup", Kind::Bool, &Settings::SUOpenGroup},
    Row{"SUOpenPage", Kind::Bool, &Settings::SUOpenPage},
    Row{"SUScript", Kind::String, nullptr, nullptr, &Settings::SUScript},
    Row{"SUUrl", Kind::String, nullptr, nullptr, &Settings::SUUrl},
    Row{"TipNum", Kind::Int, nullptr, &Settings::TipNum, nullptr, -1, kNoMax},
    Row{"TrayIcon", Kind::Bool, &Settings::TrayIcon},
    Row{"UILanguage", Kind::String, nullptr, nullptr, &Settings::UILanguage, INT_MIN, INT_MAX, true},
    Row{"WPHeight", Kind::Int, nullptr, &Settings::WPHeight, nullptr, 0, 1 << 16},
    Row{"WPLeft", Kind::Int, nullptr, &Settings::WPLeft, nullptr, -(1 << 16), 1 << 16},
    Row{"WPMaximized", Kind::Bool, &Settings::WPMaximized},
    Row{"WPTop", Kind::Int, nullptr, &Settings::WPTop, nullptr, -(1 << 16), 1 << 16},
    Row{"WPWidth", Kind::Int, nullptr, &Settings::WPWidth, nullptr, 0, 1 << 16},
};

const Row* FindRow(std::string_view name) {
  for (const Row& r : kRows)
    if (r.name == name) return &r;
  return nullptr;
}

// The order values are read in; the first-run rule runs after FirstRun.
constexpr const char* kReadOrder[] = {
    "SideBtnSupport", "RunCount",     "UILanguage",   "StatusBar",      "ShowTrayIcon",   "DCNoScript",
    "DCNoActiveX",    "DCNoJava",     "SkinName",     "BreakFavorites", "FavoritesBreakNum",
    "AccessPassword", "WPLeft",       "WPTop",        "WPWidth",        "WPHeight",       "WPMaximized",
    "TrayIcon",       "SUIEHomePage", "SUOpenGroup",  "SUOpenPage",     "SUExecScript",   "SUGroup",
    "SUUrl",          "SUScript",     "BeepPopup",    "NoScriptError",  "ExpBar",         "ChkDefBrowser",
    "AutoFill",       "AutoCloseFilter", "AutoClosePopup", "RecPPTime", "RecPPLook",      "ShowTip",
    "TipNum",         "FirstRun",     "AutoNew",      "ActiveFormList"};

// The order values are written in at shutdown (SideBtnSupport goes first, on
// its own, before the list files).
constexpr const char* kWriteOrder[] = {
    "RunCount",     "ShowTrayIcon", "UILanguage",     "ExpBar",        "StatusBar",     "BreakFavorites",
    "FavoritesBreakNum", "DCNoJava", "DCNoScript",    "DCNoActiveX",   "TrayIcon",      "SkinName",
    "AccessPassword", "WPLeft",     "WPTop",          "WPWidth",       "WPHeight",      "WPMaximized",
    "BeepPopup",    "NoScriptError", "ChkDefBrowser", "AutoClosePopup", "RecPPTime",    "RecPPLook",
    "AutoCloseFilter", "FirstRun",  "ShowTip",        "TipNum",        "AutoFill",      "SUIEHomePage",
    "SUOpenGroup",  "SUOpenPage",   "SUExecScript",   "SUGroup",       "SUUrl",         "SUScript",
    "AutoNew",      "UILanguage",   "ActiveFormList"};

}  // namespace

SettingsStore::SettingsStore(Profile& profile, Settings& settings, SystemVersion system)
    : profile_(profile), s_(settings), system_(system) {}

int SettingsStore::ReadSettingInt(std::string_view name, int def) const {
  auto v = profile_.GetDword(kSettingsKey, name);
  return v ? static_cast<int>(*v) : def;
}

std::string SettingsStore::ReadSettingString(std::string_view name, const std::string& def) const {
  auto v = profile_.GetString(kSettingsKey, name);
  return v ? *v : def;
}

static void ReportFailedWrite(std::string_view name) {
  ShowMessage(std::string("Can't save setting:") + std::string(name) + "\nPlease report to the author!");
}

bool SettingsStore::WriteSettingInt(std::string_view name, int value) {
  if (profile_.SetDword(kSettingsKey, name, static_cast<std::uint32_t>(value))) return true;
  ReportFailedWrite(name);
  return false;
}

bool SettingsStore::WriteSettingString(std::string_view name, const std::string& value) {
  if (profile_.SetString(kSettingsKey, name, value)) return true;
  ReportFailedWrite(name);
  return false;
}

void SettingsStore::ReadValue(std::string_view name) {
  const Row* r = FindRow(name);
  if (!r) return;
  static const Settings defaults;
  switch (r->kind) {
    case Kind::Bool:
      s_.*(r->b) = ReadSettingInt(name, defaults.*(r->b) ? 1 : 0) != 0;
      break;
    case Kind::Int: {
      int v = ReadSettingInt(name, defaults.*(r->i));
      s_.*(r->i) = (v < r->min || v > r->max) ? defaults.*(r->i) : v;
      break;
    }
    case Kind::String:
      s_.*(r->s) = ReadSettingString(name, defaults.*(r->s));
      break;
    case Kind::Password:
      s_.AccessPassword = DecipherPassword(ReadSettingString(name, ""));
      break;
    case Kind::FormList:
      s_.ActiveFormList = SplitFields(ReadSettingString(name, ""), ',');
      break;
  }
}

void SettingsStore::WriteValue(std::string_view name) {
  const Row* r = FindRow(name);
  if (!r) return;
  switch (r->kind) {
    case Kind::Bool:
    case Kind::Int: {
      int v = r->kind == Kind::Bool ? (s_.*(r->b) ? 1 : 0) : s_.*(r->i);
      if (r->reporting)
        WriteSettingInt(name, v);
      else
        profile_.SetDword(kSettingsKey, name, static_cast<std::uint32_t>(v));
      break;
    }
    case Kind::String:
      if (r->reporting)
        WriteSettingString(name, s_.*(r->s));
      else
        profile_.SetString(kSettingsKey, name, s_.*(r->s));
      break;
    case Kind::Password:
      profile_.SetString(kSettingsKey, name, EncipherPassword(s_.AccessPassword));
      break;
    case Kind::FormList:
      profile_.SetString(kSettingsKey, name, JoinFormList(s_.ActiveFormList));
      break;
  }
}

void SettingsStore::LoadSettings(SettingsLists& lists) {
  SeedBrowserDefaults(profile_);
  lists.LoadFilterLists();
  lists.LoadAutoLogin();
  lists.LoadAliases();

  for (const char* name : kReadOrder) {
    ReadValue(name);
    std::string_view n = name;
    if (n == "RunCount") {
      // Saturate rather than wrap a count that reached the top.
      if (s_.RunCount < INT_MAX) ++s_.RunCount;
    } else if (n == "SkinName") {
      if (s_.SkinName == "defskin") s_.SkinName = DefaultSkinName(system_);
    } else if (n == "FirstRun") {
      if (s_.FirstRun) {
        s_.ShowTip = true;
        s_.TipNum = -1;
      }
    }
  }

  lists.LoadActiveForms(s_.ActiveFormList);
}

void SettingsStore::SaveSettings(SettingsLists& lists, FrameState* frame) {
  if (frame) {
    frame->RecordBars(profile_);
    s_.ExpBar = frame->ExplorerPane();
    s_.StatusBar = frame->StatusBarVisible();
  }
  lists.SaveTypedAddresses();
  lists.SaveQuickSearchHistory();
  WriteValue("SideBtnSupport");
  lists.SaveFilterLists();
  lists.SaveAutoLogin();
  lists.SaveAliases();
  lists.ClearAutoLogin();

  if (frame) {
    WindowRect rc = frame->WindowRectangle();
    s_.WPLeft = rc.left;
    s_.WPTop = rc.top;
    s_.WPWidth = rc.right - rc.left;
    s_.WPHeight = rc.bottom - rc.top;
    s_.WPMaximized = frame->IsZoomed();
  }

  for (const char* name : kWriteOrder) {
    std::string_view n = name;
    if (n == "FirstRun") {
      profile_.SetDword(kSettingsKey, n, 0);  // every normal shutdown ends the first run
      continue;
    }
    WriteValue(n);
    if (n == "NoScriptError") ApplyScriptDebuggerSwitch();
  }

  lists.ReleaseForms();
}

void SettingsStore::ApplyScriptDebuggerSwitch() {
  if (!profile_.OpenKey(kIEMainKey, true)) {
    ShowMessage("Can't open registry key!");
    return;
  }
  if (!profile_.SetString(kIEMainKey, "Disable Script Debugger", s_.NoScriptError ? "yes" : "no"))
    ShowMessage("Error updating registry value!");
}

}  // namespace kestrel
