#pragma once
// The "Alias Definitions" window over AliasDialogModel.
#include <functional>
#include <string>

class QWidget;

namespace kestrel {

class AliasList;

// Runs the dialog. "Close" replaces `list` with the rows shown and writes it
// to `path` (true is returned); the window's close box discards every change
// (false). "Help" calls `openHelp` with the help page's name.
bool RunAliasDialog(QWidget* parent, AliasList& list, const std::string& path,
                    std::function<void(const std::string&)> openHelp);

}  // namespace kestrel
