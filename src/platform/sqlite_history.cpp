#include <sqlite3.h>

#include <cstdio>

#include "common/trace.h"
#include "platform/history_store.h"

namespace kestrel {

namespace {

class SqliteHistory : public HistoryStore {
 public:
  explicit SqliteHistory(std::string path) : path_(std::move(path)) {
    if (Open()) return;
    const bool damaged = Damaged();
    Close();
    if (!damaged) return;
    // Not a database, or a broken one: keep it aside and begin anew.
    std::rename(path_.c_str(), (path_ + ".bad").c_str());
    std::remove((path_ + "-wal").c_str());
    std::remove((path_ + "-shm").c_str());
    if (Open())
      error_.clear();
    else
      Close();
  }
  ~SqliteHistory() override { Close(); }

  bool AddVisit(const std::string& url, const std::string& title, std::int64_t time) override {
    if (!db_) return Fail("no history database");
    sqlite3_stmt* s = add_;
    sqlite3_reset(s);
    sqlite3_bind_text(s, 1, url.data(), static_cast<int>(url.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(s, 2, title.data(), static_cast<int>(title.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int64(s, 3, time);
    const int rc = sqlite3_step(s);
    sqlite3_reset(s);
    return rc == SQLITE_DONE || Fail(sqlite3_errmsg(db_));
  }

  std::vector<HistoryEntry> Recent(std::size_t limit) const override {
    std::vector<HistoryEntry> out;
    if (!db_) return out;
    sqlite3_stmt* s = recent_;
    sqlite3_reset(s);
    sqlite3_bind_int64(s, 1, static_cast<sqlite3_int64>(limit));
    while (sqlite3_step(s) == SQLITE_ROW) out.push_back({Text(s, 0), Text(s, 1), sqlite3_column_int64(s, 2)});
    sqlite3_reset(s);
    return out;
  }

  std::vector<std::string> Complete(const std::string& typed, std::size_t limit) const override {
    std::vector<std::string> out;
    if (!db_ || typed.empty()) return out;
    sqlite3_stmt* s = complete_;
    sqlite3_reset(s);
    // Ranges of the address index: "prefix" <= url < "prefix" + U+10FFFF's bytes.
    const std::string prefixes[] = {typed, "http://" + typed, "https://" + typed, "http://www." + typed};
    for (int i = 0; i < 4; ++i) {
      const std::string end = prefixes[i] + "\xF4\x8F\xBF\xBF";
      sqlite3_bind_text(s, 2 * i + 1, prefixes[i].data(), static_cast<int>(prefixes[i].size()), SQLITE_TRANSIENT);
      sqlite3_bind_text(s, 2 * i + 2, end.data(), static_cast<int>(end.size()), SQLITE_TRANSIENT);
    }
    sqlite3_bind_int64(s, 9, static_cast<sqlite3_int64>(limit));
    while (sqlite3_step(s) == SQLITE_ROW) out.push_back(Text(s, 0));
    sqlite3_reset(s);
    return out;
  }

  bool Clear() override {
    if (!db_) return Fail("no history database");
    return Exec("DELETE FROM visits") || Fail(sqlite3_errmsg(db_));
  }

  std::string lastError() const override { return error_; }

 private:
  static std::string Text(sqlite3_stmt* s, int column) {
    const unsigned char* t = sqlite3_column_text(s, column);
    return t ? std::string(reinterpret_cast<const char*>(t), static_cast<std::size_t>(sqlite3_column_bytes(s, column)))
             : std::string();
  }

  bool Open() {
    openCode_ = sqlite3_open_v2(path_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (openCode_ != SQLITE_OK) return Fail(db_ ? sqlite3_errmsg(db_) : "cannot open");
    sqlite3_busy_timeout(db_, 2000);
    // One writer, the program itself; the log keeps a crash from losing what was written.
    if (!Exec("PRAGMA journal_mode=WAL") || !Exec("PRAGMA synchronous=NORMAL") ||
        !Exec("CREATE TABLE IF NOT EXISTS visits (url TEXT PRIMARY KEY NOT NULL, title TEXT NOT NULL, "
              "last_visit INTEGER NOT NULL, visits INTEGER NOT NULL DEFAULT 1) WITHOUT ROWID") ||
        !Exec("CREATE INDEX IF NOT EXISTS visits_by_time ON visits(last_visit)"))
      return Fail(sqlite3_errmsg(db_));
    const bool prepared =
        Prepare("INSERT INTO visits (url, title, last_visit) VALUES (?1, ?2, ?3) ON CONFLICT(url) DO UPDATE SET "
                "title = CASE WHEN excluded.title = '' THEN title ELSE excluded.title END, "
                "last_visit = MAX(last_visit, excluded.last_visit), visits = visits + 1",
                &add_) &&
        Prepare("SELECT url, title, last_visit FROM visits ORDER BY last_visit DESC LIMIT ?1", &recent_) &&
        Prepare("SELECT url FROM visits WHERE (url >= ?1 AND url < ?2) OR (url >= ?3 AND url < ?4) OR "
                "(url >= ?5 AND url < ?6) OR (url >= ?7 AND url < ?8) ORDER BY visits DESC, last_visit DESC "
                "LIMIT ?9",
                &complete_);
    return prepared || Fail(sqlite3_errmsg(db_));
  }

  bool Damaged() const {
    const int code = openCode_ != SQLITE_OK ? openCode_ : (db_ ? sqlite3_errcode(db_) : SQLITE_OK);
    return code == SQLITE_NOTADB || code == SQLITE_CORRUPT;
  }

  void Close() {
    for (sqlite3_stmt** s : {&add_, &recent_, &complete_}) {
      sqlite3_finalize(*s);
      *s = nullptr;
    }
    if (db_) sqlite3_close(db_);
    db_ = nullptr;
  }

  bool Exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }
  bool Prepare(const char* sql, sqlite3_stmt** s) { return sqlite3_prepare_v2(db_, sql, -1, s, nullptr) == SQLITE_OK; }
  bool Fail(const std::string& why) {
    if (error_.empty()) Trace("history-failed", path_ + ": " + why);
    error_ = why;
    return false;
  }

  std::string path_;
  sqlite3* db_ = nullptr;
  sqlite3_stmt *add_ = nullptr, *recent_ = nullptr, *complete_ = nullptr;
  int openCode_ = SQLITE_OK;
  std::string error_;
};

}  // namespace

std::unique_ptr<HistoryStore> OpenSqliteHistory(const std::string& path) {
  return std::make_unique<SqliteHistory>(path);
}

}  // namespace kestrel
