#pragma once
// A list dialog's state without its window: rows of one or more columns,
// the selection, one edit field per column, and Add, Remove and Change. The
// Alias Definitions and Filter Definition dialogs are both such a list; one
// window shows either (ui/list_editor_qt.h).
#include <cstddef>
#include <set>
#include <string>
#include <vector>

namespace kestrel {

class ListEditorModel {
 public:
  virtual ~ListEditorModel() = default;

  virtual int Columns() const = 0;
  virtual std::size_t RowCount() const = 0;
  virtual std::string Cell(std::size_t row, int column) const = 0;
  virtual std::set<int> SelectedRows() const = 0;
  // The user's selection; the first selected row goes into the edit fields.
  virtual void SelectRows(const std::set<int>& rows) = 0;
  // The edit fields, one per column.
  virtual std::string Field(int column) const = 0;
  virtual void SetFields(const std::vector<std::string>& fields) = 0;
  // Each returns true when it changed the rows; a refusal has shown its message.
  virtual bool Add() = 0;
  virtual bool Remove() = 0;
  virtual bool Change() = 0;
  // The row to scroll into view after the last operation, or -1.
  virtual int FocusRow() const { return -1; }
  // Sorting by a column header: -1 when the rows are not sorted that way.
  virtual int SortColumn() const { return -1; }
  virtual bool SortAscending() const { return true; }
  virtual void SortBy(int column) { (void)column; }
};

}  // namespace kestrel
