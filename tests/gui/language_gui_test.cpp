// The interface language on the real main window: a switch is seen in its
// menus and bars at once, and a window made for a stored language speaks
// it from the start.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMenuBar>
#include <QLineEdit>

#include "app/app.h"
#include "language/language.h"
#include "settings/settings.h"
#include "support/dialog_driver.h"
#include "gui/gui_frame.h"
#include "ui/frame_window_qt.h"
#include "ui/language_ui_qt.h"

namespace kestrel::test {
namespace {

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
  for (QAction* a : w.menuBar()->actions()) out << a->text();
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
