#include "engine/webengine_control.h"

#include <QAuthenticator>
#include <QBoxLayout>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QShortcut>
#include <QSslCertificate>
#include <QTimer>
#include <QWebEngineCertificateError>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFullScreenRequest>
#include <QJsonDocument>
#include <QJsonArray>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMessageBox>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/progdir.h"
#include "common/trace.h"
#include "engine/page_request_filter.h"
#include "engine/web_engine.h"
#include "platform/address_fixup.h"
#include "platform/page_permission.h"

namespace kestrel {
namespace {

std::string S(const QString& q) { return q.toStdString(); }

QString HtmlEscape(const QString& s) { return s.toHtmlEscaped(); }

// The markers of the page script's synchronous reports (see kPageScript);
// a page that sends one itself only does what it could do by calling
// window.open or window.external.addFavorite.
const QString kFeaturesMarker = QStringLiteral("\x01kestrel-window-features");
const QString kExternalMarker = QStringLiteral("\x01kestrel-external");

// The links of the certificate page; no page of the web can reach them
// without the page's own token.
const QString kCertificateScheme = QStringLiteral("kestrel-certificate");

// The one script Kestrel puts in every document, before the page's own.
// It wraps window.open so the features a page asks for reach the program
// before the engine asks for the new window, and gives window.external its
// addFavorite. Both report through prompt(), which is synchronous and
// answered by the program without a dialog; the original prompt, open and
// JSON.stringify are kept in the closure, out of the page's reach. Nothing
// runs until the page calls one of them: a page that does not costs only
// this script, and no channel to the program is set up for it.
const char kPageScript[] = R"JS(
(function () {
  var open = window.open, ask = window.prompt, stringify = JSON.stringify;
  if (typeof ask !== 'function') return;
  var report = function (marker, detail) { ask.call(window, marker, stringify.call(JSON, detail)); };
  if (typeof open === 'function') {
    var wrapped = function (url, name, features) {
      try {
        var target = (url === undefined || url === null || String(url) === '') ? 'about:blank'
                     : new URL(String(url), document.baseURI).href;
        report('\x01kestrel-window-features',
               {url: target, features: features === undefined ? null : String(features)});
      } catch (e) {}
      return open.apply(this, arguments);
    };
    try {
      Object.defineProperty(wrapped, 'toString', {value: function () { return open.toString(); }});
    } catch (e) {}
    window.open = wrapped;
  }
  var ext = window.external;
  if (!ext) return;
  try {
    Object.defineProperty(ext, 'addFavorite', {configurable: true, value: function () {
      if (arguments.length !== 1 && arguments.length !== 2) return;
      try {
        report('\x01kestrel-external',
               {call: 'addFavorite', url: String(arguments[0]), title: String(arguments[arguments.length - 1])});
      } catch (e) {}
    }});
  } catch (e) {}
})();
)JS";

// Installed once on the profile: every page of every site gets it.
void InstallPageScripts() {
  static bool done = false;
  if (done) return;
  done = true;
  QWebEngineScript script;
  script.setName(QStringLiteral("kestrel-page"));
  script.setSourceCode(QString::fromUtf8(kPageScript));
  script.setInjectionPoint(QWebEngineScript::DocumentCreation);
  script.setRunsOnSubFrames(true);
  script.setWorldId(QWebEngineScript::MainWorld);
  KestrelWebProfile()->scripts()->insert(script);
}

}  // namespace

void StartWebEngine() { InstallPageScripts(); }

EngineContext::EngineContext() : anchor_(std::make_unique<QObject>()) {}

void EngineContext::WatchDownloads() {
  // Only once a page exists: the profile starts the engine's processes.
  if (watchingDownloads_) return;
  watchingDownloads_ = true;
  // The profile is shared; each context takes the downloads of its own pages.
  QObject::connect(KestrelWebProfile(), &QWebEngineProfile::downloadRequested, anchor_.get(),
                   [this](QWebEngineDownloadRequest* request) { TakeDownload(request); });
}

EngineContext::~EngineContext() {
  // A window's controls may go after its context (the widgets that hold
  // them are deleted after the window's members): they must not reach it.
  for (WebEngineControl* c : controls_) c->contextGone_ = true;
}

// A title as Kestrel keeps it: at most kMaxTitleChars characters, never
// half a surrogate pair.
QString CutTitle(const QString& title) {
  if (title.size() <= WebEngineControl::kMaxTitleChars) return title;
  qsizetype n = WebEngineControl::kMaxTitleChars;
  if (title.at(n - 1).isHighSurrogate()) --n;
  return title.left(n);
}

void EngineContext::SetOffline(bool offline) {
  offline_ = offline;
  for (WebEngineControl* c : controls_) c->UpdateRequestFilter();
}

