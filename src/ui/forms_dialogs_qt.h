#pragma once
// The AutoLogin and form filler dialogs as Qt windows over their models.
#include <QDialog>
#include <functional>
#include <string>

#include "forms/forms_commands.h"

class QLineEdit;
class QListWidget;

namespace kestrel {

// The AutoLogin Organizer: the captions on the left, the entry's fields on
// the right, the buttons beside them. Every button works on the model at once.
class QtAutoLoginOrganizer : public QDialog {
 public:
  QtAutoLoginOrganizer(QWidget* parent, CAutoLoginOrganizer& model, std::function<void(const std::string&)> connect,
                       std::function<void()> help);

 private:
  void ShowList();
  void ShowFields();
  void TakeFields();
  CAutoLoginOrganizer& model_;
  QListWidget* list_ = nullptr;
  QLineEdit *caption_, *url_, *form_, *data_, *password_, *reenter_;
  bool filling_ = false;
};

class QtFormsDialogs : public FormsDialogs {
 public:
  QtFormsDialogs(QWidget* parent, std::function<void(const std::string&)> openHelp)
      : parent_(parent), openHelp_(std::move(openHelp)) {}
  bool EnterPassword(const std::function<bool(const std::string&)>& tryPassword) override;
  void PasswordProtect(const ChangePassword& change) override;
  bool Organizer(CAutoLoginOrganizer& model, const std::function<void(const std::string&)>& connect) override;
  std::optional<std::vector<std::string>> SetActiveForms(const std::vector<std::string>& files,
                                                         const std::vector<std::string>& active) override;
  void AvailableForms(std::vector<std::string> files, const std::function<void(const std::string&)>& edit,
                      const std::function<bool(const std::string&)>& remove) override;
  std::optional<std::string> SaveFormFile(const std::string& folder, const std::string& proposedName) override;

 private:
  QWidget* parent_;
  std::function<void(const std::string&)> openHelp_;
};

}  // namespace kestrel
