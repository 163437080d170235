#pragma once
// Recording stand-ins for the dialogs, the windowing side and the profile.
#include <algorithm>
#include <functional>
#include <ostream>
#include <set>
#include <optional>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/tips.h"
#include "downloads/downloads.h"
#include "forms/forms_commands.h"
#include "platform/dialogs.h"
#include "platform/profile.h"
#include "platform/shell.h"

namespace kestrel {
// Readable failure messages for profile values and aliases.
inline void PrintTo(const RegValue& v, std::ostream* os) {
  if (v.type == RegType::String) *os << "string \"" << v.text << "\"";
  if (v.type == RegType::Dword) *os << "dword " << v.dword;
  if (v.type == RegType::Binary) *os << "binary of " << v.bytes.size() << " bytes";
}
inline void PrintTo(const AliasEntry& e, std::ostream* os) { *os << "{\"" << e.alias << "\", \"" << e.fullText << "\"}"; }
}  // namespace kestrel

namespace kestrel::test {

// Records every dialog and message; answers as the test sets.
class FakeDialogs : public Dialogs {
 public:
  std::vector<std::string> shown;  // dialog names and "Message: <text>", in order
  bool answerOk = false;
  bool neverAsk = false;
  bool wizardScripts = false, wizardPopups = true;
  std::function<void(StartupOptions&)> editOptions;
  std::function<void(GeneralOptions&)> editGeneral;
  std::function<void(MiscOptions&)> editMisc;
  MiscOptions shownMisc;  // what the Misc page was filled with
  std::optional<std::string> pressListButton;  // "black" or "white"
  std::function<void(TipsModel&)> useTips;

  bool PresentMessage(const std::string& text, MessageKind kind) override {
    shown.push_back("Message: " + text);
    return kind == MessageKind::Info ? true : answerOk;
  }
  bool DefaultBrowserDialog(bool& never) override {
    shown.push_back("Default Browser");
    never = neverAsk;
    return answerOk;
  }
  bool ConfigurationWizard(bool& scripts, bool& popups) override {
    shown.push_back("Configuration Wizard");
    if (!answerOk) return false;
    scripts = wizardScripts;
    popups = wizardPopups;
    return true;
  }
  void NewsletterDialog() override { shown.push_back("Newsletter"); }
  void DonationDialog() override { shown.push_back("Kestrel Donation"); }
  void TipOfTheDay(TipsModel& tips) override {
    shown.push_back("Tip of the day");
    if (useTips) useTips(tips);
  }
  bool OptionsSheet(StartupOptions& su, GeneralOptions& g, MiscOptions& m,
                    const std::function<void(bool)>& editList) override {
    shown.push_back("Options");
    shownMisc = m;
    if (pressListButton && editList) editList(*pressListButton == "black");
    if (!answerOk) return false;
    if (editOptions) editOptions(su);
    if (editGeneral) editGeneral(g);
    if (editMisc) editMisc(m);
    return true;
  }
  int count(const std::string& name) const {
    return static_cast<int>(std::count(shown.begin(), shown.end(), name));
  }
};

class FakeDefaultBrowser : public DefaultBrowser {
 public:
  bool isDefault = false;
  int registered = 0;
  bool canRegister = true;
  bool IsDefault() const override { return isDefault; }
  bool Register() override {
    ++registered;
    return isDefault = canRegister;
  }
};

// Records what start-up asked of the windowing side, in order.
class FakeHost : public AppHost, public FrameState {
 public:
  std::vector<std::string> calls;
  bool toolkitWorks = true, frameWorks = true, refuseSites = false;
  bool zoomed = false;
  WindowRect rect{10, 20, 810, 620};
  int pane = 0;
  bool statusBar = true;

  bool InitToolkit() override { return note("InitToolkit"), toolkitWorks; }
  void AttachHandoffSocket(int) override { note("AttachHandoffSocket"); }
  bool CreateMainFrame() override { return note("CreateMainFrame"), frameWorks; }
  bool NewSite() override {
    note("NewSite");
    return !refuseSites;
  }
  void NavigateNewestSite(const std::string& url) override { note("Navigate " + url); }
  void ShowFrame(bool maximized) override { note(maximized ? "ShowFrame maximized" : "ShowFrame"); }
  void RestoreBandLayout() override { note("RestoreBandLayout"); }
  void EnableAddressCompletion() override { note("EnableAddressCompletion"); }
  void RestoreFrame() override { note("RestoreFrame"); }
  void OpenTypedLines(const std::string& text, TypedSource source) override {
    note(std::string(source == TypedSource::OtherProcess ? "OpenTypedLines(other) " : "OpenTypedLines ") + text);
  }
  void GoHomeInTargetSite() override { note("GoHome"); }
  void OpenGroup(const std::string& name) override { note("OpenGroup " + name); }
  void OpenInNewSite(const std::string& url) override { note("OpenInNewSite " + url); }
  void CloseAllSites() override { note("CloseAllSites"); }
  void RemoveTrayIcon() override { note("RemoveTrayIcon"); }
  void SetTrayIcon(bool show) override { note(show ? "TrayIcon on" : "TrayIcon off"); }
  void EditFilterList(bool black) override { note(black ? "EditFilterList black" : "EditFilterList white"); }
  void RereadBlankSitesDownloadOptions() override { note("RereadBlankSites"); }
  void DestroyMainFrame() override { note("DestroyMainFrame"); }
  FrameState* frameState() override { return frameWorks ? this : nullptr; }

