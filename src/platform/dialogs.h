#pragma once
// The program's own dialogs, as the logic sees them. The Qt implementation
// shows real windows; tests record what was asked and answer as told.
#include <string>
#include <vector>

#include "common/message.h"

namespace kestrel {

// The Start Up page's values, copied in when the sheet opens and back only on OK.
struct StartupOptions {
  bool SUIEHomePage = false;
  bool SUOpenPage = false;
  std::string SUUrl;
  bool SUOpenGroup = false;
  std::string SUGroup;
  bool SUExecScript = false;
  std::string SUScript;
};

class TipsModel;

class Dialogs : public MessagePresenter {
 public:
  // "Default Browser": true for OK; `neverAsk` is the check box.
  virtual bool DefaultBrowserDialog(bool& neverAsk) = 0;
  // "Configuration Wizard": true for OK, with the two boxes as edited.
  virtual bool ConfigurationWizard(bool& noScriptError, bool& autoClosePopup) = 0;
  virtual void NewsletterDialog() = 0;
  virtual void DonationDialog() = 0;
  virtual void TipOfTheDay(TipsModel& tips) = 0;
  // "Options": true for OK.
  virtual bool OptionsSheet(StartupOptions& startup) = 0;
};

}  // namespace kestrel
