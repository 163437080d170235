#include "frame/session.h"

#include <cstdio>

#include "common/strings.h"
#include "common/textfile.h"
#include "frame/site_list.h"
#include "site/kestrel_view.h"

namespace kestrel {
namespace {

constexpr std::string_view kHeader = "Kestrel session";
constexpr std::string_view kActive = "active=";
// Far past any address a site shows; a longer line is no address of ours.
constexpr std::size_t kMaxLine = 1 << 20;

}  // namespace

SessionSites SessionOf(const CSiteList& sites) {
  SessionSites s;
  for (CKestrelView* v : sites.tabs()) {
    const std::string url = v->GetLocationURL();
    if (url.empty() || url == "about:blank") continue;
    if (v == sites.active()) s.active = static_cast<int>(s.addresses.size());
    s.addresses.push_back(url);
  }
  return s;
}

std::string FormatSession(const SessionSites& session) {
  std::string text(kHeader);
  text += "\n";
  text += std::string(kActive) + std::to_string(session.active) + "\n";
  for (const std::string& a : session.addresses) {
    // An address holding a line break would split into two: never written.
    if (a.find_first_of("\r\n") == std::string::npos) text += a + "\n";
  }
  return text;
}

std::optional<SessionSites> ParseSession(std::string_view text) {
  const std::vector<std::string> lines = SplitTextLines(text, {kMaxLine, LongLines::Cut, true});
  if (lines.size() < 2 || lines[0] != kHeader || !lines[1].starts_with(kActive)) return std::nullopt;
  SessionSites s;
  for (std::size_t i = 2; i < lines.size() && s.addresses.size() < kMaxSessionSites; ++i) {
    if (!lines[i].empty()) s.addresses.push_back(lines[i]);
  }
  const std::string number = lines[1].substr(kActive.size());
  int active = -1;
  if (!number.empty() && number.size() <= 4 && number.find_first_not_of("0123456789") == std::string::npos)
    active = std::stoi(number);
  s.active = active < static_cast<int>(s.addresses.size()) ? active : -1;
  return s;
}

std::optional<SessionSites> ReadSession(const std::string& path) {
  const auto text = ReadWholeFile(path, kMaxSessionSites * 8192 + 64);
  return text ? ParseSession(*text) : std::nullopt;
}

bool CSessionKeeper::Update(const SessionSites& now) {
  if (written_ && *written_ == now) return false;
  if (!WriteFileAtomic(path_, FormatSession(now))) return false;  // tried again at the next tick
  written_ = now;
  ++writes_;
  return true;
}

void CSessionKeeper::End() {
  std::remove(path_.c_str());
  written_.reset();
}

}  // namespace kestrel
