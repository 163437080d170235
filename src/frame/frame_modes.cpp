#include "frame/frame_modes.h"

#include "common/message.h"
#include "frame/command_ids.h"
#include "site/kestrel_view.h"

namespace kestrel {

CFrameModes::CFrameModes(FrameWindow& window, Profile& profile, const Settings& settings, const CSiteList& sites)
    : window_(window), profile_(profile), settings_(settings), sites_(sites) {}

void CFrameModes::RegisterCommands(CommandRegistry& r) {
  r.Add(ID_FULL_SCREEN, [this](const CommandContext&) { ToggleFullScreen(); },
        CommandRegistry::Checked([this] { return fullScreen_; }));
  r.Add(ID_WORK_OFFLINE, [this](const CommandContext&) { ToggleWorkOffline(); },
        CommandRegistry::Checked([this] { return IsOffline(); }));
}

void CFrameModes::ToggleFullScreen(bool skinActive) {
  if (!fullScreen_) {
    beforeFullScreen_ = window_.Rectangle();
    window_.SetRebarVisible(false);
    window_.SetCaptionAndBorder(false, false);
    window_.SetRectangle(window_.PrimaryScreen());
    fullScreen_ = true;
    if (CKestrelView* v = sites_.active()) v->frame().window().Show(true, true);
  } else {
    window_.SetRebarVisible(true);
    window_.SetCaptionAndBorder(!skinActive, true);
    window_.SetRectangle(beforeFullScreen_);
    fullScreen_ = false;
  }
}

// A value never written yet means online: there is no system to have set it.
bool CFrameModes::IsOffline() const { return profile_.GetDword(kInternetSettingsKey, "GlobalUserOffline").value_or(0) != 0; }

void CFrameModes::ToggleWorkOffline() {
  if (!profile_.OpenKey(kInternetSettingsKey, true)) {
    ShowMessage("Error opening registry!");
    return;
  }
  const bool offline = !IsOffline();
  profile_.SetDword(kInternetSettingsKey, "GlobalUserOffline", offline ? 1u : 0u);
  window_.SetEngineOffline(offline);
}

void CFrameModes::ApplyOfflineState() { window_.SetEngineOffline(IsOffline()); }

void CFrameModes::SetTrayIcon(bool show) { window_.SetTrayIcon(show); }

void CFrameModes::OnTrayNotify(TrayMouse message) {
  if (message == TrayMouse::Other) return;
  if (!window_.IsVisible() || window_.IsMinimized()) window_.Restore();
  window_.BringToFront();
  if (message == TrayMouse::RightDown) window_.ShowFileMenuAtCursor();
}

void CFrameModes::OnSize() {
  if (window_.IsMinimized() && settings_.ShowTrayIcon && window_.TrayIconShown()) window_.Hide();
}

}  // namespace kestrel
