#include "ui/open_dialog_qt.h"

#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/message.h"
#include "ui/qt_dialogs.h"
#include "ui/qt_text.h"

namespace kestrel {

QString OpenDialogFileFilters() {
  return QStringLiteral(
      "HTML Files (*.htm *.html);;Text Files (*.txt);;GIF Files (*.gif);;JPEG Files (*.jpg *.jpeg);;"
      "AU Files (*.au);;AIFF Files (*.aif *.aiff);;XBM Files (*.xbm);;All Files (*)");
}

OpenDialog::OpenDialog(QWidget* parent, const std::vector<std::string>& typed)
    : QDialog(parent), field_(new QComboBox), browse_(new QPushButton(T("Browse..."))) {
  setWindowTitle(T("Open"));
  auto* layout = new QVBoxLayout(this);
  auto* text = new QLabel(T("Type the Internet address of a document or folder, and Kestrel will open it for you."));
  text->setWordWrap(true);
  layout->addWidget(text);

  field_->setEditable(true);
  field_->setInsertPolicy(QComboBox::NoInsert);
  field_->setMinimumWidth(380);
  field_->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
  QStringList items;
  for (const std::string& s : typed) items << QString::fromStdString(s);
  field_->addItems(items);
  field_->setCurrentIndex(-1);
  field_->completer()->setCaseSensitivity(Qt::CaseInsensitive);
  field_->completer()->setFilterMode(Qt::MatchContains);
  auto* form = new QFormLayout;
  form->addRow(T("Open:"), field_);
  layout->addLayout(form);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  TranslateButtons(buttons);
  buttons->addButton(browse_, QDialogButtonBox::ActionRole);
  browse_->setAutoDefault(false);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(browse_, &QPushButton::clicked, this, [this] { Browse(); });
  auto okEnabled = [this, buttons] {
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!field_->currentText().trimmed().isEmpty());
  };
  connect(field_, &QComboBox::currentTextChanged, this, okEnabled);
  okEnabled();

  chooseFile = [](QWidget* owner) {
    return QFileDialog::getOpenFileName(owner, T("Open"), QString(), OpenDialogFileFilters());
  };
}

std::string OpenDialog::Address() const { return field_->currentText().trimmed().toStdString(); }

void OpenDialog::Browse() {
  QString path = chooseFile ? chooseFile(this) : QString();
  if (path.isEmpty()) return;
  field_->setCurrentText(path);
  field_->setFocus();
}

}  // namespace kestrel
