#include "engine/webengine_control.h"

#include <QJsonDocument>
#include <QMessageBox>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/web_engine.h"

namespace kestrel {
namespace {

std::atomic<bool> g_offline{false};

class OfflineInterceptor : public QWebEngineUrlRequestInterceptor {
 public:
  void interceptRequest(QWebEngineUrlRequestInfo& info) override {
    if (!g_offline) return;
    const QString scheme = info.requestUrl().scheme();
    if (scheme == "http" || scheme == "https" || scheme == "ftp" || scheme == "ws" || scheme == "wss")
      info.block(true);
  }
};

std::string S(const QString& q) { return q.toStdString(); }

QString HtmlEscape(const QString& s) { return s.toHtmlEscaped(); }

}  // namespace

void SetWorkOffline(bool offline) { g_offline = offline; }
bool WorkOffline() { return g_offline; }

class KestrelPage : public QWebEnginePage {
 public:
  KestrelPage(WebEngineControl& owner, QObject* parent)
      : QWebEnginePage(KestrelWebProfile(), parent), owner_(owner) {}

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
    BrowserEvents* ev = owner_.events_;
    if (!ev) return true;
    NavigateRequest r;
    r.url = S(url.toString());
    r.topLevel = isMainFrame;
    bool cancel = false;
    ev->OnBeforeNavigate2(r, cancel);
    return !cancel;
  }

  QWebEnginePage* createWindow(WebWindowType type) override {
    BrowserEvents* ev = owner_.events_;
    if (!ev) return nullptr;
    NewWindowRequest r;
    r.fromScript = type == WebBrowserWindow || type == WebBrowserBackgroundTab ? false : true;
    bool cancel = false;
    BrowserControl* c = ev->OnNewWindow2(r, cancel);
    auto* w = dynamic_cast<WebEngineControl*>(c);
    if (cancel || !w) return nullptr;
    return w->page_;
  }

  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
                                const QString& source) override {
    if (level != ErrorMessageLevel) return;
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

WebEngineControl::WebEngineControl(QObject* parent) : QObject(parent), view_(new QWebEngineView) {
  static OfflineInterceptor* interceptor = [] {
    auto* i = new OfflineInterceptor;
    KestrelWebProfile()->setUrlRequestInterceptor(i);
    return i;
  }();
  (void)interceptor;
  page_ = new KestrelPage(*this, view_);
  view_->setPage(page_);

  connect(page_, &QWebEnginePage::loadStarted, this, [this] {
    busy_ = true;
    if (events_) events_->OnDownloadBegin();
  });
  connect(page_, &QWebEnginePage::loadProgress, this, [this](int p) {
    if (events_ && busy_) events_->OnProgressChange(p, 100);
  });
  connect(page_, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) {
    if (!events_) return;
    events_->OnNavigateComplete2(S(url.toString()), true);
    FireCommandStates();
  });
  connect(page_, &QWebEnginePage::titleChanged, this, [this](const QString& t) {
    if (events_) events_->OnTitleChange(S(t));
  });
  connect(page_, &QWebEnginePage::linkHovered, this, [this](const QString& url) {
    if (events_) events_->OnStatusTextChange(S(url));
  });
  connect(page_, &QWebEnginePage::loadFinished, this, [this](bool ok) {
    busy_ = false;
    if (!ok && !showingError_ && !page_->url().isEmpty()) {
      ShowErrorPage(page_->requestedUrl(), true);
      return;
    }
    showingError_ = false;
    if (!events_) return;
    FireCommandStates();
    events_->OnDownloadComplete();
    events_->OnDocumentComplete(LocationURL(), true);
    events_->OnProgressChange(-1, 100);
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
  connect(page_, &QWebEnginePage::renderProcessTerminated, this,
          [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
            if (status == QWebEnginePage::NormalTerminationStatus) return;
            busy_ = false;
            ShowErrorPage(page_->url(), false);
          });
}

WebEngineControl::~WebEngineControl() {
  events_ = nullptr;
  delete view_;
}

QWidget* WebEngineControl::widget() const { return view_; }

void WebEngineControl::ShowErrorPage(const QUrl& url, bool unreachable) {
  showingError_ = true;
  failedUrl_ = url;
  errorTitle_ = unreachable ? "Cannot find server" : "No page to display";
  const QString title = QString::fromStdString(errorTitle_);
  const QString html = QStringLiteral(
                           "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%1</title>"
                           "<style>body{font-family:sans-serif;margin:3em;color:#333}</style></head><body>"
                           "<h1>%1</h1><p>Kestrel could not open <b>%2</b>.</p>"
                           "<p>Check the address, or try again with Refresh.</p></body></html>")
                           .arg(title, HtmlEscape(url.toString()));
  // Shown under the failed address, so that Refresh tries it again.
  page_->setHtml(html, url);
}

void WebEngineControl::FireCommandStates() {
  if (!events_) return;
  events_->OnCommandStateChange(CSC_NAVIGATEBACK, page_->history()->canGoBack());
  events_->OnCommandStateChange(CSC_NAVIGATEFORWARD, page_->history()->canGoForward());
}

void WebEngineControl::Navigate2(const NavigateRequest& request) {
  showingError_ = false;
  page_->load(QUrl(QString::fromStdString(request.url)));
}

void WebEngineControl::GoBack() { page_->triggerAction(QWebEnginePage::Back); }
void WebEngineControl::GoForward() { page_->triggerAction(QWebEnginePage::Forward); }
void WebEngineControl::GoHome() { page_->load(QUrl(QString::fromStdString(home_))); }
void WebEngineControl::Stop() { page_->triggerAction(QWebEnginePage::Stop); }

void WebEngineControl::Refresh() {
  if (!failedUrl_.isEmpty() && showingError_) {
    page_->load(failedUrl_);
    return;
  }
  page_->triggerAction(QWebEnginePage::Reload);
}

std::string WebEngineControl::LocationURL() const { return S(page_->url().toString()); }
std::string WebEngineControl::LocationName() const { return S(page_->title()); }
std::string WebEngineControl::DocumentTitle() const { return S(page_->title()); }
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

}  // namespace kestrel
