#pragma once
// The windows popup blocking and the site filter show, as their logic sees
// them; the Qt side implements them, tests answer as told.
#include <functional>
#include <string>
#include <vector>

namespace kestrel {

class CKestrelView;

// One row of the Hidden Sites dialog.
struct HiddenSiteRow {
  CKestrelView* site = nullptr;
  std::string title;
  bool autoClose = false;  // a blocked popup: the timer will close it
  std::string address;
};

// What the Hidden Sites dialog's buttons do. It runs while the timer may
// close blocked sites: every action checks that its site is still there.
struct HiddenSitesActions {
  std::vector<HiddenSiteRow> rows;  // the newest first
  std::function<void(CKestrelView*)> show;
  std::function<void(CKestrelView*)> addToWhiteList;
  std::function<void(const std::string& page)> openHelp;
};

class PopupUi {
 public:
  virtual ~PopupUi() = default;
  // Runs the Hidden Sites window until "Done".
  virtual void HiddenSites(HiddenSitesActions actions) = 0;
  // "Add Into Black List" / "Add Into White List" for `address`: true on
  // OK, with the two boxes as ticked.
  virtual bool AddToList(bool black, const std::string& address, bool& entireDomain, bool& closeNow) = 0;
  // The Filter Definition dialog on a copy of a list: true on OK.
  virtual bool EditList(bool black, std::vector<std::string>& list) = 0;
};

}  // namespace kestrel