class KestrelPage : public QWebEnginePage {
 public:
  KestrelPage(WebEngineControl& owner, QObject* parent)
      : QWebEnginePage(KestrelWebProfile(), parent), owner_(&owner) {}
  // nullptr once the control has gone.
  WebEngineControl* owner() { return owner_; }
  // The control goes. True when a dialog of this page still waits in its
  // loop further down the stack: then the page must outlive that loop, and
  // goes once it is over.
  bool Orphan() {
    owner_ = nullptr;
    return asking_ > 0;
  }

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
    if (!owner_) return false;
    WebEngineControl& owner = *owner_;
    if (url.scheme() == kCertificateScheme) {
      // Only a click on the page's own link; a script cannot accept for the user.
      if (isMainFrame && type == NavigationTypeLinkClicked) owner.CertificateLink(url);
      return false;
    }
    if (isMainFrame && url.scheme() != QStringLiteral("data")) {
      owner.mainNavigation_ = url;
      owner.certPage_ = false;
      owner.cert_.reset();
    }
    BrowserEvents* ev = owner.events_;
    if (!ev) {
      if (isMainFrame) owner.NoteRequest(url);
      return true;
    }
    if ((owner.crashPage_ || owner.certPage_) && isMainFrame && url.scheme() == QStringLiteral("data")) return true;
    NavigateRequest r;
    r.url = S(url.toString());
    r.topLevel = isMainFrame;
    bool cancel = false;
    ev->OnBeforeNavigate2(r, cancel);
    if (!cancel && isMainFrame) owner.NoteRequest(url);
    return !cancel;
  }

  // Every new window is answered in newWindowRequested; nothing is left here.
  QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }

  void javaScriptAlert(const QUrl& origin, const QString& msg) override {
    Ask(PageDialogRequest::Kind::Alert, origin, msg, {}, nullptr);
  }
  bool javaScriptConfirm(const QUrl& origin, const QString& msg) override {
    return Ask(PageDialogRequest::Kind::Confirm, origin, msg, {}, nullptr);
  }
  bool javaScriptPrompt(const QUrl& origin, const QString& msg, const QString& defaultValue,
                        QString* result) override {
    if (msg == kExternalMarker) {
      if (owner_) owner_->ExternalCall(defaultValue);
      if (result) result->clear();
      return false;
    }
    if (msg != kFeaturesMarker) return Ask(PageDialogRequest::Kind::Prompt, origin, msg, defaultValue, result);
    if (!owner_) return false;
    const QJsonObject o = QJsonDocument::fromJson(defaultValue.toUtf8()).object();
    owner_->pendingOpenUrl_ = S(o.value(QStringLiteral("url")).toString());
    const QJsonValue f = o.value(QStringLiteral("features"));
    owner_->pendingFeatures_ = ParseWindowFeatures(
        f.isString() ? std::optional<std::string_view>(S(f.toString())) : std::nullopt);
    owner_->hasPending_ = true;
    if (result) result->clear();
    return false;  // as if the user pressed Cancel: prompt() gives null
  }

  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
                                const QString& source) override {
    // Only uncaught exceptions are script errors; console.error() is the page talking.
    if (!owner_ || level != ErrorMessageLevel || !message.startsWith(QStringLiteral("Uncaught"))) return;
    BrowserEvents* ev = owner_->events_;
    ScriptErrorInfo info{S(message), line, S(source)};
    if (ev && ev->OnShowScriptError(info)) return;
    // Not taken by the host: the engine's own notice, without blocking the page.
    const char* autoDialogs = std::getenv("KESTREL_AUTO_DIALOGS");
    if (autoDialogs && std::strcmp(autoDialogs, "1") == 0) {
      std::fprintf(stderr, "kestrel-dialog: Script Error: %s\n", info.message.c_str());
      return;
    }
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Script Error"),
                                message + QStringLiteral("\nLine: ") + QString::number(line) +
                                    QStringLiteral("\n") + source,
                                QMessageBox::Ok, owner_->view_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
  }

 private:
  // The engine asks synchronously: the page's script waits for the answer.
  // The dialog runs in a loop of its own and is modal to nothing, so the
  // window and every other site go on; false is Cancel (and an alert's OK
  // when nobody was asked).
  bool Ask(PageDialogRequest::Kind kind, const QUrl& origin, const QString& message, const QString& defaultText,
           QString* result) {
    WebEngineControl* owner = owner_;
    // One at a time: a frame of another process asking meanwhile gets Cancel.
    if (!owner || owner->dialogsStopped_ || owner->pageDialog_ || !owner->context_.pageDialog) return false;
    PageDialogRequest r;
    r.kind = kind;
    if (!origin.host().isEmpty())
      r.origin = S(origin.adjusted(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment)
                       .toString());
    r.message = S(message);
    r.defaultText = S(defaultText);
    QPointer<PageDialogWindow> d = owner->context_.pageDialog(owner->box_, r);
    if (!d) return false;
    owner->pageDialog_ = d;
    const int document = owner->document_;
    QEventLoop loop;
    QObject::connect(d, &QDialog::finished, &loop, &QEventLoop::quit);
    QObject::connect(d, &QObject::destroyed, &loop, &QEventLoop::quit);
    d->setWindowModality(Qt::NonModal);
    ++asking_;
    d->show();
    loop.exec();
    --asking_;
    const bool ok = d && d->result() == QDialog::Accepted;
    const bool stop = d && d->noMoreDialogs();
    if (ok && result) *result = QString::fromStdString(d->text());
    if (d) d->deleteLater();
    if (!owner_) {
      // The site closed meanwhile; nothing of this page is used any more.
      if (asking_ == 0) deleteLater();
      return false;
    }
    if (owner_->pageDialog_ == d) owner_->pageDialog_ = nullptr;
    // A tick given while the page left for another document is not that document's.
    if (stop && owner_->document_ == document) owner_->dialogsStopped_ = true;
    return ok;
  }

  WebEngineControl* owner_;
  int asking_ = 0;  // dialogs of this page in their loops
};

