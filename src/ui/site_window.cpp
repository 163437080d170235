#include "ui/site_window.h"

#include <QWebEnginePage>
#include <QWebEngineView>

#include "common/trace.h"
#include "engine/web_engine.h"

namespace kestrel {

SiteWindow::SiteWindow(QWidget* parent) : QMdiSubWindow(parent), view_(new QWebEngineView(this)) {
  setAttribute(Qt::WA_DeleteOnClose);
  view_->setPage(new QWebEnginePage(KestrelWebProfile(), view_));
  setWidget(view_);
  setWindowTitle(QStringLiteral("about:blank"));
  connect(view_, &QWebEngineView::titleChanged, this, [this](const QString& t) {
    setWindowTitle(DisplayTitle(t));
    Trace("title", t.left(200).toStdString());
    emit stateChanged();
  });
  connect(view_, &QWebEngineView::urlChanged, this, [this] { emit stateChanged(); });
  connect(view_, &QWebEngineView::loadStarted, this, [this] {
    progress_ = 0;
    emit stateChanged();
  });
  connect(view_, &QWebEngineView::loadProgress, this, [this](int p) {
    progress_ = p;
    emit stateChanged();
  });
  connect(view_, &QWebEngineView::loadFinished, this, [this](bool ok) {
    progress_ = 100;
    Trace(ok ? "load-finished" : "load-failed", view_->url().toString().toStdString());
    emit stateChanged();
  });
}

void SiteWindow::Navigate(const std::string& url) {
  Trace("navigate", url);
  view_->setUrl(QUrl(QString::fromStdString(url)));
}

bool SiteWindow::isBlank() const {
  QUrl u = view_->url();
  return u.isEmpty() || u.toString() == QLatin1String("about:blank");
}

std::string SiteWindow::address() const { return view_->url().toString().toStdString(); }

QString SiteWindow::DisplayTitle(const QString& title) {
  constexpr int kMax = 256;
  QString out;
  out.reserve(qMin<qsizetype>(title.size(), kMax));
  for (QChar c : title) {
    if (out.size() >= kMax) break;
    // Control and direction-override characters would garble the frame's caption.
    if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format) continue;
    out += c;
  }
  return out.isEmpty() ? QStringLiteral("about:blank") : out;
}

}  // namespace kestrel
