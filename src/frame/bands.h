#pragma once
// The bars above the sites as the user arranged them: which bands are
// shown, whether they are locked, the standard toolbar's buttons, the rows
// a stored layout lays them out in, the status bar, and the commands of
// View > Toolbars. The window only shows what this decides.
#include <map>
#include <vector>

#include "frame/command_registry.h"
#include "frame/toolbars.h"

namespace kestrel {

class BandsView {
 public:
  virtual ~BandsView() = default;
  virtual void SetBandVisible(unsigned band, bool visible) = 0;
  virtual void SetStatusBarVisible(bool visible) = 0;
  virtual void SetBandsLocked(bool locked) = 0;
  // The movable bands, laid out in these rows from the top, each row left to right.
  virtual void ArrangeBands(const std::vector<std::vector<unsigned>>& rows) = 0;
  virtual void ApplyButtons(const ToolbarButtons& buttons) = 0;
  // Where the band stands now; hasRect false when it has no place of its own.
  virtual BandRecord BandPlace(unsigned band) const = 0;
  // The Custom ToolBar dialog on a copy of the buttons: true on OK.
  virtual bool CustomizeButtons(ToolbarButtons& buttons) = 0;
};

// Bands in the order they stand: those without a place last, then row by
// row, left to right.
bool BandStandsBefore(const BandRecord& a, const BandRecord& b);
// The bands the window lays out in rows of their own: the menu bar and the
// tool bars. The window buttons and the busy indicator go with the menu
// bar; the tab row keeps its place.
bool IsMovableBand(unsigned id);
// The rows of the movable bands a stored layout gives: in the order they
// stand, a new row wherever the top edge moves down by more than a few pixels.
std::vector<std::vector<unsigned>> BandRows(const BandLayout& layout);

class CBands {
 public:
  // Bands whose visibility the user chooses, with their commands.
  static const std::vector<std::pair<unsigned, unsigned>>& BandCommands();  // {command, band}

  explicit CBands(BandsView& view);

  bool visible(unsigned band) const;
  bool locked() const { return locked_; }
  bool statusBarVisible() const { return statusBar_; }
  const ToolbarButtons& buttons() const { return buttons_; }

  void SetVisible(unsigned band, bool visible);
  void SetStatusBarVisible(bool visible);
  void SetLocked(bool locked);
  void SetButtons(const ToolbarButtons& buttons);
  // The Custom ToolBar dialog; its result applies on OK.
  void Customize();
  // Full screen hides every band; leaving brings back those that were shown.
  void SetAllHidden(bool hidden);

  // The layout as it stands, in the order the bands stand.
  BandLayout Current() const;
  void Save(Profile& profile) const;
  // The stored buttons, rows, visibility and lock; a layout of no use
  // (damaged, from an older profile) leaves the default one.
  void Restore(const Profile& profile);

  // View > Toolbars and the status bar.
  void RegisterCommands(CommandRegistry& registry);

 private:
  void Show(unsigned band);
  BandsView& view_;
  std::map<unsigned, bool> visible_;
  bool statusBar_ = true;
  bool locked_ = false;
  bool allHidden_ = false;
  ToolbarButtons buttons_{DefaultButtons(), true, false};
};

}  // namespace kestrel
