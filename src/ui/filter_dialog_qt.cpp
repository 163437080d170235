#include "ui/filter_dialog_qt.h"

#include <QCheckBox>
#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "common/message.h"
#include "popups/filter_dialog.h"

namespace kestrel {
namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
QString T(const char* english) { return Q(TranslateMessage(english)); }
std::string S(const QString& s) { return s.toUtf8().toStdString(); }

class FilterDialog : public QDialog {
 public:
  FilterDialog(QWidget* parent, const QString& title, std::vector<std::string>& list,
               std::function<void(const std::string&)> openHelp)
      : QDialog(parent), list_(list), openHelp_(std::move(openHelp)) {
    setWindowTitle(Q(TranslateMessage(S(title))));
    auto* top = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    top->addLayout(left, 1);

    auto* label = new QLabel(T("URL Filters: (A URL matches a filter if it contains the filter as a substring)"));
    label->setWordWrap(true);
    left->addWidget(label);
    rows_ = new QListWidget;
    rows_->setSelectionMode(QAbstractItemView::SingleSelection);
    rows_->setUniformItemSizes(true);
    rows_->setSortingEnabled(false);  // the model sorts
    rows_->setMinimumSize(380, 240);
    left->addWidget(rows_, 1);
    label->setBuddy(rows_);
    edit_ = new QLineEdit;
    left->addWidget(edit_);

    auto* buttons = new QVBoxLayout;
    top->addLayout(buttons);
    auto button = [&](const char* text, auto slot) {
      auto* b = new QPushButton(T(text));
      b->setAutoDefault(false);  // Enter in the edit field closes nothing
      buttons->addWidget(b);
      connect(b, &QPushButton::clicked, this, slot);
      return b;
    };
    button("Add", [this] { Do(&FilterDialogModel::Add); });
    button("Remove", [this] { Do(&FilterDialogModel::Remove); });
    button("Change", [this] { Do(&FilterDialogModel::Change); });
    button("Help", [this] {
      if (openHelp_) openHelp_(FilterDialogModel::kHelpPage);
    });
    buttons->addStretch(1);
    button("OK", [this] {
      model_.Accept(list_);
      accept();
    });
    button("Cancel", [this] { reject(); });

    connect(rows_, &QListWidget::currentRowChanged, this, [this](int row) {
      if (refreshing_) return;
      model_.Select(row);
      edit_->setText(Q(model_.editText()));
    });

    model_.Open(list_);
    Refresh();
  }

 private:
  void Do(bool (FilterDialogModel::*op)()) {
    model_.SetEditText(S(edit_->text()));
    (model_.*op)();
    Refresh();
  }

  // Mirrors the whole model state into the widgets.
  void Refresh() {
    refreshing_ = true;
    {
      QSignalBlocker block(rows_);
      rows_->clear();
      for (const std::string& row : model_.rows()) rows_->addItem(Q(row));
      if (model_.selection() >= 0) {
        rows_->setCurrentRow(model_.selection());
        rows_->scrollToItem(rows_->currentItem());
      }
    }
    edit_->setText(Q(model_.editText()));
    refreshing_ = false;
  }

  std::vector<std::string>& list_;
  std::function<void(const std::string&)> openHelp_;
  FilterDialogModel model_;
  QListWidget* rows_ = nullptr;
  QLineEdit* edit_ = nullptr;
  bool refreshing_ = false;
};

}  // namespace

bool RunFilterDialog(QWidget* parent, const QString& title, std::vector<std::string>& list,
                     std::function<void(const std::string&)> openHelp) {
  FilterDialog dialog(parent, title, list, std::move(openHelp));
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
