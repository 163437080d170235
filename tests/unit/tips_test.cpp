#include <gtest/gtest.h>

#include "app/tips.h"
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

}  // namespace
}  // namespace kestrel
