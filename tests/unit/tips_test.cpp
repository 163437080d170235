#include <gtest/gtest.h>

#include "app/tips.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

TEST(Tips, FileFormatAndNavigation) {
  // Long lines, line ends, binary and missing files: hostile_inputs_test.
  test::TempDir dir;
  dir.write("tips.txt", "  first tip\r\nsecond line\r\n<next tip>\n\n<next tip>\r\n\nlast\n\n<next tip>");
  EXPECT_EQ(TipsModel::LoadTips(dir.file("tips.txt")), (std::vector<std::string>{"first tip\nsecond line", "last"}));

  // Each step: the tip shown, whether the box stays ticked; it goes off once the last tip was shown.
  TipsModel m({"a", "b", "c"}, -1, true);
  const struct { void (TipsModel::*go)(); const char* tip; bool show; } steps[] = {
      {&TipsModel::Previous, "a", true}, {&TipsModel::Next, "b", true}, {&TipsModel::Last, "c", false},
      {&TipsModel::Next, "c", false},    {&TipsModel::First, "a", false}};
  EXPECT_TRUE(m.atFirst());
  for (const auto& s : steps) {
    (m.*s.go)();
    EXPECT_EQ(m.current() + (m.showTip() ? "+" : "-"), std::string(s.tip) + (s.show ? "+" : "-"));
  }
  m.setShowTip(true);
  EXPECT_TRUE(m.showTip());

  // It opens on the tip after the one shown last; past the end or a stale index, from the first again.
  for (const auto& [last, tip] : {std::pair{0, "b"}, {1, "a"}, {99, "a"}, {-5, "a"}})
    EXPECT_EQ(TipsModel({"a", "b"}, last, true).current(), tip) << last;
  TipsModel none({}, 5, true);
  none.Next();
  EXPECT_EQ(none.index(), -1);
  EXPECT_EQ(none.current(), "");
  EXPECT_TRUE(none.showTip());
}

}  // namespace
}  // namespace kestrel
