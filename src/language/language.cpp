#include "language/language.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <system_error>

#include "common/progdir.h"
#include "common/strings.h"
#include "common/textfile.h"

namespace kestrel {

namespace {

constexpr std::uint64_t kMaxLanguageFileBytes = 64u << 20;
constexpr std::string_view kEllipsis = "...";

// Decimal digits only, 1 to INT_MAX; 0 for anything else.
int ParseNumber(std::string_view digits) {
  if (digits.empty()) return 0;
  long long value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
    if (value > INT_MAX) return 0;
  }
  return static_cast<int>(value);
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (true) {
    std::size_t hit = text.find(from, pos);
    if (hit == std::string_view::npos) break;
    out.append(text.substr(pos, hit - pos));
    out.append(to);
    pos = hit + from.size();
  }
  out.append(text.substr(pos));
  return out;
}

// The translation, written once over whatever gives the tables: the cached
// tables of CLanguages, or a fresh read of the file for every lookup.
// `Tables` has int NumberIn(language, searchText) (steps 1 and 2 in one
// file) and std::optional<std::string> TextIn(language, number).
template <class Tables>
int FindNumber(Tables& source, const std::string& searchText, const std::string& language) {
  if (searchText.empty()) return 0;
  int number = source.NumberIn(language, searchText);
  if (number == 0 && language != kEnglishLanguage) number = source.NumberIn(kEnglishLanguage, searchText);
  return number;
}

template <class Tables>
std::string TranslateWith(Tables& source, const std::string& text, const std::string& from, const std::string& to) {
  if (text.empty() || from == to) return text;
  std::string_view key = text;
  const bool dots = key.size() >= kEllipsis.size() && key.substr(key.size() - kEllipsis.size()) == kEllipsis;
  if (dots) key.remove_suffix(kEllipsis.size());
  const int number = FindNumber(source, LanguageSearchText(key), from);
  if (number == 0) return text;
  std::optional<std::string> found = source.TextIn(to, number);
  if (!found && to != kEnglishLanguage) found = source.TextIn(kEnglishLanguage, number);
  // A number that no table has a text for leaves the text as written: an
  // empty menu item or message would help nobody.
  if (!found) return text;
  std::string result = LanguageShownText(*found);
  if (dots) result.append(kEllipsis);
  return result;
}

// Every lookup opens the file and reads it through.
class ScanningSource {
 public:
  explicit ScanningSource(const CLanguages& files) : files_(files) {}

  int NumberIn(const std::string& language, const std::string& searchText) {
    int number = Scan(language, searchText);
    if (number == 0 && searchText.find('&') != std::string::npos) {
      const std::string plain = RemoveAccelerators(searchText);
      if (!plain.empty() && plain != searchText) number = Scan(language, plain);
    }
    return number;
  }

  std::optional<std::string> TextIn(const std::string& language, int number) {
    auto lines = Lines(language);
    if (!lines) return std::nullopt;
    for (const std::string& line : *lines) {
      std::optional<LanguageEntry> e = ParseLanguageLine(line);
      if (!e || e->number != number) continue;
      if (e->text.empty()) return std::nullopt;
      return std::move(e->text);
    }
    return std::nullopt;
  }

 private:
  std::optional<std::vector<std::string>> Lines(const std::string& language) {
    const std::string path = files_.FileOf(language);
    if (path.empty()) return std::nullopt;
    return ReadLanguageLines(path);
  }

  int Scan(const std::string& language, const std::string& searchText) {
    auto lines = Lines(language);
    if (!lines) return 0;
    for (const std::string& line : *lines) {
      std::optional<LanguageEntry> e = ParseLanguageLine(line);
      if (e && !e->text.empty() && EqualsNoCase(e->text, searchText)) return e->number;
    }
    return 0;
  }

  const CLanguages& files_;
};

}  // namespace

