#include "address/alias.h"

#include "common/message.h"
#include "common/strings.h"
#include "common/textfile.h"

namespace kestrel {
namespace {

const TextReadOptions kAliasRead{kAliasLineLimit, LongLines::Pieces, true};

bool HasNul(std::string_view s) { return s.find('\0') != std::string_view::npos; }

// An entry without alias is its text alone: with a blank before it, a text
// of the whole line limit would no longer fit and be dropped when saved.
std::string AliasLine(const AliasEntry& entry) {
  return entry.alias.empty() ? entry.fullText : entry.alias + ' ' + entry.fullText;
}

}  // namespace

AliasEntry ParseAliasLine(std::string_view line) {
  std::size_t sep = line.find_first_of(" \t");
  if (sep == std::string_view::npos) return {std::string(), std::string(line)};
  std::size_t start = sep;
  while (start < line.size() && IsBlank(line[start])) ++start;
  return {std::string(line.substr(0, sep)), std::string(line.substr(start))};
}

bool CanStoreAlias(const AliasEntry& entry) {
  // A NUL would survive the file, but the full text ends up in addresses and
  // command lines, which would silently cut it there: refuse it instead.
  if (HasNul(entry.alias) || HasNul(entry.fullText)) return false;
  std::string line = AliasLine(entry);
  if (line.size() > kAliasLineLimit) return false;
  std::vector<std::string> back = SplitTextLines(line, kAliasRead);
  if (back.size() != 1 || back[0].empty()) return false;
  AliasEntry parsed = ParseAliasLine(back[0]);
  return parsed.alias == entry.alias && parsed.fullText == Trim(entry.fullText);
}

void AliasList::LoadAliases(const std::string& path) {
  entries_.clear();
  auto lines = ReadTextLines(path, kAliasRead);
  if (!lines) return;
  for (const std::string& line : *lines) {
    if (line.empty()) continue;
    // Binary garbage with NUL bytes is no alias anybody typed, and could not
    // be written back safely (see CanStoreAlias): the line is skipped.
    if (HasNul(line)) continue;
    entries_.push_back(ParseAliasLine(line));
  }
}

int AliasList::SaveAliases(const std::string& path) const {
  std::string content;
  for (const AliasEntry& e : entries_) {
    // The loader and the dialog never produce such entries; one handed in
    // through Replace is left out rather than written as a line that would
    // read back as something else (or as several entries).
    if (!CanStoreAlias(e)) continue;
    content += AliasLine(e);
    content += '\n';
  }
  if (!WriteFileAtomic(path, content)) {
    ShowMessage("Can't save alias file!");
    return -1;
  }
  return 0;
}

std::string AliasList::LookupAlias(std::string_view text) const {
  if (text.empty()) return {};
  for (const AliasEntry& e : entries_)
    if (!e.alias.empty() && EqualsNoCase(e.alias, text)) return e.fullText;
  return {};
}

}  // namespace kestrel
