#pragma once
// The interface language on the live window: the "Interface Language" menu,
// the switch, and translating every text of a widget tree in place.
#include <QObject>
#include <string>

class QMenu;
class QWidget;

namespace kestrel {

class CLanguages;
class QtFrameWindow;
struct Settings;

// Translates, from the languages' source to their target, the texts of
// `root` and everything in it: menus and their items (not the accelerator
// part), buttons, labels, group boxes, tabs, tool bars and their tooltips.
// Edit fields and combo boxes hold the user's text and are left alone.
void TranslateWidgetTree(QWidget* root, CLanguages& languages);

class QtLanguageUi : public QObject {
 public:
  QtLanguageUi(CLanguages& languages, Settings& settings, QtFrameWindow& window);
  // The menus were built in English: show them in the chosen language.
  void TranslateFrame();
  // 9024-9087: switch to that language; false for other ids.
  bool Command(unsigned id);
  // Bit 0 enabled, bit 1 the radio mark; -1 for other ids.
  int CommandState(unsigned id) const;
  QMenu* interfaceMenu() const { return menu_; }

 private:
  void FillMenu();
  CLanguages& languages_;
  Settings& settings_;
  QtFrameWindow& window_;
  QMenu* menu_ = nullptr;
  std::vector<std::string> names_;
};

}  // namespace kestrel
