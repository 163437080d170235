#pragma once
// The site filter: a black list of address fragments whose sites are closed
// as popups, and a white list of fragments whose sites never are. An address
// matches a list when it contains one of its entries, case-sensitively. Both
// lists live in filter.dat in the program directory.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// Answers "does the address contain any of the entries" in one pass over the
// address, however many entries there are (Aho-Corasick over bytes). Built
// once; the entries are not kept. An empty entry is contained in every
// address, the empty one too, so a list holding one matches everything.
class SubstringMatcher {
 public:
  SubstringMatcher() = default;  // no entries: matches nothing
  explicit SubstringMatcher(const std::vector<std::string>& entries);

  bool Matches(std::string_view address) const;

  // Trie nodes kept after pruning, and the bytes they take (for tests and
  // the benchmark).
  std::size_t nodeCount() const { return firstChild_.empty() ? 0 : firstChild_.size() - 1; }
  std::size_t memoryBytes() const;

 private:
  static constexpr std::uint32_t kRoot = 0;
  static constexpr std::uint32_t kOutBit = 0x80000000u;  // in fail_: the node ends an entry

  // The child of `node` on `byte`, or kNone.
  static constexpr std::uint32_t kNone = 0xffffffffu;
  std::uint32_t Child(std::uint32_t node, unsigned char byte) const;

  // Nodes in breadth-first order, so the children of a node are consecutive
  // and sorted by byte: they are firstChild_[n] .. firstChild_[n + 1] - 1,
  // and label_[c] is the byte on the edge into c. One extra firstChild_
  // closes the last range.
  std::vector<std::uint32_t> firstChild_;
  std::vector<unsigned char> label_;
  // Failure link (longest proper suffix that is a trie node) with kOutBit
  // set when the node, or one of its suffixes, ends an entry.
  std::vector<std::uint32_t> fail_;
  // The root's children by byte (0 = none), the one place where a full
  // table pays: almost every byte of an address starts there.
  std::vector<std::uint32_t> rootNext_;
  bool matchAll_ = false;  // an empty entry was given
};

// The plain scan: true when some entry is a substring of the address.
bool NaiveListMatch(const std::vector<std::string>& list, std::string_view address);

// Longest line of filter.dat; longer lines are skipped when read (see
// LoadSiteFilter) and longer entries written as their first this many bytes.
inline constexpr std::size_t kFilterLineLimit = 4095;

// For the caller of SaveSiteFilter to show when it fails.
inline constexpr const char* kSiteFilterSaveFailed = "Can't save the site filter file!";

class CSiteFilter {
 public:
  const std::vector<std::string>& Black() const { return black_.entries; }
  const std::vector<std::string>& White() const { return white_.entries; }
  void SetBlack(std::vector<std::string> entries) { black_.Set(std::move(entries)); }
  void SetWhite(std::vector<std::string> entries) { white_.Set(std::move(entries)); }
  void AppendBlack(std::string entry) { black_.Append(std::move(entry)); }
  void AppendWhite(std::string entry) { white_.Append(std::move(entry)); }

  bool BlackListMatch(std::string_view address) const { return black_.Match(address); }
  bool WhiteListMatch(std::string_view address) const { return white_.Match(address); }

  // Reads filter.dat: "[include]", the black entries, an empty line,
  // "[exclude]", the white entries. Each line is trimmed. A missing file, or
  // one that does not start with "[include]", changes nothing; a list is
  // replaced only when its section header is found, and a section ends at an
  // empty line or the end of the file. Lines longer than kFilterLineLimit and
  // lines holding a NUL byte are skipped: no entry, and no end of a section.
  void LoadSiteFilter(const std::string& path);
  // Writes both lists in that format (LF line ends), atomically. Entries the
  // format cannot hold are left out (see StoredFilterLine). False when the
  // file could not be written; the old file is then left as it was.
  bool SaveSiteFilter(const std::string& path) const;

 private:
  struct List {
    std::vector<std::string> entries;
    // Rebuilt on the first match after a change; the lists only change
    // through Set and Append, so it can never answer for an old list.
    mutable std::optional<SubstringMatcher> matcher;

    void Set(std::vector<std::string> e) {
      entries = std::move(e);
      matcher.reset();
    }
    void Append(std::string e) {
      entries.push_back(std::move(e));
      matcher.reset();
    }
    bool Match(std::string_view address) const;
  };

  List black_, white_;
};

// The line an entry is written as, or nullopt when it cannot be stored: a
// NUL, CR or LF would split it or cut it, and an entry that is blank (within
// the line limit) would read back as the empty line that ends its section.
// An entry longer than kFilterLineLimit is written as its first
// kFilterLineLimit bytes: it still matches every address the whole one did,
// and in practice nothing else.
std::optional<std::string> StoredFilterLine(const std::string& entry);

}  // namespace kestrel
