#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/desktop_folders.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

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

TEST(ParseUserDirs, ReadsTheFormatXdgUserDirsWrites) {
  auto dirs = ParseUserDirs(
      "# This file is written by xdg-user-dirs-update\n"
      "# If you want to change or add directories, just edit the line you're\n"
      "\n"
      "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
      "XDG_DOCUMENTS_DIR=\"$HOME/My Documents/\"\n"
      "XDG_PUBLICSHARE_DIR=\"/srv/share\"\n"
      "  XDG_PICTURES_DIR = \"$HOME/Bilder\"  \n"
      "XDG_MUSIC_DIR=\"$HOME\"\n"
      "XDG_VIDEOS_DIR=\"$HOME/\"\n"
      "XDG_TEMPLATES_DIR=\"$HOME//T//\"",  // last line without a line feed
      "/home/ann");
  EXPECT_EQ(dirs.size(), 7u);
  EXPECT_EQ(dirs["DESKTOP"], "/home/ann/Desktop");
  EXPECT_EQ(dirs["DOCUMENTS"], "/home/ann/My Documents");
  EXPECT_EQ(dirs["PUBLICSHARE"], "/srv/share");
  EXPECT_EQ(dirs["PICTURES"], "/home/ann/Bilder");
  EXPECT_EQ(dirs["MUSIC"], "/home/ann");
  EXPECT_EQ(dirs["VIDEOS"], "/home/ann");
  EXPECT_EQ(dirs["TEMPLATES"], "/home/ann/T");

  // A home given with a trailing slash does not double it.
  EXPECT_EQ(ParseUserDirs("XDG_DESKTOP_DIR=\"$HOME/D\"\n", "/home/ann/")["DESKTOP"],
            "/home/ann/D");
  // Home is "/" for some service accounts.
  EXPECT_EQ(ParseUserDirs("XDG_DESKTOP_DIR=\"$HOME/D\"\n", "/")["DESKTOP"], "/D");
  EXPECT_EQ(ParseUserDirs("XDG_DESKTOP_DIR=\"$HOME\"\n", "/")["DESKTOP"], "/");
}

TEST(ParseUserDirs, EscapesInsideQuotes) {
  auto dirs = ParseUserDirs(
      "XDG_A_DIR=\"$HOME/say \\\"hi\\\"\"\n"    // \" -> "
      "XDG_B_DIR=\"/x\\\\y\"\n"                  // \\ -> backslash
      "XDG_C_DIR=\"/cost \\$5\"\n"               // \$ -> $
      "XDG_D_DIR=\"\\$HOME/literal\"\n"          // escaped $HOME is a relative name
      "XDG_E_DIR=\"/ends in backslash\\\"\n",    // the escaped quote leaves it open
      "/home/ann");
  EXPECT_EQ(dirs["A"], "/home/ann/say \"hi\"");
  EXPECT_EQ(dirs["B"], "/x\\y");
  EXPECT_EQ(dirs["C"], "/cost $5");
  EXPECT_EQ(dirs.count("D"), 0u);
  EXPECT_EQ(dirs.count("E"), 0u);
  EXPECT_EQ(dirs.size(), 3u);
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
    auto dirs = ParseUserDirs(good + b + good, "/home/ann");
    EXPECT_EQ(dirs.count("DOCUMENTS"), 0u);
    EXPECT_EQ(dirs["DESKTOP"], "/home/ann/Desk");
  }

  // Pure garbage, binary bytes, and a very long line.
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 131 + 7) & 0xff);
  for (const auto& [name, path] : ParseUserDirs(binary, "/home/ann")) {
    ASSERT_FALSE(path.empty()) << name;
    EXPECT_EQ(path.front(), '/') << name;
    for (char c : path) EXPECT_GE(static_cast<unsigned char>(c), 0x20) << name;
  }
  std::string longValue(200000, 'x');
  auto dirs = ParseUserDirs(std::string(100000, 'A') + "\nXDG_LONG_DIR=\"/" + longValue +
                                "\"\n" + good,
                            "/home/ann");
  EXPECT_EQ(dirs["LONG"], "/" + longValue);
  EXPECT_EQ(dirs["DESKTOP"], "/home/ann/Desk");
  EXPECT_TRUE(ParseUserDirs("", "/home/ann").empty());
  EXPECT_TRUE(ParseUserDirs("\n\n\r\n", "/home/ann").empty());
}

