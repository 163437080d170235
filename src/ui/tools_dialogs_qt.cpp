#include "ui/tools_dialogs_qt.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kestrel {

bool QtScriptDialogs::CustomScript(std::string& code, bool& javaScript) {
  QDialog d(parent_);
  d.setObjectName(QStringLiteral("custom-script"));
  d.setWindowTitle(QObject::tr("Custom Script"));
  auto* layout = new QVBoxLayout(&d);
  auto* label = new QLabel(QObject::tr("Script code to run in the active page:"));
  layout->addWidget(label);
  auto* edit = new QPlainTextEdit;
  edit->setObjectName(QStringLiteral("script-code"));
  edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  edit->setTabChangesFocus(true);
  edit->setPlaceholderText(QStringLiteral("document.body.style.background = 'ivory';"));
  label->setBuddy(edit);
  layout->addWidget(edit, 1);
  auto* languages = new QHBoxLayout;
  auto* js = new QRadioButton(QObject::tr("Java Script"));
  auto* vbs = new QRadioButton(QObject::tr("VB Script"));
  js->setChecked(true);
  // VBScript cannot run in this engine; the choice stays so a user learns why.
  vbs->setToolTip(QObject::tr("Only JavaScript runs in this browser"));
  languages->addWidget(js);
  languages->addWidget(vbs);
  languages->addStretch(1);
  layout->addLayout(languages);
  auto* buttons = new QDialogButtonBox;
  QPushButton* execute = buttons->addButton(QObject::tr("Execute"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QObject::tr("Close"), QDialogButtonBox::RejectRole);
  QPushButton* help = buttons->addButton(QObject::tr("Help"), QDialogButtonBox::HelpRole);
  execute->setDefault(false);
  execute->setAutoDefault(false);  // Enter in the code field is a new line
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
  QObject::connect(help, &QPushButton::clicked, &d, [this] {
    if (openHelp_) openHelp_("execscript.htm");
  });
  d.resize(520, 360);
  edit->setFocus();
  if (d.exec() != QDialog::Accepted) return false;
  code = edit->toPlainText().toStdString();
  javaScript = js->isChecked();
  return true;
}

}  // namespace kestrel
