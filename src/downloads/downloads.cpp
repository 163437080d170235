#include "downloads/downloads.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace kestrel {
namespace {

// The speed is taken over this much of the recent past.
constexpr std::int64_t kSpeedWindowMs = 3000;

std::string OneDecimal(double v, const char* unit) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f %s", v, unit);
  return buf;
}

void RemoveQuietly(const std::string& path) {
  if (path.empty()) return;
  std::error_code ec;
  std::filesystem::remove(path, ec);
}

}  // namespace

std::string DownloadItem::FileName() const { return std::filesystem::path(finalPath).filename().string(); }
std::string DownloadItem::Folder() const { return std::filesystem::path(finalPath).parent_path().string(); }

int CDownloads::Start(std::unique_ptr<DownloadJob> job, const std::string& url, const std::string& finalPath,
                      const std::string& partPath) {
  DownloadItem item;
  item.id = nextId_++;
  item.url = url;
  item.finalPath = finalPath;
  item.partPath = partPath;
  items_.push_back(item);
  Entry e;
  e.job = std::move(job);
  e.samples.emplace_back(clock_.NowMs(), 0);
  entries_.emplace_back(item.id, std::move(e));
  changed.Notify(item.id);
  return item.id;
}

DownloadItem* CDownloads::Item(int id) {
  auto it = std::find_if(items_.begin(), items_.end(), [id](const DownloadItem& d) { return d.id == id; });
  return it == items_.end() ? nullptr : &*it;
}

const DownloadItem* CDownloads::Find(int id) const { return const_cast<CDownloads*>(this)->Item(id); }

void CDownloads::Changed(const DownloadItem& item) { changed.Notify(item.id); }

void CDownloads::SetJob(int id, std::unique_ptr<DownloadJob> job) {
  for (auto& [eid, e] : entries_)
    if (eid == id) e.job = std::move(job);
}

void CDownloads::Progress(int id, std::int64_t received, std::int64_t total) {
  DownloadItem* d = Item(id);
  if (!d || !d->Active()) return;
  d->received = std::max<std::int64_t>(0, received);
  d->total = total > 0 ? total : -1;
  auto e = std::find_if(entries_.begin(), entries_.end(), [id](const auto& p) { return p.first == id; });
  if (e != entries_.end()) {
    auto& s = e->second.samples;
    const std::int64_t now = clock_.NowMs();
    s.emplace_back(now, d->received);
    while (s.size() > 2 && now - s[1].first >= kSpeedWindowMs) s.pop_front();
    const std::int64_t ms = s.back().first - s.front().first;
    d->bytesPerSecond = ms > 0 ? std::max(0.0, static_cast<double>(s.back().second - s.front().second) * 1000.0 / ms) : 0;
  }
  Changed(*d);
}

void CDownloads::Finish(DownloadItem& item, DownloadState state, DownloadFailure why, const std::string& detail) {
  item.state = state;
  item.failure = why;
  item.detail = detail;
  item.bytesPerSecond = 0;
  // The engine is done with it; a late signal must find no job to act on.
  std::erase_if(entries_, [&](const auto& p) { return p.first == item.id; });
  Changed(item);
}

void CDownloads::Completed(int id) {
  DownloadItem* d = Item(id);
  if (!d || !d->Active()) return;
  if (d->partPath != d->finalPath) {
    std::error_code ec;
    std::filesystem::rename(d->partPath, d->finalPath, ec);
    if (ec) {
      RemoveQuietly(d->partPath);
      Finish(*d, DownloadState::Failed, DownloadFailure::Access, ec.message());
      return;
    }
  }
  if (d->total < 0) d->total = d->received;
  d->received = std::max(d->received, d->total);
  Finish(*d, DownloadState::Completed, DownloadFailure::None, {});
}

void CDownloads::Interrupted(int id, DownloadFailure why, const std::string& detail) {
  DownloadItem* d = Item(id);
  if (!d || !d->Active()) return;
  // Never a half file under either name: the final one was never written.
  RemoveQuietly(d->partPath);
  if (why == DownloadFailure::Cancelled)
    Finish(*d, DownloadState::Cancelled, why, detail);
  else
    Finish(*d, DownloadState::Failed, why == DownloadFailure::None ? DownloadFailure::Other : why, detail);
}

