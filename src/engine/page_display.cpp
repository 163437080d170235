// The page display side of the browser control: clipboard states, the find
// bar, text zoom, encoding, the download control, saving and properties.
#include <QBoxLayout>
#include <QGuiApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

#include "common/message.h"
#include "common/trace.h"
#include "engine/page_request_filter.h"
#include "engine/webengine_control.h"

namespace kestrel {

namespace {

QString T(const char* english) { return QString::fromStdString(TranslateMessage(english)); }

// What takes typing in the page, down through same-origin frames and shadow
// roots; a page cannot tell Kestrel's world anything else.
const char kEditableFocusScript[] = R"JS(
(function () {
  var a = document.activeElement;
  for (var depth = 0; a && depth < 16; ++depth) {
    if (a.shadowRoot && a.shadowRoot.activeElement) { a = a.shadowRoot.activeElement; continue; }
    if ((a.tagName === 'IFRAME' || a.tagName === 'FRAME')) {
      try { if (a.contentDocument && a.contentDocument.activeElement) { a = a.contentDocument.activeElement; continue; } }
      catch (e) {}
      return false;
    }
    break;
  }
  if (!a) return false;
  if (a.isContentEditable || (a.ownerDocument && a.ownerDocument.designMode === 'on')) return true;
  if (a.disabled || a.readOnly) return false;
  if (a.tagName === 'TEXTAREA') return true;
  if (a.tagName !== 'INPUT') return false;
  var t = (a.getAttribute('type') || 'text').toLowerCase();
  return ['text', 'search', 'url', 'tel', 'email', 'password', 'number'].indexOf(t) >= 0;
})()
)JS";

const char kPropertiesScript[] = R"JS(
(function () {
  var nav = performance.getEntriesByType ? performance.getEntriesByType('navigation')[0] : null;
  var size = nav && nav.decodedBodySize > 0 ? nav.decodedBodySize : -1;
  if (size < 0 && document.documentElement)
    size = new Blob([document.documentElement.outerHTML]).size;
  return [document.characterSet || '', document.contentType || '', document.lastModified || '', size];
})()
)JS";

std::string ProtocolName(const QString& scheme) {
  if (scheme == "http") return "HyperText Transfer Protocol";
  if (scheme == "https") return "HyperText Transfer Protocol with Privacy";
  if (scheme == "file") return "File Protocol";
  if (scheme == "ftp") return "File Transfer Protocol";
  return scheme.toStdString();
}

}  // namespace

// The find bar under the page: the phrase, next and previous, match case,
// and how many matches there are ("not found" when none).
class FindBar : public QWidget {
 public:
  FindBar(QWebEnginePage* page, QWidget* parent) : QWidget(parent), page_(page) {
    setObjectName(QStringLiteral("find-bar"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 3, 6, 3);
    row->setSpacing(6);
    auto* label = new QLabel(T("Find:"));
    text_ = new QLineEdit;
    text_->setObjectName(QStringLiteral("find-text"));
    text_->setClearButtonEnabled(true);
    text_->setMinimumWidth(220);
    label->setBuddy(text_);
    auto* previous = new QPushButton(T("&Previous"));
    previous->setObjectName(QStringLiteral("find-previous"));
    auto* next = new QPushButton(T("&Next"));
    next->setObjectName(QStringLiteral("find-next"));
    matchCase_ = new QCheckBox(T("Match &case"));
    matchCase_->setObjectName(QStringLiteral("find-match-case"));
    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("find-status"));
    auto* close = new QToolButton;
    close->setObjectName(QStringLiteral("find-close"));
    close->setText(QStringLiteral("\u2715"));
    close->setToolTip(T("Close"));
    close->setAutoRaise(true);
    row->addWidget(label);
    row->addWidget(text_);
    row->addWidget(previous);
    row->addWidget(next);
    row->addWidget(matchCase_);
    row->addWidget(status_, 1);
    row->addWidget(close);
    for (QPushButton* b : {previous, next}) b->setAutoDefault(false);
    connect(text_, &QLineEdit::textChanged, this, [this] { Find(false); });
    connect(text_, &QLineEdit::returnPressed, this, [this] {
      Find(QGuiApplication::keyboardModifiers() & Qt::ShiftModifier);
    });
    connect(next, &QPushButton::clicked, this, [this] { Find(false); });
    connect(previous, &QPushButton::clicked, this, [this] { Find(true); });
    connect(matchCase_, &QCheckBox::toggled, this, [this] { Find(false); });
    connect(close, &QToolButton::clicked, this, &FindBar::Close);
    // Escape closes the bar before the window's own Escape (Stop) can take it.
    text_->installEventFilter(this);
    for (QKeySequence key : {QKeySequence(QKeySequence::FindNext), QKeySequence(QKeySequence::FindPrevious)}) {
      auto* s = new QShortcut(key, this);
      s->setContext(Qt::WidgetWithChildrenShortcut);
      const bool back = key == QKeySequence(QKeySequence::FindPrevious);
      connect(s, &QShortcut::activated, this, [this, back] { Find(back); });
    }
  }

