// The SQLite history: visits kept across a reopening, the newest first,
// completion by prefix, and files that are no database or cannot be written.
#include <gtest/gtest.h>

#include <filesystem>

#include "collections/history.h"
#include "platform/history_store.h"
#include "support/fakes.h"
#include "support/site_world.h"
#include "support/hostile_inputs.h"
#include "support/temp_dir.h"

namespace kestrel::test {
namespace {

TEST(HistoryStore, VisitsAreKeptRecentFirstAndCompletedByPrefix) {
  TempDir dir;
  const std::string path = dir.file("history.sqlite");
  {
    std::unique_ptr<HistoryStore> h = OpenSqliteHistory(path);
    EXPECT_TRUE(h->AddVisit("http://www.rust-lang.org/learn", "Learn", 100));
    EXPECT_TRUE(h->AddVisit("https://docs.test/std/", "std", 200));
    EXPECT_TRUE(h->AddVisit("https://docs.test/std/", "", 300));  // no title this time: the old one stays
    EXPECT_TRUE(h->AddVisit("http://a.test/it's \"quoted\"; DROP TABLE visits", "x", 50));
    EXPECT_TRUE(h->AddVisit("http://\xC3\xA9t\xC3\xA9.test/", "\xC3\xA9", 10));
  }
  // Written at once: a new connection sees everything.
  std::unique_ptr<HistoryStore> h = OpenSqliteHistory(path);
  const std::vector<HistoryEntry> recent = h->Recent(10);
  ASSERT_EQ(recent.size(), 4u);
  EXPECT_EQ(recent[0].url, "https://docs.test/std/");
  EXPECT_EQ(recent[0].title, "std");
  EXPECT_EQ(recent[0].time, 300);
  EXPECT_EQ(recent[3].title, "\xC3\xA9");
  EXPECT_EQ(h->Recent(1).size(), 1u);

  EXPECT_EQ(h->Complete("docs", 5), (std::vector<std::string>{"https://docs.test/std/"}));  // most visited first
  EXPECT_EQ(h->Complete("rust", 5), (std::vector<std::string>{"http://www.rust-lang.org/learn"}));
  EXPECT_EQ(h->Complete("http://a.test/it's", 5).size(), 1u);
  EXPECT_TRUE(h->Complete("%", 5).empty());  // no pattern characters
  EXPECT_TRUE(h->Complete("", 5).empty());
  EXPECT_EQ(h->Complete("http", 2).size(), 2u);
  EXPECT_TRUE(h->Clear());
  EXPECT_TRUE(h->Recent(10).empty());
}

TEST(HistoryStore, AFileThatIsNoDatabaseIsKeptAsideAndAPlaceThatCannotBeWrittenSaysSo) {
  TempDir dir;
  dir.write("history.sqlite", Garbage(1 << 16));
  std::unique_ptr<HistoryStore> h = OpenSqliteHistory(dir.file("history.sqlite"));
  EXPECT_TRUE(h->AddVisit("http://a.test/", "A", 1));
  EXPECT_EQ(h->Recent(5).size(), 1u);
  EXPECT_EQ(dir.read("history.sqlite.bad").size(), 1u << 16);

  // Nowhere to write: the store keeps nothing and browsing goes on.
  std::filesystem::create_directory(dir.file("folder"));
  std::unique_ptr<HistoryStore> none = OpenSqliteHistory(dir.file("folder"));
  EXPECT_FALSE(none->AddVisit("http://a.test/", "A", 1));
  EXPECT_FALSE(none->lastError().empty());
  EXPECT_TRUE(none->Recent(5).empty());
  EXPECT_TRUE(none->Complete("a", 5).empty());
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder")));
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
    ScriptedControl& failing = w.Control(w.Site("http://seen.test/other", "Other"));
    failing.FailPage("http://down.test/");
    CKestrelView* popup = w.frame.CreateSite();
    popup->SetBlocked(true);
    popup->Navigate("http://popup.test/");
    w.Control(popup).CompleteNavigation("Popup");
    w.Site("view-source:http://seen.test/page", "source");
  }
  std::vector<std::string> urls;
  for (const HistoryEntry& e : store->Recent(10)) urls.push_back(e.url + " " + e.title);
  EXPECT_EQ(urls, (std::vector<std::string>{"http://seen.test/other Other", "http://seen.test/page Seen"}));
  EXPECT_TRUE(said.messages.empty());

  // Gone after the recorder: nothing more is written.
  w.Site("http://after.test/", "After");
  EXPECT_EQ(store->Recent(10).size(), 2u);

  std::filesystem::create_directory(dir.file("folder"));
  std::unique_ptr<HistoryStore> none = OpenSqliteHistory(dir.file("folder"));
  CHistoryRecorder broken(w.frame, *none);
  w.Site("http://one.test/", "One");
  w.Site("http://two.test/", "Two");
  ASSERT_EQ(said.messages.size(), 1u);
  EXPECT_EQ(said.messages[0].rfind("The history cannot be kept: ", 0), 0u);
}

}  // namespace
}  // namespace kestrel::test