void EngineContext::TakeDownload(QWebEngineDownloadRequest* request) {
  auto* page = dynamic_cast<KestrelPage*>(request->page());
  WebEngineControl* owner = page ? page->owner() : nullptr;
  if (!owner || &owner->context_ != this) return;
  if (request->isSavePageDownload()) {
    // Save As of the page itself: the path was chosen already.
    QObject::connect(request, &QWebEngineDownloadRequest::isFinishedChanged, owner,
                     [owner, request] { owner->SaveFinished(request); });
    if (request->state() == QWebEngineDownloadRequest::DownloadRequested) request->accept();
    return;
  }
  Trace("download", S(request->url().toString()) + " #" + std::to_string(request->id()));
  if (owner->events_) owner->events_->OnDownloadStarted();
  // A navigation that became a download commits no page: the load is over.
  if (owner->unsignalled_ && !owner->committedUnsignalled_) owner->FinishUnsignalledLoad();
  if (onDownload)
    onDownload(request);
  else
    request->cancel();
}

WebEngineControl::WebEngineControl(EngineContext& context, QObject* parent)
    : QObject(parent), context_(context), box_(new QWidget), view_(new QWebEngineView) {
  context_.WatchDownloads();
  InstallPageScripts();
  auto* layout = new QVBoxLayout(box_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(view_, 1);
  box_->setFocusProxy(view_);
  page_ = new KestrelPage(*this, view_);
  requests_ = std::make_unique<PageRequestFilter>(context_.offline_);
  context_.controls_.push_back(this);
  UpdateRequestFilter();
  view_->setPage(page_);
  // The engine puts its input widget inside the view, now or later.
  view_->installEventFilter(this);
  for (QObject* child : view_->children()) WatchInput(child);

  connect(page_, &QWebEnginePage::loadStarted, this, [this] {
    requestedWhileBusy_ = unsignalled_ = committedUnsignalled_ = ownFinish_ = false;
    if (readyPoll_) readyPoll_->stop();
    busy_ = true;
    failed_ = false;
    errorTitle_.clear();
    lastLogin_.clear();
    editableFocus_ = false;
    // A question of the page before stays unanswered: the new page did not ask it.
    DropPermissions();
    EndPageDialog(true);
    if (events_) events_->OnDownloadBegin();
  });
  connect(page_, &QWebEnginePage::loadProgress, this, [this](int p) {
    if (events_ && busy_) events_->OnProgressChange(p, 100);
  });
  connect(page_, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) {
    // A new window passes through an empty address and back to its own:
    // the page was committed once.
    if (url.isEmpty()) {
      passedEmpty_ = true;
      return;
    }
    const bool again = passedEmpty_ && url == lastUrl_;
    passedEmpty_ = false;
    lastUrl_ = url;
    if (TraceEnabled()) Trace("committed", S(url.toString()));
    if (busy_) requestedWhileBusy_ = false;  // committed within the running load: its end is this page's
    if (!events_ || again) return;
    if (unsignalled_) committedUnsignalled_ = true;
    events_->OnNavigateComplete2(S(url.toString()), true);
    FireCommandStates();
  });
  connect(page_, &QWebEnginePage::titleChanged, this, [this](const QString& t) {
    // The engine's error page titles itself with the host; the site must see ours.
    if (events_ && !failed_) events_->OnTitleChange(S(CutTitle(t)));
  });
  connect(page_, &QWebEnginePage::selectionChanged, this, [this] { LearnEditableFocus(); });
  connect(page_, &QWebEnginePage::linkHovered, this, [this](const QString& url) {
    if (events_) events_->OnStatusTextChange(S(url));
  });
  // The end of a load, with its error when it failed (loadFinished comes
  // earlier and without it).
  connect(page_, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
      if (TraceEnabled()) Trace("load-started", S(info.url().toString()));
      if (context_.onLoadStarted) context_.onLoadStarted();
      return;
    }
    // A load the user stopped is not a failed site, nor is an HTTP error
    // whose server sent a page of its own: that page is what the user sees.
    constexpr int kAborted = -3;
    const bool failed = info.status() == QWebEngineLoadingInfo::LoadFailedStatus &&
                        (info.isErrorPage() ||
                         (info.errorDomain() != QWebEngineLoadingInfo::HttpStatusCodeDomain &&
                          info.errorCode() != kAborted));
    // A certificate that failed gets Kestrel's own page, not the engine's.
    if (failed && cert_ && !certPage_) {
      ShowCertificatePage();
      return;
    }
    if (!busy_ && ownFinish_) {
      ownFinish_ = false;
      return;
    }
    // A navigation asked for just before the running load ended, and not
    // committed by then, gets neither a start nor an end from the engine:
    // the end that comes now is the old page's, which the user has left.
    // The load goes on until the new page says it is complete.
    // (One for the address already shown is this load's own end.)
    if (requestedWhileBusy_ && !failed && page_->url() != requestedWhileBusyUrl_) {
      requestedWhileBusy_ = false;
      AwaitUnsignalledLoad();
      return;
    }
    requestedWhileBusy_ = false;
    // A page whose only navigation became a download (a window opened for a
    // file) has committed nothing: it ends showing no document, whatever
    // address the engine still holds for it.
    const bool nothingCommitted = info.status() == QWebEngineLoadingInfo::LoadStoppedStatus &&
                                  !page_->history()->currentItem().isValid();
    LoadFinished(failed, nothingCommitted);
  });
  connect(page_, &QWebEnginePage::certificateError, this,
          [this](const QWebEngineCertificateError& error) { CertificateFailed(error); });
  connect(page_, &QWebEnginePage::authenticationRequired, this, [this](const QUrl& url, QAuthenticator* auth) {
    QString user, password;
    if (Login(url, url.host(), auth->realm(), false, user, password)) {
      auth->setUser(user);
      auth->setPassword(password);
    } else {
      *auth = QAuthenticator();  // a null authenticator cancels
    }
  });
  connect(page_, &QWebEnginePage::proxyAuthenticationRequired, this,
          [this](const QUrl& url, QAuthenticator* auth, const QString& proxyHost) {
            QString user, password;
            if (Login(url, proxyHost, auth->realm(), true, user, password)) {
              auth->setUser(user);
              auth->setPassword(password);
            } else {
              *auth = QAuthenticator();
            }
          });
  connect(page_, &QWebEnginePage::featurePermissionRequested, this,
          [this](const QUrl& origin, QWebEnginePage::Feature feature) { AskPermission(origin, feature); });
  connect(page_, &QWebEnginePage::featurePermissionRequestCanceled, this,
          [this](const QUrl& origin, QWebEnginePage::Feature feature) {
            const bool wasShown = !questions_.empty() && questions_.front().origin == origin &&
                                  questions_.front().feature == feature;
            std::erase_if(questions_, [&](const PendingQuestion& q) {
              return q.origin == origin && q.feature == static_cast<int>(feature);
            });
            if (wasShown) ShowNextPermission();
          });
  connect(page_, &QWebEnginePage::fullScreenRequested, this, [this](QWebEngineFullScreenRequest request) {
    const bool enter = request.toggleOn();
    const bool allowed = events_ ? events_->OnFullScreenRequest(enter) : !enter;
    Trace("page-full-screen", std::string(enter ? "enter" : "leave") + (allowed ? "" : " refused"));
    if (!allowed) {
      request.reject();
      return;
    }
    request.accept();
    SetPageFullScreen(enter);
  });
  connect(page_, &QWebEnginePage::printRequested, this, [this] {
    const bool allowed = events_ && events_->OnPrintRequest();
    Trace("print-request", allowed ? "" : "refused");
    if (allowed && context_.print) context_.print(*this);
  });
  connect(page_, &QWebEnginePage::windowCloseRequested, this, [this] {
    bool cancel = false;
    if (events_) events_->OnWindowClosing(cancel);
  });
  connect(page_, &QWebEnginePage::geometryChangeRequested, this, [this](const QRect& r) {
    if (!events_) return;
    events_->OnWindowSetWidth(r.width());
    events_->OnWindowSetHeight(r.height());
  });
  connect(page_, &QWebEnginePage::newWindowRequested, this, [this](QWebEngineNewWindowRequest& request) {
    NewWindowRequest r;
    r.url = S(request.requestedUrl().toString());
    r.userInitiated = request.isUserInitiated();
    // window.open reported what it asked for just before; a link or a form
    // target has no report and gets every bar.
    if (hasPending_ && (pendingOpenUrl_ == r.url || pendingOpenUrl_ == "about:blank")) {
      r.fromScript = true;
      r.features = pendingFeatures_;
    }
    hasPending_ = false;
    const QRect g = request.requestedGeometry();
    if (g.isValid()) {
      if (r.features.width < 0) r.features.width = g.width();
      if (r.features.height < 0) r.features.height = g.height();
    }
    BrowserEvents* ev = events_;
    if (!ev) return;
    bool cancel = false;
    BrowserControl* c = ev->OnNewWindow2(r, cancel);
    auto* w = dynamic_cast<WebEngineControl*>(c);
    if (cancel || !w) return;  // unhandled: the engine drops the window
    w->SetFeatures(r.features);
    request.openIn(w->page_);
  });
  connect(page_, &QWebEnginePage::renderProcessTerminated, this,
          [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
            if (status == QWebEnginePage::NormalTerminationStatus) return;
            busy_ = false;
            EndPageDialog(true);
            ShowCrashPage();
          });
}

