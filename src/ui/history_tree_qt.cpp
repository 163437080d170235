#include "ui/history_tree_qt.h"

#include <QStyle>
#include <algorithm>

#include "common/strings.h"
#include "ui/qt_text.h"

namespace kestrel {

namespace {

constexpr int kUrlRole = Qt::UserRole;
constexpr int kKeyRole = Qt::UserRole + 1;
constexpr int kHostRole = Qt::UserRole + 2;  // a host's name as grouped, before translation

// "N Weeks Ago" in the interface language, whatever N is.
QString DateGroupText(const std::string& english) {
  constexpr std::string_view kWeeks = " Weeks Ago";
  if (!english.ends_with(kWeeks)) return T(english);
  return Q(english.substr(0, english.size() - kWeeks.size())) + QLatin1Char(' ') + T("Weeks Ago");
}

}  // namespace

HistoryTree::HistoryTree(QWidget* parent) : QTreeWidget(parent) {
  setObjectName(QStringLiteral("history-tree"));
  setHeaderHidden(true);
  setUniformRowHeights(true);
  dayIcon_ = style()->standardIcon(QStyle::SP_DirIcon);
  hostIcon_ = QIcon::fromTheme(QStringLiteral("network-server"), dayIcon_);
  pageIcon_ = QIcon::fromTheme(QStringLiteral("text-html"), style()->standardIcon(QStyle::SP_FileIcon));
  connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
    auto it = unopened_.find(item);
    if (it == unopened_.end()) return;
    const std::vector<HistoryVisit> pages = std::move(it->second);
    unopened_.erase(it);
    for (const HistoryVisit& v : pages) MakePage(item, v, item->childCount());
  });
}

std::string HistoryTree::UrlOf(const QTreeWidgetItem* item) {
  return item ? S(item->data(0, kUrlRole).toString()) : std::string();
}

void HistoryTree::Fill(const std::vector<HistoryVisit>& visits, std::int64_t now) {
  clear();
  unopened_.clear();
  hostOf_.clear();
  midnight_ = LocalMidnight(now, &weekday_);
  for (const HistoryDay& day : BuildHistoryTree(visits, now)) {
    QTreeWidgetItem* d = DayItem(day.group);
    for (const HistoryHost& host : day.hosts) {
      QTreeWidgetItem* h = HostItem(d, host.text);
      for (const HistoryVisit& v : host.pages) hostOf_[v.url] = h;
      unopened_[h] = host.pages;
    }
  }
  // The newest day open, as the user most often wants it.
  if (topLevelItemCount() > 0) topLevelItem(topLevelItemCount() - 1)->setExpanded(true);
}

bool HistoryTree::Add(const HistoryVisit& visit, std::int64_t now) {
  if (LocalMidnight(now) != midnight_) return false;
  const std::optional<std::string> host = HistoryHostGroup(visit.url);
  if (!host) return true;  // not listed
  Forget(visit.url);
  QTreeWidgetItem* h = HostItem(DayItem(DateGroupOf(LocalMidnight(visit.time), midnight_, weekday_)), *host);
  hostOf_[visit.url] = h;
  if (auto it = unopened_.find(h); it != unopened_.end())
    it->second.insert(it->second.begin(), visit);
  else if (h->isExpanded() || h->childCount() > 0)
    MakePage(h, visit, 0);
  else
    unopened_[h] = {visit};
  return true;
}

QTreeWidgetItem* HistoryTree::DayItem(const HistoryDateGroup& group) {
  // Oldest weeks first, this week's Sunday last.
  int at = 0;
  for (; at < topLevelItemCount(); ++at) {
    const int key = topLevelItem(at)->data(0, kKeyRole).toInt();
    if (key == group.key) return topLevelItem(at);
    if (key > group.key) break;
  }
  auto* day = new QTreeWidgetItem({DateGroupText(group.text)});
  day->setIcon(0, dayIcon_);
  day->setData(0, kKeyRole, group.key);
  insertTopLevelItem(at, day);
  return day;
}

QTreeWidgetItem* HistoryTree::HostItem(QTreeWidgetItem* day, const std::string& host) {
  const QString shown = host == "My Computer" ? T(host) : Q(host);
  int at = 0;
  for (; at < day->childCount(); ++at) {
    QTreeWidgetItem* h = day->child(at);
    const int order = CompareNoCase(S(h->data(0, kHostRole).toString()), host);
    if (order == 0) return h;
    if (order > 0) break;
  }
  auto* h = new QTreeWidgetItem({shown});
  h->setIcon(0, hostIcon_);
  h->setData(0, kHostRole, Q(host));
  h->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  day->insertChild(at, h);
  return h;
}

void HistoryTree::MakePage(QTreeWidgetItem* host, const HistoryVisit& visit, int at) {
  auto* page = new QTreeWidgetItem({Q(HistoryPageText(visit))});
  page->setIcon(0, pageIcon_);
  page->setToolTip(0, Q(visit.url));
  page->setData(0, kUrlRole, Q(visit.url));
  host->insertChild(at, page);
}

void HistoryTree::Forget(const std::string& url) {
  const auto it = hostOf_.find(url);
  if (it == hostOf_.end()) return;
  QTreeWidgetItem* host = it->second;
  hostOf_.erase(it);
  if (auto pending = unopened_.find(host); pending != unopened_.end()) {
    std::erase_if(pending->second, [&](const HistoryVisit& v) { return v.url == url; });
    if (pending->second.empty()) unopened_.erase(pending);
  } else {
    for (int i = 0; i < host->childCount(); ++i)
      if (UrlOf(host->child(i)) == url) delete host->takeChild(i--);
  }
  if (host->childCount() == 0 && !unopened_.count(host)) Drop(host);
}

void HistoryTree::Drop(QTreeWidgetItem* host) {
  QTreeWidgetItem* day = host->parent();
  delete host;
  if (day && day->childCount() == 0) delete day;
}

}  // namespace kestrel
