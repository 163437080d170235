#pragma once
// The Group Organizer and the save dialog of site groups, as Qt windows.
#include <QDialog>
#include <functional>
#include <string>

#include "collections/group_commands.h"

class QLineEdit;
class QListWidget;

namespace kestrel {

// Groups on the left, the chosen group's sites on the right; every button
// works on the model at once. Escape leaves without saving.
class QtGroupOrganizer : public QDialog {
 public:
  QtGroupOrganizer(QWidget* parent, CGroupOrganizer& model, std::function<void(const std::string&)> open,
                   std::function<std::string()> currentSite, std::function<void()> help);

 private:
  void Show();
  void Take();
  CGroupOrganizer& model_;
  QListWidget *groups_, *sites_;
  QLineEdit *groupName_, *siteText_;
  bool filling_ = false;
};

class QtGroupDialogs : public GroupDialogs {
 public:
  QtGroupDialogs(QWidget* parent, std::function<void(const std::string&)> openHelp)
      : parent_(parent), openHelp_(std::move(openHelp)) {}
  bool Organizer(CGroupOrganizer& model, const std::function<void(const std::string&)>& open,
                 const std::function<std::string()>& currentSite) override;
  std::optional<std::string> SaveGroupFile(const std::string& folder) override;

 private:
  QWidget* parent_;
  std::function<void(const std::string&)> openHelp_;
};

}  // namespace kestrel
