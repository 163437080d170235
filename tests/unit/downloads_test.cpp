// Downloads: the names a server suggests made safe, where a file goes, and
// what becomes of the partial and final files as a download runs, stops
// or fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "downloads/download_names.h"
#include "downloads/downloads.h"
#include "support/fake_site.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

bool ValidUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

TEST(DownloadNames, WhatAServerSuggestsBecomesOneSafeName) {
  const std::pair<std::string, std::string> cases[] = {
      {"report.pdf", "report.pdf"}, {"../../etc/passwd", "passwd"}, {"C:\\Users\\x\\evil.bat", "evil.bat"},
      {"dir/", "download"}, {"..", "download"}, {"", "download"}, {" . .hidden.txt. ", "hidden.txt"},
      {"na\x01me\x7f\n\t.txt", "name.txt"}, {std::string("a\0b.txt", 7), "ab.txt"}, {"ok\xff\xfe.bin", "ok__.bin"},
      {"\xc0\xaf.txt", "__.txt"},  // an overlong slash stays no slash
      {"Gr\xc3\xbc\xc3\x9f" "e.txt", "Gr\xc3\xbc\xc3\x9f" "e.txt"},
      {"invoice\xe2\x80\xaegpj.exe", "invoicegpj.exe"},  // right-to-left override
      {"\xe2\x80\xad\xe2\x80\xac", "download"}};
  for (const auto& [suggested, name] : cases) EXPECT_EQ(SafeFileName(suggested), name) << suggested;
  // Long names are cut on a character, keeping a short extension.
  const std::string plain = SafeFileName(std::string(1000, 'a') + ".tar");
  EXPECT_EQ(plain.size(), kMaxDownloadNameBytes);
  EXPECT_EQ(plain.substr(plain.size() - 4), ".tar");
  std::string wide;
  for (int i = 0; i < 500; ++i) wide += "\xc3\xa9";
  const std::string cut = SafeFileName("x" + wide + ".verylongextensionpart");
  EXPECT_LE(cut.size(), kMaxDownloadNameBytes);
  EXPECT_GE(cut.size(), kMaxDownloadNameBytes - 1);
  EXPECT_TRUE(ValidUtf8(cut));
  EXPECT_TRUE(ValidUtf8(SafeFileName(wide + "\xc3")));
}

TEST(DownloadNames, NothingOnDiskIsProposedOrOverwrittenUnasked) {
  test::TempDir dir;
  dir.write("report.pdf", "old");
  dir.write("report (1).pdf.part", "half");  // another download's partial file
  dir.write("notes", "x");
  fs::create_directories(dir.file("v1.2"));
  EXPECT_EQ(ProposedSavePath(dir.path(), "new.pdf"), dir.file("new.pdf"));
  EXPECT_EQ(ProposedSavePath(dir.path() + "/", "report.pdf"), dir.file("report (2).pdf"));
  EXPECT_EQ(ProposedSavePath(dir.path(), "../notes"), dir.file("notes (1)"));
  EXPECT_EQ(ProposedSavePath(dir.path(), "v1.2"), dir.file("v1 (1).2"));
  EXPECT_EQ(UniqueFileName(dir.file("v1.2/README"), [](const std::string& p) { return !p.ends_with("(2)"); }),
            dir.file("v1.2/README (2)"));

  // The partial name is the user's choice plus ".part", never one in use.
  const SavePaths p = PartialPathsFor(dir.file("report.pdf"));
  EXPECT_EQ(p.finalPath, dir.file("report.pdf"));
  EXPECT_EQ(p.partPath, dir.file("report.pdf.part"));
  dir.write("report.pdf.part", "someone's");
  EXPECT_EQ(PartialPathsFor(dir.file("report.pdf")).partPath, dir.file("report.pdf (1).part"));

  // Whether the file can be made at all, before the engine starts; the probe leaves nothing.
  EXPECT_EQ(ProbeWritable(dir.file("fresh.part")), "");
  EXPECT_FALSE(fs::exists(dir.file("fresh.part")));
  for (const std::string& bad : {dir.file("missing/a.part"), dir.file("notes/a.part"), dir.file("report.pdf"),
                                 std::string("/proc/kestrel.part")})
    EXPECT_NE(ProbeWritable(bad), "") << bad;
  EXPECT_EQ(dir.read("report.pdf"), "old");
}

