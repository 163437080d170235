#include <gtest/gtest.h>

#include "app/tips.h"
#include "app/typed_text.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

TEST(Tips, FileFormatAndNavigation) {
  test::TempDir dir;
  std::string longLine(600, 'x');
  dir.write("tips.txt", "  first tip\r\nsecond line\r\n<next tip>\n\n<next tip>\r\n" + longLine + "\n<next tip>");
  auto tips = TipsModel::LoadTips(dir.file("tips.txt"));
  ASSERT_EQ(tips.size(), 2u);  // the empty tip between two separators is no tip
  EXPECT_EQ(tips[0], "first tip\nsecond line");
  // A line longer than 256 bytes is read in pieces, nothing lost.
  EXPECT_EQ(tips[1].size(), 600u + 2u);
  EXPECT_TRUE(TipsModel::LoadTips(dir.file("missing.txt")).empty());

  TipsModel m({"a", "b", "c"}, -1, true);
  EXPECT_EQ(m.current(), "a");
  EXPECT_TRUE(m.atFirst());
  m.Previous();
  EXPECT_EQ(m.index(), 0);
  m.Next();
  EXPECT_TRUE(m.showTip());
  m.Last();
  EXPECT_EQ(m.current(), "c");
  EXPECT_FALSE(m.showTip());
  m.Next();
  EXPECT_EQ(m.index(), 2);
  m.setShowTip(true);
  m.First();
  EXPECT_TRUE(m.showTip());

  EXPECT_EQ(TipsModel({"a", "b"}, 0, true).current(), "b");
  EXPECT_EQ(TipsModel({"a", "b"}, 1, true).current(), "a");   // past the end: from the first again
  EXPECT_EQ(TipsModel({"a", "b"}, 99, true).current(), "a");  // a stale index
  TipsModel none({}, 5, true);
  EXPECT_EQ(none.index(), -1);
  EXPECT_EQ(none.current(), "");
  none.Next();
  EXPECT_TRUE(none.showTip());
}

TEST(TypedText, LinesAndAddresses) {
  EXPECT_EQ(SplitTypedLines("\n  a.example \r\n\n\t\nb.example"), (std::vector<std::string>{"a.example", "b.example"}));
  EXPECT_TRUE(SplitTypedLines(std::string(1000, '\n') + " \t ").empty());

  EXPECT_EQ(AddressForTypedLine("https://x.example/a?b"), "https://x.example/a?b");
  EXPECT_EQ(AddressForTypedLine("about:blank"), "about:blank");
  EXPECT_EQ(AddressForTypedLine("example.org"), "http://example.org");
  EXPECT_EQ(AddressForTypedLine("localhost:8080/x"), "http://localhost:8080/x");
  EXPECT_EQ(AddressForTypedLine("/home/u/page.html"), "file:///home/u/page.html");
  EXPECT_EQ(AddressForTypedLine("\"/home/u/my page.html\""), "file:///home/u/my page.html");
  // Script addresses would run in whatever page is open: never from typed or handed-over text.
  EXPECT_EQ(AddressForTypedLine("javascript:alert(1)"), "");
  EXPECT_EQ(AddressForTypedLine("  JavaScript:alert(1)"), "");
  EXPECT_EQ(AddressForTypedLine("vbscript:msgbox"), "");
  EXPECT_EQ(AddressForTypedLine(std::string("a.example\0b", 11)), "");
  EXPECT_EQ(AddressForTypedLine("\"\""), "");
  EXPECT_EQ(AddressForTypedLine(std::string(1 << 20, 'a')).size(), (1u << 20) + 7);
}

}  // namespace
}  // namespace kestrel
