// The profile and its file, the desktop's folders, and the hand-off between
// a second start and the first.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <tuple>

#include "platform/desktop_folders.h"
#include "platform/handoff.h"
#include "platform/instance.h"
#include "platform/profile_file.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using namespace std::string_literals;
using test::ScopedEnv;
using test::TempDir;
using Bytes = std::vector<std::uint8_t>;
using Names = std::vector<std::string>;
using Entry = std::pair<std::string, RegValue>;  // value name, value (all in kSettingsKey)

Bytes Counting(std::size_t n) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return b;
}

std::vector<Entry> AwkwardValues() {
  std::string everyByteButNul;
  for (int c = 1; c < 256; ++c) everyByteButNul += static_cast<char>(c);
  // One sample of each kind; the fuzz target round-trips the odd ones.
  return {{"Quotes", RegValue::String("say \"hi\" C:\\temp\\ end\\")},
          {"Breaks", RegValue::String("one\ntwo\r\nthree\rfour\n")}, {"Every byte", RegValue::String(everyByteButNul)},
          {"", RegValue::String("the default value")}, {"\"quoted\" = \\name\\", RegValue::Dword(2)},
          {"Zero", RegValue::Dword(0)}, {"Max", RegValue::Dword(0xFFFFFFFFu)}, {"NoBytes", RegValue::Binary({})},
          {"Big", RegValue::Binary(Counting(1000))}};
}

RegistryProfile Filled(const std::vector<Entry>& values) {
  RegistryProfile p;
  for (const auto& [name, value] : values) EXPECT_TRUE(p.SetValue(kSettingsKey, name, value)) << name;
  return p;
}

void ExpectSame(const RegistryProfile& got, const std::vector<Entry>& values) {
  Names names;
  for (const auto& [name, value] : values) {
    names.push_back(name);
    const RegValue* v = got.Find(kSettingsKey, name);
    ASSERT_NE(v, nullptr) << name;
    EXPECT_EQ(*v, value) << name;
  }
  EXPECT_EQ(got.ValueNames(kSettingsKey), names);
}

