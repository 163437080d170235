#include "address/search_engines.h"

#include <algorithm>

#include "address/typed_urls.h"
#include "common/message.h"
#include "common/strings.h"
#include "common/textfile.h"
#include "platform/address_fixup.h"

namespace kestrel {

namespace {

constexpr const char* kKey = "$key";

// Bytes no text line of ours can hold: a NUL or another control byte says
// the file is not text.
bool HasControlBytes(std::string_view line) {
  for (unsigned char c : line)
    if ((c < 0x20 && c != '\t') || c == 0x7F) return true;
  return false;
}

// Raw lines, uncut and untrimmed as far as the limit allows: one byte past
// the limit is kept so an over-long line can be told from a full one.
std::vector<std::string> ReadRawLines(const std::string& path, std::size_t maxLine) {
  TextReadOptions options;
  options.maxLineLength = maxLine + 1;
  options.longLines = LongLines::Cut;
  options.trim = false;
  return ReadTextLines(path, options).value_or(std::vector<std::string>{});
}

// The address as the engine's URL parser would read it: tabs and line
// breaks anywhere are dropped, controls and blanks at the ends stripped.
std::string ParsedForm(std::string_view address) {
  std::string s;
  s.reserve(address.size());
  for (char c : address)
    if (c != '\t' && c != '\n' && c != '\r') s.push_back(c);
  auto edge = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  std::size_t b = 0, e = s.size();
  while (b < e && edge(s[b])) ++b;
  while (e > b && edge(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// One stored line for one query: a line break or NUL inside it would split
// it or end it early when read back.
std::string StorableQuery(std::string_view query) {
  std::string s(query);
  for (char& c : s)
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  return CutUtf8(s, QueryHistory::kMaxLine);
}

}  // namespace

// ---------------------------------------------------------------- engines

void CSearchEngines::LoadSearchEngines(const std::string& path) {
  std::vector<std::string> lines = ReadRawLines(path, kMaxLine);
  bool added = false;
  // The first line is the header, whatever it holds.
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string& raw = lines[i];
    if (raw.size() > kMaxLine || HasControlBytes(raw)) continue;
    std::string line = Trim(raw);
    if (line.empty()) continue;
    std::vector<std::string> fields = SplitFields(line, ';');
    // A name alone cannot search anything.
    if (fields.size() < 2) continue;
    SearchEngine e;
    e.name = fields[0];
    e.address = fields[1];
    e.get = fields.size() > 2 && EqualsNoCase(fields[2], "get");
    engines_.push_back(std::move(e));
    added = true;
  }
  if (!engines_.empty()) selected_ = 0;
  if (added) changed.Notify();
}

void CSearchEngines::Select(int index) {
  selected_ = index >= 0 && static_cast<std::size_t>(index) < engines_.size() ? index : -1;
}

const SearchEngine* CSearchEngines::Selected() const {
  return selected_ >= 0 ? &engines_[static_cast<std::size_t>(selected_)] : nullptr;
}

// ---------------------------------------------------------------- history

void QueryHistory::RememberQuery(std::string_view query) {
  std::erase_if(items_, [&](const std::string& s) { return EqualsNoCase(s, query); });
  items_.insert(items_.begin(), std::string(query));
  Changed();
}

void QueryHistory::LoadQueryHistory(const std::string& path) {
  items_.clear();
  for (const std::string& raw : ReadRawLines(path, kMaxLine)) {
    // NUL cannot be typed into the box: such a line is damage, not a query.
    if (raw.find('\0') != std::string::npos) continue;
    // Only the start of an over-long line is kept, as the reader always has;
    // the cut never splits a character.
    items_.push_back(Trim(CutUtf8(raw, kMaxLine)));
  }
  Changed();
}

bool QueryHistory::SaveQueryHistory(const std::string& path) const {
  std::vector<std::string> lines;
  const std::size_t n = std::min(items_.size(), kSaveMax);
  lines.reserve(n);
  for (std::size_t i = 0; i < n; ++i) lines.push_back(StorableQuery(items_[i]));
  return WriteFileAtomic(path, JoinLines(lines, "\n"));
}

void QueryHistory::Clear() {
  items_.clear();
  Changed();
}

// ---------------------------------------------------------------- helpers

std::string ReplaceKey(std::string_view addressTemplate, std::string_view value) {
  std::string out;
  out.reserve(addressTemplate.size() + value.size());
  const std::string_view key = kKey;
  std::size_t pos = 0;
  while (true) {
    std::size_t hit = addressTemplate.find(key, pos);
    if (hit == std::string_view::npos) break;
    out.append(addressTemplate.substr(pos, hit - pos));
    out.append(value);
    pos = hit + key.size();
  }
  out.append(addressTemplate.substr(pos));
  return out;
}

std::string PercentEncode(std::string_view text) {
  static const char* kHex = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3);
  for (unsigned char c : text) {
    bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                c == '.' || c == '_' || c == '~';
    if (keep) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0xF]);
    }
  }
  return out;
}

