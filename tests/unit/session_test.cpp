// The open sites kept on disk for a start after a crash: the file, its
// writer, what of the frame goes into it and how it is reopened.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/textfile.h"
#include "frame/session.h"
#include "support/site_world.h"
#include "support/temp_dir.h"

namespace kestrel::test {
namespace {

TEST(Session, TheFileReadsBackAndDamageNeverBecomesSites) {
  const SessionSites s{{"http://a.test/", "file:///home/u/x y.htm", "https://b.test/?q=\xc3\xa9"}, 1};
  EXPECT_EQ(ParseSession(FormatSession(s)), s);
  EXPECT_EQ(ParseSession(FormatSession({})), SessionSites{});
  // Line breaks inside an address would make two: such an address is left out.
  EXPECT_EQ(ParseSession(FormatSession({{"http://a/\nhttp://evil/", "http://b/"}, 1}))->addresses,
            std::vector<std::string>{"http://b/"});
  // CR LF, blank lines and spaces from a hand edit are forgiven.
  EXPECT_EQ(ParseSession("Kestrel session\r\nactive=0\r\n\r\n  http://a/  \r\n"), (SessionSites{{"http://a/"}, 0}));
  for (const char* bad : {"", "Kestrel session", "kestrel session\nactive=0\nhttp://a/", "\x89PNG\r\n\x1a\n",
                          "Kestrel session\nhttp://a/\n"})
    EXPECT_FALSE(ParseSession(bad)) << bad;
  // An active index that names no site is no index.
  for (const char* active : {"active=1", "active=-2", "active=x", "active=99999999999999999999", "active="})
    EXPECT_EQ(ParseSession(std::string("Kestrel session\n") + active + "\nhttp://a/\n")->active, -1) << active;
  std::string many = "Kestrel session\nactive=0\n";
  for (int i = 0; i < 600; ++i) many += "http://s" + std::to_string(i) + "/\n";
  EXPECT_EQ(ParseSession(many)->addresses.size(), kMaxSessionSites);
}

TEST(Session, TheKeeperWritesOnlyChangesAndAFailedWriteIsTriedAgain) {
  TempDir dir;
  CSessionKeeper keeper(dir.file("sub/session.txt"));
  const SessionSites one{{"http://a/"}, 0}, two{{"http://a/", "http://b/"}, 1};
  EXPECT_FALSE(keeper.Update(one));  // its folder is missing: nothing written, nothing remembered
  MakeDirectories(dir.file("sub"));
  EXPECT_TRUE(keeper.Update(one));
  EXPECT_FALSE(keeper.Update(one));
  EXPECT_TRUE(keeper.Update(two));
  EXPECT_EQ(keeper.writes(), 2);
  EXPECT_EQ(ReadSession(keeper.path()), two);
  keeper.End();
  EXPECT_FALSE(FileExists(keeper.path()));
  EXPECT_FALSE(ReadSession(keeper.path()));
}

TEST(Session, TheFrameKeepsItsShownSitesWithTheTimerAndReopensThem) {
  TempDir dir;
  const std::string path = dir.file("session.txt");
  {
    SiteWorld w;
    w.frame.KeepSession(path);
    CKestrelView* a = w.Site("http://a.test/", "A");
    CKestrelView* b = w.Site("http://b.test/", "B");
    w.Site("about:blank", "");
    CKestrelView* popup = w.Site("http://popup.test/", "P");
    w.frame.HideSite(popup);  // hidden sites are never part of it
    w.frame.OnSiteActivated(&b->frame().window());
    w.frame.OnTimer(CMainFrame::kTimerId);
    EXPECT_TRUE(ReadSession(path)->addresses.empty());  // once a second: the first tick writes nothing
    w.frame.OnTimer(CMainFrame::kTimerId);
    EXPECT_EQ(ReadSession(path), (SessionSites{{"http://a.test/", "http://b.test/"}, 1}));
    const int writes = w.frame.sessionKeeper()->writes();
    for (int i = 0; i < 10; ++i) w.frame.OnTimer(CMainFrame::kTimerId);
    EXPECT_EQ(w.frame.sessionKeeper()->writes(), writes);  // nothing changed, nothing written
    a->Navigate("http://a.test/next");
    w.Control(a).CompleteNavigation("A2");
    w.frame.OnTimer(CMainFrame::kTimerId);
    w.frame.OnTimer(CMainFrame::kTimerId);
    EXPECT_EQ(ReadSession(path)->addresses[0], "http://a.test/next");
    // The frame goes without a normal end (a crash): the file stays.
  }
  ASSERT_TRUE(ReadSession(path));

  SiteWorld next;
  CKestrelView* blank = next.Site("about:blank", "");
  next.frame.ReopenSites({{"http://a.test/", "http://b.test/", "http://c.test/"}, 1});
  for (CKestrelView* v : next.frame.sites().sites()) next.Control(v).CompleteNavigation("");
  ASSERT_EQ(next.frame.sites().tabs().size(), 3u);  // the first went into the blank site
  EXPECT_EQ(next.frame.sites().tabs()[0], blank);
  EXPECT_EQ(next.frame.ActiveView()->GetLocationURL(), "http://b.test/");
  next.frame.KeepSession(path);
  next.frame.EndSession();  // a normal end
  EXPECT_FALSE(FileExists(path));
}

}  // namespace
}  // namespace kestrel::test
