#include "site/kestrel_view.h"

#include <algorithm>
#include <cmath>

#include "common/strings.h"
#include "common/trace.h"
#include "site/popup_guard.h"
#include "site/site_permissions.h"

namespace kestrel {

// Handlers of browser events and commands run contained: an exception must
// never get out into the engine or the message loop; the event just ends.

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
  popup_.created = host_.clock().CalendarSeconds();
  ReadDownloadOptions();
}

CKestrelView::~CKestrelView() = default;

int CKestrelView::VisibleCount() const { return host_.VisibleSiteCount(); }

bool CKestrelView::IsLocalPath(const std::string& url) {
  return url.rfind("file:///", 0) == 0 || (url.size() >= 3 && url[1] == ':');
}

void CKestrelView::Navigate(const std::string& url, std::uint32_t flags, const std::string& targetFrame,
                            const std::string& headers, const std::vector<std::uint8_t>& postData) {
  host_.ClearAddressEditing();
  navigationPending_ = true;
  requestedUrl_ = url;
  if (progress_ == -1 && !IsLocalPath(url) && !StartsWithNoCase(url, "ftp://")) {
    progress_ = 0;
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
  navigationPending_ = true;
  requestedUrl_ = "home";
  control_.GoHome();
}

void CKestrelView::GoBack(int n) {
  for (int i = 0; i < n; ++i) control_.GoBack();
  history_.step = n;
}

void CKestrelView::GoForward(int n) {
  for (int i = 0; i < n; ++i) control_.GoForward();
  history_.step = -n;
}

std::vector<std::string> CKestrelView::HistoryMenuItems(bool forward) const {
  std::vector<std::string> items;
  const SiteHistory& h = history_;
  const int n = static_cast<int>(std::min(h.urls.size(), h.titles.size()));
  for (int i = h.pos + (forward ? 1 : -1); i >= 0 && i < n && items.size() < 9; i += forward ? 1 : -1) {
    const std::string& title = h.titles[static_cast<std::size_t>(i)];
    items.push_back(title.empty() ? h.urls[static_cast<std::size_t>(i)] : title);
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
  if (navigationPending_ && requestedUrl_ != "about:blank") return false;
  std::string url = control_.LocationURL();
  return url.empty() || url == "about:blank";
}

bool CKestrelView::IsSiteFailed() const {
  if (control_.Busy() || navigationPending_) return false;
  std::string t = ToLowerAscii(control_.DocumentTitle());
  return t == "cannot find server" || t == "no page to display";
}

bool CKestrelView::IsErrorPage() const {
  return IsSiteFailed() || ToLowerAscii(control_.DocumentTitle()).find("error") != std::string::npos;
}

bool CKestrelView::IsActiveSite() const { return host_.ActiveView() == this; }

bool CKestrelView::IsLocalPage() const { return IsLocalPath(control_.LocationURL()); }

void CKestrelView::Duplicate() {
  RunContained(__func__, [&] {
    std::string url = GetLocationURL();
    if (CKestrelView* v = host_.CreateSite()) v->Navigate(url.empty() ? "about:blank" : url);
  });
}

void CKestrelView::OnActivate() {
  RunContained(__func__, [&] {
    host_.SetAddressText(control_.LocationURL());
    host_.SetBusy(control_.Busy());
    host_.SetMessageText(statusText_);
    RefreshProgress();
  });
}

void CKestrelView::Close() {
  RunContained(__func__, [&] {
    if (doc_.CanCloseFrame()) host_.SiteClosed(this);
  });
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
  RunContained(__func__, [&] { host_.popups().EnterPressed(*this); });
}

void CKestrelView::OnPointerPress(int id, bool rightButton) {
  Trace("click", std::to_string(id) + (rightButton ? " right" : " left"));
  RunContained(__func__, [&] { host_.popups().Pressed(*this, id, rightButton); });
}

void CKestrelView::OnPointerTarget(int id, const std::string& tag, bool textField) {
  Trace("click-target", std::to_string(id) + " " + tag + (textField ? " text" : ""));
  RunContained(__func__, [&] { host_.popups().PressTarget(*this, id, tag, textField); });
}

void CKestrelView::OnBeforeNavigate2(const NavigateRequest& request, bool& cancel) {
  (void)cancel;
  RunContained(__func__, [&] {
    if (popup_.blocked) return;
    if (request.topLevel && request.url.compare(0, 7, "http://") == 0 && request.targetFrame != "_blank")
      host_.popups().LeftPage(*this);
    if (popup_.pending) {
      popup_.held.push_back(request);
      return;
    }
    JudgeNavigation(request);
  });
}

void CKestrelView::TimingDecided(bool suspect) {
  RunContained(__func__, [&] {
    popup_.openedAsSuspect = suspect;
    popup_.pending = false;
    std::vector<NavigateRequest> held = std::move(popup_.held);
    popup_.held.clear();
    for (const NavigateRequest& r : held) {
      if (popup_.blocked) break;
      JudgeNavigation(r);
    }
  });
}

void CKestrelView::SetBlocked(bool blocked) {
  popup_.blocked = blocked;
  ApplyDownloadControl();
}

void CKestrelView::JudgeNavigation(const NavigateRequest& request) {
  if (host_.popups().Judge(*this, request)) return;
  host_.AddUrlToHistory(request.url);
  if (hiddenByUser_) return;
  if (!frame_.IsVisible()) host_.ShowSite(this, request.url, !host_.keys().Ctrl());
  if (request.topLevel) UpdateAddress(request.url);
}

void CKestrelView::OnNavigateComplete2(const std::string& url, bool) {
  RunContained(__func__, [&] {
    UpdateHistory(url);
    history_.currentUrl = url;
  });
}

void CKestrelView::OnDocumentComplete(const std::string& url, bool topLevel) {
  if (!topLevel) return;
  RunContained(__func__, [&] {
    navigationPending_ = false;
    if (!url.empty() && url != "about:blank") shownDocument_ = true;
    UpdateAddress(url);
    if (IsActiveSite()) host_.SetBusy(false);
    host_.DocumentCompleted(this);
  });
}

void CKestrelView::OnDownloadBegin() {
  RunContained(__func__, [&] {
    if (IsActiveSite()) host_.SetBusy(true);
  });
}

void CKestrelView::OnDownloadComplete() {
  RunContained(__func__, [&] {
    if (IsActiveSite()) host_.SetBusy(false);
    frame_.window().Refit();
  });
}

void CKestrelView::OnProgressChange(long progress, long maximum) {
  RunContained(__func__, [&] {
    if (progress >= 0 && maximum > 0)
      progress_ = static_cast<int>(std::min(100.0, std::floor(static_cast<double>(progress) / maximum * 100.0)));
    else
      progress_ = -1;
    RefreshProgress();
  });
}

void CKestrelView::RefreshProgress() {
  if (IsActiveSite()) {
    if (progress_ >= 0) {
      host_.ShowProgress(true);
      host_.SetProgressPos(progress_);
    } else {
      host_.ShowProgress(false);
    }
  }
  host_.RedrawTab(this);
}

void CKestrelView::OnStatusTextChange(const std::string& text) {
  RunContained(__func__, [&] {
    if (IsActiveSite()) host_.SetMessageText(text);
    statusText_ = text;
  });
}

void CKestrelView::OnTitleChange(const std::string& text) {
  RunContained(__func__, [&] {
    const std::string shown = text == "?" ? std::string() : text;
    doc_.SetTitle(shown);
    std::string location = control_.LocationURL();
    if (!location.empty()) UpdateHistory(location);
    history_.pageTitle = text;
    host_.SetTabText(this, shown);
  });
}

void CKestrelView::OnCommandStateChange(int command, bool enable) {
  if (command == CSC_NAVIGATEBACK) history_.canBack = enable;
  if (command == CSC_NAVIGATEFORWARD) history_.canForward = enable;
}

BrowserControl* CKestrelView::OnNewWindow2(const NewWindowRequest&, bool& cancel) {
  BrowserControl* result = nullptr;
  cancel = true;
  RunContained(__func__, [&] {
    // A blocked popup cannot open further windows.
    if (popup_.blocked) return;
    CKestrelView* site = host_.CreateSite();
    if (!site) return;
    site->popup_.pending = true;
    site->openedByPage_ = true;
    result = &site->control();
    cancel = false;
    // Judged in order with the clicks before it, now or once they are known.
    host_.popups().WindowOpened(*this, *site);
  });
  return result;
}

void CKestrelView::OnWindowClosing(bool& cancel) {
  cancel = true;
  RunContained(__func__, [&] { host_.PostToSite(this, [](CKestrelView& v) { v.Close(); }); });
}

void CKestrelView::OnWindowSetWidth(int width) {
  RunContained(__func__, [&] {
    ChildWindow& w = frame_.window();
    w.SetNormalSize(width + 11, w.Height());
    if (w.IsMaximized()) w.Refit();
  });
}

void CKestrelView::OnWindowSetHeight(int height) {
  RunContained(__func__, [&] {
    ChildWindow& w = frame_.window();
    w.SetNormalSize(w.Width(), height + 30);
    if (w.IsMaximized()) w.Refit();
  });
}

bool CKestrelView::OnShowScriptError(const ScriptErrorInfo&) {
  bool taken = false;
  RunContained(__func__, [&] {
    if (!host_.FrameExists() || !host_.settings().NoScriptError) return;
    host_.SetMessageText("Script Error!");
    taken = true;
  });
  return taken;
}

void CKestrelView::OnDownloadStarted() {
  Trace("download-started", GetLocationURL());
  // A window a page opened only to fetch a file would stay behind blank.
  if (!openedByPage_ || shownDocument_) return;
  RunContained(__func__, [&] { host_.PostToSite(this, [](CKestrelView& v) { v.Close(); }); });
}

PermissionAnswer CKestrelView::OnPermissionRequest(const std::string& origin, PagePermission what) {
  PermissionAnswer answer = PermissionAnswer::Block;
  RunContained(__func__, [&] {
    if (Unseen()) return;
    const std::optional<bool> known = host_.permissions().Lookup(origin, what);
    answer = !known ? PermissionAnswer::Ask : *known ? PermissionAnswer::Allow : PermissionAnswer::Block;
  });
  Trace("permission", origin + (answer == PermissionAnswer::Ask ? " ask" : answer == PermissionAnswer::Allow ? " allow" : " block"));
  return answer;
}

void CKestrelView::OnPermissionAnswered(const std::string& origin, PagePermission what, bool allow) {
  RunContained(__func__, [&] { host_.permissions().Remember(origin, what, allow); });
}

bool CKestrelView::OnLoginRequest(const LoginRequest& request) {
  Trace("login-request", request.host + (Unseen() ? " unseen" : ""));
  return !Unseen();
}

bool CKestrelView::OnFullScreenRequest(bool enter) {
  return !enter || (!Unseen() && frame_.IsVisible() && IsActiveSite());
}

bool CKestrelView::OnPrintRequest() { return !Unseen() && frame_.IsVisible(); }

void CKestrelView::UpdateAddress(const std::string& url) {
  if (!IsActiveSite() || host_.AddressBeingEdited()) return;
  host_.SetAddressText(url.rfind("::{", 0) == 0 ? doc_.GetTitle() : url);
}

void CKestrelView::UpdateHistory(const std::string& url) {
  SiteHistory& h = history_;
  const int length = control_.HistoryLength();
  if (length >= 0) {
    const int L = length;
    bool changed = false;
    if (L == 0) h.pos = 0;
    if (L > 0 && L != h.lastLength) {
      if (h.pageTitle.empty()) h.pageTitle = h.currentUrl;
      const std::size_t i = static_cast<std::size_t>(L - 1);
      if (h.urls.size() < i + 1) {
        h.urls.resize(i + 1);
        h.titles.resize(i + 1);
      }
      h.titles[i] = h.pageTitle;
      h.urls[i] = h.currentUrl;
      if (L < h.lastLength) {
        h.urls.resize(i + 1);
        h.titles.resize(i + 1);
        h.urls.shrink_to_fit();
        h.titles.shrink_to_fit();
      }
      h.pos = L;
      changed = true;
    }
    h.pos -= h.step;
    if (!h.canBack) {
      h.pos = 0;
    } else if (!h.canForward && changed && h.step >= 0) {
      h.pos = L;
    } else {
      auto matches = [&](int p) {
        return p >= 0 && p < L && static_cast<std::size_t>(p) < h.urls.size() && h.urls[static_cast<std::size_t>(p)] == url;
      };
      const int p = h.pos;
      if (!matches(p)) {
        for (int c : {p - 1, p - 2, p + 1, p + 2})
          if (matches(c)) {
            h.pos = c;
            break;
          }
      }
    }
    if (h.canForward && h.pos >= L - 1) h.pos = L - 2;
    if (h.canBack && h.pos == 0) h.pos = 1;
    h.lastLength = L;
  }
  h.step = 0;
}

}  // namespace kestrel
