// Saves that a kill interrupts at any moment: afterwards every file is the
// old version or the new one, whole, never a mix and never empty.
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "address/alias.h"
#include "common/message.h"
#include "common/textfile.h"
#include "platform/profile.h"
#include "platform/profile_file.h"
#include "support/temp_dir.h"

namespace kestrel::test {
namespace {

TEST(AtomicWrites, SavesKilledAtAThousandRandomMomentsLeaveTheOldOrTheNewFile) {
  TempDir dir;
  const std::string profilePath = dir.file("profile.reg"), aliasPath = dir.file("alias.txt");
  // Two versions of a large profile and a large list, and their bytes on disk.
  RegistryProfile profiles[2];
  AliasList aliases[2];
  std::string profileBytes[2], aliasBytes[2];
  for (int v = 0; v < 2; ++v) {
    const std::string key = std::string(kSettingsKey) + "\\Big";
    profiles[v].OpenKey(key, true);
    std::vector<AliasEntry> entries;
    for (int i = 0; i < 4000; ++i) {
      const std::string n = std::to_string(i);
      profiles[v].SetString(key, "value" + n, std::string(40, static_cast<char>('a' + v)) + n);
      entries.push_back({"alias" + n, "http://v" + std::to_string(v) + ".example/" + n});
    }
    aliases[v].Replace(entries);
    ASSERT_TRUE(ProfileFile(profilePath).Save(profiles[v]));
    ASSERT_EQ(aliases[v].SaveAliases(aliasPath), 0);
    profileBytes[v] = TempDir::ReadFile(profilePath);
    aliasBytes[v] = TempDir::ReadFile(aliasPath);
  }
  ASSERT_NE(profileBytes[0], profileBytes[1]);
  ASSERT_GT(profileBytes[0].size(), 200000u);

  const unsigned seed = std::random_device{}();
  std::mt19937 rng(seed);
  int survived = 0, kills = 0;
  for (; kills < 1000; ++kills) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      for (unsigned i = kills;; ++i) {
        ProfileFile(profilePath).Save(profiles[i % 2]);
        aliases[i % 2].SaveAliases(aliasPath);
      }
    }
    ::usleep(rng() % 8000);
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    const std::string p = TempDir::ReadFile(profilePath), a = TempDir::ReadFile(aliasPath);
    const bool whole = (p == profileBytes[0] || p == profileBytes[1]) && (a == aliasBytes[0] || a == aliasBytes[1]);
    survived += whole;
    if (!whole) ADD_FAILURE() << "kill " << kills << " left a broken file (seed " << seed << ")";
  }
  EXPECT_EQ(survived, kills);
  // What a killed save left behind is hidden and never read as the file.
  RegistryProfile back;
  EXPECT_EQ(ProfileFile(profilePath).Load(back), ProfileFile::LoadResult::Loaded);
}

// A disk that fills up during a save: the old file stays as it was, nothing
// half-written is left beside it, and the user is told once. The child gets
// a mount namespace of its own (as root, or through a user namespace) with a
// 64 KiB tmpfs, so nothing outside it sees the mount.
TEST(AtomicWrites, AFullDiskLeavesTheOldFileAndOneMessage) {
  TempDir dir;
  const std::string disk = dir.file("disk");
  std::filesystem::create_directory(disk);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (::unshare(CLONE_NEWNS) != 0 && ::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) _exit(77);
    ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0) _exit(77);
    struct Count : MessagePresenter {
      int shown = 0;
      std::string text;
      bool PresentMessage(const std::string& t, MessageKind) override { ++shown, text = t; return true; }
    } messages;
    SetMessagePresenter(&messages);
    const std::string path = disk + "/alias.txt";
    AliasList small, large;
    small.Replace({{"home", "http://old.example/"}});
    std::vector<AliasEntry> many;
    for (int i = 0; i < 5000; ++i) many.push_back({"a" + std::to_string(i), "http://new.example/" + std::to_string(i)});
    large.Replace(many);
    if (small.SaveAliases(path) != 0) _exit(10);
    const std::string before = TempDir::ReadFile(path);
    if (large.SaveAliases(path) != -1) _exit(11);                     // it must not report success
    if (TempDir::ReadFile(path) != before || before.empty()) _exit(12);  // the old file, whole
    if (messages.shown != 1 || messages.text != "Can't save alias file!") _exit(13);
    std::string why;
    if (WriteFileAtomic(disk + "/other.txt", std::string(128 * 1024, 'x'), &why) || why.find("space") == std::string::npos)
      _exit(14);                                                         // a reason the user can act on
    if (std::distance(std::filesystem::directory_iterator(disk), {}) != 1) _exit(15);                         // no temporary file left over
    _exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "no mount namespace for a small tmpfs here";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "step that failed: 10 first save, 11 reported success, 12 old file changed, "
                                       "13 messages, 14 error text, 15 leftovers";
}

}  // namespace
}  // namespace kestrel::test
