// The main window's bars, their customising and its interface language.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
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

TEST(ToolbarGui, ButtonsBandsAndTheLockSurviveARestartAndDamageGivesTheDefault) {
  RegistryProfile profile;
  {
    GuiFrame f;
    f.Show(1000, 600);
    QToolBar* standard = f.w->standardToolBar();
    // The defaults: twenty entries, two of them separators; Back has its drop-down of pages behind.
    EXPECT_EQ(standard->actions().size(), 20);
    EXPECT_EQ(standard->iconSize(), QSize(24, 24));
    auto* back = qobject_cast<QToolButton*>(standard->widgetForAction(f.w->action(ID_GO_BACK)));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->popupMode(), QToolButton::MenuButtonPopup);
    f.w->bands().SetButtons({{ID_FILE_NEW, 0, ID_GO_BACK, 4242}, false, true});
    EXPECT_EQ(standard->actions().size(), 4);
    EXPECT_EQ(standard->iconSize(), QSize(16, 16));
    EXPECT_EQ(standard->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    EXPECT_FALSE(f.w->action(4242)->isEnabled()) << "an id from nowhere is a dead button";
    // Hide the Address Bar, lock the bars.
    EXPECT_TRUE(f.Checked(ID_VIEW_ADDRESS_BAR));
    EXPECT_TRUE(f.frame->OnCommand(ID_VIEW_ADDRESS_BAR));
    EXPECT_FALSE(f.Checked(ID_VIEW_ADDRESS_BAR));
    EXPECT_TRUE(f.w->addressToolBar()->isHidden());
    f.frame->OnCommand(ID_LOCK_TOOLBARS);
    EXPECT_TRUE(f.Checked(ID_LOCK_TOOLBARS));
    EXPECT_FALSE(standard->isMovable());
    f.w->RecordBars(profile);
  }
  EXPECT_EQ(profile.GetString(kSettingsKey, "ToolBarButtons").value_or(""), "57600 0 32787 4242");
  {
    GuiFrame f;
    f.Show(1000, 600);
    f.w->bands().Restore(profile);
    f.w->bands().Restore(profile);  // the start-up does it twice
    EXPECT_EQ(f.w->bands().buttons().ids, (std::vector<unsigned>{ID_FILE_NEW, 0, ID_GO_BACK, 4242}));
    EXPECT_TRUE(f.w->bands().buttons().showText);
    EXPECT_TRUE(f.w->addressToolBar()->isHidden());
    EXPECT_FALSE(f.Checked(ID_VIEW_ADDRESS_BAR));
    EXPECT_TRUE(f.Checked(ID_LOCK_TOOLBARS));
    EXPECT_FALSE(f.w->addressToolBar()->isMovable());
    // Full screen hides every bar; leaving brings back exactly the ones
    // that were shown, not the hidden Address Bar.
    f.frame->OnCommand(ID_FULL_SCREEN);
    EXPECT_TRUE(f.w->menuBand()->isHidden() && f.w->standardToolBar()->isHidden());
    f.frame->OnCommand(ID_FULL_SCREEN);
    EXPECT_FALSE(f.w->menuBand()->isHidden() || f.w->standardToolBar()->isHidden());
    EXPECT_TRUE(f.w->addressToolBar()->isHidden());
  }
  // A damaged layout (an unknown band) leaves every bar where a new frame has it.
  profile.SetDword(kSettingsKey, "band1", 1234);
  GuiFrame f;
  f.Show(1000, 600);
  f.w->bands().Restore(profile);
  EXPECT_FALSE(f.w->addressToolBar()->isHidden() || f.w->standardToolBar()->isHidden());
  EXPECT_TRUE(f.Checked(ID_LOCK_TOOLBARS)) << "the lock is read either way";
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
    EXPECT_EQ(available->item(available->count() - 1)->text(), "Separator");
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
    // A separator at the end; it stays offered.
    available->setCurrentRow(available->count() - 1);
    current->setCurrentRow(-1);
    Button(d, ">>")->click();
    EXPECT_EQ(current->item(current->count() - 1)->text(), "Separator");
    EXPECT_EQ(available->item(available->count() - 1)->text(), "Separator");
    d->findChildren<QComboBox*>()[0]->setCurrentIndex(1);  // Show Text Labels
    d->findChildren<QComboBox*>()[1]->setCurrentIndex(0);  // Small Icons
    SaveShot(d);
    Button(d, "OK")->click();
  });
  ASSERT_TRUE(RunCustomizeToolbar(nullptr, b, look));
  EXPECT_EQ(b.ids, (std::vector<unsigned>{ID_VIEW_STOP, ID_FILE_NEW, ID_GO_BACK, 0}));
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
  bool HasLabel(const QString& text) const {
    for (QLabel* l : w->findChildren<QLabel*>())
      if (l->text().trimmed() == text) return true;
    return false;
  }
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
  EXPECT_EQ(f.frame->CommandStateOf(english), (CommandState{true, true}));
  EXPECT_EQ(f.frame->CommandStateOf(deutsch), (CommandState{true, false}));
  EXPECT_FALSE(f.frame->CommandStateOf(LanguageCommand(names.size())).enabled);  // past the list

  ASSERT_TRUE(f.frame->OnCommand(deutsch));
  EXPECT_EQ(f.settings.UILanguage, "Deutsch");
  f.w->resize(900, 200);
  SaveShot(f.w, "frame Deutsch");
  EXPECT_EQ(f.FirstMenu(), "&Datei");
  EXPECT_EQ(f.w->action(ID_FILE_NEW)->text().remove('&'), "Neu");
  EXPECT_EQ(f.w->action(ID_GO_BACK)->toolTip(), QString::fromStdString(f.langs.Translate("Back", "English", "Deutsch")));
  EXPECT_TRUE(f.HasLabel(QString::fromStdString(f.langs.Translate("Address", "English", "Deutsch"))));
  EXPECT_NE(f.w->addressEdit()->placeholderText().toStdString(), "Type an address, a search or an alias, and press Enter");
  // The address field keeps what was typed in it.
  f.w->SetAddressText("Back");
  ASSERT_TRUE(f.frame->OnCommand(english));
  EXPECT_EQ(f.w->addressEdit()->text(), "Back");
  EXPECT_EQ(f.FirstMenu(), "&File");
  EXPECT_EQ(f.w->action(ID_FILE_NEW)->text(), "&New");
  EXPECT_EQ(f.w->action(ID_GO_BACK)->toolTip(), "Back");
  EXPECT_TRUE(f.HasLabel("Address"));
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
