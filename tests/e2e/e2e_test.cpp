// The real kestrel binary, offscreen, over a temporary profile, program
// folder and home: start-up, shutdown paths, and the single-instance hand-off.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <filesystem>
#include <thread>

#include "frame/session.h"
#include "frame/toolbars.h"
#include "platform/profile.h"
#include "platform/profile_file.h"
#include "settings/store.h"
#include "support/fakes.h"
#include "support/http_server.h"
#include "support/process.h"
#include "support/settings_samples.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using namespace std::chrono_literals;
using test::LocalHttpServer;
using test::Process;
using test::TempDir;

class KestrelRun : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::copy(KESTREL_DATA_DIR, dir.file("prog"), std::filesystem::copy_options::recursive);
    std::filesystem::create_directories(dir.file("home"));
    std::filesystem::create_directories(dir.file("run"));
    chmod(dir.file("run").c_str(), 0700);
    profilePath = dir.file("home/profile.reg");
  }

  std::map<std::string, std::string> Env() const {
    return {{"QT_QPA_PLATFORM", "offscreen"},
            {"KESTREL_TRACE", "1"},
            {"KESTREL_AUTO_DIALOGS", "1"},
            {"KESTREL_PROFILE", profilePath},
            {"KESTREL_PROGRAM_DIR", dir.file("prog")},
            {"HOME", dir.file("home")},
            {"XDG_CONFIG_HOME", dir.file("home/.config")},
            {"XDG_DATA_HOME", dir.file("home/.local/share")},
            {"XDG_CACHE_HOME", dir.file("home/.cache")},
            {"XDG_RUNTIME_DIR", dir.file("run")}};
  }

  std::unique_ptr<Process> Start(std::vector<std::string> args = {}) {
    return std::make_unique<Process>(KESTREL_BINARY, args, Env());
  }

  // Starts, waits until the frame is up, and returns the running program.
  std::unique_ptr<Process> StartReady(std::vector<std::string> args = {}) {
    auto p = Start(std::move(args));
    EXPECT_TRUE(p->WaitForLine("kestrel-trace: ready", 90s)) << p->Output();
    return p;
  }

  RegistryProfile ReadProfile() const {
    RegistryProfile p;
    ProfileFile(profilePath).Load(p);
    return p;
  }

  // A profile past its first run, so no first-run dialogs get in the way.
  void WriteProfile(const Settings& s) const {
    RegistryProfile p;
    Settings copy = s;
    SettingsLists none;
    SettingsStore(p, copy).SaveSettings(none, nullptr);
    ASSERT_TRUE(ProfileFile(profilePath).Save(p));
  }

  static Settings Quiet() {
    Settings s;
    s.ChkDefBrowser = false;
    s.RunCount = 3;
    return s;
  }

  // Serves each of `titles` at "/<title>" as a page titled so.
  static void Serve(LocalHttpServer& http, std::initializer_list<const char*> titles) {
    for (const char* t : titles)
      http.Page(std::string("/") + t, std::string("<html><head><title>") + t + "</title></head></html>");
    http.Start();
  }

  // Ends `k` by `signal` as the desktop would, and expects a clean exit.
  static void Stop(Process& k, int signal = SIGTERM) {
    k.Signal(signal);
    EXPECT_EQ(k.Wait(60s), 0) << k.Output();
  }

  TempDir dir;
  std::string profilePath;
};

