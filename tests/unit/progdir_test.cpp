// Where the program writes files for itself: beside the program while its
// folder can be written, else in the user's data folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/progdir.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

TEST(ProgramFolder, FilesTheProgramWritesGoWhereTheyCanBeWritten) {
  test::TempDir dir;
  {
    test::ScopedEnv data("XDG_DATA_HOME", dir.file("data").c_str());
    SetProgramDirectory(dir.path());
    EXPECT_EQ(WritableProgramFile("postform.htm"), dir.file("postform.htm"));
    // A folder nobody may write, root included: the user's data folder,
    // made on the way.
    SetProgramDirectory("/proc/self/");
    EXPECT_EQ(WritableProgramFile("/postform.htm"), dir.file("data") + "/Corvana/Kestrel/postform.htm");
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("data") + "/Corvana/Kestrel"));
    SetProgramDirectory("");
  }
  // Without XDG_DATA_HOME (or with a relative one), the home's.
  {
    test::ScopedEnv data("XDG_DATA_HOME", "relative/data"), home("HOME", "/home/u/");
    EXPECT_EQ(UserDataDirectory(), "/home/u/.local/share/Corvana/Kestrel/");
  }
  // Without a home in the environment, the user database's: never a folder
  // at the root of the file system.
  for (const char* none : {static_cast<const char*>(nullptr), ""}) {
    test::ScopedEnv data("XDG_DATA_HOME", nullptr), home("HOME", none);
    const std::string found = UserDataDirectory();
    EXPECT_TRUE(found.size() > 1 && found[0] == '/' && !found.starts_with("/.local")) << found;
    EXPECT_TRUE(found.ends_with("/.local/share/Corvana/Kestrel/")) << found;
  }
}

}  // namespace
}  // namespace kestrel
