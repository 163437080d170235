#pragma once
// Typed-text resolution: everything typed into the Address Bar, handed over
// by a second start, given on the command line or listed in the start-up
// options passes through OpenTypedText, which decides what the text means
// and ChooseTargetSite, which decides where it opens.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "address/alias.h"

namespace kestrel {

class CKestrelView;
class SiteHost;

// The built-in web search; the query is appended exactly as typed.
inline constexpr const char* kWebSearchBase = "https://www.google.com/search?q=";

struct ShellFolderKeyword {
  const char* keyword;
  int folder;  // a DesktopFolder identifier
};
// In the order they are tried.
const std::vector<ShellFolderKeyword>& ShellFolderKeywords();
// The folder a whole text names (any letter case), or -1.
int ShellFolderOf(std::string_view text);

// The Shortcuts menu: command id to the keyword it types; nullptr for an id
// that is no shortcut.
struct ShortcutCommand {
  unsigned id;
  const char* label;
  const char* keyword;
};
const std::vector<ShortcutCommand>& ShortcutCommands();
const char* ShortcutKeyword(unsigned id);

// Letters, digits and "_" only, and not empty.
bool IsPlainWord(std::string_view text);
// Contains ":", begins with two backslashes, or contains ".".
bool LooksLikeAddress(std::string_view text);

struct Resolution {
  enum class Kind { Nothing, Folder, Address, AutoLogin, OpenGroup, Script };
  Kind kind = Kind::Nothing;
  std::string text;  // the address, or the command's argument
  int folder = -1;
};
// What a trimmed, non-empty text means, from alias expansion on.
Resolution ResolveTypedText(std::string_view text, const AliasList& aliases);

// Where typed text came from decides how far it is trusted.
enum class TypedSource {
  User,          // typed or chosen in this program's own windows and menus
  OtherProcess,  // the command line and the hand-off of a second start
};

enum class AddressSafety { Open, OpenInNewSite, Refuse };
// Script addresses would run in whatever page the site holds: never opened
// from typed text. Another process may open a data: page, but only in a site
// of its own, so it cannot pass itself off as the page the user is reading.
// A NUL byte or other control bytes cannot be part of an address.
AddressSafety CheckTypedAddress(std::string_view address, TypedSource source);

// True when the text must open in a new site rather than the active one.
bool ChooseNewSite(bool hasActive, bool activeBlank, bool ctrl, bool shift, bool autoNew);

class CAddressResolver {
 public:
  CAddressResolver(SiteHost& sites, const AliasList& aliases);

  // One line; false when nothing was opened because the text was empty (or
  // "last" had nothing to repeat).
  bool OpenTypedText(std::string_view text, TypedSource source = TypedSource::User);
  // The same, with `site` taking what would go to the site the rule picks
  // (nullptr: the rule decides).
  bool OpenTypedTextIn(CKestrelView* site, std::string_view text);
  // Every line of `text` in order; always true.
  bool OpenTypedLines(std::string_view text, TypedSource source = TypedSource::User);
  // An address already resolved, in the site ChooseTargetSite gives.
  void OpenAddress(const std::string& address, TypedSource source = TypedSource::User);
  // The active site, or a new one when `allowNew` and the rule says so;
  // nullptr when no site can be had.
  CKestrelView* ChooseTargetSite(bool allowNew);
  // Home Page: the home page in the site the rule gives, new ones allowed.
  void GoHome();
  void OpenSpecialFolder(CKestrelView* site, int folder);

  const std::string& lastTyped() const { return lastTyped_; }

  // The commands' owners fill these in; a command nobody has taken says so
  // in the status bar.
  std::function<void(const std::string&)> autoLogin, openGroup, runScript;
  // The file:// address of a desktop folder, "" when this desktop has none.
  std::function<std::string(int folder)> folderAddress;
  // Runs a task on a later turn of the event loop. With it, the lines of one
  // text after the first open one per turn, so the first page's request
  // goes out while the other sites are still being made; without it every
  // line opens at once.
  std::function<void(std::function<void()>)> defer;
  // Asked before one text opens more than kConfirmLines lines; false opens none.
  std::function<bool(std::size_t lines)> confirmMany;
  static constexpr std::size_t kConfirmLines = 20;
  // Past this an address is refused: the engine would not take it.
  static constexpr std::size_t kMaxAddress = 2 * 1024 * 1024;

 private:
  CKestrelView* NewSite();
  // One line of a text, with the keys held and the site limit's report as
  // they were when the text was given.
  struct TextState {
    bool ctrl = false, shift = false;
    bool refused = false;
  };
  void OpenLineOf(const std::string& line, TypedSource source, TextState& text);
  void Command(const std::function<void(const std::string&)>& handler, const char* name, const char* unavailable,
               const std::string& arg);
  std::string FolderAddress(int folder) const;

  SiteHost& sites_;
  const AliasList& aliases_;
  std::string lastTyped_;
  std::size_t pendingLines_ = 0;         // deferred lines not opened yet
  TextState* text_ = nullptr;            // the text whose line opens now
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  CKestrelView* target_ = nullptr;  // OpenTypedTextIn's site while it runs
};

}  // namespace kestrel
