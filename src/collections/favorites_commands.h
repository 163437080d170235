#pragma once
// The Favorites commands on the frame's registry: Add To Favorites (also
// what window.external.addFavorite asks for), Organize, Import and Export
// of the bookmark HTML file, and opening entries of the Favorites menu.
#include <functional>
#include <optional>
#include <string>

#include "collections/favorites.h"
#include "frame/main_frame.h"
#include "platform/shell.h"

namespace kestrel {

class FavoritesDialogs {
 public:
  virtual ~FavoritesDialogs() = default;
  struct AddChoice {
    std::string name;
    std::string folder;  // full path of the folder chosen, the root or one below it
  };
  // Add To Favorites, proposing `name` for `url`; nullopt on Cancel.
  virtual std::optional<AddChoice> AddFavorite(const std::string& name, const std::string& url,
                                               const std::string& root) = 0;
  virtual void Organize(const std::string& root) = 0;
  // The bookmark file to read from, or to write to; nullopt on Cancel.
  virtual std::optional<std::string> ImportFile() = 0;
  virtual std::optional<std::string> ExportFile() = 0;
};

class CFavoritesCommands {
 public:
  struct Parts {
    CMainFrame& frame;
    FavoritesDialogs& dialogs;
    Shell& shell;
    std::string folder;       // the Favorites folder
    std::string helpAddress;  // the first entry of a new folder
    // Opens an address where the target-site rule puts a new one.
    std::function<void(const std::string&)> openAddress;
  };
  explicit CFavoritesCommands(Parts parts);
  CFavoritesCommands(const CFavoritesCommands&) = delete;
  CFavoritesCommands& operator=(const CFavoritesCommands&) = delete;

  const std::string& folder() const { return p_.folder; }
  // The folder, made when it is missing; false when there is none to be had.
  bool Ready();
  void AddFavorite(const std::string& url, const std::string& title);
  // A shortcut's address opens in a site; any other file with the desktop's program.
  void Open(const FavoriteEntry& entry);
  // Open All Favorites of `folder`: its shortcuts and files, not its folders.
  void OpenAll(const std::string& folder);
  void Import();
  void Export();

 private:
  Parts p_;
  CommandScope commands_;
  bool adding_ = false;  // the Add dialog is open
};

}  // namespace kestrel
