// History: the pane's tree (date groups of this week's days and past weeks,
// host groups case aside, page texts), which explorer pane is shown, the
// Folders pane's rules, and the SQLite store with its recorder.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "collections/explorer_panes.h"
#include "collections/history.h"
#include "platform/history_store.h"
#include "support/fakes.h"
#include "support/hostile_inputs.h"
#include "support/site_world.h"
#include "support/temp_dir.h"

namespace kestrel::test {
namespace {

using Strings = std::vector<std::string>;

// Local noon (or `hour`) in a fixed zone, whatever the machine's.
std::int64_t At(int year, int month, int day, int hour = 12) {
  std::tm t{};
  t.tm_year = year - 1900, t.tm_mon = month - 1, t.tm_mday = day, t.tm_hour = hour, t.tm_isdst = -1;
  return std::mktime(&t);
}

TEST(History, DateGroupsHostsAndPages) {
  ScopedEnv tz("TZ", "Europe/Berlin");
  tzset();
  // Wednesday 2026-12-09; this week began on Monday 12-07.
  const std::int64_t now = At(2026, 12, 9, 15);
  int weekday = 0;
  const std::int64_t today = LocalMidnight(now, &weekday);
  EXPECT_EQ(weekday, 3);
  const struct { std::int64_t visit; const char* group; int key; } cases[] = {
      {At(2026, 12, 9, 0), "Today", -5},          {At(2026, 12, 8, 23), "Tuesday", -6},
      {At(2026, 12, 7, 0), "Monday", -7},         {At(2026, 12, 6, 23), "Last Week", -8},  // Sunday of last week
      {At(2026, 11, 30, 1), "Last Week", -8},     {At(2026, 11, 29), "2 Weeks Ago", -9},
      {At(2026, 11, 22), "3 Weeks Ago", -10},     {At(2025, 12, 7), "53 Weeks Ago", -60},
      {At(2026, 10, 20), "7 Weeks Ago", -14}};    // across the end of summer time
  for (const auto& c : cases) {
    const HistoryDateGroup g = DateGroupOf(LocalMidnight(c.visit), today, weekday);
    EXPECT_EQ(g.text + " " + std::to_string(g.key), c.group + (" " + std::to_string(c.key))) << c.visit;
  }
  // On a Sunday the week began six days before; on a Monday, Monday is today.
  int sunday = 0, monday = 0;
  const std::int64_t sun = LocalMidnight(At(2026, 12, 13), &sunday), mon = LocalMidnight(At(2026, 12, 7), &monday);
  EXPECT_EQ(DateGroupOf(mon, sun, sunday).text, "Monday");
  EXPECT_EQ(DateGroupOf(sun, sun, sunday).key, -1);
  EXPECT_EQ(DateGroupOf(mon, mon, monday).text, "Today");
  EXPECT_EQ(DateGroupOf(LocalMidnight(At(2026, 12, 6)), mon, monday).text, "Last Week");
  // A day of 23 hours at the start of summer time still counts whole: from Wednesday 2026-04-08, Sunday 03-29 lies in
  // the week before last.
  int wednesday = 0;
  const std::int64_t april = LocalMidnight(At(2026, 4, 8), &wednesday);
  EXPECT_EQ(DateGroupOf(LocalMidnight(At(2026, 3, 29)), april, wednesday).text, "2 Weeks Ago");

  const std::pair<const char*, std::optional<std::string>> hosts[] = {
      {"https://Docs.Test/a/b", "Docs.Test"}, {"http://h.test:8080/x", "h.test:8080"}, {"http://h.test", "h.test"},
      {"ftp://files.test/pub/", "files.test"}, {"file:///home/me/a.txt", "My Computer"},
      {"HTTP://upper.test/", std::nullopt},    {"about:blank", std::nullopt},          {"javascript:x", std::nullopt},
      {"http:", std::string()},                {"", std::nullopt}};
  for (const auto& [url, group] : hosts) EXPECT_EQ(HistoryHostGroup(url), group) << url;
  EXPECT_EQ(HistoryPageText({"http://h.test/dir/page.html", "", 0}), "page.html");
  EXPECT_EQ(HistoryPageText({"http://h.test/dir/", "", 0}), "http://h.test/dir/");
  EXPECT_EQ(HistoryPageText({"http://h.test/x", "Title", 0}), "Title");

  // The tree: oldest weeks first, hosts by name case aside, visits in order.
  const std::vector<HistoryDay> tree = BuildHistoryTree(
      {{"http://b.test/1", "B1", At(2026, 12, 9)}, {"http://A.test/1", "A1", At(2026, 12, 9)},
       {"http://a.TEST/2", "A2", At(2026, 12, 9, 14)}, {"file:///tmp/x.html", "", At(2026, 12, 7)},
       {"about:blank", "", At(2026, 12, 9)}, {"http://old.test/", "Old", At(2026, 11, 1)}},
      now);
  ASSERT_EQ(tree.size(), 3u);
  EXPECT_EQ(tree[0].group.text, "6 Weeks Ago");  // 36 days before this Monday
  EXPECT_EQ(tree[1].group.text + "/" + tree[1].hosts[0].text, "Monday/My Computer");
  EXPECT_EQ(tree[2].group.text, "Today");
  ASSERT_EQ(tree[2].hosts.size(), 2u);
  EXPECT_EQ(tree[2].hosts[0].text + " " + tree[2].hosts[1].text, "A.test b.test");
  ASSERT_EQ(tree[2].hosts[0].pages.size(), 2u);
  EXPECT_EQ(tree[2].hosts[0].pages[1].title, "A2");
  tzset();
}

struct RecordingPaneHost : ExplorerPaneHost {
  std::vector<int> shown;
  void ShowPane(ExplorerPane pane) override { shown.push_back(static_cast<int>(pane)); }
};

TEST(ExplorerPanes, OnePaneAtATimeAndTheFoldersPaneRules) {
  SiteWorld w;
  RecordingPaneHost host;
  {
    CExplorerPanes panes(w.frame, host);
    auto checked = [&](unsigned id) { return w.frame.commands().StateOf({id, nullptr}).checked; };
    EXPECT_TRUE(w.frame.OnCommand(ID_EXPLORER_HISTORY));
    EXPECT_TRUE(checked(ID_EXPLORER_HISTORY) && !checked(ID_EXPLORER_FAVORITES));
    w.frame.OnCommand(ID_EXPLORER_FOLDERS);  // another pane takes its place
    w.frame.OnCommand(ID_EXPLORER_FOLDERS);  // the one shown goes
    EXPECT_FALSE(checked(ID_EXPLORER_FOLDERS));
    panes.Show(ExplorerPane::Favorites);
    panes.Show(ExplorerPane::Favorites);  // shown already: nothing again
    panes.Close();
    panes.Close();
    EXPECT_EQ(host.shown, (std::vector<int>{3, 2, 0, 1, 0}));
  }
  EXPECT_FALSE(w.frame.OnCommand(ID_EXPLORER_HISTORY));  // gone with the panes
  for (const auto& [stored, pane] : {std::pair{-1, 0}, {0, 0}, {1, 1}, {3, 3}, {4, 0}})
    EXPECT_EQ(static_cast<int>(CExplorerPanes::FromSetting(stored)), pane) << stored;

  const struct { const char *text, *kept; Strings patterns; } types[] = {
      {"*.txt", "*.txt;", {"*.txt"}}, {"*.htm;*.html;", "*.htm;*.html;", {"*.htm", "*.html"}},
      {"", ";", {}}, {" *.a ; ;*.b", " *.a ; ;*.b;", {"*.a", "*.b"}}};
  for (const auto& t : types) {
    EXPECT_EQ(NormalizeFileTypes(t.text), t.kept);
    EXPECT_EQ(FileTypePatterns(NormalizeFileTypes(t.text)), t.patterns) << t.text;
  }

  using A = FolderClick::Action;
  const struct { const char* path; bool file; A action; const char* address; } clicks[] = {
      {"/d/page.html", true, A::Open, "file:///d/page.html"}, {"/d/SETUP.EXE", true, A::Start, "/d/SETUP.EXE"},
      {"/d/setup.exe", true, A::Start, "/d/setup.exe"},       {"/d/folder", false, A::Toggle, ""},
      // Characters that would end or change an address stay the file's.
      {"/d/a #1?%.txt", true, A::Open, "file:///d/a%20%231%3F%25.txt"},
      {"/d/\xc3\xbc\n.txt", true, A::Open, "file:///d/%C3%BC%0A.txt"}};
  for (const auto& c : clicks) {
    const FolderClick got = ClickOnFolderItem(c.path, c.file);
    EXPECT_EQ(got.action, c.action) << c.path;
    EXPECT_EQ(got.address, c.address) << c.path;
  }
}

TEST(HistoryStore, VisitsAreKeptRecentFirstAndCompletedByPrefix) {
  TempDir dir;
  const std::string path = dir.file("history.sqlite");
  {
    std::unique_ptr<HistoryStore> h = OpenSqliteHistory(path);
    for (const auto& [url, title, time] : {std::tuple<const char*, const char*, int>{"http://www.rust-lang.org/learn", "Learn", 100},
                                           {"https://docs.test/std/", "std", 200},
                                           {"https://docs.test/std/", "", 300},  // no title this time: the old one stays
                                           {"http://a.test/it's \"quoted\"; DROP TABLE visits", "x", 50},
                                           {"http://\xC3\xA9t\xC3\xA9.test/", "\xC3\xA9", 10}})
      EXPECT_TRUE(h->AddVisit(url, title, time)) << url;
  }
  // Written at once: a new connection sees everything.
  std::unique_ptr<HistoryStore> h = OpenSqliteHistory(path);
  const std::vector<HistoryEntry> recent = h->Recent(10);
  ASSERT_EQ(recent.size(), 4u);
  EXPECT_EQ(recent[0].url + " " + recent[0].title + " " + std::to_string(recent[0].time), "https://docs.test/std/ std 300");
  EXPECT_EQ(recent[3].title, "\xC3\xA9");
  EXPECT_EQ(h->Recent(1).size(), 1u);
  EXPECT_EQ(h->Complete("docs", 5), Strings{"https://docs.test/std/"});  // most visited first
  EXPECT_EQ(h->Complete("rust", 5), Strings{"http://www.rust-lang.org/learn"});
  EXPECT_EQ(h->Complete("http://a.test/it's", 5).size(), 1u);
  EXPECT_TRUE(h->Complete("%", 5).empty());  // no pattern characters
  EXPECT_TRUE(h->Complete("", 5).empty());
  EXPECT_EQ(h->Complete("http", 2).size(), 2u);
  EXPECT_TRUE(h->Clear());
  EXPECT_TRUE(h->Recent(10).empty());

  // A file that is no database is kept aside (nowhere to write at all: the recorder's test).
  dir.write("bad.sqlite", Garbage(1 << 16));
  std::unique_ptr<HistoryStore> fresh = OpenSqliteHistory(dir.file("bad.sqlite"));
  EXPECT_TRUE(fresh->AddVisit("http://a.test/", "A", 1));
  EXPECT_EQ(fresh->Recent(5).size(), 1u);
  EXPECT_EQ(dir.read("bad.sqlite.bad").size(), 1u << 16);
}

TEST(HistoryStore, TheRecorderKeepsThePagesTheUserSawAndReportsAFailingStoreOnce) {
  TempDir dir;
  SiteWorld w;
  MessageRecorder said;
  std::unique_ptr<HistoryStore> store = OpenSqliteHistory(dir.file("history.sqlite"));
  {
    CHistoryRecorder recorder(w.frame, *store);
    w.clock.seconds = 1000;
    w.Site("http://seen.test/page", "Seen");
    w.Site("about:blank", "");
    w.clock.seconds = 2000;
    w.Control(w.Site("http://seen.test/other", "Other")).FailPage("http://down.test/");
    CKestrelView* popup = w.frame.CreateSite();
    popup->SetBlocked(true);
    popup->Navigate("http://popup.test/");
    w.Control(popup).CompleteNavigation("Popup");
    w.Site("view-source:http://seen.test/page", "source");
  }
  w.Site("http://after.test/", "After");  // the recorder is gone: nothing more is written
  Strings urls;
  for (const HistoryEntry& e : store->Recent(10)) urls.push_back(e.url + " " + e.title);
  EXPECT_EQ(urls, (Strings{"http://seen.test/other Other", "http://seen.test/page Seen"}));
  EXPECT_TRUE(said.messages.empty());

  std::filesystem::create_directory(dir.file("folder"));
  std::unique_ptr<HistoryStore> none = OpenSqliteHistory(dir.file("folder"));
  CHistoryRecorder broken(w.frame, *none);
  w.Site("http://one.test/", "One");
  w.Site("http://two.test/", "Two");
  ASSERT_EQ(said.messages.size(), 1u);
  EXPECT_TRUE(said.messages[0].starts_with("The history cannot be kept: "));
  EXPECT_TRUE(none->Recent(5).empty() && none->Complete("a", 5).empty());
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder")));
}

}  // namespace
}  // namespace kestrel::test
