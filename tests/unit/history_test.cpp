// The History pane's tree: date groups of this week's days and past weeks,
// host groups case aside, page texts; which explorer pane is shown, and the
// Folders pane's rules.
#include <gtest/gtest.h>

#include <ctime>

#include "collections/explorer_panes.h"
#include "collections/history.h"
#include "support/site_world.h"
#include "support/temp_dir.h"

namespace kestrel::test {
namespace {

// Local times in a fixed zone, whatever the machine's.
struct InZone {
  ScopedEnv tz{"TZ", "Europe/Berlin"};
  InZone() { tzset(); }
  ~InZone() { tzset(); }
  static std::int64_t At(int year, int month, int day, int hour = 12) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_isdst = -1;
    return std::mktime(&t);
  }
};

TEST(History, DateGroupsHostsAndPages) {
  InZone zone;
  // Wednesday 2026-12-09; this week began on Monday 12-07.
  const std::int64_t now = InZone::At(2026, 12, 9, 15);
  struct Case {
    std::int64_t visit;
    const char* group;
    int key;
  } cases[] = {
      {InZone::At(2026, 12, 9, 0), "Today", -5},
      {InZone::At(2026, 12, 8, 23), "Tuesday", -6},
      {InZone::At(2026, 12, 7, 0), "Monday", -7},
      {InZone::At(2026, 12, 6, 23), "Last Week", -8},    // Sunday of last week
      {InZone::At(2026, 11, 30, 1), "Last Week", -8},    // its Monday
      {InZone::At(2026, 11, 29, 12), "2 Weeks Ago", -9},
      {InZone::At(2026, 11, 22, 12), "3 Weeks Ago", -10},  // 15 days before this Monday
      {InZone::At(2025, 12, 7, 12), "53 Weeks Ago", -60},
      {InZone::At(2026, 10, 20, 12), "7 Weeks Ago", -14},  // across the end of summer time
  };
  int weekday = 0;
  const std::int64_t today = LocalMidnight(now, &weekday);
  EXPECT_EQ(weekday, 3);
  for (const Case& c : cases) {
    const HistoryDateGroup g = DateGroupOf(LocalMidnight(c.visit), today, weekday);
    EXPECT_EQ(g.text, c.group) << c.visit;
    EXPECT_EQ(g.key, c.key) << c.group;
  }
  // On a Sunday the week began six days before; on a Monday, Monday is today.
  int sunday = 0;
  const std::int64_t sun = LocalMidnight(InZone::At(2026, 12, 13), &sunday);
  EXPECT_EQ(DateGroupOf(LocalMidnight(InZone::At(2026, 12, 7)), sun, sunday).text, "Monday");
  EXPECT_EQ(DateGroupOf(sun, sun, sunday).key, -1);
  int monday = 0;
  const std::int64_t mon = LocalMidnight(InZone::At(2026, 12, 7), &monday);
  EXPECT_EQ(DateGroupOf(mon, mon, monday).text, "Today");
  EXPECT_EQ(DateGroupOf(LocalMidnight(InZone::At(2026, 12, 6)), mon, monday).text, "Last Week");

  struct Host {
    const char* url;
    std::optional<std::string> group;
  } hosts[] = {{"https://Docs.Test/a/b", "Docs.Test"}, {"http://h.test:8080/x", "h.test:8080"},
               {"http://h.test", "h.test"},            {"ftp://files.test/pub/", "files.test"},
               {"file:///home/me/a.txt", "My Computer"}, {"HTTP://upper.test/", std::nullopt},
               {"about:blank", std::nullopt},          {"javascript:x", std::nullopt},
               {"http:", std::string()},               {"", std::nullopt}};
  for (const Host& h : hosts) EXPECT_EQ(HistoryHostGroup(h.url), h.group) << h.url;
  EXPECT_EQ(HistoryPageText({"http://h.test/dir/page.html", "", 0}), "page.html");
  EXPECT_EQ(HistoryPageText({"http://h.test/dir/", "", 0}), "http://h.test/dir/");
  EXPECT_EQ(HistoryPageText({"http://h.test/x", "Title", 0}), "Title");

  // The tree: oldest weeks first, hosts by name case aside, visits in order.
  const std::vector<HistoryDay> tree = BuildHistoryTree(
      {{"http://b.test/1", "B1", InZone::At(2026, 12, 9)},
       {"http://A.test/1", "A1", InZone::At(2026, 12, 9)},
       {"http://a.TEST/2", "A2", InZone::At(2026, 12, 9, 14)},
       {"file:///tmp/x.html", "", InZone::At(2026, 12, 7)},
       {"about:blank", "", InZone::At(2026, 12, 9)},
       {"http://old.test/", "Old", InZone::At(2026, 11, 1)}},
      now);
  ASSERT_EQ(tree.size(), 3u);
  EXPECT_EQ(tree[0].group.text, "6 Weeks Ago");  // 36 days before this Monday
  EXPECT_EQ(tree[1].group.text, "Monday");
  EXPECT_EQ(tree[1].hosts[0].text, "My Computer");
  EXPECT_EQ(tree[2].group.text, "Today");
  ASSERT_EQ(tree[2].hosts.size(), 2u);
  EXPECT_EQ(tree[2].hosts[0].text, "A.test");
  ASSERT_EQ(tree[2].hosts[0].pages.size(), 2u);
  EXPECT_EQ(tree[2].hosts[0].pages[1].title, "A2");
  EXPECT_EQ(tree[2].hosts[1].text, "b.test");
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
    EXPECT_TRUE(checked(ID_EXPLORER_HISTORY));
    EXPECT_FALSE(checked(ID_EXPLORER_FAVORITES));
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
  for (const auto& [stored, pane] : std::vector<std::pair<int, int>>{{-1, 0}, {0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 0}})
    EXPECT_EQ(static_cast<int>(CExplorerPanes::FromSetting(stored)), pane) << stored;

  struct Types {
    const char* text;
    const char* kept;
    std::vector<std::string> patterns;
  } types[] = {{"*.txt", "*.txt;", {"*.txt"}},
               {"*.htm;*.html;", "*.htm;*.html;", {"*.htm", "*.html"}},
               {"", ";", {}},
               {" *.a ; ;*.b", " *.a ; ;*.b;", {"*.a", "*.b"}}};
  for (const Types& t : types) {
    EXPECT_EQ(NormalizeFileTypes(t.text), t.kept);
    EXPECT_EQ(FileTypePatterns(NormalizeFileTypes(t.text)), t.patterns) << t.text;
  }

  using A = FolderClick::Action;
  struct Click {
    const char* path;
    bool file;
    A action;
    const char* address;
  } clicks[] = {{"/d/page.html", true, A::Open, "file:///d/page.html"},
                {"/d/setup.exe", true, A::Start, "/d/setup.exe"},
                {"/d/SETUP.EXE", true, A::Start, "/d/SETUP.EXE"},
                {"/d/folder", false, A::Toggle, ""},
                {"/d/gone.html", false, A::Toggle, ""},
                // Characters that would end or change an address stay the file's.
                {"/d/a #1?%.txt", true, A::Open, "file:///d/a%20%231%3F%25.txt"},
                {"/d/\xc3\xbc\n.txt", true, A::Open, "file:///d/%C3%BC%0A.txt"}};
  for (const Click& c : clicks) {
    const FolderClick got = ClickOnFolderItem(c.path, c.file);
    EXPECT_EQ(got.action, c.action) << c.path;
    EXPECT_EQ(got.address, c.address) << c.path;
  }
}

}  // namespace
}  // namespace kestrel::test
