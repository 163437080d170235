// Kestrel installed for the whole machine: the desktop's launcher of the
// installed program is the one registered as the default browser.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "common/textfile.h"
#include "platform/xdg_default_browser.h"
#include "support/temp_dir.h"

namespace kestrel::test {
namespace {

TEST(XdgDefaultBrowser, AnInstalledLauncherIsNamedInsteadOfAUserCopy) {
  TempDir dir;
  // prefix/bin/kestrel is a link to the program in prefix/lib/kestrel, as installed.
  MakeDirectories(dir.file("prefix/lib/kestrel/"));
  MakeDirectories(dir.file("prefix/bin/"));
  MakeDirectories(dir.file("share/applications/"));
  const std::string exe = dir.file("prefix/lib/kestrel/kestrel");
  dir.write("prefix/lib/kestrel/kestrel", "#!/bin/sh\n");
  chmod(exe.c_str(), 0755);
  std::filesystem::create_symlink("../lib/kestrel/kestrel", dir.file("prefix/bin/kestrel"));
  dir.write("share/applications/kestrel.desktop", "[Desktop Entry]\nType=Application\nName=Kestrel\nExec=kestrel %U\n");
  ScopedEnv path("PATH", (dir.file("prefix/bin") + ":/usr/bin:/bin").c_str());

  XdgDefaultBrowser installed(exe, dir.file("config"), dir.file("data"), {dir.file("none"), dir.file("share")});
  EXPECT_EQ(installed.LauncherInUse(), dir.file("share/applications/kestrel.desktop"));
  EXPECT_FALSE(installed.IsDefault());
  ASSERT_TRUE(installed.Register());
  EXPECT_TRUE(installed.IsDefault());
  EXPECT_FALSE(FileExists(installed.desktopFilePath()));  // no user copy shadows the installed one
  const std::string list = dir.read("config/mimeapps.list");
  for (const char* t : XdgDefaultBrowser::kTypes) EXPECT_EQ(DefaultApplicationFor(list, t), "kestrel.desktop") << t;

  // Another copy of the program (a build tree) is not what that launcher
  // starts: it gets a launcher of its own, which then wins for this user.
  const std::string other = dir.file("build/kestrel");
  XdgDefaultBrowser build(other, dir.file("config"), dir.file("data"), {dir.file("share")});
  EXPECT_FALSE(build.IsDefault());
  ASSERT_TRUE(build.Register());
  EXPECT_TRUE(build.IsDefault());
  EXPECT_EQ(build.LauncherInUse(), build.desktopFilePath());
  EXPECT_FALSE(installed.IsDefault());
  // A launcher whose command is found nowhere starts nothing.
  dir.write("share/applications/kestrel.desktop", "[Desktop Entry]\nExec=no-such-kestrel %U\n");
  std::filesystem::remove(build.desktopFilePath());
  EXPECT_FALSE(installed.IsDefault());
}

}  // namespace
}  // namespace kestrel::test
