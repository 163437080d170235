#pragma once
// The states of the main window as a whole: full screen, working offline,
// and the tray icon that a minimised window hides behind.
#include "frame/command_registry.h"
#include "frame/frame_window.h"
#include "frame/site_list.h"
#include "platform/profile.h"
#include "settings/settings.h"

namespace kestrel {

inline constexpr const char* kInternetSettingsKey =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

class CFrameModes {
 public:
  CFrameModes(FrameWindow& window, Profile& profile, const Settings& settings, const CSiteList& sites);
  // Full Screen and Work Offline, with their check marks.
  void RegisterCommands(CommandRegistry& registry);

  bool fullScreen() const { return fullScreen_; }
  // With a skin active the skin draws the caption: leaving keeps it off.
  void ToggleFullScreen(bool skinActive = false);

  // The offline state lives in the profile, where the system keeps it.
  void ToggleWorkOffline();
  // The engine follows the stored offline state (at start).
  void ApplyOfflineState();
  bool IsOffline() const;

  void SetTrayIcon(bool show);
  // Tray callback: the mouse message that arrived.
  enum class TrayMouse { LeftDown, RightDown, Other };
  void OnTrayNotify(TrayMouse message);
  // After the window was resized or minimised: with the tray option on and
  // an icon in the tray, a minimised window leaves only the icon.
  void OnSize();

 private:
  FrameWindow& window_;
  Profile& profile_;
  const Settings& settings_;
  const CSiteList& sites_;
  bool fullScreen_ = false;
  WindowRect beforeFullScreen_;
};

}  // namespace kestrel
