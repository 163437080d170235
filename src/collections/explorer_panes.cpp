#include "collections/explorer_panes.h"

#include <cctype>
#include <cstring>

#include "common/strings.h"
#include "common/trace.h"

namespace kestrel {

CExplorerPanes::CExplorerPanes(CMainFrame& frame, ExplorerPaneHost& host)
    : host_(host), commands_(frame.commands()) {
  const std::pair<unsigned, ExplorerPane> panes[] = {{ID_EXPLORER_FAVORITES, ExplorerPane::Favorites},
                                                     {ID_EXPLORER_HISTORY, ExplorerPane::History},
                                                     {ID_EXPLORER_FOLDERS, ExplorerPane::Folders}};
  // A copy of the pane for the lambdas: clang 14 cannot capture a structured binding.
  for (const auto& [id, binding] : panes) {
    const ExplorerPane pane = binding;
    commands_.Add(id, [this, pane](const CommandContext&) { Toggle(pane); },
                  CommandRegistry::Checked([this, pane] { return current_ == pane; }));
  }
}

ExplorerPane CExplorerPanes::FromSetting(int value) {
  return value >= 1 && value <= 3 ? static_cast<ExplorerPane>(value) : ExplorerPane::None;
}

void CExplorerPanes::Toggle(ExplorerPane pane) { Show(current_ == pane ? ExplorerPane::None : pane); }

void CExplorerPanes::Show(ExplorerPane pane) {
  if (pane == current_) return;
  Trace("explorer-pane", std::to_string(static_cast<int>(pane)));
  current_ = pane;
  host_.ShowPane(pane);
}

std::string NormalizeFileTypes(std::string_view text) {
  std::string out(text);
  if (!out.ends_with(';')) out += ';';
  return out;
}

std::vector<std::string> FileTypePatterns(std::string_view text) {
  std::vector<std::string> out;
  while (!text.empty()) {
    const std::size_t semi = text.find(';');
    std::string piece = Trim(std::string(text.substr(0, semi)));
    if (!piece.empty()) out.push_back(std::move(piece));
    if (semi == std::string_view::npos) break;
    text.remove_prefix(semi + 1);
  }
  return out;
}

namespace {

// Every byte that would end or change a path ("#", "?", "%", blanks,
// controls, non-ASCII) written as %XX, so the site opens this very file.
std::string FileUrl(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "file://";
  for (const unsigned char c : path) {
    if (std::isalnum(c) || std::strchr("/-._~!$&'()*+,;=:@", c)) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

}  // namespace

FolderClick ClickOnFolderItem(const std::string& path, bool isFile) {
  if (!isFile) return {};
  if (path.ends_with(".exe") || path.ends_with(".EXE")) return {FolderClick::Action::Start, path};
  return {FolderClick::Action::Open, FileUrl(path)};
}

}  // namespace kestrel
