#include "platform/profile.h"

#include <algorithm>

#include "common/strings.h"

// The key tree: keys and values, found and compared without ASCII case.
namespace kestrel {

RegValue RegValue::String(std::string s) {
  RegValue v;
  v.type = RegType::String;
  v.text = std::move(s);
  return v;
}
RegValue RegValue::Dword(std::uint32_t d) {
  RegValue v;
  v.type = RegType::Dword;
  v.dword = d;
  return v;
}
RegValue RegValue::Binary(std::vector<std::uint8_t> b) {
  RegValue v;
  v.type = RegType::Binary;
  v.bytes = std::move(b);
  return v;
}

std::optional<std::string> Profile::GetString(std::string_view key, std::string_view name) const {
  const RegValue* v = Find(key, name);
  if (!v || v->type != RegType::String) return std::nullopt;
  return v->text;
}
std::optional<std::uint32_t> Profile::GetDword(std::string_view key, std::string_view name) const {
  const RegValue* v = Find(key, name);
  if (!v || v->type != RegType::Dword) return std::nullopt;
  return v->dword;
}
std::optional<std::vector<std::uint8_t>> Profile::GetBinary(std::string_view key, std::string_view name) const {
  const RegValue* v = Find(key, name);
  if (!v || v->type != RegType::Binary) return std::nullopt;
  return v->bytes;
}
bool Profile::SetString(std::string_view key, std::string_view name, std::string value) {
  return SetValue(key, name, RegValue::String(std::move(value)));
}
bool Profile::SetDword(std::string_view key, std::string_view name, std::uint32_t value) {
  return SetValue(key, name, RegValue::Dword(value));
}
bool Profile::SetBinary(std::string_view key, std::string_view name, std::vector<std::uint8_t> value) {
  return SetValue(key, name, RegValue::Binary(std::move(value)));
}

namespace {

constexpr std::string_view kRoots[] = {"HKEY_CURRENT_USER", "HKEY_CLASSES_ROOT", "HKEY_LOCAL_MACHINE"};
constexpr std::string_view kShortRoots[] = {"HKCU", "HKCR", "HKLM"};
constexpr std::string_view kNul("\0", 1);

// A key path as its root (spelled out) and the names below it. Doubled or
// trailing separators are forgiven; a name holding a line break or NUL could
// not be written back as a "[...]" line, so such a path is refused.
struct KeyPath {
  std::string_view root;
  std::vector<std::string_view> parts;
};

std::optional<KeyPath> SplitKeyPath(std::string_view path) {
  KeyPath out;
  bool haveRoot = false;
  std::size_t pos = 0;
  while (pos <= path.size()) {
    std::size_t end = path.find('\\', pos);
    if (end == std::string_view::npos) end = path.size();
    std::string_view part = path.substr(pos, end - pos);
    pos = end + 1;
    if (part.empty()) continue;
    if (part.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) return std::nullopt;
    if (haveRoot) {
      out.parts.push_back(part);
      continue;
    }
    for (std::size_t i = 0; i < std::size(kRoots); ++i)
      if (EqualsNoCase(part, kRoots[i]) || EqualsNoCase(part, kShortRoots[i])) out.root = kRoots[i];
    if (out.root.empty()) return std::nullopt;
    haveRoot = true;
  }
  if (!haveRoot) return std::nullopt;
  return out;
}

std::string FoldedPath(const KeyPath& kp) {
  std::string out = ToLowerAscii(kp.root);
  for (std::string_view part : kp.parts) {
    out += '\\';
    out += ToLowerAscii(part);
  }
  return out;
}
bool ValidValue(std::string_view name, const RegValue& value) {
  if (name.find(kNul) != std::string_view::npos) return false;
  return value.type != RegType::String || value.text.find(kNul) == std::string::npos;
}

}  // namespace

RegistryProfile::Key* RegistryProfile::FindKey(std::string_view path) {
  const std::optional<KeyPath> kp = SplitKeyPath(path);
  if (!kp) return nullptr;
  const auto it = keyIndex_.find(FoldedPath(*kp));
  return it == keyIndex_.end() ? nullptr : &keys_[it->second];
}

const RegistryProfile::Key* RegistryProfile::FindKey(std::string_view path) const {
  return const_cast<RegistryProfile*>(this)->FindKey(path);
}

RegistryProfile::Key* RegistryProfile::MakeKey(std::string_view path) {
  const std::optional<KeyPath> kp = SplitKeyPath(path);
  if (!kp) return nullptr;
  std::string shown(kp->root), folded = ToLowerAscii(kp->root);
  // Each level keeps the spelling it was first made with.
  auto make = [&]() -> Key* {
    const auto it = keyIndex_.find(folded);
    if (it != keyIndex_.end()) {
      shown = keys_[it->second].path;
      return &keys_[it->second];
    }
    keyIndex_.emplace(folded, keys_.size());
    keys_.push_back(Key{shown, folded, {}, {}});
    return &keys_.back();
  };
  if (kp->parts.empty()) return make();
  Key* key = nullptr;
  for (std::string_view part : kp->parts) {
    shown += '\\';
    shown += part;
    folded += '\\';
    folded += ToLowerAscii(part);
    key = make();
  }
  return key;
}

void RegistryProfile::Put(Key& key, std::string_view name, RegValue value) {
  const auto [it, added] = key.index.emplace(ToLowerAscii(name), key.values.size());
  if (added)
    key.values.emplace_back(std::string(name), std::move(value));
  else
    key.values[it->second].second = std::move(value);
}

bool RegistryProfile::Remove(Key& key, std::string_view name) {
  const auto it = key.index.find(ToLowerAscii(name));
  if (it == key.index.end()) return false;
  const std::size_t at = it->second;
  key.index.erase(it);
  key.values.erase(key.values.begin() + static_cast<std::ptrdiff_t>(at));
  for (std::size_t i = at; i < key.values.size(); ++i) key.index[ToLowerAscii(key.values[i].first)] = i;
  return true;
}

bool RegistryProfile::RemoveTree(std::string_view path) {
  const std::optional<KeyPath> kp = SplitKeyPath(path);
  if (!kp) return false;
  const std::string folded = FoldedPath(*kp);
  const std::string below = folded + '\\';
  const auto gone = std::remove_if(keys_.begin(), keys_.end(), [&](const Key& k) {
    return k.folded == folded || k.folded.starts_with(below);
  });
  const bool removed = gone != keys_.end();
  if (removed) {
    keys_.erase(gone, keys_.end());
    keyIndex_.clear();
    for (std::size_t i = 0; i < keys_.size(); ++i) keyIndex_.emplace(keys_[i].folded, i);
  }
  return removed || kp->parts.empty();  // a root is always there
}

const RegValue* RegistryProfile::Find(std::string_view key, std::string_view name) const {
  const Key* k = FindKey(key);
  if (!k) return nullptr;
  const auto it = k->index.find(ToLowerAscii(name));
  return it == k->index.end() ? nullptr : &k->values[it->second].second;
}

bool RegistryProfile::OpenKey(std::string_view key, bool create) {
  const std::optional<KeyPath> kp = SplitKeyPath(key);
  if (!kp) return false;
  if (kp->parts.empty() || FindKey(key)) return true;
  return create && MakeKey(key);
}

bool RegistryProfile::SetValue(std::string_view key, std::string_view name, RegValue value) {
  if (!ValidValue(name, value)) return false;  // NUL cannot be stored
  Key* k = MakeKey(key);
  if (!k) return false;
  Put(*k, name, std::move(value));
  return true;
}

bool RegistryProfile::DeleteValue(std::string_view key, std::string_view name) {
  Key* k = FindKey(key);
  return k && Remove(*k, name);
}

bool RegistryProfile::DeleteKey(std::string_view key) { return RemoveTree(key); }

std::vector<std::string> RegistryProfile::ValueNames(std::string_view key) const {
  std::vector<std::string> out;
  if (const Key* k = FindKey(key))
    for (const auto& entry : k->values) out.push_back(entry.first);
  return out;
}

std::vector<std::string> RegistryProfile::SubKeys(std::string_view key) const {
  std::vector<std::string> out;
  const std::optional<KeyPath> kp = SplitKeyPath(key);
  if (!kp) return out;
  const std::string below = FoldedPath(*kp) + '\\';
  for (const Key& k : keys_)
    if (k.folded.starts_with(below) && k.folded.find('\\', below.size()) == std::string::npos)
      out.push_back(k.path.substr(below.size()));  // folding keeps the length
  return out;
}

void RegistryProfile::Clear() {
  keys_.clear();
  keyIndex_.clear();
}

bool RegistryProfile::Empty() const { return keys_.empty(); }

}  // namespace kestrel
