#pragma once
// The commands of typed text and its lists on the frame's registry: Enter
// and Escape in the Address Bar, the keys that focus it, the Open dialog,
// From Address in Clipboard, Search the Web, the Shortcuts menu, the
// Alias Definitions dialog and Search Engine Definitions. The Address Bar
// also remembers every page that finishes loading, for its completion.
#include <optional>
#include <functional>
#include <string>
#include <vector>

#include "address/address_bar.h"
#include "address/alias.h"
#include "address/resolver.h"
#include "address/typed_urls.h"
#include "frame/main_frame.h"
#include "frame/main_menu.h"
#include "platform/clipboard.h"
#include "platform/shell.h"

namespace kestrel {

class AddressDialogs {
 public:
  virtual ~AddressDialogs() = default;
  // The Open dialog, its list filled with the typed addresses: the text on
  // OK, nullopt on Cancel.
  virtual std::optional<std::string> OpenDialog(const std::vector<std::string>& typed) = 0;
  // The Alias Definitions dialog; it writes alias.txt whenever it closes.
  virtual void AliasDefinitions(AliasList& aliases, const std::string& path) = 0;
};

class CAddressCommands : private DocumentObserver {
 public:
  struct Parts {
    CMainFrame& frame;
    CMainMenu& menu;
    CAddressResolver& resolver;
    CAddressBar& bar;
    TypedUrlList& typed;
    AliasList& aliases;
    std::string aliasPath;
    // The search engine list to edit by hand, asked for when the user does.
    std::function<std::string()> searchEnginesPath;
    AddressDialogs& dialogs;
    Clipboard& clipboard;
    Shell& shell;
  };
  explicit CAddressCommands(Parts parts);
  ~CAddressCommands() override;
  CAddressCommands(const CAddressCommands&) = delete;
  CAddressCommands& operator=(const CAddressCommands&) = delete;

 private:
  void DocumentCompleted(CKestrelView& site) override;
  std::string ActiveAddress() const;
  Parts p_;
  CommandScope commands_;
};

}  // namespace kestrel