QWebEnginePage* WebEngineControl::page() const { return page_; }

WebEngineControl::~WebEngineControl() {
  events_ = nullptr;
  if (!contextGone_) std::erase(context_.controls_, this);
  EndPageDialog(false);
  if (page_->Orphan()) {
    // Its dialog's loop is still on the stack: the page goes after it, and
    // must reach nothing of this control meanwhile.
    page_->setUrlRequestInterceptor(nullptr);
    page_->setParent(nullptr);
  }
  if (fullScreen_) {
    view_->setPage(page_);
    delete fullScreen_;
  }
  delete box_;
}

QWidget* WebEngineControl::widget() const { return box_; }

void WebEngineControl::ExternalCall(const QString& json) {
  const QJsonObject o = QJsonDocument::fromJson(json.toUtf8()).object();
  const QJsonValue url = o.value(QStringLiteral("url")), title = o.value(QStringLiteral("title"));
  if (o.value(QStringLiteral("call")).toString() != QStringLiteral("addFavorite") || !url.isString() ||
      !title.isString())
    return;
  // After the page's call has returned: the page goes on while the dialog is open.
  QPointer<WebEngineControl> self(this);
  QTimer::singleShot(0, this, [self, u = S(url.toString()), t = S(title.toString())] {
    if (self && self->context_.addFavorite) self->context_.addFavorite(u, t);
  });
}

void WebEngineControl::UpdateRequestFilter() {
  const bool needed = context_.offline_ || !requests_->pictures || !requests_->media;
  if (needed == filtering_) return;
  filtering_ = needed;
  page_->setUrlRequestInterceptor(needed ? requests_.get() : nullptr);
}

