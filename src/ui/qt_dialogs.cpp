#include "ui/qt_dialogs.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/tips.h"
#include "common/message.h"
#include "ui/qt_text.h"

namespace kestrel {
namespace {

QLabel* Explanation(const char* english) {
  auto* l = new QLabel(T(english));
  l->setWordWrap(true);
  l->setIndent(22);
  return l;
}

// OK and Cancel at the foot of a dialog.
void AddOkCancel(QDialog& d, QVBoxLayout* layout) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  TranslateButtons(buttons);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
}

}  // namespace

bool AutoDialogs() {
  static const bool on = [] {
    const char* v = std::getenv("KESTREL_AUTO_DIALOGS");
    return v && std::strcmp(v, "1") == 0;
  }();
  return on;
}

bool AnsweredUnattended(const char* dialog, const std::string& detail) {
  if (!AutoDialogs()) return false;
  std::string line = std::string("kestrel-dialog: ") + dialog;
  if (!detail.empty()) line += ": " + detail;
  for (char& c : line)
    if (c == '\n') c = ' ';
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  return true;
}

bool QtDialogs::Auto(const char* dialog, const std::string& detail) const { return AnsweredUnattended(dialog, detail); }

void TranslateButtons(QDialogButtonBox* box) {
  for (QAbstractButton* b : box->buttons()) b->setText(T(b->text().toStdString().c_str()));
}

bool QtDialogs::PresentMessage(const std::string& text, MessageKind kind) {
  if (Auto("Message", text)) return kind == MessageKind::Info;
  QMessageBox box(kind == MessageKind::Info ? QMessageBox::Information : QMessageBox::Question,
                  QStringLiteral("Kestrel"), Q(text), QMessageBox::NoButton, parent_);
  switch (kind) {
    case MessageKind::Info: box.setStandardButtons(QMessageBox::Ok); break;
    case MessageKind::Question: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MessageKind::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
  }
  for (QAbstractButton* b : box.buttons()) b->setText(T(b->text().toStdString().c_str()));
  const int answer = box.exec();
  return answer == QMessageBox::Ok || answer == QMessageBox::Yes || kind == MessageKind::Info;
}

Answer QtDialogs::PresentYesNoCancel(const std::string& text) {
  if (Auto("Message", text)) return Answer::Cancel;
  QMessageBox box(QMessageBox::Question, QStringLiteral("Kestrel"), Q(text),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent_);
  for (QAbstractButton* b : box.buttons()) b->setText(T(b->text().toStdString().c_str()));
  const int answer = box.exec();
  return answer == QMessageBox::Yes ? Answer::Yes : answer == QMessageBox::No ? Answer::No : Answer::Cancel;
}

// Unattended, the sites are reopened: Yes loses nothing, No would.
bool QtDialogs::ReopenSitesQuestion() {
  if (Auto("Reopen Sites")) return true;
  return Dialogs::ReopenSitesQuestion();
}

bool QtDialogs::DefaultBrowserDialog(bool& neverAsk) {
  if (Auto("Default Browser")) return false;
  QDialog d(parent_);
  d.setWindowTitle(T("Default Browser"));
  auto* layout = new QVBoxLayout(&d);
  auto* text = new QLabel(
      T("Kestrel is currently not your default browser. Do you want to set it as your default browser?"));
  text->setWordWrap(true);
  layout->addWidget(text);
  auto* never = new QCheckBox(T("Never ask me again"));
  layout->addWidget(never);
  AddOkCancel(d, layout);
  bool ok = d.exec() == QDialog::Accepted;
  neverAsk = never->isChecked();
  return ok;
}

bool QtDialogs::ConfigurationWizard(bool& noScriptError, bool& autoClosePopup) {
  if (Auto("Configuration Wizard")) return false;
  QDialog d(parent_);
  d.setWindowTitle(T("Configuration Wizard"));
  d.setMinimumWidth(460);
  auto* layout = new QVBoxLayout(&d);
  auto* scripts = new QCheckBox(T("Suppress Script Errors"));
  scripts->setChecked(noScriptError);
  layout->addWidget(scripts);
  layout->addWidget(Explanation("This option will also disable script debugging. It's recommended for most people "
                                "who have no interest in script debugging."));
  auto* popups = new QCheckBox(T("Automatically Close Popup Ad Windows"));
  popups->setChecked(autoClosePopup);
  layout->addWidget(popups);
  layout->addWidget(Explanation("This option will automatically identify and block annoying ad windows. If you "
                                "lose desired windows, you can disable the popup killer by toggling a toolbar "
                                "button."));
  AddOkCancel(d, layout);
  if (d.exec() != QDialog::Accepted) return false;
  noScriptError = scripts->isChecked();
  autoClosePopup = popups->isChecked();
  return true;
}