TEST(ProfileRoundTrip, EveryTypeAndAwkwardTextComesBackExactly) {
  const std::vector<Entry> values = AwkwardValues();
  RegistryProfile a = Filled(values);
  a.SetDword(kBandsKey, "Visible", 1);
  ASSERT_TRUE(a.OpenKey("HKEY_CLASSES_ROOT\\KestrelURL\\shell\\open", true));  // empty keys are kept
  const std::string text = a.Serialize();

  ASSERT_TRUE(text.starts_with("REGEDIT4\r\n\r\n"));
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    // Plain text for editors: no control characters but CR LF line breaks (and tabs).
    const unsigned char c = static_cast<unsigned char>(text[i]);
    EXPECT_FALSE((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F) << "byte " << int(c) << " at " << i;
    EXPECT_EQ(c == '\r', i + 1 < text.size() && text[i + 1] == '\n') << "lone CR or bare LF at " << i;
    if (c != '\n') continue;
    // Only the lines of the 1000-byte value are long enough to wrap.
    if (text.compare(lineStart, 6, "\"Big\"=") == 0 || text.compare(lineStart, 2, "  ") == 0) {
      EXPECT_LE(i - 1 - lineStart, 80u) << text.substr(lineStart, i - 1 - lineStart);
    }
    lineStart = i + 1;
  }
  for (const char* line : {"\"Big\"=hex:", "\"Zero\"=dword:00000000\r\n", "\"Max\"=dword:ffffffff\r\n",
                           "@=\"the default value\"\r\n", "\"Breaks\"=\"one\\ntwo\\r\\nthree\\rfour\\n\"\r\n",
                           "[HKEY_CLASSES_ROOT\\KestrelURL\\shell\\open]\r\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line;

  RegistryProfile b;
  ASSERT_TRUE(b.Parse(text));
  ExpectSame(b, values);
  EXPECT_EQ(b.GetDword(kBandsKey, "Visible"), 1u);
  EXPECT_EQ(b.SubKeys("HKEY_CLASSES_ROOT\\KestrelURL\\shell"), Names{"open"});
  EXPECT_EQ(b.Serialize(), text);  // and again, unchanged
}

TEST(Profile, KeysAndValuesIgnoreAsciiCaseAndKeepTheirFirstSpelling) {
  RegistryProfile p;
  EXPECT_TRUE(p.Empty());
  ASSERT_TRUE(p.SetString(kSettingsKey, "UILanguage", "English"));
  EXPECT_EQ(p.GetString("hkcu\\SOFTWARE\\corvana\\Kestrel\\settings", "uilanguage"), "English");
  EXPECT_EQ(p.GetString("HKEY_CURRENT_USER\\Software\\Corvana\\Kestrel\\Settings\\", "UILANGUAGE"), "English");
  EXPECT_TRUE(p.SetString(kSettingsKey, "UILANGUAGE", "Deutsch"));
  EXPECT_EQ(p.ValueNames(kSettingsKey), Names{"UILanguage"});
  EXPECT_EQ(p.GetString(kSettingsKey, "UILanguage"), "Deutsch");
  EXPECT_FALSE(p.GetDword(kSettingsKey, "UILanguage"));  // another type reads as missing
  EXPECT_TRUE(p.SetString(kSettingsKey, "Ä", "upper"));   // only ASCII folds
  EXPECT_FALSE(p.GetString(kSettingsKey, "ä"));

  // Parents are made with the key; later paths use the spelling already there.
  EXPECT_TRUE(p.OpenKey(kKestrelKey, false));
  EXPECT_TRUE(p.OpenKey("hkey_current_user\\software\\CORVANA\\kestrel\\bands", true));
  EXPECT_EQ(p.SubKeys("HKCU\\Software\\Corvana\\Kestrel"), (Names{"Settings", "bands"}));
  EXPECT_EQ(p.SubKeys("HKCU\\Software"), Names{"Corvana"});
  EXPECT_NE(p.Serialize().find("[HKEY_CURRENT_USER\\Software\\Corvana\\Kestrel\\bands]"), std::string::npos);
  EXPECT_FALSE(p.OpenKey("HKCU\\Software\\Other", false));
  EXPECT_TRUE(p.OpenKey("HKEY_LOCAL_MACHINE", false));  // roots are always there

  // What cannot be kept is refused rather than stored differently.
  EXPECT_FALSE(p.SetDword("HKEY_USERS\\x", "v", 1) || p.OpenKey("Software\\Corvana", true) ||
               p.SetDword("HKCU\\bad\nkey", "v", 1) || p.SetString(kSettingsKey, "nul", "a\0b"s) ||
               p.SetDword(kSettingsKey, "n\0l"s, 1));

  // Deleting shifts the rest; lookups and overwrites still find them.
  for (const char* n : {"A", "B", "C", "D"}) p.SetString(kBandsKey, n, n);
  EXPECT_TRUE(p.DeleteValue(kBandsKey, "b") && !p.DeleteValue(kBandsKey, "B"));
  p.SetString(kBandsKey, "d", "dd");
  p.SetString(kBandsKey, "B", "back");
  EXPECT_EQ(p.ValueNames(kBandsKey), (Names{"A", "C", "D", "B"}));
  EXPECT_EQ(p.GetString(kBandsKey, "D"), "dd");
  EXPECT_EQ(p.GetString(kBandsKey, "c"), "C");

  // A key goes with everything below it, and nothing beside it.
  p.SetDword("HKCU\\Software\\Corvana\\KestrelOld", "v", 7);
  EXPECT_TRUE(p.DeleteKey("hkcu\\software\\corvana\\kestrel") && !p.DeleteKey(kKestrelKey));
  EXPECT_FALSE(p.GetString(kSettingsKey, "UILanguage") || p.OpenKey(kBandsKey, false));
  EXPECT_EQ(p.GetDword("HKCU\\Software\\Corvana\\KestrelOld", "v"), 7u);
  EXPECT_EQ(p.SubKeys("HKCU\\Software\\Corvana"), Names{"KestrelOld"});
  p.Clear();
  EXPECT_TRUE(p.Empty());
}

TEST(ProfileParse, HandEditedFilesRead) {
  RegistryProfile p;
  ASSERT_TRUE(p.Parse("\xEF\xBB\xBF  \nREGEDIT4   \n; written by hand\n\n\n"
                      "  [HKCU\\Software\\Corvana\\Kestrel\\Settings]  \n"
                      "\"Name\" = \"Kestrel\"  \n\"Short\"=dword:1F\n\"Lower\"=dword:00abcdef\n@=\"default\"\n"
                      "\"Bytes\"=hex:00,AB,cd, ef ,\\\n      01,02,\\\n\t03\n"
                      "\"Gone\"=\"soon\"\n\"gone\"=-\n"
                      "\"Wine\"=\"a\\nb\\rc\\\\d \\q\"\n"
                      "\"Sz\"=hex(1):48,69,00\n\"Bin3\"=hex(3):01\n\"Expand\"=hex(2):25,00\n"
                      "\"Quad\"=hex(b):01,00,00,00,00,00,00,00\n\n"
                      "[HKEY_CURRENT_USER\\Software\\Corvana\\Kestrel\\Bands\\Old]\n\"x\"=dword:1\n"
                      "[-hkcu\\software\\corvana\\kestrel\\bands]\n\"after a deletion\"=dword:1\n"
                      "[HKCR\\.htm]\n@=\"KestrelHTML\"\n"));
  ExpectSame(p, {{"Name", RegValue::String("Kestrel")}, {"Short", RegValue::Dword(0x1F)},
                 {"Lower", RegValue::Dword(0xABCDEF)}, {"", RegValue::String("default")},
                 {"Bytes", RegValue::Binary({0x00, 0xAB, 0xCD, 0xEF, 1, 2, 3})},
                 {"Wine", RegValue::String("a\nb\rc\\d \\q")}, {"Sz", RegValue::String("Hi")},
                 {"Bin3", RegValue::Binary({1})}});
  // Deleted values and types Kestrel does not keep are missing (above); so is a deleted key and all below it.
  EXPECT_FALSE(p.OpenKey(kBandsKey, false) || p.OpenKey(kBandsKey + "\\Old"s, false));
  EXPECT_EQ(p.GetString("HKEY_CLASSES_ROOT\\.htm", ""), "KestrelHTML");
  EXPECT_NE(p.Serialize().find("[HKEY_CURRENT_USER\\Software\\Corvana\\Kestrel\\Settings]\r\n"), std::string::npos);

  // Version 5 files keep REG_SZ bytes as UTF-16.
  ASSERT_TRUE(p.Parse("Windows Registry Editor Version 5.00\r\n[HKCU\\K]\r\n"
                      "\"w\"=hex(1):47,00,fc,00,3d,d8,00,de,00,00\r\n\"odd\"=hex(1):47,00,fc\r\n"));
  EXPECT_EQ(p.GetString("HKCU\\K", "w"), "Gü\xF0\x9F\x98\x80");
  EXPECT_FALSE(p.Find("HKCU\\K", "odd"));
}

TEST(ProfileParse, BadTextNeverSpreadsBeyondItsLine) {
  // Empty, blank, binary and over-large files are in hostile_inputs_test; here the header rules.
  RegistryProfile p;
  // Whatever is parsed replaces what was there, even when it is refused.
  const std::pair<std::string, bool> wholeFiles[] = {
      {"REGEDIT4", true}, {"[HKCU\\K]\r\n\"a\"=dword:1\r\n", false}, {"; REGEDIT4\r\nREGEDIT4\r\n", false}};
  for (const auto& [text, ok] : wholeFiles) {
    p.SetDword(kSettingsKey, "Before", 1);
    EXPECT_EQ(p.Parse(text), ok) << text;
    EXPECT_TRUE(p.Empty()) << text;
  }
  const std::string big(5u << 20, 'x');
  std::string bigHex = "hex:5a";
  for (int i = 1; i < (1 << 20); ++i) bigHex += ",5a";
  ASSERT_TRUE(p.Parse("REGEDIT4\n"
                      "\"orphan\"=dword:1\n"  // before any key
                      "[HKCU\\K]\n"
                      "\"d9\"=dword:000000001\n\"dx\"=dword:12g4\n\"dnone\"=dword:\n\"dneg\"=dword:-1\n"
                      "\"h1\"=hex:00,0g\n\"h2\"=hex:00,1\n\"h3\"=hex:00,11,\n\"h4\"=hex:00,,11\n\"h5\"=hex(1:41\n"
                      "\"h6\"=hex:00,\\\n"
                      "\"s1\"=\"no end\n\"s2\"=\"junk\" after\n\"s3\"=noquote\n\"s4\"=\"ends in escape\\\"\n"
                      "\"n1=\"x\"\n"
                      "\"big\"=\"" + big + "\"\n"
                      "\"bigbin\"=" + bigHex + "\n"
                      "\"junk\"=\"" + big + "\n"
                      "\"dup\"=dword:1\n\"first\"=dword:1\n\"DUP\"=\"two\"\n"
                      "[HKEY_USERS\\S-1-5]\n\"dup\"=dword:3\n"
                      "[HKCU\\K\n\"dup\"=dword:4\n"
                      "[HKCU\\L]\n\"ok\"=dword:5\n"));
  for (const char* name : {"d9", "dx", "dnone", "dneg", "h1", "h2", "h3", "h4", "h5", "h6", "s1", "s2", "s3", "s4",
                           "n1", "junk", "orphan"})
    EXPECT_FALSE(p.Find("HKCU\\K", name)) << name;
  EXPECT_EQ(p.GetString("HKCU\\K", "big"), big);
  EXPECT_EQ(p.GetBinary("HKCU\\K", "bigbin"), Bytes(1u << 20, 0x5A));
  EXPECT_EQ(p.GetString("HKCU\\K", "dup"), "two");  // the later wins, in the first's place
  EXPECT_EQ(p.ValueNames("HKCU\\K"), (Names{"big", "bigbin", "dup", "first"}));
  EXPECT_EQ(p.GetDword("HKCU\\L", "ok"), 5u);
  EXPECT_FALSE(p.OpenKey("HKEY_USERS", false));
}

TEST(ProfileFile, LoadKeepsDamagedFilesAsideAndSaveCreatesFolders) {
  TempDir dir;
  RegistryProfile p;
  p.SetDword(kSettingsKey, "Stale", 1);
  ProfileFile file(dir.file("deep/er/profile.reg"));
  EXPECT_EQ(file.Load(p), ProfileFile::LoadResult::Missing);
  EXPECT_TRUE(p.Empty());  // what was there goes

  const std::vector<Entry> values = AwkwardValues();
  std::string error;
  ASSERT_TRUE(file.Save(Filled(values), &error)) << error;
  EXPECT_EQ(TempDir::ReadFile(file.path()), Filled(values).Serialize());
  EXPECT_EQ(file.Load(p), ProfileFile::LoadResult::Loaded);
  ExpectSame(p, values);

  // Not a registry file: moved aside byte for byte, replacing an older one.
  const std::string binary = "PK\x03\x04\0\0\xff\r\n\x80"s;
  dir.write("profile.reg", binary);
  dir.write("profile.reg.bad", "older");
  ProfileFile damaged(dir.file("profile.reg"));
  EXPECT_EQ(damaged.Load(p), ProfileFile::LoadResult::KeptAside);
  EXPECT_TRUE(p.Empty());
  EXPECT_EQ(dir.read("profile.reg.bad"), binary);
  EXPECT_EQ(damaged.Load(p), ProfileFile::LoadResult::Missing);

  // A folder in its place is neither read nor moved.
  std::filesystem::create_directory(dir.file("profile.reg"));
  EXPECT_EQ(damaged.Load(p), ProfileFile::LoadResult::Unreadable);
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("profile.reg")));
}