void WebEngineControl::LoadFinished(bool failed, bool nothingCommitted) {
  busy_ = false;
  if (crashPage_) {
    // Our own page after a crash: the site sees it as a failed load.
    failed_ = true;
    errorTitle_ = "No page to display";
  } else if (failed) {
    failed_ = true;
    errorTitle_ = "Cannot find server";
  }
  if (!events_) return;
  if (failed_) events_->OnTitleChange(errorTitle_);
  FireCommandStates();
  events_->OnDownloadComplete();
  events_->OnDocumentComplete(nothingCommitted ? std::string() : LocationURL(), true);
  events_->OnProgressChange(-1, 100);
}

void WebEngineControl::NoteRequest(const QUrl& url) {
  if (!busy_) return;
  requestedWhileBusy_ = true;
  requestedWhileBusyUrl_ = url;
}

void WebEngineControl::AwaitUnsignalledLoad() {
  Trace("load-unsignalled", S(page_->url().toString()));
  unsignalled_ = true;
  committedUnsignalled_ = false;
  if (!readyPoll_) {
    readyPoll_ = new QTimer(this);
    readyPoll_->setInterval(50);
    connect(readyPoll_, &QTimer::timeout, this, &WebEngineControl::PollUnsignalledLoad);
  }
  unsignalledSince_.start();
  readyPoll_->start();
}

void WebEngineControl::PollUnsignalledLoad() {
  if (!committedUnsignalled_) {
    // A navigation that never commits (a 204, a refused one) ends nothing
    // the engine would tell of: give the site its end after a while.
    constexpr qint64 kNoCommitMs = 30000;
    if (unsignalledSince_.elapsed() > kNoCommitMs) FinishUnsignalledLoad();
    return;
  }
  const QUrl url = page_->url();
  RunIn(QWebEngineScript::ApplicationWorld, "document.readyState", [this, url](const std::string& state) {
    if (unsignalled_ && page_->url() == url && state == "\"complete\"") FinishUnsignalledLoad();
  });
}

void WebEngineControl::FinishUnsignalledLoad() {
  unsignalled_ = committedUnsignalled_ = false;
  readyPoll_->stop();
  ownFinish_ = true;
  LoadFinished(false);
}

void WebEngineControl::EndPageDialog(bool newDocument) {
  if (newDocument) {
    ++document_;
    dialogsStopped_ = false;
  }
  if (pageDialog_) pageDialog_->reject();
}

std::string WebEngineControl::Title() const { return S(CutTitle(page_->title())); }

void WebEngineControl::ShowCrashPage() {
  crashPage_ = true;
  if (!page_->url().isEmpty()) failedUrl_ = page_->url();
  const QString html = QStringLiteral(
                           "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>No page to display</title>"
                           "<style>body{font-family:sans-serif;margin:3em;color:#333}</style></head><body>"
                           "<h1>No page to display</h1><p>The page <b>%1</b> stopped working.</p>"
                           "<p>Try it again with Refresh.</p></body></html>")
                           .arg(HtmlEscape(failedUrl_.toString()));
  page_->setHtml(html, failedUrl_);
}

namespace {

QString CertificateReason(QWebEngineCertificateError::Type type) {
  switch (type) {
    case QWebEngineCertificateError::CertificateCommonNameInvalid:
      return QStringLiteral("The certificate was made for another host name.");
    case QWebEngineCertificateError::CertificateDateInvalid:
      return QStringLiteral("The certificate has expired or is not valid yet.");
    case QWebEngineCertificateError::CertificateAuthorityInvalid:
      return QStringLiteral("The certificate was issued by an authority this system does not know (it may be "
                            "self-signed).");
    case QWebEngineCertificateError::CertificateRevoked:
      return QStringLiteral("The certificate has been revoked by its issuer.");
    case QWebEngineCertificateError::CertificateWeakSignatureAlgorithm:
    case QWebEngineCertificateError::CertificateWeakKey:
      return QStringLiteral("The certificate uses weak cryptography.");
    default:
      return QStringLiteral("The certificate is not valid.");
  }
}

}  // namespace

void WebEngineControl::CertificateFailed(QWebEngineCertificateError error) {
  const QUrl url = error.url();
  const QString host = url.host();
  const bool topLevel = url.adjusted(QUrl::RemoveFragment) == mainNavigation_.adjusted(QUrl::RemoveFragment);
  if (topLevel && error.isOverridable() && context_.certificateExceptions.count(S(host))) {
    Trace("certificate-accepted", S(host));
    error.acceptCertificate();
    return;
  }
  Trace("certificate-error", S(url.toString()) + (topLevel ? "" : " (frame)"));
  // A frame's certificate is refused without a page of ours: the frame
  // shows the engine's error, the page around it stays.
  if (topLevel) {
    auto p = std::make_unique<CertificateProblem>();
    p->url = url;
    p->reason = CertificateReason(error.type());
    p->description = error.description();
    p->overridable = error.isOverridable();
    const QList<QSslCertificate> chain = error.certificateChain();
    if (!chain.isEmpty()) {
      const QSslCertificate& c = chain.front();
      p->subject = c.subjectDisplayName();
      p->issuer = c.issuerDisplayName();
      p->validFrom = c.effectiveDate().toString(Qt::ISODate);
      p->validTo = c.expiryDate().toString(Qt::ISODate);
    }
    cert_ = std::move(p);
  }
  error.rejectCertificate();
}

