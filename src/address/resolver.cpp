#include "address/resolver.h"

#include "address/search_engines.h"

#include "common/message.h"
#include "common/strings.h"
#include "common/trace.h"
#include "site/kestrel_view.h"
#include "platform/address_fixup.h"

namespace kestrel {

namespace {

// The shell's folder numbers, kept as the identifiers the keywords name.
const std::vector<ShellFolderKeyword> kKeywords = {
    {"my computer", 17}, {"mycom", 17},
    {"desktop", 0},
    {"control panel", 3}, {"ctrl", 3},
    {"startup", 7},
    {"favorites", 6},
    {"history", 34},
    {"my documents", 5}, {"my doc", 5},
    {"recent documents", 8}, {"recdoc", 8},
    {"my profile", 40}, {"myprof", 40},
    {"network neighborhood", 18}, {"nethood", 18},
    {"cache", 32},
    {"cookies", 33},
    {"printers", 4},
    // Spelled so since the first release; users type it that way.
    {"progam files", 38}, {"prog", 38},
    {"windows", 36},
    {"system", 37},
    {"start menu", 11}, {"smenu", 11},
    {"common start menu", 22}, {"csmenu", 22},
    {"common startup", 24}, {"cstartup", 24},
    {"recycle bin", 10}, {"recbin", 10},
    {"my pictures", 39}, {"mypic", 39},
};

const std::vector<ShortcutCommand> kShortcuts = {
    {32918, "Desktop", "desktop"},
    {32917, "My Computer", "my computer"},
    {32926, "My Documents", "my documents"},
    {32938, "My Pictures", "mypic"},
    {32931, "Recent Documents", "recdoc"},
    {32930, "My Profile", "myprof"},
    {32928, "Network Neighborhood", "nethood"},
    {32919, "Control Panel", "ctrl"},
    {32929, "Printers", "printers"},
    {32921, "Recycle Bin", "recbin"},
    {32936, "Program Files", "prog"},
    {32935, "Start Menu Folder", "smenu"},
    {32937, "Common Start Menu", "csmenu"},
    {32933, "Startup Folder", "startup"},
    {32934, "Common Startup", "cstartup"},
    {32920, "System Folder", "system"},
    {32932, "Windows Folder", "windows"},
    {32923, "Favorites", "favorites"},
    {32924, "History", "history"},
    {32922, "Cookies", "cookies"},
    {32925, "Internet Cache", "cache"},
};

bool IsWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

const std::vector<ShellFolderKeyword>& ShellFolderKeywords() { return kKeywords; }

const std::vector<ShortcutCommand>& ShortcutCommands() { return kShortcuts; }

const char* ShortcutKeyword(unsigned id) {
  for (const ShortcutCommand& s : kShortcuts)
    if (s.id == id) return s.keyword;
  return nullptr;
}

int ShellFolderOf(std::string_view text) {
  std::string lower = ToLowerAscii(text);
  for (const ShellFolderKeyword& k : kKeywords)
    if (lower == k.keyword) return k.folder;
  return -1;
}

bool IsPlainWord(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (!IsWordChar(c)) return false;
  return true;
}

bool LooksLikeAddress(std::string_view text) {
  if (text.empty()) return false;
  return text.find(':') != std::string_view::npos || text.substr(0, 2) == "\\\\" ||
         text.find('.') != std::string_view::npos;
}

Resolution ResolveTypedText(std::string_view typed, const AliasList& aliases) {
  std::string text(typed);
  // Expanded once: an alias of an alias is not looked up again.
  if (std::string full = aliases.LookupAlias(text); !full.empty()) text = std::move(full);

  Resolution r;
  if (int folder = ShellFolderOf(text); folder >= 0) {
    r.kind = Resolution::Kind::Folder;
    r.folder = folder;
    return r;
  }

  std::string first = GetField(text, 0, 0);
  if (first.empty()) return r;  // nothing but white space after expansion
  std::string command = ToLowerAscii(first);
  std::string argument = Trim(std::string_view(text).substr(text.find(first) + first.size()));
  if (command == "autologin") return {Resolution::Kind::AutoLogin, argument, -1};
  // The query is a query: "c++" or "a&b" must reach the search service as
  // typed, not as address syntax.
  if (command == "google") return {Resolution::Kind::Address, kWebSearchBase + PercentEncode(argument), -1};
  if (command == "opengroup") return {Resolution::Kind::OpenGroup, argument, -1};
  if (command == "script") return {Resolution::Kind::Script, argument, -1};

  r.kind = Resolution::Kind::Address;
  if (IsPlainWord(text))
    r.text = "http://www." + text + ".com";
  else if (LooksLikeAddress(text))
    r.text = text;
  else
    r.text = kWebSearchBase + PercentEncode(text);
  return r;
}

AddressSafety CheckTypedAddress(std::string_view address, TypedSource source) {
  // Tabs and line breaks are dropped by the engine's URL parser; other
  // control bytes have no place in an address and may hide its real end.
  for (unsigned char c : address)
    if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F) return AddressSafety::Refuse;
  // The scheme as typed, and as the control will navigate it: the fix-up
  // takes off quotes around the text, and the engine drops tabs and line
  // breaks, so "\" javascript:...\"" must be refused as well.
  std::string fixed;
  for (char c : FixupAddress(address))
    if (c != '\t' && c != '\r' && c != '\n') fixed += c;
  auto isScript = [](const std::string& scheme) {
    return scheme == "javascript" || scheme == "vbscript" || scheme == "livescript";
  };
  const std::string scheme = UrlScheme(Trim(address));
  if (isScript(scheme) || isScript(UrlScheme(Trim(fixed)))) return AddressSafety::Refuse;
  if (scheme == "data" && source == TypedSource::OtherProcess) return AddressSafety::OpenInNewSite;
  return AddressSafety::Open;
}

bool ChooseNewSite(bool hasActive, bool activeBlank, bool ctrl, bool shift, bool autoNew) {
  if (!hasActive || ctrl) return true;
  if (!activeBlank) return autoNew != shift;
  return shift && !autoNew;
}

CAddressResolver::CAddressResolver(SiteHost& sites, const AliasList& aliases) : sites_(sites), aliases_(aliases) {}

bool CAddressResolver::OpenTypedLines(std::string_view text, TypedSource source) {
  std::vector<std::string> lines = SplitFields(text, '\n');
  // Only lines that will open something count towards the question.
  std::size_t live = 0;
  for (const std::string& line : lines)
    if (!Trim(line).empty()) ++live;
  if (live > kConfirmLines && confirmMany && !confirmMany(live)) return true;
  const KeyState& keys = sites_.keys();
  // A text opened by a line of another (a group's) has that text's keys.
  auto state = std::make_shared<TextState>(
      TextState{text_ ? text_->ctrl : keys.Ctrl(), text_ ? text_->shift : keys.Shift(), false});
  // The first line at once, unless an earlier text is still opening: the
  // lines open in the order given.
  bool first = pendingLines_ == 0;
  for (const std::string& line : lines) {
    if (!defer || first) {
      OpenLineOf(line, source, *state);
      // Lines that open nothing do not wait for a turn of their own.
      first = first && Trim(line).empty();
      continue;
    }
    ++pendingLines_;
    defer([this, alive = std::weak_ptr<bool>(alive_), line, source, state] {
      if (alive.expired()) return;
      --pendingLines_;
      OpenLineOf(line, source, *state);
    });
  }
  return true;
}

void CAddressResolver::OpenLineOf(const std::string& line, TypedSource source, TextState& text) {
  TextState* outer = text_;
  text_ = &text;
  OpenTypedText(line, source);
  text_ = outer;
}

bool CAddressResolver::OpenTypedText(std::string_view typed, TypedSource source) {
  std::string text = Trim(typed);
  if (EqualsNoCase(text, "last"))
    text = lastTyped_;
  else
    lastTyped_ = text;
  if (text.empty()) return false;

  Resolution r = ResolveTypedText(text, aliases_);
  switch (r.kind) {
    case Resolution::Kind::Nothing:
      return false;
    case Resolution::Kind::Folder:
      // A folder this desktop lacks must not leave an empty new site behind.
      if (FolderAddress(r.folder).empty()) {
        sites_.SetMessageText(TranslateMessage("This desktop has no such folder."));
        return true;
      }
      if (CKestrelView* site = ChooseTargetSite(true)) OpenSpecialFolder(site, r.folder);
      return true;
    case Resolution::Kind::AutoLogin:
      Command(autoLogin, "autologin", "AutoLogin is not available in this version.", r.text);
      return true;
    case Resolution::Kind::OpenGroup:
      Command(openGroup, "opengroup", "Site groups are not available in this version.", r.text);
      return true;
    case Resolution::Kind::Script:
      Command(runScript, "script", "Custom scripts are not available in this version.", r.text);
      return true;
    case Resolution::Kind::Address:
      OpenAddress(r.text, source);
      return true;
  }
  return true;
}

void CAddressResolver::Command(const std::function<void(const std::string&)>& handler, const char* name,
                               const char* unavailable, const std::string& arg) {
  if (handler) {
    handler(arg);
    return;
  }
  Trace("not-available", std::string(name) + " " + arg);
  sites_.SetMessageText(TranslateMessage(unavailable));
}

void CAddressResolver::OpenAddress(const std::string& address, TypedSource source) {
  AddressSafety safety = address.size() > kMaxAddress ? AddressSafety::Refuse : CheckTypedAddress(address, source);
  if (safety == AddressSafety::Refuse) {
    Trace("refused", address.substr(0, 200));
    sites_.SetMessageText(TranslateMessage("This address is not opened from typed text."));
    return;
  }
  CKestrelView* site = safety == AddressSafety::OpenInNewSite ? NewSite() : ChooseTargetSite(true);
  if (!site) return;
  Trace("navigate", address.substr(0, 200));
  site->Navigate(address);
}

CKestrelView* CAddressResolver::NewSite() {
  if (CKestrelView* site = sites_.CreateSite()) return site;
  // Once per text of many lines; each time for a single address.
  if (!text_ || !text_->refused) ShowMessage("Can't open another site: too many sites are open.");
  if (text_) text_->refused = true;
  return nullptr;
}

void CAddressResolver::GoHome() {
  if (CKestrelView* site = ChooseTargetSite(true)) site->GoHome();
}

bool CAddressResolver::OpenTypedTextIn(CKestrelView* site, std::string_view text) {
  CKestrelView* outer = target_;
  if (site) target_ = site;
  const bool opened = OpenTypedText(text, TypedSource::User);
  target_ = outer;
  return opened;
}

CKestrelView* CAddressResolver::ChooseTargetSite(bool allowNew) {
  if (target_) return target_;
  CKestrelView* active = sites_.ActiveView();
  if (!allowNew) return active;
  const KeyState& keys = sites_.keys();
  const bool ctrl = text_ ? text_->ctrl : keys.Ctrl(), shift = text_ ? text_->shift : keys.Shift();
  bool blank = active && active->IsSiteBlank();
  if (ChooseNewSite(active != nullptr, blank, ctrl, shift, sites_.settings().AutoNew != 0))
    return NewSite();
  return active;
}

std::string CAddressResolver::FolderAddress(int folder) const {
  return folderAddress ? folderAddress(folder) : std::string();
}

void CAddressResolver::OpenSpecialFolder(CKestrelView* site, int folder) {
  std::string address = FolderAddress(folder);
  Trace("folder", std::to_string(folder) + " " + address);
  if (!site) return;
  if (address.empty()) {
    sites_.SetMessageText(TranslateMessage("This desktop has no such folder."));
    return;
  }
  site->Navigate(address);
}

}  // namespace kestrel