TEST(ProfileFile, DefaultPathFollowsTheEnvironment) {
  const std::string tail = "/Corvana/Kestrel/profile.reg";
  const struct { const char *profile, *config, *home; std::string path; } cases[] = {
      {"/tmp/mine.reg", "/xdg", "/home/u", "/tmp/mine.reg"}, {"", "/xdg/", "/home/u", "/xdg" + tail},
      {nullptr, "relative/cfg", "/home/u", "/home/u/.config" + tail}, {nullptr, nullptr, "/home/u/", "/home/u/.config" + tail},
      {nullptr, "", nullptr, ""}};  // from the user database
  for (const auto& c : cases) {
    ScopedEnv a("KESTREL_PROFILE", c.profile), b("XDG_CONFIG_HOME", c.config), h("HOME", c.home);
    const std::string path = ProfileFile::DefaultPath();
    EXPECT_TRUE(c.path.empty() ? path.starts_with("/") && path.ends_with("/.config" + tail) : path == c.path) << path;
  }
}

using Dirs = std::map<std::string, std::string>;

const int kAllFolders[] = {
    kFolderDesktop, kFolderControls, kFolderPrinters, kFolderPersonal, kFolderFavorites, kFolderStartup, kFolderRecent,
    kFolderBitBucket, kFolderStartMenu, kFolderDrives, kFolderNetwork, kFolderCommonStartMenu, kFolderCommonStartup,
    kFolderInternetCache, kFolderCookies, kFolderHistory, kFolderWindows, kFolderSystem, kFolderProgramFiles,
    kFolderMyPictures, kFolderProfile};

