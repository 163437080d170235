#pragma once
// What a site asks of the main frame: the bars it reports to, its tab, the
// site list, and the decisions other subsystems make about its navigations.
#include <string>

#include "platform/browser_control.h"
#include "platform/clock.h"
#include "settings/settings.h"

namespace kestrel {

class CKestrelView;

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

  // The site's tab. Adding a tab twice, or removing one that is not there, is ignored.
  virtual void AddTab(CKestrelView* site, const std::string& text, bool select) = 0;
  virtual void SelectTab(CKestrelView* site) = 0;
  virtual void SetTabText(CKestrelView* site, const std::string& text) = 0;
  virtual void RedrawTab(CKestrelView* site) = 0;
  virtual void RemoveTab(CKestrelView* site) = 0;

  // The site list.
  virtual int VisibleSiteCount() const = 0;
  // A new hidden site, appended to the site list; nullptr when it cannot be made.
  virtual CKestrelView* CreateSite() = 0;
  virtual CKestrelView* NewestSite() const = 0;
  virtual CKestrelView* ActiveView() const = 0;
  // The site's document closed: take it off the list (and the tab bar); its
  // objects are destroyed once the current event has returned.
  virtual void SiteClosed(CKestrelView* site) = 0;
  // Runs the command on the site after the current event has returned.
  virtual void PostCommand(CKestrelView* site, unsigned id) = 0;
  // Commands of the frame a site passes on (Close All).
  virtual void FrameCommand(unsigned id) = 0;
  // Sends `id` to every site of the list but `except`, in list order.
  virtual void SendToOtherSites(CKestrelView* except, unsigned id) = 0;

  // Popup blocking decides whether a navigation makes the site a suspect.
  virtual bool IsPopupSuspect(CKestrelView*, const NavigateRequest&) { return false; }
  virtual void PopupBlocked(CKestrelView*) {}
  // Shows a hidden site again, or hides it ("Hide Site").
  virtual void SetSiteHidden(CKestrelView*, bool show) { (void)show; }
  // "Add Into White List..." / "Add Into Black List..." for this site.
  virtual void AddSiteToFilter(CKestrelView*, bool black) { (void)black; }
  // Whether the site is still on the list (a late answer may outlive it).
  virtual bool IsSiteAlive(const CKestrelView*) const { return true; }
  // The system URL history.
  virtual void AddUrlToHistory(const std::string&) {}
  // The top-level document completed (form auto-fill, pending AutoLogin).
  virtual void DocumentCompleted(CKestrelView*) {}
  // The status-bar text a suppressed script error leaves, and whether the
  // frame exists to take it.
  virtual bool FrameExists() const { return true; }
};

}  // namespace kestrel
