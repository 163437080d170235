#pragma once
// Aliases: short names the user types instead of a long address or command.
// They live in alias.txt in the program directory, one "alias full-text" line
// each, and are edited in the Alias Definitions dialog (alias_dialog.h).
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

struct AliasEntry {
  std::string alias;     // one word; empty means the entry never matches
  std::string fullText;  // address, shell-folder keyword or command line

  bool operator==(const AliasEntry&) const = default;
};

// Longest line of alias.txt read as one line; longer lines are read in pieces.
inline constexpr std::size_t kAliasLineLimit = 255;

// One trimmed, non-empty line of alias.txt: the alias is the text before the
// first blank or tab, the full text the rest without leading white space. A
// line without blank or tab gives an empty alias and the line as full text.
AliasEntry ParseAliasLine(std::string_view line);

// True when the entry, written as one line of alias.txt, reads back as the
// same entry (the full text's surrounding white space aside) and holds no
// NUL byte. False for aliases with blanks or tabs, text with line breaks,
// lines past kAliasLineLimit, and an empty alias before a full text with a
// blank (it would come back as a live alias).
bool CanStoreAlias(const AliasEntry& entry);

class AliasList {
 public:
  // Empties the list and reads alias.txt; a missing or unreadable file leaves
  // it empty, without a message.
  void LoadAliases(const std::string& path);
  // Writes the whole list to alias.txt in list order; 0 on success. On failure
  // shows "Can't save alias file!", keeps the old file and returns -1.
  int SaveAliases(const std::string& path) const;
  // Full text of the first entry whose alias equals `text` (ASCII letters
  // folded), or "" when none does.
  std::string LookupAlias(std::string_view text) const;

  void Replace(std::vector<AliasEntry> entries) { entries_ = std::move(entries); }
  const std::vector<AliasEntry>& entries() const { return entries_; }

 private:
  std::vector<AliasEntry> entries_;  // in file order; duplicates allowed
};

}  // namespace kestrel
