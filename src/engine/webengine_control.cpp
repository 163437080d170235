#include "engine/webengine_control.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonArray>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMessageBox>
#include <QWebChannel>
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
#include "engine/web_engine.h"
#include "platform/address_fixup.h"

namespace kestrel {
namespace {

std::string S(const QString& q) { return q.toStdString(); }

QString HtmlEscape(const QString& s) { return s.toHtmlEscaped(); }

// The marker of the wrapper's synchronous report; a page that sends it
// itself only describes its own next window.
const QString kFeaturesMarker = QStringLiteral("\x01kestrel-window-features");

// Wraps window.open so the features a page asks for reach the program before
// the engine asks for the new window (prompt() is synchronous; the original
// prompt and open are kept in the closure, out of the page's reach).
const char kWindowOpenScript[] = R"JS(
(function () {
  var open = window.open, ask = window.prompt;
  if (typeof open !== 'function' || typeof ask !== 'function') return;
  var wrapped = function (url, name, features) {
    try {
      var target = (url === undefined || url === null || String(url) === '') ? 'about:blank'
                   : new URL(String(url), document.baseURI).href;
      ask.call(window, 'kestrel-window-features',
               JSON.stringify({url: target, features: features === undefined ? null : String(features)}));
    } catch (e) {}
    return open.apply(this, arguments);
  };
  try {
    Object.defineProperty(wrapped, 'toString', {value: function () { return open.toString(); }});
  } catch (e) {}
  window.open = wrapped;
})();
)JS";

// window.external.addFavorite for page scripts: the page's world hands the
// call to Kestrel's own world by an event; only that world can talk to the
// program's channel.
const char kExternalPageScript[] = R"JS(
(function () {
  var ext = window.external;
  if (!ext) return;
  var fire = function (detail) {
    document.dispatchEvent(new CustomEvent('kestrel-external', {detail: detail}));
  };
  try {
    Object.defineProperty(ext, 'addFavorite', {configurable: true, value: function () {
      if (arguments.length !== 1 && arguments.length !== 2) return;
      var url = String(arguments[0]);
      var title = String(arguments[arguments.length - 1]);
      fire(JSON.stringify({call: 'addFavorite', url: url, title: title}));
    }});
  } catch (e) {}
})();
)JS";

const char kExternalBridgeScript[] = R"JS(
(function () {
  var queue = [], external = null;
  var deliver = function (d) {
    if (d.call === 'addFavorite') external.addFavorite(d.url, d.title);
  };
  document.addEventListener('kestrel-external', function (e) {
    var d;
    try { d = JSON.parse(String(e.detail)); } catch (x) { return; }
    if (!d || typeof d.url !== 'string' || typeof d.title !== 'string') return;
    if (external) deliver(d); else queue.push(d);
  });
  new QWebChannel(qt.webChannelTransport, function (channel) {
    external = channel.objects.kestrelExternal;
    queue.splice(0).forEach(deliver);
  });
})();
)JS";

void AddScript(QWebEngineProfile* profile, const QString& name, const QString& source, quint32 world) {
  QWebEngineScript script;
  script.setName(name);
  script.setSourceCode(source);
  script.setInjectionPoint(QWebEngineScript::DocumentCreation);
  script.setRunsOnSubFrames(true);
  script.setWorldId(world);
  profile->scripts()->insert(script);
}

// Installed once on the profile: every page of every site gets them.
void InstallPageScripts() {
  static bool done = false;
  if (done) return;
  done = true;
  QWebEngineProfile* profile = KestrelWebProfile();
  AddScript(profile, QStringLiteral("kestrel-window-open"), QString::fromUtf8(kWindowOpenScript),
            QWebEngineScript::MainWorld);
  AddScript(profile, QStringLiteral("kestrel-external"), QString::fromUtf8(kExternalPageScript),
            QWebEngineScript::MainWorld);
  QFile channelJs(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
  if (channelJs.open(QIODevice::ReadOnly))
    AddScript(profile, QStringLiteral("kestrel-external-bridge"),
              QString::fromUtf8(channelJs.readAll()) + QString::fromUtf8(kExternalBridgeScript),
              QWebEngineScript::ApplicationWorld);
}

}  // namespace

