#pragma once
// Translation and dictionaries of the Language menu: a page's address or the
// selected text is put into a local template of translate/, written out as
// translate.htm and opened, and the template's own form sends it to the
// service; the online dictionaries of dictionary.ini are run like search
// engines, one menu entry each.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "address/search_engines.h"
#include "common/progdir.h"
#include "frame/main_frame.h"
#include "platform/clipboard.h"
#include "platform/shell.h"

namespace kestrel {

inline constexpr const char* kTranslateFolder = "translate/";
inline constexpr const char* kTranslatePageFile = "translate.htm";
inline constexpr const char* kDictionaryFile = "dictionary.ini";

// The services as the menu commands name their templates; the two Babelfish
// commands differ in case and find the same file.
inline constexpr const char* kGoogleService = "google";
inline constexpr const char* kBabelfishPageService = "BabelFish";
inline constexpr const char* kBabelfishTextService = "babelfish";

// `page` with every "$url" and "$text" put in. A page gets the address for
// "$url" and "" for "$text"; text gets "http://" and the text. What is put in
// is HTML-escaped, so it can add no markup or script to the page, and it is
// not searched for markers again.
std::string FillTranslateTemplate(std::string_view page, std::string_view input, bool text);

// The template of `service` in `folder` (ending in "/"): service + ".htm",
// or else a file whose name differs from that only in letter case; the
// exact name when there is neither.
std::string TranslateTemplatePath(const ProgramFolder& folder, const std::string& service);

// Fills the template of `service` (in translate/ of `programFolder`) with
// `input`, writes it whole to translate.htm in `tempFolder` and opens that
// file's path. False when nothing was opened; a message said why.
bool Translate(const std::string& input, const std::string& service, bool text, const ProgramFolder& programFolder,
               const std::string& tempFolder, const std::function<void(const std::string&)>& openTypedLines);

// The four translation commands, "Custom Dictionary Definitions..." and the
// dictionary entries of "Look Up In Dictionaries", on the frame's registry.
class CTranslateCommands {
 public:
  using OpenFn = std::function<void(const std::string& text)>;
  struct Parts {
    CMainFrame& frame;
    Clipboard& clipboard;
    Shell& shell;              // opens dictionary.ini with the desktop's text editor
    const SearchRunner& search;  // runs the dictionaries
    ProgramFolder programFolder;  // translate/ and dictionary.ini are in it
    std::string tempFolder;      // where translate.htm is written
    OpenFn openTypedLines;       // opens translate.htm as the Address Bar would
    // Runs `read` once the clipboard holds what the site's copy put there:
    // a control may copy asynchronously. Empty: `read` runs at once.
    std::function<void(std::function<void()> read)> afterCopy;
  };
  // One entry for each id of kDictionaryCommands.
  static constexpr std::size_t kMaxDictionaries = kDictionaryCommands.size();

  // Registers the commands and builds the dictionary menu.
  explicit CTranslateCommands(Parts parts);
  CTranslateCommands(const CTranslateCommands&) = delete;
  CTranslateCommands& operator=(const CTranslateCommands&) = delete;

  // Reads dictionary.ini into the list and the submenu; a missing file
  // leaves only the fixed entries.
  void BuildDictionaryMenu();
  const std::vector<SearchEngine>& dictionaries() const { return dictionaries_; }
  // The dictionary named by the menu entry `id` (the first of that name),
  // run with the selected text of `site`.
  void LookUpDictionary(unsigned id, CKestrelView* site);
  // The selected text of `site`, copied through the clipboard; "" without a
  // site or when the clipboard cannot be read (a message says so). `use` may
  // run later (see afterCopy), and not at all once this object is gone.
  void SelectedText(CKestrelView* site, std::function<void(const std::string&)> use);
  bool Translate(const std::string& input, const std::string& service, bool text) const;

 private:
  std::string ClipboardText() const;
  const MenuItem* DictionaryMenu() const;

  Parts p_;
  CommandScope commands_;
  std::vector<SearchEngine> dictionaries_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // for reads that come after us
};

}  // namespace kestrel
