// Where the program writes files for itself: beside the program while its
// folder can be written, else in the user's data folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "common/progdir.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

TEST(ProgramFolder, FilesTheProgramWritesGoWhereTheyCanBeWritten) {
  test::TempDir dir;
  const char* oldData = std::getenv("XDG_DATA_HOME");
  const std::string keep = oldData ? oldData : "";
  setenv("XDG_DATA_HOME", dir.file("data").c_str(), 1);
  SetProgramDirectory(dir.path());
  EXPECT_EQ(WritableProgramFile("postform.htm"), dir.file("postform.htm"));
  // A folder nobody may write, root included: the user's data folder,
  // made on the way.
  SetProgramDirectory("/proc/self/");
  EXPECT_EQ(WritableProgramFile("/postform.htm"), dir.file("data") + "/Corvana/Kestrel/postform.htm");
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("data") + "/Corvana/Kestrel"));
  // Without XDG_DATA_HOME (or with a relative one), the home's.
  setenv("XDG_DATA_HOME", "relative/data", 1);
  if (const char* home = std::getenv("HOME")) {
    const std::string keepHome = home;
    EXPECT_EQ(UserDataDirectory(), keepHome + "/.local/share/Corvana/Kestrel/");
    // Without a home in the environment, the user database's: never a
    // folder at the root of the file system.
    unsetenv("HOME");
    const std::string data = UserDataDirectory();
    setenv("HOME", keepHome.c_str(), 1);
    EXPECT_TRUE(data.size() > 1 && data[0] == '/' && !data.starts_with("/.local")) << data;
    EXPECT_TRUE(data.ends_with("/.local/share/Corvana/Kestrel/")) << data;
  }
  SetProgramDirectory("");
  if (oldData)
    setenv("XDG_DATA_HOME", keep.c_str(), 1);
  else
    unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace kestrel