TEST(ParseUserDirs, CrLfDuplicatesAndUnknownHome) {
  auto dirs = ParseUserDirs(
      "XDG_DESKTOP_DIR=\"$HOME/One\"\r\n"
      "XDG_PICTURES_DIR=\"/pics\"\r\n"
      "XDG_DESKTOP_DIR=\"$HOME/Two\"\r\n"
      "XDG_PICTURES_DIR=\"relative\"\r\n",  // a bad later line does not undo a good one
      "/home/ann");
  EXPECT_EQ(dirs["DESKTOP"], "/home/ann/Two");
  EXPECT_EQ(dirs["PICTURES"], "/pics");

  // Without an absolute home only absolute lines can be believed.
  for (const char* home : {"", "relative/home"}) {
    auto d = ParseUserDirs("XDG_DESKTOP_DIR=\"$HOME/D\"\nXDG_MUSIC_DIR=\"/m\"\n", home);
    EXPECT_EQ(d.count("DESKTOP"), 0u) << home;
    EXPECT_EQ(d["MUSIC"], "/m") << home;
  }
}

TEST(DesktopFolderPath, UserDirsAndTheirFallbacks) {
  FolderEnvironment env = Env();
  // No user-dirs.dirs at all.
  EXPECT_EQ(DesktopFolderPath(kFolderDesktop, env), "/home/ann/Desktop");
  EXPECT_EQ(DesktopFolderPath(kFolderPersonal, env), "/home/ann");
  EXPECT_EQ(DesktopFolderPath(kFolderMyPictures, env), "/home/ann");
  EXPECT_EQ(DesktopFolderPath(kFolderProfile, env), "/home/ann");

  env.userDirs = ParseUserDirs(
      "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\nXDG_DOCUMENTS_DIR=\"/data/docs/\"\n"
      "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n",
      env.home);
  EXPECT_EQ(DesktopFolderPath(kFolderDesktop, env), "/home/ann/Schreibtisch");
  EXPECT_EQ(DesktopFolderPath(kFolderPersonal, env), "/data/docs");
  EXPECT_EQ(DesktopFolderPath(kFolderMyPictures, env), "/home/ann/Bilder");

  // A dir equal to home is xdg-user-dirs' "disabled": the fallback is used.
  env.userDirs = ParseUserDirs(
      "XDG_DESKTOP_DIR=\"$HOME\"\nXDG_DOCUMENTS_DIR=\"$HOME/\"\nXDG_PICTURES_DIR=\"/home/ann\"\n",
      env.home);
  ASSERT_EQ(env.userDirs.size(), 3u);
  EXPECT_EQ(DesktopFolderPath(kFolderDesktop, env), "/home/ann/Desktop");
  EXPECT_EQ(DesktopFolderPath(kFolderPersonal, env), "/home/ann");
  EXPECT_EQ(DesktopFolderPath(kFolderMyPictures, env), "/home/ann");

  // Values put into the map by hand are cleaned the same way.
  env.userDirs = {{"DESKTOP", "/d//e/"}, {"DOCUMENTS", "relative"}};
  EXPECT_EQ(DesktopFolderPath(kFolderDesktop, env), "/d/e");
  EXPECT_EQ(DesktopFolderPath(kFolderPersonal, env), "/home/ann");

  // No home: only what user-dirs gave absolutely, and fixed system folders.
  FolderEnvironment none;
  EXPECT_EQ(DesktopFolderPath(kFolderDesktop, none), "");
  EXPECT_EQ(DesktopFolderPath(kFolderProfile, none), "");
  EXPECT_EQ(DesktopFolderPath(kFolderBitBucket, none), "");
  EXPECT_EQ(DesktopFolderPath(kFolderStartup, none), "");
  EXPECT_EQ(DesktopFolderPath(kFolderFavorites, none), "");
  EXPECT_EQ(DesktopFolderPath(kFolderDrives, none), "/");
  none.userDirs = {{"DESKTOP", "/srv/desk"}};
  EXPECT_EQ(DesktopFolderPath(kFolderDesktop, none), "/srv/desk");
}

