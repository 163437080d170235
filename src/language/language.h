#pragma once
// Interface languages: one numbered string table per language in the
// program's "language/" folder ("English.ini", "Deutsch.ini", ...), and the
// translation of the program's texts through them: a text's number is found
// in the table of the language it is written in, and that number's text is
// taken from the table of the target language. English.ini is the fallback
// of every lookup. Toolkit-free: the windowing layer walks its menus and
// widgets and hands each text here.
//
// Table format: 8-bit text, one "number=text" entry per line. Each line is
// trimmed and split at its first "="; the number part (trimmed) must be a
// decimal number from 1 to 2147483647, otherwise the line is no entry.
// Lines without "=", lines holding a NUL byte and lines longer than 1023
// bytes (blanks counted, as the file holds them) are no entries either: a
// cut or binary line could only ever give a wrong text. The first entry with
// a text or number wins. In a text the two characters "\n" stand for a line
// break (CR LF). Texts compare without regard to case, folding ASCII letters
// only; other bytes (UTF-8 letters included) must match exactly. An empty
// text ("12=", as in the translators' template) gives nothing, so the lookup
// goes on to English.ini.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/progdir.h"
#include "common/strings.h"

namespace kestrel {

inline constexpr const char* kEnglishLanguage = "English";
inline constexpr const char* kLanguageTemplateFile = "template.ini";
inline constexpr std::size_t kMaxLanguageLine = 1023;  // bytes of one entry line
// As many languages as the Interface Language menu has commands for.
inline constexpr std::size_t kMaxLanguages = 64;

struct LanguageEntry {
  int number = 0;
  std::string text;  // as in the file: "\n" not yet turned into CR LF
};

// One entry line, or nullopt when the line is no entry (rules above).
std::optional<LanguageEntry> ParseLanguageLine(std::string_view rawLine);

// The raw lines of a language file (not trimmed; an over-long line is kept
// cut, one byte past the limit, so the parser can tell). nullopt when the
// file cannot be read or is larger than 64 MiB (no language file is).
std::optional<std::vector<std::string>> ReadLanguageLines(const std::string& path);

// The search form of a text: every CR LF becomes "\n".
std::string LanguageSearchText(std::string_view text);
// The shown form of a table text: every "\n" becomes CR LF.
std::string LanguageShownText(std::string_view tableText);

// One parsed language file with its indexes.
class LanguageTable {
 public:
  LanguageTable() = default;
  static LanguageTable FromLines(const std::vector<std::string>& rawLines);
  static LanguageTable FromText(std::string_view content);  // same, from memory

  // The number of the first entry whose text equals `searchText` (already in
  // search form) without regard to case; then, when none does and the text
  // has "&" markers, the same for the text without its single "&". 0 when
  // neither finds one; an empty text is never found.
  int NumberOf(std::string_view searchText) const;
  // The text of the first entry with `number`; nullptr when there is none or
  // its text is empty.
  const std::string* TextOf(int number) const;

  const std::vector<LanguageEntry>& entries() const { return entries_; }

 private:
  int ExactNumberOf(std::string_view searchText) const;

  std::vector<LanguageEntry> entries_;
  std::unordered_map<std::string, int> numberOfFolded_;  // ASCII-folded text -> first number
  std::unordered_map<int, std::size_t> entryOfNumber_;   // number -> first entry
};

// The language files of one folder, their cached tables, and the
// application's language state (target and source language).
//
// Tables are parsed once and kept; before each use the file is looked at
// (size, modification time, identity) and read again when it changed, so
// every result equals that of reading the files afresh for each lookup.
// A change within one tick of the file system's clock that keeps the size
// is not seen: Reload() forgets every table.
class CLanguages {
 public:
  // `folder` "" stands for "language/" in the program directory.
  explicit CLanguages(ProgramFolder folder = {});

  const ProgramFolder& folder() const { return folder_; }
  // The file of a language; "" for a name no file can have (empty, or with
  // "/" or NUL in it), which is then a missing language.
  std::string FileOf(const std::string& name) const;

