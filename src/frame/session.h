#pragma once
// The open sites, kept on disk while Kestrel runs so that a crash, a kill or
// a power cut does not lose them: the addresses of the shown sites in tab
// order and which one was active. Hidden sites (blocked popups among them)
// are never part of it. A normal shutdown removes the file; finding it at
// the next start means the last run ended abnormally.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

class CSiteList;

inline constexpr const char* kSessionFile = "session.txt";

struct SessionSites {
  std::vector<std::string> addresses;
  int active = -1;  // index into addresses, -1 for none
  bool operator==(const SessionSites&) const = default;
};

// The shown sites of `sites` with an address worth reopening (not blank).
SessionSites SessionOf(const CSiteList& sites);

std::string FormatSession(const SessionSites& session);
// nullopt when the text is not a session file. An active index out of range
// becomes -1; at most `kMaxSessionSites` addresses are kept.
std::optional<SessionSites> ParseSession(std::string_view text);
inline constexpr std::size_t kMaxSessionSites = 500;

// nullopt when there is no readable session file at `path`.
std::optional<SessionSites> ReadSession(const std::string& path);

// Writes the session when it changed, atomically: the file on disk is
// always a whole session, the last one or the one before.
class CSessionKeeper {
 public:
  explicit CSessionKeeper(std::string path) : path_(std::move(path)) {}
  const std::string& path() const { return path_; }
  // True when `now` was written (it differed from the last written).
  bool Update(const SessionSites& now);
  int writes() const { return writes_; }
  // A normal end: the file goes.
  void End();

 private:
  std::string path_;
  std::optional<SessionSites> written_;
  int writes_ = 0;
};

}  // namespace kestrel
