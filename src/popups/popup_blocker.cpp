#include "popups/popup_blocker.h"

#include "common/message.h"
#include "common/progdir.h"
#include "common/trace.h"
#include "popups/filter_dialog.h"

namespace kestrel {

CPopupBlocker::CPopupBlocker(CMainFrame& frame, CSiteFilter& filter, Settings& settings, Sound& sound, PopupUi& ui)
    : frame_(frame), filter_(filter), settings_(settings), sound_(sound), ui_(ui), commands_(frame.commands()) {
  frame_.SetPopupGuard(this);
  frame_.AddSiteObserver(this);
  RegisterCommands();
}

CPopupBlocker::~CPopupBlocker() {
  frame_.RemoveSiteObserver(this);
  frame_.SetPopupGuard(nullptr);
}

void CPopupBlocker::RegisterCommands() {
  using R = CommandRegistry;
  CommandScope& r = commands_;
  r.Add(ID_BLOCK_POPUP, [this](const CommandContext&) { settings_.AutoClosePopup = !settings_.AutoClosePopup; },
        R::Checked([this] { return settings_.AutoClosePopup; }));
  r.Add(ID_RESTORE_LAST_POPUP, [this](const CommandContext&) { RestoreLastPopup(); });
  r.Add(ID_HIDDEN_SITES, [this](const CommandContext&) {
    HiddenSitesActions a;
    a.rows = HiddenSites();
    a.show = [this](CKestrelView* v) { SetSiteHidden(v, true); };
    a.addToWhiteList = [this](CKestrelView* v) {
      if (frame_.IsSiteAlive(v)) AddToWhiteList(v->GetLocationURL());
    };
    a.openHelp = [this](const std::string& page) { frame_.OpenHelpPage(page); };
    ui_.HiddenSites(std::move(a));
  });
  r.Add(ID_HIDE_SITE, [this](const CommandContext& c) { SetSiteHidden(c.site, false); }, R::NeedsSite);
  r.Add(ID_ENABLE_SITE_FILTER, [this](const CommandContext&) { settings_.AutoCloseFilter = !settings_.AutoCloseFilter; },
        R::Checked([this] { return settings_.AutoCloseFilter; }));
  r.Add(ID_BLACK_LIST, [this](const CommandContext&) { EditList(true); });
  r.Add(ID_WHITE_LIST, [this](const CommandContext&) { EditList(false); });
  r.Add(ID_ADD_WHITE_LIST, [this](const CommandContext& c) { AddSiteToFilter(c.site, false); }, R::NeedsSite);
  r.Add(ID_ADD_BLACK_LIST, [this](const CommandContext& c) { AddSiteToFilter(c.site, true); }, R::NeedsSite);
}

// --- what explains a new window ------------------------------------------------

ClickTracker& CPopupBlocker::Clicks(CKestrelView& site) {
  auto& tracker = clicks_[&site];
  if (!tracker) tracker = std::make_unique<ClickTracker>();
  return *tracker;
}

void CPopupBlocker::Pressed(CKestrelView& site, int id, bool rightButton) {
  Clicks(site).Press(id, rightButton, frame_.clock().NowMs());
}

void CPopupBlocker::PressTarget(CKestrelView& site, int id, const std::string& tag, bool textField) {
  Clicks(site).Target(id, tag, textField);
}

void CPopupBlocker::EnterPressed(CKestrelView& site) { Clicks(site).Enter(frame_.clock().NowMs()); }

void CPopupBlocker::LeftPage(CKestrelView& site) { Clicks(site).Reset(); }

void CPopupBlocker::WindowOpened(CKestrelView& opener, CKestrelView& site) {
  CMainFrame& frame = frame_;
  CKestrelView* opened = &site;
  const bool timing = settings_.AutoClosePopup && settings_.RecPPTime;
  // Judged in order with the clicks before it, now or once they are known;
  // by then the new site may be gone.
  Clicks(opener).NewWindow(frame_.clock().NowMs(), timing, [&frame, opened](bool suspect) {
    if (frame.IsSiteAlive(opened)) opened->TimingDecided(suspect);
  });
}

void CPopupBlocker::OnTimer(unsigned tick) {
  // A page that never answers what was under a click must not hold its
  // popups back for ever.
  const std::int64_t nowMs = frame_.clock().NowMs();
  for (CKestrelView* v : std::vector<CKestrelView*>(frame_.sites().sites())) {
    auto it = clicks_.find(v);
    if (it != clicks_.end()) it->second->Expire(nowMs);
  }
  if (tick % kSweepTicks != 0) return;
  const std::int64_t now = frame_.clock().CalendarSeconds();
  frame_.CloseSitesWhere(
      [now](const CKestrelView& v) { return v.popup().blocked && now - v.popup().created > kBlockedLifetime; });
}

// --- the verdict ---------------------------------------------------------------

bool CPopupBlocker::IsSuspect(const CKestrelView& v, const NavigateRequest& r) const {
  if (v.popup().allowed || !settings_.AutoClosePopup) return false;
  const BrowserControl& c = v.control();
  const bool looksLikePopup = settings_.RecPPLook && (!c.MenuBar() || !c.ToolBar() || !c.AddressBar());
  const bool black = filter_.BlackListMatch(r.url);
  if (!looksLikePopup && !v.popup().openedAsSuspect && !black) return false;
  return !filter_.WhiteListMatch(r.url);
}

bool CPopupBlocker::Judge(CKestrelView& site, const NavigateRequest& request) {
  if (!IsSuspect(site, request)) return false;
  site.SetBlocked(true);
  Blocked(site);
  return true;
}

void CPopupBlocker::Blocked(CKestrelView& site) {
  Trace("popup-blocked", site.control().LocationURL());
  if (settings_.BeepPopup) {
    ++sounds_;
    Trace("popup-sound", "");
    sound_.Play(ProgramFile("beep_popup.wav"));
  }
  frame_.StartBlink();
}

// --- restoring and hiding --------------------------------------------------------

void CPopupBlocker::SetSiteHidden(CKestrelView* site, bool show) {
  if (!frame_.IsSiteAlive(site)) return;
  if (show) {
    site->SetHiddenByUser(false);
    frame_.ShowHiddenSite(site);
    site->SetBlocked(false);
    return;
  }
  if (site->IsSiteBlank()) {
    ShowMessage("No need to hide a blank site,  right?");
    return;
  }
  site->SetHiddenByUser(true);
  const bool onlyVisible = site->frame().IsVisible() && frame_.VisibleSiteCount() == 1;
  frame_.HideSite(site);
  // A frame without a visible site would show nothing at all.
  if (onlyVisible)
    if (CKestrelView* v = frame_.CreateSite()) v->Navigate("about:blank");
}

void CPopupBlocker::RestoreLastPopup() {
  CKestrelView* found = nullptr;
  const auto& list = frame_.sites().sites();
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    if ((*it)->popup().blocked) {
      found = *it;
      break;
    }
  if (!found) {
    ShowMessage("No hidden popup windows found!");
    return;
  }
  found->AllowPopup();
  SetSiteHidden(found, true);
  if (ShowMessage("You've just recovered a popup suspect.\r\nDo you want to add it into white list?",
                  MessageKind::YesNo) &&
      frame_.IsSiteAlive(found))
    AddToWhiteList(found->GetLocationURL());
}

std::vector<HiddenSiteRow> CPopupBlocker::HiddenSites() const {
  std::vector<HiddenSiteRow> rows;
  const auto& list = frame_.sites().sites();
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    CKestrelView* v = *it;
    if (!v->frame().IsVisible())
      rows.push_back({v, v->control().LocationName(), v->popup().blocked, v->GetLocationURL()});
  }
  return rows;
}

// --- the site filter's commands ------------------------------------------------------

void CPopupBlocker::AddToWhiteList(const std::string& address) {
  if (!address.empty()) filter_.AppendWhite(address);
}

void CPopupBlocker::AddSiteToFilter(CKestrelView* site, bool black) {
  if (!frame_.IsSiteAlive(site)) return;
  auto ask = [this](bool b, const std::string& address, bool& entireDomain, bool& closeNow) {
    return ui_.AddToList(b, address, entireDomain, closeNow);
  };
  if (kestrel::AddSiteToFilter(filter_, black, site->GetLocationURL(), ask) && frame_.IsSiteAlive(site)) site->Close();
}

void CPopupBlocker::EditList(bool black) {
  std::vector<std::string> list = black ? filter_.Black() : filter_.White();
  if (!ui_.EditList(black, list)) return;
  if (black)
    filter_.SetBlack(std::move(list));
  else
    filter_.SetWhite(std::move(list));
}

}  // namespace kestrel
