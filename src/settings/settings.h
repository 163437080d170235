#pragma once
// Every preference of the program, held for the whole run as fields of the
// application object. The field names are the registry value names.
#include <cstdint>
#include <string>
#include <vector>

namespace kestrel {

struct Settings {
  std::string AccessPassword;               // held deciphered
  std::vector<std::string> ActiveFormList;  // names of the active form data files
  bool AutoCloseFilter = true;
  bool AutoClosePopup = false;
  bool AutoFill = false;
  bool AutoNew = true;
  bool BeepPopup = true;
  bool BreakFavorites = true;
  bool ChkDefBrowser = true;
  bool DCNoActiveX = false;
  bool DCNoJava = false;
  bool DCNoScript = false;
  int ExpBar = 0;  // 0 none, 1 Favorites, 2 Folders, 3 History
  int FavoritesBreakNum = 30;
  bool FirstRun = true;
  bool NoScriptError = true;
  bool RecPPLook = false;
  bool RecPPTime = true;
  int RunCount = 0;
  bool ShowTip = true;
  bool ShowTrayIcon = false;
  bool SideBtnSupport = true;
  std::string SkinName = "defskin";
  bool StatusBar = true;
  bool SUExecScript = false;
  std::string SUGroup;
  bool SUIEHomePage = false;
  bool SUOpenGroup = false;
  bool SUOpenPage = false;
  std::string SUScript;
  std::string SUUrl;
  int TipNum = -1;
  bool TrayIcon = true;
  std::string UILanguage = "English";
  int WPHeight = 0;
  int WPLeft = 0;
  bool WPMaximized = false;
  int WPTop = 0;
  int WPWidth = 0;
};

// The skin a stored "defskin" (or no skin at all) stands for on this system.
// On Windows the old rule: "Navy" on NT 5.1 and later 5.x, "Windows XP" on
// the others. On a Linux desktop none: the desktop's own frame, since no
// skin of that name ships and every start would say so.
struct SystemVersion {
  bool windows = false;
  bool isWindowsNT = false;
  int major = 0;
  int minor = 0;
};
std::string DefaultSkinName(const SystemVersion& system);

// The window rectangle is used only when both sizes are set.
bool HasSavedPlacement(const Settings& s);

// The active form names as stored: each followed by one comma.
std::string JoinFormList(const std::vector<std::string>& names);

}  // namespace kestrel
