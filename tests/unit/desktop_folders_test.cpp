#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "platform/desktop_folders.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using namespace std::string_literals;
using test::ScopedEnv;
using Dirs = std::map<std::string, std::string>;

const int kAllFolders[] = {
    kFolderDesktop,   kFolderControls,      kFolderPrinters,        kFolderPersonal,
    kFolderFavorites, kFolderStartup,       kFolderRecent,          kFolderBitBucket,
    kFolderStartMenu, kFolderDrives,        kFolderNetwork,         kFolderCommonStartMenu,
    kFolderCommonStartup, kFolderInternetCache, kFolderCookies,     kFolderHistory,
    kFolderWindows,   kFolderSystem,        kFolderProgramFiles,    kFolderMyPictures,
    kFolderProfile};

FolderEnvironment Env(const std::string& home = "/home/ann") {
  FolderEnvironment env;
  env.home = home;
  env.configHome = home + "/.config";
  env.dataHome = home + "/.local/share";
  env.cacheHome = home + "/.cache";
  env.programDir = "/opt/kestrel/";
  return env;
}

void ExpectPaths(const FolderEnvironment& env, const std::vector<std::pair<int, std::string>>& paths) {
  for (const auto& [id, path] : paths) EXPECT_EQ(DesktopFolderPath(id, env), path) << "folder " << id;
}

TEST(ParseUserDirs, ReadsTheFormatXdgUserDirsWrites) {
  EXPECT_EQ(ParseUserDirs("# This file is written by xdg-user-dirs-update\n"
                          "# If you want to change or add directories, just edit the line you're\n\n"
                          "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                          "XDG_DOCUMENTS_DIR=\"$HOME/My Documents/\"\n"
                          "XDG_PUBLICSHARE_DIR=\"/srv/share\"\n"
                          "  XDG_PICTURES_DIR = \"$HOME/Bilder\"  \n"
                          "XDG_MUSIC_DIR=\"$HOME\"\n"
                          "XDG_VIDEOS_DIR=\"$HOME/\"\n"
                          "XDG_TEMPLATES_DIR=\"$HOME//T//\"",  // last line without a line feed
                          "/home/ann"),
            (Dirs{{"DESKTOP", "/home/ann/Desktop"}, {"DOCUMENTS", "/home/ann/My Documents"},
                  {"PUBLICSHARE", "/srv/share"}, {"PICTURES", "/home/ann/Bilder"}, {"MUSIC", "/home/ann"},
                  {"VIDEOS", "/home/ann"}, {"TEMPLATES", "/home/ann/T"}}));
  // A home given with a trailing slash does not double it; home is "/" for some service accounts.
  EXPECT_EQ(ParseUserDirs("XDG_DESKTOP_DIR=\"$HOME/D\"\n", "/home/ann/")["DESKTOP"], "/home/ann/D");
  EXPECT_EQ(ParseUserDirs("XDG_DESKTOP_DIR=\"$HOME/D\"\n", "/")["DESKTOP"], "/D");
  EXPECT_EQ(ParseUserDirs("XDG_DESKTOP_DIR=\"$HOME\"\n", "/")["DESKTOP"], "/");

  // Escapes inside quotes: \" \\ \$; an escaped $HOME is a relative name, an escaped last quote leaves it open.
  EXPECT_EQ(ParseUserDirs("XDG_A_DIR=\"$HOME/say \\\"hi\\\"\"\n"
                          "XDG_B_DIR=\"/x\\\\y\"\n"
                          "XDG_C_DIR=\"/cost \\$5\"\n"
                          "XDG_D_DIR=\"\\$HOME/literal\"\n"
                          "XDG_E_DIR=\"/ends in backslash\\\"\n",
                          "/home/ann"),
            (Dirs{{"A", "/home/ann/say \"hi\""}, {"B", "/x\\y"}, {"C", "/cost $5"}}));

  // CR LF; the later of two lines wins, but a bad later line does not undo a good one.
  EXPECT_EQ(ParseUserDirs("XDG_DESKTOP_DIR=\"$HOME/One\"\r\nXDG_PICTURES_DIR=\"/pics\"\r\n"
                          "XDG_DESKTOP_DIR=\"$HOME/Two\"\r\nXDG_PICTURES_DIR=\"relative\"\r\n",
                          "/home/ann"),
            (Dirs{{"DESKTOP", "/home/ann/Two"}, {"PICTURES", "/pics"}}));
  // Without an absolute home only absolute lines can be believed.
  for (const char* home : {"", "relative/home"})
    EXPECT_EQ(ParseUserDirs("XDG_DESKTOP_DIR=\"$HOME/D\"\nXDG_MUSIC_DIR=\"/m\"\n", home), (Dirs{{"MUSIC", "/m"}}));
}

