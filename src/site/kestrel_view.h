#pragma once
// A site: its document (title, registration, close decision), its child
// frame window and its page view, which hosts the browser control and holds
// all per-site state. Toolkit-free; the Qt windows are handed in.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/browser_control.h"
#include "site/child_window.h"
#include "site/page_controls.h"
#include "site/site_host.h"

namespace kestrel {

class CKestrelView;

// Holds the page title and decides whether the site may close.
class CKestrelDoc {
 public:
  explicit CKestrelDoc(CKestrelView& view) : view_(view) {}
  const std::string& GetTitle() const { return title_; }
  void SetTitle(const std::string& title);
  // False when the site must stay (the last visible one is blanked instead).
  bool CanCloseFrame();

 private:
  CKestrelView& view_;
  std::string title_;
};

// The MDI child frame; its caption follows the document title.
class CChildFrame {
 public:
  explicit CChildFrame(ChildWindow& window) : window_(window) {}
  ChildWindow& window() { return window_; }
  const ChildWindow& window() const { return window_; }
  bool IsVisible() const { return window_.IsVisible(); }

 private:
  ChildWindow& window_;
};

// What popup blocking decided about a site.
struct SitePopupState {
  std::int64_t created = 0;  // calendar seconds
  bool blocked = false;      // a popup suspect: unseen and silent until recovered or closed
  bool openedAsSuspect = false;  // the timing test found the window it was opened as suspect
  bool allowed = false;      // recovered by the user: never blocked again
  // Opened by a page while the opener's last click was still being looked
  // at: the site stays unseen, its navigations held, until the verdict.
  bool pending = false;
  std::vector<NavigateRequest> held;
};

// The pages a site went through, for the Back and Forward drop-downs.
struct SiteHistory {
  std::vector<std::string> urls, titles;
  int lastLength = 0;
  int pos = -1;
  int step = 0;
  bool canBack = false, canForward = false;
  std::string currentUrl;
  std::string pageTitle;
};

class CKestrelView : public BrowserEvents {
 public:
  CKestrelView(SiteHost& host, ChildWindow& window, BrowserControl& control);
  ~CKestrelView() override;

  CKestrelDoc& document() { return doc_; }
  const CKestrelDoc& document() const { return doc_; }
  CChildFrame& frame() { return frame_; }
  const CChildFrame& frame() const { return frame_; }
  BrowserControl& control() { return control_; }
  const BrowserControl& control() const { return control_; }

  // The navigation entry point.
  void Navigate(const std::string& url, std::uint32_t flags = 0, const std::string& targetFrame = "",
                const std::string& headers = "", const std::vector<std::uint8_t>& postData = {});
  void GoHome();
  void GoBack(int n);
  void GoForward(int n);
  bool CanGoBack() const { return history_.canBack; }
  bool CanGoForward() const { return history_.canForward; }
  // The Back (or Forward) drop-down: at most 9 pages behind (ahead of) the
  // current one, nearest first, each its title or else its address.
  std::vector<std::string> HistoryMenuItems(bool forward) const;
  // The k-th item of that drop-down was chosen.
  void GoByMenu(bool forward, int k);
  void Stop();
  void Refresh();
  // A new site showing this site's address.
  void Duplicate();
  // Close (57602): closes unless it is the last visible site, which is blanked.
  void Close();

  std::string GetLocationURL() const { return control_.LocationURL(); }
  std::string GetLocationName() const { return control_.LocationName(); }
  bool GetBusy() const { return control_.Busy(); }
  std::string GetDocumentTitle() const { return control_.DocumentTitle(); }
  bool IsSiteBlank() const;
  bool IsSiteFailed() const;
  bool IsErrorPage() const;
  bool IsActiveSite() const;
  bool IsLocalPage() const;
  // Visible sites of the frame.
  int VisibleCount() const;
  static bool IsLocalPath(const std::string& url);

  // The frame became the active MDI child.
  void OnActivate();
  // Mouse side buttons (1 back, 2 forward); true when consumed.
  bool OnSideButton(int button) override;

