#pragma once
// What a site asks of the main frame: the bars it reports to, its tab, the
// site list, and popup blocking's judgement of its navigations.
#include <functional>
#include <string>

#include "platform/browser_control.h"
#include "platform/clock.h"
#include "settings/download_control.h"
#include "settings/settings.h"

namespace kestrel {

class CKestrelView;
class PopupGuard;
class SitePermissions;

class SiteHost {
 public:
  virtual ~SiteHost() = default;

  virtual const Settings& settings() const = 0;
  virtual const Clock& clock() const = 0;
  virtual const KeyState& keys() const = 0;

  // Address Bar.
  virtual void SetAddressText(const std::string& text) = 0;
  virtual bool AddressBeingEdited() const = 0;
  virtual void ClearAddressEditing() = 0;

  // Busy indicator, status bar and its progress bar.
  virtual void SetBusy(bool busy) = 0;
  virtual void SetMessageText(const std::string& text) = 0;
  virtual void ShowProgress(bool show) = 0;
  virtual void SetProgressPos(int percent) = 0;

  // The site comes into view with a tab showing `tabText`; `activate` makes
  // it the active site. A site already in view is only activated.
  virtual void ShowSite(CKestrelView* site, const std::string& tabText, bool activate) = 0;
  virtual void SetTabText(CKestrelView* site, const std::string& text) = 0;
  virtual void RedrawTab(CKestrelView* site) = 0;

  // The site list.
  virtual int VisibleSiteCount() const = 0;
  // A new hidden site, appended to the site list; nullptr when it cannot be made.
  virtual CKestrelView* CreateSite() = 0;
  virtual CKestrelView* NewestSite() const = 0;
  virtual CKestrelView* ActiveView() const = 0;
  // The site's document closed: take it off the list (and the tab bar); its
  // objects are destroyed once the current event has returned.
  virtual void SiteClosed(CKestrelView* site) = 0;
  // Runs `task` once the current event has returned, if the site is still there.
  virtual void PostToSite(CKestrelView* site, std::function<void(CKestrelView&)> task) = 0;

  virtual PopupGuard& popups() = 0;
  // What the user let pages use, for the run.
  virtual SitePermissions& permissions() = 0;
  // The system URL history.
  virtual void AddUrlToHistory(const std::string&) {}
  // The top-level document completed (form auto-fill, pending AutoLogin).
  virtual void DocumentCompleted(CKestrelView*) {}
  // The status-bar text a suppressed script error leaves, and whether the
  // frame exists to take it.
  virtual bool FrameExists() const { return true; }
  // The download-control flags a new site starts with.
  virtual std::uint32_t NewSiteDownloadControl() const { return DLCTL_DLIMAGES | DLCTL_VIDEOS | DLCTL_BGSOUNDS; }
  // The simple beep of a command that cannot act.
  virtual void Beep() {}
};

}  // namespace kestrel
