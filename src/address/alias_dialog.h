#pragma once
// The Alias Definitions dialog without its window: the rows as shown, their
// order, the selection and the two edit fields. The Qt dialog only mirrors
// this state and forwards clicks (ui/alias_dialog_qt.h).
#include <set>
#include <string>
#include <vector>

#include "address/alias.h"
#include "common/list_editor.h"

namespace kestrel {

class AliasDialogModel : public ListEditorModel {
 public:
  static constexpr int kAliasColumn = 0;
  static constexpr int kFullTextColumn = 1;
  static constexpr const char* kHelpPage = "alias.htm";

  // One row per entry, sorted by alias ascending, first row selected.
  void Open(const AliasList& list);
  // The user's selection (indexes of rows; out-of-range ones are ignored).
  // The first selected row is copied into the edit fields.
  void Select(const std::set<int>& rows);
  void SetFields(std::string alias, std::string fullText);

  // Each returns true when it changed the rows.
  bool Add() override;
  bool Remove() override;  // asks first
  bool Change() override;
  // Sorts by the column; the same column again flips the order.
  void SortBy(int column) override;
  // Replaces the list with the rows in displayed order and writes alias.txt;
  // the result of SaveAliases.
  int Close(AliasList& list, const std::string& path) const;

  const std::vector<AliasEntry>& rows() const { return rows_; }
  const std::set<int>& selection() const { return selection_; }
  int sortColumn() const { return sortColumn_; }
  bool ascending() const { return ascending_; }
  const std::string& aliasField() const { return aliasField_; }
  const std::string& fullTextField() const { return fullTextField_; }
  // The row to scroll into view after the last operation, or -1.
  int focusRow() const { return focusRow_; }

  // ListEditorModel: the alias and the full text.
  int Columns() const override { return 2; }
  std::size_t RowCount() const override { return rows_.size(); }
  std::string Cell(std::size_t row, int column) const override;
  std::set<int> SelectedRows() const override { return selection_; }
  void SelectRows(const std::set<int>& rows) override { Select(rows); }
  std::string Field(int column) const override { return column == kAliasColumn ? aliasField_ : fullTextField_; }
  void SetFields(const std::vector<std::string>& fields) override;
  int FocusRow() const override { return focusRow_; }
  int SortColumn() const override { return sortColumn_; }
  bool SortAscending() const override { return ascending_; }

 private:
  // Checks the (trimmed) edit fields, showing the message for the first
  // fault; true when they make a storable entry.
  bool ValidFields(AliasEntry& entry) const;
  void Sort();
  void SelectOnly(int row);
  void ClearFields();

  std::vector<AliasEntry> rows_;
  std::set<int> selection_;
  int sortColumn_ = kAliasColumn;
  bool ascending_ = true;
  std::string aliasField_, fullTextField_;
  int focusRow_ = -1;
};

}  // namespace kestrel
