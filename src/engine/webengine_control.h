#pragma once
// The browser control on Qt WebEngine. Qt's signals and page hooks become
// the control's events:
//   acceptNavigationRequest  -> BeforeNavigate2 (frames too)
//   urlChanged               -> NavigateComplete2, CommandStateChange
//   loadStarted              -> DownloadBegin
//   loadProgress             -> ProgressChange(p, 100); (-1, 100) once idle
//   loadFinished             -> DownloadComplete, DocumentComplete
//   titleChanged             -> TitleChange
//   linkHovered              -> StatusTextChange
//   newWindowRequested       -> NewWindow2 (answered synchronously), with the
//                               features window.open asked for
//   windowCloseRequested     -> WindowClosing
//   geometryChangeRequested  -> WindowSetWidth, WindowSetHeight
//   console error messages   -> the script-error notification
//   downloadRequested        -> DownloadStarted, then the context's onDownload
//   featurePermissionRequested -> PermissionRequest, the bar above the page
//   authenticationRequired   -> LoginRequest, then the context's askLogin
//   fullScreenRequested      -> FullScreenRequest; the page fills the screen
//   printRequested           -> PrintRequest, then the context's print
// A failed load keeps the engine's error page in the failed entry (so Back
// and Refresh behave) but reports the title "Cannot find server"; a crashed
// renderer shows Kestrel's own page titled "No page to display". A
// certificate that fails shows Kestrel's certificate page, which is no
// failed site. A page's alert(), confirm() and prompt() ask through the
// context's pageDialog without blocking the other sites.
#include <QDialog>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <atomic>
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "platform/browser_control.h"
#include "platform/window_features.h"

class QEvent;
class QLabel;
class QPoint;
class QPrinter;
class QTimer;
class QWebEngineCertificateError;
class QWebEngineDownloadRequest;
class QWebEnginePage;
class QWebEngineView;
class QWidget;

namespace kestrel {

class WebEngineControl;
class KestrelPage;
class PageRequestFilter;
class FindBar;

// What a page's alert(), confirm() or prompt() asks.
struct PageDialogRequest {
  enum class Kind { Alert, Confirm, Prompt };
  Kind kind = Kind::Alert;
  std::string origin;  // scheme, host and port of the asking page; empty for a local one
  std::string message;
  std::string defaultText;  // prompt()'s
};

// The window that asks it. The control shows it without blocking anything
// but its own page, and ends it as Cancel when its site navigates or closes.
class PageDialogWindow : public QDialog {
 public:
  using QDialog::QDialog;
  // What was typed into a prompt.
  virtual std::string text() const { return {}; }
  // The user ticked "Don't let this page create more dialogs".
  virtual bool noMoreDialogs() const { return false; }
};

// window.external.addFavorite(url[, title]) of a page.
using AddFavoriteHandler = std::function<void(const std::string& url, const std::string& title)>;

// What the controls of one main window share; it outlives every control
// made with it.
class EngineContext {
 public:
  EngineContext();
  ~EngineContext();
  EngineContext(const EngineContext&) = delete;
  EngineContext& operator=(const EngineContext&) = delete;

  // While on, every network request of the pages is refused (Work Offline).
  void SetOffline(bool offline);
  bool offline() const { return offline_; }
  // Where window.external.addFavorite goes; nothing happens without it.
  AddFavoriteHandler addFavorite;
  // Where Home and Home Page go.
  std::string homePage = "about:blank";
  // The local pages Kestrel writes to send a form to the web (a POST
  // search's, a translation's): of all local pages these alone may reach it.
  std::vector<std::string> webFormPages;
  // Takes each download a page of this context starts (asks where to save
  // it, accepts or cancels it); without it every download is cancelled.
  std::function<void(QWebEngineDownloadRequest*)> onDownload;
  // Asks the user for the login a server wants: false for Cancel. Without
  // it every login is cancelled.
  std::function<bool(const LoginRequest&, std::string& user, std::string& password)> askLogin;
  // Told each time the engine starts loading a page of this context.
  std::function<void()> onLoadStarted;
  // Prints a page that called window.print(), with the print dialog.
  std::function<void(WebEngineControl&)> print;
  // Makes the window for a page's alert, confirm or prompt over `parent`,
  // not shown yet. nullptr (or no function) answers without asking: an
  // alert OK, a confirm or prompt Cancel.
  std::function<PageDialogWindow*(QWidget* parent, const PageDialogRequest&)> pageDialog;
  // Hosts whose failing certificate the user accepted, for this run only.
  std::set<std::string> certificateExceptions;

