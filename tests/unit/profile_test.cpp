#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/profile.h"
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
  return {
      {"Plain", RegValue::String("English")},
      {"Quotes", RegValue::String("say \"hi\" \"")},
      {"Backslashes", RegValue::String("C:\\temp\\ \\\\server\\ end\\")},
      {"Breaks", RegValue::String("one\ntwo\r\nthree\rfour\n")},
      {"Controls", RegValue::String("bell\a esc\x1b del\x7f tab\t")},
      {"Utf8", RegValue::String("Grüße ✓ 日本")},
      {"HighBytes", RegValue::String("\xff\xfe\x80 \xc3")},
      {"Every byte", RegValue::String(everyByteButNul)},
      {"Empty", RegValue::String("")},
      {"", RegValue::String("the default value")},
      {"@", RegValue::String("a value named @")},
      {"a=b", RegValue::Dword(1)},
      {"\"quoted\" = \\name\\", RegValue::Dword(2)},
      {"line\nbreak", RegValue::Dword(3)},
      {"Zero", RegValue::Dword(0)},
      {"Max", RegValue::Dword(0xFFFFFFFFu)},
      {"NoBytes", RegValue::Binary({})},
      {"Rect", RegValue::Binary(Counting(16))},
      {"Big", RegValue::Binary(Counting(1000))},
  };
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
  EXPECT_FALSE(p.SetDword("HKEY_USERS\\x", "v", 1));
  EXPECT_FALSE(p.OpenKey("Software\\Corvana", true));
  EXPECT_FALSE(p.SetDword("HKCU\\bad\nkey", "v", 1));
  EXPECT_FALSE(p.SetString(kSettingsKey, "nul", "a\0b"s));
  EXPECT_FALSE(p.SetDword(kSettingsKey, "n\0l"s, 1));

  // Deleting shifts the rest; lookups and overwrites still find them.
  for (const char* n : {"A", "B", "C", "D"}) p.SetString(kBandsKey, n, n);
  EXPECT_TRUE(p.DeleteValue(kBandsKey, "b"));
  EXPECT_FALSE(p.DeleteValue(kBandsKey, "B"));
  p.SetString(kBandsKey, "d", "dd");
  p.SetString(kBandsKey, "B", "back");
  EXPECT_EQ(p.ValueNames(kBandsKey), (Names{"A", "C", "D", "B"}));
  EXPECT_EQ(p.GetString(kBandsKey, "D"), "dd");
  EXPECT_EQ(p.GetString(kBandsKey, "c"), "C");

  // A key goes with everything below it, and nothing beside it.
  p.SetDword("HKCU\\Software\\Corvana\\KestrelOld", "v", 7);
  EXPECT_TRUE(p.DeleteKey("hkcu\\software\\corvana\\kestrel"));
  EXPECT_FALSE(p.DeleteKey(kKestrelKey));
  EXPECT_FALSE(p.GetString(kSettingsKey, "UILanguage"));
  EXPECT_FALSE(p.OpenKey(kBandsKey, false));
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
  EXPECT_FALSE(p.OpenKey(kBandsKey, false));
  EXPECT_FALSE(p.OpenKey(kBandsKey + "\\Old"s, false));
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
  std::string garbage;  // no NUL: a NUL refuses the whole file
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>(1 + (i * 131) % 255);
  // Whatever is parsed replaces what was there, even when it is refused.
  const std::pair<std::string, bool> wholeFiles[] = {
      {"REGEDIT4", true}, {"[HKCU\\K]\r\n\"a\"=dword:1\r\n", false}, {"; REGEDIT4\r\nREGEDIT4\r\n", false}};
  for (const auto& [text, ok] : wholeFiles) {
    p.SetDword(kSettingsKey, "Before", 1);
    EXPECT_EQ(p.Parse(text), ok) << text;
    EXPECT_TRUE(p.Empty()) << text;
  }
  EXPECT_TRUE(p.Parse("REGEDIT4\n" + garbage + "\n[HKCU\\K]\n\"ok\"=dword:2\n"));
  EXPECT_EQ(p.GetDword("HKCU\\K", "ok"), 2u);

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

TEST(ProfileParse, EveryPrefixOfAValidFileReadsExactlyOrMissing) {
  std::vector<Entry> values = {
      {"Name", RegValue::String("say \"hi\"\\")}, {"Count", RegValue::Dword(0x12345678)},
      {"", RegValue::String("default")},          {"Ctl", RegValue::String("a\x01z")},
      {"Empty", RegValue::String("")},            {"Rect", RegValue::Binary(Counting(60))},
      {"Zero", RegValue::Dword(0)},               {"Lines", RegValue::String("1\r\n2")},
      {"NoBytes", RegValue::Binary({})},          {"Last", RegValue::Binary({0xAB})},
  };
  RegistryProfile full = Filled(values);
  full.SetDword(kBandsKey, "Links", 0xFFFFFFFFu);
  values.push_back({"Links", RegValue::Dword(0xFFFFFFFFu)});
  const std::string text = full.Serialize();
  ASSERT_NE(text.find("\\\r\n  "), std::string::npos);  // a wrapped value is among them

  std::size_t lastCount = 0;
  for (std::size_t cut = 0; cut <= text.size(); ++cut) {
    RegistryProfile p;
    EXPECT_EQ(p.Parse(std::string_view(text).substr(0, cut)), cut == 0 || cut >= 8) << cut;  // "REGEDIT4" whole
    std::size_t count = 0;
    for (const auto& [name, value] : values) {
      if (const RegValue* v = p.Find(name == "Links" ? kBandsKey : kSettingsKey, name)) {
        ++count;
        EXPECT_EQ(*v, value) << "cut at " << cut << ", value " << name;
      }
    }
    EXPECT_EQ(p.ValueNames(kSettingsKey).size() + p.ValueNames(kBandsKey).size(), count) << cut;
    EXPECT_GE(count, lastCount) << cut;
    lastCount = count;
  }
  EXPECT_EQ(lastCount, values.size());
}

TEST(ProfileFile, LoadKeepsDamagedFilesAsideAndSaveCreatesFolders) {
  TempDir dir;
  RegistryProfile p;
  p.SetDword(kSettingsKey, "Stale", 1);
  ProfileFile file(dir.file("deep/er/profile.reg"));
  EXPECT_EQ(file.Load(p), ProfileFile::LoadResult::Missing);
  EXPECT_TRUE(p.Empty());

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
      {"/tmp/mine.reg", "/xdg", "/home/u", "/tmp/mine.reg"},
      {"", "/xdg/", "/home/u", "/xdg" + tail},
      {nullptr, "relative/cfg", "/home/u", "/home/u/.config" + tail},
      {nullptr, nullptr, "/home/u/", "/home/u/.config" + tail},
      {nullptr, "", nullptr, ""}};  // from the user database
  for (const auto& c : cases) {
    ScopedEnv a("KESTREL_PROFILE", c.profile), b("XDG_CONFIG_HOME", c.config), h("HOME", c.home);
    const std::string path = ProfileFile::DefaultPath();
    if (c.path.empty()) {
      EXPECT_TRUE(path.starts_with("/") && path.ends_with("/.config" + tail)) << path;
    } else {
      EXPECT_EQ(path, c.path);
    }
  }
}

}  // namespace
}  // namespace kestrel
