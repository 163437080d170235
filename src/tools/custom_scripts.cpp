#include "tools/custom_scripts.h"

#include <filesystem>

#include "common/message.h"
#include "common/textfile.h"
#include "frame/command_ids.h"
#include "site/kestrel_view.h"

namespace kestrel {
namespace {

// The last id stays free: the menu's range ends before it.
constexpr CommandRange kScriptMenu{kScriptCommands.first, kScriptCommands.last - 1};

constexpr const char* kVbScriptRefused =
    "VBScript does not run in this browser: only JavaScript scripts can be executed.";

// A name typed or read from a start-up line stays inside scripts/.
bool SafeName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

}  // namespace

CCustomScripts::CCustomScripts(Parts parts) : p_(std::move(parts)), commands_(p_.frame.commands()) {
  commands_.Add(
      ID_CUSTOM_SCRIPT,
      [this](const CommandContext& c) {
        std::string code;
        bool javaScript = true;
        // The code typed is not kept: each opening starts empty.
        if (!p_.dialogs.CustomScript(code, javaScript)) return;
        // The site may have gone while the dialog was open.
        if (CKestrelView* site = p_.frame.ActiveView(); site && site == c.site) ExecuteScript(*site, code, javaScript);
      },
      CommandRegistry::NeedsSite);
  commands_.Add(kScriptMenu.first, kScriptMenu.last, [this](const CommandContext& c) {
    const std::size_t i = c.id - kScriptMenu.first;
    if (i < names_.size()) RunNamedScript(names_[i]);
  });
  BuildScriptMenu();
}

void CCustomScripts::BuildScriptMenu() {
  const MenuItem* menu = p_.menu.FindPopup({"Tools", "Execute Scripts"});
  if (!menu) return;
  names_ = ListFilesWithExtension(p_.scriptsFolder, ".js");
  for (std::string& vbs : ListFilesWithExtension(p_.scriptsFolder, ".vbs")) names_.push_back(std::move(vbs));
  const std::size_t room = kScriptMenu.last - kScriptMenu.first + 1;
  if (names_.size() > room) names_.resize(room);
  p_.menu.RebuildRange(*menu, names_);
}

void CCustomScripts::RunNamedScript(const std::string& name) {
  CKestrelView* site = p_.frame.ActiveView();
  if (!site) return;
  if (!SafeName(name)) {
    ShowMessage("A script name cannot contain \"/\" or be \".\" or \"..\".");
    return;
  }
  // A .js file shadows a .vbs file of the same name.
  std::string path = PathWithExtension(p_.scriptsFolder, name, ".js");
  bool javaScript = FileExists(path);
  if (!javaScript) path = PathWithExtension(p_.scriptsFolder, name, ".vbs");
  if (!FileExists(path)) {
    ShowMessage("Can't open " + p_.scriptsFolder.SavePath(name) + ".js!");
    return;
  }
  const std::optional<std::string> code = ReadWholeFile(path, kMaxScriptBytes);
  if (!code) {
    std::error_code error;
    const bool large = std::filesystem::file_size(path, error) > kMaxScriptBytes && !error;
    ShowMessage(large ? "The script " + name + " is larger than 1 MB." : "Can't open " + path + "!");
    return;
  }
  if (code->find('\0') != std::string::npos) {
    ShowMessage("The script " + name + " is not a text file.");
    return;
  }
  ExecuteScript(*site, *code, javaScript);
}

void CCustomScripts::ExecuteScript(CKestrelView& site, const std::string& code, bool javaScript) {
  if (!javaScript) {
    ShowMessage(kVbScriptRefused);
    return;
  }
  // The page's own world: the script is the user's, meant to act as the page does.
  site.control().ExecScript(code, nullptr);
}

}  // namespace kestrel
