// The standard toolbar's buttons and the band layout as stored, and the
// customise dialog's lists.
#include <gtest/gtest.h>

#include <algorithm>

#include "frame/toolbars.h"
#include "platform/profile.h"

namespace kestrel {
namespace {

TEST(Toolbar, ButtonsRoundTripThroughTheProfile) {
  RegistryProfile p;
  // Nothing stored: the twenty defaults, large icons, no texts.
  ToolbarButtons b = LoadButtons(p);
  EXPECT_EQ(b.ids, DefaultButtons());
  EXPECT_EQ(b.ids.size(), 20u);
  EXPECT_TRUE(b.largeIcons);
  EXPECT_FALSE(b.showText);

  p.SetString(kSettingsKey, "ToolBarButtons", "57600 0 32787");
  b = LoadButtons(p);
  EXPECT_EQ(b.ids, (std::vector<unsigned>{57600, 0, 32787}));
  SaveButtons(p, b);
  EXPECT_EQ(p.GetString(kSettingsKey, "ToolBarButtons").value_or(""), "57600 0 32787");

  // Runs of blanks, leading blanks, words and numbers too big are separators;
  // an id the table lacks is kept (a button without an image).
  EXPECT_EQ(ParseButtonList("  \t32787   abc 99999999999 12345 -1\n"),
            (std::vector<unsigned>{32787, 0, 0, 12345, 0}));
  EXPECT_EQ(ImageIndexOf(12345), -1);
  EXPECT_TRUE(ParseButtonList("   ").empty());
  p.SetString(kSettingsKey, "ToolBarButtons", " \t ");
  EXPECT_EQ(LoadButtons(p).ids, DefaultButtons());

  // Any value above 0 is on.
  p.SetDword(kSettingsKey, "TBShowText", 7);
  p.SetDword(kSettingsKey, "TBLargeIcon", 0);
  b = LoadButtons(p);
  EXPECT_TRUE(b.showText);
  EXPECT_FALSE(b.largeIcons);
  SaveButtons(p, b);
  EXPECT_EQ(p.GetDword(kSettingsKey, "TBShowText").value_or(9), 1u);

  // A button's image is its place in the table, the flashing Block Popup image among them; nothing else has one.
  for (std::size_t i = 0; i < ButtonTable().size(); ++i)
    EXPECT_EQ(ImageIndexOf(ButtonTable()[i]), ButtonTable()[i] ? static_cast<int>(i) : -1) << ButtonTable()[i];
  EXPECT_GE(ImageIndexOf(ID_BLOCK_POPUP_ALT_IMAGE), 0);
  EXPECT_EQ(ImageIndexOf(0), -1);
}

TEST(Toolbar, TheCustomiseListsMoveButtonsAndAlwaysOfferASeparator) {
  CustomizeToolbarModel m({{57600, 32787}, true, false});
  const auto& a = m.available();
  EXPECT_EQ(a.back(), 0u);
  EXPECT_EQ(std::count(a.begin(), a.end(), ID_BLOCK_POPUP_ALT_IMAGE), 0);
  EXPECT_EQ(std::count(a.begin(), a.end(), 57600u), 0) << "already on the toolbar";

  // ">>" before the selected item, or at the end.
  const int stopAt = static_cast<int>(std::find(a.begin(), a.end(), 32778u) - a.begin());
  EXPECT_EQ(m.Add(stopAt, 1), 1);
  EXPECT_EQ(m.current(), (std::vector<unsigned>{57600, 32778, 32787}));
  EXPECT_EQ(std::count(a.begin(), a.end(), 32778u), 0);
  // A separator stays available.
  EXPECT_EQ(m.Add(static_cast<int>(a.size()) - 1, -1), 3);
  EXPECT_EQ(m.current().back(), 0u);
  EXPECT_EQ(a.back(), 0u);
  // "<<" puts a button back before "Separator"; a separator just goes.
  EXPECT_TRUE(m.Remove(3));
  EXPECT_TRUE(m.Remove(0));
  EXPECT_EQ(a[a.size() - 2], 57600u);
  EXPECT_EQ(a.back(), 0u);
  EXPECT_FALSE(m.Remove(5));
  EXPECT_EQ(m.Add(-1, 0), -1);
  EXPECT_EQ(m.Add(static_cast<int>(a.size()), 0), -1);
  // Moves stop at the ends.
  EXPECT_EQ(m.current(), (std::vector<unsigned>{32778, 32787}));
  EXPECT_EQ(m.MoveUp(0), -1);
  EXPECT_EQ(m.MoveDown(1), -1);
  EXPECT_EQ(m.MoveDown(0), 1);
  EXPECT_EQ(m.current(), (std::vector<unsigned>{32787, 32778}));
  m.showText = true;
  m.Reset();
  EXPECT_EQ(m.Result().ids, DefaultButtons());
  EXPECT_TRUE(m.Result().showText);
  EXPECT_EQ(m.available().back(), 0u);
}

TEST(Bands, LayoutRoundTripsAndDamageFallsBackToTheDefault) {
  RegistryProfile p;
  bool locked = true;
  EXPECT_FALSE(ReadBands(p, locked).has_value());  // nothing stored: the default layout
  EXPECT_FALSE(locked);

  BandLayout l;
  l.locked = true;
  int y = 0;
  for (unsigned id : DefaultBandOrder()) {
    l.bands.push_back({id, {0, y, 500, y + 24}, true, id != kBandQuickSearch});
    y += 26;
  }
  l.bands.back().rect = {-3, 90, 1021, 112};  // negative left edges happen when dragged
  SaveBands(p, l);
  EXPECT_EQ(p.GetDword(kSettingsKey, "band7").value_or(99), 0u);  // the end mark
  EXPECT_EQ(p.GetDword(kBandsKey, "band5").value_or(99), 0u);      // the quick-search band is hidden
  auto back = ReadBands(p, locked);
  ASSERT_TRUE(back.has_value());
  EXPECT_TRUE(locked);
  EXPECT_EQ(back->bands, l.bands);

  // Damage: an unknown id, a repeated id, a negative size, a rectangle of the
  // wrong length, more bands than there are.
  auto damaged = [&](auto spoil) {
    RegistryProfile d;
    SaveBands(d, l);
    spoil(d);
    bool lk = false;
    return !ReadBands(d, lk).has_value();
  };
  EXPECT_TRUE(damaged([](RegistryProfile& d) { d.SetDword(kSettingsKey, "band2", 4711); }));
  EXPECT_TRUE(damaged([](RegistryProfile& d) { d.SetDword(kSettingsKey, "band3", kBandMenuBar); }));
  EXPECT_TRUE(damaged([&](RegistryProfile& d) {
    BandLayout bad = l;
    bad.bands[1].rect = {100, 0, 50, 20};
    SaveBands(d, bad);
  }));
  EXPECT_TRUE(damaged([](RegistryProfile& d) { d.SetBinary(kSettingsKey, "bandrc0", {1, 2, 3}); }));
  EXPECT_TRUE(damaged([&](RegistryProfile& d) {
    BandLayout more = l;
    more.bands.push_back({kBandAddress, {}, true, true});
    SaveBands(d, more);
  }));
  // A band without a rectangle is kept where it is, not a reason to give up.
  RegistryProfile partial;
  SaveBands(partial, l);
  partial.DeleteValue(kSettingsKey, "bandrc4");
  auto kept = ReadBands(partial, locked);
  ASSERT_TRUE(kept.has_value());
  EXPECT_FALSE(kept->bands[4].hasRect);
}

}  // namespace
}  // namespace kestrel