 private:
  friend class WebEngineControl;
  void WatchDownloads();
  void TakeDownload(QWebEngineDownloadRequest* request);
  bool watchingDownloads_ = false;
  std::atomic<bool> offline_{false};  // read by the request filters
  std::vector<WebEngineControl*> controls_;  // every control made with this context, to tell of offline
  std::unique_ptr<QObject> anchor_;  // the downloads' connection lives as long as the context
};

class WebEngineControl : public QObject, public BrowserControl {
  Q_OBJECT
 public:
  explicit WebEngineControl(EngineContext& context, QObject* parent = nullptr);
  ~WebEngineControl() override;

  QWidget* widget() const;
  QWebEngineView* view() const { return view_; }
  BrowserEvents* events() const { return events_; }

  void SetEvents(BrowserEvents* events) override { events_ = events; }
  void Navigate2(const NavigateRequest& request) override;
  void GoBack() override;
  void GoForward() override;
  void GoHome() override;
  void Stop() override;
  void Refresh() override;
  std::string LocationURL() const override;
  std::string LocationName() const override;
  bool Busy() const override { return busy_; }
  std::string DocumentTitle() const override;
  int HistoryLength() const override;
  bool MenuBar() const override { return features_.menuBar; }
  bool ToolBar() const override { return features_.toolBar; }
  bool AddressBar() const override { return features_.addressBar; }
  void ExecScript(const std::string& script, std::function<void(const std::string&)> done) override;
  void ExecOwnScript(const std::string& script, std::function<void(const std::string&)> done) override;
  void SetAudioMuted(bool muted) override;
  // Page display (page_display.cpp).
  bool HasDocument() const override;
  bool EditEnabled(EditCommand command) const override;
  void Edit(EditCommand command) override;
  void ShowFindBar() override;
  void SetTextZoom(double factor) override;
  void SetDefaultEncoding(const std::string& charset) override;
  void SetDownloadControl(std::uint32_t flags) override;
  bool SavePage(const std::string& path, SavePageFormat format) override;
  void QueryProperties(std::function<void(const PageProperties&)> done) override;
  // A Save As of this page is under way.
  bool SavingPage() const { return saving_; }
  // The find bar, once it has been shown.
  QWidget* findBar() const;

  void SetFeatures(const WindowFeatures& f) { features_ = f; }
  // Prints the page on `printer` (one print at a time; a second is ignored).
  void PrintTo(std::unique_ptr<QPrinter> printer);
  // The page fills the screen, in a window of its own.
  bool InPageFullScreen() const { return fullScreen_ != nullptr; }
  // The request filter sees this page's requests: only while it has one to
  // refuse (Work Offline, no pictures or no videos), as the engine asks the
  // filter on the UI thread for every request of the page.
  bool FiltersRequests() const { return filtering_; }
  // Kestrel's certificate page is shown.
  bool OnCertificatePage() const { return certPage_; }
  // The page's alert, confirm or prompt waiting for the user, if any.
  PageDialogWindow* pageDialogWindow() const { return pageDialog_; }
  // The user stopped this document's dialogs.
  bool PageDialogsStopped() const { return dialogsStopped_; }
  // A title kept of a page is at most this many characters: a page may set
  // one of any size, and the caption, tabs and history keep copies.
  static constexpr int kMaxTitleChars = 1024;

