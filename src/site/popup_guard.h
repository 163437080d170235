#pragma once
// What a site tells popup blocking and asks of it: the user's input in its
// page as it happens, the windows its page opens, and whether a navigation
// makes it a blocked popup. The default guard blocks nothing.
#include <string>

#include "platform/browser_control.h"

namespace kestrel {

class CKestrelView;

class PopupGuard {
 public:
  virtual ~PopupGuard() = default;

  // A left or right press in the page (answered later by PressTarget with
  // the same id: the tag under the pointer), Enter in the page, and the page
  // left for another top-level address.
  virtual void Pressed(CKestrelView& site, int id, bool rightButton);
  virtual void PressTarget(CKestrelView& site, int id, const std::string& tag, bool textField);
  virtual void EnterPressed(CKestrelView& site);
  virtual void LeftPage(CKestrelView& site);
  // `opener`'s page opened the new, unseen `site`. Once the clicks before
  // it are known the guard calls site.TimingDecided(suspect), exactly once.
  virtual void WindowOpened(CKestrelView& opener, CKestrelView& site);
  // True when the navigation makes the site a blocked popup; the guard has
  // then blocked it and given notice.
  virtual bool Judge(CKestrelView& site, const NavigateRequest& request);
  // The main frame's timer ticked for the `tick`-th time.
  virtual void OnTimer(unsigned tick);
};

}  // namespace kestrel
