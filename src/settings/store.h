#pragma once
// Reading the settings at start and writing them back at shutdown, with the
// program's list files loaded and saved at the same two points.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/profile.h"
#include "settings/settings.h"

namespace kestrel {

// The list files, each owned by its subsystem. Every call is a seam that the
// subsystem fills in; the store only decides when each runs.
class SettingsLists {
 public:
  virtual ~SettingsLists() = default;
  virtual void LoadFilterLists() {}                                    // filter.dat
  virtual void LoadAutoLogin() {}                                      // autologin.ini
  virtual void LoadAliases() {}                                        // alias.txt
  virtual void LoadActiveForms(const std::vector<std::string>&) {}     // forms/
  virtual void SaveTypedAddresses() {}                                 // TypedURLs
  virtual void SaveQuickSearchHistory() {}                             // searchhis.ini
  virtual void SaveFilterLists() {}
  virtual void SaveAutoLogin() {}
  virtual void SaveAliases() {}
  virtual void ClearAutoLogin() {}
  virtual void ReleaseForms() {}
};

struct WindowRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// What the frame contributes to the save, while it still exists.
class FrameState {
 public:
  virtual ~FrameState() = default;
  // The toolbar and band values are written by their owner, at once.
  virtual void RecordBars(Profile&) {}
  virtual int ExplorerPane() const = 0;  // 0 none, 1 Favorites, 2 Folders, 3 History
  virtual bool StatusBarVisible() const = 0;
  virtual WindowRect WindowRectangle() const = 0;
  virtual bool IsZoomed() const = 0;
};

class SettingsStore {
 public:
  SettingsStore(Profile& profile, Settings& settings, SystemVersion system = {});

  void LoadSettings(SettingsLists& lists);
  // Without a frame (it failed to come up) the frame's fields keep their values.
  void SaveSettings(SettingsLists& lists, FrameState* frame);

  int ReadSettingInt(std::string_view name, int def) const;
  std::string ReadSettingString(std::string_view name, const std::string& def) const;
  // These report a failed write ("Can't save setting:") and return false.
  bool WriteSettingInt(std::string_view name, int value);
  bool WriteSettingString(std::string_view name, const std::string& value);

  // Writes "Disable Script Debugger" for the engine's script debugger from
  // NoScriptError; reports a key or value that cannot be written.
  void ApplyScriptDebuggerSwitch();

 private:
  void ReadValue(std::string_view name);
  void WriteValue(std::string_view name);
  Profile& profile_;
  Settings& s_;
  SystemVersion system_;
};

inline constexpr const char* kIEMainKey = "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main";

}  // namespace kestrel
