#pragma once
// The Filter Definition dialog without its window (the rows as shown, the
// selection and the edit field), and the "Add Into White List" / "Add Into
// Black List" commands of a site. The Qt windows only mirror this state
// (ui/filter_dialog_qt.h).
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/list_editor.h"
#include "popups/site_filter.h"

namespace kestrel {

inline constexpr const char* kFilterExists = "Filter already exist!";
inline constexpr const char* kFilterEmpty =
    "An empty filter would match every address. Please type a part of an address.";
inline constexpr const char* kFilterLineBreak = "A filter cannot contain line breaks.";
inline constexpr const char* kFilterNoHost = "This address has no host name to add.";

class FilterDialogModel : public ListEditorModel {
 public:
  static constexpr const char* kHelpPage = "sitefilter.htm";

  // The entries sorted by case-insensitive order (equal ones keep their
  // order, duplicates stay), the first one selected and copied into the
  // edit field.
  void Open(const std::vector<std::string>& list);
  // The user chose a row (-1 or an out-of-range index: none); its text is
  // copied into the edit field.
  void Select(int row);
  void SetEditText(std::string text) { edit_ = std::move(text); }

  // Each returns true when it changed the rows.
  // Adds the trimmed edit text unless an entry equals it (ASCII letters
  // folded); clears the edit field. The selection stays with its row.
  bool Add() override;
  // Deletes the selected row and selects the one that took its place, or
  // the new last one; nothing without a selection.
  bool Remove() override;
  // Replaces the selected row by the trimmed edit text unless another row
  // equals it; nothing without a selection.
  bool Change() override;
  // OK: the list becomes the rows in their displayed order.
  void Accept(std::vector<std::string>& list) const { list = rows_; }

  const std::vector<std::string>& rows() const { return rows_; }
  int selection() const { return selection_; }
  const std::string& editText() const { return edit_; }

  // ListEditorModel: one column, one row selected at most.
  int Columns() const override { return 1; }
  std::size_t RowCount() const override { return rows_.size(); }
  std::string Cell(std::size_t row, int) const override { return row < rows_.size() ? rows_[row] : std::string(); }
  std::set<int> SelectedRows() const override;
  void SelectRows(const std::set<int>& rows) override { Select(rows.empty() ? -1 : *rows.begin()); }
  std::string Field(int) const override { return edit_; }
  void SetFields(const std::vector<std::string>& fields) override {
    SetEditText(fields.empty() ? std::string() : fields[0]);
  }
  int FocusRow() const override { return selection_; }

 private:
  // The trimmed edit text in `text`, or false after showing why it cannot be
  // a filter.
  bool ValidText(std::string& text) const;
  // Row `except` aside, whether a row equals `text` ignoring case.
  bool Exists(const std::string& text, int except) const;
  // Inserts after the rows that sort before or equal to it; returns its row.
  int Insert(std::string text);

  std::vector<std::string> rows_;
  int selection_ = -1;
  std::string edit_;
};

// The host name of `url` (scheme://[userinfo@]host[:port][/?#...]) as a URL
// parser gives it: letters lower-cased, an IPv6 literal with its brackets
// (the way it stands in the address, so the entry matches it). "" when there
// is no such host or the authority is malformed (bad port, bad characters).
std::string UrlHostName(std::string_view url);

// Pages that are not sites of the web ("about:blank" and the like) are never
// added.
bool IsAboutAddress(std::string_view address);

// The entry "Add Into ... List" appends for the site at `address`: the whole
// address, or its host name with "Add Entire Domain"; "" for nothing.
std::string SiteFilterEntry(std::string_view address, bool entireDomain);

// The "Add Into White List..." / "Add Into Black List..." command of the site
// at `address`. `ask` shows the dialog (black, address, entire domain, close
// now) and returns true on OK. Appends the entry without a duplicate check;
// an "Add Entire Domain" that finds no host name says so. Returns true when
// the site is to be closed now (black list, "Close Site Window Now" ticked).
using AddToListAsk = std::function<bool(bool black, const std::string& address, bool& entireDomain, bool& closeNow)>;
bool AddSiteToFilter(CSiteFilter& filter, bool black, const std::string& address, const AddToListAsk& ask);

}  // namespace kestrel
