#pragma once
// The desktop folders that the shell-folder keywords ("desktop", "my doc",
// "recbin", ...) open, found the freedesktop way: the XDG base folders and the
// user-dirs.dirs file that xdg-user-dirs keeps in the config folder.
//
// Where each identifier leads on Linux:
//   Desktop          XDG DESKTOP dir, else home/Desktop
//   Personal         XDG DOCUMENTS dir, else home
//   MyPictures       XDG PICTURES dir, else home
//     (a user dir equal to home means "disabled" to xdg-user-dirs: the fallback is used)
//   Profile          home
//   Drives           "/" (the whole machine's file tree)
//   Network          "/mnt", where network shares are mounted by hand or fstab;
//                    the gvfs FUSE folder exists only while a desktop daemon runs
//   Controls         "" (settings are programs, not a folder)
//   Printers         "" (printers are a CUPS service; its folder is root's config)
//   Recent           dataHome (recently-used.xbel lives there)
//   BitBucket        dataHome/Trash/files (the freedesktop trash)
//   StartMenu        dataHome/applications
//   CommonStartMenu  /usr/share/applications
//   Startup          configHome/autostart
//   CommonStartup    /etc/xdg/autostart
//   Windows          "/" (the operating system is the root tree: /etc, /usr, /var)
//   System           /usr/bin
//   ProgramFiles     /usr (where packaged programs are installed)
//   Favorites, History, Cookies, InternetCache
//                    programDir + "favorites", "history", "cookies", "cache":
//                    Kestrel keeps those itself
// Paths are absolute without a trailing slash (except "/"); a folder whose
// base is unknown (no home, relative programDir) is "".
#include <map>
#include <string>
#include <string_view>

namespace kestrel {

// The values of the Windows shell's CSIDL_ constants are kept as the
// identifiers, since typed keywords and stored data refer to them.
enum DesktopFolder : int {
  kFolderDesktop = 0,
  kFolderControls = 3,
  kFolderPrinters = 4,
  kFolderPersonal = 5,
  kFolderFavorites = 6,
  kFolderStartup = 7,
  kFolderRecent = 8,
  kFolderBitBucket = 10,
  kFolderStartMenu = 11,
  kFolderDrives = 17,
  kFolderNetwork = 18,
  kFolderCommonStartMenu = 22,
  kFolderCommonStartup = 24,
  kFolderInternetCache = 32,
  kFolderCookies = 33,
  kFolderHistory = 34,
  kFolderWindows = 36,
  kFolderSystem = 37,
  kFolderProgramFiles = 38,
  kFolderMyPictures = 39,
  kFolderProfile = 40
};

// Injected so tests need not touch the real home.
struct FolderEnvironment {
  std::string home;        // $HOME (the password entry's home when unset)
  std::string configHome;  // $XDG_CONFIG_HOME or home/.config
  std::string dataHome;    // $XDG_DATA_HOME or home/.local/share
  std::string cacheHome;   // $XDG_CACHE_HOME or home/.cache
  std::string programDir;  // Kestrel's own data folder, for favorites/history/cookies/cache
  // configHome/user-dirs.dirs parsed by ParseUserDirs (DESKTOP, DOCUMENTS, ...).
  std::map<std::string, std::string> userDirs;

  // Reads the variables above (relative or empty XDG values are ignored, as
  // the base-directory rules say) and user-dirs.dirs, at most 64 KiB of it;
  // a missing or unreadable file leaves userDirs empty.
  static FolderEnvironment FromProcess(const std::string& programDir);
};

// Absolute folder path for an identifier on this desktop; "" when the desktop
// has no such folder or the identifier is unknown. Never throws.
std::string DesktopFolderPath(int id, const FolderEnvironment& env);

// file:// address of that folder, bytes other than unreserved ones and "/"
// percent-encoded; "" when there is no folder.
std::string DesktopFolderAddress(int id, const FolderEnvironment& env);

// Parses user-dirs.dirs text: lines XDG_<NAME>_DIR="$HOME/..." or
// XDG_<NAME>_DIR="/...", with \", \\ and \$ escapes inside the quotes.
// Comments, blank, malformed, relative and unterminated lines are skipped;
// for a name given twice the last line wins. "$HOME" and "$HOME/" give home
// itself; "$HOME" lines are skipped when home is not absolute.
std::map<std::string, std::string> ParseUserDirs(std::string_view text, const std::string& home);

}  // namespace kestrel
