#include "frame/main_frame.h"

#include <algorithm>

#include "common/message.h"
#include "common/progdir.h"
#include "common/strings.h"
#include "common/trace.h"

namespace kestrel {

CMainFrame::CMainFrame(FrameWindow& window, Profile& profile, Settings& settings, const Clock& clock,
                       const KeyState& keys)
    : window_(window), profile_(profile), settings_(settings), clock_(clock), keys_(keys) {
  status_.onShow = [this](bool shown) { window_.SetProgressVisible(shown); };
  sites_.AddObserver(this);
  RegisterCommands();
  modes_.RegisterCommands(commands_);
}

CMainFrame::~CMainFrame() {
  sites_.RemoveObserver(this);
  // The controls may outlive their views by a moment; they must not call back.
  for (auto& [view, site] : owned_) site.view->control().SetEvents(nullptr);
}

// --- commands ----------------------------------------------------------------

bool CMainFrame::OnCommand(unsigned id) { return commands_.Execute({id, ActiveView()}); }

CommandState CMainFrame::CommandStateOf(unsigned id) const { return commands_.StateOf({id, ActiveView()}); }

bool CMainFrame::OnSiteMenuCommand(int tabIndex, unsigned id) {
  CKestrelView* v = tabBar_.site(tabIndex);
  return v && commands_.Execute({id, v});
}

void CMainFrame::RegisterCommands() {
  using R = CommandRegistry;
  CommandRegistry& r = commands_;
  auto site = [](void (*f)(CKestrelView&)) { return [f](const CommandContext& c) { f(*c.site); }; };

  r.Add(ID_NEXT_WINDOW, [this](const CommandContext&) { Activate(sites_.Neighbour(true)); });
  r.Add(ID_PREV_WINDOW, [this](const CommandContext&) { Activate(sites_.Neighbour(false)); });
  r.Add(ID_CLOSE_ALL, [this](const CommandContext&) { CloseAll(); });
  r.Add(ID_CLOSE_BLANK_FAILED, [this](const CommandContext&) { CloseBlankAndFailed(); });
  // Posted: every site acts once the loop over the list has finished.
  r.Add(ID_STOP_ALL, [this](const CommandContext&) {
    for (CKestrelView* v : sites_.sites()) PostToSite(v, [](CKestrelView& s) { s.Stop(); });
  });
  r.Add(ID_REFRESH_ALL, [this](const CommandContext&) {
    for (CKestrelView* v : sites_.sites()) PostToSite(v, [](CKestrelView& s) { s.Refresh(); });
  });
  r.Add(ID_ALWAYS_NEW, [this](const CommandContext&) { settings_.AutoNew = !settings_.AutoNew; },
        R::Checked([this] { return settings_.AutoNew; }));

  // The page commands act on the site they are given: the active one, or
  // the one whose tab the Site Popup menu was opened on.
  r.Add(ID_GO_BACK, site([](CKestrelView& v) { v.GoBack(1); }),
        [](const CommandContext& c) { return CommandState{c.site && c.site->CanGoBack(), false}; });
  r.Add(ID_GO_FORWARD, site([](CKestrelView& v) { v.GoForward(1); }),
        [](const CommandContext& c) { return CommandState{c.site && c.site->CanGoForward(), false}; });
  r.Add(ID_GO_HOME, site([](CKestrelView& v) { v.GoHome(); }), R::NeedsSite);
  r.Add(ID_VIEW_STOP, site([](CKestrelView& v) { v.Stop(); }), R::NeedsSite);
  r.Add(ID_VIEW_REFRESH, site([](CKestrelView& v) { v.Refresh(); }), R::NeedsSite);
  r.Add(ID_DUPLICATE_SITE, site([](CKestrelView& v) { v.Duplicate(); }), R::NeedsSite);
  r.Add(ID_FILE_CLOSE, site([](CKestrelView& v) { v.Close(); }), R::NeedsSite);
  r.Add(ID_CLOSE_ALL_BUT_CURRENT, [this](const CommandContext& c) {
    CloseSitesWhere([keep = c.site](const CKestrelView& v) { return &v != keep; });
  }, R::NeedsSite);
  r.Add(ID_SITE_MINIMIZE, site([](CKestrelView& v) { v.frame().window().Minimize(); }), R::NeedsSite);
  r.Add(ID_SITE_RESTORE, site([](CKestrelView& v) { v.frame().window().Restore(); }), R::NeedsSite);
}

// --- timer -----------------------------------------------------------------

void CMainFrame::OnTimer(unsigned id) {
  if (id != kTimerId) return;
  ++ticks_;
  if (blink_ >= 0 && blink_ <= 7) {
    ++blink_;
    window_.SetBlockPopupAlternate(blink_ % 2 == 1);
  }
  guard_->OnTimer(ticks_);
  if (ticks_ % 2 == 0 && !window_.IsMinimized()) window_.UpdateCommandStates();
  if (session_ && ticks_ % 2 == 0) session_->Update(SessionOf(sites_));
}

void CMainFrame::KeepSession(const std::string& path) {
  session_ = std::make_unique<CSessionKeeper>(path);
  session_->Update(SessionOf(sites_));
}

void CMainFrame::EndSession() {
  if (session_) session_->End();
  session_.reset();
}

void CMainFrame::ReopenSites(const SessionSites& session) {
  std::vector<CKestrelView*> opened;
  for (std::size_t i = 0; i < session.addresses.size(); ++i) {
    CKestrelView* into = opened.empty() && ActiveView() && ActiveView()->IsSiteBlank() ? ActiveView() : CreateSite();
    if (!into) {
      ShowMessage("Can't open another site: too many sites are open.");
      break;
    }
    opened.push_back(into);
  }
  // Sites show when their navigation starts, which the engine reports later.
  reopening_.active = session.active >= 0 && session.active < static_cast<int>(opened.size())
                          ? opened[static_cast<std::size_t>(session.active)]
                          : nullptr;
  reopening_.pending.clear();
  for (CKestrelView* v : opened)
    if (!sites_.IsShown(v)) reopening_.pending.push_back(v);
  for (std::size_t i = 0; i < opened.size(); ++i) opened[i]->Navigate(session.addresses[i]);
  if (reopening_.pending.empty() && reopening_.active) {
    Activate(reopening_.active);
    reopening_.active = nullptr;
  }
}

// --- sites -----------------------------------------------------------------

CKestrelView* CMainFrame::SiteOf(ChildWindow* window) const {
  for (const auto& [view, site] : owned_)
    if (site.window == window && sites_.Contains(view)) return site.view.get();
  return nullptr;
}

CKestrelView* CMainFrame::CreateSite() {
  if (sites_.sites().size() >= kMaxSites) {
    Trace("site-refused", std::to_string(sites_.sites().size()));
    return nullptr;
  }
  ChildWindow* w = nullptr;
  BrowserControl* c = nullptr;
  if (!window_.CreateSiteWindow(w, c) || !w || !c) {
    if (w) window_.DestroySiteWindow(w);
    return nullptr;
  }
  auto view = std::make_unique<CKestrelView>(*this, *w, *c);
  c->SetEvents(view.get());
  CKestrelView* v = view.get();
  owned_.emplace(v, Site{w, std::move(view)});
  sites_.Add(v);
  Trace("site-created", std::to_string(sites_.sites().size()));
  return v;
}

int CMainFrame::VisibleSiteCount() const {
  int n = 0;
  for (CKestrelView* v : sites_.sites())
    if (v->frame().IsVisible()) ++n;
  return n;
}

void CMainFrame::OnSiteActivated(ChildWindow* window) {
  CKestrelView* v = SiteOf(window);
  if (!v) return;
  // A site kept out of view gives the activation straight back.
  if (!sites_.Activate(v))
    if (CKestrelView* active = ActiveView()) window_.ActivateSite(&active->frame().window());
}

void CMainFrame::ActiveChanged(CKestrelView* v) {
  if (v && sites_.IsShown(v)) {
    window_.ActivateSite(&v->frame().window());
    v->OnActivate();
  }
  UpdateCaption();
}

void CMainFrame::OnSiteCloseRequested(ChildWindow* window) {
  if (CKestrelView* v = SiteOf(window)) v->Close();
}

void CMainFrame::ShowSite(CKestrelView* site, const std::string& tabText, bool activate) {
  if (!sites_.Contains(site)) return;
  if (sites_.IsShown(site)) {
    if (activate) sites_.Activate(site);
    return;
  }
  tabBar_.SetTabText(site, tabText);
  if (!site->frame().IsVisible()) site->frame().window().Show(VisibleSiteCount() == 0, activate);
  const bool wasActive = ActiveView() == site;
  sites_.Show(site, activate);
  // The site was active already while out of view: now that it can be
  // seen, it takes the window and the bars.
  if (activate && wasActive) ActiveChanged(site);
  ReopenedSiteSettled(site);
}

void CMainFrame::ReopenedSiteSettled(CKestrelView* site) {
  auto& pending = reopening_.pending;
  if (std::erase(pending, site) == 0 || !pending.empty()) return;
  // Every reopened site shows (each took the activation in turn): now the
  // one that was active before the crash takes it back.
  if (reopening_.active && sites_.IsShown(reopening_.active)) Activate(reopening_.active);
  reopening_.active = nullptr;
}

void CMainFrame::HideSite(CKestrelView* site) {
  if (!sites_.Contains(site)) return;
  sites_.Hide(site);
  site->frame().window().Hide();
}

void CMainFrame::ShowHiddenSite(CKestrelView* site) { ShowSite(site, site ? site->GetLocationName() : "", true); }

void CMainFrame::SiteClosed(CKestrelView* site) {
  if (!sites_.Contains(site)) return;
  if (reopening_.active == site) reopening_.active = nullptr;
  sites_.Remove(site);
  ReopenedSiteSettled(site);
  // The objects go once the event that closed the site has returned: the
  // control may still be inside one of its own callbacks.
  window_.Post([this, site] {
    auto owned = owned_.find(site);
    if (owned == owned_.end()) return;
    Site dying = std::move(owned->second);
    owned_.erase(owned);
    dying.view->control().SetEvents(nullptr);
    dying.view.reset();
    window_.DestroySiteWindow(dying.window);
  });
}

void CMainFrame::PostToSite(CKestrelView* site, std::function<void(CKestrelView&)> task) {
  window_.Post([this, site, task = std::move(task)] {
    if (sites_.Contains(site)) task(*site);
  });
}

void CMainFrame::CloseSitesWhere(const std::function<bool(const CKestrelView&)>& which) {
  // A copy: closing one site may close or open others.
  for (CKestrelView* v : std::vector<CKestrelView*>(sites_.sites()))
    if (sites_.Contains(v) && which(*v)) v->Close();
}

void CMainFrame::CloseAll() {
  CloseSitesWhere([](const CKestrelView&) { return true; });
}

void CMainFrame::CloseBlankAndFailed() {
  CloseSitesWhere([](const CKestrelView& v) { return v.IsSiteBlank() || v.IsSiteFailed(); });
}

void CMainFrame::OpenInNewSite(const std::string& url) {
  if (CKestrelView* s = CreateSite())
    s->Navigate(url);
  else
    ShowMessage("Can't open another site: too many sites are open.");
}

void CMainFrame::OpenHelpPage(const std::string& page) { OpenInNewSite("file://" + ProgramFile("help/" + page)); }

void CMainFrame::OnTabSelected(int index) { Activate(tabBar_.site(index)); }

void CMainFrame::Activate(CKestrelView* v) {
  if (!v) return;
  // Choosing the active site again brings its window and bars back too.
  if (v == ActiveView())
    ActiveChanged(v);
  else
    sites_.Activate(v);
}

void CMainFrame::OnTabClose(int index) {
  if (CKestrelView* v = tabBar_.site(index)) PostToSite(v, [](CKestrelView& s) { s.Close(); });
}

TabStatus CMainFrame::TabStatusOf(const CKestrelView* site) {
  TabStatus st;
  if (!site) return st;
  st.progress = site->progress();
  st.errorPage = site->IsErrorPage();
  return st;
}

void CMainFrame::AddDocumentObserver(DocumentObserver* observer) {
  if (observer && std::find(documentObservers_.begin(), documentObservers_.end(), observer) == documentObservers_.end())
    documentObservers_.push_back(observer);
}

void CMainFrame::RemoveDocumentObserver(DocumentObserver* observer) {
  documentObservers_.erase(std::remove(documentObservers_.begin(), documentObservers_.end(), observer),
                           documentObservers_.end());
}

void CMainFrame::DocumentCompleted(CKestrelView* v) {
  Trace(v->IsSiteFailed() ? "load-failed" : "load-finished", v->GetLocationURL());
  for (DocumentObserver* o : std::vector<DocumentObserver*>(documentObservers_))
    if (sites_.Contains(v)) o->DocumentCompleted(*v);
}

// --- tabs, status bar, busy ------------------------------------------------

void CMainFrame::SetTabText(CKestrelView* site, const std::string& text) {
  Trace("title", text.substr(0, 200));
  tabBar_.SetTabText(site, text);
  if (site == ActiveView()) UpdateCaption();
}

void CMainFrame::RedrawTab(CKestrelView* site) { tabBar_.RedrawTab(tabBar_.FindTab(site)); }

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

// --- caption ---------------------------------------------------------------

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
