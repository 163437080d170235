#include "ui/popup_ui_qt.h"

#include "ui/filter_dialog_qt.h"
#include "ui/hidden_sites_qt.h"

namespace kestrel {

void QtPopupUi::HiddenSites(HiddenSitesActions actions) { RunHiddenSitesDialog(parent_, std::move(actions)); }

bool QtPopupUi::AddToList(bool black, const std::string& address, bool& entireDomain, bool& closeNow) {
  return RunAddToListDialog(parent_, black, address, entireDomain, closeNow);
}

bool QtPopupUi::EditList(bool black, std::vector<std::string>& list) {
  // The title is translated by the dialog.
  return RunFilterDialog(parent_, black ? "Black List" : "White List", list, openHelp_);
}

}  // namespace kestrel
