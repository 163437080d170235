#pragma once
// The URL history: every page the user's sites have shown, by address, with
// its title and the last time it was visited.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kestrel {

struct HistoryEntry {
  std::string url, title;
  std::int64_t time = 0;  // calendar seconds of the last visit
};

class HistoryStore {
 public:
  virtual ~HistoryStore() = default;
  // A visit; false when it could not be kept (the reason is in lastError).
  virtual bool AddVisit(const std::string& url, const std::string& title, std::int64_t time) = 0;
  // The `limit` addresses visited last, newest first.
  virtual std::vector<HistoryEntry> Recent(std::size_t limit) const = 0;
  // Addresses that start with `typed`, or with it after "http://",
  // "https://" or "http://www.", most visited first.
  virtual std::vector<std::string> Complete(const std::string& typed, std::size_t limit) const = 0;
  virtual bool Clear() = 0;
  virtual std::string lastError() const = 0;
};

// On SQLite, in one file with its write-ahead log. A file that is no
// database (or a damaged one) is kept aside as "<path>.bad" and a new one
// started; when none can be had at all, the store keeps nothing and says so.
std::unique_ptr<HistoryStore> OpenSqliteHistory(const std::string& path);

}  // namespace kestrel
