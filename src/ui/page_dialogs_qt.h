#pragma once
// The questions a page's server or script puts to the user: a login for a
// protected page (or proxy) and the print dialog for window.print().
#include <QDialog>
#include <string>

#include "platform/browser_control.h"

class QLineEdit;

namespace kestrel {

class WebEngineControl;

class QtLoginDialog : public QDialog {
 public:
  // `user` is the name proposed (the one tried last).
  QtLoginDialog(QWidget* parent, const LoginRequest& request, const std::string& user);
  std::string user() const;
  std::string password() const;

 private:
  QLineEdit* user_ = nullptr;
  QLineEdit* password_ = nullptr;
};

// Asks for the user name and password `request` wants; false for Cancel.
bool AskLogin(QWidget* parent, const LoginRequest& request, std::string& user, std::string& password);

// Shows the print dialog for the page of `control` and prints it on OK.
void PrintPage(QWidget* parent, WebEngineControl& control);

}  // namespace kestrel
