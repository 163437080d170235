#include "forms/autologin.h"

#include <algorithm>
#include <cctype>

#include "common/cipher.h"
#include "common/message.h"
#include "common/script_text.h"
#include "common/strings.h"
#include "common/textfile.h"

namespace kestrel {

const AutoLoginEntry* CAutoLoginList::Find(std::string_view caption) const {
  for (const AutoLoginEntry& e : entries_)
    if (e.caption == caption) return &e;
  return nullptr;
}

AutoLoginEntry ParseAutoLoginLine(std::string_view line) {
  std::string fields[5];
  std::size_t start = 0;
  for (int i = 0; i < 5 && start <= line.size(); ++i) {
    const std::size_t end = std::min(line.find(';', start), line.size());
    fields[i] = std::string(line.substr(start, end - start));
    start = end + 1;
  }
  return {fields[0], fields[1], fields[2], fields[3], DecipherPassword(fields[4])};
}

void CAutoLoginList::Parse(std::string_view text) {
  TextReadOptions o;
  o.maxLineLength = kAutoLoginMaxLine;
  const std::vector<std::string> lines = SplitTextLines(text, o);
  for (std::size_t i = 1; i < lines.size(); ++i)
    if (!lines[i].empty()) entries_.push_back(ParseAutoLoginLine(lines[i]));
}

std::string CAutoLoginList::Format() const {
  std::string out = std::string(kAutoLoginHeader) + "\r\n";
  for (const AutoLoginEntry& e : entries_)
    out += e.caption + ';' + e.url + ';' + e.formName + ';' + e.loginData + ';' + EncipherPassword(e.password) + "\r\n";
  return out;
}

bool CAutoLoginList::Load(const std::string& path) {
  const std::optional<std::string> text = ReadWholeFile(path);
  if (!text) return false;
  Parse(*text);
  return true;
}

bool CAutoLoginList::Save(const std::string& path) const { return WriteFileAtomic(path, Format()); }

std::string FormReference(std::string_view formName) {
  const std::string f = formName.empty() ? "0" : std::string(formName);
  // Read as a decimal integer the way the C library does, then written back:
  // only a text that survives unchanged is an index.
  std::size_t i = 0;
  while (i < f.size() && IsBlank(f[i])) ++i;
  bool negative = false;
  if (i < f.size() && (f[i] == '+' || f[i] == '-')) negative = f[i++] == '-';
  long long value = 0;
  for (; i < f.size() && std::isdigit(static_cast<unsigned char>(f[i])); ++i) {
    value = value * 10 + (f[i] - '0');
    if (value > 0x7FFFFFFF) break;  // past an int: cannot survive the round trip
  }
  const std::string back = std::to_string(negative ? -value : value);
  return back == f ? f : ScriptString(f);
}

LoginScript BuildLoginScript(const AutoLoginEntry& entry, std::string& script) {
  const std::vector<std::string> pairs = SplitFields(entry.loginData, '&');
  if (pairs.empty()) return LoginScript::NothingToDo;
  const std::string form = "document.forms[" + FormReference(entry.formName) + "]";
  std::string out;
  for (const std::string& pair : pairs) {
    const std::size_t eq = pair.find('=');
    if (eq == std::string::npos) return LoginScript::SyntaxError;
    const std::string value = pair.substr(eq + 1);
    out += form + ".elements[" + ScriptString(pair.substr(0, eq)) + "].value=" +
           ScriptString(value == "$password" ? entry.password : value) + ";\n";
  }
  // Through the prototype: a login form's button is often named "submit",
  // which hides the form's own method.
  out += "HTMLFormElement.prototype.submit.call(" + form + ");";
  script = std::move(out);
  return LoginScript::Built;
}

namespace {

struct Origin {
  std::string scheme, host;
  int port = 0;
};

Origin OriginOf(std::string_view url) {
  Origin o;
  std::size_t rest = 0;
  const std::size_t colon = url.find("://");
  if (colon == std::string_view::npos) {
    o.scheme = "http";
  } else {
    o.scheme = ToLowerAscii(url.substr(0, colon));
    rest = colon + 3;
  }
  std::string_view authority = url.substr(rest);
  authority = authority.substr(0, authority.find_first_of("/?#\\"));
  if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
  std::string_view host = authority;
  std::string_view port;
  if (!authority.empty() && authority.front() == '[') {
    const std::size_t close = authority.find(']');
    host = authority.substr(0, close == std::string_view::npos ? authority.size() : close + 1);
    if (close != std::string_view::npos && authority.substr(close + 1, 1) == ":") port = authority.substr(close + 2);
  } else if (const std::size_t c = authority.rfind(':'); c != std::string_view::npos) {
    host = authority.substr(0, c);
    port = authority.substr(c + 1);
  }
  o.host = ToLowerAscii(host);
  if (!o.host.empty() && o.host.back() == '.') o.host.pop_back();
  o.port = o.scheme == "https" ? 443 : o.scheme == "http" ? 80 : 0;
  if (!port.empty()) {
    int p = 0;
    for (char c : port) {
      if (!std::isdigit(static_cast<unsigned char>(c)) || p > 65535) return {};
      p = p * 10 + (c - '0');
    }
    o.port = p;
  }
  return o;
}

}  // namespace

bool SameLoginOrigin(std::string_view entryUrl, std::string_view pageUrl) {
  const Origin a = OriginOf(entryUrl), b = OriginOf(pageUrl);
  if (a.host.empty() || a.host != b.host) return false;
  if (a.scheme == b.scheme) return a.port == b.port;
  // A login page moved to https on the same host is the same site, safer.
  return a.scheme == "http" && b.scheme == "https" && a.port == 80 && b.port == 443;
}

bool CAutoLoginAccess::TryPassword(const std::string& text) {
  if (text != password_) {
    ShowMessage("Bad password!");
    return false;
  }
  unlocked_ = true;
  return true;
}

bool CAutoLoginAccess::ChangePassword(const std::string& oldPassword, const std::string& newPassword,
                                      const std::string& confirm) {
  if (oldPassword != password_) {
    ShowMessage("Old Password is incorrect!");
    return false;
  }
  if (newPassword != confirm) {
    ShowMessage("New password and re-entry doesn't match!");
    return false;
  }
  password_ = newPassword;
  unlocked_ = true;
  return true;
}

void CAutoLoginAccess::ProtectNow() {
  unlocked_ = false;
  ShowMessage(password_.empty() ? "You have set no password for protection!"
                                : "Cached password cleared. You need to \r\nre-enter password to access AutoLogin.");
}

CAutoLoginOrganizer::CAutoLoginOrganizer(CAutoLoginList& list) : list_(list) {
  for (std::size_t i = 0; i < list_.entries().size(); ++i) Insert(list_.entries()[i].caption, i);
  Select(items_.empty() ? -1 : 0);
}

std::vector<std::string> CAutoLoginOrganizer::Captions() const {
  std::vector<std::string> out;
  for (const Item& i : items_) out.push_back(i.caption);
  return out;
}

void CAutoLoginOrganizer::Insert(std::string caption, std::size_t entry) {
  // After every item that sorts the same or before: equal captions keep their order.
  auto at = std::upper_bound(items_.begin(), items_.end(), caption, [](const std::string& c, const Item& i) {
    return CompareNoCase(c, i.caption) < 0;
  });
  items_.insert(at, Item{std::move(caption), entry});
}

int CAutoLoginOrganizer::IndexOfEntry(std::size_t entry) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i].entry == entry) return static_cast<int>(i);
  return -1;
}

