#include "language/language_menu.h"

#include "common/message.h"

namespace kestrel {

static_assert(kMaxLanguages == kLanguageCommands.size(), "one command per language");

unsigned LanguageCommand(std::size_t index) { return kLanguageCommands.first + static_cast<unsigned>(index); }

int LanguageIndexOfCommand(unsigned command) {
  if (!kLanguageCommands.Contains(command)) return -1;
  return static_cast<int>(command - kLanguageCommands.first);
}

CLanguageMenu::CLanguageMenu(CMainFrame& frame, CMainMenu& menu, CLanguages& languages, Settings& settings,
                             LanguageView& view)
    : frame_(frame), menu_(menu), languages_(languages), settings_(settings), view_(view),
      commands_(frame.commands()) {
  languages_.SetTarget(settings_.UILanguage);
  CommandScope& r = commands_;
  r.Add(kLanguageCommands.first, kLanguageCommands.last,
        [this](const CommandContext& c) { Switch(static_cast<std::size_t>(LanguageIndexOfCommand(c.id))); },
        [this](const CommandContext& c) {
          const auto index = static_cast<std::size_t>(LanguageIndexOfCommand(c.id));
          if (index >= names_.size()) return CommandState{};
          return CommandState{true, names_[index] == languages_.target()};
        });
  r.Add(ID_CONTRIBUTE_TRANSLATION, [this](const CommandContext&) { frame_.OpenHelpPage(kContributePage); });
  Rebuild();
}

CLanguageMenu::~CLanguageMenu() = default;

void CLanguageMenu::Rebuild() {
  names_ = languages_.LanguageNames();
  const MenuItem* popup = menu_.FindPopup({"Language", "Interface Language"});
  if (!popup) return;
  std::vector<DynamicMenuItem> items;
  for (std::size_t i = 0; i < names_.size(); ++i)
    items.push_back({languages_.LanguageMenuText(names_[i]), LanguageCommand(i)});
  // A note without a command: more files than the menu has room for.
  if (languages_.truncated())
    items.push_back({languages_.Translate("More languages are installed than this menu can show."), 0});
  menu_.SetDynamicItems(*popup, std::move(items));
}

bool CLanguageMenu::Switch(std::size_t index) {
  if (index >= names_.size()) return false;
  const std::string name = names_[index];
  {
    // The live window's texts are in the old language now.
    ScopedLanguageSwitch change(languages_, name);
    if (change.active()) view_.RetranslateWindow();
  }
  settings_.UILanguage = languages_.target();
  Rebuild();
  return true;
}

}  // namespace kestrel
