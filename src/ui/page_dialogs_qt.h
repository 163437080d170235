#pragma once
// The questions a page's server or script puts to the user: a login for a
// protected page (or proxy), the print dialog for window.print() and the
// page's own alert(), confirm() and prompt().
#include <QDialog>
#include <memory>
#include <optional>
#include <string>

#include "engine/webengine_control.h"
#include "frame/page_commands.h"
#include "platform/browser_control.h"

class QCheckBox;
class QLineEdit;
class QPageLayout;

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

// A page's alert, confirm or prompt, with "Don't let this page create more
// dialogs" for a page that asks in a loop.
class QtPageDialog : public PageDialogWindow {
 public:
  QtPageDialog(QWidget* parent, const PageDialogRequest& request);
  std::string text() const override;
  bool noMoreDialogs() const override;

 private:
  QLineEdit* text_ = nullptr;
  QCheckBox* stop_ = nullptr;
};

// The window for `request`; unattended, none (the engine then answers
// Cancel, an alert OK).
PageDialogWindow* MakePageDialog(QWidget* parent, const PageDialogRequest& request);

// Asks for the user name and password `request` wants; false for Cancel.
bool AskLogin(QWidget* parent, const LoginRequest& request, std::string& user, std::string& password);

// Shows the print dialog for the page of `control` and prints it on OK, on
// pages laid out as `layout` says (the printer's own when null).
void PrintPage(QWidget* parent, WebEngineControl& control, const QPageLayout* layout = nullptr);

// A proposed file name for a page titled `title`: no character a file name
// cannot hold, at most 120 characters, "page" when nothing is left.
std::string PageFileName(const std::string& title);

// The file, print and properties dialogs of the page commands.
class QtPageDialogs : public PageDialogs {
 public:
  explicit QtPageDialogs(QWidget* parent);
  ~QtPageDialogs() override;
  std::optional<std::string> SavePageFile(const std::string& title, SavePageFormat format) override;
  void Print(CKestrelView& site) override;
  void PrintPreview(CKestrelView& site) override;
  void PageSetup() override;
  void Properties(const PageProperties& page) override;

 private:
  QWidget* parent_;
  std::unique_ptr<QPageLayout> layout_;  // what Page Setup chose, for every print after it
  std::string saveFolder_;               // where the last page was saved
};

}  // namespace kestrel
