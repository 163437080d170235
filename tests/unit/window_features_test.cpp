#include <gtest/gtest.h>

#include "platform/window_features.h"

namespace kestrel {
namespace {

// The bars as letters and the four sizes, for one comparison per case.
std::string Shown(const WindowFeatures& f) {
  return std::string(f.menuBar ? "M" : "-") + (f.toolBar ? "T" : "-") + (f.addressBar ? "A" : "-") +
         (f.statusBar ? "S" : "-") + (f.resizable ? "R" : "-") + " " + std::to_string(f.left) + "," +
         std::to_string(f.top) + " " + std::to_string(f.width) + "x" + std::to_string(f.height);
}

TEST(WindowFeatures, BarsAreOnOnlyWhenTheTextAsksAndSizesOnlyWhenSound) {
  EXPECT_EQ(Shown(ParseWindowFeatures(std::nullopt)), "MTASR -1,-1 -1x-1");  // a link: every bar
  const std::pair<const char*, const char*> cases[] = {
      // Nothing but separators is no text; any text turns the bars it does not name off.
      {"", "MTASR -1,-1 -1x-1"}, {" , ,\t", "MTASR -1,-1 -1x-1"}, {"width=300", "----- -1,-1 300x-1"},
      {"menubar,toolbar=yes,location=1,status=2,resizable=YES", "MTASR -1,-1 -1x-1"},
      {"MenuBar = yes  toolbar=0 location=no", "M---- -1,-1 -1x-1"}, {"toolbar=, location=0.5", "-TA-- -1,-1 -1x-1"},
      // Unknown names and junk change nothing else.
      {"=,==,foo=bar,\x01\xff,menubar", "M---- -1,-1 -1x-1"},
      {"left=10,top=20,width=300,height=200", "----- 10,20 300x200"},
      {"screenX=5,screenY=6,innerWidth=7,innerHeight=8", "----- 5,6 7x8"},
      {"width=-5,height=99999999999999999999,left=abc,top=", "----- -1,-1 -1x-1"},
      {"width=1,width=2", "----- -1,-1 2x-1"}};  // the last mention wins
  for (const auto& [text, shown] : cases) EXPECT_EQ(Shown(ParseWindowFeatures(text)), shown) << text;
  // A huge features text is read to its end (other hostile texts: hostile_inputs_test).
  std::string big;
  for (int i = 0; i < 20000; ++i) big += "toolbar=no,";
  EXPECT_TRUE(ParseWindowFeatures(big + "toolbar=yes").toolBar);
}

}  // namespace
}  // namespace kestrel
