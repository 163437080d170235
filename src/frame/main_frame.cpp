#include "frame/main_frame.h"

#include <algorithm>

#include "common/message.h"
#include "common/trace.h"
#include "common/strings.h"

namespace kestrel {

struct CMainFrame::Site {
  ChildWindow* window = nullptr;
  std::unique_ptr<CKestrelView> view;
};

namespace {

using T = CommandTarget;

// Single ids are ranges of one. Earlier rows win where rows overlap.
const std::vector<CommandRoute> kRoutes = {
    // The frame's own commands.
    {57601, 57601, T::Frame}, {32900, 32900, T::Frame}, {32850, 32850, T::Frame}, {32790, 32790, T::Frame},
    {32949, 32949, T::Frame}, {32951, 32951, T::Frame}, {32838, 32838, T::Frame}, {32916, 32916, T::Frame},
    {32971, 32972, T::Frame}, {32877, 32877, T::Frame}, {32815, 32815, T::Frame}, {32810, 32810, T::Frame},
    {32808, 32808, T::Frame}, {32987, 32987, T::Frame}, {2, 2, T::Frame},
    {32843, 32843, T::Frame}, {32852, 32852, T::Frame}, {32883, 32883, T::Frame}, {32984, 32984, T::Frame},
    {32988, 32988, T::Frame}, {32979, 32979, T::Frame}, {32827, 32827, T::Frame}, {32985, 32985, T::Frame},
    {32842, 32842, T::Frame},
    // The application's commands.
    {57600, 57600, T::App}, {32839, 32839, T::App}, {57666, 57666, T::App}, {32837, 32837, T::App},
    // Routed to other subsystems.
    {32809, 32809, T::Favorites}, {32811, 32811, T::Favorites}, {32973, 32974, T::Favorites},
    {8192, 8447, T::Groups}, {32845, 32845, T::Groups}, {32885, 32886, T::Groups},
    {8448, 8703, T::AutoLogin}, {32887, 32889, T::AutoLogin},
    {8704, 8959, T::Scripts},
    {8960, 8991, T::Mail}, {32871, 32876, T::Mail},
    {8992, 9023, T::Translation}, {32967, 32967, T::Translation}, {32854, 32855, T::Translation},
    {32858, 32859, T::Translation},
    {9024, 9087, T::Language},
    {32822, 32822, T::Forms}, {32844, 32844, T::Forms}, {32884, 32884, T::Forms},
    {32848, 32848, T::Popups}, {32861, 32862, T::Popups},
    {32878, 32879, T::SiteFilter}, {32881, 32881, T::SiteFilter},
    {32880, 32880, T::HostCustomisation},
    {32882, 32882, T::QuickSearch}, {1002, 1002, T::QuickSearch},
    {32939, 32939, T::Aliases},
    {32917, 32938, T::Address}, {1, 1, T::Address},
    {32869, 32869, T::DefaultBrowser},
    {32870, 32870, T::CleanTrace}, {32912, 32914, T::CleanTrace},
    {32954, 32960, T::ExternalPrograms},
    {32894, 32899, T::Skins},
    {32902, 32902, T::Panes}, {32907, 32907, T::Panes}, {32910, 32911, T::Panes},
    {32961, 32962, T::Toolbars}, {32964, 32966, T::Toolbars}, {59392, 59393, T::Toolbars},
    // Drop-down buttons chosen as plain commands do nothing.
    {32792, 32793, T::Nothing}, {32970, 32970, T::Nothing}, {32969, 32969, T::Nothing},
    {61206, 61213, T::Nothing}, {32860, 32860, T::Nothing}, {32975, 32975, T::Nothing},
    // Page commands of the active site.
    {32787, 32789, T::ActiveSite}, {32778, 32779, T::ActiveSite}, {32813, 32813, T::ActiveSite},
    {57602, 57602, T::ActiveSite}, {32915, 32915, T::ActiveSite}, {33016, 33017, T::ActiveSite},
    {32863, 32863, T::ActiveSite},
};

}  // namespace

const std::vector<CommandRoute>& CommandRoutes() { return kRoutes; }

CommandTarget RouteOf(unsigned id) {
  for (const CommandRoute& r : kRoutes)
    if (id >= r.first && id <= r.last) return r.target;
  // Everything else is a page command for the active site.
  return T::ActiveSite;
}

CMainFrame::CMainFrame(FrameWindow& window, Profile& profile, Settings& settings, const Clock& clock,
                       const KeyState& keys)
    : window_(window), profile_(profile), settings_(settings), clock_(clock), keys_(keys) {
  status_.onShow = [this](bool shown) { window_.SetProgressVisible(shown); };
  targets_[T::Popups] = [this](unsigned id) { return PopupCommand(id); };
}

CMainFrame::~CMainFrame() {
  // The controls may outlive their views by a moment; they must not call back.
  for (auto& site : owned_) site->view->control().SetEvents(nullptr);
}

void CMainFrame::RegisterTarget(CommandTarget target, Handler handler) {
  if (handler)
    targets_[target] = std::move(handler);
  else
    targets_.erase(target);
}

bool CMainFrame::OnCommand(unsigned id) {
  try {
    CommandTarget target = RouteOf(id);
    if (target == T::Frame) return OwnCommand(id);
    if (target == T::Nothing) return true;
    if (target == T::ActiveSite) {
      CKestrelView* v = ActiveView();
      if (v && v->OnCommand(id)) return true;
    }
    auto it = targets_.find(target);
    return it != targets_.end() && it->second(id);
  } catch (...) {
    // A failing handler leaves the program running; the command just has no effect.
    return false;
  }
}

bool CMainFrame::OwnCommand(unsigned id) {
  switch (id) {
    case ID_NEXT_WINDOW:
      SwitchSite(true);
      return true;
    case ID_PREV_WINDOW:
      SwitchSite(false);
      return true;
    case ID_CLOSE_ALL:
      CloseAll();
      return true;
    case ID_CLOSE_BLANK_FAILED:
      CloseBlankAndFailed();
      return true;
    case ID_STOP_ALL:
    case ID_REFRESH_ALL: {
      unsigned siteCmd = id == ID_STOP_ALL ? ID_VIEW_STOP : ID_VIEW_REFRESH;
      for (CKestrelView* v : siteList_) PostCommand(v, siteCmd);
      return true;
    }
    case ID_FULL_SCREEN:
      ToggleFullScreen();
      return true;
    case ID_WORK_OFFLINE:
      ToggleWorkOffline();
      return true;
    case ID_ALWAYS_NEW:
      settings_.AutoNew = !settings_.AutoNew;
      return true;
    default: {
      // The Open dialog, home page, clipboard, web search, the Address Bar
      // keys and the product's web pages belong to whoever registered for them.
      auto it = targets_.find(T::Frame);
      return it != targets_.end() && it->second(id);
    }
  }
}

// --- timer -----------------------------------------------------------------

void CMainFrame::OnTimer(unsigned id) {
  if (id != kTimerId) return;
  ++ticks_;
  if (blink_ >= 0 && blink_ <= 7) {
    ++blink_;
    window_.SetBlockPopupAlternate(blink_ % 2 == 1);
  }
  // A page that never answers what was under a click must not hold its
  // popups back for ever.
  const std::int64_t nowMs = clock_.NowMs();
  for (CKestrelView* v : std::vector<CKestrelView*>(siteList_))
    if (Alive(v)) v->m_clicks.Expire(nowMs);
  if (ticks_ % 20 == 0) {
    const std::int64_t now = clock_.CalendarSeconds();
    // Copy: closing changes the list.
    std::vector<CKestrelView*> list = siteList_;
    for (CKestrelView* v : list)
      if (Alive(v) && v->m_bSuspectHidden && now - v->m_tCreated > 60) v->OnCommand(ID_FILE_CLOSE);
  }
  if (ticks_ % 2 == 0 && !window_.IsMinimized()) window_.UpdateCommandStates();
}

// --- sites -----------------------------------------------------------------

CMainFrame::Site* CMainFrame::Find(CKestrelView* view) const {
  for (const auto& s : owned_)
    if (s->view.get() == view) return s.get();
  return nullptr;
}

bool CMainFrame::Alive(const CKestrelView* view) const {
  return std::find(siteList_.begin(), siteList_.end(), view) != siteList_.end();
}

CKestrelView* CMainFrame::SiteOf(ChildWindow* window) const {
  for (const auto& s : owned_)
    if (s->window == window && Alive(s->view.get())) return s->view.get();
  return nullptr;
}

CKestrelView* CMainFrame::CreateSite() {
  if (siteList_.size() >= kMaxSites) {
    Trace("site-refused", std::to_string(siteList_.size()));
    return nullptr;
  }
  ChildWindow* w = nullptr;
  BrowserControl* c = nullptr;
  if (!window_.CreateSiteWindow(w, c) || !w || !c) {
    if (w) window_.DestroySiteWindow(w);
    return nullptr;
  }
  auto site = std::make_unique<Site>();
  site->window = w;
  site->view = std::make_unique<CKestrelView>(*this, *w, *c);
  c->SetEvents(site->view.get());
  CKestrelView* v = site->view.get();
  owned_.push_back(std::move(site));
  siteList_.push_back(v);
  // With no site active, the new one is: typed text and the start-up
  // options then go to it (a blank site is reused) instead of opening more.
  if (!ActiveView()) active_ = v;
  Trace("site-created", std::to_string(siteList_.size()));
  return v;
}

CKestrelView* CMainFrame::NewestSite() const { return siteList_.empty() ? nullptr : siteList_.back(); }

CKestrelView* CMainFrame::ActiveView() const { return Alive(active_) ? active_ : nullptr; }

int CMainFrame::VisibleSiteCount() const {
  int n = 0;
  for (CKestrelView* v : siteList_)
    if (v->frame().IsVisible()) ++n;
  return n;
}

void CMainFrame::OnSiteActivated(ChildWindow* window) {
  CKestrelView* v = SiteOf(window);
  if (!v) return;
  active_ = v;
  v->OnActivate();
  UpdateCaption();
}

void CMainFrame::OnSiteCloseRequested(ChildWindow* window) {
  if (CKestrelView* v = SiteOf(window)) v->OnCommand(ID_FILE_CLOSE);
}

void CMainFrame::SiteClosed(CKestrelView* site) {
  auto it = std::find(siteList_.begin(), siteList_.end(), site);
  if (it == siteList_.end()) return;
  siteList_.erase(it);
  RemoveTab(site);
  if (active_ == site) {
    active_ = nullptr;
    // The next site in tab order takes over, as the MDI client would choose one.
    for (int i = 0; i < tabBar_.count(); ++i)
      if (CKestrelView* v = tabBar_.site(i); v->frame().IsVisible()) {
        window_.ActivateSite(&v->frame().window());
        OnSiteActivated(&v->frame().window());
        break;
      }
  }
  // The objects go once the event that closed the site has returned: the
  // control may still be inside one of its own callbacks.
  window_.Post([this, site] {
    auto owned = std::find_if(owned_.begin(), owned_.end(), [site](const auto& s) { return s->view.get() == site; });
    if (owned == owned_.end()) return;
    std::unique_ptr<Site> dying = std::move(*owned);
    owned_.erase(owned);
    dying->view->control().SetEvents(nullptr);
    ChildWindow* w = dying->window;
    dying->view.reset();
    window_.DestroySiteWindow(w);
  });
  UpdateCaption();
}

void CMainFrame::PostCommand(CKestrelView* site, unsigned id) {
  window_.Post([this, site, id] {
    if (Alive(site)) site->OnCommand(id);
  });
}

void CMainFrame::SendToOtherSites(CKestrelView* except, unsigned id) {
  std::vector<CKestrelView*> list = siteList_;
  for (CKestrelView* v : list)
    if (v != except && Alive(v)) v->OnCommand(id);
}

void CMainFrame::CloseAll() {
  std::vector<CKestrelView*> list = siteList_;
  for (CKestrelView* v : list)
    if (Alive(v)) v->OnCommand(ID_FILE_CLOSE);
}

void CMainFrame::CloseBlankAndFailed() {
  std::vector<CKestrelView*> list = siteList_;
  for (CKestrelView* v : list)
    if (Alive(v) && (v->IsSiteBlank() || v->IsSiteFailed())) v->OnCommand(ID_FILE_CLOSE);
}

void CMainFrame::SwitchSite(bool next) {
  CKestrelView* active = ActiveView();
  int j = next ? tabBar_.NextIndex(active) : tabBar_.PrevIndex(active);
  if (j >= 0) OnTabSelected(j);
}

void CMainFrame::OnTabSelected(int index) {
  CKestrelView* v = index >= 0 && index < tabBar_.count() ? tabBar_.site(index) : nullptr;
  if (!Alive(v)) return;
  ChildWindow* w = &v->frame().window();
  window_.ActivateSite(w);
  OnSiteActivated(w);
}

void CMainFrame::OnTabClose(int index) {
  CKestrelView* v = index >= 0 && index < tabBar_.count() ? tabBar_.site(index) : nullptr;
  if (Alive(v)) PostCommand(v, ID_FILE_CLOSE);
}

void CMainFrame::OnSiteMenuCommand(int index, unsigned id) {
  CKestrelView* v = index >= 0 && index < tabBar_.count() ? tabBar_.site(index) : nullptr;
  if (!Alive(v)) return;
  // Close, Close All But Current, Duplicate and Hide act on the clicked site;
  // the rest are the frame's and their subsystems'.
  if (!v->OnCommand(id)) OnCommand(id);
}

TabStatus CMainFrame::TabStatusOf(const CKestrelView* site) {
  TabStatus st;
  if (!site) return st;
  st.progress = site->m_nProgress;
  st.errorPage = site->IsErrorPage();
  return st;
}

// --- tabs, status bar, busy ------------------------------------------------

void CMainFrame::AddTab(CKestrelView* site, const std::string& text, bool select) {
  bool had = tabBar_.FindTab(site) >= 0;
  tabBar_.AddTab(text, site, select);  // a second tab only leaves its diagnostic
  if (!had) window_.AddTab(&site->frame().window(), text, select);
}

void CMainFrame::SelectTab(CKestrelView* site) {
  tabBar_.SelectTab(site);
  window_.SelectTab(&site->frame().window());
}

void CMainFrame::SetTabText(CKestrelView* site, const std::string& text) {
  Trace("title", text.substr(0, 200));
  if (tabBar_.FindTab(site) >= 0) {
    tabBar_.SetTabText(site, text);
    window_.SetTabText(&site->frame().window(), text);
  }
  if (site == ActiveView()) UpdateCaption();
}

void CMainFrame::RedrawTab(CKestrelView* site) {
  int i = tabBar_.FindTab(site);
  if (i < 0) return;
  tabBar_.RedrawTab(i);
  window_.RedrawTab(&site->frame().window());
}

void CMainFrame::RemoveTab(CKestrelView* site) {
  bool had = tabBar_.FindTab(site) >= 0;
  tabBar_.RemoveTab(site, site->frame().IsVisible());
  if (had) window_.RemoveTab(&site->frame().window());
}

void CMainFrame::DocumentCompleted(CKestrelView* v) {
  Trace(v->IsSiteFailed() ? "load-failed" : "load-finished", v->GetLocationURL());
  if (documentCompleted) documentCompleted(v);
}

void CMainFrame::SetBusy(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  window_.SetBusyIndicator(busy);
}

void CMainFrame::SetMessageText(const std::string& text) {
  status_.SetText(text);
  window_.SetStatusText(text);
}

void CMainFrame::ShowProgress(bool show) { status_.ShowProgress(show); }

void CMainFrame::SetProgressPos(int percent) {
  status_.SetPos(percent);
  window_.SetProgressPos(status_.pos());
}

// --- full screen, offline, tray, caption ---------------------------------------

void CMainFrame::ToggleFullScreen(bool skinActive) {
  if (!fullScreen_) {
    beforeFullScreen_ = window_.Rectangle();
    window_.SetRebarVisible(false);
    window_.SetCaptionAndBorder(false, false);
    window_.SetRectangle(window_.PrimaryScreen());
    fullScreen_ = true;
    if (CKestrelView* v = ActiveView()) v->frame().window().Show(true, true);
  } else {
    window_.SetRebarVisible(true);
    window_.SetCaptionAndBorder(!skinActive, true);
    window_.SetRectangle(beforeFullScreen_);
    fullScreen_ = false;
  }
}

bool CMainFrame::IsOffline() const { return profile_.GetDword(kInternetSettingsKey, "GlobalUserOffline").value_or(0) != 0; }

void CMainFrame::ToggleWorkOffline() {
  if (!profile_.OpenKey(kInternetSettingsKey, true)) {
    ShowMessage("Error opening registry!");
    return;
  }
  // A value never written yet means online: there is no system to have set it.
  std::uint32_t offline = profile_.GetDword(kInternetSettingsKey, "GlobalUserOffline").value_or(0);
  profile_.SetDword(kInternetSettingsKey, "GlobalUserOffline", offline ? 0u : 1u);
  window_.SetEngineOffline(offline == 0);
}

void CMainFrame::ApplyOfflineState() { window_.SetEngineOffline(IsOffline()); }

void CMainFrame::SetTrayIcon(bool show) { window_.SetTrayIcon(show); }

void CMainFrame::OnTrayNotify(TrayMouse message) {
  if (message == TrayMouse::Other) return;
  if (!window_.IsVisible() || window_.IsMinimized()) window_.Restore();
  window_.BringToFront();
  if (message == TrayMouse::RightDown) window_.ShowFileMenuAtCursor();
}

void CMainFrame::OnSize() {
  if (window_.IsMinimized() && settings_.ShowTrayIcon) window_.Hide();
}

std::string CMainFrame::Caption() const {
  CKestrelView* v = ActiveView();
  std::string title = v ? v->document().GetTitle() : std::string();
  return title.empty() ? std::string("Kestrel") : title + " - Kestrel";
}

void CMainFrame::UpdateCaption() { window_.SetCaption(Caption()); }

// --- shell-folder DDE ------------------------------------------------------------

bool CMainFrame::OnDdeExecute(const std::string& command) {
  // [open("path", item list, show)] and the same for explore and find.
  std::string t = Trim(command);
  if (t.size() < 4 || t.front() != '[' || t.back() != ']') return false;
  std::size_t paren = t.find('(');
  if (paren == std::string::npos) return false;
  std::string name = ToLowerAscii(Trim(t.substr(1, paren - 1)));
  std::size_t q1 = t.find('"', paren), q2 = q1 == std::string::npos ? q1 : t.find('"', q1 + 1);
  std::string path = (q1 != std::string::npos && q2 != std::string::npos) ? t.substr(q1 + 1, q2 - q1 - 1) : "";
  if (name != "open" && name != "explore" && name != "find") return false;
  CKestrelView* v = ActiveView();
  if (!v) return false;
  if (name == "open" && !path.empty()) v->Navigate("file://" + path);
  // Explore and find go to the desktop's file manager, which is not ours to drive.
  return true;
}

}  // namespace kestrel

