#include "ui/toolbar_dialog_qt.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/message.h"
#include "ui/qt_dialogs.h"
#include "ui/qt_text.h"

namespace kestrel {
namespace {

class CustomizeDialog : public QDialog {
 public:
  CustomizeDialog(QWidget* parent, const ToolbarButtons& now, const ToolbarLook& look)
      : QDialog(parent), model_(now), look_(look) {
    setWindowTitle(T("Custom ToolBar"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(T("Available Toolbar Buttons:")), 0, 0);
    grid->addWidget(new QLabel(T("Current Toolbar Buttons:")), 0, 2);
    available_ = new QListWidget;
    current_ = new QListWidget;
    for (QListWidget* l : {available_, current_}) {
      l->setIconSize(QSize(16, 16));
      l->setMinimumSize(200, 260);
    }
    grid->addWidget(available_, 1, 0);
    grid->addWidget(current_, 1, 2);
    auto* middle = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    grid->addLayout(middle, 1, 1);
    grid->addLayout(right, 1, 3);
    auto button = [this](QVBoxLayout* into, const char* text, auto slot) {
      auto* b = new QPushButton(T(text));
      b->setAutoDefault(false);
      into->addWidget(b);
      connect(b, &QPushButton::clicked, this, slot);
    };
    middle->addStretch(1);
    button(middle, ">>", [this] { Refill(model_.Add(available_->currentRow(), current_->currentRow()), -1); });
    button(middle, "<<", [this] {
      const int row = current_->currentRow();
      if (model_.Remove(row)) Refill(std::min(row, static_cast<int>(model_.current().size()) - 1), -1);
    });
    middle->addStretch(1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical);
    TranslateButtons(buttons);
    right->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    button(right, "Move up", [this] { Refill(model_.MoveUp(current_->currentRow()), -1); });
    button(right, "Move Down", [this] { Refill(model_.MoveDown(current_->currentRow()), -1); });
    button(right, "Reset", [this] {
      model_.Reset();
      if (look_.applyNow) look_.applyNow(model_.Result());
      Refill(-1, -1);
    });
    right->addStretch(1);

    auto* options = new QFormLayout;
    text_ = new QComboBox;
    text_->addItems({T("No Text Labels"), T("Show Text Labels")});
    text_->setCurrentIndex(model_.showText ? 1 : 0);
    icons_ = new QComboBox;
    icons_->addItems({T("Small Icons"), T("Big Icons")});
    icons_->setCurrentIndex(model_.largeIcons ? 1 : 0);
    options->addRow(T("Text Options:"), text_);
    options->addRow(T("Icon Options:"), icons_);
    grid->addLayout(options, 2, 0, 1, 3);
    Refill(-1, -1);
  }

  ToolbarButtons Result() {
    model_.showText = text_->currentIndex() == 1;
    model_.largeIcons = icons_->currentIndex() == 1;
    return model_.Result();
  }

 private:
  QListWidgetItem* Item(unsigned id) const {
    auto* item = id == 0 ? new QListWidgetItem(T("Separator")) : new QListWidgetItem(look_.text ? look_.text(id) : QString::number(id));
    if (id != 0 && look_.icon) item->setIcon(look_.icon(id));
    item->setData(Qt::UserRole, id);
    return item;
  }
  void Refill(int currentRow, int availableRow) {
    available_->clear();
    current_->clear();
    for (unsigned id : model_.available()) available_->addItem(Item(id));
    for (unsigned id : model_.current()) current_->addItem(Item(id));
    if (currentRow >= 0) current_->setCurrentRow(currentRow);
    if (availableRow >= 0) available_->setCurrentRow(availableRow);
  }

  CustomizeToolbarModel model_;
  const ToolbarLook& look_;
  QListWidget* available_;
  QListWidget* current_;
  QComboBox* text_;
  QComboBox* icons_;
};

}  // namespace

bool RunCustomizeToolbar(QWidget* parent, ToolbarButtons& buttons, const ToolbarLook& look) {
  CustomizeDialog d(parent, buttons, look);
  if (d.exec() != QDialog::Accepted) return false;
  buttons = d.Result();
  return true;
}

}  // namespace kestrel