void CAutoLoginOrganizer::Select(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) {
    selection_ = -1;
    fields_ = {};
    return;
  }
  selection_ = index;
  const AutoLoginEntry& e = list_.entries()[items_[static_cast<std::size_t>(index)].entry];
  fields_ = {e.caption, e.url, e.formName, e.loginData, e.password, e.password};
}

void CAutoLoginOrganizer::New() { fields_ = {}; }

bool CAutoLoginOrganizer::Validate() const {
  if (fields_.password != fields_.reenter) {
    ShowMessage("Passwords don't match!");
    return false;
  }
  if (fields_.url.empty()) {
    ShowMessage("Invalid URL!");
    return false;
  }
  // The file separates fields with ";" and knows no escape: such a field
  // would come back split at the next start.
  const Fields& f = fields_;
  for (const std::string* s : {&f.caption, &f.url, &f.formName, &f.loginData})
    if (s->find(';') != std::string::npos || s->find_first_of("\r\n") != std::string::npos) {
      ShowMessage("AutoLogin fields cannot contain \";\" or line breaks!");
      return false;
    }
  const std::size_t line = f.caption.size() + f.url.size() + f.formName.size() + f.loginData.size() + 4 +
                           2 * f.password.size();
  if (line > kAutoLoginMaxLine) {
    ShowMessage("This AutoLogin entry is too long to be saved!");
    return false;
  }
  return true;
}

bool CAutoLoginOrganizer::Add() {
  if (!Validate()) return false;
  const int selected = selection_ < 0 ? -1 : static_cast<int>(items_[static_cast<std::size_t>(selection_)].entry);
  list_.entries().push_back({fields_.caption, fields_.url, fields_.formName, fields_.loginData, fields_.password});
  Insert(fields_.caption, list_.entries().size() - 1);
  // The selected item stays selected, wherever the new one sorted in.
  if (selected >= 0) selection_ = IndexOfEntry(static_cast<std::size_t>(selected));
  fields_ = {};
  return true;
}

bool CAutoLoginOrganizer::Change() {
  if (!Validate()) return false;
  if (selection_ < 0) {
    ShowMessage("Please select an item!");
    return false;
  }
  const Item item = items_[static_cast<std::size_t>(selection_)];
  list_.entries()[item.entry] = {fields_.caption, fields_.url, fields_.formName, fields_.loginData, fields_.password};
  if (fields_.caption != item.caption) {
    items_.erase(items_.begin() + selection_);
    Insert(fields_.caption, item.entry);
    selection_ = IndexOfEntry(item.entry);
  }
  return true;
}

bool CAutoLoginOrganizer::Delete() {
  if (selection_ < 0) {
    ShowMessage("Please select an item!");
    return false;
  }
  const std::size_t entry = items_[static_cast<std::size_t>(selection_)].entry;
  list_.entries().erase(list_.entries().begin() + static_cast<std::ptrdiff_t>(entry));
  items_.erase(items_.begin() + selection_);
  for (Item& i : items_)
    if (i.entry > entry) --i.entry;
  Select(std::min(selection_, static_cast<int>(items_.size()) - 1));
  return true;
}

std::string CAutoLoginOrganizer::SelectedCaption() const {
  return selection_ < 0 ? std::string() : items_[static_cast<std::size_t>(selection_)].caption;
}

}  // namespace kestrel
