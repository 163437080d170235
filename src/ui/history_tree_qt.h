#pragma once
// The History pane's tree: days (or weeks), hosts, pages. A host's pages
// are made when it is first opened, so a long history shows at once, and a
// new visit finds its place in the tree without the tree being built again.
#include <QIcon>
#include <QTreeWidget>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "collections/history.h"

namespace kestrel {

class HistoryTree : public QTreeWidget {
 public:
  explicit HistoryTree(QWidget* parent = nullptr);
  // Everything anew from `visits` (newest first) as seen at `now`.
  void Fill(const std::vector<HistoryVisit>& visits, std::int64_t now);
  // One visit more; an address listed before moves to where this visit
  // belongs. False when the day has changed since the tree was filled: it
  // must be filled again.
  bool Add(const HistoryVisit& visit, std::int64_t now);
  // The address of a page item; "" for a day or a host.
  static std::string UrlOf(const QTreeWidgetItem* item);

 private:
  QTreeWidgetItem* DayItem(const HistoryDateGroup& group);
  QTreeWidgetItem* HostItem(QTreeWidgetItem* day, const std::string& host);
  void MakePage(QTreeWidgetItem* host, const HistoryVisit& visit, int at);
  void Forget(const std::string& url);
  void Drop(QTreeWidgetItem* item);

  QIcon dayIcon_, hostIcon_, pageIcon_;
  std::int64_t midnight_ = 0;
  int weekday_ = 0;
  std::unordered_map<QTreeWidgetItem*, std::vector<HistoryVisit>> unopened_;  // pages of hosts not opened yet
  std::unordered_map<std::string, QTreeWidgetItem*> hostOf_;                 // address -> its host item
};

}  // namespace kestrel