FolderEnvironment Env(const std::string& home = "/home/ann") {
  FolderEnvironment env;
  env.home = home, env.configHome = home + "/.config", env.dataHome = home + "/.local/share";
  env.cacheHome = home + "/.cache", env.programDir = "/opt/kestrel/";
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
      "XDG_DOCUMENTS_DIR=$HOME/Docs\n", "XDG_DOCUMENTS_DIR=\"$HOME/Docs\n",  // no quotes, unterminated
      "XDG_DOCUMENTS_DIR=\"Docs\"\n", "XDG_DOCUMENTS_DIR=\"~/Docs\"\n",      // relative (no tilde expansion)
      "XDG_DOCUMENTS_DIR=\"\"\n", "XDG_DOCUMENTS_DIR=\"$HOMEDocs\"\n", "XDG_DOCUMENTS_DIR=\"${HOME}/Docs\"\n",
      "XDG_DOCUMENTS_DIR=\"/a\" trailing\n", "XDG_DOCUMENTS_DIR \"/a\"\n",    // junk after the value, no '='
      "XDG__DIR=\"/a\"\n", "XDG_DIR=\"/a\"\n", "xdg_documents_dir=\"/a\"\n",  // no name; names are upper case
      "XDG_DOCUMENTS=\"/a\"\n", "MY_DOCUMENTS_DIR=\"/a\"\n", "# XDG_DOCUMENTS_DIR=\"/a\"\n",
      "XDG_DOCUMENTS_DIR=\"/a\nb\"\n", std::string("XDG_DOCUMENTS_DIR=\"/a\0b\"\n", 25),  // a value is one line of text
      "XDG_DOCUMENTS_DIR=\"/a\x01\x7f\"\n", "XDG_DOCUMENTS_DIR=\"$HOME", "XDG_DOCUMENTS_DIR=\"", "XDG_DOCUMENTS_DIR=",
      "=\"/a\"\n", "\"\"\"\"\\\\\\\n", std::string("\xff\xfe\x00\x01XDG_DOCUMENTS_DIR=\"/a\"\n", 27)};

  for (const std::string& b : bad)  // binary bytes, NULs, huge and empty texts: hostile_inputs_test
    EXPECT_EQ(ParseUserDirs(good + b + good, "/home/ann"), (Dirs{{"DESKTOP", "/home/ann/Desk"}})) << b;
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
      {"/home/a b#c?d%e&f+g=h;i@j:k~l.m_n-o", "file:///home/a%20b%23c%3Fd%25e%26f%2Bg%3Dh%3Bi%40j%3Ak~l.m_n-o"},
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
    ScopedEnv h("HOME", home.c_str()), c("XDG_CONFIG_HOME", dir.file("cfg").c_str()), d("XDG_DATA_HOME", "/xdg/d//");
    FolderEnvironment env = FolderEnvironment::FromProcess("");
    EXPECT_EQ(env.dataHome, "/xdg/d");
    ExpectPaths(env,
                {{kFolderPersonal, home + "/Elsewhere"}, {kFolderDesktop, home + "/Desktop"}, {kFolderHistory, ""}});
  }
  // A relative HOME is none: the password entry's home then, absolute or unknown (no HOME at all: the
  // profile path's and the data folder's tests).
  ScopedEnv relative("HOME", "relative"), c("XDG_CONFIG_HOME", nullptr);
  const FolderEnvironment env = FolderEnvironment::FromProcess("/p");
  EXPECT_TRUE(env.home.empty() ? env.configHome.empty() : env.home[0] == '/' && env.configHome.ends_with("/.config"))
      << env.home;
}

