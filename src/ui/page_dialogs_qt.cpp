#include "ui/page_dialogs_qt.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QStandardPaths>
#include <QWebEngineView>
#include <QPrinter>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <memory>

#include "common/message.h"
#include "engine/webengine_control.h"
#include "ui/qt_dialogs.h"
#include "ui/qt_text.h"

namespace kestrel {

QtLoginDialog::QtLoginDialog(QWidget* parent, const LoginRequest& request, const std::string& user)
    : QDialog(parent) {
  setObjectName("login-dialog");
  setWindowTitle(T(request.proxy ? "Proxy Login" : "Login"));
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  auto* icon = new QLabel;
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(40, 40));
  icon->setAlignment(Qt::AlignTop);
  top->addWidget(icon);
  // The host and realm are the server's words: shown as plain text, never as markup.
  QString text = T(request.proxy ? "The proxy %1 asks for a user name and password."
                                 : "The server %1 asks for a user name and password.")
                     .arg(Q(request.host));
  if (!request.realm.empty()) text += "\n" + T("It says: \"%1\"").arg(Q(request.realm));
  if (request.retry) text += "\n\n" + T("The user name or password was not accepted. Please try again.");
  auto* label = new QLabel(text);
  label->setObjectName("login-text");
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setMinimumWidth(340);
  top->addWidget(label, 1);
  layout->addLayout(top);
  auto* form = new QFormLayout;
  user_ = new QLineEdit(Q(user));
  user_->setObjectName("login-user");
  password_ = new QLineEdit;
  password_->setObjectName("login-password");
  password_->setEchoMode(QLineEdit::Password);
  form->addRow(T("&User name:"), user_);
  form->addRow(T("&Password:"), password_);
  layout->addLayout(form);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setText(T("Log In"));
  TranslateButtons(buttons);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  (user.empty() ? user_ : password_)->setFocus();
}

std::string QtLoginDialog::user() const { return S(user_->text()); }
std::string QtLoginDialog::password() const { return S(password_->text()); }

namespace {

// A page may pass text of any size: what is shown is cut to what a dialog
// can hold, in characters and in lines.
QString ShownMessage(const std::string& message) {
  constexpr qsizetype kMaxChars = 2000;
  constexpr int kMaxLines = 30;
  QString text = Q(message);
  bool cut = false;
  if (text.size() > kMaxChars) {
    text.truncate(text.at(kMaxChars - 1).isHighSurrogate() ? kMaxChars - 1 : kMaxChars);
    cut = true;
  }
  qsizetype at = -1;
  for (int line = 0; line < kMaxLines; ++line)
    if ((at = text.indexOf(QLatin1Char('\n'), at + 1)) < 0) break;
  if (at >= 0) {
    text.truncate(at);
    cut = true;
  }
  return cut ? text + QStringLiteral("...") : text;
}

const char* DialogName(PageDialogRequest::Kind kind) {
  switch (kind) {
    case PageDialogRequest::Kind::Alert: return "Alert";
    case PageDialogRequest::Kind::Confirm: return "Confirm";
    case PageDialogRequest::Kind::Prompt: return "Prompt";
  }
  return "Alert";
}

}  // namespace

QtPageDialog::QtPageDialog(QWidget* parent, const PageDialogRequest& request) : PageDialogWindow(parent) {
  setObjectName("page-dialog");
  // Who asks, so that a dialog over another site's page is never taken for that site's.
  setWindowTitle(request.origin.empty() ? T("This page says") : T("%1 says").arg(Q(request.origin)));
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  auto* icon = new QLabel;
  const bool alert = request.kind == PageDialogRequest::Kind::Alert;
  icon->setPixmap(
      style()->standardIcon(alert ? QStyle::SP_MessageBoxInformation : QStyle::SP_MessageBoxQuestion).pixmap(40, 40));
  icon->setAlignment(Qt::AlignTop);
  top->addWidget(icon);
  // The page's words: plain text, never markup.
  auto* label = new QLabel(ShownMessage(request.message));
  label->setObjectName("page-dialog-text");
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setMinimumWidth(340);
  label->setMaximumWidth(640);
  top->addWidget(label, 1);
  layout->addLayout(top);
  if (request.kind == PageDialogRequest::Kind::Prompt) {
    text_ = new QLineEdit(Q(request.defaultText));
    text_->setObjectName("page-dialog-input");
    text_->selectAll();
    layout->addWidget(text_);
  }
  stop_ = new QCheckBox(T("Don't let this page create more dialogs"));
  stop_->setObjectName("page-dialog-stop");
  layout->addWidget(stop_);
  auto* buttons = new QDialogButtonBox(alert ? QDialogButtonBox::Ok : QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  TranslateButtons(buttons);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  if (text_)
    text_->setFocus();
  else
    buttons->button(QDialogButtonBox::Ok)->setFocus();
}

std::string QtPageDialog::text() const { return text_ ? S(text_->text()) : std::string(); }
bool QtPageDialog::noMoreDialogs() const { return stop_->isChecked(); }

PageDialogWindow* MakePageDialog(QWidget* parent, const PageDialogRequest& request) {
  std::string detail = request.origin.empty() ? std::string() : request.origin + " ";
  detail += request.message.substr(0, 200);
  if (AnsweredUnattended(DialogName(request.kind), detail)) return nullptr;
  return new QtPageDialog(parent, request);
}

bool AskLogin(QWidget* parent, const LoginRequest& request, std::string& user, std::string& password) {
  if (AnsweredUnattended(request.proxy ? "Proxy Login" : "Login", request.host + " " + request.realm)) return false;
  QtLoginDialog d(parent, request, user);
  if (d.exec() != QDialog::Accepted) return false;
  user = d.user();
  password = d.password();
  return true;
}

void PrintPage(QWidget* parent, WebEngineControl& control, const QPageLayout* layout) {
  if (AnsweredUnattended("Print", control.LocationURL())) return;
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  if (layout) printer->setPageLayout(*layout);
  QPrintDialog d(printer.get(), parent);
  d.setWindowTitle(T("Print"));
  if (d.exec() != QDialog::Accepted) return;
  control.PrintTo(std::move(printer));
}

std::string PageFileName(const std::string& title) {
  QString name = Q(title).simplified();
  static const QString kRefused = QStringLiteral("/\\:*?\"<>|");
  for (QChar& c : name)
    if (kRefused.contains(c) || c.unicode() < 0x20) c = QLatin1Char('_');
  name = name.left(120).trimmed();
  while (name.startsWith(QLatin1Char('.'))) name.remove(0, 1);  // no hidden file, no "." or ".."
  return name.isEmpty() ? std::string("page") : S(name);
}

QtPageDialogs::QtPageDialogs(QWidget* parent) : parent_(parent) {}
QtPageDialogs::~QtPageDialogs() = default;

namespace {

WebEngineControl* EngineOf(CKestrelView& site) { return dynamic_cast<WebEngineControl*>(&site.control()); }

}  // namespace

std::optional<std::string> QtPageDialogs::SavePageFile(const std::string& title, SavePageFormat format) {
  const bool complete = format == SavePageFormat::Complete;
  const char* caption = complete ? "Save As" : "Save Without Picture";
  if (AnsweredUnattended(caption, title)) return std::nullopt;
  if (saveFolder_.empty()) saveFolder_ = S(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation));
  QFileDialog d(parent_, T(caption), Q(saveFolder_ + "/" + PageFileName(title) + ".html"));
  d.setAcceptMode(QFileDialog::AcceptSave);
  d.setNameFilter(T(complete ? "Web Page, complete" : "Web Page, HTML only") + QStringLiteral(" (*.html *.htm)"));
  d.setDefaultSuffix(QStringLiteral("html"));
  if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return std::nullopt;
  const QString path = d.selectedFiles().front();
  saveFolder_ = S(QFileInfo(path).absolutePath());
  return S(path);
}

