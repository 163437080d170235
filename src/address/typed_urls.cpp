#include "address/typed_urls.h"

#include <algorithm>
#include <charconv>

#include "common/strings.h"

namespace kestrel {

std::string CutUtf8(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return std::string(text);
  std::size_t end = limit;
  // Back off continuation bytes so the cut lands before a lead byte.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return std::string(text.substr(0, end));
}

std::string TypedUrlList::Normalise(std::string_view text) {
  std::string t(text);
  char sep = t.find('\\') != std::string::npos ? '\\' : t.find('/') != std::string::npos ? '/' : '\0';
  if (sep && t.size() > 1 && t.back() == sep && t[t.size() - 2] != ':') t.pop_back();
  return t;
}

void TypedUrlList::Insert(std::string_view text) {
  if (text.empty()) return;
  std::string item = CutUtf8(text, kItemMax);
  std::erase_if(items_, [&](const std::string& s) { return EqualsNoCase(CutUtf8(s, kItemMax), item); });
  items_.insert(items_.begin(), std::move(item));
  Changed();
}

void TypedUrlList::RemoveAt(std::size_t index) {
  if (index >= items_.size()) return;
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
  Changed();
}

namespace {

// The position a value name stands for: "url7" is 7; 0 for anything else.
// Only the names Save writes count: "url07" would shadow "url7" and never be
// replaced or deleted.
std::size_t PositionOf(std::string_view name) {
  if (name.size() < 4 || !StartsWithNoCase(name, "url")) return 0;
  std::size_t n = 0;
  auto digits = name.substr(3);
  if (digits[0] == '0') return 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (ec != std::errc() || end != digits.data() + digits.size()) return 0;
  return n;
}

}  // namespace

void TypedUrlList::Clear(Profile& profile) {
  for (std::size_t i = 1;; ++i) {
    std::string name = "url" + std::to_string(i);
    if (!profile.Find(kTypedUrlsKey, name)) break;
    profile.DeleteValue(kTypedUrlsKey, name);
  }
  items_.clear();
  Changed();
}

void TypedUrlList::Load(const Profile& profile) {
  // A key that is not there reads as no names at all; only a key with
  // values replaces what the list holds.
  std::vector<std::string> names = profile.ValueNames(kTypedUrlsKey);
  if (names.empty()) return;
  std::vector<std::string> slots(names.size());
  for (const std::string& name : names) {
    std::size_t pos = PositionOf(name);
    if (pos < 1 || pos > slots.size()) continue;
    if (auto text = profile.GetString(kTypedUrlsKey, name)) slots[pos - 1] = CutUtf8(*text, kItemMax);
  }
  // Holes in the numbering would show as empty rows in the drop-down.
  std::erase_if(slots, [](const std::string& s) { return s.empty(); });
  items_ = std::move(slots);
  Changed();
}

bool TypedUrlList::Save(Profile& profile) const {
  if (!profile.OpenKey(kTypedUrlsKey, true)) return false;
  bool ok = true;
  for (std::size_t i = 0; i < items_.size(); ++i)
    ok = profile.SetString(kTypedUrlsKey, "url" + std::to_string(i + 1), items_[i]) && ok;
  for (const std::string& name : profile.ValueNames(kTypedUrlsKey))
    if (PositionOf(name) > items_.size()) profile.DeleteValue(kTypedUrlsKey, name);
  return ok;
}

}  // namespace kestrel