TEST(DesktopFolderPath, BaseFoldersAndKestrelsOwn) {
  FolderEnvironment env = Env();
  env.dataHome = "/xdg/data/";
  env.configHome = "/xdg/config";
  EXPECT_EQ(DesktopFolderPath(kFolderRecent, env), "/xdg/data");
  EXPECT_EQ(DesktopFolderPath(kFolderBitBucket, env), "/xdg/data/Trash/files");
  EXPECT_EQ(DesktopFolderPath(kFolderStartMenu, env), "/xdg/data/applications");
  EXPECT_EQ(DesktopFolderPath(kFolderStartup, env), "/xdg/config/autostart");
  EXPECT_EQ(DesktopFolderPath(kFolderFavorites, env), "/opt/kestrel/favorites");
  EXPECT_EQ(DesktopFolderPath(kFolderHistory, env), "/opt/kestrel/history");
  EXPECT_EQ(DesktopFolderPath(kFolderCookies, env), "/opt/kestrel/cookies");
  EXPECT_EQ(DesktopFolderPath(kFolderInternetCache, env), "/opt/kestrel/cache");
  env.programDir = "/opt/kestrel";  // with or without the trailing slash
  EXPECT_EQ(DesktopFolderPath(kFolderHistory, env), "/opt/kestrel/history");
  env.programDir = "kestrel/";  // relative: no folder rather than one under the working dir
  EXPECT_EQ(DesktopFolderPath(kFolderFavorites, env), "");
  env.dataHome = "relative";
  EXPECT_EQ(DesktopFolderPath(kFolderRecent, env), "");
  EXPECT_EQ(DesktopFolderPath(kFolderBitBucket, env), "");
}

TEST(DesktopFolderPath, EveryIdentifierAnswersAndUnknownOnesAreEmpty) {
  FolderEnvironment envs[3] = {Env(), Env("/"), FolderEnvironment{}};
  for (const FolderEnvironment& env : envs) {
    for (int id : kAllFolders) {
      SCOPED_TRACE(id);
      std::string p = DesktopFolderPath(id, env);
      if (p.empty()) continue;
      EXPECT_EQ(p.front(), '/');
      EXPECT_TRUE(p == "/" || p.back() != '/');
      EXPECT_EQ(p.find("//"), std::string::npos);
      EXPECT_EQ(DesktopFolderAddress(id, env).rfind("file:///", 0), 0u);
    }
  }
  // With a home, everything but the two with no folder on Linux has one.
  for (int id : kAllFolders) {
    bool none = id == kFolderControls || id == kFolderPrinters;
    EXPECT_EQ(DesktopFolderPath(id, Env()).empty(), none) << id;
  }
  for (int id : {-1, 1, 2, 9, 12, 16, 19, 23, 35, 41, 0x8000, 0x7fffffff, -0x7fffffff - 1}) {
    EXPECT_EQ(DesktopFolderPath(id, Env()), "") << id;
    EXPECT_EQ(DesktopFolderAddress(id, Env()), "") << id;
  }
}

TEST(DesktopFolderAddress, PercentEncodesTheBytesAUrlCannotCarry) {
  FolderEnvironment env = Env("/home/ann");
  EXPECT_EQ(DesktopFolderAddress(kFolderProfile, env), "file:///home/ann");
  EXPECT_EQ(DesktopFolderAddress(kFolderDrives, env), "file:///");
  env.home = "/home/a b#c?d%e&f+g=h;i@j:k~l.m_n-o";
  EXPECT_EQ(DesktopFolderAddress(kFolderProfile, env),
            "file:///home/a%20b%23c%3Fd%25e%26f%2Bg%3Dh%3Bi%40j%3Ak~l.m_n-o");
  env.home = "/home/J\xC3\xBCrgen";  // UTF-8 u with diaeresis
  EXPECT_EQ(DesktopFolderAddress(kFolderProfile, env), "file:///home/J%C3%BCrgen");
  env.userDirs = {{"DESKTOP", "/home/J\xC3\xBCrgen/\xE6\xA1\x8C\xE9\x9D\xA2"}};
  EXPECT_EQ(DesktopFolderAddress(kFolderDesktop, env),
            "file:///home/J%C3%BCrgen/%E6%A1%8C%E9%9D%A2");
  env.home = "/home/\"<q>\\";
  EXPECT_EQ(DesktopFolderAddress(kFolderProfile, env), "file:///home/%22%3Cq%3E%5C");
  EXPECT_EQ(DesktopFolderAddress(kFolderControls, env), "");
}

