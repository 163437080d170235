#pragma once
// The "Custom ToolBar" window over CustomizeToolbarModel.
#include <functional>

#include "frame/toolbars.h"

class QIcon;
class QString;
class QWidget;

namespace kestrel {

struct ToolbarLook {
  std::function<QString(unsigned id)> text;
  std::function<QIcon(unsigned id)> icon;
  // "Reset" puts the default buttons on the toolbar at once.
  std::function<void(const ToolbarButtons&)> applyNow;
};

// True on OK, with `buttons` as chosen.
bool RunCustomizeToolbar(QWidget* parent, ToolbarButtons& buttons, const ToolbarLook& look);

}  // namespace kestrel
