#include "ui/address_ui_qt.h"

#include "ui/alias_dialog_qt.h"
#include "ui/open_dialog_qt.h"

namespace kestrel {

std::optional<std::string> QtAddressDialogs::OpenDialog(const std::vector<std::string>& typed) {
  kestrel::OpenDialog dialog(parent_, typed);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Address();
}

void QtAddressDialogs::AliasDefinitions(AliasList& aliases, const std::string& path) {
  RunAliasDialog(parent_, aliases, path, openHelp_);
}

}  // namespace kestrel
