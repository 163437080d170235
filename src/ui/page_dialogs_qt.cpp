#include "ui/page_dialogs_qt.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <memory>

#include "engine/webengine_control.h"
#include "ui/qt_dialogs.h"
#include "ui/qt_text.h"

namespace kestrel {

QtLoginDialog::QtLoginDialog(QWidget* parent, const LoginRequest& request, const std::string& user)
    : QDialog(parent) {
  setObjectName("login-dialog");
  setWindowTitle(T(request.proxy ? "Proxy Login" : "Login"));
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  auto* icon = new QLabel;
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(40, 40));
  icon->setAlignment(Qt::AlignTop);
  top->addWidget(icon);
  // The host and realm are the server's words: shown as plain text, never as markup.
  QString text = T(request.proxy ? "The proxy %1 asks for a user name and password."
                                 : "The server %1 asks for a user name and password.")
                     .arg(Q(request.host));
  if (!request.realm.empty()) text += "\n" + T("It says: \"%1\"").arg(Q(request.realm));
  if (request.retry) text += "\n\n" + T("The user name or password was not accepted. Please try again.");
  auto* label = new QLabel(text);
  label->setObjectName("login-text");
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setMinimumWidth(340);
  top->addWidget(label, 1);
  layout->addLayout(top);
  auto* form = new QFormLayout;
  user_ = new QLineEdit(Q(user));
  user_->setObjectName("login-user");
  password_ = new QLineEdit;
  password_->setObjectName("login-password");
  password_->setEchoMode(QLineEdit::Password);
  form->addRow(T("&User name:"), user_);
  form->addRow(T("&Password:"), password_);
  layout->addLayout(form);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setText(T("Log In"));
  TranslateButtons(buttons);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  (user.empty() ? user_ : password_)->setFocus();
}

std::string QtLoginDialog::user() const { return S(user_->text()); }
std::string QtLoginDialog::password() const { return S(password_->text()); }

bool AskLogin(QWidget* parent, const LoginRequest& request, std::string& user, std::string& password) {
  if (AnsweredUnattended(request.proxy ? "Proxy Login" : "Login", request.host + " " + request.realm)) return false;
  QtLoginDialog d(parent, request, user);
  if (d.exec() != QDialog::Accepted) return false;
  user = d.user();
  password = d.password();
  return true;
}

void PrintPage(QWidget* parent, WebEngineControl& control) {
  if (AnsweredUnattended("Print", control.LocationURL())) return;
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  QPrintDialog d(printer.get(), parent);
  d.setWindowTitle(T("Print"));
  if (d.exec() != QDialog::Accepted) return;
  control.PrintTo(std::move(printer));
}

}  // namespace kestrel
