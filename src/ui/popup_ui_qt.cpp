#include "ui/popup_ui_qt.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

#include "common/message.h"
#include "common/progdir.h"
#include "common/trace.h"
#include "frame/main_frame.h"
#include "popups/filter_dialog.h"
#include "popups/site_filter.h"
#include "ui/filter_dialog_qt.h"
#include "ui/hidden_sites_qt.h"

namespace kestrel {

QtPopupUi::QtPopupUi(CMainFrame& frame, CSiteFilter& filter, Settings& settings, QWidget* parent,
                     std::function<void(const std::string&)> openHelp)
    : frame_(frame), filter_(filter), settings_(settings), parent_(parent), openHelp_(std::move(openHelp)) {
  frame_.blackListMatch = [this](const std::string& a) { return filter_.BlackListMatch(a); };
  frame_.whiteListMatch = [this](const std::string& a) { return filter_.WhiteListMatch(a); };
  frame_.addToWhiteList = [this](const std::string& a) {
    if (!a.empty()) filter_.AppendWhite(a);
  };
  frame_.popupSound = [this] { PlaySound(); };
  frame_.showHiddenSites = [this] {
    HiddenSitesActions a;
    a.rows = frame_.HiddenSites();
    // The dialog runs while the timer may close blocked sites: every use of
    // a row checks that its site is still there.
    a.show = [this](CKestrelView* v) { frame_.SetSiteHidden(v, true); };
    a.addToWhiteList = [this](CKestrelView* v) {
      if (frame_.IsSiteAlive(v)) frame_.addToWhiteList(v->GetLocationURL());
    };
    a.openHelp = openHelp_;
    RunHiddenSitesDialog(parent_, std::move(a));
  };
  frame_.addSiteToFilter = [this](CKestrelView* v, bool black) {
    auto ask = [this](bool b, const std::string& address, bool& entireDomain, bool& closeNow) {
      return RunAddToListDialog(parent_, b, address, entireDomain, closeNow);
    };
    if (AddSiteToFilter(filter_, black, v->GetLocationURL(), ask) && frame_.IsSiteAlive(v))
      v->OnCommand(ID_FILE_CLOSE);
  };
  frame_.RegisterTarget(CommandTarget::SiteFilter, [this](unsigned id) { return FilterCommand(id); });
}

QtPopupUi::~QtPopupUi() {
  frame_.blackListMatch = nullptr;
  frame_.whiteListMatch = nullptr;
  frame_.addToWhiteList = nullptr;
  frame_.popupSound = nullptr;
  frame_.showHiddenSites = nullptr;
  frame_.addSiteToFilter = nullptr;
  frame_.RegisterTarget(CommandTarget::SiteFilter, nullptr);
}

bool QtPopupUi::FilterCommand(unsigned id) {
  switch (id) {
    case kEnableSiteFilter:
      settings_.AutoCloseFilter = !settings_.AutoCloseFilter;
      return true;
    case kBlackList:
    case kWhiteList: {
      const bool black = id == kBlackList;
      std::vector<std::string> list = black ? filter_.Black() : filter_.White();
      const QString title = QString::fromLatin1(black ? "Black List" : "White List");  // translated by the dialog
      if (RunFilterDialog(parent_, title, list, openHelp_)) {
        if (black)
          filter_.SetBlack(std::move(list));
        else
          filter_.SetWhite(std::move(list));
      }
      return true;
    }
    default:
      return false;
  }
}

void QtPopupUi::PlaySound() {
  ++sounds_;
  Trace("popup-sound", "");
  const QString file = QString::fromStdString(ProgramFile("beep_popup.wav"));
  if (!QFileInfo::exists(file)) return;  // no sound rather than a surprise
  if (!beep_) {
    beep_ = std::make_unique<QSoundEffect>();
    beep_->setSource(QUrl::fromLocalFile(file));
  }
  beep_->play();
}

}  // namespace kestrel
