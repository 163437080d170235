// The flat menu bar's rules while a popup is open, and access keys; the
// keyboard outside a popup is checked on the real bar in the GUI tests.
#include <gtest/gtest.h>

#include "appearance/menu_bar.h"

namespace kestrel::test {
namespace {

using K = CMenuBarTracker::Key;
using S = CMenuBarTracker::State;

// One thing the user does to the bar, and what came of it: whether the bar
// took the key and which popup opens (or the popup loop's answer), then the
// bar's state: "-", "hot <item>" or "popup <item>".
std::string Act(CMenuBarTracker& bar, const std::string& act) {
  const auto key = [](const std::string& k) {
    return k == "left" ? K::Left : k == "right" ? K::Right : k == "down" ? K::Down : k == "esc" ? K::Escape : K::Other;
  };
  const auto number = [&] { return std::stoi(act.substr(act.rfind(' ') + 1)); };
  std::string said;
  CMenuBarTracker::Outcome o;
  bool outcome = true;
  if (act == "alt") bar.AltDown(), o = bar.AltUp();
  else if (act == "alt down") o = bar.AltDown();
  else if (act == "alt up") o = bar.AltUp();
  else if (act.rfind("alt+", 0) == 0) o = bar.Char(act[4], true);
  else if (act.rfind("char ", 0) == 0) o = bar.Char(act[5], false);
  else if (act.rfind("hover ", 0) == 0) bar.Hover(number()), outcome = false;
  else if (act == "cancel") bar.Cancel(), outcome = false;
  else if (act.rfind("opened ", 0) == 0) bar.PopupOpened(number()), outcome = false;
  else if (act == "closed") bar.PopupClosed(), outcome = false;
  else if (act == "next") said = "next " + std::to_string(bar.NextPopup()), outcome = false;
  else if (act.rfind("popup hover ", 0) == 0) said = bar.PopupHover(number()) ? "yes" : "no", outcome = false;
  else if (act.rfind("popup press ", 0) == 0) said = bar.PopupPress(number()) ? "yes" : "no", outcome = false;
  else if (act.rfind("popup ", 0) == 0) said = bar.PopupKey(key(act.substr(6))) ? "yes" : "no", outcome = false;
  else o = bar.KeyDown(key(act), false);
  if (outcome) said = std::string(o.consumed ? "taken" : "passed") + (o.open >= 0 ? " open " + std::to_string(o.open) : "");
  const std::string state = bar.state() == S::None          ? "-"
                            : bar.state() == S::HotTracking ? "hot " + std::to_string(bar.hot())
                                                            : "popup " + std::to_string(bar.current());
  return (said.empty() ? "" : said + ", ") + state;
}

void Play(CMenuBarTracker& bar, const std::vector<std::pair<std::string, std::string>>& steps) {
  for (const auto& [act, want] : steps) EXPECT_EQ(Act(bar, act), want) << act;
}

const std::vector<std::string> kMenus = {"&File", "&Edit", "&View", "F&avorites", "&Go To", "&Help"};

TEST(MenuBar, AccessKeys) {
  const std::pair<const char*, char> cases[] = {{"&File", 'f'}, {"Fa&vorites", 'v'}, {"Tools && Tips", 0},
                                                {"A&&B &C", 'c'}, {"End&", 0},        {"", 0}};
  for (const auto& [text, key] : cases) EXPECT_EQ(AccessKeyOf(text), key) << text;
}

TEST(MenuBar, WhileAPopupIsOpen) {
  CMenuBarTracker bar(kMenus);
  Play(bar, {// With File open, Left opens the last menu and Right the second, once.
             {"opened 0", "popup 0"}, {"popup left", "yes, popup 0"}, {"closed", "-"}, {"next", "next 5, -"},
             {"next", "next -1, -"}, {"opened 0", "popup 0"}, {"popup right", "yes, popup 0"}, {"closed", "-"},
             {"next", "next 1, -"},
             // Up and Down belong to the popup.
             {"opened 1", "popup 1"}, {"popup down", "no, popup 1"},
             // The pointer from File's item to View's opens View; over its own item nothing changes.
             {"opened 0", "popup 0"}, {"popup hover 0", "no, popup 0"}, {"popup hover -1", "no, popup 0"},
             {"popup hover 2", "yes, popup 0"}, {"closed", "-"}, {"next", "next 2, -"},
             // A press on the open popup's own item closes it and opens nothing.
             {"opened 2", "popup 2"}, {"popup press 3", "no, popup 2"}, {"popup press 2", "yes, popup 2"},
             {"closed", "-"}, {"next", "next -1, -"},
             // Escape closes the popup and keeps its item highlighted; a choice leaves the bar.
             {"opened 4", "popup 4"}, {"popup esc", "no, popup 4"}, {"closed", "hot 4"}, {"opened 4", "popup 4"},
             {"closed", "-"}, {"alt", "taken, hot 0"}, {"left", "taken, hot 5"}});
  // A new language with fewer items keeps the indices inside the bar.
  bar.SetTexts({"&Datei", "&Bearbeiten"});
  Play(bar, {{"char d", "taken open 0, hot 1"}});
}

}  // namespace
}  // namespace kestrel::test
