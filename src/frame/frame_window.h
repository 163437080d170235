#pragma once
// The main window as the frame's logic sees it; the Qt side implements it.
#include <functional>
#include <string>

#include "platform/browser_control.h"
#include "settings/store.h"
#include "site/child_window.h"

namespace kestrel {

class CKestrelView;

class FrameWindow {
 public:
  virtual ~FrameWindow() = default;

  // A new site's MDI child and browser control, hidden; false when either
  // cannot be made. The objects stay valid until DestroySiteWindow.
  virtual bool CreateSiteWindow(ChildWindow*& window, BrowserControl*& control) = 0;
  virtual void DestroySiteWindow(ChildWindow* window) = 0;
  // Runs `task` once the current event has been handled.
  virtual void Post(std::function<void()> task) = 0;

  virtual bool IsMinimized() const = 0;
  virtual bool IsVisible() const = 0;
  virtual void Restore() = 0;  // shows a minimised or hidden frame again
  virtual void Hide() = 0;
  virtual void BringToFront() = 0;
  virtual void SetCaption(const std::string& text) = 0;
  virtual void ActivateSite(ChildWindow* window) = 0;

  // Full screen: the rebar, the caption and border, and the frame's rectangle.
  virtual void SetRebarVisible(bool visible) = 0;
  virtual void SetCaptionAndBorder(bool caption, bool border) = 0;
  virtual WindowRect Rectangle() const = 0;
  virtual void SetRectangle(const WindowRect& rc) = 0;
  virtual WindowRect PrimaryScreen() const = 0;

  // Status bar.
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void SetProgressVisible(bool visible) = 0;
  virtual void SetProgressPos(int percent) = 0;
  virtual void SetBusyIndicator(bool busy) = 0;

  // Address Bar.
  virtual void SetAddressText(const std::string& text) = 0;
  virtual bool AddressBeingEdited() const = 0;
  virtual void ClearAddressEditing() = 0;

  // Tray icon and the idle update of the bars' command states.
  virtual void SetTrayIcon(bool show) = 0;
  // The desktop shows the icon (it may have no tray at all).
  virtual bool TrayIconShown() const = 0;
  virtual void ShowFileMenuAtCursor() = 0;
  virtual void UpdateCommandStates() = 0;
  // The Block Popup button shows the alternate image (a blocked popup blinks).
  virtual void SetBlockPopupAlternate(bool alternate) = 0;
  // The engine refuses network requests while offline.
  virtual void SetEngineOffline(bool offline) = 0;
  // The simple beep of a command that cannot act.
  virtual void Beep() {}
};

}  // namespace kestrel
