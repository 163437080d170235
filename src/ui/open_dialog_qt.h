#pragma once
// File > Open: an address typed or picked from the typed addresses, or a
// file found with "Browse...".
#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QPushButton;

namespace kestrel {

// The file-open dialog's filters, in the order offered.
QString OpenDialogFileFilters();

class OpenDialog : public QDialog {
 public:
  OpenDialog(QWidget* parent, const std::vector<std::string>& typed);
  // The trimmed text of the field.
  std::string Address() const;
  QComboBox* field() const { return field_; }
  QPushButton* browseButton() const { return browse_; }
  // Asks for a file; an empty answer leaves the field as it is. Replaceable
  // so that a test need not drive the system's file dialog.
  std::function<QString(QWidget* parent)> chooseFile;

 private:
  void Browse();
  QComboBox* field_;
  QPushButton* browse_;
};

}  // namespace kestrel
