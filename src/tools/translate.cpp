#include "tools/translate.h"

#include <algorithm>
#include <utility>

#include "common/message.h"
#include "common/strings.h"
#include "common/textfile.h"

namespace kestrel {

namespace {

constexpr std::string_view kUrlMarker = "$url";
constexpr std::string_view kTextMarker = "$text";

std::string InFolder(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

void ShowCantOpen(const std::string& path) { ShowMessage("Can't open " + path + "!"); }

}  // namespace

std::string FillTranslateTemplate(std::string_view page, std::string_view input, bool text) {
  // A selection holding "<script>" or a quote must stay text in the page's
  // form fields, and so must an address holding "&" or a quote.
  const std::string url = HtmlEscape(text ? std::string_view("http://") : input);
  const std::string body = text ? HtmlEscape(input) : std::string();
  std::string out;
  out.reserve(page.size() + url.size() + body.size());
  std::size_t pos = 0;
  while (pos < page.size()) {
    const std::size_t hit = page.find('$', pos);
    if (hit == std::string_view::npos) break;
    out.append(page.substr(pos, hit - pos));
    const std::string_view rest = page.substr(hit);
    if (rest.starts_with(kUrlMarker)) {
      out += url;
      pos = hit + kUrlMarker.size();
    } else if (rest.starts_with(kTextMarker)) {
      out += body;
      pos = hit + kTextMarker.size();
    } else {
      out.push_back('$');
      pos = hit + 1;
    }
  }
  out.append(page.substr(pos));
  return out;
}

std::string TranslateTemplatePath(const ProgramFolder& folder, const std::string& service) {
  const std::string exact = folder.Find(service + ".htm");
  if (FileExists(exact)) return exact;
  // Names differ in case between the commands, and this file system minds case.
  for (const std::string& name : ListFilesWithExtension(folder, ".htm"))
    if (EqualsNoCase(name, service)) return PathWithExtension(folder, name, ".htm");
  return exact;
}

bool Translate(const std::string& input, const std::string& service, bool text, const ProgramFolder& programFolder,
               const std::string& tempFolder, const std::function<void(const std::string&)>& openTypedLines) {
  const std::string templatePath = TranslateTemplatePath(programFolder.Sub(kTranslateFolder), service);
  const std::optional<std::string> page = ReadWholeFile(templatePath);
  if (!page) {
    ShowCantOpen(templatePath);
    return false;
  }
  // An old translate.htm would send the text of an earlier translation: a page
  // that cannot be written is not opened.
  const std::string out = InFolder(tempFolder, kTranslatePageFile);
  if (!WriteFileAtomic(out, FillTranslateTemplate(*page, input, text))) {
    ShowCantOpen(out);
    return false;
  }
  if (openTypedLines) openTypedLines(out);
  return true;
}

// ---------------------------------------------------------------- commands

CTranslateCommands::CTranslateCommands(Parts parts) : p_(std::move(parts)), commands_(p_.frame.commands()) {
  CommandScope& r = commands_;
  struct Service {
    unsigned id;
    const char* name;
  };
  for (const Service s : {Service{ID_TRANSLATE_PAGE_GOOGLE, kGoogleService},
                          Service{ID_TRANSLATE_PAGE_BABELFISH, kBabelfishPageService}})
    r.Add(s.id, [this, s](const CommandContext& c) {
      if (c.site) Translate(c.site->GetLocationURL(), s.name, false);
    }, CommandRegistry::NeedsSite);
  // Without a site the text is empty, and still goes to the service.
  for (const Service s : {Service{ID_TRANSLATE_TEXT_GOOGLE, kGoogleService},
                          Service{ID_TRANSLATE_TEXT_BABELFISH, kBabelfishTextService}})
    r.Add(s.id, [this, s](const CommandContext& c) {
      SelectedText(c.site, [this, s](const std::string& text) { Translate(text, s.name, true); });
    });
  r.Add(ID_DICTIONARY_DEFINITIONS, [this](const CommandContext&) {
    // Edited with the desktop's text editor; read at the next start.
    const std::string found = p_.programFolder.Find(kDictionaryFile);
    const std::string path = p_.programFolder.EditablePath(found);
    if (path.empty() || !p_.shell.OpenWith("text/plain", path)) ShowCantOpen(path.empty() ? found : path);
  });
  r.Add(kDictionaryCommands.first, kDictionaryCommands.last,
        [this](const CommandContext& c) { LookUpDictionary(c.id, c.site); });
  BuildDictionaryMenu();
}

const MenuItem* CTranslateCommands::DictionaryMenu() const {
  return p_.frame.menu().FindPopup({"Language", "Look Up In Dictionaries"});
}

void CTranslateCommands::BuildDictionaryMenu() {
  const MenuItem* menu = DictionaryMenu();
  if (!menu) return;
  CSearchEngines loaded;
  loaded.LoadSearchEngines(p_.programFolder.Find(kDictionaryFile));
  const std::vector<SearchEngine>& all = loaded.engines();
  dictionaries_.assign(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(std::min(all.size(), kMaxDictionaries)));
  std::vector<DynamicMenuItem> items;
  for (std::size_t i = 0; i < dictionaries_.size(); ++i)
    items.push_back({dictionaries_[i].name, kDictionaryCommands.first + static_cast<unsigned>(i)});
  p_.frame.menu().SetDynamicItems(*menu, std::move(items));
}

void CTranslateCommands::LookUpDictionary(unsigned id, CKestrelView* site) {
  const MenuItem* menu = DictionaryMenu();
  if (!menu) return;
  // The entry's label names the dictionary: of two with one name, the first answers both.
  const std::string label = p_.frame.menu().DynamicText(*menu, id);
  auto it = std::find_if(dictionaries_.begin(), dictionaries_.end(),
                         [&](const SearchEngine& d) { return d.name == label; });
  if (label.empty() || it == dictionaries_.end()) return;
  SelectedText(site, [this, dictionary = *it](const std::string& text) {
    p_.search.RunSearch(dictionary.address, text, dictionary.get);
  });
}

std::string CTranslateCommands::ClipboardText() const {
  std::optional<std::string> text = p_.clipboard.Text();
  if (!text) {
    ShowMessage("Cannot open the Clipboard!");
    return {};
  }
  return std::move(*text);
}

void CTranslateCommands::SelectedText(CKestrelView* site, std::function<void(const std::string&)> use) {
  if (!site) {
    use({});
    return;
  }
  // With nothing selected a copy changes nothing, and the clipboard's
  // earlier text is used: there is no copy to wait for then.
  BrowserControl& control = site->control();
  const bool copying = control.EditEnabled(EditCommand::Copy);
  if (copying) control.Edit(EditCommand::Copy);
  if (!copying || !p_.afterCopy) {
    use(ClipboardText());
    return;
  }
  p_.afterCopy([this, alive = std::weak_ptr<bool>(alive_), use = std::move(use)] {
    if (alive.lock()) use(ClipboardText());
  });
}

bool CTranslateCommands::Translate(const std::string& input, const std::string& service, bool text) const {
  return kestrel::Translate(input, service, text, p_.programFolder, p_.tempFolder, p_.openTypedLines);
}

}  // namespace kestrel
