#include "popups/site_filter.h"

#include <algorithm>
#include <stdexcept>

#include "common/strings.h"
#include "common/textfile.h"

namespace kestrel {
namespace {

constexpr std::string_view kIncludeLine = "[include]";
constexpr std::string_view kExcludeLine = "[exclude]";

// Up to kFilterLineLimit + 1 bytes are kept of a line, untrimmed, so that an
// over-long line can be told from one that just fits.
const TextReadOptions kFilterRead{kFilterLineLimit + 1, LongLines::Cut, false};

enum class LineKind {
  Empty,  // blank: ends a section
  Entry,  // `text` holds the trimmed line
  Skip,   // over-long or with a NUL byte
};

LineKind Classify(const std::string& raw, std::string& text) {
  // Cutting or splitting such a line would give a shorter fragment that
  // matches addresses nobody listed; Kestrel never writes one.
  if (raw.size() > kFilterLineLimit) return LineKind::Skip;
  text = Trim(raw);
  if (text.empty()) return LineKind::Empty;
  // Binary garbage rather than an address; it could not be written back.
  if (text.find('\0') != std::string::npos) return LineKind::Skip;
  return LineKind::Entry;
}

}  // namespace

SubstringMatcher::SubstringMatcher(const std::vector<std::string>& entries) {
  std::vector<std::string_view> keys;
  keys.reserve(entries.size());
  std::size_t total = 0;
  for (const std::string& e : entries) {
    if (e.empty()) matchAll_ = true;
    keys.push_back(e);
    total += e.size();
  }
  if (total >= kOutBit - 1) throw std::length_error("site filter list too large");
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  // Matching stops at the first entry found, so an entry that begins with a
  // shorter one adds nothing: in sorted order that shorter one is the last
  // entry kept before it.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < keys.size(); ++i)
    if (kept == 0 || !keys[i].starts_with(keys[kept - 1])) keys[kept++] = keys[i];
  keys.resize(kept);

  // The trie, breadth first: each node is the run of sorted keys sharing its
  // prefix, and its children are the sub-runs by the next byte.
  struct Run {
    std::uint32_t lo, hi, depth;
  };
  std::vector<Run> runs{{0, static_cast<std::uint32_t>(keys.size()), 0}};
  label_.push_back(0);
  fail_.push_back(0);
  for (std::uint32_t node = 0; node < runs.size(); ++node) {
    firstChild_.push_back(static_cast<std::uint32_t>(runs.size()));
    const Run run = runs[node];
    if (run.lo == run.hi) continue;
    if (keys[run.lo].size() == run.depth) {  // after pruning, the only key of its run
      fail_[node] |= kOutBit;
      continue;
    }
    for (std::uint32_t i = run.lo; i < run.hi;) {
      const unsigned char byte = static_cast<unsigned char>(keys[i][run.depth]);
      std::uint32_t j = i + 1;
      while (j < run.hi && static_cast<unsigned char>(keys[j][run.depth]) == byte) ++j;
      runs.push_back({i, j, run.depth + 1});
      label_.push_back(byte);
      fail_.push_back(0);
      i = j;
    }
  }
  firstChild_.push_back(static_cast<std::uint32_t>(runs.size()));
  runs = {};
  keys = {};

  rootNext_.assign(256, 0);
  for (std::uint32_t c = firstChild_[kRoot]; c < firstChild_[kRoot + 1]; ++c) rootNext_[label_[c]] = c;

  // Failure links in breadth-first order: a node's link is shallower than
  // the node, so every link it is built from is already final.
  for (std::uint32_t node = 0; node + 1 < firstChild_.size(); ++node) {
    for (std::uint32_t c = firstChild_[node]; c < firstChild_[node + 1]; ++c) {
      std::uint32_t target = kRoot;
      if (node != kRoot) {
        std::uint32_t g = fail_[node] & ~kOutBit;
        for (;;) {
          const std::uint32_t x = Child(g, label_[c]);
          if (x != kNone) {
            target = x;
            break;
          }
          if (g == kRoot) break;
          g = fail_[g] & ~kOutBit;
        }
      }
      fail_[c] = (fail_[c] & kOutBit) | target | (fail_[target] & kOutBit);
    }
  }
  firstChild_.shrink_to_fit();
  label_.shrink_to_fit();
  fail_.shrink_to_fit();
}

std::uint32_t SubstringMatcher::Child(std::uint32_t node, unsigned char byte) const {
  if (node == kRoot) {
    const std::uint32_t c = rootNext_[byte];
    return c ? c : kNone;
  }
  const std::uint32_t lo = firstChild_[node], hi = firstChild_[node + 1];
  if (hi - lo <= 8) {
    for (std::uint32_t c = lo; c < hi; ++c)
      if (label_[c] == byte) return c;
    return kNone;
  }
  const auto first = label_.begin() + lo, last = label_.begin() + hi;
  const auto it = std::lower_bound(first, last, byte);
  return it != last && *it == byte ? static_cast<std::uint32_t>(it - label_.begin()) : kNone;
}

bool SubstringMatcher::Matches(std::string_view address) const {
  if (matchAll_) return true;
  if (nodeCount() <= 1) return false;
  std::uint32_t state = kRoot;
  for (const char ch : address) {
    const unsigned char byte = static_cast<unsigned char>(ch);
    for (;;) {
      if (state == kRoot) {
        state = rootNext_[byte];  // 0: stay at the root
        break;
      }
      const std::uint32_t next = Child(state, byte);
      if (next != kNone) {
        state = next;
        break;
      }
      state = fail_[state] & ~kOutBit;
    }
    if (fail_[state] & kOutBit) return true;
  }
  return false;
}

std::size_t SubstringMatcher::memoryBytes() const {
  return firstChild_.capacity() * sizeof(std::uint32_t) + label_.capacity() +
         fail_.capacity() * sizeof(std::uint32_t) + rootNext_.capacity() * sizeof(std::uint32_t);
}

bool NaiveListMatch(const std::vector<std::string>& list, std::string_view address) {
  for (const std::string& entry : list)
    if (address.find(entry) != std::string_view::npos) return true;
  return false;
}

bool CSiteFilter::List::Match(std::string_view address) const {
  if (!matcher) matcher.emplace(entries);
  return matcher->Matches(address);
}

std::optional<std::string> StoredFilterLine(const std::string& entry) {
  if (entry.find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos) return std::nullopt;
  std::string line = entry.substr(0, kFilterLineLimit);
  if (Trim(line).empty()) return std::nullopt;
  return line;
}

void CSiteFilter::LoadSiteFilter(const std::string& path) {
  const auto lines = ReadTextLines(path, kFilterRead);
  if (!lines) return;
  const std::size_t n = lines->size();
  std::size_t i = 0;
  std::string text;

  // True when the next non-empty line is `header` (and steps past it).
  auto header = [&](std::string_view expected) {
    LineKind kind = LineKind::Empty;
    while (i < n && (kind = Classify((*lines)[i], text)) == LineKind::Empty) ++i;
    if (i == n || kind != LineKind::Entry || text != expected) return false;
    ++i;
    return true;
  };
  // The entries up to the next empty line or the end of the file.
  auto section = [&] {
    std::vector<std::string> entries;
    for (; i < n; ++i) {
      const LineKind kind = Classify((*lines)[i], text);
      if (kind == LineKind::Empty) break;
      if (kind == LineKind::Entry) entries.push_back(text);
    }
    return entries;
  };

  if (!header(kIncludeLine)) return;
  SetBlack(section());
  if (i == n) return;
  if (!header(kExcludeLine)) return;
  SetWhite(section());
}

bool CSiteFilter::SaveSiteFilter(const std::string& path) const {
  auto add = [](std::string& content, const std::vector<std::string>& entries) {
    for (const std::string& e : entries) {
      // An entry the format cannot hold (see StoredFilterLine) is left out
      // rather than written as lines that would read back as other entries
      // or end the section early.
      if (auto line = StoredFilterLine(e)) {
        content += *line;
        content += '\n';
      }
    }
  };
  std::string content(kIncludeLine);
  content += '\n';
  add(content, black_.entries);
  content += '\n';
  content += kExcludeLine;
  content += '\n';
  add(content, white_.entries);
  return WriteFileAtomic(path, content);
}

}  // namespace kestrel