TEST(FolderEnvironment, FromProcessReadsTheVariablesAndUserDirs) {
  test::TempDir dir;
  std::filesystem::create_directories(dir.file("home/.config"));
  dir.write("home/.config/user-dirs.dirs",
            "XDG_DESKTOP_DIR=\"$HOME/Arbeitsfl\xC3\xA4" "che\"\r\nXDG_PICTURES_DIR=\"$HOME\"\r\n");
  const std::string home = dir.file("home");
  {
    test::ScopedEnv h("HOME", (home + "/").c_str());
    test::ScopedEnv c("XDG_CONFIG_HOME", nullptr);
    test::ScopedEnv d("XDG_DATA_HOME", "");
    test::ScopedEnv k("XDG_CACHE_HOME", "not/absolute");
    FolderEnvironment env = FolderEnvironment::FromProcess("/opt/k/");
    EXPECT_EQ(env.home, home);
    EXPECT_EQ(env.configHome, home + "/.config");
    EXPECT_EQ(env.dataHome, home + "/.local/share");
    EXPECT_EQ(env.cacheHome, home + "/.cache");
    EXPECT_EQ(env.programDir, "/opt/k/");
    EXPECT_EQ(DesktopFolderPath(kFolderDesktop, env), home + "/Arbeitsfl\xC3\xA4" "che");
    EXPECT_EQ(DesktopFolderPath(kFolderMyPictures, env), home);
    EXPECT_EQ(DesktopFolderPath(kFolderFavorites, env), "/opt/k/favorites");
  }
  {
    // XDG_CONFIG_HOME elsewhere: user-dirs.dirs is read from there.
    std::filesystem::create_directories(dir.file("cfg"));
    dir.write("cfg/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Elsewhere\"\n");
    test::ScopedEnv h("HOME", home.c_str());
    test::ScopedEnv c("XDG_CONFIG_HOME", dir.file("cfg").c_str());
    test::ScopedEnv d("XDG_DATA_HOME", "/xdg/data//");
    FolderEnvironment env = FolderEnvironment::FromProcess("");
    EXPECT_EQ(env.configHome, dir.file("cfg"));
    EXPECT_EQ(env.dataHome, "/xdg/data");
    EXPECT_EQ(DesktopFolderPath(kFolderPersonal, env), home + "/Elsewhere");
    EXPECT_EQ(DesktopFolderPath(kFolderDesktop, env), home + "/Desktop");
    EXPECT_EQ(DesktopFolderPath(kFolderHistory, env), "");
  }
  {
    // Missing file, a folder in its place, and a FIFO that would block a reader.
    test::ScopedEnv h("HOME", home.c_str());
    for (const char* what : {"missing", "folder", "fifo"}) {
      SCOPED_TRACE(what);
      std::string cfg = dir.file(std::string("c-") + what);
      std::filesystem::create_directories(cfg);
      if (std::string(what) == "folder") {
        std::filesystem::create_directories(cfg + "/user-dirs.dirs");
      } else if (std::string(what) == "fifo") {
        ASSERT_EQ(::mkfifo((cfg + "/user-dirs.dirs").c_str(), 0600), 0);
      }
      test::ScopedEnv c("XDG_CONFIG_HOME", cfg.c_str());
      FolderEnvironment env = FolderEnvironment::FromProcess("/p");
      EXPECT_TRUE(env.userDirs.empty());
      EXPECT_EQ(DesktopFolderPath(kFolderDesktop, env), home + "/Desktop");
    }
  }
  {
    // No usable HOME: the password entry's home, which is absolute or unknown.
    for (const char* value : {static_cast<const char*>(nullptr), "", "relative"}) {
      test::ScopedEnv h("HOME", value);
      test::ScopedEnv c("XDG_CONFIG_HOME", nullptr);
      FolderEnvironment env = FolderEnvironment::FromProcess("/p");
      if (env.home.empty()) {
        EXPECT_EQ(env.configHome, "");
      } else {
        EXPECT_EQ(env.home.front(), '/');
        EXPECT_EQ(env.configHome, env.home == "/" ? "/.config" : env.home + "/.config");
      }
    }
  }
}

TEST(FolderEnvironment, UserDirsIsReadOnlyUpTo64KiB) {
  test::TempDir dir;
  std::filesystem::create_directories(dir.file("cfg"));
  // Lines past the limit are not read; the one across it is dropped whole.
  std::string text = "XDG_DESKTOP_DIR=\"/first\"\n";
  std::string filler = "# " + std::string(100, '-') + "\n";
  while (text.size() + filler.size() < 64 * 1024 - 200) text += filler;
  text += "#" + std::string(64 * 1024 - 20 - text.size() - 2, '-') + "\n";
  ASSERT_EQ(text.size(), 64u * 1024 - 20);  // the next line crosses the limit
  text += "XDG_MUSIC_DIR=\"/straddles/the/limit\"\nXDG_PICTURES_DIR=\"/after\"\n";
  dir.write("cfg/user-dirs.dirs", text);
  test::ScopedEnv h("HOME", dir.path().c_str());
  test::ScopedEnv c("XDG_CONFIG_HOME", dir.file("cfg").c_str());
  FolderEnvironment env = FolderEnvironment::FromProcess("/p");
  EXPECT_EQ(env.userDirs["DESKTOP"], "/first");
  EXPECT_EQ(env.userDirs.count("MUSIC"), 0u);
  EXPECT_EQ(env.userDirs.count("PICTURES"), 0u);
}

}  // namespace
}  // namespace kestrel
