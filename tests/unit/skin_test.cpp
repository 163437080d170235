// Skins: skin.ini read with its defaults and the shipped skin folders. The
// frame's buttons and zones are checked on the real window in the GUI tests.
#include <gtest/gtest.h>

#include <filesystem>

#include "appearance/skin.h"
#include "support/temp_dir.h"

namespace kestrel::test {
namespace {

TEST(Skin, IniValuesDefaultsAndHostileFiles) {
  const SkinIni none = ParseSkinIni("");
  EXPECT_EQ(std::tie(none.fillFrame, none.barBack, none.frameCorner, none.systemIcon, none.capRect, none.capTextColor),
            std::make_tuple(false, std::string("barback.bmp"), 20, true, SkinRect{20, 2, -56, 20}, SkinColor{255, 255, 255}));
  EXPECT_TRUE(none.minPos.automatic());

  const SkinIni navy = ParseSkinIni(
      "; a comment\r\n[General]\r\nAUTHOR = Kestrel \r\nwebsite=http://skins.test/\r\nFrameRect=DEFAULT\r\n"
      "SystemIcon=0\r\nMinPos=-50,4\r\nCapRect=10,,-30\r\nCapAlign=6\r\nCapTextColor=255,0,0\r\n"
      "author=second\r\n[other]\r\nFrameCorner=3\r\n");
  // The first of a key counts; another section's key is not this one's; runs of "," count as one, missing pieces are 0.
  EXPECT_EQ(std::tie(navy.author, navy.website, navy.fillFrame, navy.fillWidths, navy.frameCorner, navy.systemIcon),
            std::make_tuple(std::string("Kestrel"), std::string("http://skins.test/"), true, FrameWidths{6, 29, 6, 6}, 20, false));
  EXPECT_EQ(std::tie(navy.minPos, navy.capRect, navy.capAlign, navy.capTextColor),
            std::make_tuple(SkinPoint{-50, 4}, SkinRect{10, -30, 0, 0}, 6, SkinColor{255, 0, 0}));

  const struct { const char* text; SkinPoint point; bool automatic; } positions[] = {{"-1,-1", {-1, -1}, true}, {"-1,0", {-1, 0}, false}, {"5", {0, 0}, false},
                   {" 7 , 8 ", {7, 8}, false}, {"x,y", {0, 0}, false},  {"99999999999,1", {0, 1}, false}};
  for (const auto& p : positions)
    EXPECT_EQ(std::make_pair(ParseSkinPosition(p.text), ParseSkinPosition(p.text).automatic()), std::make_pair(p.point, p.automatic)) << p.text;
  EXPECT_EQ(ParseSkinIni("[general]\nFrameRect=1,2,3,4\nCapTextColor=300,-5\n").fillWidths, (FrameWidths{1, 2, 3, 4}));
  EXPECT_EQ(ParseSkinIni("[general]\nCapTextColor=300,-5\n").capTextColor, (SkinColor{255, 0, 0}));
  EXPECT_EQ(ParseSkinIni("[general]\nCapTextColor=\n").capTextColor, (SkinColor{255, 255, 255}));
  EXPECT_EQ(ParseSkinIni("[general]\nauthor=" + std::string(600, 'a')).author.size(), 255u);

  // Whatever a file holds, it reads as some skin.
  for (const std::string& text : {std::string("\0\xff\x01,,,", 6), std::string(1 << 20, ','), std::string("\r\r=\r["),
                                  std::string("-2147483649,2147483648")}) {
    const SkinIni ini = ParseSkinIni("[general]\nauthor=" + text + "\nFrameRect=" + text + "\nMinPos=" + text);
    EXPECT_LE(ini.author.size(), 255u);
  }
}

TEST(Skin, EveryFolderOfSkinsIsASkin) {
  TempDir dir;
  EXPECT_TRUE(ListSkins(dir.path() + "/skins").empty());
  for (const char* name : {"skins/navy", "skins/Aqua", "skins/.hidden"}) std::filesystem::create_directories(dir.file(name));
  dir.write("skins/readme.txt", "not a skin");
  EXPECT_EQ(ListSkins(dir.path() + "/skins"), (std::vector<std::string>{"Aqua", "navy"}));
}

TEST(Skin, FrameButtonsCaptionAndHitZones) {
  EXPECT_EQ(EdgeFrameWidths({4, 100}, {100, 24}, {5, 100}, {100, 7}), (FrameWidths{4, 24, 5, 7}));
  EXPECT_EQ(SkinButtonSize({64, 16}), (SkinSize{16, 16}));
  EXPECT_EQ(SkinButtonSize({0, 0}), (SkinSize{0, 0}));  // a bitmap that would not load

  SkinIni ini;
  const SkinSize b{16, 16};
  CaptionButtons at = LayoutCaptionButtons(ini, 800, 29, b, b, b, b);
  EXPECT_EQ(std::tie(at.min, at.max, at.close, at.sys),
            std::make_tuple(SkinRect{744, 6, 760, 22}, SkinRect{760, 6, 776, 22}, SkinRect{776, 6, 792, 22}, SkinRect{2, 6, 18, 22}));
  ini.minPos = {-50, 4};
  ini.sysPos = {3, 1};
  at = LayoutCaptionButtons(ini, 800, 29, b, {0, 0}, b, b);
  // No bitmap for maximize: no size, next to the minimize button.
  EXPECT_EQ(std::tie(at.min, at.max, at.close.left, at.sys),
            std::make_tuple(SkinRect{750, 4, 766, 20}, SkinRect{766, 4, 766, 4}, 766, SkinRect{3, 1, 19, 17}));
  EXPECT_EQ(CaptionTextRect(ini, 800), (SkinRect{20, 2, 744, 20}));

  const FrameWidths f{6, 29, 6, 6};
  EXPECT_EQ(InnerRect(f, 800, 600, false), (SkinRect{6, 29, 794, 594}));
  EXPECT_EQ(InnerRect(f, 800, 600, true), (SkinRect{0, 0, 800, 600}));
  EXPECT_EQ(InnerRect(f, 5, 5, false), (SkinRect{6, 29, 6, 29}));  // smaller than its frame: empty, not negative

  using Z = HitZone;
  const struct { int x, y; Z zone; } hits[] = {{100, 15, Z::Caption},  {797, 597, Z::BottomRight}, {400, 597, Z::Bottom}, {2, 597, Z::BottomLeft},
              {797, 300, Z::Right},   {2, 300, Z::Left},          {2, 10, Z::TopLeft},   {3, 2, Z::TopLeft},
              {400, 2, Z::Top},       {797, 10, Z::TopRight},     {790, 2, Z::Top},      {796, 2, Z::TopRight}, {400, 300, Z::None},
              {400, 6, Z::None},      {6, 15, Z::None},           {400, 29, Z::None},    {-5, -5, Z::TopLeft}};
  for (const auto& h : hits) EXPECT_EQ(SkinHitTest(f, 800, 600, h.x, h.y), h.zone) << h.x << "," << h.y;
  // Without a frame nothing but the window's own corners is a zone.
  EXPECT_EQ(SkinHitTest({}, 800, 600, 400, 15), Z::None);
}

}  // namespace
}  // namespace kestrel::test