// The object behind window.external, one for every page of a context.
class KestrelExternal : public QObject {
  Q_OBJECT
 public:
  explicit KestrelExternal(EngineContext& context) : context_(context) {}
  Q_INVOKABLE void addFavorite(const QString& url, const QString& title) {
    if (context_.addFavorite) context_.addFavorite(S(url), S(title));
  }

 private:
  EngineContext& context_;
};

// Work Offline: every request to the network is refused while it is on.
class OfflineInterceptor : public QWebEngineUrlRequestInterceptor {
 public:
  explicit OfflineInterceptor(const std::atomic<bool>& offline) : offline_(offline) {}
  void interceptRequest(QWebEngineUrlRequestInfo& info) override {
    if (!offline_) return;
    const QString scheme = info.requestUrl().scheme();
    if (scheme == "http" || scheme == "https" || scheme == "ftp" || scheme == "ws" || scheme == "wss")
      info.block(true);
  }

 private:
  const std::atomic<bool>& offline_;
};

EngineContext::EngineContext()
    : interceptor_(std::make_unique<OfflineInterceptor>(offline_)),
      external_(std::make_unique<KestrelExternal>(*this)),
      channel_(std::make_unique<QWebChannel>()) {
  channel_->registerObject(QStringLiteral("kestrelExternal"), external_.get());
}

EngineContext::~EngineContext() = default;

class KestrelPage : public QWebEnginePage {
 public:
  KestrelPage(WebEngineControl& owner, QObject* parent)
      : QWebEnginePage(KestrelWebProfile(), parent), owner_(owner) {}

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
    BrowserEvents* ev = owner_.events_;
    if (!ev) return true;
    if (owner_.crashPage_ && isMainFrame && url.scheme() == QStringLiteral("data")) return true;
    NavigateRequest r;
    r.url = S(url.toString());
    r.topLevel = isMainFrame;
    bool cancel = false;
    ev->OnBeforeNavigate2(r, cancel);
    return !cancel;
  }

  // Every new window is answered in newWindowRequested; nothing is left here.
  QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }

  bool javaScriptPrompt(const QUrl& origin, const QString& msg, const QString& defaultValue,
                        QString* result) override {
    if (msg != kFeaturesMarker) return QWebEnginePage::javaScriptPrompt(origin, msg, defaultValue, result);
    const QJsonObject o = QJsonDocument::fromJson(defaultValue.toUtf8()).object();
    owner_.pendingOpenUrl_ = S(o.value(QStringLiteral("url")).toString());
    const QJsonValue f = o.value(QStringLiteral("features"));
    owner_.pendingFeatures_ = ParseWindowFeatures(
        f.isString() ? std::optional<std::string_view>(S(f.toString())) : std::nullopt);
    owner_.hasPending_ = true;
    if (result) result->clear();
    return false;  // as if the user pressed Cancel: prompt() gives null
  }

  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
                                const QString& source) override {
    // Only uncaught exceptions are script errors; console.error() is the page talking.
    if (level != ErrorMessageLevel || !message.startsWith(QStringLiteral("Uncaught"))) return;
    BrowserEvents* ev = owner_.events_;
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
                                QMessageBox::Ok, owner_.view_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
  }

 private:
  WebEngineControl& owner_;
};

