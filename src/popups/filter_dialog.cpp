#include "popups/filter_dialog.h"

#include <algorithm>

#include "common/message.h"
#include "common/strings.h"

namespace kestrel {
namespace {

bool Before(const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; }

bool IsAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Bytes no host name can hold; a URL parser refuses the address.
bool BadHostByte(char ch) {
  const unsigned char c = static_cast<unsigned char>(ch);
  if (c <= 0x20 || c == 0x7f) return true;
  return std::string_view("<>\"`{}|^[]").find(ch) != std::string_view::npos;
}

// The inside of "[...]": hex digits, colons, dots for an IPv4 tail, and
// a zone after '%'.
bool ValidIpv6(std::string_view inside) {
  if (inside.empty() || inside.find(':') == std::string_view::npos) return false;
  const std::size_t zone = inside.find('%');
  for (char c : inside.substr(0, zone))
    if (!IsHexDigit(c) && c != ':' && c != '.') return false;
  if (zone == std::string_view::npos) return true;
  std::string_view rest = inside.substr(zone + 1);
  if (rest.empty()) return false;
  for (char c : rest)
    if (!IsAsciiAlpha(c) && !IsDigit(c) && std::string_view("-._~%").find(c) == std::string_view::npos) return false;
  return true;
}

}  // namespace

std::set<int> FilterDialogModel::SelectedRows() const {
  if (selection_ < 0) return {};
  return {selection_};
}

void FilterDialogModel::Open(const std::vector<std::string>& list) {
  rows_ = list;
  std::stable_sort(rows_.begin(), rows_.end(), Before);
  edit_.clear();
  selection_ = -1;
  if (!rows_.empty()) Select(0);
}

void FilterDialogModel::Select(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) {
    selection_ = -1;
    return;
  }
  selection_ = row;
  edit_ = rows_[row];
}

bool FilterDialogModel::ValidText(std::string& text) const {
  // The file could not keep surrounding blanks anyway.
  text = Trim(edit_);
  // It would match every address, and an empty line ends a list in
  // filter.dat, so it would not even survive a restart.
  if (text.empty()) return ShowMessage(kFilterEmpty), false;
  if (text.find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos)
    return ShowMessage(kFilterLineBreak), false;
  return true;
}

bool FilterDialogModel::Exists(const std::string& text, int except) const {
  for (int i = 0; i < static_cast<int>(rows_.size()); ++i)
    if (i != except && EqualsNoCase(rows_[i], text)) return true;
  return false;
}

int FilterDialogModel::Insert(std::string text) {
  const auto at = std::upper_bound(rows_.begin(), rows_.end(), text, Before);
  const int row = static_cast<int>(at - rows_.begin());
  rows_.insert(at, std::move(text));
  return row;
}

bool FilterDialogModel::Add() {
  std::string text;
  if (!ValidText(text)) return false;
  if (Exists(text, -1)) return ShowMessage(kFilterExists), false;
  const int row = Insert(std::move(text));
  if (selection_ >= row) ++selection_;  // the selection stays with its row
  edit_.clear();
  return true;
}

bool FilterDialogModel::Remove() {
  if (selection_ < 0) return false;
  rows_.erase(rows_.begin() + selection_);
  const int size = static_cast<int>(rows_.size());
  if (size == 0) {
    selection_ = -1;
    edit_.clear();
  } else {
    Select(std::min(selection_, size - 1));
  }
  return true;
}

bool FilterDialogModel::Change() {
  if (selection_ < 0) return false;
  std::string text;
  if (!ValidText(text)) return false;
  // The selected row itself does not count, so a change of case is allowed.
  if (Exists(text, selection_)) return ShowMessage(kFilterExists), false;
  rows_.erase(rows_.begin() + selection_);
  edit_ = text;
  selection_ = Insert(std::move(text));
  return true;
}

std::string UrlHostName(std::string_view url) {
  if (url.empty() || !IsAsciiAlpha(url[0])) return {};
  std::size_t i = 1;
  while (i < url.size() && (IsAsciiAlpha(url[i]) || IsDigit(url[i]) || url[i] == '+' || url[i] == '-' || url[i] == '.'))
    ++i;
  if (i == url.size() || url[i] != ':') return {};
  std::string_view rest = url.substr(i + 1);
  if (!rest.starts_with("//")) return {};  // mailto:, about:, data: and the like have no host
  rest.remove_prefix(2);
  // Browsers end the authority at a backslash too, so "a.example\@b.example"
  // is the host a.example, not b.example.
  std::string_view authority = rest.substr(0, rest.find_first_of("/?#\\"));
  if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);

  std::string_view host, port;
  if (authority.starts_with('[')) {
    const std::size_t close = authority.find(']');
    if (close == std::string_view::npos) return {};
    host = authority.substr(0, close + 1);
    if (!ValidIpv6(host.substr(1, host.size() - 2))) return {};
    const std::string_view after = authority.substr(close + 1);
    if (!after.empty()) {
      if (after[0] != ':') return {};
      port = after.substr(1);
    }
  } else {
    const std::size_t colon = authority.find(':');
    host = authority.substr(0, colon);
    if (colon != std::string_view::npos) port = authority.substr(colon + 1);
    if (std::any_of(host.begin(), host.end(), BadHostByte)) return {};
  }
  if (host.empty() || !std::all_of(port.begin(), port.end(), IsDigit)) return {};
  return ToLowerAscii(host);
}

bool IsAboutAddress(std::string_view address) { return StartsWithNoCase(address, "about:"); }

std::string SiteFilterEntry(std::string_view address, bool entireDomain) {
  if (IsAboutAddress(address)) return {};
  return entireDomain ? UrlHostName(address) : std::string(address);
}

bool AddSiteToFilter(CSiteFilter& filter, bool black, const std::string& address, const AddToListAsk& ask) {
  // An empty entry would match every address: a site without an address
  // (still loading its first page) has nothing to add.
  if (address.empty() || IsAboutAddress(address) || !ask) return false;
  bool entireDomain = false, closeNow = false;
  if (!ask(black, address, entireDomain, closeNow)) return false;
  std::string entry = SiteFilterEntry(address, entireDomain);
  if (entry.empty()) {
    ShowMessage(kFilterNoHost);
  } else if (black) {
    filter.AppendBlack(std::move(entry));
  } else {
    filter.AppendWhite(std::move(entry));
  }
  return black && closeNow;
}

}  // namespace kestrel
