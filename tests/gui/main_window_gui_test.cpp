// The main window's bars, their customising and its interface language.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QToolBar>
#include <QToolButton>

#include "frame/toolbars.h"
#include "gui/gui_frame.h"
#include "language/language.h"
#include "support/dialog_driver.h"
#include "ui/language_ui_qt.h"
#include "ui/menu_bar_qt.h"
#include "ui/toolbar_dialog_qt.h"

namespace kestrel::test {
namespace {

// What a restart keeps of the bars: e2e_test. Here what the window makes of them.
TEST(ToolbarGui, ButtonsAndHiddenBandsReachTheWindowAndDamageGivesTheDefault) {
  GuiFrame f;
  f.Show(1000, 600);
  QToolBar* standard = f.w->standardToolBar();
  // The defaults: twenty entries, two of them separators; Back has its drop-down of pages behind.
  EXPECT_EQ(standard->actions().size(), 20);
  auto* back = qobject_cast<QToolButton*>(standard->widgetForAction(f.w->action(ID_GO_BACK)));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->popupMode(), QToolButton::MenuButtonPopup);
  f.w->bands().SetButtons({{ID_FILE_NEW, 0, ID_GO_BACK, 4242}, false, true});
  EXPECT_EQ(standard->actions().size(), 4);
  EXPECT_EQ(standard->iconSize(), QSize(16, 16));
  EXPECT_EQ(standard->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
  EXPECT_FALSE(f.w->action(4242)->isEnabled()) << "an id from nowhere is a dead button";
  // Full screen hides every bar; leaving brings back exactly the ones that
  // were shown, not a hidden Address Bar.
  EXPECT_TRUE(f.frame->OnCommand(ID_VIEW_ADDRESS_BAR));
  EXPECT_FALSE(f.Checked(ID_VIEW_ADDRESS_BAR));
  f.frame->OnCommand(ID_FULL_SCREEN);
  EXPECT_TRUE(f.w->menuBand()->isHidden() && standard->isHidden());
  f.frame->OnCommand(ID_FULL_SCREEN);
  EXPECT_FALSE(f.w->menuBand()->isHidden() || standard->isHidden());
  EXPECT_TRUE(f.w->addressToolBar()->isHidden());
  // A damaged layout (an unknown band) leaves every bar where a new frame has it.
  RegistryProfile profile;
  f.frame->OnCommand(ID_LOCK_TOOLBARS);
  f.w->RecordBars(profile);
  profile.SetDword(kSettingsKey, "band1", 1234);
  GuiFrame g;
  g.Show(1000, 600);
  g.w->bands().Restore(profile);
  EXPECT_FALSE(g.w->addressToolBar()->isHidden() || g.w->standardToolBar()->isHidden());
  EXPECT_TRUE(g.Checked(ID_LOCK_TOOLBARS)) << "the lock is read either way";
  EXPECT_FALSE(g.w->addressToolBar()->isMovable());
}

TEST(ToolbarGui, TheCustomiseDialogMovesButtonsAndResetsAtOnce) {
  ToolbarButtons b{{ID_FILE_NEW, ID_GO_BACK}, true, false}, appliedNow;
  ToolbarLook look;
  look.text = [](unsigned id) { return QtFrameWindow::ButtonText(id); };
  look.applyNow = [&](const ToolbarButtons& now) { appliedNow = now; };
  WhenShown([](QDialog* d) {
    auto lists = d->findChildren<QListWidget*>();
    ASSERT_EQ(lists.size(), 2u);
    QListWidget *available = lists[0], *current = lists[1];
    ASSERT_EQ(current->count(), 2);
    // Stop, before Back, then moved up.
    for (int i = 0; i < available->count(); ++i)
      if (available->item(i)->text() == "Stop") available->setCurrentRow(i);
    current->setCurrentRow(1);
    Button(d, ">>")->click();
    ASSERT_EQ(current->count(), 3);
    EXPECT_EQ(current->item(1)->text(), "Stop");
    Button(d, "Move up")->click();
    EXPECT_EQ(current->item(0)->text(), "Stop");
    d->findChildren<QComboBox*>()[0]->setCurrentIndex(1);  // Show Text Labels
    d->findChildren<QComboBox*>()[1]->setCurrentIndex(0);  // Small Icons
    Button(d, "OK")->click();
  });
  ASSERT_TRUE(RunCustomizeToolbar(nullptr, b, look));
  EXPECT_EQ(b.ids, (std::vector<unsigned>{ID_VIEW_STOP, ID_FILE_NEW, ID_GO_BACK}));
  EXPECT_TRUE(b.showText && !b.largeIcons);
  // Reset puts the defaults on at once, and Cancel does not take it back.
  ToolbarButtons kept = b;
  WhenShown([](QDialog* d) {
    Button(d, "Reset")->click();
    Button(d, "Cancel")->click();
  });
  EXPECT_FALSE(RunCustomizeToolbar(nullptr, b, look));
  EXPECT_EQ(b, kept);
  EXPECT_EQ(appliedNow.ids, DefaultButtons());
}

// The window, its frame and the language menu on them, as start-up makes them.
struct LanguageFrame : GuiFrame {
  CLanguages langs{std::string(KESTREL_DATA_DIR) + "/language/"};
  QtLanguageUi ui{langs, *window};
  CLanguageMenu menu;
  // The menu takes the stored language as it is made.
  static Settings& Stored(Settings& s, const std::string& language) { return s.UILanguage = language, s; }
  explicit LanguageFrame(const std::string& stored = "English")
      : menu(*frame, frame->menu(), langs, Stored(settings, stored), ui) {
    ui.TranslateFrame();
  }
  QString FirstMenu() const { return w->flatMenuBar()->actions().first()->text(); }
};

TEST(LanguageGui, SwitchingRetranslatesTheLiveWindowAndBack) {
  LanguageFrame f;
  ASSERT_EQ(f.FirstMenu(), "&File");
  const std::vector<std::string> names = f.langs.LanguageNames();
  auto command = [&](const char* name) {
    const auto at = std::find(names.begin(), names.end(), name);
    EXPECT_NE(at, names.end()) << name;
    return LanguageCommand(static_cast<std::size_t>(at - names.begin()));
  };
  const unsigned deutsch = command("Deutsch"), english = command("English");

  ASSERT_TRUE(f.frame->OnCommand(deutsch));
  EXPECT_EQ(f.settings.UILanguage, "Deutsch");
  EXPECT_EQ(f.FirstMenu(), "&Datei");
  EXPECT_EQ(f.w->action(ID_GO_BACK)->toolTip(), QString::fromStdString(f.langs.Translate("Back", "English", "Deutsch")));
  // The address field keeps what was typed in it.
  f.w->SetAddressText("Back");
  ASSERT_TRUE(f.frame->OnCommand(english));
  EXPECT_EQ(f.w->addressEdit()->text(), "Back");
  EXPECT_EQ(f.FirstMenu(), "&File");
  EXPECT_EQ(f.w->action(ID_GO_BACK)->toolTip(), "Back");
  EXPECT_EQ(f.settings.UILanguage, "English");
  f.frame->OnCommand(deutsch);
  // The radio mark follows the language in the menu itself.
  const MenuItem* interfaceMenu = f.frame->menu().FindPopup({"Language", "Interface Language"});
  ASSERT_NE(interfaceMenu, nullptr);
  std::vector<unsigned> marked;
  for (QAction* a : f.w->menuOf(*interfaceMenu)->actions())
    if (a->isChecked()) marked.push_back(a->data().toUInt());
  EXPECT_EQ(marked, std::vector<unsigned>{deutsch});
}

TEST(LanguageGui, AStoredLanguageIsThereFromTheStartAndAMissingOneSpeaksEnglish) {
  EXPECT_EQ(LanguageFrame("Deutsch").FirstMenu(), "&Datei");
  EXPECT_EQ(LanguageFrame("Klingon").FirstMenu(), "&File");
}

}  // namespace
}  // namespace kestrel::test
