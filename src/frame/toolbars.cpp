#include "frame/toolbars.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "common/strings.h"
#include "frame/command_ids.h"

namespace kestrel {

const std::vector<unsigned>& DefaultBandOrder() {
  static const std::vector<unsigned> order = {kBandMenuBar, kBandWindowButtons, kBandBusy,     kBandStandard,
                                              kBandAddress, kBandQuickSearch,   kBandSiteTabs};
  return order;
}

bool BandStartsRow(unsigned id) {
  return id == kBandMenuBar || id == kBandStandard || id == kBandAddress || id == kBandSiteTabs;
}

const std::vector<unsigned>& ButtonTable() {
  static const std::vector<unsigned> table = {
      ID_GO_BACK,      ID_GO_FORWARD,   ID_SEARCH_WEB,      ID_FILE_NEW,           ID_VIEW_STOP,
      ID_VIEW_REFRESH, ID_GO_HOME,      ID_EXPLORER_FAVORITES, ID_EXPLORER_HISTORY, ID_FILE_PRINT,
      ID_FONTS,        ID_FULL_SCREEN,  ID_READ_EMAIL,      ID_HIDDEN_SITES,       ID_BLOCK_POPUP_ALT_IMAGE,
      ID_RESTORE_LAST_POPUP, ID_BLOCK_POPUP, ID_OTHER_BROWSER, ID_EDIT_WEB_PAGE,   0,
      ID_EDIT_PASTE,   ID_EDIT_COPY,    ID_EDIT_CUT,        ID_PROPERTIES,         0,
      0,               0,               ID_ENCODING,        ID_GO_UP};
  return table;
}

const std::vector<unsigned>& DefaultButtons() {
  static const std::vector<unsigned> ids = {
      ID_FILE_NEW, ID_GO_BACK,    ID_GO_FORWARD,  ID_GO_UP,       ID_VIEW_STOP,   ID_VIEW_REFRESH,       ID_GO_HOME,
      0,           ID_SEARCH_WEB, ID_EXPLORER_FAVORITES,          ID_EXPLORER_HISTORY, 0,                ID_READ_EMAIL,
      ID_FILE_PRINT, ID_EDIT_WEB_PAGE, ID_FULL_SCREEN, ID_FONTS,  ID_BLOCK_POPUP, ID_RESTORE_LAST_POPUP, ID_HIDDEN_SITES};
  return ids;
}

const std::vector<unsigned>& DropDownButtons() {
  static const std::vector<unsigned> ids = {ID_GO_BACK, ID_GO_FORWARD, ID_FONTS, ID_READ_EMAIL, ID_ENCODING,
                                            ID_EDIT_WEB_PAGE};
  return ids;
}

int ImageIndexOf(unsigned id) {
  if (id == 0) return -1;
  const auto& t = ButtonTable();
  auto it = std::find(t.begin(), t.end(), id);
  return it == t.end() ? -1 : static_cast<int>(it - t.begin());
}

bool IsDropDownButton(unsigned id) {
  const auto& d = DropDownButtons();
  return std::find(d.begin(), d.end(), id) != d.end();
}

std::vector<unsigned> ParseButtonList(std::string_view text) {
  std::vector<unsigned> ids;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    std::size_t start = i;
    while (i < text.size() && !IsBlank(text[i])) ++i;
    if (start == i) break;
    std::string_view field = text.substr(start, i - start);
    unsigned id = 0;
    auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), id);
    if (ec != std::errc() || end != field.data() + field.size()) id = 0;
    ids.push_back(id);
  }
  return ids;
}

std::string FormatButtonList(const std::vector<unsigned>& ids) {
  std::string out;
  for (unsigned id : ids) out += std::to_string(id) + ' ';
  if (!out.empty()) out.pop_back();
  return out;
}

ToolbarButtons LoadButtons(const Profile& profile) {
  ToolbarButtons b;
  b.showText = profile.GetDword(kSettingsKey, "TBShowText").value_or(0) > 0;
  b.largeIcons = profile.GetDword(kSettingsKey, "TBLargeIcon").value_or(1) > 0;
  b.ids = ParseButtonList(profile.GetString(kSettingsKey, "ToolBarButtons").value_or(""));
  if (b.ids.empty()) b.ids = DefaultButtons();
  return b;
}

void SaveButtons(Profile& profile, const ToolbarButtons& b) {
  profile.SetDword(kSettingsKey, "TBLargeIcon", b.largeIcons ? 1 : 0);
  profile.SetDword(kSettingsKey, "TBShowText", b.showText ? 1 : 0);
  profile.SetString(kSettingsKey, "ToolBarButtons", FormatButtonList(b.ids));
}

ButtonSize ButtonSizeFor(bool largeIcons, bool showText) {
  const int image = largeIcons ? 24 : 16;
  return {image + 7, image + 6 + (showText ? 14 : 0)};
}

CustomizeToolbarModel::CustomizeToolbarModel(const ToolbarButtons& now)
    : largeIcons(now.largeIcons), showText(now.showText), current_(now.ids) {
  FillAvailable();
}

