#include "collections/history.h"

#include <algorithm>
#include <ctime>
#include <map>

#include "common/message.h"
#include "common/strings.h"

namespace kestrel {

std::optional<std::string> HistoryHostGroup(std::string_view url) {
  const std::string_view head = url.substr(0, 5);
  std::size_t from;
  if (head == "https")
    from = 8;
  else if (head == "http:")
    from = 7;
  else if (head == "ftp:/")
    from = 6;
  else if (head == "file:")
    return std::string("My Computer");
  else
    return std::nullopt;
  if (url.size() <= from) return std::string();
  std::string_view host = url.substr(from);
  host = host.substr(0, host.find('/'));
  return std::string(host);
}

std::string HistoryPageText(const HistoryVisit& visit) {
  if (!visit.title.empty()) return visit.title;
  const std::size_t slash = visit.url.rfind('/');
  // An address that ends in "/" would leave a blank line: it shows whole.
  if (slash == std::string::npos || slash + 1 == visit.url.size()) return visit.url;
  return visit.url.substr(slash + 1);
}

HistoryDateGroup DateGroupOf(std::int64_t visitMidnight, std::int64_t todayMidnight, int todayWeekday) {
  static const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  // Monday 00:00 of this week; a Sunday belongs to the week that began six days before.
  const int d = todayWeekday == 0 ? 8 : todayWeekday + 1;  // 2 = Monday ... 8 = Sunday
  const std::int64_t weekStart = todayMidnight - static_cast<std::int64_t>(d - 2) * 86400;
  if (visitMidnight < weekStart) {
    // Whole days, rounded: a day of summer time's change has 23 or 25 hours.
    const std::int64_t w = ((weekStart - visitMidnight + 43200) / 86400 + 6) / 7;
    if (w >= 2) return {std::to_string(w) + " Weeks Ago", static_cast<int>(std::max<std::int64_t>(-7 - w, -1000000))};
    return {"Last Week", -8};
  }
  if (visitMidnight >= todayMidnight) return {"Today", d - 9};
  // Days since this week's Monday give the day's place.
  const int offset = static_cast<int>((visitMidnight - weekStart + 43200) / 86400);  // 0 = Monday
  const int weekday = (offset + 1) % 7;
  return {kDays[weekday], offset - 7};
}

std::int64_t LocalMidnight(std::int64_t time, int* weekday) {
  std::time_t t = static_cast<std::time_t>(time);
  std::tm local{};
  localtime_r(&t, &local);
  if (weekday) *weekday = local.tm_wday;
  local.tm_hour = local.tm_min = local.tm_sec = 0;
  local.tm_isdst = -1;  // the day's own offset, across a change of summer time
  return static_cast<std::int64_t>(std::mktime(&local));
}

std::vector<HistoryDay> BuildHistoryTree(const std::vector<HistoryVisit>& visits, std::int64_t now) {
  int weekday = 0;
  const std::int64_t today = LocalMidnight(now, &weekday);
  // By key, then by host case aside; made into the sorted lists at the end.
  std::map<int, std::pair<HistoryDateGroup, std::map<std::string, HistoryHost>>> days;
  // Visits come newest first, so most fall on the day of the one before:
  // the local calendar is asked once a day, not once a visit.
  std::int64_t dayStart = 1, dayEnd = 0, midnight = 0;
  for (const HistoryVisit& v : visits) {
    const std::optional<std::string> host = HistoryHostGroup(v.url);
    if (!host) continue;
    if (v.time < dayStart || v.time >= dayEnd) {
      midnight = LocalMidnight(v.time);
      dayStart = midnight;
      dayEnd = LocalMidnight(midnight + 30 * 3600);
    }
    const HistoryDateGroup group = DateGroupOf(midnight, today, weekday);
    auto& day = days.try_emplace(group.key, group, std::map<std::string, HistoryHost>{}).first->second;
    HistoryHost& h = day.second.try_emplace(ToLowerAscii(*host), HistoryHost{*host, {}}).first->second;
    h.pages.push_back(v);
  }
  std::vector<HistoryDay> out;
  out.reserve(days.size());
  for (auto& [key, day] : days) {
    HistoryDay d{day.first, {}};
    d.hosts.reserve(day.second.size());
    for (auto& [lower, h] : day.second) d.hosts.push_back(std::move(h));
    out.push_back(std::move(d));
  }
  return out;
}

CHistoryRecorder::CHistoryRecorder(CMainFrame& frame, HistoryStore& store) : frame_(frame), store_(store) {
  frame_.AddDocumentObserver(this);
}

CHistoryRecorder::~CHistoryRecorder() { frame_.RemoveDocumentObserver(this); }

void CHistoryRecorder::DocumentCompleted(CKestrelView& site) {
  if (site.IsSiteBlank() || site.IsSiteFailed() || site.Unseen()) return;
  const std::string url = site.GetLocationURL();
  if (!HistoryHostGroup(url)) return;  // only what the pane can list: no about:, data: or source views
  const HistoryVisit visit{url, site.GetDocumentTitle(), frame_.clock().CalendarSeconds()};
  if (store_.AddVisit(visit.url, visit.title, visit.time)) {
    if (recorded) recorded(visit);
    return;
  }
  if (reported_) return;
  reported_ = true;
  ShowMessage("The history cannot be kept: " + store_.lastError());
}

}  // namespace kestrel