void CDownloads::Pause(int id) {
  DownloadItem* d = Item(id);
  if (!d || d->state != DownloadState::Running) return;
  for (auto& [eid, e] : entries_)
    if (eid == id && e.job) e.job->Pause();
  d->state = DownloadState::Paused;
  d->bytesPerSecond = 0;
  Changed(*d);
}

void CDownloads::Resume(int id) {
  DownloadItem* d = Item(id);
  if (!d || d->state != DownloadState::Paused) return;
  for (auto& [eid, e] : entries_)
    if (eid == id && e.job) {
      e.job->Resume();
      // The pause is no part of the speed.
      e.samples.assign(1, {clock_.NowMs(), d->received});
    }
  d->state = DownloadState::Running;
  Changed(*d);
}

void CDownloads::Cancel(int id) {
  DownloadItem* d = Item(id);
  if (!d || !d->Active()) return;
  for (auto& [eid, e] : entries_)
    if (eid == id && e.job) e.job->Cancel();
  // The engine may report the cancel itself, or not at all once it is done.
  Interrupted(id, DownloadFailure::Cancelled);
}

void CDownloads::ClearFinished() {
  std::erase_if(items_, [](const DownloadItem& d) { return !d.Active(); });
  changed.Notify(0);
}

int CDownloads::ActiveCount() const {
  return static_cast<int>(std::count_if(items_.begin(), items_.end(), [](const DownloadItem& d) { return d.Active(); }));
}

std::string CDownloads::StatusText() const {
  const int n = ActiveCount();
  if (n == 0) return {};
  return n == 1 ? "1 download" : std::to_string(n) + " downloads";
}

std::string CDownloads::BytesText(std::int64_t bytes) {
  if (bytes < 0) bytes = 0;
  if (bytes < 1024) return std::to_string(bytes) + " bytes";
  if (bytes < 1024 * 1024) return std::to_string((bytes + 512) / 1024) + " KB";
  if (bytes < 1024LL * 1024 * 1024) return OneDecimal(bytes / (1024.0 * 1024), "MB");
  return OneDecimal(bytes / (1024.0 * 1024 * 1024), "GB");
}

std::string CDownloads::SizeText(const DownloadItem& item) {
  if (item.state == DownloadState::Completed || item.total < 0) return BytesText(item.received);
  return BytesText(item.received) + " of " + BytesText(item.total);
}

std::string CDownloads::SpeedText(double bytesPerSecond) {
  if (!(bytesPerSecond >= 1)) return {};
  return BytesText(static_cast<std::int64_t>(bytesPerSecond)) + "/s";
}

std::string CDownloads::TimeLeftText(const DownloadItem& item) {
  if (item.state != DownloadState::Running || item.total < 0 || !(item.bytesPerSecond >= 1)) return {};
  const double left = static_cast<double>(std::max<std::int64_t>(0, item.total - item.received));
  const auto s = static_cast<std::int64_t>(std::ceil(left / item.bytesPerSecond));
  if (s < 60) return std::to_string(s) + " s left";
  if (s < 3600) return std::to_string(s / 60) + " min " + std::to_string(s % 60) + " s left";
  if (s < 100 * 3600) return std::to_string(s / 3600) + " h " + std::to_string(s % 3600 / 60) + " min left";
  return {};  // days away: no honest figure
}

std::string CDownloads::FailureText(DownloadFailure why) {
  switch (why) {
    case DownloadFailure::None: return {};
    case DownloadFailure::Network: return "Failed: the network connection broke off";
    case DownloadFailure::Server: return "Failed: the server refused or ended the file";
    case DownloadFailure::DiskFull: return "Failed: the disk is full";
    case DownloadFailure::Access: return "Failed: the file could not be written";
    case DownloadFailure::Cancelled: return "Cancelled";
    case DownloadFailure::Other: break;
  }
  return "Failed";
}

std::string CDownloads::StateText(const DownloadItem& item) {
  switch (item.state) {
    case DownloadState::Running: {
      std::string t = SizeText(item);
      for (const std::string& part : {SpeedText(item.bytesPerSecond), TimeLeftText(item)})
        if (!part.empty()) t += " \u2014 " + part;
      return t;
    }
    case DownloadState::Paused: return SizeText(item) + " \u2014 Paused";
    case DownloadState::Completed: return SizeText(item) + " \u2014 Done";
    case DownloadState::Cancelled: return "Cancelled";
    case DownloadState::Failed: break;
  }
  std::string t = FailureText(item.failure);
  if (!item.detail.empty()) t += " (" + item.detail + ")";
  return t;
}

}  // namespace kestrel