 protected:
  // Presses and Enter in the page, seen before the page gets them.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void RunIn(unsigned world, const std::string& script, std::function<void(const std::string&)> done);
  void WatchInput(QObject* widget);
  void AskWhatIsUnder(int id, QPoint pos);
  friend class KestrelPage;
  friend class EngineContext;
  QWebEnginePage* page() const;
  void FireCommandStates();
  void UpdateRequestFilter();
  // window.external.addFavorite of the page, as its script reported it.
  void ExternalCall(const QString& json);
  // Whether the focused element takes typing, learnt as the selection moves.
  void LearnEditableFocus();
  void SaveFinished(QWebEngineDownloadRequest* request);
  void ShowCrashPage();
  // The page's dialog, if one is up, ends as Cancel; with `newDocument`
  // the next document may ask again.
  void EndPageDialog(bool newDocument);
  std::string Title() const;
  void LoadFinished(bool failed, bool nothingCommitted = false);
  // A load the engine never announces the end of (see the .cpp): finished
  // when its page has committed and says it is complete.
  void NoteRequest(const QUrl& url);
  void AwaitUnsignalledLoad();
  void PollUnsignalledLoad();
  void FinishUnsignalledLoad();
  // Certificate errors, page full screen, the permission bar and logins.
  void CertificateFailed(QWebEngineCertificateError error);
  void CertificateLink(const QUrl& url);
  void ShowCertificatePage();
  void SetPageFullScreen(bool on);
  void AskPermission(const QUrl& origin, int feature);
  void AnswerPermission(bool allow);
  void ShowNextPermission();
  void DropPermissions();
  bool Login(const QUrl& url, const QString& host, const QString& realm, bool proxy, QString& user,
             QString& password);

  EngineContext& context_;
  QWidget* box_;  // the bar above the page, and the page
  QWidget* bar_ = nullptr;
  QLabel* barText_ = nullptr;
  QWidget* fullScreen_ = nullptr;
  QWebEngineView* view_;
  KestrelPage* page_;
  BrowserEvents* events_ = nullptr;
  WindowFeatures features_;
  std::string errorTitle_;
  QUrl failedUrl_;
  bool busy_ = false;
  bool failed_ = false;        // the last load failed (error page shown)
  bool crashPage_ = false;     // our own page after a renderer crash
  QUrl lastUrl_;
  bool passedEmpty_ = false;
  bool requestedWhileBusy_ = false;  // a top-level navigation asked for during a load, not committed yet
  bool unsignalled_ = false;         // that load goes on without the engine's end
  bool committedUnsignalled_ = false;
  QUrl requestedWhileBusyUrl_;
  QElapsedTimer unsignalledSince_;
  bool ownFinish_ = false;           // its end was Kestrel's; a late one of the engine is not a second
  QTimer* readyPoll_ = nullptr;
  // What window.open last asked for in this page, for the window it opens.
  std::string pendingOpenUrl_;
  WindowFeatures pendingFeatures_;
  bool hasPending_ = false;
  int pressSeq_ = 0;
  // The permission questions waiting for the bar, oldest first.
  struct PendingQuestion {
    QUrl origin;
    int feature;
  };
  std::vector<PendingQuestion> questions_;
  // The certificate that failed the last top-level load, for its page.
  struct CertificateProblem {
    QUrl url;
    QString reason, description, subject, issuer, validFrom, validTo;
    bool overridable = false;
  };
  std::unique_ptr<CertificateProblem> cert_;
  std::unique_ptr<QPrinter> printer_;
  bool certPage_ = false;
  QString certToken_;
  QUrl mainNavigation_;  // the top-level address being loaded, redirects included
  QString lastLogin_;    // host and realm of the last login asked in this load
  std::unique_ptr<PageRequestFilter> requests_;
  bool contextGone_ = false;  // its EngineContext has been destroyed
  bool filtering_ = false;
  FindBar* findBar_ = nullptr;
  bool editableFocus_ = false;
  bool saving_ = false;
  QPointer<PageDialogWindow> pageDialog_;
  bool dialogsStopped_ = false;
  int document_ = 0;  // counts the documents the page has had
};

}  // namespace kestrel