void WebEngineControl::ShowCertificatePage() {
  const CertificateProblem& p = *cert_;
  certPage_ = true;
  failedUrl_ = p.url;
  certToken_ = QString::number(QRandomGenerator::global()->generate64(), 16);
  auto row = [](const QString& label, const QString& value) {
    return QStringLiteral("<tr><th>%1</th><td>%2</td></tr>")
        .arg(label, value.isEmpty() ? QStringLiteral("&mdash;") : HtmlEscape(value));
  };
  const QString link = kCertificateScheme + QStringLiteral(":%1?") + certToken_;
  const QString accept =
      p.overridable
          ? QStringLiteral("<a class=\"risk\" id=\"accept\" href=\"%1\">Accept the risk and continue</a>")
                .arg(link.arg(QStringLiteral("accept")))
          : QStringLiteral("<p class=\"note\">This certificate cannot be accepted.</p>");
  const QString html =
      QStringLiteral(
          "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Certificate Problem</title><style>"
          "body{font-family:sans-serif;margin:3em auto;max-width:44em;color:#222;padding:0 1em}"
          "h1{font-size:1.5em;color:#a4000f}table{border-collapse:collapse;margin:1em 0}"
          "th{text-align:left;padding:.25em 1em .25em 0;color:#555;font-weight:normal}td{padding:.25em 0}"
          "a{display:inline-block;margin:1em 1em 0 0;padding:.5em 1.2em;border-radius:4px;text-decoration:none}"
          "#back{background:#1a5fb4;color:#fff}.risk{color:#a4000f;border:1px solid #a4000f}"
          ".note{color:#555}</style></head><body>"
          "<h1>The certificate of %1 is not trusted</h1>"
          "<p>The server answered, but Kestrel cannot confirm it is the site it claims to be. Someone may be "
          "trying to read what you send to it.</p><p><b>%2</b></p><table>%3%4%5%6%7</table>"
          "<a id=\"back\" href=\"%8\">Go Back</a>%9</body></html>")
          .arg(HtmlEscape(p.url.host()), HtmlEscape(p.reason),
               row(QStringLiteral("Address"), p.url.toString()), row(QStringLiteral("Engine's report"), p.description),
               row(QStringLiteral("Issued to"), p.subject), row(QStringLiteral("Issued by"), p.issuer),
               row(QStringLiteral("Valid"), p.validFrom + QStringLiteral(" to ") + p.validTo),
               link.arg(QStringLiteral("back")), accept);
  page_->setHtml(html, p.url);
}

void WebEngineControl::CertificateLink(const QUrl& url) {
  if (!certPage_ || !cert_ || url.query() != certToken_) return;
  if (url.path() == QStringLiteral("accept") && cert_->overridable) {
    Trace("certificate-exception", S(cert_->url.host()));
    context_.certificateExceptions.insert(S(cert_->url.host()));
    const QUrl again = cert_->url;
    certPage_ = false;
    cert_.reset();
    page_->load(again);
  } else if (url.path() == QStringLiteral("back")) {
    GoBack();
  }
}

bool WebEngineControl::Login(const QUrl& url, const QString& host, const QString& realm, bool proxy, QString& user,
                             QString& password) {
  LoginRequest r;
  r.url = S(url.toString());
  r.host = S(host);
  r.realm = S(realm);
  r.proxy = proxy;
  const QString key = host + QLatin1Char('\n') + realm;
  r.retry = lastLogin_ == key;
  lastLogin_ = key;
  if (!events_ || !events_->OnLoginRequest(r) || !context_.askLogin) return false;
  std::string u, p;
  if (!context_.askLogin(r, u, p)) return false;
  user = QString::fromStdString(u);
  password = QString::fromStdString(p);
  return true;
}

void WebEngineControl::SetPageFullScreen(bool on) {
  if (on == (fullScreen_ != nullptr)) return;
  if (on) {
    // A window of its own covers the screen, Kestrel's full screen or not;
    // the page moves into it and back.
    fullScreen_ = new QWidget(nullptr, Qt::Window);
    fullScreen_->setWindowTitle(CutTitle(page_->title()));
    auto* layout = new QVBoxLayout(fullScreen_);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* view = new QWebEngineView(fullScreen_);
    layout->addWidget(view);
    view->setPage(page_);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), fullScreen_);
    connect(escape, &QShortcut::activated, this, [this] { page_->triggerAction(QWebEnginePage::ExitFullScreen); });
    fullScreen_->showFullScreen();
    view->setFocus();
  } else {
    view_->setPage(page_);
    fullScreen_->deleteLater();
    fullScreen_ = nullptr;
    view_->setFocus();
  }
}

namespace {

PagePermission PermissionOf(int feature) {
  switch (static_cast<QWebEnginePage::Feature>(feature)) {
    case QWebEnginePage::Notifications: return PagePermission::Notifications;
    case QWebEnginePage::Geolocation: return PagePermission::Geolocation;
    case QWebEnginePage::MediaAudioCapture: return PagePermission::Microphone;
    case QWebEnginePage::MediaVideoCapture: return PagePermission::Camera;
    case QWebEnginePage::MediaAudioVideoCapture: return PagePermission::CameraAndMicrophone;
    case QWebEnginePage::MouseLock: return PagePermission::MouseLock;
    case QWebEnginePage::DesktopVideoCapture:
    case QWebEnginePage::DesktopAudioVideoCapture: return PagePermission::ScreenShare;
  }
  return PagePermission::Notifications;
}

}  // namespace

namespace {

// The engine's answer to a page's request for `feature`.
void AnswerFeature(QWebEnginePage* page, const QUrl& origin, int feature, bool allow) {
  page->setFeaturePermission(origin, static_cast<QWebEnginePage::Feature>(feature),
                             allow ? QWebEnginePage::PermissionGrantedByUser : QWebEnginePage::PermissionDeniedByUser);
}

}  // namespace