  // Page display (page_controls.cpp). The download-control flags the site's
  // page loads with; a new site takes them from the stored defaults.
  std::uint32_t downloadControl() const { return downloadControl_; }
  void ReadDownloadOptions();
  // Toggles one flag for this site only and reloads where the flag needs it.
  void ToggleDownloadControl(std::uint32_t flag);
  // The last text size chosen, 0 to 4; it starts at medium in every site.
  int textSize() const { return textSize_; }
  void SetTextSize(int size);
  void Zoom(ZoomStep step);
  void SetEncoding(unsigned commandId);
  // Up One Level: to the parent address; a beep where there is none.
  bool CanGoUp() const;
  void GoUp();

  // Popup blocking's state of this site.
  const SitePopupState& popup() const { return popup_; }
  // The verdict of the timing test for the window this site was opened as;
  // navigations held back until then are judged now.
  void TimingDecided(bool suspect);
  // Blocked: the site loads unseen and silent until it is recovered or closed.
  void SetBlocked(bool blocked);
  // Recovered by the user: never a suspect again.
  void AllowPopup() { popup_.allowed = true; }
  // Hidden with Hide Site: its navigations no longer bring it into view.
  bool hiddenByUser() const { return hiddenByUser_; }
  void SetHiddenByUser(bool hidden) { hiddenByUser_ = hidden; }

  // The caption of the AutoLogin entry whose login waits for this site's
  // next non-blank page; "" when none waits.
  const std::string& pendingAutoLogin() const { return pendingAutoLogin_; }
  void SetPendingAutoLogin(std::string caption) { pendingAutoLogin_ = std::move(caption); }

  const SiteHistory& history() const { return history_; }
  // The download's progress in percent; -1 when none is under way.
  int progress() const { return progress_; }
  bool navigationPending() const { return navigationPending_; }
  const std::string& statusText() const { return statusText_; }

  // BrowserEvents
  void OnBeforeNavigate2(const NavigateRequest& request, bool& cancel) override;
  void OnNavigateComplete2(const std::string& url, bool topLevel) override;
  void OnDocumentComplete(const std::string& url, bool topLevel) override;
  void OnDownloadBegin() override;
  void OnDownloadComplete() override;
  void OnProgressChange(long progress, long maximum) override;
  void OnStatusTextChange(const std::string& text) override;
  void OnTitleChange(const std::string& text) override;
  void OnCommandStateChange(int command, bool enable) override;
  BrowserControl* OnNewWindow2(const NewWindowRequest& request, bool& cancel) override;
  void OnWindowClosing(bool& cancel) override;
  void OnWindowSetWidth(int width) override;
  void OnWindowSetHeight(int height) override;
  bool OnShowScriptError(const ScriptErrorInfo& error) override;
  void OnPointerPress(int id, bool rightButton) override;
  void OnPointerTarget(int id, const std::string& tag, bool textField) override;
  void OnEnterKey() override;
  void OnDownloadStarted() override;
  PermissionAnswer OnPermissionRequest(const std::string& origin, PagePermission what) override;
  void OnPermissionAnswered(const std::string& origin, PagePermission what, bool allow) override;
  bool OnLoginRequest(const LoginRequest& request) override;
  bool OnFullScreenRequest(bool enter) override;
  bool OnPrintRequest() override;

  // Opened by a page (a link's new window or window.open), not by the user.
  bool openedByPage() const { return openedByPage_; }
  // Out of the user's sight by popup blocking or Hide Site: it may ask the
  // user nothing.
  bool Unseen() const { return popup_.blocked || popup_.pending || hiddenByUser_; }

 private:
  // Steps of a navigation that depend on the popup verdict.
  void JudgeNavigation(const NavigateRequest& request);
  void UpdateHistory(const std::string& url);
  void UpdateAddress(const std::string& url);
  void RefreshProgress();
  void ApplyDownloadControl();

  SiteHost& host_;
  CChildFrame frame_;
  CKestrelDoc doc_;
  BrowserControl& control_;

  SiteHistory history_;
  SitePopupState popup_;
  bool hiddenByUser_ = false;
  bool openedByPage_ = false;
  bool shownDocument_ = false;  // a document other than a blank one completed
  int progress_ = -1;
  std::string requestedUrl_;
  bool navigationPending_ = false;
  std::string statusText_;
  std::string pendingAutoLogin_;
  std::uint32_t downloadControl_ = 0;
  int textSize_ = kTextSizeMedium;
};

}  // namespace kestrel
