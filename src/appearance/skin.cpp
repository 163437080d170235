#include "appearance/skin.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "common/message.h"
#include "common/strings.h"
#include "common/textfile.h"

namespace kestrel {

namespace {

// A decimal integer at the start of `text` (after blanks), 0 when there is none.
int Int(std::string_view text) {
  const std::string t = Trim(text);
  int value = 0;
  const char* begin = t.data();
  if (!t.empty() && t[0] == '+') ++begin;
  std::from_chars(begin, t.data() + t.size(), value);
  return value;
}

// Pieces at "," read as integers; missing ones are 0.
std::vector<int> Ints(std::string_view text, std::size_t count) {
  std::vector<int> out;
  for (const std::string& field : SplitFields(text, ',')) out.push_back(Int(field));
  out.resize(count, 0);
  return out;
}

}  // namespace

SkinPoint ParseSkinPosition(std::string_view value) {
  const std::size_t comma = value.find(',');
  if (comma == std::string_view::npos) return {0, 0};
  return {Int(value.substr(0, comma)), Int(value.substr(comma + 1))};
}

SkinIni ParseSkinIni(std::string_view text) {
  SkinIni ini;
  const IniSection general = ReadIniSection(text, "general", 255);
  auto get = [&](const char* key) -> const std::string* {
    const auto it = general.find(key);
    return it == general.end() ? nullptr : &it->second;
  };
  if (auto v = get("author")) ini.author = *v;
  if (auto v = get("website")) ini.website = *v;
  if (auto v = get("email")) ini.email = *v;
  if (auto v = get("barback")) ini.barBack = *v;
  if (auto v = get("framerect"); v && !v->empty()) {
    ini.fillFrame = true;
    if (EqualsNoCase(*v, "default")) {
      ini.fillWidths = {6, 29, 6, 6};
    } else {
      const std::vector<int> w = Ints(*v, 4);
      ini.fillWidths = {w[0], w[1], w[2], w[3]};
    }
  }
  if (auto v = get("framecorner")) ini.frameCorner = Int(*v);
  if (auto v = get("framefill")) ini.frameFill = *v;
  if (auto v = get("systemicon")) ini.systemIcon = Int(*v) != 0;
  if (auto v = get("minpos")) ini.minPos = ParseSkinPosition(*v);
  if (auto v = get("maxpos")) ini.maxPos = ParseSkinPosition(*v);
  if (auto v = get("closepos")) ini.closePos = ParseSkinPosition(*v);
  if (auto v = get("syspos")) ini.sysPos = ParseSkinPosition(*v);
  if (auto v = get("caprect")) {
    const std::vector<int> r = Ints(*v, 4);
    ini.capRect = {r[0], r[1], r[2], r[3]};
  }
  if (auto v = get("capalign")) ini.capAlign = Int(*v);
  if (auto v = get("captextcolor"); v && !Trim(*v).empty()) {
    const std::vector<int> c = Ints(*v, 3);
    auto channel = [](int x) { return std::clamp(x, 0, 255); };
    ini.capTextColor = {channel(c[0]), channel(c[1]), channel(c[2])};
  }
  return ini;
}

FrameWidths EdgeFrameWidths(SkinSize left, SkinSize top, SkinSize right, SkinSize bottom) {
  return {left.width, top.height, right.width, bottom.height};
}

SkinSize SkinButtonSize(SkinSize strip) { return {strip.width / 4, strip.height}; }

CaptionButtons LayoutCaptionButtons(const SkinIni& ini, int clientWidth, int top, SkinSize min, SkinSize max,
                                    SkinSize close, SkinSize sys) {
  constexpr int m = 6;
  auto at = [](int x, int y, SkinSize s) { return SkinRect{x, y, x + s.width, y + s.height}; };
  auto set = [&](const SkinPoint& p, SkinSize s) { return at(clientWidth + p.x, p.y, s); };
  CaptionButtons b;
  b.min = ini.minPos.automatic()
              ? at(clientWidth - m - close.width - max.width - min.width - 2, (top - min.height) / 2, min)
              : set(ini.minPos, min);
  b.max = ini.maxPos.automatic() ? at(b.min.left + min.width, b.min.top, max) : set(ini.maxPos, max);
  b.close = ini.closePos.automatic() ? at(b.max.left + max.width, b.max.top, close) : set(ini.closePos, close);
  b.sys = ini.sysPos.automatic() ? at(2, (top - 16) / 2, sys) : at(ini.sysPos.x, ini.sysPos.y, sys);
  return b;
}

SkinRect CaptionTextRect(const SkinIni& ini, int clientWidth) {
  return {ini.capRect.left, ini.capRect.top, clientWidth + ini.capRect.right, ini.capRect.bottom};
}

SkinRect InnerRect(const FrameWidths& f, int width, int height, bool fullScreen) {
  if (fullScreen) return {0, 0, width, height};
  return {f.left, f.top, std::max(f.left, width - f.right), std::max(f.top, height - f.bottom)};
}

HitZone SkinHitTest(const FrameWidths& f, int W, int H, int x, int y) {
  constexpr int m = 6;
  const int L = f.left, T = f.top, R = f.right, B = f.bottom;
  if (m < y && y < T && L < x && x < W - R) return HitZone::Caption;
  if (y > H - B && x > W - R) return HitZone::BottomRight;
  if (y > H - B && L < x && x < W - R) return HitZone::Bottom;
  if (y > H - B && x < L) return HitZone::BottomLeft;
  if (x > W - R && T < y && y < H - B) return HitZone::Right;
  if (x < L && T < y && y < H - B) return HitZone::Left;
  if ((x < m && y < T) || (y < m && x < L)) return HitZone::TopLeft;
  if (y < m && L < x && x < W - R) return HitZone::Top;
  if ((x > W - m && y < T) || (y < m && x > W - R)) return HitZone::TopRight;
  return HitZone::None;
}

std::vector<std::string> ListSkins(const ProgramFolder& skinsFolder) {
  std::vector<std::string> out = ListLayeredEntries(skinsFolder, [](const std::string& path, const std::string& name) {
    std::error_code kind;
    return !name.empty() && name[0] != '.' && std::filesystem::is_directory(path, kind);
  });
  std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) { return LessNoCase(a, b); });
  return out;
}

SkinIni CSkins::ReadIni(const std::string& name) const {
  const std::optional<std::string> text = ReadWholeFile(folder_.Find(name) + "/skin.ini", 1u << 20);
  return ParseSkinIni(text ? *text : std::string());
}

CSkins::Applied CSkins::Apply(const std::string& name) {
  if (name == name_) return Applied::Unchanged;
  std::error_code ec;
  // Only a folder of the skins folder is a skin: no way out of it by "..".
  const bool plain = name.find('/') == std::string::npos && name != "." && name != "..";
  if (!name.empty() && (!plain || !std::filesystem::is_directory(folder_.Find(name), ec))) {
    ShowMessage("Skin not found!");
    return Applied::NotFound;
  }
  name_ = name;
  if (name_.empty())
    host_.RemoveSkin();
  else
    host_.ShowSkin(folder_.Find(name_) + "/", ReadIni(name_));
  return Applied::Changed;
}

}  // namespace kestrel
