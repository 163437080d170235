#pragma once
// The program's own dialogs, as the logic sees them. The Qt implementation
// shows real windows; tests record what was asked and answer as told.
#include <functional>
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

// The General page of the Options sheet.
struct GeneralOptions {
  bool AutoClosePopup = false;
  bool RecPPTime = true;
  bool RecPPLook = false;
  bool BeepPopup = true;
  bool AutoCloseFilter = true;
  bool NoScriptError = true;
  bool AutoNew = true;
  bool ShowTrayIcon = false;
  bool operator==(const GeneralOptions&) const = default;
};

// The Misc page: the download control new sites start with, the favorites
// menu's columns and the mouse side buttons.
struct MiscOptions {
  bool showPictures = true;
  bool playVideos = true;
  bool playSounds = true;
  bool executeScripts = true;
  bool executeJava = true;
  bool enableActiveX = true;
  bool breakFavorites = true;
  int favoritesBreakNum = 30;
  bool sideButtons = true;
  bool operator==(const MiscOptions&) const = default;
};

class TipsModel;

inline constexpr const char* kReopenSitesQuestion =
    "Kestrel did not shut down properly. Reopen the sites that were open?";

class Dialogs : public MessagePresenter {
 public:
  // Asked at a start after an abnormal end: true to reopen the sites.
  virtual bool ReopenSitesQuestion() { return PresentMessage(TranslateMessage(kReopenSitesQuestion), MessageKind::YesNo); }
  // "Default Browser": true for OK; `neverAsk` is the check box.
  virtual bool DefaultBrowserDialog(bool& neverAsk) = 0;
  // "Configuration Wizard": true for OK, with the two boxes as edited.
  virtual bool ConfigurationWizard(bool& noScriptError, bool& autoClosePopup) = 0;
  virtual void NewsletterDialog() = 0;
  virtual void DonationDialog() = 0;
  virtual void TipOfTheDay(TipsModel& tips) = 0;
  // "Options": true for OK.
  // The General page's "Black List..." and "White List..." buttons call
  // `editList` with true for the black list.
  virtual bool OptionsSheet(StartupOptions& startup, GeneralOptions& general, MiscOptions& misc,
                            const std::function<void(bool black)>& editList) = 0;
};

}  // namespace kestrel