void CustomizeToolbarModel::FillAvailable() {
  available_.clear();
  for (unsigned id : ButtonTable()) {
    if (id == 0 || id == ID_BLOCK_POPUP_ALT_IMAGE) continue;
    if (std::find(current_.begin(), current_.end(), id) == current_.end()) available_.push_back(id);
  }
  available_.push_back(0);  // "Separator", always offered
}

int CustomizeToolbarModel::Add(int a, int c) {
  if (a < 0 || a >= static_cast<int>(available_.size())) return -1;
  const unsigned id = available_[static_cast<std::size_t>(a)];
  const int at = c >= 0 && c < static_cast<int>(current_.size()) ? c : static_cast<int>(current_.size());
  current_.insert(current_.begin() + at, id);
  if (id != 0) available_.erase(available_.begin() + a);
  return at;
}

bool CustomizeToolbarModel::Remove(int c) {
  if (c < 0 || c >= static_cast<int>(current_.size())) return false;
  const unsigned id = current_[static_cast<std::size_t>(c)];
  current_.erase(current_.begin() + c);
  // Back at the end, before the "Separator" item that always closes the list.
  if (id != 0) available_.insert(available_.end() - 1, id);
  return true;
}

int CustomizeToolbarModel::MoveUp(int c) {
  if (c <= 0 || c >= static_cast<int>(current_.size())) return -1;
  std::swap(current_[static_cast<std::size_t>(c)], current_[static_cast<std::size_t>(c - 1)]);
  return c - 1;
}

int CustomizeToolbarModel::MoveDown(int c) {
  if (c < 0 || c + 1 >= static_cast<int>(current_.size())) return -1;
  std::swap(current_[static_cast<std::size_t>(c)], current_[static_cast<std::size_t>(c + 1)]);
  return c + 1;
}

void CustomizeToolbarModel::Reset() {
  current_ = DefaultButtons();
  FillAvailable();
}

namespace {

std::vector<std::uint8_t> RectBytes(const WindowRect& r) {
  std::vector<std::uint8_t> out(16);
  const std::int32_t v[4] = {r.left, r.top, r.right, r.bottom};
  for (int i = 0; i < 4; ++i) {
    const auto u = static_cast<std::uint32_t>(v[i]);
    for (int b = 0; b < 4; ++b) out[static_cast<std::size_t>(i * 4 + b)] = static_cast<std::uint8_t>(u >> (8 * b));
  }
  return out;
}

std::optional<WindowRect> RectOf(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() != 16) return std::nullopt;
  std::int32_t v[4];
  for (int i = 0; i < 4; ++i) {
    std::uint32_t u = 0;
    for (int b = 0; b < 4; ++b) u |= static_cast<std::uint32_t>(bytes[static_cast<std::size_t>(i * 4 + b)]) << (8 * b);
    v[i] = static_cast<std::int32_t>(u);
  }
  return WindowRect{v[0], v[1], v[2], v[3]};
}

bool KnownBand(unsigned id) {
  const auto& all = DefaultBandOrder();
  return std::find(all.begin(), all.end(), id) != all.end();
}

}  // namespace

void SaveBands(Profile& profile, const BandLayout& layout) {
  std::size_t n = 0;
  for (const BandRecord& b : layout.bands) {
    const std::string name = "band" + std::to_string(n);
    profile.SetDword(kSettingsKey, name, b.id);
    profile.SetBinary(kSettingsKey, "bandrc" + std::to_string(n), RectBytes(b.rect));
    profile.SetDword(kBandsKey, name, b.visible ? 1 : 0);
    ++n;
  }
  profile.SetDword(kSettingsKey, "band" + std::to_string(n), 0);
  profile.SetDword(kSettingsKey, "LockReBarBands", layout.locked ? 1 : 0);
}

std::optional<BandLayout> ReadBands(const Profile& profile, bool& locked) {
  locked = profile.GetDword(kSettingsKey, "LockReBarBands").value_or(0) > 0;
  BandLayout layout;
  layout.locked = locked;
  // A window is never this far out or this large; such values are damage.
  constexpr int kFar = 100000;
  for (std::size_t n = 0;; ++n) {
    const std::string name = "band" + std::to_string(n);
    const unsigned id = profile.GetDword(kSettingsKey, name).value_or(0);
    if (id == 0) break;
    if (!KnownBand(id) || n >= DefaultBandOrder().size()) return std::nullopt;
    for (const BandRecord& b : layout.bands)
      if (b.id == id) return std::nullopt;
    BandRecord b;
    b.id = id;
    b.visible = profile.GetDword(kBandsKey, name).value_or(1) != 0;
    if (auto bytes = profile.GetBinary(kSettingsKey, "bandrc" + std::to_string(n))) {
      auto r = RectOf(*bytes);
      if (!r) return std::nullopt;
      if (r->right < r->left || r->bottom < r->top || r->left < -kFar || r->top < -kFar || r->right > kFar ||
          r->bottom > kFar)
        return std::nullopt;
      b.rect = *r;
      b.hasRect = true;
    }
    layout.bands.push_back(b);
  }
  if (layout.bands.empty()) return std::nullopt;
  return layout;
}

}  // namespace kestrel
