#include "ui/forms_dialogs_qt.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/qt_dialogs.h"
#include "ui/qt_text.h"

namespace kestrel {

namespace {

QLineEdit* Field(const char* name, bool masked = false) {
  auto* e = new QLineEdit;
  e->setObjectName(QString::fromLatin1(name));
  if (masked) e->setEchoMode(QLineEdit::Password);
  return e;
}

QPushButton* Button(QVBoxLayout* column, const char* english, std::function<void()> act) {
  auto* b = new QPushButton(T(english));
  column->addWidget(b);
  QObject::connect(b, &QPushButton::clicked, b, std::move(act));
  return b;
}

// OK and Cancel at the foot of `d`; OK runs `ok` (closing is up to it).
void AddOkCancel(QDialog& d, QVBoxLayout* layout, std::function<void()> ok) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  TranslateButtons(buttons);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &d, std::move(ok));
  QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
}

// A dialog titled `title` with the list of form data files.
QListWidget* FormFilesDialog(QDialog& d, const char* title, const std::vector<std::string>& files) {
  d.setWindowTitle(T(title));
  d.setMinimumSize(350, 300);
  auto* list = new QListWidget;
  list->setObjectName(QStringLiteral("form-files"));
  for (const std::string& f : files) list->addItem(Q(f));
  return list;
}

// A dialog of masked fields with OK and Cancel; OK closes only when `ok` agrees.
bool AskPasswords(QWidget* parent, const char* title, const std::vector<const char*>& labels,
                  const std::function<bool(const std::vector<std::string>&)>& ok) {
  QDialog d(parent);
  d.setWindowTitle(T(title));
  d.setMinimumWidth(340);
  auto* layout = new QVBoxLayout(&d);
  auto* form = new QFormLayout;
  std::vector<QLineEdit*> edits;
  for (const char* label : labels) {
    edits.push_back(Field("password-field", true));
    form->addRow(T(label), edits.back());
  }
  layout->addLayout(form);
  AddOkCancel(d, layout, [&] {
    std::vector<std::string> texts;
    for (QLineEdit* e : edits) texts.push_back(S(e->text()));
    if (ok(texts)) d.accept();
  });
  return d.exec() == QDialog::Accepted;
}

}  // namespace

QtAutoLoginOrganizer::QtAutoLoginOrganizer(QWidget* parent, CAutoLoginOrganizer& model,
                                           std::function<void(const std::string&)> connect,
                                           std::function<void()> help)
    : QDialog(parent), model_(model) {
  setWindowTitle(T("AutoLogin Organizer"));
  setObjectName(QStringLiteral("autologin-organizer"));
  resize(640, 340);
  auto* top = new QHBoxLayout(this);
  list_ = new QListWidget;
  list_->setObjectName(QStringLiteral("autologin-list"));
  list_->setMinimumWidth(180);
  top->addWidget(list_, 2);

  auto* form = new QFormLayout;
  caption_ = Field("autologin-caption");
  url_ = Field("autologin-url");
  form_ = Field("autologin-form");
  data_ = Field("autologin-data");
  password_ = Field("autologin-password", true);
  reenter_ = Field("autologin-reenter", true);
  form->addRow(T("Caption:"), caption_);
  form->addRow(T("URL:"), url_);
  form->addRow(T("Form Name:"), form_);
  form->addRow(T("Login Data:"), data_);
  form->addRow(T("Password:"), password_);
  form->addRow(T("Re-enter:"), reenter_);
  data_->setPlaceholderText(QStringLiteral("user=name&pass=$password"));
  auto* middle = new QVBoxLayout;
  middle->addLayout(form);
  middle->addStretch();
  top->addLayout(middle, 3);

  auto* column = new QVBoxLayout;
  Button(column, "New", [this] {
    model_.New();
    ShowFields();
  });
  Button(column, "Add", [this] {
    TakeFields();
    if (model_.Add()) ShowList();
  });
  Button(column, "Change", [this] {
    TakeFields();
    if (model_.Change()) ShowList();
  });
  Button(column, "Delete", [this] {
    if (model_.Delete()) ShowList();
  });
  auto use = [this, connect] {
    const std::string caption = model_.SelectedCaption();
    if (!caption.empty() && connect) connect(caption);
  };
  Button(column, "Connect", use);
  column->addStretch();
  Button(column, "Close", [this] { accept(); })->setDefault(true);
  Button(column, "Help", [help] {
    if (help) help();
  });
  top->addLayout(column);

  QObject::connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (filling_) return;
    model_.Select(row);
    ShowFields();
  });
  QObject::connect(list_, &QListWidget::itemDoubleClicked, this, use);
  ShowList();
}

