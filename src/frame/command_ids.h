#pragma once
// Every command id of the program, named once, and the ranges of the
// dynamic menus. Menus, toolbar buttons, accelerators and the Site Popup
// menu all carry these numbers; the command registry says who handles each.
namespace kestrel {

enum CommandId : unsigned {
  // Keys and bar controls.
  ID_ADDRESS_ENTER = 1,  // Enter in the Address Bar and its Go button
  ID_ESCAPE = 2,
  ID_ADD_WHITE_LIST = 4,
  ID_QUICK_SEARCH_GO = 1002,
  ID_FOCUS_ADDRESS = 32987,

  // File.
  ID_FILE_NEW = 57600,
  ID_FILE_OPEN = 57601,
  ID_FILE_CLOSE = 57602,
  ID_FILE_SAVE = 57603,
  ID_FILE_SAVE_AS = 57604,
  ID_FILE_PAGE_SETUP = 57605,
  ID_FILE_PRINT = 57607,
  ID_FILE_PRINT_PREVIEW = 32818,
  ID_SAVE_WITHOUT_PICTURES = 32864,
  ID_PAGE_BY_EMAIL = 32866,
  ID_LINK_BY_EMAIL = 32867,
  ID_SHORTCUT_TO_DESKTOP = 32868,
  ID_PROPERTIES = 32819,
  ID_FROM_CLIPBOARD = 32850,
  ID_WORK_OFFLINE = 32815,
  ID_CLOSE_ALL = 32838,
  ID_CLOSE_ALL_BUT_CURRENT = 32915,
  ID_CLOSE_BLANK_FAILED = 32916,
  ID_APP_EXIT = 57665,

  // Edit.
  ID_EDIT_COPY = 57634,
  ID_EDIT_CUT = 57635,
  ID_EDIT_FIND = 57636,
  ID_EDIT_PASTE = 57637,
  ID_EDIT_SELECT_ALL = 57642,

  // View.
  ID_VIEW_TOOLBAR = 59392,  // the standard toolbar
  ID_VIEW_STATUS_BAR = 59393,
  ID_VIEW_ADDRESS_BAR = 32961,
  ID_VIEW_QUICK_SEARCH_BAR = 32962,
  ID_CUSTOMIZE_TOOLBAR = 32964,
  ID_LOCK_TOOLBARS = 32965,
  ID_VIEW_SITE_TAB = 32966,
  ID_EXPLORER_FAVORITES = 32902,
  ID_EXPLORER_HISTORY = 32907,
  ID_EXPLORER_FOLDERS = 32910,
  ID_EXPLORER_OTHER = 32911,
  ID_VIEW_STOP = 32778,
  ID_VIEW_REFRESH = 32779,
  ID_STOP_ALL = 32971,
  ID_REFRESH_ALL = 32972,
  ID_TEXT_LARGEST = 32782,  // to ID_TEXT_SMALLEST: text size 4 down to 0
  ID_TEXT_LARGER = 32783,
  ID_TEXT_MEDIUM = 32784,
  ID_TEXT_SMALLER = 32785,
  ID_TEXT_SMALLEST = 32786,
  ID_ZOOM_IN = 32976,
  ID_ZOOM_OUT = 32977,
  ID_ZOOM_ACTUAL = 32978,
  ID_SHOW_PICTURES = 32941,
  ID_PLAY_VIDEOS = 32942,
  ID_PLAY_SOUNDS = 32943,
  ID_EXECUTE_SCRIPTS = 32944,
  ID_EXECUTE_JAVA = 32945,
  ID_ENABLE_ACTIVEX = 32946,
  ID_VIEW_SOURCE = 32820,
  ID_FULL_SCREEN = 32877,
  ID_SUPPRESS_SCRIPT_ERRORS = 32880,
  ID_SELECT_SKIN = 32898,
  ID_DISABLE_SKIN = 32899,
  ID_CAPTION_MINIMIZE = 32894,  // the caption buttons of a skinned frame
  ID_CAPTION_MAXIMIZE = 32895,
  ID_CAPTION_CLOSE = 32896,
  ID_CAPTION_SYSTEM = 32897,

  // Toolbar buttons with a drop-down.
  ID_FAVORITES_BUTTON = 32792,
  ID_FONTS = 32793,
  ID_EDIT_WEB_PAGE = 32969,
  ID_ENCODING = 32970,
  ID_DROPDOWN_OTHER_A = 32860,
  ID_DROPDOWN_OTHER_B = 32975,

  // Favorites.
  ID_ADD_FAVORITE = 32809,
  ID_ORGANIZE_FAVORITES = 32811,
  ID_IMPORT_FAVORITES = 32973,
  ID_EXPORT_FAVORITES = 32974,