WebEngineControl::WebEngineControl(EngineContext& context, QObject* parent)
    : QObject(parent), context_(context), view_(new QWebEngineView) {
  InstallPageScripts();
  page_ = new KestrelPage(*this, view_);
  page_->setUrlRequestInterceptor(context_.interceptor_.get());
  page_->setWebChannel(context_.channel_.get(), QWebEngineScript::ApplicationWorld);
  view_->setPage(page_);
  // The engine puts its input widget inside the view, now or later.
  view_->installEventFilter(this);
  for (QObject* child : view_->children()) WatchInput(child);

  connect(page_, &QWebEnginePage::loadStarted, this, [this] {
    busy_ = true;
    failed_ = false;
    errorTitle_.clear();
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
    if (!events_ || again) return;
    events_->OnNavigateComplete2(S(url.toString()), true);
    FireCommandStates();
  });
  connect(page_, &QWebEnginePage::titleChanged, this, [this](const QString& t) {
    // The engine's error page titles itself with the host; the site must see ours.
    if (events_ && !failed_) events_->OnTitleChange(S(t));
  });
  connect(page_, &QWebEnginePage::linkHovered, this, [this](const QString& url) {
    if (events_) events_->OnStatusTextChange(S(url));
  });
  // The end of a load, with its error when it failed (loadFinished comes
  // earlier and without it).
  connect(page_, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) return;
    // A load the user stopped is not a failed site, nor is an HTTP error
    // whose server sent a page of its own: that page is what the user sees.
    constexpr int kAborted = -3;
    const bool failed = info.status() == QWebEngineLoadingInfo::LoadFailedStatus &&
                        (info.isErrorPage() ||
                         (info.errorDomain() != QWebEngineLoadingInfo::HttpStatusCodeDomain &&
                          info.errorCode() != kAborted));
    LoadFinished(failed);
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
            ShowCrashPage();
          });
}

WebEngineControl::~WebEngineControl() {
  events_ = nullptr;
  delete view_;
}

QWidget* WebEngineControl::widget() const { return view_; }

void WebEngineControl::LoadFinished(bool failed) {
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
  events_->OnDocumentComplete(LocationURL(), true);
  events_->OnProgressChange(-1, 100);
}

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

void WebEngineControl::FireCommandStates() {
  if (!events_) return;
  events_->OnCommandStateChange(CSC_NAVIGATEBACK, page_->history()->canGoBack());
  events_->OnCommandStateChange(CSC_NAVIGATEFORWARD, page_->history()->canGoForward());
}

void WebEngineControl::Navigate2(const NavigateRequest& request) {
  crashPage_ = false;
  const QUrl url(QString::fromStdString(FixupAddress(request.url)));
  // The page Kestrel writes for a POST search sends its form to the engine
  // on the web; no other local page may reach out.
  const bool postForm = !context_.searchFormPage.empty() && url.isLocalFile() &&
                        url.toLocalFile() == QString::fromStdString(context_.searchFormPage);
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
  page_->load(url);
}

void WebEngineControl::GoBack() { page_->triggerAction(QWebEnginePage::Back); }
void WebEngineControl::GoForward() { page_->triggerAction(QWebEnginePage::Forward); }
void WebEngineControl::GoHome() { page_->load(QUrl(QString::fromStdString(context_.homePage))); }
void WebEngineControl::Stop() { page_->triggerAction(QWebEnginePage::Stop); }

void WebEngineControl::Refresh() {
  if (crashPage_) {
    crashPage_ = false;
    page_->load(failedUrl_);
    return;
  }
  page_->triggerAction(QWebEnginePage::Reload);
}

std::string WebEngineControl::LocationURL() const { return S(page_->url().toString()); }
std::string WebEngineControl::LocationName() const { return failed_ ? errorTitle_ : S(page_->title()); }
std::string WebEngineControl::DocumentTitle() const { return failed_ ? errorTitle_ : S(page_->title()); }
int WebEngineControl::HistoryLength() const { return page_->history()->count(); }

void WebEngineControl::ExecScript(const std::string& script, std::function<void(const std::string&)> done) {
  QPointer<WebEngineControl> self(this);
  page_->runJavaScript(QString::fromStdString(script), [self, done](const QVariant& v) {
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

#include "webengine_control.moc"
