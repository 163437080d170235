#pragma once
// The Hidden Sites window: every site whose window is not shown, with
// Show, Add Into White List, Help and Done.
#include <functional>
#include <string>
#include <vector>

#include "popups/popup_ui.h"

class QWidget;

namespace kestrel {

// Runs the window until "Done" or its close box.
void RunHiddenSitesDialog(QWidget* parent, HiddenSitesActions actions);

}  // namespace kestrel
