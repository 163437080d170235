#include "tools/mail_commands.h"

#include "address/typed_urls.h"
#include "collections/favorites.h"
#include "common/message.h"
#include "common/script_text.h"
#include "common/strings.h"
#include "common/textfile.h"
#include "frame/command_ids.h"
#include "site/kestrel_view.h"
#include "tools/shell_run.h"

namespace kestrel {
namespace {

constexpr const char* kMailType = "x-scheme-handler/mailto";

// "%20" and the like of a file: address, as the file system names it.
std::string Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto hex = [](char c) {
      return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    };
    if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
      out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The local file a "file://" address names; "" for any other address.
std::string LocalFileOf(const std::string& address) {
  if (!address.starts_with("file://")) return {};
  std::string path = Unescape(std::string_view(address).substr(7));
  const std::size_t cut = path.find_first_of("?#");
  if (cut != std::string::npos) path.resize(cut);
  return path.starts_with("/") ? path : std::string();
}

// A value of a desktop file: one line, whatever the text held.
std::string OneLine(std::string_view text) {
  std::string out;
  for (char c : text) out += (c == '\n' || c == '\r' || c == '\0') ? ' ' : c;
  return out;
}

// A path in `folder` for `name` + `ext` that no file has yet.
std::string FreePath(const std::string& folder, const std::string& name, const std::string& ext) {
  std::string path = folder + "/" + name + ext;
  for (int n = 2; FileExists(path) && n < 1000; ++n) path = folder + "/" + name + " (" + std::to_string(n) + ")" + ext;
  return path;
}

}  // namespace

std::string SafePageName(const std::string& address, const std::string& title) {
  std::string name;
  if (address.starts_with("file:///") || (address.size() > 1 && address[1] == ':')) {
    std::string path = LocalFileOf(address);
    if (path.empty()) path = address;
    name = path.substr(path.find_last_of("/\\") + 1);
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.resize(dot);
  } else {
    name = title;
    for (char& c : name)
      if (c == '/' || c == '>' || c == ':') c = '-';
  }
  return FavoriteFileName(CutUtf8(name, 255));
}

std::string DesktopLinkFile(const std::string& name, const std::string& address) {
  return "[Desktop Entry]\nType=Link\nName=" + OneLine(name) + "\nURL=" + OneLine(address) + "\nIcon=text-html\n";
}

CMailCommands::CMailCommands(Parts parts) : p_(std::move(parts)), commands_(p_.frame.commands()) {
  commands_.Add(ID_READ_EMAIL,
                [this](const CommandContext&) { Start(kMailType, "No default email client!", "Invalid email client!"); });
  commands_.Add(ID_ADDRESS_BOOK, [this](const CommandContext&) {
    Start("text/vcard", "No clients found for email contacts!", "Invalid client for email contacts!");
  });
  commands_.Add(ID_NEW_MESSAGE, [this](const CommandContext&) {
    if (!ShellRun(p_.shell, "mailto:")) ShowMessage("No default email client!");
  });
  commands_.Add(ID_READ_NEWS, [this](const CommandContext&) {
    if (!ShellRun(p_.shell, "news://")) ShowMessage("No news reader is installed.");
  });
  commands_.Add(
      ID_PAGE_BY_EMAIL, [this](const CommandContext& c) { SendPage(*c.site); }, CommandRegistry::NeedsSite);
  commands_.Add(
      ID_LINK_BY_EMAIL, [this](const CommandContext& c) { SendLink(*c.site); }, CommandRegistry::NeedsSite);
  commands_.Add(
      ID_SHORTCUT_TO_DESKTOP, [this](const CommandContext& c) { ShortcutToDesktop(*c.site); },
      CommandRegistry::NeedsSite);
  commands_.Add(kMailClientCommands.first, kMailClientCommands.last, [this](const CommandContext& c) {
    const std::size_t i = c.id - kMailClientCommands.first;
    if (i < clients_.size() && !p_.shell.OpenWithProgram(clients_[i].desktopFile, ""))
      ShowMessage("Invalid email client!");
  });
  BuildMailMenu();
}

void CMailCommands::BuildMailMenu() {
  clients_ = p_.finder.ProgramsFor(kMailType);
  if (clients_.size() > kMaxClients) clients_.resize(kMaxClients);
  const MenuItem* menu = p_.frame.menu().FindPopup({"Tools", "Mail and News"});
  if (!menu) return;
  std::vector<std::string> names;
  for (const DesktopProgram& c : clients_) names.push_back(c.name);
  p_.frame.menu().RebuildRange(*menu, names);
}

void CMailCommands::Start(const std::string& type, const char* none, const char* invalid) {
  std::string program = p_.finder.DefaultFor(type);
  if (program.empty() && type == "text/vcard") program = p_.finder.DefaultFor("text/x-vcard");
  if (program.empty()) {
    ShowMessage(none);
    return;
  }
  if (!p_.shell.OpenWithProgram(program, "")) ShowMessage(invalid);
}

bool CMailCommands::SendDocument(const std::string& path) {
  const std::string xdgEmail = p_.finder.OnPath("xdg-email");
  // The mail program is the desktop's; xdg-email is how it is reached.
  if (xdgEmail.empty() || !p_.shell.Start(xdgEmail, {"--attach", path}, {})) {
    ShowMessage("xdg-email is not available on your system!");
    return false;
  }
  return true;
}

void CMailCommands::SendPage(CKestrelView& site) {
  const std::string address = site.GetLocationURL();
  // A local page is sent as it is, without a copy.
  if (const std::string local = LocalFileOf(address); !local.empty()) {
    SendDocument(local);
    return;
  }
  const std::string name = SafePageName(address, site.GetDocumentTitle());
  std::weak_ptr<bool> alive = alive_;
  site.control().ExecOwnScript("document.documentElement ? document.documentElement.outerHTML : ''",
                               [this, alive, address, name](const std::string& json) {
                                 if (alive.expired()) return;
                                 const auto html = ParseJsonStrings("[" + json + "]");
                                 const std::string path = p_.tempFolder + "/" + name + ".htm";
                                 // Its pictures and links still find their way from the copy.
                                 const std::string page = "<BASE HREF=\"" + HtmlEscape(address) + "\">\n" +
                                                          (html && !html->empty() ? html->front() : std::string());
                                 if (!WriteFileAtomic(path, page)) {
                                   ShowMessage("Can't open " + path + "!");
                                   return;
                                 }
                                 SendDocument(path);
                               });
}

void CMailCommands::SendLink(CKestrelView& site) {
  // The private folder's copies are Kestrel's own: a newer one replaces the last.
  const std::string path = p_.tempFolder + "/" + SafePageName(site.GetLocationURL(), site.GetDocumentTitle()) + ".url";
  if (!WriteShortcut(path, site.GetLocationURL())) {
    ShowMessage("Can't open " + path + "!");
    return;
  }
  SendDocument(path);
}

std::string CMailCommands::ShortcutToDesktop(CKestrelView& site) {
  if (p_.desktopFolder.empty()) {
    ShowMessage("This desktop has no desktop folder.");
    return {};
  }
  const std::string address = site.GetLocationURL();
  const std::string name = SafePageName(address, site.GetDocumentTitle());
  // A link the desktop shows by the page's title and opens in the browser.
  const std::string path = FreePath(p_.desktopFolder, name, ".desktop");
  const std::string shown = site.GetDocumentTitle().empty() ? address : site.GetDocumentTitle();
  if (!WriteFileAtomic(path, DesktopLinkFile(shown, address))) {
    ShowMessage("Can't open " + path + "!");
    return {};
  }
  return path;
}

}  // namespace kestrel
