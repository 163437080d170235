#include "address/alias_dialog.h"

#include <algorithm>
#include <numeric>

#include "common/message.h"
#include "common/strings.h"

namespace kestrel {

void AliasDialogModel::Open(const AliasList& list) {
  rows_ = list.entries();
  selection_.clear();
  ClearFields();
  sortColumn_ = kAliasColumn;
  ascending_ = true;
  Sort();
  focusRow_ = -1;
  if (!rows_.empty()) SelectOnly(0);
}

void AliasDialogModel::Select(const std::set<int>& rows) {
  selection_.clear();
  focusRow_ = -1;  // the user's own click needs no scrolling
  for (int r : rows)
    if (r >= 0 && r < static_cast<int>(rows_.size())) selection_.insert(r);
  if (selection_.empty()) return;
  const AliasEntry& first = rows_[*selection_.begin()];
  aliasField_ = first.alias;
  fullTextField_ = first.fullText;
}

std::string AliasDialogModel::Cell(std::size_t row, int column) const {
  if (row >= rows_.size()) return {};
  return column == kAliasColumn ? rows_[row].alias : rows_[row].fullText;
}

void AliasDialogModel::SetFields(const std::vector<std::string>& fields) {
  SetFields(fields.size() > 0 ? fields[0] : std::string(), fields.size() > 1 ? fields[1] : std::string());
}

void AliasDialogModel::SetFields(std::string alias, std::string fullText) {
  aliasField_ = std::move(alias);
  fullTextField_ = std::move(fullText);
}

bool AliasDialogModel::ValidFields(AliasEntry& entry) const {
  // Surrounding blanks are dropped: the file could not keep them anyway.
  entry.alias = Trim(aliasField_);
  entry.fullText = Trim(fullTextField_);
  if (entry.alias.empty()) return ShowMessage("Invalid alias!"), false;
  // alias.txt ends an alias at its first blank or tab, so "my bank" would
  // come back as the alias "my" with "bank ..." as its full text.
  if (std::any_of(entry.alias.begin(), entry.alias.end(), [](char c) { return IsBlank(c) || c == '\0'; }))
    return ShowMessage("Invalid alias! An alias is a single word without blanks or tabs."), false;
  if (entry.fullText.empty()) return ShowMessage("Invalid full text!"), false;
  if (entry.fullText.find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos)
    return ShowMessage("Invalid full text! It cannot contain line breaks."), false;
  // A longer line would be read back in pieces, each taken as an entry.
  if (!CanStoreAlias(entry))
    return ShowMessage("The alias and full text are too long: together they may have at most 254 characters."),
           false;
  return true;
}

bool AliasDialogModel::Add() {
  AliasEntry entry;
  if (!ValidFields(entry)) return false;
  std::string alias = entry.alias;
  rows_.push_back(std::move(entry));
  Sort();
  // Existing rows with the same alias stay; the first of them (the one
  // LookupAlias will find) is the one shown.
  for (int i = 0; i < static_cast<int>(rows_.size()); ++i)
    if (rows_[i].alias == alias) {
      SelectOnly(i);
      break;
    }
  ClearFields();
  return true;
}

bool AliasDialogModel::Remove() {
  bool removed = false;
  if (ShowMessage("Are you sure to delete the selected entries?", MessageKind::Question)) {
    for (auto it = selection_.rbegin(); it != selection_.rend(); ++it) rows_.erase(rows_.begin() + *it);
    removed = !selection_.empty();
    selection_.clear();
    focusRow_ = -1;
  }
  ClearFields();
  return removed;
}

bool AliasDialogModel::Change() {
  if (selection_.empty()) return ShowMessage("Please select an entry for change!"), false;
  AliasEntry entry;
  if (!ValidFields(entry)) return false;
  rows_[*selection_.begin()] = std::move(entry);
  ClearFields();
  return true;
}

void AliasDialogModel::SortBy(int column) {
  if (column != kAliasColumn && column != kFullTextColumn) return;
  if (column == sortColumn_) {
    ascending_ = !ascending_;
  } else {
    sortColumn_ = column;
    ascending_ = true;
  }
  Sort();
}

int AliasDialogModel::Close(AliasList& list, const std::string& path) const {
  list.Replace(rows_);
  return list.SaveAliases(path);
}

// Stable and folding ASCII letters only: rows that compare equal keep their
// order, so among equal aliases the one LookupAlias finds first stays first
// (and stays first when the order is flipped, too).
void AliasDialogModel::Sort() {
  std::vector<int> order(rows_.size());
  std::iota(order.begin(), order.end(), 0);
  auto key = [this](int i) -> const std::string& {
    return sortColumn_ == kAliasColumn ? rows_[i].alias : rows_[i].fullText;
  };
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    int c = CompareNoCase(key(a), key(b));
    return ascending_ ? c < 0 : c > 0;
  });
  std::vector<AliasEntry> sorted;
  sorted.reserve(rows_.size());
  std::vector<int> newIndex(rows_.size());
  for (int pos = 0; pos < static_cast<int>(order.size()); ++pos) {
    sorted.push_back(std::move(rows_[order[pos]]));
    newIndex[order[pos]] = pos;
  }
  rows_ = std::move(sorted);
  // The selection stays with its rows.
  std::set<int> moved;
  for (int r : selection_) moved.insert(newIndex[r]);
  selection_ = std::move(moved);
  if (focusRow_ >= 0 && focusRow_ < static_cast<int>(newIndex.size())) focusRow_ = newIndex[focusRow_];
}

void AliasDialogModel::SelectOnly(int row) {
  Select({row});
  focusRow_ = row;
}

void AliasDialogModel::ClearFields() {
  aliasField_.clear();
  fullTextField_.clear();
}

}  // namespace kestrel
