#pragma once
// The site filter's windows: the Filter Definition dialog over
// FilterDialogModel, and the "Add Into White List" / "Add Into Black List"
// dialog of a site.
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace kestrel {

// Edits `list` (the white or the black list) in the Filter Definition dialog
// titled `title` ("White List" or "Black List", translated here). "OK"
// replaces `list` with the rows in their displayed order and returns true;
// "Cancel" or the close box leave it unchanged. "Help" calls `openHelp` with
// the help page's name.
bool RunFilterDialog(QWidget* parent, const std::string& title, std::vector<std::string>& list,
                     std::function<void(const std::string&)> openHelp);

// Asks whether to add the site at `address` to the black or the white list.
// The two boxes start from `entireDomain` and `closeNow` ("Close Site Window
// Now" is shown for the black list only) and hold the user's choice after
// OK, which returns true.
bool RunAddToListDialog(QWidget* parent, bool black, const std::string& address, bool& entireDomain, bool& closeNow);

}  // namespace kestrel
