#include "ui/groups_dialog_qt.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/qt_dialogs.h"
#include "ui/qt_text.h"

namespace kestrel {

namespace {

QPushButton* Button(QBoxLayout* row, const char* english, const char* name, std::function<void()> act) {
  auto* b = new QPushButton(T(english));
  b->setObjectName(QString::fromLatin1(name));
  b->setAutoDefault(false);
  row->addWidget(b);
  QObject::connect(b, &QPushButton::clicked, b, std::move(act));
  return b;
}

// A caption over a list, a field under it: one half of the Organizer.
QVBoxLayout* Half(const char* listLabel, QListWidget* list, const char* fieldLabel, QLineEdit* field) {
  auto* half = new QVBoxLayout;
  half->addWidget(new QLabel(T(listLabel)));
  half->addWidget(list, 1);
  half->addWidget(new QLabel(T(fieldLabel)));
  half->addWidget(field);
  return half;
}

}  // namespace

QtGroupOrganizer::QtGroupOrganizer(QWidget* parent, CGroupOrganizer& model,
                                   std::function<void(const std::string&)> open,
                                   std::function<std::string()> currentSite, std::function<void()> help)
    : QDialog(parent), model_(model) {
  setWindowTitle(T("Group Organizer"));
  setObjectName(QStringLiteral("group-organizer"));
  resize(680, 420);
  groups_ = new QListWidget;
  groups_->setObjectName(QStringLiteral("group-list"));
  sites_ = new QListWidget;
  sites_->setObjectName(QStringLiteral("group-sites"));
  groupName_ = new QLineEdit;
  groupName_->setObjectName(QStringLiteral("group-name"));
  siteText_ = new QLineEdit;
  siteText_->setObjectName(QStringLiteral("group-site"));

  auto* top = new QHBoxLayout(this);
  QVBoxLayout* left = Half("Groups:", groups_, "Group Name:", groupName_);
  auto* leftButtons = new QHBoxLayout;
  auto act = [this](bool (CGroupOrganizer::*op)()) {
    return [this, op] {
      Take();
      if ((model_.*op)()) Show();
    };
  };
  Button(leftButtons, "Add", "group-add", act(&CGroupOrganizer::AddGroup));
  Button(leftButtons, "Rename", "group-rename", act(&CGroupOrganizer::RenameGroup));
  Button(leftButtons, "Open", "group-open", [this, open] {
    if (auto name = model_.GroupToOpen(); name && open) open(*name);
  });
  Button(leftButtons, "Remove", "group-remove", act(&CGroupOrganizer::RemoveGroup));
  left->addLayout(leftButtons);
  top->addLayout(left, 1);

  QVBoxLayout* right = Half("Sites Within Group:", sites_, "Site Address or Built-in Command:", siteText_);
  auto* rightButtons = new QHBoxLayout;
  Button(rightButtons, "Add", "site-add", act(&CGroupOrganizer::AddSite));
  Button(rightButtons, "Change", "site-change", act(&CGroupOrganizer::ChangeSite));
  Button(rightButtons, "Delete", "site-delete", act(&CGroupOrganizer::DeleteSite));
  Button(rightButtons, "Get Current Site", "site-current", [this, currentSite] {
    if (currentSite) siteText_->setText(Q(currentSite()));
  });
  right->addLayout(rightButtons);
  auto* foot = new QHBoxLayout;
  foot->addStretch();
  Button(foot, "Close", "group-close", [this] {
    Take();
    model_.Close();
    accept();
  });
  Button(foot, "Help", "group-help", [help] {
    if (help) help();
  });
  right->addLayout(foot);
  top->addLayout(right, 1);

  connect(groups_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (filling_) return;
    Take();
    model_.SelectGroup(row);
    Show();
  });
  connect(sites_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (filling_) return;
    model_.SelectSite(row);
    siteText_->setText(Q(model_.siteText));
  });
  Show();
  if (!model_.siteText.empty()) siteText_->setFocus();
}

void QtGroupOrganizer::Show() {
  filling_ = true;
  groups_->clear();
  for (const std::string& g : model_.groups()) groups_->addItem(Q(g));
  groups_->setCurrentRow(model_.groupSelection());
  sites_->clear();
  for (const std::string& s : model_.sites()) sites_->addItem(Q(s));
  sites_->setCurrentRow(model_.siteSelection());
  groupName_->setText(Q(model_.groupName));
  siteText_->setText(Q(model_.siteText));
  filling_ = false;
}

void QtGroupOrganizer::Take() {
  model_.groupName = S(groupName_->text());
  model_.siteText = S(siteText_->text());
}

bool QtGroupDialogs::Organizer(CGroupOrganizer& model, const std::function<void(const std::string&)>& open,
                               const std::function<std::string()>& currentSite) {
  if (AnsweredUnattended("Group Organizer")) return false;
  QtGroupOrganizer d(parent_, model, open, currentSite, [this] {
    if (openHelp_) openHelp_("sitegroup.htm");
  });
  return d.exec() == QDialog::Accepted;
}

std::optional<std::string> QtGroupDialogs::SaveGroupFile(const std::string& folder) {
  if (AnsweredUnattended("Save All Open Sites As Group", folder)) return std::nullopt;
  QFileDialog d(parent_, T("Save All Open Sites As Group..."), Q(folder));
  d.setAcceptMode(QFileDialog::AcceptSave);
  d.setNameFilter(T("Site group files") + QStringLiteral(" (*.sgp)"));
  d.setDefaultSuffix(QStringLiteral("sgp"));
  if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return std::nullopt;
  return S(d.selectedFiles().front());
}

}  // namespace kestrel