TEST(ParseUserDirs, HostileTextIsSkippedLineByLine) {
  const std::string good = "XDG_DESKTOP_DIR=\"$HOME/Desk\"\n";
  const std::string bad[] = {
      "XDG_DOCUMENTS_DIR=$HOME/Docs\n",          // no quotes
      "XDG_DOCUMENTS_DIR=\"$HOME/Docs\n",        // unterminated
      "XDG_DOCUMENTS_DIR=\"Docs\"\n",            // relative
      "XDG_DOCUMENTS_DIR=\"~/Docs\"\n",          // relative (no tilde expansion)
      "XDG_DOCUMENTS_DIR=\"\"\n",                // empty
      "XDG_DOCUMENTS_DIR=\"$HOMEDocs\"\n",       // not the $HOME prefix
      "XDG_DOCUMENTS_DIR=\"${HOME}/Docs\"\n",    // not the format's form
      "XDG_DOCUMENTS_DIR=\"/a\" trailing\n",     // junk after the value
      "XDG_DOCUMENTS_DIR \"/a\"\n",              // no '='
      "XDG__DIR=\"/a\"\n",                       // no name
      "XDG_DIR=\"/a\"\n",
      "xdg_documents_dir=\"/a\"\n",              // names are upper case
      "XDG_DOCUMENTS=\"/a\"\n",                  // no _DIR
      "MY_DOCUMENTS_DIR=\"/a\"\n",               // no XDG_
      "# XDG_DOCUMENTS_DIR=\"/a\"\n",            // commented out
      "XDG_DOCUMENTS_DIR=\"/a\nb\"\n",           // a value cannot span lines
      std::string("XDG_DOCUMENTS_DIR=\"/a\0b\"\n", 25),  // NUL inside
      "XDG_DOCUMENTS_DIR=\"/a\x01\x7f\"\n",      // control bytes
      "XDG_DOCUMENTS_DIR=\"$HOME",               // text ends inside the value
      "XDG_DOCUMENTS_DIR=\"",
      "XDG_DOCUMENTS_DIR=",
      "=\"/a\"\n",
      "\"\"\"\"\\\\\\\n",
      std::string("\xff\xfe\x00\x01XDG_DOCUMENTS_DIR=\"/a\"\n", 27),
  };
  for (const std::string& b : bad) {
    SCOPED_TRACE(b);
    EXPECT_EQ(ParseUserDirs(good + b + good, "/home/ann"), (Dirs{{"DESKTOP", "/home/ann/Desk"}}));
  }

  // Binary bytes, NULs, huge and empty texts: hostile_inputs_test.
}

