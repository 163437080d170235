#pragma once
// Search engines and the quick search: the engines the user lists in
// englist.ini, the remembered queries of searchhis.ini, and the search
// routine that opens a GET engine as an address or submits a POST engine's
// form through a generated local page, postform.htm.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/notifier.h"
#include "common/strings.h"  // HtmlEscape, which the search pages use

namespace kestrel {

// The home page of the built-in web search (the service of kWebSearchBase).
inline constexpr const char* kWebSearchHome = "https://www.google.com/";

inline constexpr const char* kSearchEnginesFile = "englist.ini";
inline constexpr const char* kQueryHistoryFile = "searchhis.ini";
inline constexpr const char* kPostFormFile = "postform.htm";


struct SearchEngine {
  std::string name;
  std::string address;  // "$key" stands for the query
  bool get = false;     // false: POST through postform.htm
};

// The engine list, in file order, with the entry the bar has selected.
class CSearchEngines {
 public:
  static constexpr std::size_t kMaxLine = 1023;

  // Appends the engines of englist.ini and selects the first entry when the
  // list has one. The first line is a header; a missing file adds nothing.
  // A line longer than kMaxLine is skipped whole: a template cut short would
  // send the query somewhere else. Lines holding NUL or other control bytes
  // (a binary file) are skipped, and so is a line without an address.
  void LoadSearchEngines(const std::string& path);

  const std::vector<SearchEngine>& engines() const { return engines_; }
  // -1 for none; an index outside the list selects none.
  void Select(int index);
  int selectedIndex() const { return selected_; }
  const SearchEngine* Selected() const;

  // The bar follows every change of the list.
  Notifier<> changed;

 private:
  std::vector<SearchEngine> engines_;
  int selected_ = -1;
};

// The query box's drop-down: most recent first, no two equal under ASCII case
// folding, unlimited while the program runs.
class QueryHistory {
 public:
  static constexpr std::size_t kMaxLine = 1023;
  static constexpr std::size_t kSaveMax = 256;

  // Every item equal to `query` (ASCII case folded) goes; `query` goes on top.
  void RememberQuery(std::string_view query);
  // Replaces the list with the lines of searchhis.ini in file order, each
  // trimmed, empty ones included; a missing file leaves the list empty.
  void LoadQueryHistory(const std::string& path);
  // The first kSaveMax items, one per line, replacing the file whole; false
  // when it cannot be written (the old file then stays as it was).
  bool SaveQueryHistory(const std::string& path) const;
  // Clean History: the caller deletes the file.
  void Clear();

  const std::vector<std::string>& items() const { return items_; }
  Notifier<> changed;

 private:
  void Changed() const { changed.Notify(); }
  std::vector<std::string> items_;
};

// Every "$key" of `addressTemplate` replaced by `value`.
std::string ReplaceKey(std::string_view addressTemplate, std::string_view value);
// UTF-8 bytes percent-encoded, all but A-Z a-z 0-9 - . _ ~ (a blank is %20).
std::string PercentEncode(std::string_view text);
// Script addresses (javascript:, vbscript:, data:) after the clean-up the
// engine's URL parser does (tabs and line breaks dropped, controls and
// blanks at the ends stripped).
bool IsScriptAddress(std::string_view address);
// http: and https: only.
bool IsWebAddress(std::string_view address);

// postform.htm for `action` and the "&"-separated "name=value" fields of
// `params`; false (and `page` untouched) when a field has no "=".
bool BuildPostForm(std::string_view action, std::string_view params, std::string& page);

// The search routine shared by the quick search and the dictionary look-ups.
class SearchRunner {
 public:
  using OpenFn = std::function<void(const std::string& text)>;

  // `openTypedLines` resolves text like the Address Bar; `postFormPath` is
  // the full path of postform.htm.
  SearchRunner(OpenFn openTypedLines, std::string postFormPath);

  // GET opens the template with the query put in; POST splits it at the
  // first "?" into the form's action and its fields.
  void RunSearch(std::string_view addressTemplate, std::string_view query, bool get) const;
  // Writes postform.htm and opens it; false when nothing was opened (a
  // message said why).
  bool PostSearch(std::string_view action, std::string_view params) const;

  const std::string& postFormPath() const { return postFormPath_; }

 private:
  OpenFn open_;
  std::string postFormPath_;
};

// The bar's "Go" and Enter in its query box: nothing without a selected
// engine; otherwise the query, exactly as typed, is remembered and searched.
void QuickSearch(const CSearchEngines& engines, QueryHistory& history, const SearchRunner& runner,
                 const std::string& query);

}  // namespace kestrel
