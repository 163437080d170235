#include "forms/forms_commands.h"

#include <cstdio>

#include "common/message.h"
#include "common/strings.h"
#include "common/textfile.h"
#include "common/trace.h"
#include "forms/form_scripts.h"

namespace kestrel {

std::vector<bool> ActiveFormSelection(const std::vector<std::string>& files, const std::vector<std::string>& active) {
  std::vector<bool> selected(files.size(), false);
  for (const std::string& name : active)
    for (std::size_t i = 0; i < files.size(); ++i)
      if (EqualsNoCase(files[i], name)) {
        selected[i] = true;
        break;
      }
  return selected;
}

CFormsCommands::CFormsCommands(Parts parts)
    : p_(std::move(parts)), access_(p_.settings.AccessPassword), commands_(p_.frame.commands()) {
  CommandScope& r = commands_;
  r.Add(ID_ORGANIZE_AUTOLOGIN, [this](const CommandContext&) {
    CAutoLoginOrganizer model(p_.autoLogin);
    if (p_.dialogs.Organizer(model, [this](const std::string& caption) { UseAutoLogin(caption); }))
      RebuildAutoLoginMenu();
  });
  r.Add(ID_AUTOLOGIN_PASSWORD, [this](const CommandContext&) {
    p_.dialogs.PasswordProtect([this](const std::string& old, const std::string& now, const std::string& confirm) {
      return access_.ChangePassword(old, now, confirm);
    });
  });
  r.Add(ID_AUTOLOGIN_PROTECT_NOW, [this](const CommandContext&) { access_.ProtectNow(); },
        [this](const CommandContext&) { return CommandState{access_.unlocked(), false}; });
  r.Add(kAutoLoginCommands.first, kAutoLoginCommands.last, [this](const CommandContext& c) {
    // The item's own text names the entry: two entries of one caption both reach the first.
    if (const MenuItem* menu = p_.menu.FindPopup({"AutoLogin"})) {
      const std::string caption = p_.menu.DynamicText(*menu, c.id);
      if (!caption.empty()) UseAutoLogin(caption);
    }
  });

  r.Add(ID_FILL_ACTIVE_FORM, [this](const CommandContext& c) { FillActiveForm(*c.site); }, CommandRegistry::NeedsSite);
  r.Add(ID_FILL_ALL_FORMS, [this](const CommandContext& c) {
    if (c.site) FillAllForms(*c.site);
  });
  r.Add(ID_SAVE_ACTIVE_FORM, [this](const CommandContext& c) { SaveActiveForm(*c.site); }, CommandRegistry::NeedsSite);
  r.Add(ID_SET_ACTIVE_FORMS, [this](const CommandContext&) { SetActiveForms(); });
  r.Add(ID_EDIT_FORM_DATA, [this](const CommandContext&) { EditFormFiles(); });
  r.Add(ID_AUTO_FILL, [this](const CommandContext&) { p_.settings.AutoFill = !p_.settings.AutoFill; },
        CommandRegistry::Checked([this] { return p_.settings.AutoFill; }));

  RebuildAutoLoginMenu();
  p_.frame.AddDocumentObserver(this);
}

CFormsCommands::~CFormsCommands() {
  *alive_ = false;
  p_.frame.RemoveDocumentObserver(this);
}

void CFormsCommands::RebuildAutoLoginMenu() {
  const MenuItem* menu = p_.menu.FindPopup({"AutoLogin"});
  if (!menu) return;
  std::vector<std::string> captions;
  for (const AutoLoginEntry& e : p_.autoLogin.entries()) captions.push_back(e.caption);
  const std::size_t shown = p_.menu.RebuildRange(*menu, captions);
  if (shown < captions.size())
    Trace("autologin", std::to_string(captions.size() - shown) + " entries past the menu's room; the Organizer has them");
}

void CFormsCommands::UseAutoLogin(const std::string& caption) {
  if (access_.MustAsk() && !p_.dialogs.EnterPassword([this](const std::string& t) { return access_.TryPassword(t); }))
    return;
  access_.Unlock();
  if (CKestrelView* site = p_.chooseSite ? p_.chooseSite() : nullptr) StartLogin(*site, caption);
}

void CFormsCommands::StartLogin(CKestrelView& site, const std::string& caption) {
  const AutoLoginEntry* entry = p_.autoLogin.Find(caption);
  if (!entry) return;
  site.SetPendingAutoLogin(caption);
  site.Navigate(entry->url);
}

void CFormsCommands::DocumentCompleted(CKestrelView& site) {
  if (p_.settings.AutoFill && !p_.formData.entries().empty()) FillAllForms(site);
  RunPendingLogin(site);
}

void CFormsCommands::RunPendingLogin(CKestrelView& site) {
  const std::string caption = site.pendingAutoLogin();
  if (caption.empty() || site.IsSiteBlank()) return;  // a blank page on the way keeps it waiting
  site.SetPendingAutoLogin("");
  const AutoLoginEntry* entry = p_.autoLogin.Find(caption);
  if (!entry) return;
  // The password goes only to the site it belongs to: a user who went
  // elsewhere before the login page came must not have it typed in there.
  const std::string page = site.GetLocationURL();
  if (!SameLoginOrigin(entry->url, page)) {
    Trace("autologin", "dropped \"" + caption + "\": " + page + " is not the entry's site");
    return;
  }
  std::string script;
  switch (BuildLoginScript(*entry, script)) {
    case LoginScript::NothingToDo: return;
    case LoginScript::SyntaxError: ShowMessage("Syntax error in autologin data!"); return;
    case LoginScript::Built: break;
  }
  site.control().ExecOwnScript(script, [caption](const std::string& r) {
    if (r.empty()) Trace("autologin", "the login script of \"" + caption + "\" failed in the page");
  });
}

void CFormsCommands::Ask(CKestrelView& site, const std::string& script,
                         std::function<void(CKestrelView&, const std::string&)> then) {
  std::weak_ptr<bool> alive = alive_;
  CKestrelView* s = &site;
  site.control().ExecOwnScript(script, [this, alive, s, then = std::move(then)](const std::string& answer) {
    const std::shared_ptr<bool> live = alive.lock();
    if (!live || !*live || !p_.frame.IsSiteAlive(s)) return;
    then(*s, answer);
  });
}

void CFormsCommands::FillActiveForm(CKestrelView& site) {
  Ask(site, FillFormsScript(p_.formData.FillPairs(), true), [](CKestrelView&, const std::string& answer) {
    if (answer == "-1") ShowMessage(kNoActiveForm);
  });
}

void CFormsCommands::FillAllForms(CKestrelView& site) {
  site.control().ExecOwnScript(FillFormsScript(p_.formData.FillPairs(), false), nullptr);
}

void CFormsCommands::SaveActiveForm(CKestrelView& site) {
  Ask(site, ReadActiveFormScript(), [this](CKestrelView&, const std::string& answer) {
    const std::optional<ActiveForm> form = ParseActiveForm(answer);
    if (!form) {
      ShowMessage(kNoActiveForm);
      return;
    }
    SaveForm(*form);
  });
}

void CFormsCommands::SaveForm(const ActiveForm& form) {
  MakeDirectories(p_.formsFolder.SaveFolder());
  const std::optional<std::string> path = p_.dialogs.SaveFormFile(p_.formsFolder.SaveFolder(), form.name);
  if (!path || path->empty()) return;
  FormFieldList list;
  if (FileExists(*path)) {
    switch (AskYesNoCancel("Do you wish to merge with existing entries?\r\nChoose <No> will clear existing entries.")) {
      case Answer::Cancel: return;
      case Answer::Yes: ReadFormDataFile(*path, list, true); break;
      case Answer::No: break;
    }
  }
  const AskUpdate ask = [](const std::string& question) { return ShowMessage(question, MessageKind::YesNo); };
  for (const auto& [name, value] : form.fields) MergeFormField(list, name, value, ask);
  if (!WriteFormDataFile(list, *path)) ShowMessage("Can't save the form data file " + *path + "!");
}

void CFormsCommands::SetActiveForms() {
  const std::vector<std::string> files = ListFormFiles(p_.formsFolder);
  const std::optional<std::vector<std::string>> chosen = p_.dialogs.SetActiveForms(files, p_.settings.ActiveFormList);
  if (!chosen) return;
  p_.settings.ActiveFormList = *chosen;
  p_.formData.Load(p_.formsFolder, p_.settings.ActiveFormList);
}

void CFormsCommands::EditFormFiles() {
  const ProgramFolder folder = p_.formsFolder;
  p_.dialogs.AvailableForms(
      ListFormFiles(folder),
      [this, folder](const std::string& name) {
        const std::string found = FormFilePath(folder, name);
        const std::string path = folder.EditablePath(found);
        // With the desktop's text editor; the loaded data stays as it is.
        if (path.empty() || !p_.shell.OpenWith("text/plain", path))
          ShowMessage("Can't open " + (path.empty() ? found : path) + "!");
      },
      [folder](const std::string& name) {
        const std::string path = FormFilePath(folder, name);
        if (folder.IsInstalledPath(path)) {
          ShowMessage("The form data file " + path + " is installed with Kestrel for every user and cannot be deleted.");
          return false;
        }
        if (std::remove(path.c_str()) == 0) return true;
        ShowMessage("Can't delete " + path + "!");
        return false;
      });
}

}  // namespace kestrel
