#include "ui/filter_dialog_qt.h"

#include <QCheckBox>
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/message.h"
#include "popups/filter_dialog.h"
#include "ui/list_editor_qt.h"
#include "ui/qt_text.h"

namespace kestrel {

bool RunFilterDialog(QWidget* parent, const std::string& title, std::vector<std::string>& list,
                     std::function<void(const std::string&)> openHelp) {
  FilterDialogModel model;
  model.Open(list);
  ListEditorLook look;
  look.title = title;
  look.caption = "URL Filters: (A URL matches a filter if it contains the filter as a substring)";
  look.fields = {""};
  QtListEditor dialog(parent, model, look, [openHelp] {
    if (openHelp) openHelp(FilterDialogModel::kHelpPage);
  });
  dialog.AddClosingButton("OK", [&] { model.Accept(list); }, true);
  dialog.AddClosingButton("Cancel", nullptr, false);
  return dialog.exec() == QDialog::Accepted;
}

bool RunAddToListDialog(QWidget* parent, bool black, const std::string& address, bool& entireDomain,
                        bool& closeNow) {
  QDialog d(parent);
  d.setWindowTitle(T(black ? "Add Into Black List" : "Add Into White List"));
  auto* layout = new QVBoxLayout(&d);
  auto* form = new QFormLayout;
  auto* field = new QLineEdit(Q(address));
  field->setReadOnly(true);
  field->setCursorPosition(0);  // the start of a long address is the part that tells
  field->setMinimumWidth(420);
  form->addRow(T("Address:"), field);
  layout->addLayout(form);
  auto* domain = new QCheckBox(T("Add Entire Domain"));
  domain->setChecked(entireDomain);
  layout->addWidget(domain);
  QCheckBox* close = nullptr;
  if (black) {
    close = new QCheckBox(T("Close Site Window Now"));
    close->setChecked(closeNow);
    layout->addWidget(close);
  }
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  auto* ok = new QPushButton(T("OK"));
  auto* cancel = new QPushButton(T("Cancel"));
  ok->setDefault(true);
  row->addWidget(ok);
  row->addWidget(cancel);
  layout->addLayout(row);
  QObject::connect(ok, &QPushButton::clicked, &d, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, &d, &QDialog::reject);
  if (d.exec() != QDialog::Accepted) return false;
  entireDomain = domain->isChecked();
  closeNow = close && close->isChecked();
  return true;
}

}  // namespace kestrel
