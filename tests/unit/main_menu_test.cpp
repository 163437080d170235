// The main menu as data: the popups where the features look for them, found
// by their titles in the interface language, and the dynamic ranges rebuilt
// from lists within their bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>

#include "common/message.h"
#include "frame/main_menu.h"

namespace kestrel {
namespace {

// Every command item under `m`, depth first.
void Collect(const MenuItem& m, std::vector<const MenuItem*>& out) {
  for (const MenuItem& item : m.items) {
    if (item.kind == MenuItem::Kind::Command) out.push_back(&item);
    if (item.IsPopup()) Collect(item, out);
  }
}

TEST(MainMenu, PopupsStandWhereTheFeaturesFindThem) {
  CMainMenu menu;
  const auto& top = menu.popups();
  ASSERT_EQ(top.size(), 10u);
  // File first (the tray shows it), Favorites fourth, Groups sixth, AutoLogin seventh.
  for (const auto& [title, index] : {std::pair{"File", 0}, {"Favorites", 3}, {"Groups", 5}, {"AutoLogin", 6},
                                     {"No Such Menu", -1}})
    EXPECT_EQ(menu.FindTopLevel(title), index) << title;
  EXPECT_EQ(top[5].range.first, kGroupCommands.first);
  EXPECT_EQ(top[6].range.first, kAutoLoginCommands.first);
  ASSERT_NE(menu.FindPopup({"View", "Toolbars"}), nullptr);
  EXPECT_EQ(&menu.FindPopup({"View", "Toolbars"})->items.front(), &top[2].items.front().items.front());
  EXPECT_EQ(menu.FindPopup({"Language", "Toolbars"}), nullptr);

  // Access keys are unique within each popup, and no id stands twice
  // except where one command has two places (Send a Page...).
  std::vector<const MenuItem*> commands;
  std::multiset<unsigned> ids;
  for (const MenuItem& p : top) {
    std::set<char> keys;
    for (const MenuItem& item : p.items) {
      const auto amp = item.text.find('&');
      if (amp == std::string::npos || amp + 1 >= item.text.size() || item.text[amp + 1] == '&') continue;
      EXPECT_TRUE(keys.insert(static_cast<char>(std::tolower(item.text[amp + 1]))).second)
          << p.text << " > " << item.text;
    }
    Collect(p, commands);
  }
  for (const MenuItem* c : commands) {
    EXPECT_NE(c->id, 0u) << c->text;
    EXPECT_EQ(c->text.find('\t'), std::string::npos) << "keys belong in `keys`: " << c->text;
    ids.insert(c->id);
  }
  for (unsigned id : ids) {
    if (id != ID_PAGE_BY_EMAIL && id != ID_LINK_BY_EMAIL) {
      EXPECT_EQ(ids.count(id), 1u) << id;
    }
  }
  EXPECT_GT(commands.size(), 140u);
}

TEST(MainMenu, TitlesAreFoundInTheInterfaceLanguage) {
  CMainMenu menu;
  // A translator that renames the Groups menu and moves its access key.
  SetMessageTranslator([](const std::string& t) {
    if (t == "G&roups") return std::string("&Gruppen");
    if (t == "Groups") return std::string("Gruppen");
    // A translation that gives Tools the same title: the first one wins.
    if (t == "&Tools" || t == "Tools") return std::string("Gr&uppen");
    return t;
  });
  EXPECT_EQ(menu.FindTopLevel("Groups"), 5);
  EXPECT_EQ(menu.FindTopLevel("Tools"), 5);
  EXPECT_TRUE(MenuTitleMatches("G&roups", "Groups"));
  EXPECT_FALSE(MenuTitleMatches("G&roups", "Group"));
  SetMessageTranslator(nullptr);
  EXPECT_EQ(menu.FindTopLevel("Tools"), 7);
}

TEST(MainMenu, DynamicRangesKeepToTheirBounds) {
  CMainMenu menu;
  std::vector<const MenuItem*> changed;
  menu.onChanged = [&](const MenuItem& p) { changed.push_back(&p); };
  const MenuItem& groups = menu.popups()[5];
  // Groups stop at 255 entries: the range's last id stays unused.
  std::vector<std::string> names;
  for (int i = 0; i < 300; ++i) names.push_back("g" + std::to_string(i));
  EXPECT_EQ(menu.RebuildRange(groups, names), 255u);
  EXPECT_EQ(groups.dynamic.front(), (DynamicMenuItem{"g0", kGroupCommands.first}));
  EXPECT_EQ(groups.dynamic.back().id, kGroupCommands.last - 1);
  EXPECT_EQ(menu.DynamicText(groups, 8200), "g8");
  EXPECT_EQ(menu.DynamicText(groups, kGroupCommands.last), "");
  EXPECT_EQ(groups.items.size(), 4u);  // the fixed items stay
  EXPECT_EQ(changed, (std::vector<const MenuItem*>{&groups}));
  // Rebuilding with fewer drops the rest; an empty list leaves none.
  EXPECT_EQ(menu.RebuildRange(groups, {"only"}), 1u);
  EXPECT_EQ(groups.dynamic.size(), 1u);
  EXPECT_EQ(menu.RebuildRange(groups, {}), 0u);
  EXPECT_TRUE(groups.dynamic.empty());

  // Items given with ids: those outside the range and repeated ones go,
  // notes without a command stay.
  const MenuItem* languages = menu.FindPopup({"Language", "Interface Language"});
  ASSERT_NE(languages, nullptr);
  EXPECT_EQ(menu.SetDynamicItems(*languages, {{"English", 9024}, {"Twice", 9024}, {"Groups' id", 8192},
                                              {"Deutsch", 9087}, {"Past the end", 9088}, {"A note", 0}}),
            3u);
  EXPECT_EQ(languages->dynamic, (std::vector<DynamicMenuItem>{{"English", 9024}, {"Deutsch", 9087}, {"A note", 0}}));
  // A popup without a range takes nothing.
  EXPECT_EQ(menu.RebuildRange(*menu.FindPopup({"View", "Toolbars"}), {"x"}), 0u);
  // Every id the menu now carries is listed once, notes not at all.
  const std::vector<unsigned> ids = menu.CommandIds();
  EXPECT_EQ(std::set<unsigned>(ids.begin(), ids.end()).size(), ids.size());
  EXPECT_EQ(std::count(ids.begin(), ids.end(), 9087u), 1);
  EXPECT_EQ(std::count(ids.begin(), ids.end(), 0u), 0);
}

}  // namespace
}  // namespace kestrel
