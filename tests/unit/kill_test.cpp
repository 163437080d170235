// Saves that a kill interrupts at any moment: afterwards every file is the
// old version or the new one, whole, never a mix and never empty.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "address/alias.h"
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

}  // namespace
}  // namespace kestrel::test