using State = HandoffDecoder::State;

std::string Header(std::uint32_t code, std::uint32_t length) {
  std::string h = EncodeHandoff("", code);
  h.resize(4);
  for (int i = 0; i < 4; ++i) h.push_back(static_cast<char>((length >> (8 * i)) & 0xFF));
  return h;
}

TEST(Handoff, MessagesSurviveAnySplitAndMalformedOnesAreDropped) {
  const std::string text = std::string("http://a.example/\nctl\x01\x1b[31m bad\xff\xfe utf8 ") + "\xe2\x82";
  ASSERT_EQ(EncodeHandoff(text).size(), 8 + text.size() + 1);
  const struct { std::string what, message; State state; std::uint32_t code; std::string text; } cases[] = {
      {"bytes kept", EncodeHandoff(text), State::Done, kHandoffCode, text},
      {"empty", EncodeHandoff(""), State::Done, kHandoffCode, ""},
      // Over the limit: dropped on the header alone, nothing buffered; exactly at the limit is still taken.
      {"over", Header(kHandoffCode, kHandoffMaxLength + 1), State::Bad, kHandoffCode, ""},
      {"limit", Header(kHandoffCode, kHandoffMaxLength) + std::string(kHandoffMaxLength, 'a'), State::Done,
       kHandoffCode, std::string(kHandoffMaxLength, 'a')},
      {"more bytes than the length said", Header(kHandoffCode, 3) + "abcdef", State::Bad, kHandoffCode, ""},
      {"fewer: never done", Header(kHandoffCode, 100) + "short", State::NeedMore, kHandoffCode, ""},
      // A NUL inside ends the text, as for a C string; another code is passed on to be ignored.
      {"NUL", Header(0x1234, 6) + std::string("ab\0cd\0", 6), State::Done, 0x1234u, "ab"}};
  for (const auto& c : cases) {
    for (std::size_t chunk : {1u, 3u, 7u, 8u, 9u, 1u << 20}) {
      SCOPED_TRACE(c.what + ", in pieces of " + std::to_string(chunk));
      HandoffDecoder d;
      State st = State::NeedMore;
      for (std::size_t i = 0; i < c.message.size(); i += chunk)
        st = d.Feed(c.message.data() + i, std::min(chunk, c.message.size() - i));
      EXPECT_EQ(st, c.state);
      EXPECT_TRUE(d.text() == c.text) << d.text().size();  // not printed: a text may be a megabyte
      EXPECT_TRUE(c.state != State::Done || d.code() == c.code) << d.code();
    }
  }
  HandoffDecoder later;  // a byte after a whole message
  const std::string ok = EncodeHandoff("ab");
  EXPECT_EQ(later.Feed(ok.data(), ok.size()), State::Done);
  EXPECT_EQ(later.Feed("x", 1), State::Bad);
}