  void Open() {
    show();
    text_->setFocus();
    text_->selectAll();
    if (!text_->text().isEmpty()) Find(false);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if ((event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
      event->accept();
      if (event->type() == QEvent::KeyPress) Close();
      return true;
    }
    return QWidget::eventFilter(watched, event);
  }

  void Close() {
    hide();
    page_->findText(QString());  // takes the highlight off
    if (auto* view = qobject_cast<QWidget*>(page_->parent())) view->setFocus();
  }

 private:
  void Find(bool backward) {
    const QString phrase = text_->text();
    if (phrase.isEmpty()) {
      page_->findText(QString());
      status_->clear();
      return;
    }
    QWebEnginePage::FindFlags flags;
    if (backward) flags |= QWebEnginePage::FindBackward;
    if (matchCase_->isChecked()) flags |= QWebEnginePage::FindCaseSensitively;
    QPointer<QLabel> status(status_);
    page_->findText(phrase, flags, [status](const QWebEngineFindTextResult& r) {
      if (!status) return;
      status->setText(r.numberOfMatches() == 0
                          ? T("Phrase not found")
                          : T("%1 of %2 matches").arg(r.activeMatch()).arg(r.numberOfMatches()));
      Trace("find", status->text().toStdString());
    });
  }

  QWebEnginePage* page_;
  QLineEdit* text_;
  QCheckBox* matchCase_;
  QLabel* status_;
};

bool WebEngineControl::HasDocument() const {
  if (crashPage_ || certPage_ || failed_) return false;
  const QString url = page()->url().toString();
  return !url.isEmpty() && url != QStringLiteral("about:blank");
}

bool WebEngineControl::EditEnabled(EditCommand command) const {
  if (crashPage_) return false;
  switch (command) {
    case EditCommand::Cut:
      return editableFocus_ && page()->hasSelection();
    case EditCommand::Copy:
      return page()->hasSelection();
    case EditCommand::Paste:
      return editableFocus_;
    case EditCommand::SelectAll:
      break;
  }
  return true;
}

void WebEngineControl::Edit(EditCommand command) {
  static constexpr QWebEnginePage::WebAction kActions[] = {QWebEnginePage::Cut, QWebEnginePage::Copy,
                                                           QWebEnginePage::Paste, QWebEnginePage::SelectAll};
  page()->triggerAction(kActions[static_cast<int>(command)]);
  if (command != EditCommand::Copy) LearnEditableFocus();
}

void WebEngineControl::LearnEditableFocus() {
  QPointer<WebEngineControl> self(this);
  page()->runJavaScript(QString::fromUtf8(kEditableFocusScript), QWebEngineScript::ApplicationWorld,
                       [self](const QVariant& v) {
                         if (self) self->editableFocus_ = v.toBool();
                       });
}

void WebEngineControl::ShowFindBar() {
  if (!findBar_) {
    findBar_ = new FindBar(page(), box_);
    static_cast<QVBoxLayout*>(box_->layout())->addWidget(findBar_);
  }
  findBar_->Open();
}

QWidget* WebEngineControl::findBar() const { return findBar_; }

void WebEngineControl::SetTextZoom(double factor) { page()->setZoomFactor(factor); }

void WebEngineControl::SetDefaultEncoding(const std::string& charset) {
  // The engine reads a page in it only where neither the server nor the page names one.
  page()->settings()->setDefaultTextEncoding(QString::fromStdString(charset));
  // The engine hands new settings to the page once the current event is
  // done: the reload must come after them.
  // Nothing to read again without a document (a blank, failed or crashed page).
  if (!HasDocument()) return;
  QPointer<WebEngineControl> self(this);
  QTimer::singleShot(0, this, [self] {
    if (self && self->HasDocument()) self->page()->triggerAction(QWebEnginePage::Reload);
  });
}

void WebEngineControl::SetDownloadControl(std::uint32_t flags) {
  QWebEngineSettings* s = page()->settings();
  s->setAttribute(QWebEngineSettings::AutoLoadImages, (flags & DLCTL_DLIMAGES) != 0);
  s->setAttribute(QWebEngineSettings::JavascriptEnabled, (flags & DLCTL_NO_SCRIPTS) == 0);
  // Refused by the request filter as well: a picture the engine would fetch
  // anyway (a preload, a script's Image()) never reaches the server.
  requests_->pictures = (flags & DLCTL_DLIMAGES) != 0;
  requests_->media = (flags & DLCTL_VIDEOS) != 0;
  UpdateRequestFilter();
  // Java applets and ActiveX controls do not exist in this engine: their
  // flags are kept for the menu and have nothing to turn off.
}

bool WebEngineControl::SavePage(const std::string& path, SavePageFormat format) {
  // The engine saves one page of a site at a time; a second would end the first.
  if (!HasDocument() || saving_) return false;
  saving_ = true;
  page()->save(QString::fromStdString(path), format == SavePageFormat::Complete
                                                ? QWebEngineDownloadRequest::CompleteHtmlSaveFormat
                                                : QWebEngineDownloadRequest::SingleHtmlSaveFormat);
  return true;
}

void WebEngineControl::SaveFinished(QWebEngineDownloadRequest* request) {
  saving_ = false;
  const std::string path = (request->downloadDirectory() + QLatin1Char('/') + request->downloadFileName()).toStdString();
  if (request->state() == QWebEngineDownloadRequest::DownloadCompleted) {
    Trace("save-page-done", path);
    return;
  }
  // The reason's text is not to be asked of a page save: the engine has no item behind it.
  Trace("save-page-failed", path + ": state " + std::to_string(static_cast<int>(request->state())) + ", reason " +
                                std::to_string(static_cast<int>(request->interruptReason())));
  if (request->state() == QWebEngineDownloadRequest::DownloadInterrupted) ShowMessage("Can't save " + path + "!");
}

void WebEngineControl::QueryProperties(std::function<void(const PageProperties&)> done) {
  PageProperties p;
  p.url = page()->url().toString().toStdString();
  p.title = DocumentTitle();
  p.protocol = ProtocolName(page()->url().scheme());
  if (!HasDocument()) {
    if (done) done(p);
    return;
  }
  QPointer<WebEngineControl> self(this);
  page()->runJavaScript(QString::fromUtf8(kPropertiesScript), QWebEngineScript::ApplicationWorld,
                       [self, p, done](const QVariant& v) mutable {
                         if (!self) return;
                         const QVariantList a = v.toList();
                         if (a.size() == 4) {
                           p.encoding = a[0].toString().toStdString();
                           p.mimeType = a[1].toString().toStdString();
                           p.modified = a[2].toString().toStdString();
                           p.size = a[3].toLongLong();
                         }
                         if (done) done(p);
                       });
}

}  // namespace kestrel
