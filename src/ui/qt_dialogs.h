#pragma once
// The program's dialogs as Qt windows. With KESTREL_AUTO_DIALOGS=1 in the
// environment (the tests that run the real program), no window is shown:
// each dialog is named on standard error and answered Cancel (a message box
// OK), so an unattended run never waits for a person.
#include <string>

#include "platform/dialogs.h"

class QDialogButtonBox;
class QWidget;

namespace kestrel {

// Whether this run answers its dialogs unattended (KESTREL_AUTO_DIALOGS=1).
bool AutoDialogs();
// In an unattended run, names `dialog` (and `detail`) on standard error and
// returns true: the caller then takes its unattended answer.
bool AnsweredUnattended(const char* dialog, const std::string& detail = {});

// The toolkit's own button texts (OK, Cancel, Close, Yes, No) in the
// interface language.
void TranslateButtons(QDialogButtonBox* box);

class QtDialogs : public Dialogs {
 public:
  void setParentWindow(QWidget* w) { parent_ = w; }

  bool PresentMessage(const std::string& text, MessageKind kind) override;
  Answer PresentYesNoCancel(const std::string& text) override;
  bool ReopenSitesQuestion() override;
  bool DefaultBrowserDialog(bool& neverAsk) override;
  bool ConfigurationWizard(bool& noScriptError, bool& autoClosePopup) override;
  void NewsletterDialog() override;
  void DonationDialog() override;
  void TipOfTheDay(TipsModel& tips) override;
  bool OptionsSheet(StartupOptions& startup, GeneralOptions& general, MiscOptions& misc,
                    const std::function<void(bool black)>& editList) override;

 private:
  bool Auto(const char* dialog, const std::string& detail = {}) const;
  QWidget* parent_ = nullptr;
};

}  // namespace kestrel