std::optional<LanguageEntry> ParseLanguageLine(std::string_view rawLine) {
  if (rawLine.size() > kMaxLanguageLine) return std::nullopt;
  if (rawLine.find('\0') != std::string_view::npos) return std::nullopt;
  const std::string line = Trim(rawLine);
  const std::size_t eq = line.find('=');
  if (eq == std::string::npos) return std::nullopt;
  const int number = ParseNumber(Trim(std::string_view(line).substr(0, eq)));
  if (number == 0) return std::nullopt;
  return LanguageEntry{number, line.substr(eq + 1)};
}

std::optional<std::vector<std::string>> ReadLanguageLines(const std::string& path) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxLanguageFileBytes) return std::nullopt;
  TextReadOptions options;
  options.maxLineLength = kMaxLanguageLine + 1;  // one byte more marks a line as too long
  options.longLines = LongLines::Cut;
  options.trim = false;
  return ReadTextLines(path, options);
}

std::string LanguageSearchText(std::string_view text) { return ReplaceAll(text, "\r\n", "\\n"); }

std::string LanguageShownText(std::string_view tableText) { return ReplaceAll(tableText, "\\n", "\r\n"); }

// --- LanguageTable ---

LanguageTable LanguageTable::FromLines(const std::vector<std::string>& rawLines) {
  LanguageTable t;
  for (const std::string& raw : rawLines) {
    std::optional<LanguageEntry> e = ParseLanguageLine(raw);
    if (!e) continue;
    const std::size_t index = t.entries_.size();
    t.entryOfNumber_.try_emplace(e->number, index);
    if (!e->text.empty()) t.numberOfFolded_.try_emplace(ToLowerAscii(e->text), e->number);
    t.entries_.push_back(std::move(*e));
  }
  return t;
}

LanguageTable LanguageTable::FromText(std::string_view content) {
  TextReadOptions options;
  options.maxLineLength = kMaxLanguageLine + 1;
  options.longLines = LongLines::Cut;
  options.trim = false;
  return FromLines(SplitTextLines(content, options));
}

int LanguageTable::ExactNumberOf(std::string_view searchText) const {
  if (searchText.empty()) return 0;
  auto it = numberOfFolded_.find(ToLowerAscii(searchText));
  return it == numberOfFolded_.end() ? 0 : it->second;
}

int LanguageTable::NumberOf(std::string_view searchText) const {
  int number = ExactNumberOf(searchText);
  if (number == 0 && searchText.find('&') != std::string_view::npos) {
    const std::string plain = RemoveAccelerators(searchText);
    if (plain != searchText) number = ExactNumberOf(plain);
  }
  return number;
}

const std::string* LanguageTable::TextOf(int number) const {
  auto it = entryOfNumber_.find(number);
  if (it == entryOfNumber_.end()) return nullptr;
  const std::string& text = entries_[it->second].text;
  return text.empty() ? nullptr : &text;
}

// --- CLanguages ---

// Over the cached tables.
class CLanguages::Source {
 public:
  explicit Source(CLanguages& owner) : owner_(owner) {}
  int NumberIn(const std::string& language, const std::string& searchText) {
    const LanguageTable* t = owner_.Table(language);
    return t ? t->NumberOf(searchText) : 0;
  }
  std::optional<std::string> TextIn(const std::string& language, int number) {
    const LanguageTable* t = owner_.Table(language);
    const std::string* text = t ? t->TextOf(number) : nullptr;
    if (!text) return std::nullopt;
    return *text;
  }

 private:
  CLanguages& owner_;
};

CLanguages::CLanguages(ProgramFolder folder) : folder_(std::move(folder)) {
  if (folder_.empty()) folder_ = ProgramSubfolder("language/");
}

std::string CLanguages::FileOf(const std::string& name) const {
  if (name.empty() || name.find('/') != std::string::npos || name.find('\0') != std::string::npos) return "";
  return folder_.Find(name + ".ini");
}

