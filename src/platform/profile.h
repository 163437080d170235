#pragma once
// The registry profile: a tree of keys holding string, DWORD and binary
// values, under the roots HKEY_CURRENT_USER, HKEY_CLASSES_ROOT and
// HKEY_LOCAL_MACHINE. Key paths are written as on Windows, with "\"
// ("HKEY_CURRENT_USER\Software\Corvana\Kestrel\Settings"); key and value
// names compare without ASCII case, as the registry's do.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrel {

inline constexpr const char* kKestrelKey = "HKEY_CURRENT_USER\\Software\\Corvana\\Kestrel";
inline constexpr const char* kSettingsKey = "HKEY_CURRENT_USER\\Software\\Corvana\\Kestrel\\Settings";
inline constexpr const char* kBandsKey = "HKEY_CURRENT_USER\\Software\\Corvana\\Kestrel\\Bands";

enum class RegType { String, Dword, Binary };

struct RegValue {
  RegType type = RegType::String;
  std::string text;                 // String
  std::uint32_t dword = 0;          // Dword
  std::vector<std::uint8_t> bytes;  // Binary

  static RegValue String(std::string s);
  static RegValue Dword(std::uint32_t v);
  static RegValue Binary(std::vector<std::uint8_t> b);
  bool operator==(const RegValue&) const = default;
};

// What every part reads and writes. Reads never fail: a missing value or one
// of another type is nullopt. Writes return false when they cannot be done.
class Profile {
 public:
  virtual ~Profile() = default;

  virtual const RegValue* Find(std::string_view key, std::string_view name) const = 0;
  // Creates the key (and its parents) when `create`; false if it is not there
  // (or cannot be made).
  virtual bool OpenKey(std::string_view key, bool create) = 0;
  virtual bool SetValue(std::string_view key, std::string_view name, RegValue value) = 0;
  virtual bool DeleteValue(std::string_view key, std::string_view name) = 0;
  // Removes the key with everything below it.
  virtual bool DeleteKey(std::string_view key) = 0;
  virtual std::vector<std::string> ValueNames(std::string_view key) const = 0;
  virtual std::vector<std::string> SubKeys(std::string_view key) const = 0;

  std::optional<std::string> GetString(std::string_view key, std::string_view name) const;
  std::optional<std::uint32_t> GetDword(std::string_view key, std::string_view name) const;
  std::optional<std::vector<std::uint8_t>> GetBinary(std::string_view key, std::string_view name) const;
  bool SetString(std::string_view key, std::string_view name, std::string value);
  bool SetDword(std::string_view key, std::string_view name, std::uint32_t value);
  bool SetBinary(std::string_view key, std::string_view name, std::vector<std::uint8_t> value);
};

// The in-memory tree, read from and written to the REGEDIT4 text format:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Corvana\Kestrel\Settings]
//   "UILanguage"="English"
//   "RunCount"=dword:00000003
//   "bandrc0"=hex:00,00,00,00,...
//
// Keys are kept in the order they were first made; values likewise.
class RegistryProfile : public Profile {
 public:
  const RegValue* Find(std::string_view key, std::string_view name) const override;
  bool OpenKey(std::string_view key, bool create) override;
  bool SetValue(std::string_view key, std::string_view name, RegValue value) override;
  bool DeleteValue(std::string_view key, std::string_view name) override;
  bool DeleteKey(std::string_view key) override;
  std::vector<std::string> ValueNames(std::string_view key) const override;
  std::vector<std::string> SubKeys(std::string_view key) const override;

  void Clear();
  bool Empty() const;

  // The REGEDIT4 codec (regedit4.cpp). Parses REGEDIT4 text into this (emptied) tree. Lines that cannot be read
  // (a broken value, a key under an unknown root, a cut-off last line) are
  // skipped, so a damaged value simply reads as missing. Returns false only
  // when the text is not a registry file at all (no "REGEDIT4" header, or NUL
  // bytes); the tree is then left empty. Empty or blank text is an empty tree.
  bool Parse(std::string_view text);
  // REGEDIT4 text with CR LF line breaks; long hex values wrap with "\" as
  // regedit writes them. Strings keep "\" and """ escaped; line breaks in a
  // string are written as \n and \r.
  std::string Serialize() const;

 private:
  struct Key {
    std::string path;    // as first written
    std::string folded;  // the full path, root spelled out, ASCII-folded
    std::vector<std::pair<std::string, RegValue>> values;
    std::unordered_map<std::string, std::size_t> index;  // folded name -> place in values
  };
  Key* FindKey(std::string_view path);
  const Key* FindKey(std::string_view path) const;
  // The key and its missing parents (roots get an entry only when named
  // themselves); nullptr for a path under an unknown root or a bad name.
  Key* MakeKey(std::string_view path);
  static void Put(Key& key, std::string_view name, RegValue value);
  static bool Remove(Key& key, std::string_view name);
  bool RemoveTree(std::string_view path);
  std::vector<Key> keys_;
  std::unordered_map<std::string, std::size_t> keyIndex_;  // folded path -> place in keys_
};

}  // namespace kestrel
