#pragma once
// The windows of popup blocking and the site filter: Hidden Sites, the
// Filter Definition dialog and "Add Into White/Black List...".
#include <functional>
#include <string>

#include "popups/popup_ui.h"

class QWidget;

namespace kestrel {

class QtPopupUi : public PopupUi {
 public:
  QtPopupUi(QWidget* parent, std::function<void(const std::string& page)> openHelp)
      : parent_(parent), openHelp_(std::move(openHelp)) {}

  void HiddenSites(HiddenSitesActions actions) override;
  bool AddToList(bool black, const std::string& address, bool& entireDomain, bool& closeNow) override;
  bool EditList(bool black, std::vector<std::string>& list) override;

 private:
  QWidget* parent_;
  std::function<void(const std::string&)> openHelp_;
};

}  // namespace kestrel
