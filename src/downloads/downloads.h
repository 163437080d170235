#pragma once
// The downloads of this run: what each one is doing, how fast, how long it
// has left, and the partial file that becomes the final one only when it
// is complete. The engine drives it through DownloadJob; the Downloads
// window and the status bar show it.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/notifier.h"
#include "platform/clock.h"

namespace kestrel {

enum class DownloadState { Running, Paused, Completed, Cancelled, Failed };

// Why a download stopped short of its end.
enum class DownloadFailure { None, Network, Server, DiskFull, Access, Cancelled, Other };

// The engine's side of one download.
class DownloadJob {
 public:
  virtual ~DownloadJob() = default;
  virtual void Pause() = 0;
  virtual void Resume() = 0;
  virtual void Cancel() = 0;
};

struct DownloadItem {
  int id = 0;
  std::string url;
  std::string finalPath;  // where the complete file goes
  std::string partPath;   // what the engine writes until then
  std::int64_t received = 0;
  std::int64_t total = -1;  // -1: the server did not say
  DownloadState state = DownloadState::Running;
  DownloadFailure failure = DownloadFailure::None;
  std::string detail;           // the engine's or the system's words for a failure
  double bytesPerSecond = 0;    // over the last few seconds
  std::string FileName() const;
  std::string Folder() const;
  bool Active() const { return state == DownloadState::Running || state == DownloadState::Paused; }
};

class CDownloads {
 public:
  explicit CDownloads(const Clock& clock) : clock_(clock) {}
  CDownloads(const CDownloads&) = delete;
  CDownloads& operator=(const CDownloads&) = delete;

  // The engine has begun writing `partPath`; returns the download's id.
  int Start(std::unique_ptr<DownloadJob> job, const std::string& url, const std::string& finalPath,
            const std::string& partPath);
  // The engine's side of a running download, now or anew (the engine may
  // restart a broken-off one itself).
  void SetJob(int id, std::unique_ptr<DownloadJob> job);
  void Progress(int id, std::int64_t received, std::int64_t total);
  // All bytes are in: the partial file takes the final name (replacing a
  // file the user chose to overwrite). A failed rename fails the download.
  void Completed(int id);
  // The engine gave up, or the download was cancelled: the partial file goes.
  void Interrupted(int id, DownloadFailure why, const std::string& detail = {});

  // What the user does in the Downloads window.
  void Pause(int id);
  void Resume(int id);
  void Cancel(int id);
  // Drops the finished downloads from the list.
  void ClearFinished();

  const std::vector<DownloadItem>& items() const { return items_; }
  const DownloadItem* Find(int id) const;
  // Running or paused.
  int ActiveCount() const;
  // For the status bar: "" when none is active.
  std::string StatusText() const;

  // "1.5 MB of 3.0 MB", "700 KB", "3.0 MB".
  static std::string SizeText(const DownloadItem& item);
  static std::string BytesText(std::int64_t bytes);
  // "512 KB/s"; "" when nothing moves.
  static std::string SpeedText(double bytesPerSecond);
  // "5 s left", "2 min 5 s left", "1 h 3 min left"; "" when it cannot be known.
  static std::string TimeLeftText(const DownloadItem& item);
  // The line under a download's name: size, speed and time left while it
  // runs, else what became of it.
  static std::string StateText(const DownloadItem& item);
  static std::string FailureText(DownloadFailure why);

  // Told the id of a download added or changed; 0 when the list was cleared.
  Notifier<int> changed;

 private:
  struct Entry {
    std::unique_ptr<DownloadJob> job;
    std::deque<std::pair<std::int64_t, std::int64_t>> samples;  // (ms, bytes)
  };
  DownloadItem* Item(int id);
  void Changed(const DownloadItem& item);
  void Finish(DownloadItem& item, DownloadState state, DownloadFailure why, const std::string& detail);

  const Clock& clock_;
  std::vector<DownloadItem> items_;
  std::vector<std::pair<int, Entry>> entries_;
  int nextId_ = 1;
};

}  // namespace kestrel