TEST(DesktopFolderPath, UserDirsAndTheirFallbacks) {
  FolderEnvironment env = Env();
  // No user-dirs.dirs at all.
  ExpectPaths(env, {{kFolderDesktop, "/home/ann/Desktop"}, {kFolderPersonal, "/home/ann"},
                    {kFolderMyPictures, "/home/ann"}, {kFolderProfile, "/home/ann"}});
  env.userDirs = ParseUserDirs("XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\nXDG_DOCUMENTS_DIR=\"/data/docs/\"\n"
                               "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n", env.home);
  ExpectPaths(env, {{kFolderDesktop, "/home/ann/Schreibtisch"}, {kFolderPersonal, "/data/docs"},
                    {kFolderMyPictures, "/home/ann/Bilder"}});
  // A dir equal to home is xdg-user-dirs' "disabled": the fallback is used.
  env.userDirs = ParseUserDirs(
      "XDG_DESKTOP_DIR=\"$HOME\"\nXDG_DOCUMENTS_DIR=\"$HOME/\"\nXDG_PICTURES_DIR=\"/home/ann\"\n", env.home);
  ASSERT_EQ(env.userDirs.size(), 3u);
  ExpectPaths(env, {{kFolderDesktop, "/home/ann/Desktop"}, {kFolderPersonal, "/home/ann"},
                    {kFolderMyPictures, "/home/ann"}});
  // Values put into the map by hand are cleaned the same way.
  env.userDirs = {{"DESKTOP", "/d//e/"}, {"DOCUMENTS", "relative"}};
  ExpectPaths(env, {{kFolderDesktop, "/d/e"}, {kFolderPersonal, "/home/ann"}});

  // No home: only what user-dirs gave absolutely, and fixed system folders.
  FolderEnvironment none;
  ExpectPaths(none, {{kFolderDesktop, ""}, {kFolderProfile, ""}, {kFolderBitBucket, ""}, {kFolderStartup, ""},
                     {kFolderFavorites, ""}, {kFolderDrives, "/"}});
  none.userDirs = {{"DESKTOP", "/srv/desk"}};
  ExpectPaths(none, {{kFolderDesktop, "/srv/desk"}});
}

TEST(DesktopFolderPath, BaseFoldersAndKestrelsOwn) {
  FolderEnvironment env = Env();
  env.dataHome = "/xdg/data/";
  env.configHome = "/xdg/config";
  ExpectPaths(env, {{kFolderRecent, "/xdg/data"}, {kFolderBitBucket, "/xdg/data/Trash/files"},
                    {kFolderStartMenu, "/xdg/data/applications"}, {kFolderStartup, "/xdg/config/autostart"},
                    {kFolderFavorites, "/opt/kestrel/favorites"}, {kFolderHistory, "/opt/kestrel/history"},
                    {kFolderCookies, "/opt/kestrel/cookies"}, {kFolderInternetCache, "/opt/kestrel/cache"}});
  env.programDir = "/opt/kestrel";  // with or without the trailing slash
  ExpectPaths(env, {{kFolderHistory, "/opt/kestrel/history"}});
  env.programDir = "kestrel/";  // relative: no folder rather than one under the working dir
  env.dataHome = "relative";
  ExpectPaths(env, {{kFolderFavorites, ""}, {kFolderRecent, ""}, {kFolderBitBucket, ""}});
}

TEST(DesktopFolderPath, EveryIdentifierAnswersAndUnknownOnesAreEmpty) {
  for (const FolderEnvironment& env : {Env(), Env("/"), FolderEnvironment{}}) {
    for (int id : kAllFolders) {
      SCOPED_TRACE(id);
      const std::string p = DesktopFolderPath(id, env);
      // With a home, everything but the two with no folder on Linux has one.
      if (!env.home.empty() && env.home != "/") {
        EXPECT_EQ(p.empty(), id == kFolderControls || id == kFolderPrinters);
      }
      if (p.empty()) continue;
      EXPECT_EQ(p.front(), '/');
      EXPECT_TRUE(p == "/" || p.back() != '/');
      EXPECT_EQ(p.find("//"), std::string::npos);
      EXPECT_TRUE(DesktopFolderAddress(id, env).starts_with("file:///"));
    }
  }
  for (int id : {-1, 1, 2, 9, 12, 16, 19, 23, 35, 41, 0x8000, 0x7fffffff, -0x7fffffff - 1}) {
    EXPECT_EQ(DesktopFolderPath(id, Env()), "") << id;
    EXPECT_EQ(DesktopFolderAddress(id, Env()), "") << id;
  }
}

