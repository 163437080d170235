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
#include "popups/click_tracker.h"
#include "site/site_host.h"

namespace kestrel {

// Command ids handled by a site.
enum SiteCommand : unsigned {
  ID_GO_BACK = 32787,
  ID_GO_FORWARD = 32788,
  ID_GO_HOME = 32789,
  ID_VIEW_STOP = 32778,
  ID_VIEW_REFRESH = 32779,
  ID_DUPLICATE_SITE = 32813,
  ID_FILE_CLOSE = 57602,
  ID_CLOSE_ALL = 32838,
  ID_CLOSE_ALL_BUT_CURRENT = 32915,
  ID_SITE_MINIMIZE = 33016,
  ID_SITE_RESTORE = 33017,
  ID_HIDE_SITE = 32863,
  ID_ADD_WHITE_LIST = 4,
  ID_ADD_BLACK_LIST = 32893,
};

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
  bool IsVisible() const { return window_.IsVisible(); }

 private:
  ChildWindow& window_;
};

class CKestrelView : public BrowserEvents {
 public:
  CKestrelView(SiteHost& host, ChildWindow& window, BrowserControl& control);
  ~CKestrelView() override;

  CKestrelDoc& document() { return doc_; }
  CChildFrame& frame() { return frame_; }
  BrowserControl& control() { return control_; }

  // The navigation entry point.
  void Navigate(const std::string& url, std::uint32_t flags = 0, const std::string& targetFrame = "",
                const std::string& headers = "", const std::vector<std::uint8_t>& postData = {});
  void GoHome();
  void GoBack(int n);
  void GoForward(int n);
  // The Back (or Forward) drop-down: at most 9 pages behind (ahead of) the
  // current one, nearest first, each its title or else its address.
  std::vector<std::string> HistoryMenuItems(bool forward) const;
  // The k-th item of that drop-down was chosen.
  void GoByMenu(bool forward, int k);
  void Stop();
  void Refresh();

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

  // Site commands; false for an id the site does not handle.
  bool OnCommand(unsigned id);
  // Whether a site command is enabled now.
  bool IsCommandEnabled(unsigned id) const;
  // The frame became the active MDI child.
  void OnActivate();
  // Close (57602): closes unless it is the last visible site.
  void Close();
  // Mouse side buttons (1 back, 2 forward); true when consumed.
  bool OnSideButton(int button);
  // The verdict of the timing test for the window this site was opened as;
  // navigations held back until then are judged now.
  void TimingDecided(bool suspect);
  // Blocked: the site loads unseen and silent until it is recovered or closed.
  void SetBlocked(bool blocked);

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

  // Per-site state.
  std::string m_strCurrentUrl;
  std::string m_strPageTitle;
  std::vector<std::string> m_historyUrls, m_historyTitles;
  int m_nLastHistoryLength = 0;
  int m_nHistoryPos = -1;
  int m_nHistoryStep = 0;
  std::uint32_t m_dwDownloadControl = 0;
  int m_nProgress = -1;
  std::string m_strRequestedUrl;
  bool m_bNavigationPending = false;
  std::string m_strPendingAutoLogin;
  bool m_bHiddenByUser = false;
  int m_nTextSize = 2;
  std::int64_t m_tCreated = 0;
  bool m_bSuspectHidden = false;
  bool m_bOpenedAsSuspect = false;
  bool m_bPopupAllowed = false;
  // The last clicked tag and the last left and right click times.
  ClickTracker m_clicks;
  // Opened by a page while the opener's last click was still being looked
  // at: the site stays unseen, its navigations held, until the verdict.
  bool m_bSuspectPending = false;
  std::vector<NavigateRequest> m_heldNavigations;
  bool m_bCanForward = false;
  bool m_bCanBack = false;
  std::string m_strStatusText;
  // What the page asked for when it opened this site (popup appearance test).
  NewWindowRequest m_openRequest;
  bool m_bOpenedByPage = false;

 private:
  // Steps of a navigation that depend on the popup verdict.
  void JudgeNavigation(const NavigateRequest& request);
  void UpdateHistory(const std::string& url);
  void UpdateAddress(const std::string& url);
  void RefreshProgress();

  SiteHost& host_;
  CChildFrame frame_;
  CKestrelDoc doc_;
  BrowserControl& control_;
};

}  // namespace kestrel
