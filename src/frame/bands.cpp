#include "frame/bands.h"

#include <algorithm>

#include "frame/command_ids.h"

namespace kestrel {

bool BandStandsBefore(const BandRecord& a, const BandRecord& b) {
  if (a.hasRect != b.hasRect) return a.hasRect;
  if (a.rect.top != b.rect.top) return a.rect.top < b.rect.top;
  return a.rect.left < b.rect.left;
}

bool IsMovableBand(unsigned id) { return id == kBandMenuBar || id == kBandStandard || id == kBandAddress || id == kBandQuickSearch; }

std::vector<std::vector<unsigned>> BandRows(const BandLayout& layout) {
  // Bars of one row may differ in height by a few pixels.
  constexpr int kSameRow = 4;
  std::vector<BandRecord> order = layout.bands;
  std::stable_sort(order.begin(), order.end(), BandStandsBefore);
  std::vector<std::vector<unsigned>> rows;
  int lastTop = 0;
  for (const BandRecord& r : order) {
    if (!IsMovableBand(r.id)) continue;
    if (rows.empty() || r.rect.top > lastTop + kSameRow) rows.emplace_back();
    rows.back().push_back(r.id);
    lastTop = r.rect.top;
  }
  return rows;
}

const std::vector<std::pair<unsigned, unsigned>>& CBands::BandCommands() {
  static const std::vector<std::pair<unsigned, unsigned>> commands = {
      {ID_VIEW_TOOLBAR, kBandStandard},
      {ID_VIEW_ADDRESS_BAR, kBandAddress},
      {ID_VIEW_QUICK_SEARCH_BAR, kBandQuickSearch},
      {ID_VIEW_SITE_TAB, kBandSiteTabs},
  };
  return commands;
}

CBands::CBands(BandsView& view) : view_(view) {
  for (unsigned band : DefaultBandOrder()) visible_[band] = true;
}

bool CBands::visible(unsigned band) const {
  auto it = visible_.find(band);
  return it != visible_.end() && it->second;
}

void CBands::Show(unsigned band) { view_.SetBandVisible(band, !allHidden_ && visible(band)); }

void CBands::SetVisible(unsigned band, bool visible) {
  // The menu bar carries the menus: it cannot be hidden for good.
  if (!visible_.count(band) || band == kBandMenuBar) return;
  visible_[band] = visible;
  Show(band);
}

void CBands::SetStatusBarVisible(bool visible) {
  statusBar_ = visible;
  view_.SetStatusBarVisible(visible);
}

void CBands::SetLocked(bool locked) {
  locked_ = locked;
  view_.SetBandsLocked(locked);
}

void CBands::SetButtons(const ToolbarButtons& buttons) {
  buttons_ = buttons;
  view_.ApplyButtons(buttons_);
}

void CBands::Customize() {
  ToolbarButtons b = buttons_;
  if (view_.CustomizeButtons(b)) SetButtons(b);
}

void CBands::SetAllHidden(bool hidden) {
  allHidden_ = hidden;
  for (const auto& [band, shown] : visible_) Show(band);
}

BandLayout CBands::Current() const {
  BandLayout l;
  l.locked = locked_;
  for (unsigned id : DefaultBandOrder()) {
    BandRecord r = view_.BandPlace(id);
    r.id = id;
    r.visible = visible(id);
    l.bands.push_back(r);
  }
  std::stable_sort(l.bands.begin(), l.bands.end(), BandStandsBefore);
  return l;
}

void CBands::Save(Profile& profile) const {
  SaveButtons(profile, buttons_);
  SaveBands(profile, Current());
}

void CBands::Restore(const Profile& profile) {
  SetButtons(LoadButtons(profile));
  bool locked = false;
  if (std::optional<BandLayout> stored = ReadBands(profile, locked)) {
    view_.ArrangeBands(BandRows(*stored));
    for (const BandRecord& r : stored->bands) SetVisible(r.id, r.visible);
  }
  SetLocked(locked);
}

void CBands::RegisterCommands(CommandRegistry& r) {
  using R = CommandRegistry;
  for (const auto& [command, band] : BandCommands()) {
    const unsigned b = band;
    r.Add(command, [this, b](const CommandContext&) { SetVisible(b, !visible(b)); },
          R::Checked([this, b] { return visible(b); }));
  }
  r.Add(ID_VIEW_STATUS_BAR, [this](const CommandContext&) { SetStatusBarVisible(!statusBar_); },
        R::Checked([this] { return statusBar_; }));
  r.Add(ID_LOCK_TOOLBARS, [this](const CommandContext&) { SetLocked(!locked_); },
        R::Checked([this] { return locked_; }));
  r.Add(ID_CUSTOMIZE_TOOLBAR, [this](const CommandContext&) { Customize(); });
}

}  // namespace kestrel
