#pragma once
// The explorer pane beside the sites: a frame with the pane's title and a
// close button over one of the Favorites, History and Folders panes. The
// content is made when the pane is shown and let go when it is hidden.
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "collections/explorer_panes.h"
#include "collections/favorites_commands.h"
#include "collections/history.h"
#include "platform/history_store.h"
#include "platform/shell.h"
#include "settings/store.h"

class QLabel;
class QVBoxLayout;

namespace kestrel {

class HistoryTree;

class QtExplorerBar : public QWidget, public ExplorerPaneHost {
 public:
  struct Parts {
    CFavoritesCommands& favorites;
    HistoryStore& history;
    SettingsStore& store;  // FileTypes
    Shell& shell;
    // Opens an address where the target-site rule puts a new one.
    std::function<void(const std::string&)> openAddress;
    std::function<void(unsigned id)> command;  // Add... and Organize...
    std::function<void()> close;               // the close button
    std::function<std::int64_t()> now;         // calendar seconds
  };
  static constexpr int kDefaultWidth = 240;
  static constexpr const char* kDefaultFileTypes = "*.htm;*.html;*.shtm;*.shtml;*.mht;*.txt;";

  explicit QtExplorerBar(Parts parts, QWidget* parent = nullptr);
  ~QtExplorerBar() override;

  void ShowPane(ExplorerPane pane) override;
  // A visit was recorded: the History pane, when shown, takes it in.
  void VisitRecorded(const HistoryVisit& visit);
  // Where the Folders pane starts; the file system's root with the home
  // folder opened when empty.
  // The Folders pane's FileTypes into the profile, when it is shown, for a
  // save that comes before it goes.
  void RecordState() {
    if (saveFileTypes_) saveFileTypes_();
  }
  void SetFoldersRoot(const std::string& path) { foldersRoot_ = path; }

 private:
  QWidget* MakeFavorites();
  QWidget* MakeHistory();
  void FillHistory();
  QWidget* MakeFolders();
  void SetContent(QWidget* content);
  // The pane shown goes: its hooks first, its FileTypes written back.
  void DropContent();

  Parts p_;
  QLabel* title_;
  QVBoxLayout* body_;
  QWidget* content_ = nullptr;
  HistoryTree* history_ = nullptr;  // while the History pane is shown
  std::function<void()> saveFileTypes_;  // of the Folders pane, when it goes
  std::string foldersRoot_;
};

}  // namespace kestrel
