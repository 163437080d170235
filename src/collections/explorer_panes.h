#pragma once
// The explorer pane beside the sites: which of Favorites, History and
// Folders is shown (one at a time, toggled from View > Explorer Bar), and
// the Folders pane's rules for what it lists and what a click does.
#include <string>
#include <string_view>
#include <vector>

#include "frame/main_frame.h"

namespace kestrel {

// The values of the ExpBar setting.
enum class ExplorerPane { None = 0, Favorites = 1, Folders = 2, History = 3 };

// The window side: shows the pane's frame with the given content, or takes
// it away for None.
class ExplorerPaneHost {
 public:
  virtual ~ExplorerPaneHost() = default;
  virtual void ShowPane(ExplorerPane pane) = 0;
};

class CExplorerPanes {
 public:
  CExplorerPanes(CMainFrame& frame, ExplorerPaneHost& host);
  CExplorerPanes(const CExplorerPanes&) = delete;
  CExplorerPanes& operator=(const CExplorerPanes&) = delete;

  ExplorerPane current() const { return current_; }
  // A stored ExpBar value; anything out of range shows none.
  static ExplorerPane FromSetting(int value);
  // The command of a pane: shows it, or hides it when it is the one shown.
  void Toggle(ExplorerPane pane);
  void Show(ExplorerPane pane);
  // The pane's own close button.
  void Close() { Show(ExplorerPane::None); }

 private:
  ExplorerPaneHost& host_;
  CommandScope commands_;
  ExplorerPane current_ = ExplorerPane::None;
};

// FileTypes as it is kept: ";" appended when it does not end with one.
std::string NormalizeFileTypes(std::string_view text);
// The patterns of FileTypes, without empty ones and surrounding blanks.
std::vector<std::string> FileTypePatterns(std::string_view text);

// What a click on an item of the Folders pane does.
struct FolderClick {
  enum class Action { Toggle, Start, Open };
  Action action = Action::Toggle;
  std::string address;  // Open: the file's address for a site
};
// A folder, or a path that is no file, only opens or closes; a program
// (".exe" in either case) is started by the desktop; any other file opens
// in a site.
FolderClick ClickOnFolderItem(const std::string& path, bool isFile);

}  // namespace kestrel
