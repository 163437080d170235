#include "frame/main_menu.h"

#include <algorithm>
#include <set>

#include "common/message.h"
#include "common/strings.h"

namespace kestrel {

namespace {

using Kind = MenuItem::Kind;
using Mark = MenuItem::Mark;

MenuItem Cmd(const char* text, unsigned id, const char* keys = "") {
  MenuItem m;
  m.text = text;
  m.id = id;
  m.keys = keys;
  return m;
}

MenuItem Check(const char* text, unsigned id, const char* keys = "") {
  MenuItem m = Cmd(text, id, keys);
  m.mark = Mark::Check;
  return m;
}

MenuItem Radio(const char* text, unsigned id) {
  MenuItem m = Cmd(text, id);
  m.mark = Mark::Radio;
  return m;
}

MenuItem Sep() {
  MenuItem m;
  m.kind = Kind::Separator;
  return m;
}

MenuItem Popup(const char* text, std::vector<MenuItem> items, CommandRange range = {1, 0},
               Mark dynamicMark = Mark::None) {
  MenuItem m;
  m.kind = Kind::Popup;
  m.text = text;
  m.items = std::move(items);
  m.range = range;
  m.mark = dynamicMark;  // the mark the dynamic items carry
  return m;
}

std::vector<MenuItem> BuildMainMenu() {
  std::vector<MenuItem> m;
  m.push_back(Popup("&File", {
      Cmd("&New", ID_FILE_NEW, "Ctrl+N"),
      Cmd("&Duplicate Current Site", ID_DUPLICATE_SITE),
      Cmd("&Open...", ID_FILE_OPEN, "Ctrl+O"),
      Cmd("From Address in Clip&board", ID_FROM_CLIPBOARD),
      Sep(),
      Cmd("Save &As...", ID_FILE_SAVE_AS, "Ctrl+S"),
      Cmd("Save &Without Picture...", ID_SAVE_WITHOUT_PICTURES),
      Popup("S&end", {
          Cmd("Page By Email...", ID_PAGE_BY_EMAIL),
          Cmd("Link By Email...", ID_LINK_BY_EMAIL),
          Cmd("Shortcut To Desktop", ID_SHORTCUT_TO_DESKTOP),
      }),
      Sep(),
      Cmd("Page Set&up...", ID_FILE_PAGE_SETUP),
      Cmd("Print Pre&view...", ID_FILE_PRINT_PREVIEW),
      Cmd("&Print...", ID_FILE_PRINT, "Ctrl+P"),
      Sep(),
      Cmd("P&roperties", ID_PROPERTIES),
      Check("Wor&k Offline", ID_WORK_OFFLINE),
      Sep(),
      Cmd("&Close", ID_FILE_CLOSE, "Ctrl+W"),
      Cmd("Close A&ll", ID_CLOSE_ALL),
      Cmd("Close All Bu&t Current", ID_CLOSE_ALL_BUT_CURRENT),
      Cmd("Close All Blank && &Failed Sites", ID_CLOSE_BLANK_FAILED),
      Sep(),
      Cmd("E&xit", ID_APP_EXIT, "Ctrl+Q"),
  }));
  // The page keeps its own clipboard keys: these items have none; Find has Ctrl+F.
  m.push_back(Popup("&Edit", {
      Cmd("Cu&t", ID_EDIT_CUT),
      Cmd("&Copy", ID_EDIT_COPY),
      Cmd("&Paste", ID_EDIT_PASTE),
      Sep(),
      Cmd("Select &All", ID_EDIT_SELECT_ALL),
      Sep(),
      Cmd("&Find...", ID_EDIT_FIND, "Ctrl+F"),
  }));
  std::vector<MenuItem> encodings = {
      Cmd("Central European (ISO)", 36006),     Cmd("Central European (Windows)", 36007),
      Cmd("Western European (ISO)", 36003),     Cmd("Western European (Windows)", 36002),
      Cmd("Unicode (UTF-8)", 36004),            Sep(),
      Cmd("Arabic (Windows)", 36017),           Cmd("Baltic (Windows)", 36016),
      Cmd("Central European (DOS)", 36005),     Cmd("Chinese Simplified (GB2132)", 36001),
      Cmd("Chinese Traditional (BIG5)", 36018), Cmd("Cyrillic (Windows)", 36011),
      Cmd("Greek (Windows)", 36012),            Cmd("Hebrew (Windows)", 36010),
      Cmd("Japanese (Auto Select)", 36008),     Cmd("Korean", 36009),
      Cmd("Thai (Windows)", 36013),             Cmd("Turkish (Windows)", 36014),
      Cmd("Vietnamese (Windows)", 36015),
  };
  m.push_back(Popup("&View", {
      Popup("&Toolbars", {
          Check("&Standard Tool Bar", ID_VIEW_TOOLBAR),
          Check("&Address Bar", ID_VIEW_ADDRESS_BAR),
          Check("&Quick-Search Bar", ID_VIEW_QUICK_SEARCH_BAR),
          Check("Site &Tab", ID_VIEW_SITE_TAB),
          Sep(),
          Check("&Lock Toolbars", ID_LOCK_TOOLBARS),
          Cmd("&Customize Standard Tool Bar...", ID_CUSTOMIZE_TOOLBAR),
      }),
      Check("&Status Bar", ID_VIEW_STATUS_BAR),
      Popup("&Explorer Bar", {
          Check("&Favorites", ID_EXPLORER_FAVORITES),
          Check("&History", ID_EXPLORER_HISTORY),
          Check("F&olders", ID_EXPLORER_FOLDERS),
      }),
      Sep(),
      Cmd("St&op", ID_VIEW_STOP, "Esc"),
      Cmd("&Refresh", ID_VIEW_REFRESH, "F5"),
      Cmd("Stop &All", ID_STOP_ALL),
      Cmd("Refresh A&ll", ID_REFRESH_ALL),
      Sep(),
      Popup("Te&xt Size", {
          Radio("Lar&gest", ID_TEXT_LARGEST),
          Radio("&Larger", ID_TEXT_LARGER),
          Radio("&Medium", ID_TEXT_MEDIUM),
          Radio("&Smaller", ID_TEXT_SMALLER),
          Radio("Smalles&t", ID_TEXT_SMALLEST),
      }),
      Popup("E&ncoding", std::move(encodings)),
      Popup("&Zoom", {
          Cmd("Zoom &In", ID_ZOOM_IN, "Ctrl++, Ctrl+="),
          Cmd("Zoom &Out", ID_ZOOM_OUT, "Ctrl+-"),
          Cmd("&Actual Size", ID_ZOOM_ACTUAL, "Ctrl+0"),
      }),
      Popup("&Download Control", {
          Check("Show Pictures", ID_SHOW_PICTURES),
          Check("Play Videos", ID_PLAY_VIDEOS),
          Check("Play Sounds", ID_PLAY_SOUNDS),
          Check("Execute Scripts", ID_EXECUTE_SCRIPTS),
          Check("Execute Java Applet", ID_EXECUTE_JAVA),
          Check("Enable ActiveX Control", ID_ENABLE_ACTIVEX),
      }),
      Sep(),
      Cmd("View Sour&ce", ID_VIEW_SOURCE, "Ctrl+U"),
      Check("&Full Screen", ID_FULL_SCREEN, "F11"),
      Sep(),
      Check("Su&ppress Script Errors", ID_SUPPRESS_SCRIPT_ERRORS),
      Popup("S&kins", {
          Cmd("Select Skins...", ID_SELECT_SKIN),
          Cmd("Disable Skin", ID_DISABLE_SKIN),
      }),
  }));
  // Shown by the favorites store, built from the folder each time it opens;
  // these are its fixed items.
  m.push_back(Popup("F&avorites", {
      Cmd("&Add To Favorites...", ID_ADD_FAVORITE),
      Cmd("&Organize Favorites...", ID_ORGANIZE_FAVORITES),
      Cmd("&Import Favorites...", ID_IMPORT_FAVORITES),
      Cmd("&Export Favorites...", ID_EXPORT_FAVORITES),
  }));
  m.push_back(Popup("&Go To", {
      Cmd("&Back", ID_GO_BACK, "Alt+Left"),
      Cmd("&Forward", ID_GO_FORWARD, "Alt+Right"),
      Cmd("&Up One Level", ID_GO_UP),
      Cmd("Home &Page", ID_HOME_PAGE, "Alt+Home"),
      Cmd("Search the &Web", ID_SEARCH_WEB),
      Sep(),
      Popup("&Shortcuts", {}, kShortcutCommands),
      Sep(),
      Cmd("&Next Window", ID_NEXT_WINDOW, "Ctrl+Tab"),
      Cmd("Pre&vious Window", ID_PREV_WINDOW, "Ctrl+Shift+Tab"),
  }));
  // Groups stop at 255 entries: the last id of the range stays unused.
  m.push_back(Popup("G&roups", {
      Cmd("Organize Group...", ID_ORGANIZE_GROUPS),
      Cmd("Add To Group...", ID_ADD_TO_GROUP),
      Cmd("Save All Open Sites As Group...", ID_SAVE_ALL_AS_GROUP),
      Sep(),
  }, {kGroupCommands.first, kGroupCommands.last - 1}));
  m.push_back(Popup("A&utoLogin", {
      Cmd("Organize AutoLogin...", ID_ORGANIZE_AUTOLOGIN),
      Cmd("Password Protect...", ID_AUTOLOGIN_PASSWORD),
      Cmd("Protect Now", ID_AUTOLOGIN_PROTECT_NOW),
      Sep(),
  }, kAutoLoginCommands));
  m.push_back(Popup("&Tools", {
      Popup("&Mail and News", {
          Cmd("Read Email", ID_READ_EMAIL),
          Cmd("Address Book", ID_ADDRESS_BOOK),
          Cmd("New Message...", ID_NEW_MESSAGE),
          Cmd("Send a Page...", ID_PAGE_BY_EMAIL),
          Cmd("Send a Link...", ID_LINK_BY_EMAIL),
          Sep(),
          Cmd("Read News", ID_READ_NEWS),
          Sep(),
      }, kMailClientCommands),
      Popup("E&xternal", {
          Cmd("Media Player", ID_MEDIA_PLAYER),
          Cmd("Messenger", ID_MESSENGER),
          Cmd("Telnet", ID_TELNET),
          Cmd("Terminal", ID_CONSOLE),
          Cmd("Text Editor", ID_TEXT_EDITOR),
          Cmd("Painting Program", ID_PAINT),
          Sep(),
          Cmd("Synchronize", ID_SYNCHRONIZE),
          Cmd("Open With Another Browser", ID_OTHER_BROWSER),
      }),
      // Scripts stop before the range's last id.
      Popup("Execute &Scripts", {
          Cmd("Custom Script...", ID_CUSTOM_SCRIPT),
          Sep(),
      }, {kScriptCommands.first, kScriptCommands.last - 1}),
      Sep(),
      Cmd("Dow&nloads...", ID_DOWNLOADS, "Ctrl+Shift+Y"),
      Sep(),
      Check("&Block Popup Windows", ID_BLOCK_POPUP),
      Cmd("&Restore Last Popup Window", ID_RESTORE_LAST_POPUP),
      Cmd("&Hidden Sites...", ID_HIDDEN_SITES),
      Cmd("Hi&de Site", ID_HIDE_SITE),
      Popup("Site &Filter", {
          Check("&Enable Site Filter", ID_ENABLE_SITE_FILTER),
          Cmd("&Black List...", ID_BLACK_LIST),
          Cmd("&White List...", ID_WHITE_LIST),
          Sep(),
          Cmd("&Add Into White List...", ID_ADD_WHITE_LIST),
          Cmd("Add Into Black &List...", ID_ADD_BLACK_LIST),
      }),
      Sep(),
      Popup("F&orm Filler", {
          Cmd("Fill Active Form", ID_FILL_ACTIVE_FORM, "F9"),
          Cmd("Fill All Forms", ID_FILL_ALL_FORMS, "F10"),
          Sep(),
          Cmd("Save Active Form...", ID_SAVE_ACTIVE_FORM),
          Cmd("Save All Forms...", ID_SAVE_ALL_FORMS),
          Sep(),
          Cmd("Set Active Form Data Files...", ID_SET_ACTIVE_FORMS),
          Cmd("Edit Form Data File...", ID_EDIT_FORM_DATA),
          Sep(),
          Check("Enable Auto-Fill", ID_AUTO_FILL),
      }),
      Sep(),
      Popup("&Clean Trace", {
          Cmd("Clean History", ID_CLEAN_HISTORY),
          Cmd("Clean Cookies", ID_CLEAN_COOKIES),
          Cmd("Clean Cached Files", ID_CLEAN_CACHE),
          Sep(),
          Cmd("Clean All Trace", ID_CLEAN_ALL),
      }),
      Sep(),
      Cmd("A&lias Definitions...", ID_ALIASES),
      Cmd("Search &Engine Definitions...", ID_SEARCH_ENGINE_DEFINITIONS),
      Sep(),
      Check("&Always New Window", ID_ALWAYS_NEW),
      Cmd("Set As Default Bro&wser", ID_SET_DEFAULT_BROWSER),
      Cmd("&Internet Options...", ID_INTERNET_OPTIONS),
      Cmd("O&ptions...", ID_OPTIONS),
  }));
  m.push_back(Popup("&Language", {
      Popup("Translate &Web Page", {
          Cmd("Google Translation", ID_TRANSLATE_PAGE_GOOGLE),
          Cmd("Babelfish Translation", ID_TRANSLATE_PAGE_BABELFISH),
      }),
      Popup("Translate &Text", {
          Cmd("Google Translation", ID_TRANSLATE_TEXT_GOOGLE),
          Cmd("Babelfish Translation", ID_TRANSLATE_TEXT_BABELFISH),
      }),
      Popup("&Look Up In Dictionaries", {
          Cmd("Custom Dictionary Definitions...", ID_DICTIONARY_DEFINITIONS),
          Sep(),
      }, kDictionaryCommands),
      Sep(),
      Popup("&Interface Language", {
          Cmd("&Contribute Your Translation", ID_CONTRIBUTE_TRANSLATION),
          Sep(),
      }, kLanguageCommands, Mark::Radio),
  }));
  m.push_back(Popup("&Help", {
      Cmd("&Content", ID_HELP_CONTENT, "F1"),
      Cmd("&Tip of the Day...", ID_TIP_OF_THE_DAY),
      Sep(),
      Cmd("View FAQ!", ID_VIEW_FAQ),
      Cmd("Online Forum", ID_ONLINE_FORUM),
      Cmd("Feedback", ID_FEEDBACK),
      Cmd("Submit Your Review", ID_SUBMIT_REVIEW),
      Cmd("Tell A Friend", ID_TELL_A_FRIEND),
      Cmd("Donate", ID_DONATE),
      Sep(),
      Cmd("Kestrel &Home Page", ID_PRODUCT_HOME),
  }));
  return m;
}

template <typename Item, typename F>
void Walk(Item& item, F&& f) {
  f(item);
  for (auto& child : item.items) Walk(child, f);
}

}  // namespace

CMainMenu::CMainMenu() : popups_(BuildMainMenu()) {}

bool MenuTitleMatches(const std::string& itemText, const std::string& title) {
  // The item shows the translation of its English text; the caller names
  // it by its English title.
  return RemoveAccelerators(TranslateMessage(itemText)) == RemoveAccelerators(TranslateMessage(title));
}

int CMainMenu::FindTopLevel(const std::string& title) const {
  for (std::size_t i = 0; i < popups_.size(); ++i)
    if (MenuTitleMatches(popups_[i].text, title)) return static_cast<int>(i);
  return -1;
}

const MenuItem* CMainMenu::FindPopup(const std::vector<std::string>& titles) const {
  const std::vector<MenuItem>* level = &popups_;
  const MenuItem* found = nullptr;
  for (const std::string& title : titles) {
    auto it = std::find_if(level->begin(), level->end(),
                           [&](const MenuItem& m) { return m.IsPopup() && MenuTitleMatches(m.text, title); });
    if (it == level->end()) return nullptr;
    found = &*it;
    level = &found->items;
  }
  return found;
}

MenuItem* CMainMenu::Mutable(const MenuItem& popup) {
  MenuItem* found = nullptr;
  for (MenuItem& top : popups_)
    Walk(top, [&](MenuItem& m) {
      if (&m == &popup) found = &m;
    });
  return found;
}

std::size_t CMainMenu::RebuildRange(const MenuItem& popup, const std::vector<std::string>& names) {
  std::vector<DynamicMenuItem> items;
  for (std::size_t i = 0; i < names.size() && i < popup.range.size(); ++i)
    items.push_back({names[i], popup.range.first + static_cast<unsigned>(i)});
  return SetDynamicItems(popup, std::move(items));
}

std::size_t CMainMenu::SetDynamicItems(const MenuItem& popup, std::vector<DynamicMenuItem> items) {
  MenuItem* m = Mutable(popup);
  if (!m || !m->IsPopup() || !m->HasRange()) return 0;
  std::set<unsigned> seen;
  std::vector<DynamicMenuItem> kept;
  for (DynamicMenuItem& item : items)
    if (item.id == 0 || (m->range.Contains(item.id) && seen.insert(item.id).second)) kept.push_back(std::move(item));
  m->dynamic = std::move(kept);
  if (onChanged) onChanged(*m);
  return m->dynamic.size();
}

std::string CMainMenu::DynamicText(const MenuItem& popup, unsigned id) const {
  for (const DynamicMenuItem& item : popup.dynamic)
    if (item.id == id) return item.text;
  return {};
}

std::vector<unsigned> CMainMenu::CommandIds() const {
  std::vector<unsigned> ids;
  std::set<unsigned> seen;
  auto add = [&](unsigned id) {
    if (seen.insert(id).second) ids.push_back(id);
  };
  for (const MenuItem& top : popups_)
    Walk(top, [&](const MenuItem& m) {
      if (m.kind == Kind::Command) add(m.id);
      for (const DynamicMenuItem& d : m.dynamic)
        if (d.id != 0) add(d.id);
    });
  return ids;
}

const std::vector<MenuItem>& SitePopupMenu() {
  static const std::vector<MenuItem> menu = {
      Cmd("Close", ID_FILE_CLOSE),
      Cmd("Close All", ID_CLOSE_ALL),
      Cmd("Close All But Current", ID_CLOSE_ALL_BUT_CURRENT),
      Cmd("Duplicate", ID_DUPLICATE_SITE),
      Cmd("Hide", ID_HIDE_SITE),
      Cmd("Add To Group...", ID_ADD_TO_GROUP),
      Sep(),
      Cmd("Add Into White List...", ID_ADD_WHITE_LIST),
      Cmd("Add Into Black List...", ID_ADD_BLACK_LIST),
  };
  return menu;
}

const std::vector<Accelerator>& FrameAccelerators() {
  static const std::vector<Accelerator> keys = {
      {ID_FOCUS_ADDRESS, "Alt+D, F6, Ctrl+L"},
  };
  return keys;
}

}  // namespace kestrel
