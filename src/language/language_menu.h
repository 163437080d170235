#pragma once
// The Interface Language menu and the switch of language: one radio item
// per language file, "Contribute Your Translation", and retranslating the
// live window when another language is chosen.
#include <string>
#include <vector>

#include "frame/main_frame.h"
#include "frame/main_menu.h"
#include "language/language.h"

namespace kestrel {

// The command of the n-th language (from 0), and back; -1 outside the range.
unsigned LanguageCommand(std::size_t index);
int LanguageIndexOfCommand(unsigned command);

// The window's side of a switch.
class LanguageView {
 public:
  virtual ~LanguageView() = default;
  // Every text of the live window, written in the languages' source
  // language, goes into their target language.
  virtual void RetranslateWindow() = 0;
};

class CLanguageMenu {
 public:
  static constexpr const char* kContributePage = "howtotran.htm";

  CLanguageMenu(CMainFrame& frame, CMainMenu& menu, CLanguages& languages, Settings& settings, LanguageView& view);
  ~CLanguageMenu();
  CLanguageMenu(const CLanguageMenu&) = delete;
  CLanguageMenu& operator=(const CLanguageMenu&) = delete;

  // The menu's language items from the language folder as it is now.
  void Rebuild();
  // Switches to the n-th language of the menu; false for an index it does not have.
  bool Switch(std::size_t index);
  const std::vector<std::string>& names() const { return names_; }

 private:
  CMainFrame& frame_;
  CMainMenu& menu_;
  CLanguages& languages_;
  Settings& settings_;
  LanguageView& view_;
  std::vector<std::string> names_;
  CommandScope commands_;
};

}  // namespace kestrel
