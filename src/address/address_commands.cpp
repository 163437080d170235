#include "address/address_commands.h"

#include "address/search_engines.h"
#include "common/message.h"

namespace kestrel {

CAddressCommands::CAddressCommands(Parts parts) : p_(std::move(parts)), commands_(p_.frame.commands()) {
  CommandScope& r = commands_;
  r.Add(ID_ADDRESS_ENTER, [this](const CommandContext&) { p_.bar.Enter(); });
  r.Add(ID_ESCAPE, [this](const CommandContext& c) {
    if (c.site) p_.bar.EscapeCommand(c.site->GetLocationURL());
  });
  r.Add(ID_FOCUS_ADDRESS, [this](const CommandContext&) { p_.bar.Focus(); });
  r.Add(ID_FILE_OPEN, [this](const CommandContext&) {
    // Text of the Open box is an address as it stands, not typed text to resolve.
    std::optional<std::string> address = p_.dialogs.OpenDialog(p_.typed.items());
    if (address && !address->empty()) p_.resolver.OpenAddress(*address);
  });
  r.Add(ID_FROM_CLIPBOARD, [this](const CommandContext&) {
    std::optional<std::string> text = p_.clipboard.Text();
    if (!text) {
      ShowMessage("Cannot open the Clipboard!");
      return;
    }
    if (!text->empty()) p_.resolver.OpenTypedLines(*text);
  });
  r.Add(ID_SEARCH_WEB, [this](const CommandContext&) { p_.resolver.OpenTypedLines(kWebSearchHome); });
  r.Add(kShortcutCommands.first, kShortcutCommands.last, [this](const CommandContext& c) {
    // Typed, so that an alias of the same name wins.
    if (const char* keyword = ShortcutKeyword(c.id)) p_.resolver.OpenTypedText(keyword);
  }, [](const CommandContext& c) { return CommandState{ShortcutKeyword(c.id) != nullptr, false}; });
  r.Add(ID_ALIASES, [this](const CommandContext&) { p_.dialogs.AliasDefinitions(p_.aliases, p_.aliasPath); });
  r.Add(ID_SEARCH_ENGINE_DEFINITIONS, [this](const CommandContext&) {
    // Edited with the desktop's program for the file; read at the next start.
    const std::string path = p_.searchEnginesPath();
    if (path.empty() || !p_.shell.Open(path)) ShowMessage("Can't open " + (path.empty() ? std::string(kSearchEnginesFile) : path) + "!");
  });

  if (const MenuItem* shortcuts = p_.menu.FindPopup({"Go To", "Shortcuts"})) {
    std::vector<DynamicMenuItem> items;
    for (const ShortcutCommand& sc : ShortcutCommands()) items.push_back({sc.label, sc.id});  // translated with the rest of the menu
    p_.menu.SetDynamicItems(*shortcuts, std::move(items));
  }
  p_.frame.AddDocumentObserver(this);
}

CAddressCommands::~CAddressCommands() {
  p_.frame.RemoveDocumentObserver(this);
}

void CAddressCommands::DocumentCompleted(CKestrelView& site) { p_.bar.RememberVisited(site.GetLocationURL()); }

}  // namespace kestrel