TEST_F(KestrelRun, FirstStartShowsItsDialogsOpensTheGivenPagesSideBySideAndSavesOnSigterm) {
  LocalHttpServer http;
  Serve(http, {"one", "two", "three"});
  // Lines of one argument are separate addresses, as typed into the Address Bar.
  auto k = StartReady({http.Url("/one") + "\n" + http.Url("/two") + "\n" + http.Url("/three")});
  for (const char* n : {"one", "two", "three"}) {
    EXPECT_TRUE(k->WaitForLine(std::string("kestrel-trace: title ") + n, 60s)) << k->Output();
    EXPECT_TRUE(k->WaitForLine("kestrel-trace: load-finished " + http.Url(std::string("/") + n), 60s));
  }
  for (const char* d : {"Default Browser", "Newsletter", "Configuration Wizard"})
    EXPECT_TRUE(k->HasLine(std::string("kestrel-dialog: ") + d)) << d;
  // The addresses on the command line, not the home page; the first took the blank first site.
  EXPECT_FALSE(k->HasLine("welcome.htm") || k->HasLine("kestrel-trace: site-created 4"));
  EXPECT_FALSE(std::filesystem::exists(profilePath));  // nothing is written before shutdown

  Stop(*k);
  RegistryProfile p = ReadProfile();
  EXPECT_EQ(p.GetDword(kSettingsKey, "RunCount").value_or(99), 1u);
  EXPECT_EQ(p.GetString(kIEMainKey, "Disable Script Debugger").value_or(""), "yes");

  // The second start is no first run any more; SIGHUP ends it as cleanly.
  auto again = StartReady();
  EXPECT_FALSE(again->HasLine("kestrel-dialog: Configuration Wizard"));
  Stop(*again, SIGHUP);
  EXPECT_EQ(ReadProfile().GetDword(kSettingsKey, "RunCount").value_or(99), 2u);
}

TEST_F(KestrelRun, AKilledInstanceSavesNothingAndTheNextTakesEveryHandOff) {
  WriteProfile(Quiet());
  LocalHttpServer http;
  Serve(http, {"Second"});
  const std::string before = test::TempDir::ReadFile(profilePath);
  auto dead = StartReady();
  dead->Signal(SIGKILL);
  ASSERT_EQ(dead->Wait(30s), 128 + SIGKILL);
  EXPECT_EQ(test::TempDir::ReadFile(profilePath), before);

  auto first = StartReady();  // its socket and lock were left behind
  auto second = Start({http.Url("/Second")});
  EXPECT_EQ(second->Wait(60s), 0) << second->Output();
  // The second start waited for the first to handle it, so it is there already.
  EXPECT_TRUE(first->HasLine("kestrel-trace: handoff " + http.Url("/Second"))) << first->Output();
  EXPECT_TRUE(first->WaitForLine("kestrel-trace: title Second", 60s)) << first->Output();

  // Text that is no address (control bytes, invalid UTF-8, a script) is refused, not fatal.
  auto fourth = Start({"javascript:alert(1)\n\x01\xff\xfe"});
  EXPECT_EQ(fourth->Wait(60s), 0) << fourth->Output();
  EXPECT_TRUE(first->WaitForLine("kestrel-trace: refused javascript:alert(1)", 10s)) << first->Output();

  Stop(*first);
}

TEST_F(KestrelRun, TheStartUpGroupOpensEveryLineAndStillDoesAfterARestart) {
  LocalHttpServer http;
  Serve(http, {"GroupA", "GroupB"});
  std::filesystem::create_directories(dir.file("prog/groups"));
  dir.write("prog/groups/daily.sgp", http.Url("/GroupA") + "\r\n" + http.Url("/GroupB") + "\r\n");
  Settings s = Quiet();
  s.SUOpenGroup = true;
  s.SUGroup = "daily";
  WriteProfile(s);
  for (int run = 0; run < 2; ++run) {
    auto k = StartReady();
    for (const char* title : {"GroupA", "GroupB"})
      EXPECT_TRUE(k->WaitForLine(std::string("kestrel-trace: title ") + title, 60s)) << k->Output();
    EXPECT_FALSE(k->HasLine("kestrel-trace: site-created 3")) << "the first line took the blank first site";
    Stop(*k);
  }
  EXPECT_EQ(ReadProfile().GetString(kSettingsKey, "SUGroup").value_or(""), "daily");
}