TEST(DesktopFolderAddress, PercentEncodesTheBytesAUrlCannotCarry) {
  FolderEnvironment env = Env("/home/ann");
  EXPECT_EQ(DesktopFolderAddress(kFolderDrives, env), "file:///");
  EXPECT_EQ(DesktopFolderAddress(kFolderControls, env), "");
  const std::pair<std::string, std::string> homes[] = {
      {"/home/ann", "file:///home/ann"},
      {"/home/a b#c?d%e&f+g=h;i@j:k~l.m_n-o", "file:///home/a%20b%23c%3Fd%25e%26f%2Bg%3Dh%3Bi%40j%3Ak~l.m_n-o"},
      {"/home/J\xC3\xBCrgen", "file:///home/J%C3%BCrgen"},  // UTF-8 u with diaeresis
      {"/home/\"<q>\\", "file:///home/%22%3Cq%3E%5C"}};
  for (const auto& [home, address] : homes) {
    env.home = home;
    EXPECT_EQ(DesktopFolderAddress(kFolderProfile, env), address);
  }
  env.userDirs = {{"DESKTOP", "/home/J\xC3\xBCrgen/\xE6\xA1\x8C\xE9\x9D\xA2"}};
  EXPECT_EQ(DesktopFolderAddress(kFolderDesktop, env), "file:///home/J%C3%BCrgen/%E6%A1%8C%E9%9D%A2");
}

TEST(FolderEnvironment, FromProcessReadsTheVariablesAndUserDirs) {
  test::TempDir dir;
  std::filesystem::create_directories(dir.file("home/.config"));
  dir.write("home/.config/user-dirs.dirs",
            "XDG_DESKTOP_DIR=\"$HOME/Arbeitsfl\xC3\xA4" "che\"\r\nXDG_PICTURES_DIR=\"$HOME\"\r\n");
  const std::string home = dir.file("home");
  {
    ScopedEnv h("HOME", (home + "/").c_str()), c("XDG_CONFIG_HOME", nullptr), d("XDG_DATA_HOME", ""),
        k("XDG_CACHE_HOME", "not/absolute");
    FolderEnvironment env = FolderEnvironment::FromProcess("/opt/k/");
    EXPECT_EQ(std::tie(env.home, env.configHome, env.dataHome, env.cacheHome, env.programDir),
              std::make_tuple(home, home + "/.config", home + "/.local/share", home + "/.cache", "/opt/k/"s));
    ExpectPaths(env, {{kFolderDesktop, home + "/Arbeitsfl\xC3\xA4" "che"}, {kFolderMyPictures, home},
                      {kFolderFavorites, "/opt/k/favorites"}});
  }
  {
    // XDG_CONFIG_HOME elsewhere: user-dirs.dirs is read from there.
    std::filesystem::create_directories(dir.file("cfg"));
    dir.write("cfg/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Elsewhere\"\n");
    ScopedEnv h("HOME", home.c_str()), c("XDG_CONFIG_HOME", dir.file("cfg").c_str()),
        d("XDG_DATA_HOME", "/xdg/data//"), k("XDG_CACHE_HOME", "/xdg/cache");
    FolderEnvironment env = FolderEnvironment::FromProcess("");
    EXPECT_EQ(std::tie(env.configHome, env.dataHome, env.cacheHome),
              std::make_tuple(dir.file("cfg"), "/xdg/data"s, "/xdg/cache"s));
    ExpectPaths(env,
                {{kFolderPersonal, home + "/Elsewhere"}, {kFolderDesktop, home + "/Desktop"}, {kFolderHistory, ""}});
  }
  {
    // A FIFO that would block a reader (a missing or unreadable file: hostile_inputs_test).
    ScopedEnv h("HOME", home.c_str()), c("XDG_CONFIG_HOME", dir.file("fifo").c_str());
    std::filesystem::create_directories(dir.file("fifo"));
    ASSERT_EQ(::mkfifo(dir.file("fifo/user-dirs.dirs").c_str(), 0600), 0);
    EXPECT_TRUE(FolderEnvironment::FromProcess("/p").userDirs.empty());
  }
  // No usable HOME: the password entry's home, which is absolute or unknown.
  for (const char* value : {static_cast<const char*>(nullptr), "", "relative"}) {
    ScopedEnv noHome("HOME", value), c("XDG_CONFIG_HOME", nullptr);
    FolderEnvironment env = FolderEnvironment::FromProcess("/p");
    if (env.home.empty()) {
      EXPECT_EQ(env.configHome, "");
    } else {
      EXPECT_EQ(env.home.front(), '/');
      EXPECT_EQ(env.configHome, env.home == "/" ? "/.config" : env.home + "/.config");
    }
  }
}

}  // namespace
}  // namespace kestrel