struct Downloads {
  test::TempDir dir;
  test::FakeClock clock;
  CDownloads list{clock};
  std::vector<std::string> calls;
  std::vector<int> told;
  Notifier<int>::Subscription sub = list.changed.Subscribe([this](int id) { told.push_back(id); });
  // A download of `name` whose engine has written `bytes` to the partial file.
  int Start(const std::string& name, const std::string& bytes = "") {
    const SavePaths p = PartialPathsFor(dir.file(name));
    dir.write(fs::path(p.partPath).filename().string(), bytes);
    return list.Start(std::make_unique<test::FakeJob>(&calls), "http://h/" + name, p.finalPath, p.partPath);
  }
  const DownloadItem& At(int id) { return *list.Find(id); }
};

TEST(Downloads, OnlyAWholeFileGetsTheFinalName) {
  Downloads d;
  const int done = d.Start("a.bin", "all of it");
  EXPECT_EQ(d.list.StatusText(), "1 download");
  d.list.Progress(done, 9, 9);
  EXPECT_FALSE(fs::exists(d.dir.file("a.bin")));
  d.list.Completed(done);
  EXPECT_EQ(d.dir.read("a.bin"), "all of it");
  EXPECT_FALSE(fs::exists(d.dir.file("a.bin.part")));
  EXPECT_EQ(CDownloads::StateText(d.At(done)), "9 bytes \u2014 Done");

  // Failures of every kind, and a cancel: no file under either name, and a reason.
  const struct { const char* name; DownloadFailure why; const char* detail; std::string text; DownloadState state; } failures[] = {
      {"net.bin", DownloadFailure::Network, "Network disconnected", "Failed: the network connection broke off (Network disconnected)", DownloadState::Failed},
      {"full.bin", DownloadFailure::DiskFull, "", "Failed: the disk is full", DownloadState::Failed},
      {"srv.bin", DownloadFailure::Server, "", "Failed: the server refused or ended the file", DownloadState::Failed},
      {"what.bin", DownloadFailure::None, "", "Failed", DownloadState::Failed},
      {"stop.bin", DownloadFailure::Cancelled, "", "Cancelled", DownloadState::Cancelled}};
  for (const auto& f : failures) {
    SCOPED_TRACE(f.name);
    const int id = d.Start(f.name, "half");
    d.list.Progress(id, 4, 10);
    d.list.Interrupted(id, f.why, f.detail);
    EXPECT_FALSE(fs::exists(d.dir.file(f.name)));
    EXPECT_FALSE(fs::exists(d.dir.file(std::string(f.name) + ".part")));
    EXPECT_EQ(d.At(id).state, f.state);
    EXPECT_EQ(CDownloads::StateText(d.At(id)), f.text);
  }
  // The final name cannot be taken (its folder went): failed, the partial file gone.
  d.dir.write("sub.keep", "");
  fs::create_directories(d.dir.file("sub"));
  const int moved = d.Start("sub/x.bin", "data");
  fs::remove_all(d.dir.file("sub"));
  d.list.Completed(moved);
  EXPECT_EQ(d.At(moved).state, DownloadState::Failed);
  EXPECT_EQ(d.At(moved).failure, DownloadFailure::Access);
  // Late news of a finished download changes nothing.
  const std::size_t told = d.told.size();
  d.list.Progress(done, 1, 2);
  d.list.Interrupted(done, DownloadFailure::Network);
  d.list.Completed(moved);
  d.list.Cancel(done);
  EXPECT_EQ(d.told.size(), told);
  EXPECT_EQ(d.dir.read("a.bin"), "all of it");
  EXPECT_EQ(d.list.ActiveCount(), 0);
  EXPECT_EQ(d.list.StatusText(), "");
  EXPECT_TRUE(d.calls.empty());  // the engine reported each end itself
}

