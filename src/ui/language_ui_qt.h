#pragma once
// The interface language on the live window: translating every text of a
// widget tree in place.
#include <string>

#include "language/language_menu.h"

class QMenu;
class QWidget;

namespace kestrel {

// Translates, from the languages' source to their target, the texts of
// `root` and everything in it: menus and their items (not the accelerator
// part), buttons, labels, group boxes, tabs, tool bars and their tooltips.
// Edit fields and combo boxes hold the user's text and are left alone.
void TranslateWidgetTree(QWidget* root, CLanguages& languages);

// The live window's side of a language switch.
class QtLanguageUi : public LanguageView {
 public:
  QtLanguageUi(CLanguages& languages, QWidget& window) : languages_(languages), window_(window) {}
  // The window was built in English: show it in the chosen language.
  void TranslateFrame() { TranslateWidgetTree(&window_, languages_); }
  void RetranslateWindow() override { TranslateWidgetTree(&window_, languages_); }

 private:
  CLanguages& languages_;
  QWidget& window_;
};

}  // namespace kestrel