void QtPageDialogs::Print(CKestrelView& site) {
  if (WebEngineControl* c = EngineOf(site)) PrintPage(parent_, *c, layout_.get());
}

void QtPageDialogs::PrintPreview(CKestrelView& site) {
  WebEngineControl* control = EngineOf(site);
  if (!control || AnsweredUnattended("Print Preview", site.GetLocationURL())) return;
  QPrinter printer(QPrinter::HighResolution);
  if (layout_) printer.setPageLayout(*layout_);
  QPrintPreviewDialog d(&printer, parent_);
  d.setWindowTitle(T("Print Preview"));
  d.resize(900, 700);
  QPointer<QWebEngineView> view(control->view());
  QObject::connect(&d, &QPrintPreviewDialog::paintRequested, &d, [view](QPrinter* p) {
    // The preview paints at once: wait here for the engine's pages.
    bool ok = false;
    if (view) {
      QEventLoop wait;
      QObject::connect(view, &QWebEngineView::printFinished, &wait, [&](bool done) {
        ok = done;
        wait.quit();
      });
      QObject::connect(view, &QObject::destroyed, &wait, &QEventLoop::quit);
      view->print(p);
      wait.exec();
    }
    if (!ok) {
      QPainter painter;
      if (painter.begin(p)) painter.drawText(QPointF(100, 100), T("The page cannot be shown for printing."));
    }
  });
  d.exec();
  layout_ = std::make_unique<QPageLayout>(printer.pageLayout());  // the preview may have turned the page
}

void QtPageDialogs::PageSetup() {
  if (AnsweredUnattended("Page Setup")) return;
  QPrinter printer(QPrinter::HighResolution);
  if (layout_) printer.setPageLayout(*layout_);
  QPageSetupDialog d(&printer, parent_);
  d.setWindowTitle(T("Page Setup"));
  if (d.exec() != QDialog::Accepted) return;
  layout_ = std::make_unique<QPageLayout>(printer.pageLayout());
}

void QtPageDialogs::Properties(const PageProperties& p) {
  if (AnsweredUnattended("Properties", p.url)) return;
  QDialog d(parent_);
  d.setObjectName(QStringLiteral("page-properties"));
  d.setWindowTitle(T("Properties"));
  d.setMinimumWidth(460);
  auto* layout = new QVBoxLayout(&d);
  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  const QString unknown = T("Not available");
  auto row = [&](const char* label, const std::string& value) {
    auto* v = new QLabel(value.empty() ? unknown : Q(value));
    v->setTextFormat(Qt::PlainText);  // a page's title is no markup of ours
    v->setTextInteractionFlags(Qt::TextSelectableByMouse);
    v->setWordWrap(true);
    form->addRow(T(label), v);
  };
  row("Title:", p.title);
  row("Address:", p.url);
  row("Protocol:", p.protocol);
  row("Type:", p.mimeType);
  row("Encoding:", p.encoding);
  row("Size:", p.size < 0 ? std::string() : S(QLocale().toString(p.size)) + " " + TranslateMessage("bytes"));
  row("Modified:", p.modified);
  layout->addLayout(form);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
  layout->addWidget(buttons);
  d.exec();
}

}  // namespace kestrel