  int ExplorerPane() const override { return pane; }
  bool StatusBarVisible() const override { return statusBar; }
  WindowRect WindowRectangle() const override { return rect; }
  bool IsZoomed() const override { return zoomed; }

  bool has(const std::string& call) const { return indexOf(call) >= 0; }
  int indexOf(const std::string& call) const {  // -1 when absent
    auto it = std::find(calls.begin(), calls.end(), call);
    return it == calls.end() ? -1 : static_cast<int>(it - calls.begin());
  }

 private:
  void note(std::string c) { calls.push_back(std::move(c)); }
};

// A profile whose writes of the named values fail.
class FailingProfile : public RegistryProfile {
 public:
  std::set<std::string> failNames;
  bool failOpenKey = false;
  bool SetValue(std::string_view key, std::string_view name, RegValue value) override {
    if (failNames.count(std::string(name))) return false;
    return RegistryProfile::SetValue(key, name, std::move(value));
  }
  bool OpenKey(std::string_view key, bool create) override {
    if (failOpenKey) return false;
    return RegistryProfile::OpenKey(key, create);
  }
};

// Installs itself as the message presenter for one scope; questions get `answer`.
class MessageRecorder : public MessagePresenter {
 public:
  explicit MessageRecorder(bool answer = true) : answer_(answer) { SetMessagePresenter(this); }
  ~MessageRecorder() override { SetMessagePresenter(nullptr); }
  std::vector<std::string> messages;
  bool PresentMessage(const std::string& text, MessageKind kind) override {
    messages.push_back(text);
    return kind == MessageKind::Info || answer_;
  }
  // Yes, No or Cancel questions take these answers in turn, then Cancel.
  std::vector<Answer> answers;
  Answer PresentYesNoCancel(const std::string& text) override {
    messages.push_back(text);
    if (answers.empty()) return Answer::Cancel;
    const Answer a = answers.front();
    answers.erase(answers.begin());
    return a;
  }

 private:
  bool answer_;
};

// Remembers what it was asked to start: "<target>" or "<type> <path>".
struct RecordingShell : Shell {
  std::vector<std::string> opened;
  bool succeed = true;
  // Programs that start (all, when not set); a start is recorded either way.
  std::function<bool(const std::string& program)> startable;
  bool Open(const std::string& target) override { return opened.push_back(target), succeed; }
  bool OpenWith(const std::string& type, const std::string& path) override {
    return opened.push_back(type + " " + path), succeed;
  }
  bool OpenWithProgram(const std::string& desktopFile, const std::string& target) override {
    return opened.push_back("with " + desktopFile + " " + target), succeed;
  }
  // "start <program>|<arg>|<arg> @<folder>"
  bool Start(const std::string& program, const std::vector<std::string>& args, const std::string& folder) override {
    std::string line = "start " + program;
    for (const std::string& a : args) line += "|" + a;
    opened.push_back(line + " @" + folder);
    return succeed && (!startable || startable(program));
  }
};

// The AutoLogin and form filler dialogs, answering as the test sets.
struct FakeFormsDialogs : FormsDialogs {
  std::vector<std::string> shown;
  std::vector<std::string> passwords;  // typed into "Please Enter Password", in turn
  std::optional<std::string> saveTo;
  bool EnterPassword(const std::function<bool(const std::string&)>& tryPassword) override {
    shown.push_back("Please Enter Password");
    while (!passwords.empty()) {
      const std::string p = passwords.front();
      passwords.erase(passwords.begin());
      if (tryPassword(p)) return true;
    }
    return false;  // cancelled
  }
  void PasswordProtect(const ChangePassword&) override { shown.push_back("Password Protect"); }
  bool Organizer(CAutoLoginOrganizer&, const std::function<void(const std::string&)>&) override { return true; }
  std::optional<std::vector<std::string>> SetActiveForms(const std::vector<std::string>&,
                                                         const std::vector<std::string>&) override {
    return std::nullopt;
  }
  void AvailableForms(std::vector<std::string>, const std::function<void(const std::string&)>&,
                      const std::function<bool(const std::string&)>&) override {}
  std::optional<std::string> SaveFormFile(const std::string&, const std::string&) override { return saveTo; }
};

// A download as the engine runs it, noting what it is told.
struct FakeJob : DownloadJob {
  std::vector<std::string>* calls;
  explicit FakeJob(std::vector<std::string>* c) : calls(c) {}
  void Pause() override { calls->push_back("pause"); }
  void Resume() override { calls->push_back("resume"); }
  void Cancel() override { calls->push_back("cancel"); }
};

}  // namespace kestrel::test
