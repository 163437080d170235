#pragma once
#include "settings/settings.h"

namespace kestrel::test {

// Every setting away from its default (the start-up options stay off, so a
// run with these opens nothing by itself), for save-and-load round trips.
inline Settings ChangedSettings() {
  Settings s;
  s.AccessPassword = "pa$$ word;1";
  s.ActiveFormList = {"alpha", "beta"};
  s.AutoCloseFilter = false;
  s.AutoClosePopup = true;
  s.AutoFill = true;
  s.AutoNew = false;
  s.BeepPopup = false;
  s.BreakFavorites = false;
  s.ChkDefBrowser = false;
  s.DCNoActiveX = s.DCNoJava = s.DCNoScript = true;
  s.ExpBar = 2;
  s.FavoritesBreakNum = 17;
  s.FirstRun = false;
  s.NoScriptError = false;
  s.RecPPLook = true;
  s.RecPPTime = false;
  s.RunCount = 3;
  s.ShowTip = false;
  s.SideBtnSupport = false;
  s.SkinName = "Slate";  // a shipped skin: one that is missing is not kept
  s.SUScript = "news\r\nmail";
  s.SUGroup = "Evening";
  s.SUUrl = "http://127.0.0.1:1/never";
  s.TipNum = 2;
  s.TrayIcon = false;
  s.UILanguage = "Deutsch";
  s.WPLeft = 40;
  s.WPTop = 30;
  s.WPWidth = 900;
  s.WPHeight = 640;
  return s;
}

}  // namespace kestrel::test
