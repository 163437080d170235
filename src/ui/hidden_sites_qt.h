#pragma once
// The Hidden Sites window: every site whose window is not shown, with
// Show, Add Into White List, Help and Done.
#include <functional>
#include <string>
#include <vector>

#include "frame/main_frame.h"

class QWidget;

namespace kestrel {

struct HiddenSitesActions {
  std::vector<HiddenSiteRow> rows;  // the newest first
  std::function<void(CKestrelView*)> show;
  std::function<void(CKestrelView*)> addToWhiteList;
  std::function<void(const std::string& page)> openHelp;
};

// Runs the window until "Done" or its close box.
void RunHiddenSitesDialog(QWidget* parent, HiddenSitesActions actions);

}  // namespace kestrel