// --- popup blocking --------------------------------------------------------

namespace kestrel {

bool CMainFrame::IsSiteAlive(const CKestrelView* site) const { return Alive(site); }

bool CMainFrame::IsPopupSuspect(CKestrelView* v, const NavigateRequest& r) {
  if (!v || v->m_bPopupAllowed || !settings_.AutoClosePopup) return false;
  const BrowserControl& c = v->control();
  const bool looksLikePopup = settings_.RecPPLook && (!c.MenuBar() || !c.ToolBar() || !c.AddressBar());
  const bool black = blackListMatch && blackListMatch(r.url);
  if (!looksLikePopup && !v->m_bOpenedAsSuspect && !black) return false;
  return !(whiteListMatch && whiteListMatch(r.url));
}

void CMainFrame::PopupBlocked(CKestrelView* v) {
  Trace("popup-blocked", v ? v->control().LocationURL() : std::string());
  if (settings_.BeepPopup && popupSound) popupSound();
  StartBlink();
}

void CMainFrame::SetSiteHidden(CKestrelView* site, bool show) {
  if (!Alive(site)) return;
  ChildWindow& w = site->frame().window();
  if (show) {
    site->m_bHiddenByUser = false;
    AddTab(site, site->control().LocationName(), true);
    w.Show(VisibleSiteCount() == 0, true);
    window_.ActivateSite(&w);
    OnSiteActivated(&w);
    site->SetBlocked(false);
    return;
  }
  if (site->IsSiteBlank()) {
    ShowMessage("No need to hide a blank site,  right?");
    return;
  }
  site->m_bHiddenByUser = true;
  const bool onlyVisible = w.IsVisible() && VisibleSiteCount() == 1;
  if (!onlyVisible && active_ == site) {
    // The next site in tab order takes over.
    int i = tabBar_.FindTab(site);
    for (int k = 1; k < tabBar_.count(); ++k) {
      CKestrelView* next = tabBar_.site((i + k) % tabBar_.count());
      if (next != site && next->frame().IsVisible()) {
        window_.ActivateSite(&next->frame().window());
        OnSiteActivated(&next->frame().window());
        break;
      }
    }
  }
  RemoveTab(site);
  w.Hide();
  if (active_ == site) active_ = nullptr;
  // A frame without a visible site would show nothing at all.
  if (onlyVisible) {
    if (openTypedLines)
      openTypedLines("about:blank");
    else if (CKestrelView* v = CreateSite())
      v->Navigate("about:blank");
  }
}

void CMainFrame::RestoreLastPopup() {
  CKestrelView* found = nullptr;
  for (auto it = siteList_.rbegin(); it != siteList_.rend(); ++it)
    if ((*it)->m_bSuspectHidden) {
      found = *it;
      break;
    }
  if (!found) {
    ShowMessage("No hidden popup windows found!");
    return;
  }
  found->m_bPopupAllowed = true;
  SetSiteHidden(found, true);
  if (ShowMessage("You've just recovered a popup suspect.\r\nDo you want to add it into white list?",
                  MessageKind::YesNo) &&
      addToWhiteList && Alive(found))
    addToWhiteList(found->GetLocationURL());
}

std::vector<HiddenSiteRow> CMainFrame::HiddenSites() const {
  std::vector<HiddenSiteRow> rows;
  for (CKestrelView* v : siteList_) {
    if (v->frame().IsVisible()) continue;
    HiddenSiteRow r{v, v->control().LocationName(), v->m_bSuspectHidden, v->GetLocationURL()};
    rows.insert(rows.begin(), std::move(r));
  }
  return rows;
}

bool CMainFrame::PopupCommand(unsigned id) {
  switch (id) {
    case ID_BLOCK_POPUP:
      settings_.AutoClosePopup = !settings_.AutoClosePopup;
      return true;
    case ID_RESTORE_LAST_POPUP:
      RestoreLastPopup();
      return true;
    case ID_HIDDEN_SITES:
      if (showHiddenSites) showHiddenSites();
      return true;
    default:
      return false;
  }
}

}  // namespace kestrel