void WebEngineControl::AskPermission(const QUrl& origin, int feature) {
  const PermissionAnswer a =
      events_ ? events_->OnPermissionRequest(S(origin.toString()), PermissionOf(feature)) : PermissionAnswer::Block;
  if (a != PermissionAnswer::Ask) {
    AnswerFeature(page_, origin, feature, a == PermissionAnswer::Allow);
    return;
  }
  questions_.push_back({origin, feature});
  if (questions_.size() == 1) ShowNextPermission();
}

void WebEngineControl::ShowNextPermission() {
  if (questions_.empty()) {
    if (bar_) bar_->hide();
    return;
  }
  if (!bar_) {
    bar_ = new QWidget(box_);
    bar_->setObjectName(QStringLiteral("permission-bar"));
    bar_->setAutoFillBackground(true);
    QPalette pal = bar_->palette();
    pal.setColor(QPalette::Window, QColor(0xfd, 0xf6, 0xd8));
    pal.setColor(QPalette::WindowText, QColor(0x22, 0x22, 0x22));
    bar_->setPalette(pal);
    auto* row = new QHBoxLayout(bar_);
    row->setContentsMargins(8, 4, 8, 4);
    barText_ = new QLabel(bar_);
    row->addWidget(barText_, 1);
    auto* allow = new QPushButton(QStringLiteral("&Allow"), bar_);
    allow->setObjectName(QStringLiteral("permission-allow"));
    auto* block = new QPushButton(QStringLiteral("&Block"), bar_);
    block->setObjectName(QStringLiteral("permission-block"));
    row->addWidget(allow);
    row->addWidget(block);
    connect(allow, &QPushButton::clicked, this, [this] { AnswerPermission(true); });
    connect(block, &QPushButton::clicked, this, [this] { AnswerPermission(false); });
    static_cast<QVBoxLayout*>(box_->layout())->insertWidget(0, bar_);
  }
  const PendingQuestion& q = questions_.front();
  barText_->setText(QString::fromStdString(
      PermissionQuestion(S(q.origin.toString()), PermissionOf(q.feature))));
  bar_->show();
}

void WebEngineControl::AnswerPermission(bool allow) {
  if (questions_.empty()) return;
  const PendingQuestion q = questions_.front();
  questions_.erase(questions_.begin());
  Trace("permission-answer", S(q.origin.toString()) + (allow ? " allow" : " block"));
  if (events_) events_->OnPermissionAnswered(S(q.origin.toString()), PermissionOf(q.feature), allow);
  AnswerFeature(page_, q.origin, q.feature, allow);
  // The same question again (another frame of the host) has its answer now.
  std::vector<PendingQuestion> rest = std::move(questions_);
  questions_.clear();
  for (const PendingQuestion& r : rest) {
    if (PermissionHost(S(r.origin.toString())) == PermissionHost(S(q.origin.toString())) &&
        r.feature == q.feature)
      AnswerFeature(page_, r.origin, r.feature, allow);
    else
      questions_.push_back(r);
  }
  ShowNextPermission();
}

void WebEngineControl::DropPermissions() {
  for (const PendingQuestion& q : questions_)
    AnswerFeature(page_, q.origin, q.feature, false);
  questions_.clear();
  if (bar_) bar_->hide();
}

void WebEngineControl::PrintTo(std::unique_ptr<QPrinter> printer) {
  // The engine prints in the background; the printer lives until it is done.
  if (printer_) return;
  printer_ = std::move(printer);
  connect(view_, &QWebEngineView::printFinished, this, [this](bool ok) {
    Trace("print-finished", ok ? "ok" : "failed");
    disconnect(view_, &QWebEngineView::printFinished, this, nullptr);
    printer_.reset();
  });
  view_->print(printer_.get());
}

void WebEngineControl::FireCommandStates() {
  if (!events_) return;
  events_->OnCommandStateChange(CSC_NAVIGATEBACK, page_->history()->canGoBack());
  events_->OnCommandStateChange(CSC_NAVIGATEFORWARD, page_->history()->canGoForward());
}

void WebEngineControl::Navigate2(const NavigateRequest& request) {
  EndPageDialog(false);
  crashPage_ = false;
  certPage_ = false;
  cert_.reset();
  const QUrl url(QString::fromStdString(FixupAddress(request.url)));
  // The pages Kestrel writes for a POST search or a translation send their
  // form to the web; no other local page may reach out.
  bool postForm = false;
  if (url.isLocalFile())
    for (const std::string& page : context_.webFormPages)
      postForm = postForm || url.toLocalFile() == QString::fromStdString(page);
  page_->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, postForm);
  // The engine loads about:blank without asking first; the site must still
  // hear of the navigation, or a blank site would never come into view.
  if (url == QUrl(QStringLiteral("about:blank")) && events_) {
    NavigateRequest r = request;
    r.url = "about:blank";
    r.topLevel = true;
    bool cancel = false;
    events_->OnBeforeNavigate2(r, cancel);
    if (cancel) return;
  }
  if (TraceEnabled()) Trace("engine-navigate", S(url.toString()));
  page_->load(url);
}

void WebEngineControl::GoBack() {
  EndPageDialog(false);
  if (certPage_ && !page_->history()->canGoBack()) {
    page_->load(QUrl(QStringLiteral("about:blank")));
    return;
  }
  page_->triggerAction(QWebEnginePage::Back);
}
void WebEngineControl::GoForward() {
  EndPageDialog(false);
  page_->triggerAction(QWebEnginePage::Forward);
}
void WebEngineControl::GoHome() {
  EndPageDialog(false);
  page_->load(QUrl(QString::fromStdString(context_.homePage)));
}
void WebEngineControl::Stop() {
  page_->triggerAction(QWebEnginePage::Stop);
  if (unsignalled_) FinishUnsignalledLoad();  // the engine thinks nothing runs, and says nothing
}