bool IsScriptAddress(std::string_view address) {
  std::string scheme = UrlScheme(ParsedForm(address));
  return scheme == "javascript" || scheme == "vbscript" || scheme == "data";
}

bool IsWebAddress(std::string_view address) {
  std::string scheme = UrlScheme(ParsedForm(address));
  return scheme == "http" || scheme == "https";
}

bool BuildPostForm(std::string_view action, std::string_view params, std::string& page) {
  // The page holds no data of the query or the engine outside quoted,
  // escaped attribute values, and its script is fixed text.
  std::string out =
      "<html><head><meta charset=\"utf-8\"><title>Sending request...</title></head><body>\n"
      "<script>window.onload=function(){document.forms['ksform'].submit();};</script>\n";
  out += "<form name='ksform' method='POST' action='" + HtmlEscape(action) + "'>\n";
  for (const std::string& field : SplitFields(params, '&')) {
    std::size_t eq = field.find('=');
    if (eq == std::string::npos) return false;
    out += "<input type='hidden' name='" + HtmlEscape(std::string_view(field).substr(0, eq)) + "' value='" +
           HtmlEscape(std::string_view(field).substr(eq + 1)) + "'>\n";
  }
  out += "</form></body></html>";
  page = std::move(out);
  return true;
}

// ---------------------------------------------------------------- searching

SearchRunner::SearchRunner(OpenFn openTypedLines, std::string postFormPath)
    : open_(std::move(openTypedLines)), postFormPath_(std::move(postFormPath)) {}

void SearchRunner::RunSearch(std::string_view addressTemplate, std::string_view query, bool get) const {
  if (get) {
    // The query goes into an address: "c++", "a&b", "50%" or "#1" must reach
    // the engine as those characters, not as URL syntax.
    std::string address = ReplaceKey(addressTemplate, PercentEncode(query));
    if (IsScriptAddress(address)) {
      ShowMessage("Can't search: the engine's address is not a web address.");
      return;
    }
    if (open_) open_(address);
    return;
  }
  // Form fields are encoded by the engine when it submits them: as typed.
  std::string address = ReplaceKey(addressTemplate, query);
  std::size_t q = address.find('?');
  if (q == std::string::npos)
    PostSearch(address, "");
  else
    PostSearch(std::string_view(address).substr(0, q), std::string_view(address).substr(q + 1));
}

bool SearchRunner::PostSearch(std::string_view action, std::string_view params) const {
  // Anything but a web address would run script or post the page to itself
  // (an empty action), over and over.
  if (!IsWebAddress(action)) {
    ShowMessage("Can't search: the engine's address is not a web address.");
    return false;
  }
  std::string page;
  if (!BuildPostForm(ParsedForm(action), params, page)) {
    ShowMessage("Syntax error in query parameters!");
    return false;
  }
  if (!WriteFileAtomic(postFormPath_, page)) {
    ShowMessage("Can't open " + postFormPath_ + "!");
    return false;
  }
  if (open_) open_(postFormPath_);
  return true;
}

void QuickSearch(const CSearchEngines& engines, QueryHistory& history, const SearchRunner& runner,
                 const std::string& query) {
  const SearchEngine* engine = engines.Selected();
  if (!engine) return;
  history.RememberQuery(query);
  runner.RunSearch(engine->address, query, engine->get);
}

}  // namespace kestrel
