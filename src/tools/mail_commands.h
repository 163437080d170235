#pragma once
// Tools > Mail and News, and the toolbar's Mail button: the desktop's mail,
// contacts and news programs, a page or a shortcut to it handed to the mail
// program as an attachment (through xdg-email), and a link to the page on
// the desktop. Kestrel sends no mail itself.
#include <memory>
#include <string>
#include <vector>

#include "frame/main_frame.h"
#include "platform/desktop_apps.h"
#include "platform/shell.h"
#include "tools/external_commands.h"

namespace kestrel {

// The file name a page is sent or kept under: a local page's own file name,
// else its title with "/", ">" and ":" made "-", at most 255 bytes, never
// hidden or empty.
std::string SafePageName(const std::string& address, const std::string& title);

// A desktop link file (Type=Link) for the address; names and addresses
// cannot add lines to it.
std::string DesktopLinkFile(const std::string& name, const std::string& address);

class CMailCommands {
 public:
  struct Parts {
    CMainFrame& frame;
    Shell& shell;
    const ProgramFinder& finder;
    std::string tempFolder;     // where pages and shortcuts to send are written
    std::string desktopFolder;  // "" when the desktop has none
  };
  static constexpr std::size_t kMaxClients = 32;

  explicit CMailCommands(Parts parts);
  CMailCommands(const CMailCommands&) = delete;
  CMailCommands& operator=(const CMailCommands&) = delete;

  // The installed mail programs after the submenu's fixed items, the
  // desktop's default first.
  void BuildMailMenu();
  const std::vector<DesktopProgram>& clients() const { return clients_; }

  // A file attached to a new message of the desktop's mail program.
  bool SendDocument(const std::string& path);
  void SendPage(CKestrelView& site);
  void SendLink(CKestrelView& site);
  // The file written, "" when none was.
  std::string ShortcutToDesktop(CKestrelView& site);

 private:
  void Start(const std::string& type, const char* none, const char* invalid);
  Parts p_;
  std::vector<DesktopProgram> clients_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // for the page's late answer
  CommandScope commands_;
};

}  // namespace kestrel