TEST_F(KestrelRun, SettingsToolbarAndBandsComeBackAsTheUserLeftThem) {
  WriteProfile(test::ChangedSettings());
  const RegistryProfile before = ReadProfile();
  Stop(*StartReady());
  RegistryProfile p = ReadProfile();
  for (const std::string& name : before.ValueNames(kSettingsKey)) {
    const RegValue* was = before.Find(kSettingsKey, name);
    const RegValue* now = p.Find(kSettingsKey, name);
    ASSERT_NE(now, nullptr) << name;
    if (name == "RunCount")
      EXPECT_EQ(now->dword, was->dword + 1);
    else  // ExpBar too: the pane it named opened at start and was still open at the end
      EXPECT_EQ(*now, *was) << name;
  }
  // The layout a run leaves: every band, an end mark, the defaults.
  bool locked = true;
  auto layout = ReadBands(p, locked);
  ASSERT_TRUE(layout.has_value()) << "the frame wrote no usable band layout";
  EXPECT_FALSE(locked);
  EXPECT_EQ(p.GetString(kSettingsKey, "ToolBarButtons").value_or(""), FormatButtonList(DefaultButtons()));

  // The user's own: fewer buttons with texts, small icons, no Address Bar, locked.
  p.SetString(kSettingsKey, "ToolBarButtons", "57600 0 32787 32848");
  p.SetDword(kSettingsKey, "TBShowText", 1);
  p.SetDword(kSettingsKey, "TBLargeIcon", 0);
  p.SetDword(kSettingsKey, "LockReBarBands", 1);
  for (std::size_t n = 0; n < layout->bands.size(); ++n)
    if (layout->bands[n].id == kBandAddress) p.SetDword(kBandsKey, "band" + std::to_string(n), 0);
  ASSERT_TRUE(ProfileFile(profilePath).Save(p));
  Stop(*StartReady());
  RegistryProfile q = ReadProfile();
  EXPECT_EQ(q.GetString(kSettingsKey, "ToolBarButtons").value_or(""), "57600 0 32787 32848");
  EXPECT_EQ(q.GetDword(kSettingsKey, "TBShowText").value_or(9), 1u);
  EXPECT_EQ(q.GetDword(kSettingsKey, "TBLargeIcon").value_or(9), 0u);
  auto again = ReadBands(q, locked);
  ASSERT_TRUE(again.has_value());
  EXPECT_TRUE(locked);
  for (const BandRecord& b : again->bands) EXPECT_EQ(b.visible, b.id != kBandAddress) << std::hex << b.id;
}

// Killed with five sites open, Kestrel offers them back at the next start
// (answered Yes unattended) in their order with the same one active; a
// normal end leaves nothing to offer.
TEST_F(KestrelRun, SitesOpenAtAKillComeBackAtTheNextStart) {
  WriteProfile(Quiet());
  LocalHttpServer http;
  for (int i = 1; i <= 5; ++i)
    http.Page("/" + std::to_string(i), "<html><head><title>Site " + std::to_string(i) + "</title></head></html>");
  http.Start();
  std::string lines;
  for (int i = 1; i <= 5; ++i) lines += (i > 1 ? "\n" : "") + http.Url("/" + std::to_string(i));
  const std::string path = dir.file("home/.local/share/Corvana/Kestrel/") + kSessionFile;
  auto sessionOf = [&](std::size_t sites) {
    for (int tries = 0; tries < 100; ++tries) {
      if (auto s = ReadSession(path); s && s->addresses.size() == sites) return *s;
      std::this_thread::sleep_for(100ms);
    }
    return ReadSession(path).value_or(SessionSites{});
  };
  auto k = StartReady({lines});
  for (int i = 1; i <= 5; ++i) EXPECT_TRUE(k->WaitForLine("kestrel-trace: title Site " + std::to_string(i), 60s));
  const SessionSites open = sessionOf(5);
  ASSERT_EQ(open.addresses.size(), 5u) << k->Output();
  EXPECT_EQ(open.addresses.front(), http.Url("/1"));
  k->Signal(SIGKILL);
  ASSERT_EQ(k->Wait(30s), 128 + SIGKILL);

  auto again = StartReady();
  EXPECT_TRUE(again->HasLine("kestrel-dialog: Reopen Sites")) << again->Output();
  for (int i = 1; i <= 5; ++i) EXPECT_TRUE(again->WaitForLine("kestrel-trace: title Site " + std::to_string(i), 60s));
  EXPECT_EQ(sessionOf(5), open);
  EXPECT_FALSE(again->HasLine("kestrel-trace: site-created 6"));  // the first took the blank site
  Stop(*again);
  EXPECT_FALSE(std::filesystem::exists(path));
  auto third = StartReady();
  EXPECT_FALSE(third->HasLine("kestrel-dialog: Reopen Sites"));
  Stop(*third);
}

}  // namespace
}  // namespace kestrel