void WebEngineControl::Refresh() {
  EndPageDialog(false);
  if (crashPage_ || certPage_) {
    crashPage_ = false;
    certPage_ = false;
    page_->load(failedUrl_);
    return;
  }
  page_->triggerAction(QWebEnginePage::Reload);
}

std::string WebEngineControl::LocationURL() const { return S(page_->url().toString()); }
std::string WebEngineControl::LocationName() const { return failed_ ? errorTitle_ : Title(); }
std::string WebEngineControl::DocumentTitle() const { return failed_ ? errorTitle_ : Title(); }
int WebEngineControl::HistoryLength() const { return page_->history()->count(); }

void WebEngineControl::ExecScript(const std::string& script, std::function<void(const std::string&)> done) {
  RunIn(QWebEngineScript::MainWorld, script, std::move(done));
}

void WebEngineControl::ExecOwnScript(const std::string& script, std::function<void(const std::string&)> done) {
  RunIn(QWebEngineScript::ApplicationWorld, script, std::move(done));
}

void WebEngineControl::RunIn(unsigned world, const std::string& script, std::function<void(const std::string&)> done) {
  QPointer<WebEngineControl> self(this);
  page_->runJavaScript(QString::fromStdString(script), world, [self, done](const QVariant& v) {
    if (!self || !done) return;
    QJsonDocument doc = QJsonDocument::fromVariant(QVariantList{v});
    std::string json = doc.toJson(QJsonDocument::Compact).toStdString();
    // Drop the list brackets around the single value.
    done(json.size() >= 2 ? json.substr(1, json.size() - 2) : std::string());
  });
}

void WebEngineControl::SetAudioMuted(bool muted) { page_->setAudioMuted(muted); }

namespace {
// Run in Kestrel's own script world, so a page cannot change what it finds.
// Descends into <frame> documents (not iframes); a frame it cannot reach
// gives no tag.
const char kElementUnderScript[] = R"JS(
(function (x, y) {
  var d = document, e = d.elementFromPoint(x, y);
  while (e && e.tagName && e.tagName.toLowerCase() === 'frame') {
    var r = e.getBoundingClientRect(), inner = null;
    try { inner = e.contentDocument; } catch (err) { inner = null; }
    if (!inner) return ['', false];
    x -= r.left; y -= r.top; d = inner; e = d.elementFromPoint(x, y);
  }
  if (!e || !e.tagName) return ['', false];
  var tag = e.tagName.toLowerCase(), text = false;
  if (tag === 'input') {
    var t = String(e.type || 'text').toLowerCase();
    text = ['text', 'password', 'search', 'email', 'url', 'tel', 'number'].indexOf(t) >= 0;
  }
  return [tag, text];
})(%1, %2)
)JS";
}  // namespace

void WebEngineControl::WatchInput(QObject* widget) {
  if (widget && widget->isWidgetType()) widget->installEventFilter(this);
}

bool WebEngineControl::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ChildAdded:
      if (watched == view_) WatchInput(static_cast<QChildEvent*>(event)->child());
      break;
    case QEvent::MouseButtonPress: {
      if (watched == view_ || !events_) break;
      auto* m = static_cast<QMouseEvent*>(event);
      if (m->button() == Qt::BackButton || m->button() == Qt::ForwardButton) {
        if (events_->OnSideButton(m->button() == Qt::BackButton ? 1 : 2)) return true;
        break;
      }
      if (m->button() != Qt::LeftButton && m->button() != Qt::RightButton) break;
      const int id = ++pressSeq_;
      events_->OnPointerPress(id, m->button() == Qt::RightButton);
      AskWhatIsUnder(id, m->position().toPoint());
      break;
    }
    case QEvent::MouseButtonRelease:
    case QEvent::KeyRelease: {
      // A click or Tab may move the focus into or out of a field without the
      // selection changing; other keys do not, and typing stays untouched.
      const bool moves = event->type() == QEvent::MouseButtonRelease ||
                         static_cast<QKeyEvent*>(event)->key() == Qt::Key_Tab ||
                         static_cast<QKeyEvent*>(event)->key() == Qt::Key_Backtab;
      if (watched != view_ && moves) QTimer::singleShot(0, this, [this] { LearnEditableFocus(); });
      break;
    }
    case QEvent::KeyPress: {
      if (watched == view_ || !events_) break;
      auto* k = static_cast<QKeyEvent*>(event);
      if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && !(k->modifiers() & Qt::ControlModifier))
        events_->OnEnterKey();
      break;
    }
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

void WebEngineControl::AskWhatIsUnder(int id, QPoint pos) {
  const double zoom = page_->zoomFactor() > 0 ? page_->zoomFactor() : 1.0;
  const QString script = QString::fromUtf8(kElementUnderScript).arg(pos.x() / zoom).arg(pos.y() / zoom);
  QPointer<WebEngineControl> self(this);
  page_->runJavaScript(
      script, QWebEngineScript::ApplicationWorld, [self, id](const QVariant& v) {
        if (!self || !self->events_) return;
        const QVariantList answer = v.toList();
        const std::string tag = answer.size() == 2 ? S(answer[0].toString()) : std::string();
        const bool text = answer.size() == 2 && answer[1].toBool();
        self->events_->OnPointerTarget(id, tag, text);
      });
}

}  // namespace kestrel

