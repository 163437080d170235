#include <gtest/gtest.h>

#include "platform/window_features.h"

namespace kestrel {
namespace {

std::string Bars(const WindowFeatures& f) {
  return std::string(f.menuBar ? "M" : "-") + (f.toolBar ? "T" : "-") + (f.addressBar ? "A" : "-") +
         (f.statusBar ? "S" : "-") + (f.resizable ? "R" : "-");
}

TEST(WindowFeatures, BarsAreOnOnlyWhenTheTextAsksForThem) {
  // No text, or nothing but separators: every bar, as for a link.
  EXPECT_EQ(Bars(ParseWindowFeatures(std::nullopt)), "MTASR");
  EXPECT_EQ(Bars(ParseWindowFeatures("")), "MTASR");
  EXPECT_EQ(Bars(ParseWindowFeatures(" , ,\t")), "MTASR");
  // Any feature text turns the unnamed bars off.
  EXPECT_EQ(Bars(ParseWindowFeatures("width=300")), "-----");
  EXPECT_EQ(Bars(ParseWindowFeatures("toolbar=no,menubar=no,location=no")), "-----");
  EXPECT_EQ(Bars(ParseWindowFeatures("menubar,toolbar=yes,location=1,status=2,resizable=YES")), "MTASR");
  EXPECT_EQ(Bars(ParseWindowFeatures("MenuBar = yes  toolbar=0 location=no")), "M----");
  EXPECT_EQ(Bars(ParseWindowFeatures("toolbar=, location=0.5")), "-TA--");
  // Unknown names and junk change nothing else.
  EXPECT_EQ(Bars(ParseWindowFeatures("=,==,foo=bar,\x01\xff,menubar")), "M----");
}

TEST(WindowFeatures, SizesAreReadOnlyWhenTheyAreSound) {
  WindowFeatures f = ParseWindowFeatures("left=10,top=20,width=300,height=200");
  EXPECT_EQ(f.left, 10);
  EXPECT_EQ(f.top, 20);
  EXPECT_EQ(f.width, 300);
  EXPECT_EQ(f.height, 200);
  f = ParseWindowFeatures("screenX=5,screenY=6,innerWidth=7,innerHeight=8");
  EXPECT_EQ(f.left, 5);
  EXPECT_EQ(f.height, 8);
  f = ParseWindowFeatures("width=-5,height=99999999999999999999,left=abc,top=");
  EXPECT_EQ(f.width, -1);
  EXPECT_EQ(f.height, -1);
  EXPECT_EQ(f.left, -1);
  EXPECT_EQ(f.top, -1);
  // The last mention wins.
  EXPECT_EQ(ParseWindowFeatures("width=1,width=2").width, 2);
  // A huge features text is read without trouble.
  std::string big;
  for (int i = 0; i < 20000; ++i) big += "toolbar=no,";
  big += "toolbar=yes";
  EXPECT_TRUE(ParseWindowFeatures(big).toolBar);
}

}  // namespace
}  // namespace kestrel
