// The interface language on the real main window: a switch is seen in its
// menus and bars at once, and a window made for a stored language speaks
// it from the start.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMenuBar>
#include <QToolBar>

#include <QLineEdit>

#include "app/app.h"
#include "language/language.h"
#include "common/message.h"
#include "settings/settings.h"
#include "support/dialog_driver.h"
#include "ui/frame_window_qt.h"
#include "ui/language_ui_qt.h"

namespace kestrel::test {
namespace {

std::unique_ptr<QtFrameWindow> Window() {
  QtFrameWindow::Callbacks cb;
  cb.command = [](unsigned) { return true; };
  cb.commandState = [](unsigned) { return 1; };
  return std::make_unique<QtFrameWindow>(std::move(cb));
}

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
  auto w = Window();
  QtLanguageUi ui(langs, settings, *w);
  ui.TranslateFrame();
  ASSERT_EQ(MenuTitles(*w).first(), "&File");
  const std::vector<std::string> names = langs.LanguageNames();
  const auto german = std::find(names.begin(), names.end(), "Deutsch");
  ASSERT_NE(german, names.end());
  const unsigned deutsch = LanguageCommand(static_cast<std::size_t>(german - names.begin()));
  const unsigned english = LanguageCommand(static_cast<std::size_t>(
      std::find(names.begin(), names.end(), "English") - names.begin()));
  EXPECT_EQ(ui.CommandState(english), 3);
  EXPECT_EQ(ui.CommandState(deutsch), 1);

  ASSERT_TRUE(ui.Command(deutsch));
  EXPECT_EQ(settings.UILanguage, "Deutsch");
  w->resize(900, 200);
  SaveShot(w.get(), "frame Deutsch");
  EXPECT_EQ(MenuTitles(*w).first(), "&Datei");
  EXPECT_EQ(w->action(ID_FILE_NEW)->text().remove('&'), "Neu");
  EXPECT_EQ(w->action(ID_GO_BACK)->toolTip(), QString::fromStdString(langs.Translate("Back", "English", "Deutsch")));
  EXPECT_TRUE(HasLabel(*w, QString::fromStdString(langs.Translate("Address", "English", "Deutsch"))));
  EXPECT_NE(w->addressEdit()->placeholderText().toStdString(),
            "Type an address, a search or an alias, and press Enter");
  // The address field keeps what was typed in it.
  w->SetAddressText("Back");
  ASSERT_TRUE(ui.Command(english));
  EXPECT_EQ(w->addressEdit()->text(), "Back");
  EXPECT_EQ(MenuTitles(*w).first(), "&File");
  EXPECT_EQ(w->action(ID_FILE_NEW)->text(), "&New");
  EXPECT_EQ(w->action(ID_GO_BACK)->toolTip(), "Back");
  EXPECT_TRUE(HasLabel(*w, "Address"));
  EXPECT_EQ(settings.UILanguage, "English");
  // Messages follow the language too.
  ui.Command(deutsch);
  SetMessageTranslator([&](const std::string& e) { return langs.Translate(e); });
  EXPECT_EQ(TranslateMessage("Please select a site!"), langs.Translate("Please select a site!", "English", "Deutsch"));
  EXPECT_NE(TranslateMessage("Please select a site!"), "Please select a site!");
  SetMessageTranslator(nullptr);
}

TEST(LanguageGui, AStoredLanguageIsThereFromTheStart) {
  CLanguages langs(std::string(KESTREL_DATA_DIR) + "/language/");
  Settings settings;
  settings.UILanguage = "Deutsch";
  auto w = Window();
  QtLanguageUi ui(langs, settings, *w);
  ui.TranslateFrame();
  EXPECT_EQ(MenuTitles(*w).first(), "&Datei");
  // A language whose file has gone speaks English.
  settings.UILanguage = "Klingon";
  auto w2 = Window();
  CLanguages langs2(std::string(KESTREL_DATA_DIR) + "/language/");
  QtLanguageUi ui2(langs2, settings, *w2);
  ui2.TranslateFrame();
  EXPECT_EQ(MenuTitles(*w2).first(), "&File");
}

}  // namespace
}  // namespace kestrel::test
