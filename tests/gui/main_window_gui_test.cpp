#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "frame/toolbars.h"
#include "gui/gui_frame.h"
#include "language/language.h"
#include "support/dialog_driver.h"
#include "ui/frame_window_qt.h"
#include "ui/language_ui_qt.h"
#include "ui/menu_bar_qt.h"
#include "ui/toolbar_dialog_qt.h"

namespace kestrel::test {
namespace {

struct ShownFrame : GuiFrame {
  QtFrameWindow* w = window.get();
  ShownFrame() {
    w->resize(1000, 600);
    w->show();
  }
  bool Checked(unsigned id) const { return frame->CommandStateOf(id).checked; }
};

TEST(ToolbarGui, ButtonsBandsAndTheLockSurviveARestartAndDamageGivesTheDefault) {
  RegistryProfile profile;
  {
    ShownFrame f;
    QtFrameWindow* w = f.w;
    // The defaults: twenty entries, two of them separators.
    EXPECT_EQ(w->standardToolBar()->actions().size(), 20);
    EXPECT_EQ(w->standardToolBar()->iconSize(), QSize(24, 24));
    // Back has its drop-down of pages behind.
    auto* back = qobject_cast<QToolButton*>(w->standardToolBar()->widgetForAction(w->action(ID_GO_BACK)));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->popupMode(), QToolButton::MenuButtonPopup);

    w->bands().SetButtons({{ID_FILE_NEW, 0, ID_GO_BACK, 4242}, false, true});
    EXPECT_EQ(w->standardToolBar()->actions().size(), 4);
    EXPECT_EQ(w->standardToolBar()->iconSize(), QSize(16, 16));
    EXPECT_EQ(w->standardToolBar()->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    EXPECT_FALSE(w->action(4242)->isEnabled()) << "an id from nowhere is a dead button";

    // Hide the Address Bar, lock the bars.
    EXPECT_TRUE(f.Checked(ID_VIEW_ADDRESS_BAR));
    EXPECT_TRUE(f.frame->OnCommand(ID_VIEW_ADDRESS_BAR));
    EXPECT_FALSE(f.Checked(ID_VIEW_ADDRESS_BAR));
    EXPECT_TRUE(w->addressToolBar()->isHidden());
    f.frame->OnCommand(ID_LOCK_TOOLBARS);
    EXPECT_TRUE(f.Checked(ID_LOCK_TOOLBARS));
    EXPECT_FALSE(w->standardToolBar()->isMovable());
    w->RecordBars(profile);
  }
  EXPECT_EQ(profile.GetString(kSettingsKey, "ToolBarButtons").value_or(""), "57600 0 32787 4242");
  {
    ShownFrame f;
    QtFrameWindow* w = f.w;
    w->bands().Restore(profile);
    w->bands().Restore(profile);  // the start-up does it twice
    EXPECT_EQ(w->bands().buttons().ids, (std::vector<unsigned>{ID_FILE_NEW, 0, ID_GO_BACK, 4242}));
    EXPECT_TRUE(w->bands().buttons().showText);
    EXPECT_TRUE(w->addressToolBar()->isHidden());
    EXPECT_FALSE(f.Checked(ID_VIEW_ADDRESS_BAR));
    EXPECT_TRUE(f.Checked(ID_LOCK_TOOLBARS));
    EXPECT_FALSE(w->addressToolBar()->isMovable());

    // Full screen hides every bar; leaving brings back exactly the ones
    // that were shown, not the hidden Address Bar.
    f.frame->OnCommand(ID_FULL_SCREEN);
    EXPECT_TRUE(w->menuBand()->isHidden());
    EXPECT_TRUE(w->standardToolBar()->isHidden());
    f.frame->OnCommand(ID_FULL_SCREEN);
    EXPECT_FALSE(w->menuBand()->isHidden());
    EXPECT_FALSE(w->standardToolBar()->isHidden());
    EXPECT_TRUE(w->addressToolBar()->isHidden());
  }
  // A damaged layout (an unknown band) leaves every bar where a new frame has it.
  profile.SetDword(kSettingsKey, "band1", 1234);
  {
    ShownFrame f;
    f.w->bands().Restore(profile);
    EXPECT_FALSE(f.w->addressToolBar()->isHidden());
    EXPECT_FALSE(f.w->standardToolBar()->isHidden());
    EXPECT_TRUE(f.Checked(ID_LOCK_TOOLBARS)) << "the lock is read either way";
  }
}

TEST(ToolbarGui, TheCustomiseDialogMovesButtonsAndResetsAtOnce) {
  ToolbarButtons b{{ID_FILE_NEW, ID_GO_BACK}, true, false};
  ToolbarButtons appliedNow;
  ToolbarLook look;
  look.text = [](unsigned id) { return QtFrameWindow::ButtonText(id); };
  look.applyNow = [&](const ToolbarButtons& now) { appliedNow = now; };
  WhenShown([](QDialog* d) {
    auto lists = d->findChildren<QListWidget*>();
    ASSERT_EQ(lists.size(), 2u);
    QListWidget* available = lists[0];
    QListWidget* current = lists[1];
    EXPECT_EQ(available->item(available->count() - 1)->text(), "Separator");
    ASSERT_EQ(current->count(), 2);
    // Stop, before Back.
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
  EXPECT_TRUE(b.showText);
  EXPECT_FALSE(b.largeIcons);

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

// The interface language on the real main window: a switch is seen in its
// menus and bars at once, and a window made for a stored language speaks
// it from the start.
// The window, its frame and the language menu on them, as start-up makes them.
struct LanguageFrame : GuiFrame {
  CLanguages& langs;
  QtLanguageUi ui;
  CLanguageMenu menu;
  LanguageFrame(CLanguages& l, Settings& s)
      : langs(l), ui(l, *window), menu(*frame, frame->menu(), l, s, ui) {
    ui.TranslateFrame();
  }
};

QStringList MenuTitles(QtFrameWindow& w) {
  QStringList out;
  for (QAction* a : w.flatMenuBar()->actions()) out << a->text();
  return out;
}

bool HasLabel(QtFrameWindow& w, const QString& text) {
  for (QLabel* l : w.findChildren<QLabel*>())
    if (l->text().trimmed() == text) return true;
  return false;
}

TEST(LanguageGui, SwitchingRetranslatesTheLiveWindowAndBack) {
  CLanguages langs(std::string(KESTREL_DATA_DIR) + "/language/");
  Settings settings;
  LanguageFrame f(langs, settings);
  QtFrameWindow* w = f.window.get();
  ASSERT_EQ(MenuTitles(*w).first(), "&File");
  const std::vector<std::string> names = langs.LanguageNames();
  const auto german = std::find(names.begin(), names.end(), "Deutsch");
  ASSERT_NE(german, names.end());
  const unsigned deutsch = LanguageCommand(static_cast<std::size_t>(german - names.begin()));
  const unsigned english = LanguageCommand(static_cast<std::size_t>(
      std::find(names.begin(), names.end(), "English") - names.begin()));
  EXPECT_EQ(f.frame->CommandStateOf(english), (CommandState{true, true}));
  EXPECT_EQ(f.frame->CommandStateOf(deutsch), (CommandState{true, false}));
  EXPECT_FALSE(f.frame->CommandStateOf(LanguageCommand(names.size())).enabled);  // past the list

  ASSERT_TRUE(f.frame->OnCommand(deutsch));
  EXPECT_EQ(settings.UILanguage, "Deutsch");
  w->resize(900, 200);
  SaveShot(w, "frame Deutsch");
  EXPECT_EQ(MenuTitles(*w).first(), "&Datei");
  EXPECT_EQ(w->action(ID_FILE_NEW)->text().remove('&'), "Neu");
  EXPECT_EQ(w->action(ID_GO_BACK)->toolTip(), QString::fromStdString(langs.Translate("Back", "English", "Deutsch")));
  EXPECT_TRUE(HasLabel(*w, QString::fromStdString(langs.Translate("Address", "English", "Deutsch"))));
  EXPECT_NE(w->addressEdit()->placeholderText().toStdString(),
            "Type an address, a search or an alias, and press Enter");
  // The address field keeps what was typed in it.
  w->SetAddressText("Back");
  ASSERT_TRUE(f.frame->OnCommand(english));
  EXPECT_EQ(w->addressEdit()->text(), "Back");
  EXPECT_EQ(MenuTitles(*w).first(), "&File");
  EXPECT_EQ(w->action(ID_FILE_NEW)->text(), "&New");
  EXPECT_EQ(w->action(ID_GO_BACK)->toolTip(), "Back");
  EXPECT_TRUE(HasLabel(*w, "Address"));
  EXPECT_EQ(settings.UILanguage, "English");
  f.frame->OnCommand(deutsch);
  // The radio mark follows the language in the menu itself.
  const MenuItem* interfaceMenu = f.frame->menu().FindPopup({"Language", "Interface Language"});
  ASSERT_NE(interfaceMenu, nullptr);
  int marked = 0;
  for (QAction* a : w->menuOf(*interfaceMenu)->actions())
    if (a->isChecked()) {
      ++marked;
      EXPECT_EQ(a->data().toUInt(), deutsch);
    }
  EXPECT_EQ(marked, 1);
}

TEST(LanguageGui, AStoredLanguageIsThereFromTheStart) {
  CLanguages langs(std::string(KESTREL_DATA_DIR) + "/language/");
  Settings settings;
  settings.UILanguage = "Deutsch";
  {
    LanguageFrame f(langs, settings);
    EXPECT_EQ(MenuTitles(*f.window).first(), "&Datei");
  }
  // A language whose file has gone speaks English.
  settings.UILanguage = "Klingon";
  CLanguages langs2(std::string(KESTREL_DATA_DIR) + "/language/");
  LanguageFrame f2(langs2, settings);
  EXPECT_EQ(MenuTitles(*f2.window).first(), "&File");
}

}  // namespace
}  // namespace kestrel::test