void QtDialogs::NewsletterDialog() {
  if (Auto("Newsletter")) return;
  QDialog d(parent_);
  d.setWindowTitle(T("Kestrel Newsletter"));
  auto* layout = new QVBoxLayout(&d);
  auto* text = new QLabel(T("Welcome to Kestrel! Would you like to hear about new versions? Leave your e-mail "
                            "address and we will send you a short note when one comes out."));
  text->setWordWrap(true);
  layout->addWidget(text);
  auto* mail = new QLineEdit;
  mail->setPlaceholderText(T("E-mail address"));
  layout->addWidget(mail);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  TranslateButtons(buttons);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
  d.exec();
}

void QtDialogs::DonationDialog() {
  if (Auto("Kestrel Donation")) return;
  QDialog d(parent_);
  d.setWindowTitle(T("Kestrel Donation"));
  auto* layout = new QVBoxLayout(&d);
  auto* text = new QLabel(T("You have started Kestrel ten times now. If you find it useful, please consider a "
                            "donation to keep it going."));
  text->setWordWrap(true);
  layout->addWidget(text);
  auto* buttons = new QDialogButtonBox;
  auto* donate = buttons->addButton(T("Donate Now"), QDialogButtonBox::AcceptRole);
  buttons->addButton(T("Close"), QDialogButtonBox::RejectRole);
  layout->addWidget(buttons);
  QObject::connect(donate, &QPushButton::clicked, &d, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
  d.exec();
}

void QtDialogs::TipOfTheDay(TipsModel& tips) {
  if (Auto("Tip of the day", tips.current())) return;
  QDialog d(parent_);
  d.setWindowTitle(T("Tip of the day"));
  d.setMinimumSize(420, 220);
  auto* layout = new QVBoxLayout(&d);
  auto* text = new QLabel;
  text->setWordWrap(true);
  text->setTextFormat(Qt::PlainText);
  text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  text->setMinimumHeight(120);
  layout->addWidget(text, 1);
  auto* show = new QCheckBox(T("Show Tips At Startup"));
  layout->addWidget(show);
  auto* row = new QHBoxLayout;
  auto* first = new QPushButton(T("First"));
  auto* prev = new QPushButton(T("Previous"));
  auto* next = new QPushButton(T("Next"));
  auto* last = new QPushButton(T("Last"));
  auto* close = new QPushButton(T("Close"));
  for (auto* b : {first, prev, next, last}) row->addWidget(b);
  row->addStretch();
  row->addWidget(close);
  layout->addLayout(row);
  auto refresh = [&] {
    text->setText(tips.empty() ? T("There are no tips.") : Q(tips.current()));
    first->setEnabled(!tips.atFirst());
    prev->setEnabled(!tips.atFirst());
    next->setEnabled(!tips.atLast());
    last->setEnabled(!tips.atLast());
    show->setChecked(tips.showTip());
  };
  QObject::connect(first, &QPushButton::clicked, &d, [&] { tips.First(); refresh(); });
  QObject::connect(prev, &QPushButton::clicked, &d, [&] { tips.Previous(); refresh(); });
  QObject::connect(next, &QPushButton::clicked, &d, [&] { tips.Next(); refresh(); });
  QObject::connect(last, &QPushButton::clicked, &d, [&] { tips.Last(); refresh(); });
  QObject::connect(show, &QCheckBox::toggled, &d, [&](bool on) { tips.setShowTip(on); });
  QObject::connect(close, &QPushButton::clicked, &d, &QDialog::accept);
  refresh();
  close->setDefault(true);
  d.exec();
}

bool QtDialogs::OptionsSheet(StartupOptions& su, GeneralOptions& g, MiscOptions& m,
                             const std::function<void(bool)>& editList) {
  if (Auto("Options")) return false;
  QDialog d(parent_);
  d.setWindowTitle(T("Options"));
  d.setMinimumSize(480, 360);
  auto* layout = new QVBoxLayout(&d);
  auto* tabs = new QTabWidget;
  layout->addWidget(tabs);

  auto* general = new QWidget;
  auto* gl = new QVBoxLayout(general);
  auto box = [](QLayout* into, const char* text, bool on) {
    auto* b = new QCheckBox(T(text));
    b->setChecked(on);
    into->addWidget(b);
    return b;
  };
  auto* killer = new QGroupBox(T("Popup Killer"));
  auto* kl = new QVBoxLayout(killer);
  auto* autoClose = box(kl, "Automatically block popup windows", g.AutoClosePopup);
  auto* byTime = box(kl, "Recognize popup windows by timing", g.RecPPTime);
  auto* byLook = box(kl, "Recognize popup windows by appearance", g.RecPPLook);
  auto* beep = box(kl, "Beep when a popup window is blocked", g.BeepPopup);
  gl->addWidget(killer);
  auto* filter = new QGroupBox(T("Site Filter"));
  auto* fl = new QHBoxLayout(filter);
  auto* enableFilter = box(fl, "Enable Site Filter", g.AutoCloseFilter);
  fl->addStretch(1);
  for (bool black : {true, false}) {
    auto* b = new QPushButton(T(black ? "Black List..." : "White List..."));
    b->setAutoDefault(false);
    QObject::connect(b, &QPushButton::clicked, &d, [&editList, black] {
      if (editList) editList(black);
    });
    fl->addWidget(b);
  }
  gl->addWidget(filter);
  auto* noScript = box(gl, "Suppress Script Errors (It will also disable script debugging.)", g.NoScriptError);
  auto* autoNew = box(gl, "Auto New Window", g.AutoNew);
  auto* tray = box(gl, "Show Tray Icon && Hide Taskbar Button", g.ShowTrayIcon);
  gl->addStretch(1);
  tabs->addTab(general, T("General"));

  auto* startup = new QWidget;
  auto* form = new QVBoxLayout(startup);
  auto* home = new QCheckBox(T("Open Internet Explorer homepage"));
  home->setChecked(su.SUIEHomePage);
  form->addWidget(home);
  auto* openPage = new QCheckBox(T("Open a specified page:"));
  openPage->setChecked(su.SUOpenPage);
  auto* url = new QLineEdit(Q(su.SUUrl));
  form->addWidget(openPage);
  form->addWidget(url);
  auto* openGroup = new QCheckBox(T("Open a specified group:"));
  openGroup->setChecked(su.SUOpenGroup);
  auto* group = new QLineEdit(Q(su.SUGroup));
  form->addWidget(openGroup);
  form->addWidget(group);
  auto* exec = new QCheckBox(T("Execute the following commands"));
  exec->setChecked(su.SUExecScript);
  auto* script = new QPlainTextEdit(Q(su.SUScript));
  form->addWidget(exec);
  form->addWidget(script, 1);
  tabs->addTab(startup, T("Start Up"));
  tabs->setCurrentWidget(startup);

  auto* misc = new QWidget;
  auto* ml = new QVBoxLayout(misc);
  auto* download = new QGroupBox(T("Default Download Control Options"));
  auto* dl = new QGridLayout(download);
  auto cell = [&](int row, int column, const char* text, bool on) {
    auto* b = new QCheckBox(T(text));
    b->setChecked(on);
    dl->addWidget(b, row, column);
    return b;
  };
  auto* pictures = cell(0, 0, "Show Pictures", m.showPictures);
  auto* videos = cell(1, 0, "Play Videos", m.playVideos);
  auto* sounds = cell(2, 0, "Play Sounds", m.playSounds);
  auto* scripts = cell(0, 1, "Execute Scripts", m.executeScripts);
  auto* java = cell(1, 1, "Execute Java Applets", m.executeJava);
  auto* activeX = cell(2, 1, "Enable ActiveX Control", m.enableActiveX);
  ml->addWidget(download);
  auto* breakRow = new QHBoxLayout;
  auto* breakFavorites = new QCheckBox(T("Break Favorites Menu At"));
  breakFavorites->setChecked(m.breakFavorites);
  auto* breakNum = new QSpinBox;
  breakNum->setObjectName(QStringLiteral("favorites-break-num"));
  breakNum->setRange(1, 1000);
  breakNum->setValue(m.favoritesBreakNum < 1 ? 1 : m.favoritesBreakNum > 1000 ? 1000 : m.favoritesBreakNum);
  breakNum->setEnabled(m.breakFavorites);
  QObject::connect(breakFavorites, &QCheckBox::toggled, breakNum, &QSpinBox::setEnabled);
  breakRow->addWidget(breakFavorites);
  breakRow->addWidget(breakNum);
  breakRow->addWidget(new QLabel(T("Items")));
  breakRow->addStretch(1);
  ml->addLayout(breakRow);
  auto* side = new QCheckBox(T("Support Mouse Side Button To Go Back/Forward"));
  side->setChecked(m.sideButtons);
  ml->addWidget(side);
  ml->addStretch(1);
  tabs->addTab(misc, T("Misc"));

  AddOkCancel(d, layout);
  if (d.exec() != QDialog::Accepted) return false;
  su.SUIEHomePage = home->isChecked();
  su.SUOpenPage = openPage->isChecked();
  su.SUUrl = url->text().toStdString();
  su.SUOpenGroup = openGroup->isChecked();
  su.SUGroup = group->text().toStdString();
  su.SUExecScript = exec->isChecked();
  // The multi-line field's lines, separated by line breaks.
  su.SUScript = script->toPlainText().toStdString();
  g.AutoClosePopup = autoClose->isChecked();
  g.RecPPTime = byTime->isChecked();
  g.RecPPLook = byLook->isChecked();
  g.BeepPopup = beep->isChecked();
  g.AutoCloseFilter = enableFilter->isChecked();
  g.NoScriptError = noScript->isChecked();
  g.AutoNew = autoNew->isChecked();
  g.ShowTrayIcon = tray->isChecked();
  m.showPictures = pictures->isChecked();
  m.playVideos = videos->isChecked();
  m.playSounds = sounds->isChecked();
  m.executeScripts = scripts->isChecked();
  m.executeJava = java->isChecked();
  m.enableActiveX = activeX->isChecked();
  m.breakFavorites = breakFavorites->isChecked();
  m.favoritesBreakNum = breakNum->value();
  m.sideButtons = side->isChecked();
  return true;
}

}  // namespace kestrel