  // The language names: every "*.ini" of the folder except "template.ini"
  // (in any case), without the extension, sorted by bytes, at most
  // kMaxLanguages of them. Reads the folder each time.
  std::vector<std::string> LanguageNames();
  // The last LanguageNames() left out files beyond kMaxLanguages.
  bool truncated() const { return truncated_; }

  // `text` from language `from` into language `to`. Unchanged when it is
  // empty, when `from` equals `to` (exact names; no file is looked at), or
  // when no table knows it. A trailing "..." is kept out of the lookup and
  // put back on the result.
  std::string Translate(const std::string& text, const std::string& from, const std::string& to);
  // From the source language into the target language.
  std::string Translate(const std::string& text) { return Translate(text, source_, target_); }
  // A menu item's text: only the part before the first tab is translated;
  // the tab and the accelerator text after it stay as they are.
  std::string TranslateMenuText(const std::string& text);

  // The number of `text` (plain, CR LF allowed) in `language`, falling back
  // to English.ini as the lookup does; 0 when none.
  int NumberOf(const std::string& text, const std::string& language);

  // Forgets every parsed table.
  void Reload();
  // Files parsed so far (a test's window onto the cache).
  std::size_t fileReads() const { return fileReads_; }

  // Language state. Both are "English" at start.
  void SetTarget(const std::string& name) { target_ = name; }
  const std::string& target() const { return target_; }
  const std::string& source() const { return source_; }

  // Choosing another interface language. BeginSwitch makes the current
  // target language the source and `newName` the target, so that the live
  // menus and windows, written in the old language, can be retranslated
  // with Translate(text); it returns the old name. EndSwitch sets the source
  // back to "English"; the target stays `newName`, which is what the
  // UILanguage setting then holds. nullopt, and nothing changes, when
  // `newName` is the current language already (exact names) or a switch is
  // under way.
  std::optional<std::string> BeginSwitch(const std::string& newName);
  void EndSwitch();
  bool switching() const { return switching_; }

  // An Interface Language menu item: Translate(name) + "\t[" + name + "]".
  // Line breaks and tabs of the translated name become blanks, so the item's
  // text still splits at its first tab.
  std::string LanguageMenuText(const std::string& name);

 private:
  class Source;
  struct Cached {
    bool present = false;
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t mtimeSec = 0, mtimeNsec = 0;
    LanguageTable table;
  };
  // The table of `language`, read again when its file changed; nullptr when
  // it has no readable file.
  const LanguageTable* Table(const std::string& language);

  ProgramFolder folder_;
  std::unordered_map<std::string, Cached> cache_;
  std::size_t fileReads_ = 0;
  bool truncated_ = false;
  std::string target_ = kEnglishLanguage;
  std::string source_ = kEnglishLanguage;
  bool switching_ = false;
};

// Keeps a language switch open for one scope: whatever the retranslation
// does (an exception included), the source language is "English" again
// afterwards.
class ScopedLanguageSwitch {
 public:
  ScopedLanguageSwitch(CLanguages& languages, const std::string& newName)
      : languages_(languages), oldName_(languages.BeginSwitch(newName)) {}
  ~ScopedLanguageSwitch() {
    if (oldName_) languages_.EndSwitch();
  }
  ScopedLanguageSwitch(const ScopedLanguageSwitch&) = delete;
  ScopedLanguageSwitch& operator=(const ScopedLanguageSwitch&) = delete;
  // False when there was nothing to switch (same language).
  bool active() const { return oldName_.has_value(); }
  const std::optional<std::string>& oldName() const { return oldName_; }

 private:
  CLanguages& languages_;
  std::optional<std::string> oldName_;
};

// The same translation reading each file afresh for every lookup, with no
// table kept: the plain algorithm, and the yardstick of the cached one.
std::string TranslateUncached(const std::string& folder, const std::string& text, const std::string& from,
                              const std::string& to);

// The language name of an Interface Language item: the text between the
// first "\t[" and the final "]"; "" when the text has no such part.
std::string LanguageOfMenuText(std::string_view text);

// "%1" to "%9" in a translated text replaced by args[0] to args[8] in one
// pass (an argument's own "%2" stays as it is); a "%N" with no argument stays.
std::string FillPlaceholders(std::string_view text, const std::vector<std::string>& args);

}  // namespace kestrel
