#pragma once
// The AutoLogin and Form Filler menus on the frame's registry: using an
// entry (menu, Organizer, the "autologin" keyword), the access password,
// the form commands of the active site, and what runs when a site's
// top-level document completes: the auto-fill, then a pending login.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "forms/autologin.h"
#include "forms/form_data.h"
#include "frame/main_frame.h"
#include "platform/shell.h"

namespace kestrel {

class FormsDialogs {
 public:
  virtual ~FormsDialogs() = default;
  // "Please Enter Password": asks again until `tryPassword` takes the text;
  // false when the user cancels.
  virtual bool EnterPassword(const std::function<bool(const std::string&)>& tryPassword) = 0;
  // "Password Protect": OK closes only when `change(old, new, confirm)` agrees.
  using ChangePassword = std::function<bool(const std::string&, const std::string&, const std::string&)>;
  virtual void PasswordProtect(const ChangePassword& change) = 0;
  // The AutoLogin Organizer over its model; true when left with Close.
  virtual bool Organizer(CAutoLoginOrganizer& model, const std::function<void(const std::string&)>& connect) = 0;
  // "Set Active Form Data Files": the chosen names on OK, nullopt on Cancel.
  virtual std::optional<std::vector<std::string>> SetActiveForms(const std::vector<std::string>& files,
                                                                 const std::vector<std::string>& active) = 0;
  // "Available Form Data Files" with Edit and Delete.
  virtual void AvailableForms(std::vector<std::string> files, const std::function<void(const std::string&)>& edit,
                              const std::function<bool(const std::string&)>& remove) = 0;
  // The file to save a form to, nullopt on Cancel.
  virtual std::optional<std::string> SaveFormFile(const std::string& folder, const std::string& proposedName) = 0;
};

// Which names of `active` a list of `files` shows selected (case aside).
std::vector<bool> ActiveFormSelection(const std::vector<std::string>& files, const std::vector<std::string>& active);

class CFormsCommands : private DocumentObserver {
 public:
  struct Parts {
    CMainFrame& frame;
    CMainMenu& menu;
    Settings& settings;
    CAutoLoginList& autoLogin;
    CFormData& formData;
    FormsDialogs& dialogs;
    Shell& shell;
    ProgramFolder formsFolder;  // forms/, the user's own over the installed one
    // The site an entry opens in (a new one or the active one, by the keys).
    std::function<CKestrelView*()> chooseSite;
    std::function<void(const std::string& page)> openHelp;
  };
  explicit CFormsCommands(Parts parts);
  ~CFormsCommands() override;
  CFormsCommands(const CFormsCommands&) = delete;
  CFormsCommands& operator=(const CFormsCommands&) = delete;

  // The AutoLogin menu: fixed items, then one item per entry.
  void RebuildAutoLoginMenu();
  // Uses the entry of that caption, asking for the access password first when needed.
  void UseAutoLogin(const std::string& caption);
  // Opens the entry's page in `site`; its login runs when the page completes.
  void StartLogin(CKestrelView& site, const std::string& caption);
  CAutoLoginAccess& access() { return access_; }

  // The form commands on a site (results arrive when the page answers).
  void FillActiveForm(CKestrelView& site);
  void FillAllForms(CKestrelView& site);
  void SaveActiveForm(CKestrelView& site);

 private:
  void DocumentCompleted(CKestrelView& site) override;
  void RunPendingLogin(CKestrelView& site);
  void SaveForm(const struct ActiveForm& form);
  void SetActiveForms();
  void EditFormFiles();
  // Runs `script` in the site and hands the answer on only while both the
  // site and this object are still there.
  void Ask(CKestrelView& site, const std::string& script, std::function<void(CKestrelView&, const std::string&)> then);

  Parts p_;
  CAutoLoginAccess access_;
  CommandScope commands_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace kestrel
