#pragma once
// Scripts the user runs in the active page: code typed into the Custom
// Script dialog, or a file of scripts/ in the program folder chosen from
// Tools > Execute Scripts, typed as "script <name>" or named among the
// start-up commands. They run in the page's own script world, so they see
// and change what the page's scripts do.
#include <cstddef>
#include <functional>
#include <string>

#include "common/progdir.h"
#include <vector>

#include "frame/main_frame.h"

namespace kestrel {

class ScriptDialogs {
 public:
  virtual ~ScriptDialogs() = default;
  // The Custom Script dialog: true on Execute, with the code typed and the
  // language chosen (true: JavaScript).
  virtual bool CustomScript(std::string& code, bool& javaScript) = 0;
};

class CCustomScripts {
 public:
  struct Parts {
    CMainFrame& frame;
    CMainMenu& menu;
    ScriptDialogs& dialogs;
    ProgramFolder scriptsFolder;  // scripts/, the user's own over the installed one
    std::function<void(const std::string& page)> openHelp;
  };
  // A script file is code, not a document: anything larger is refused.
  static constexpr std::size_t kMaxScriptBytes = 1u << 20;

  explicit CCustomScripts(Parts parts);
  CCustomScripts(const CCustomScripts&) = delete;
  CCustomScripts& operator=(const CCustomScripts&) = delete;

  // The menu's entries: the .js files by name, then the .vbs files, as many
  // as the menu's ids allow.
  void BuildScriptMenu();
  // The script of that name in the active site (the .js file first).
  void RunNamedScript(const std::string& name);
  // `code` in the site's page; only JavaScript runs here, anything else is
  // answered with a message.
  void ExecuteScript(CKestrelView& site, const std::string& code, bool javaScript);

 private:
  Parts p_;
  std::vector<std::string> names_;  // the menu's entries by id order
  CommandScope commands_;
};

}  // namespace kestrel