// Serves one hand-off in a child process and exits with 0 if it got `expect`.
pid_t ServeOnce(SingleInstance& inst, const std::string& expect, bool answer) {
  int lfd = inst.Listen();
  pid_t pid = fork();
  if (pid != 0) return pid;
  pollfd p{lfd, POLLIN, 0};
  if (poll(&p, 1, 10000) != 1) _exit(2);
  int c = accept(lfd, nullptr, nullptr);
  HandoffDecoder d;
  char buf[4096];
  ssize_t n;
  while (d.state() == State::NeedMore && (n = recv(c, buf, sizeof buf, 0)) > 0)
    d.Feed(buf, static_cast<std::size_t>(n));
  char reply[4] = {answer ? '\1' : '\0', 0, 0, 0};
  send(c, reply, 4, MSG_NOSIGNAL);
  _exit(d.state() == State::Done && d.text() == expect ? 0 : 3);
}

int Wait(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

TEST(SingleInstance, OneFirstAtATimeAndTheHandOffIsAnswered) {
  TempDir dir;
  // A runtime folder of ours left open to others (by hand, or an older run) is closed before it is used.
  ASSERT_EQ(mkdir(dir.file("run").c_str(), 0700), 0);
  chmod(dir.file("run").c_str(), 0755);
  SingleInstance first(dir.file("run")), second(dir.file("run"));
  ASSERT_EQ(first.Claim(), SingleInstance::Role::First);
  EXPECT_EQ(second.Claim(), SingleInstance::Role::Second);
  struct stat st {};
  ASSERT_EQ(stat(dir.file("run").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  const std::string text = "http://x.example/\n\x01\xff";
  pid_t server = ServeOnce(first, text, true);
  std::string error;
  EXPECT_TRUE(second.HandOff(text, 10000, &error)) << error;
  EXPECT_EQ(Wait(server), 0);

  server = ServeOnce(first, "", false);
  EXPECT_FALSE(second.HandOff("", 10000, &error));  // answered "not taken"
  EXPECT_EQ(Wait(server), 0);

  first.Release();
  EXPECT_EQ(second.Claim(), SingleInstance::Role::First);
}

TEST(SingleInstance, ADeadInstanceLeavesNothingThatBlocksTheNext) {
  TempDir dir;
  pid_t pid = fork();
  if (pid == 0) {
    SingleInstance dying(dir.file("run"));
    if (dying.Claim() != SingleInstance::Role::First || dying.Listen() < 0) _exit(1);
    raise(SIGKILL);  // no clean-up: lock file and socket stay behind
  }
  EXPECT_EQ(Wait(pid), 100 + SIGKILL);
  SingleInstance next(dir.file("run"));
  ASSERT_TRUE(access(next.socketPath().c_str(), F_OK) == 0);  // the stale socket is there
  ASSERT_EQ(next.Claim(), SingleInstance::Role::First);
  EXPECT_GE(next.Listen(), 0);

  // A hand-off with nobody answering gives up after its time.
  SingleInstance late(dir.file("run"));
  ASSERT_EQ(late.Claim(), SingleInstance::Role::Second);
  std::string error;
  EXPECT_FALSE(late.HandOff("x", 300, &error));
  EXPECT_FALSE(error.empty());
}

// The runtime folder's mode (OneFirstAtATime) keeps other users from the socket; where a socket is reachable anyway,
// a peer of another user is still told apart, and a runtime folder of somebody else's is refused outright.
TEST(SingleInstance, AnotherUserCanNeitherEnterNorBeTrusted) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  TempDir dir;
  chmod(dir.path().c_str(), 0755);
  int lfd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::strncpy(a.sun_path, dir.file("open.sock").c_str(), sizeof a.sun_path - 1);
  ASSERT_EQ(bind(lfd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  chmod(a.sun_path, 0777);
  listen(lfd, 1);
  pid_t pid = fork();
  if (pid == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(9);
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) _exit(8);
    sleep(1);
    _exit(0);
  }
  int c = accept(lfd, nullptr, nullptr);
  EXPECT_FALSE(SingleInstance::PeerIsSameUser(c));
  EXPECT_EQ(Wait(pid), 0);
  int pair[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
  EXPECT_TRUE(SingleInstance::PeerIsSameUser(pair[0]));
  for (int fd : {c, lfd, pair[0], pair[1]}) close(fd);

  std::string theirs = dir.file("theirs");
  mkdir(theirs.c_str(), 0700);
  ASSERT_EQ(chown(theirs.c_str(), 65534, 65534), 0);
  SingleInstance refused(theirs);
  EXPECT_EQ(refused.Claim(), SingleInstance::Role::Failed);
}

}  // namespace
}  // namespace kestrel