std::vector<std::string> CLanguages::LanguageNames() {
  std::vector<std::string> names = ListLayeredEntries(folder_, [](const std::string& path, const std::string& file) {
    if (file.size() <= 4 || file.compare(file.size() - 4, 4, ".ini") != 0) return false;
    if (EqualsNoCase(file, kLanguageTemplateFile)) return false;
    std::error_code typeError;
    return std::filesystem::is_regular_file(path, typeError);  // links are followed
  });
  for (std::string& n : names) n.resize(n.size() - 4);
  std::sort(names.begin(), names.end());
  truncated_ = names.size() > kMaxLanguages;
  if (truncated_) names.resize(kMaxLanguages);
  return names;
}

const LanguageTable* CLanguages::Table(const std::string& language) {
  const std::string path = FileOf(language);
  if (path.empty()) return nullptr;
  struct stat st {};
  Cached& c = cache_[language];
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    c = Cached{};
    return nullptr;
  }
  const bool same = c.present && c.device == static_cast<std::uint64_t>(st.st_dev) &&
                    c.inode == static_cast<std::uint64_t>(st.st_ino) &&
                    c.size == static_cast<std::uint64_t>(st.st_size) && c.mtimeSec == st.st_mtim.tv_sec &&
                    c.mtimeNsec == st.st_mtim.tv_nsec;
  if (same) return &c.table;
  ++fileReads_;
  std::optional<std::vector<std::string>> lines = ReadLanguageLines(path);
  if (!lines) {
    c = Cached{};
    return nullptr;
  }
  c.present = true;
  c.device = static_cast<std::uint64_t>(st.st_dev);
  c.inode = static_cast<std::uint64_t>(st.st_ino);
  c.size = static_cast<std::uint64_t>(st.st_size);
  c.mtimeSec = st.st_mtim.tv_sec;
  c.mtimeNsec = st.st_mtim.tv_nsec;
  c.table = LanguageTable::FromLines(*lines);
  return &c.table;
}

std::string CLanguages::Translate(const std::string& text, const std::string& from, const std::string& to) {
  Source source(*this);
  return TranslateWith(source, text, from, to);
}

std::string CLanguages::TranslateMenuText(const std::string& text) {
  const std::size_t tab = text.find('\t');
  if (tab == std::string::npos) return Translate(text);
  return Translate(text.substr(0, tab)) + text.substr(tab);
}

int CLanguages::NumberOf(const std::string& text, const std::string& language) {
  Source source(*this);
  return FindNumber(source, LanguageSearchText(text), language);
}

void CLanguages::Reload() { cache_.clear(); }

std::optional<std::string> CLanguages::BeginSwitch(const std::string& newName) {
  if (switching_ || newName == target_) return std::nullopt;
  std::string old = target_;
  source_ = old;
  target_ = newName;
  switching_ = true;
  return old;
}

void CLanguages::EndSwitch() {
  source_ = kEnglishLanguage;
  switching_ = false;
}

std::string CLanguages::LanguageMenuText(const std::string& name) {
  std::string shown = Translate(name);
  for (char& c : shown)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return shown + "\t[" + name + "]";
}

// --- free helpers ---

std::string TranslateUncached(const std::string& folder, const std::string& text, const std::string& from,
                              const std::string& to) {
  if (text.empty() || from == to) return text;  // before the folder is even named
  CLanguages files(folder);
  ScanningSource source(files);
  return TranslateWith(source, text, from, to);
}

std::string LanguageOfMenuText(std::string_view text) {
  const std::size_t open = text.find("\t[");
  if (open == std::string_view::npos) return "";
  const std::size_t start = open + 2;
  const std::size_t close = text.rfind(']');
  if (close == std::string_view::npos || close < start) return "";
  return std::string(text.substr(start, close - start));
}

std::string FillPlaceholders(std::string_view text, const std::vector<std::string>& args) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
      const std::size_t n = static_cast<std::size_t>(text[i + 1] - '1');
      if (n < args.size()) {
        out.append(args[n]);
        ++i;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

}  // namespace kestrel
