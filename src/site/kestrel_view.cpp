#include "site/kestrel_view.h"

#include "common/trace.h"

#include <algorithm>
#include <cmath>

#include "common/strings.h"

namespace kestrel {

// Handlers of browser events and commands must never let an exception out
// into the engine or the message loop: the event or command just ends.
template <typename F>
static void Guarded(F&& f) {
  try {
    f();
  } catch (...) {
  }
}

void CKestrelDoc::SetTitle(const std::string& title) {
  title_ = title;
  view_.frame().window().SetCaption(title);
}

bool CKestrelDoc::CanCloseFrame() {
  if (view_.frame().IsVisible() && view_.VisibleCount() == 1) {
    if (!view_.IsSiteBlank()) view_.Navigate("about:blank");
    return false;
  }
  return true;
}

CKestrelView::CKestrelView(SiteHost& host, ChildWindow& window, BrowserControl& control)
    : host_(host), frame_(window), doc_(*this), control_(control) {
  m_tCreated = host_.clock().CalendarSeconds();
}

CKestrelView::~CKestrelView() = default;

int CKestrelView::VisibleCount() const { return host_.VisibleSiteCount(); }

bool CKestrelView::IsLocalPath(const std::string& url) {
  return url.rfind("file:///", 0) == 0 || (url.size() >= 3 && url[1] == ':');
}

void CKestrelView::Navigate(const std::string& url, std::uint32_t flags, const std::string& targetFrame,
                            const std::string& headers, const std::vector<std::uint8_t>& postData) {
  host_.ClearAddressEditing();
  m_bNavigationPending = true;
  m_strRequestedUrl = url;
  if (m_nProgress == -1 && !IsLocalPath(url) && !StartsWithNoCase(url, "ftp://")) {
    m_nProgress = 0;
    RefreshProgress();
  }
  NavigateRequest r;
  r.url = url;
  r.flags = flags;
  r.targetFrame = targetFrame;
  r.headers = headers;
  r.postData = postData;
  // Post data given without a length runs to its first zero byte.
  auto zero = std::find(r.postData.begin(), r.postData.end(), 0);
  r.postData.erase(zero, r.postData.end());
  control_.Navigate2(r);
}

void CKestrelView::GoHome() {
  m_bNavigationPending = true;
  m_strRequestedUrl = "home";
  control_.GoHome();
}

void CKestrelView::GoBack(int n) {
  for (int i = 0; i < n; ++i) control_.GoBack();
  m_nHistoryStep = n;
}

void CKestrelView::GoForward(int n) {
  for (int i = 0; i < n; ++i) control_.GoForward();
  m_nHistoryStep = -n;
}

std::vector<std::string> CKestrelView::HistoryMenuItems(bool forward) const {
  std::vector<std::string> items;
  const int n = static_cast<int>(std::min(m_historyUrls.size(), m_historyTitles.size()));
  for (int i = m_nHistoryPos + (forward ? 1 : -1); i >= 0 && i < n && items.size() < 9; i += forward ? 1 : -1) {
    const std::string& title = m_historyTitles[static_cast<std::size_t>(i)];
    items.push_back(title.empty() ? m_historyUrls[static_cast<std::size_t>(i)] : title);
  }
  return items;
}

void CKestrelView::GoByMenu(bool forward, int k) {
  if (k <= 0) return;
  if (forward)
    GoForward(k);
  else
    GoBack(k);
}

void CKestrelView::Stop() {
  control_.Stop();
  host_.SetBusy(false);
}

void CKestrelView::Refresh() { control_.Refresh(); }

bool CKestrelView::IsSiteBlank() const {
  if (control_.Busy()) return false;
  if (m_bNavigationPending && m_strRequestedUrl != "about:blank") return false;
  std::string url = control_.LocationURL();
  return url.empty() || url == "about:blank";
}

bool CKestrelView::IsSiteFailed() const {
  if (control_.Busy() || m_bNavigationPending) return false;
  std::string t = ToLowerAscii(control_.DocumentTitle());
  return t == "cannot find server" || t == "no page to display";
}

bool CKestrelView::IsErrorPage() const {
  return IsSiteFailed() || ToLowerAscii(control_.DocumentTitle()).find("error") != std::string::npos;
}

bool CKestrelView::IsActiveSite() const { return host_.ActiveView() == this; }

bool CKestrelView::IsLocalPage() const { return IsLocalPath(control_.LocationURL()); }

bool CKestrelView::OnCommand(unsigned id) {
  bool handled = true;
  Guarded([&] {
    switch (id) {
      case ID_GO_BACK: GoBack(1); break;
      case ID_GO_FORWARD: GoForward(1); break;
      case ID_GO_HOME: GoHome(); break;
      case ID_VIEW_STOP: Stop(); break;
      case ID_VIEW_REFRESH: Refresh(); break;
      case ID_DUPLICATE_SITE: {
        std::string url = GetLocationURL();
        if (CKestrelView* v = host_.CreateSite()) v->Navigate(url.empty() ? "about:blank" : url);
        break;
      }
      case ID_FILE_CLOSE: Close(); break;
      case ID_CLOSE_ALL: host_.FrameCommand(ID_CLOSE_ALL); break;
      case ID_CLOSE_ALL_BUT_CURRENT: host_.SendToOtherSites(this, ID_FILE_CLOSE); break;
      case ID_SITE_MINIMIZE: frame_.window().Minimize(); break;
      case ID_SITE_RESTORE: frame_.window().Restore(); break;
      case ID_HIDE_SITE: host_.SetSiteHidden(this, false); break;
      case ID_ADD_WHITE_LIST: host_.AddSiteToFilter(this, false); break;
      case ID_ADD_BLACK_LIST: host_.AddSiteToFilter(this, true); break;
      default: handled = false;
    }
  });
  return handled;
}

bool CKestrelView::IsCommandEnabled(unsigned id) const {
  if (id == ID_GO_BACK) return m_bCanBack;
  if (id == ID_GO_FORWARD) return m_bCanForward;
  return true;
}

void CKestrelView::OnActivate() {
  Guarded([&] {
    host_.SelectTab(this);
    host_.SetAddressText(control_.LocationURL());
    host_.SetBusy(control_.Busy());
    host_.SetMessageText(m_strStatusText);
    RefreshProgress();
  });
}

void CKestrelView::Close() {
  if (!doc_.CanCloseFrame()) return;
  host_.SiteClosed(this);
}

bool CKestrelView::OnSideButton(int button) {
  if (!host_.settings().SideBtnSupport || (button != 1 && button != 2)) return false;
  if (button == 1)
    GoBack(1);
  else
    GoForward(1);
  return true;
}

void CKestrelView::OnEnterKey() {
  Guarded([&] { m_clicks.Enter(host_.clock().NowMs()); });
}

void CKestrelView::OnPointerPress(int id, bool rightButton) {
  Trace("click", std::to_string(id) + (rightButton ? " right" : " left"));
  Guarded([&] { m_clicks.Press(id, rightButton, host_.clock().NowMs()); });
}

void CKestrelView::OnPointerTarget(int id, const std::string& tag, bool textField) {
  Trace("click-target", std::to_string(id) + " " + tag + (textField ? " text" : ""));
  Guarded([&] { m_clicks.Target(id, tag, textField); });
}

void CKestrelView::OnBeforeNavigate2(const NavigateRequest& request, bool& cancel) {
  (void)cancel;
  Guarded([&] {
    if (m_bSuspectHidden) return;
    if (request.topLevel && request.url.compare(0, 7, "http://") == 0 && request.targetFrame != "_blank")
      m_clicks.Reset();
    if (m_bSuspectPending) {
      m_heldNavigations.push_back(request);
      return;
    }
    JudgeNavigation(request);
  });
}

void CKestrelView::TimingDecided(bool suspect) {
  Guarded([&] {
    m_bOpenedAsSuspect = suspect;
    m_bSuspectPending = false;
    std::vector<NavigateRequest> held = std::move(m_heldNavigations);
    m_heldNavigations.clear();
    for (const NavigateRequest& r : held) {
      if (m_bSuspectHidden) break;
      JudgeNavigation(r);
    }
  });
}

void CKestrelView::SetBlocked(bool blocked) {
  m_bSuspectHidden = blocked;
  control_.SetAudioMuted(blocked);
}

void CKestrelView::JudgeNavigation(const NavigateRequest& request) {
  if (host_.IsPopupSuspect(this, request)) {
    SetBlocked(true);
    host_.PopupBlocked(this);
    return;
  }
  host_.AddUrlToHistory(request.url);
  if (m_bHiddenByUser) return;
  if (!frame_.IsVisible()) {
    const bool ctrl = host_.keys().Ctrl();
    frame_.window().Show(host_.VisibleSiteCount() == 0, !ctrl);
    host_.AddTab(this, request.url, !ctrl);
  }
  if (request.topLevel) UpdateAddress(request.url);
}

void CKestrelView::OnNavigateComplete2(const std::string& url, bool) {
  Guarded([&] {
    UpdateHistory(url);
    m_strCurrentUrl = url;
  });
}

void CKestrelView::OnDocumentComplete(const std::string& url, bool topLevel) {
  if (!topLevel) return;
  Guarded([&] {
    m_bNavigationPending = false;
    UpdateAddress(url);
    if (IsActiveSite()) host_.SetBusy(false);
    host_.DocumentCompleted(this);
  });
}

void CKestrelView::OnDownloadBegin() {
  Guarded([&] {
    if (IsActiveSite()) host_.SetBusy(true);
  });
}

void CKestrelView::OnDownloadComplete() {
  Guarded([&] {
    if (IsActiveSite()) host_.SetBusy(false);
    frame_.window().Refit();
  });
}

void CKestrelView::OnProgressChange(long progress, long maximum) {
  Guarded([&] {
    if (progress >= 0 && maximum > 0)
      m_nProgress = static_cast<int>(std::min(100.0, std::floor(static_cast<double>(progress) / maximum * 100.0)));
    else
      m_nProgress = -1;
    RefreshProgress();
  });
}

void CKestrelView::RefreshProgress() {
  if (IsActiveSite()) {
    if (m_nProgress >= 0) {
      host_.ShowProgress(true);
      host_.SetProgressPos(m_nProgress);
    } else {
      host_.ShowProgress(false);
    }
  }
  host_.RedrawTab(this);
}

void CKestrelView::OnStatusTextChange(const std::string& text) {
  Guarded([&] {
    if (IsActiveSite()) host_.SetMessageText(text);
    m_strStatusText = text;
  });
}

void CKestrelView::OnTitleChange(const std::string& text) {
  Guarded([&] {
    const std::string shown = text == "?" ? std::string() : text;
    doc_.SetTitle(shown);
    std::string location = control_.LocationURL();
    if (!location.empty()) UpdateHistory(location);
    m_strPageTitle = text;
    host_.SetTabText(this, shown);
  });
}

void CKestrelView::OnCommandStateChange(int command, bool enable) {
  if (command == CSC_NAVIGATEBACK) m_bCanBack = enable;
  if (command == CSC_NAVIGATEFORWARD) m_bCanForward = enable;
}

BrowserControl* CKestrelView::OnNewWindow2(const NewWindowRequest& request, bool& cancel) {
  BrowserControl* result = nullptr;
  cancel = true;
  Guarded([&] {
    // A blocked popup cannot open further windows.
    if (m_bSuspectHidden) return;
    const Settings& s = host_.settings();
    CKestrelView* site = host_.CreateSite();
    if (!site) return;
    site->m_openRequest = request;
    site->m_bOpenedByPage = true;
    site->m_bSuspectPending = true;
    result = &site->control();
    cancel = false;
    SiteHost& host = host_;
    // Judged in order with the clicks before it, now or once they are known.
    m_clicks.NewWindow(host_.clock().NowMs(), s.AutoClosePopup && s.RecPPTime, [&host, site](bool suspect) {
      if (host.IsSiteAlive(site)) site->TimingDecided(suspect);
    });
  });
  return result;
}

void CKestrelView::OnWindowClosing(bool& cancel) {
  cancel = true;
  Guarded([&] { host_.PostCommand(this, ID_FILE_CLOSE); });
}

void CKestrelView::OnWindowSetWidth(int width) {
  Guarded([&] {
    ChildWindow& w = frame_.window();
    w.SetNormalSize(width + 11, w.Height());
    if (w.IsMaximized()) w.Refit();
  });
}

void CKestrelView::OnWindowSetHeight(int height) {
  Guarded([&] {
    ChildWindow& w = frame_.window();
    w.SetNormalSize(w.Width(), height + 30);
    if (w.IsMaximized()) w.Refit();
  });
}

bool CKestrelView::OnShowScriptError(const ScriptErrorInfo&) {
  bool taken = false;
  Guarded([&] {
    if (!host_.FrameExists() || !host_.settings().NoScriptError) return;
    host_.SetMessageText("Script Error!");
    taken = true;
  });
  return taken;
}

void CKestrelView::UpdateAddress(const std::string& url) {
  if (!IsActiveSite() || host_.AddressBeingEdited()) return;
  host_.SetAddressText(url.rfind("::{", 0) == 0 ? doc_.GetTitle() : url);
}

void CKestrelView::UpdateHistory(const std::string& url) {
  const int length = control_.HistoryLength();
  if (length >= 0) {
    const int L = length;
    bool changed = false;
    if (L == 0) m_nHistoryPos = 0;
    if (L > 0 && L != m_nLastHistoryLength) {
      if (m_strPageTitle.empty()) m_strPageTitle = m_strCurrentUrl;
      const std::size_t i = static_cast<std::size_t>(L - 1);
      if (m_historyUrls.size() < i + 1) {
        m_historyUrls.resize(i + 1);
        m_historyTitles.resize(i + 1);
      }
      m_historyTitles[i] = m_strPageTitle;
      m_historyUrls[i] = m_strCurrentUrl;
      if (L < m_nLastHistoryLength) {
        m_historyUrls.resize(i + 1);
        m_historyTitles.resize(i + 1);
        m_historyUrls.shrink_to_fit();
        m_historyTitles.shrink_to_fit();
      }
      m_nHistoryPos = L;
      changed = true;
    }
    {
      m_nHistoryPos -= m_nHistoryStep;
      if (!m_bCanBack) {
        m_nHistoryPos = 0;
      } else if (!m_bCanForward && changed && m_nHistoryStep >= 0) {
        m_nHistoryPos = L;
      } else {
        auto matches = [&](int p) {
          return p >= 0 && p < L && static_cast<std::size_t>(p) < m_historyUrls.size() &&
                 m_historyUrls[static_cast<std::size_t>(p)] == url;
        };
        const int p = m_nHistoryPos;
        if (!matches(p)) {
          for (int c : {p - 1, p - 2, p + 1, p + 2})
            if (matches(c)) {
              m_nHistoryPos = c;
              break;
            }
        }
      }
      if (m_bCanForward && m_nHistoryPos >= L - 1) m_nHistoryPos = L - 2;
      if (m_bCanBack && m_nHistoryPos == 0) m_nHistoryPos = 1;
      m_nLastHistoryLength = L;
    }
  }
  m_nHistoryStep = 0;
}

}  // namespace kestrel
