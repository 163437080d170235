#pragma once
// The window of a list dialog over a ListEditorModel: the rows, one edit
// field per column under them, and on the right Add, Remove, Change, Help
// and the buttons that close it. The Alias Definitions and Filter
// Definition dialogs are this window with their own texts.
#include <QDialog>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "common/list_editor.h"

class QLineEdit;
class QPushButton;
class QVBoxLayout;
class QTreeWidget;

namespace kestrel {

struct ListEditorLook {
  std::string title;
  std::string caption;               // above the rows; "" for none
  std::vector<std::string> headers;  // one per column; none: no header row
  std::vector<std::string> fields;   // the edit fields' labels; "" for a bare field
  bool multiSelect = false;
  int minimumWidth = 380, minimumHeight = 240;
};

class QtListEditor : public QDialog {
 public:
  // The texts are English and shown in the interface language; `help`
  // runs for "Help".
  QtListEditor(QWidget* parent, ListEditorModel& model, const ListEditorLook& look, std::function<void()> help);
  // A button below Help that closes the window; `before` runs first, and
  // `accept` says whether the dialog then counts as accepted.
  void AddClosingButton(const std::string& text, std::function<void()> before, bool accept);

 private:
  void Do(bool (ListEditorModel::*op)());
  void SelectionChanged();
  // Mirrors the whole model state into the widgets.
  void Refresh();
  void StoreFields();
  // The model's edit fields into the window's.
  void ShowFields();
  QPushButton* AddButton(const std::string& text);

  ListEditorModel& model_;
  QTreeWidget* rows_ = nullptr;
  std::vector<QLineEdit*> fields_;
  QVBoxLayout* buttons_ = nullptr;
  bool refreshing_ = false;
};

}  // namespace kestrel
