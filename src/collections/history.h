#pragma once
// The History pane's own tree: visits arranged by week or day of this
// week, then by host, oldest weeks first.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frame/main_frame.h"
#include "platform/history_store.h"

namespace kestrel {

using HistoryVisit = HistoryEntry;

// Writes every page a site of the user's shows into the history as it
// completes; blank, failed and unseen pages are no visits. A store that
// cannot keep them is reported once, and browsing goes on.
class CHistoryRecorder : public DocumentObserver {
 public:
  CHistoryRecorder(CMainFrame& frame, HistoryStore& store);
  ~CHistoryRecorder() override;
  CHistoryRecorder(const CHistoryRecorder&) = delete;
  CHistoryRecorder& operator=(const CHistoryRecorder&) = delete;
  void DocumentCompleted(CKestrelView& site) override;
  std::function<void(const HistoryVisit&)> recorded;  // after each visit kept

 private:
  CMainFrame& frame_;
  HistoryStore& store_;
  bool reported_ = false;
};

// The host group of an address: its host for http, https and ftp, "My
// Computer" for file:; nullopt for any other address (it is not listed).
std::optional<std::string> HistoryHostGroup(std::string_view url);
// A page as the pane shows it: its title, or the address after its last "/"
// (the whole address when nothing follows that).
std::string HistoryPageText(const HistoryVisit& visit);

struct HistoryDateGroup {
  std::string text;  // "Today", a day's name, "Last Week" or "N Weeks Ago"
  int key = 0;       // ascending: oldest weeks first, Sunday of this week last
};
// The date group of a visit on the day starting at `visitMidnight` (local),
// seen on the day starting at `todayMidnight`, `todayWeekday` 0 = Sunday.
HistoryDateGroup DateGroupOf(std::int64_t visitMidnight, std::int64_t todayMidnight, int todayWeekday);

struct HistoryHost {
  std::string text;
  std::vector<HistoryVisit> pages;
};
struct HistoryDay {
  HistoryDateGroup group;
  std::vector<HistoryHost> hosts;  // by name, case aside
};
// The tree of `visits` as seen at `now`, in the local time zone.
std::vector<HistoryDay> BuildHistoryTree(const std::vector<HistoryVisit>& visits, std::int64_t now);

// Local midnight of the day `time` falls on, and that day's weekday (0 = Sunday).
std::int64_t LocalMidnight(std::int64_t time, int* weekday = nullptr);

}  // namespace kestrel
