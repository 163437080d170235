#include "ui/alias_dialog_qt.h"

#include "address/alias_dialog.h"
#include "ui/list_editor_qt.h"

namespace kestrel {

bool RunAliasDialog(QWidget* parent, AliasList& list, const std::string& path,
                    std::function<void(const std::string&)> openHelp) {
  AliasDialogModel model;
  model.Open(list);
  ListEditorLook look;
  look.title = "Alias Definitions";
  look.headers = {"Alias", "URL or Command in Full"};
  look.fields = {"Alias:", "Full Text:"};
  look.multiSelect = true;
  look.minimumWidth = 500;
  QtListEditor dialog(parent, model, look, [openHelp] {
    if (openHelp) openHelp(AliasDialogModel::kHelpPage);
  });
  dialog.AddClosingButton("Close", [&] { model.Close(list, path); }, true);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace kestrel