void QtAutoLoginOrganizer::ShowList() {
  filling_ = true;
  list_->clear();
  for (const std::string& c : model_.Captions()) list_->addItem(Q(c));
  list_->setCurrentRow(model_.selection());
  filling_ = false;
  ShowFields();
}

void QtAutoLoginOrganizer::ShowFields() {
  const CAutoLoginOrganizer::Fields& f = model_.fields();
  caption_->setText(Q(f.caption));
  url_->setText(Q(f.url));
  form_->setText(Q(f.formName));
  data_->setText(Q(f.loginData));
  password_->setText(Q(f.password));
  reenter_->setText(Q(f.reenter));
}

void QtAutoLoginOrganizer::TakeFields() {
  model_.fields() = {S(caption_->text()), S(url_->text()),      S(form_->text()),
                     S(data_->text()),    S(password_->text()), S(reenter_->text())};
}

bool QtFormsDialogs::EnterPassword(const std::function<bool(const std::string&)>& tryPassword) {
  if (AnsweredUnattended("Please Enter Password")) return false;
  return AskPasswords(parent_, "Please Enter Password", {"Password:"},
                      [&](const std::vector<std::string>& t) { return tryPassword(t[0]); });
}

void QtFormsDialogs::PasswordProtect(const ChangePassword& change) {
  if (AnsweredUnattended("Password Protect")) return;
  AskPasswords(parent_, "Password Protect", {"Old Password:", "New Password:", "Confirm:"},
               [&](const std::vector<std::string>& t) { return change(t[0], t[1], t[2]); });
}

bool QtFormsDialogs::Organizer(CAutoLoginOrganizer& model, const std::function<void(const std::string&)>& connect) {
  if (AnsweredUnattended("AutoLogin Organizer")) return false;
  QtAutoLoginOrganizer d(parent_, model, connect, [this] {
    if (openHelp_) openHelp_("autologin.htm");
  });
  return d.exec() == QDialog::Accepted;
}

std::optional<std::vector<std::string>> QtFormsDialogs::SetActiveForms(const std::vector<std::string>& files,
                                                                       const std::vector<std::string>& active) {
  if (AnsweredUnattended("Set Active Form Data Files")) return std::nullopt;
  QDialog d(parent_);
  auto* layout = new QVBoxLayout(&d);
  QListWidget* list = FormFilesDialog(d, "Set Active Form Data Files", files);
  list->setSelectionMode(QAbstractItemView::MultiSelection);
  const std::vector<bool> selected = ActiveFormSelection(files, active);
  for (std::size_t i = 0; i < files.size(); ++i) list->item(static_cast<int>(i))->setSelected(selected[i]);
  layout->addWidget(list);
  AddOkCancel(d, layout, [&d] { d.accept(); });
  if (d.exec() != QDialog::Accepted) return std::nullopt;
  std::vector<std::string> chosen;
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->isSelected()) chosen.push_back(S(list->item(i)->text()));
  return chosen;
}

void QtFormsDialogs::AvailableForms(std::vector<std::string> files, const std::function<void(const std::string&)>& edit,
                                    const std::function<bool(const std::string&)>& remove) {
  if (AnsweredUnattended("Available Form Data Files")) return;
  QDialog d(parent_);
  auto* layout = new QHBoxLayout(&d);
  QListWidget* list = FormFilesDialog(d, "Available Form Data Files", files);
  if (list->count() > 0) list->setCurrentRow(0);
  layout->addWidget(list);
  auto* column = new QVBoxLayout;
  Button(column, "Edit", [&] {
    if (QListWidgetItem* item = list->currentItem()) edit(S(item->text()));
  });
  Button(column, "Delete", [&] {
    if (QListWidgetItem* item = list->currentItem())
      if (remove(S(item->text()))) delete item;
  });
  column->addStretch();
  Button(column, "Close", [&] { d.accept(); })->setDefault(true);
  layout->addLayout(column);
  d.exec();
}

std::optional<std::string> QtFormsDialogs::SaveFormFile(const std::string& folder, const std::string& proposedName) {
  const std::string proposed = folder + proposedName;
  if (AnsweredUnattended("Save Form", proposed)) return std::nullopt;
  QFileDialog d(parent_, T("Save Active Form..."), Q(proposed));
  d.setAcceptMode(QFileDialog::AcceptSave);
  d.setNameFilter(T("Form Data Files") + QStringLiteral(" (*.fmd)"));
  d.setDefaultSuffix(QStringLiteral("fmd"));
  // Kestrel asks itself whether to merge with the file that is there.
  d.setOption(QFileDialog::DontConfirmOverwrite);
  if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return std::nullopt;
  return S(d.selectedFiles().front());
}

}  // namespace kestrel