TEST(Downloads, PauseResumeCancelSpeedAndTheList) {
  Downloads d;
  const int a = d.Start("a.iso"), b = d.Start("b.iso"), c = d.Start("c.iso", "x");
  EXPECT_EQ(d.list.StatusText(), "3 downloads");
  // 1 MiB a second for two seconds; 2 MiB of 6 left.
  const std::int64_t mb = 1024 * 1024;
  for (int s = 0; s <= 2; ++s) {
    d.list.Progress(a, s * mb, 6 * mb);
    d.clock.ms += 1000;
  }
  EXPECT_NEAR(d.At(a).bytesPerSecond, 1024.0 * 1024, 1);
  EXPECT_EQ(CDownloads::StateText(d.At(a)), "2.0 MB of 6.0 MB \u2014 1.0 MB/s \u2014 4 s left");
  // Only the last few seconds count: a stall shows at once.
  d.clock.ms += 5000;
  d.list.Progress(a, 2 * mb + 10240, 6 * mb);
  EXPECT_LT(d.At(a).bytesPerSecond, 20000);
  // Paused: the engine is told once, no speed, no time left; resumed, the pause is no part of the speed.
  d.list.Pause(a);
  d.list.Pause(a);
  EXPECT_EQ(CDownloads::StateText(d.At(a)), "2.0 MB of 6.0 MB \u2014 Paused");
  d.clock.ms += 60000;
  d.list.Resume(a);
  d.list.Resume(a);
  d.clock.ms += 1000;
  d.list.Progress(a, 3 * mb + 10240, 6 * mb);
  EXPECT_NEAR(d.At(a).bytesPerSecond, 1024.0 * 1024, 1);
  EXPECT_EQ(d.calls, (std::vector<std::string>{"pause", "resume"}));
  // Cancel tells the engine and removes the partial file at once.
  d.list.Cancel(c);
  EXPECT_EQ(d.calls.back(), "cancel");
  EXPECT_FALSE(fs::exists(d.dir.file("c.iso.part")));
  d.list.Interrupted(c, DownloadFailure::Cancelled);  // the engine's own word, later
  EXPECT_EQ(d.At(c).state, DownloadState::Cancelled);
  // Clearing keeps what still runs; the list is told with 0.
  d.list.Completed(b);
  d.list.ClearFinished();
  EXPECT_EQ(d.told.back(), 0);
  ASSERT_EQ(d.list.items().size(), 1u);
  EXPECT_EQ(d.list.items()[0].id, a);
  EXPECT_EQ(d.list.StatusText(), "1 download");
}

TEST(Downloads, SizesSpeedsAndTimesReadAsPeopleWriteThem) {
  const struct { std::int64_t bytes; const char* text; } sizes[] = {
      {-5, "0 bytes"}, {0, "0 bytes"}, {1023, "1023 bytes"}, {1024, "1 KB"}, {1024 * 1023 + 600, "1024 KB"},
      {1024 * 1024, "1.0 MB"}, {1536LL * 1024 * 1024, "1.5 GB"}};
  for (const auto& s : sizes) EXPECT_EQ(CDownloads::BytesText(s.bytes), s.text) << s.bytes;
  EXPECT_EQ(CDownloads::SpeedText(0.5), "");
  EXPECT_EQ(CDownloads::SpeedText(2048), "2 KB/s");
  const struct { std::int64_t total, received; double speed; DownloadState state; const char* left; } times[] = {
      {1000, 0, 100, DownloadState::Running, "10 s left"},     {1000, 999, 100, DownloadState::Running, "1 s left"},
      {1000, 1000, 100, DownloadState::Running, "0 s left"},   {6000, 0, 100, DownloadState::Running, "1 min 0 s left"},
      {12500, 0, 100, DownloadState::Running, "2 min 5 s left"}, {378000, 0, 100, DownloadState::Running, "1 h 3 min left"},
      {1LL << 40, 0, 1, DownloadState::Running, ""},  // years away
      {-1, 0, 100, DownloadState::Running, ""},       // no size given
      {1000, 0, 0, DownloadState::Running, ""},       // nothing moves
      {1000, 0, 100, DownloadState::Paused, ""}};
  for (const auto& t : times) {
    DownloadItem item;
    std::tie(item.total, item.received, item.bytesPerSecond, item.state) = std::tie(t.total, t.received, t.speed, t.state);
    EXPECT_EQ(CDownloads::TimeLeftText(item), t.left) << t.total << " " << t.speed;
  }
}

}  // namespace
}  // namespace kestrel