  // Go To.
  ID_GO_BACK = 32787,
  ID_GO_FORWARD = 32788,
  ID_GO_HOME = 32789,
  ID_GO_UP = 32847,
  ID_HOME_PAGE = 32900,
  ID_SEARCH_WEB = 32790,
  ID_NEXT_WINDOW = 32949,
  ID_PREV_WINDOW = 32951,
  ID_DUPLICATE_SITE = 32813,
  ID_SITE_MINIMIZE = 33016,
  ID_SITE_RESTORE = 33017,

  // Downloads.
  ID_DOWNLOADS = 33030,

  // Groups.
  ID_SAVE_ALL_AS_GROUP = 32845,
  ID_ORGANIZE_GROUPS = 32885,
  ID_ADD_TO_GROUP = 32886,

  // AutoLogin.
  ID_ORGANIZE_AUTOLOGIN = 32887,
  ID_AUTOLOGIN_PASSWORD = 32888,
  ID_AUTOLOGIN_PROTECT_NOW = 32889,

  // Form filler.
  ID_SET_ACTIVE_FORMS = 32822,
  ID_FILL_ACTIVE_FORM = 32823,
  ID_FILL_ALL_FORMS = 32824,
  ID_SAVE_ACTIVE_FORM = 32825,
  ID_SAVE_ALL_FORMS = 32826,
  ID_AUTO_FILL = 32844,
  ID_EDIT_FORM_DATA = 32884,

  // Tools.
  ID_READ_EMAIL = 32871,  // also the toolbar's Mail button
  ID_READ_NEWS = 32872,
  ID_NEW_MESSAGE = 32874,
  ID_ADDRESS_BOOK = 32875,
  ID_SYNCHRONIZE = 32876,
  ID_OTHER_BROWSER = 32954,
  ID_MEDIA_PLAYER = 32955,
  ID_TEXT_EDITOR = 32956,
  ID_PAINT = 32957,
  ID_MESSENGER = 32958,
  ID_TELNET = 32959,
  ID_CONSOLE = 32960,
  ID_CUSTOM_SCRIPT = 32901,
  ID_BLOCK_POPUP = 32848,
  ID_BLOCK_POPUP_ALT_IMAGE = 32953,  // the Block Popup button's flashing picture
  ID_HIDDEN_SITES = 32861,
  ID_RESTORE_LAST_POPUP = 32862,
  ID_HIDE_SITE = 32863,
  ID_ENABLE_SITE_FILTER = 32881,
  ID_BLACK_LIST = 32878,
  ID_WHITE_LIST = 32879,
  ID_ADD_BLACK_LIST = 32893,
  ID_CLEAN_HISTORY = 32870,
  ID_CLEAN_COOKIES = 32912,
  ID_CLEAN_CACHE = 32913,
  ID_CLEAN_ALL = 32914,
  ID_ALIASES = 32939,
  ID_SEARCH_ENGINE_DEFINITIONS = 32882,
  ID_ALWAYS_NEW = 32810,
  ID_SET_DEFAULT_BROWSER = 32869,
  ID_INTERNET_OPTIONS = 32808,
  ID_OPTIONS = 32839,

  // Language.
  ID_TRANSLATE_PAGE_GOOGLE = 32854,
  ID_TRANSLATE_PAGE_BABELFISH = 32855,
  ID_TRANSLATE_TEXT_GOOGLE = 32858,
  ID_TRANSLATE_TEXT_BABELFISH = 32859,
  ID_DICTIONARY_DEFINITIONS = 32967,
  ID_CONTRIBUTE_TRANSLATION = 32985,

  // Help and the product's pages.
  ID_HELP_CONTENT = 57666,
  ID_TIP_OF_THE_DAY = 32837,
  ID_VIEW_FAQ = 32988,
  ID_ONLINE_FORUM = 32852,
  ID_FEEDBACK = 32827,
  ID_SUBMIT_REVIEW = 32883,
  ID_TELL_A_FRIEND = 32979,
  ID_DONATE = 32984,
  ID_PRODUCT_HOME = 32843,
  ID_PRODUCT_OTHER = 32842,
};

struct CommandRange {
  unsigned first, last;
  constexpr bool Contains(unsigned id) const { return id >= first && id <= last; }
  constexpr unsigned size() const { return last - first + 1; }
  constexpr bool empty() const { return last < first; }
};

// The dynamic menus: one id per entry, from the first of the range on.
inline constexpr CommandRange kGroupCommands{8192, 8447};
inline constexpr CommandRange kAutoLoginCommands{8448, 8703};
inline constexpr CommandRange kScriptCommands{8704, 8959};
inline constexpr CommandRange kMailClientCommands{8960, 8991};
inline constexpr CommandRange kDictionaryCommands{8992, 9023};
inline constexpr CommandRange kLanguageCommands{9024, 9087};
// The Shortcuts menu: keywords of desktop folders.
inline constexpr CommandRange kShortcutCommands{32917, 32938};
// The Encoding menu.
inline constexpr CommandRange kEncodingCommands{36000, 36020};
// The speech buttons, which only open their drop-down.
inline constexpr CommandRange kSpeechCommands{61206, 61213};

}  // namespace kestrel
