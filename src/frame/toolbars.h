#pragma once
// The standard toolbar and the bands above the sites, without a toolkit:
// the button table, the buttons as stored (ToolBarButtons, TBLargeIcon,
// TBShowText), the customise dialog's lists, and the band layout as stored
// (band<n>, bandrc<n>, the Bands subkey, LockReBarBands).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frame/command_ids.h"
#include "platform/profile.h"
#include "settings/store.h"

namespace kestrel {

// Band ids, as stored.
enum BandId : unsigned {
  kBandMenuBar = 0xE820,
  kBandWindowButtons = 0xE821,
  kBandBusy = 0xE822,
  kBandStandard = 0xE800,
  kBandAddress = 0xE825,
  kBandQuickSearch = 0xE823,
  kBandSiteTabs = 0xE824,
};
// Every band, in the order a new frame has them.
const std::vector<unsigned>& DefaultBandOrder();
// Whether a band starts a new row in the default layout.
bool BandStartsRow(unsigned id);

// The 29 command ids a button can carry, in image order (0: no image of its own).
const std::vector<unsigned>& ButtonTable();
// The 20 buttons of a new toolbar (0 is a separator).
const std::vector<unsigned>& DefaultButtons();
// The buttons with a drop-down arrow.
const std::vector<unsigned>& DropDownButtons();
// The id's place in the table, or -1.
int ImageIndexOf(unsigned id);
bool IsDropDownButton(unsigned id);

struct ToolbarButtons {
  std::vector<unsigned> ids;  // 0 for a separator
  bool largeIcons = true;
  bool showText = false;
  bool operator==(const ToolbarButtons&) const = default;
};

// "57600 0 32787": fields split at white space; a field that is not a
// number is a separator. Empty gives no ids (the caller uses the defaults).
std::vector<unsigned> ParseButtonList(std::string_view text);
// Each id in decimal followed by one space, the last space dropped.
std::string FormatButtonList(const std::vector<unsigned>& ids);
ToolbarButtons LoadButtons(const Profile& profile);
void SaveButtons(Profile& profile, const ToolbarButtons& buttons);

// A button's size for the image size and texts: image plus 7 by image plus
// 6, and 14 more in height with texts.
struct ButtonSize {
  int width = 0, height = 0;
};
ButtonSize ButtonSizeFor(bool largeIcons, bool showText);

// The "Custom ToolBar" dialog's two lists and its moves.
class CustomizeToolbarModel {
 public:
  explicit CustomizeToolbarModel(const ToolbarButtons& now);
  // Every table entry that is a button and not on the toolbar, then "Separator" (0).
  const std::vector<unsigned>& available() const { return available_; }
  const std::vector<unsigned>& current() const { return current_; }
  // ">>": the available item at `a` goes before current item `c` (-1: at the end).
  // Returns the index it got in the current list, or -1.
  int Add(int a, int c);
  // "<<": the current item goes back to the end of the available list (a separator just goes).
  bool Remove(int c);
  // "Move up" / "Move Down"; returns the new index or -1.
  int MoveUp(int c);
  int MoveDown(int c);
  // "Reset": the default buttons, at once.
  void Reset();
  ToolbarButtons Result() const { return {current_, largeIcons, showText}; }
  bool largeIcons, showText;

 private:
  void FillAvailable();
  std::vector<unsigned> available_, current_;
};

// One band as stored: its id, its rectangle in the rebar, shown or hidden.
struct BandRecord {
  unsigned id = 0;
  WindowRect rect;
  bool hasRect = false;
  bool visible = true;
  bool operator==(const BandRecord& o) const {
    return id == o.id && hasRect == o.hasRect && visible == o.visible && rect.left == o.rect.left &&
           rect.top == o.rect.top && rect.right == o.rect.right && rect.bottom == o.rect.bottom;
  }
};
struct BandLayout {
  std::vector<BandRecord> bands;
  bool locked = false;
};

void SaveBands(Profile& profile, const BandLayout& layout);
// The stored layout. A layout from an older or damaged profile (an unknown
// or repeated band id, a rectangle with a negative size or far outside any
// screen, more bands than there are) is of no use: nullopt, and the frame
// keeps its default layout. The lock is read either way (`locked`).
std::optional<BandLayout> ReadBands(const Profile& profile, bool& locked);

}  // namespace kestrel
