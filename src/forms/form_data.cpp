#include "forms/form_data.h"

#include <algorithm>
#include <filesystem>
#include <unordered_set>

#include "common/message.h"
#include "common/script_text.h"
#include "common/strings.h"
#include "common/textfile.h"

namespace kestrel {

namespace {

constexpr std::string_view kBlockOpen = "<TextArea>";
constexpr std::string_view kBlockClose = "</TextArea>";

std::string JoinNames(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ",") + n;
  return out;
}

}  // namespace

int ParseFormData(std::string_view text, FormFieldList& list) {
  TextReadOptions o;
  o.maxLineLength = kFormMaxLine;
  o.trim = false;  // a block's lines are taken as they stand
  const std::vector<std::string> lines = SplitTextLines(text, o);
  int count = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string line = Trim(lines[i]);
    if (line.empty()) continue;
    const std::size_t eq = line.find('=');
    const bool block = line.size() >= kBlockOpen.size() &&
                       std::string_view(line).substr(line.size() - kBlockOpen.size()) == kBlockOpen;
    FormField field;
    // Each name trimmed: "a ,=v" would otherwise keep "a " and be written
    // back as "a =v", which reads as "a".
    for (const std::string& name : SplitFields(std::string_view(line).substr(0, eq == std::string::npos ? line.size() : eq), ','))
      if (std::string n = Trim(name); !n.empty()) field.names.push_back(std::move(n));
    if (block) {
      std::vector<std::string_view> body;
      bool closed = false;
      for (++i; i < lines.size(); ++i) {
        if (Trim(lines[i]) == kBlockClose) {
          closed = true;
          break;
        }
        body.push_back(lines[i]);
      }
      if (!closed) break;  // the file ended inside the block: no entry
      for (std::size_t k = 0; k < body.size(); ++k) (field.value += k ? "\n" : "") += body[k];
    } else {
      if (eq == std::string::npos) continue;
      field.value = line.substr(eq + 1);
    }
    if (eq == std::string::npos || field.names.empty()) continue;
    list.push_back(std::move(field));
    ++count;
  }
  return count;
}

std::string FormatFormData(const FormFieldList& list) {
  std::string out;
  for (const FormField& f : list) {
    // One line when it reads back as the value: lines are trimmed, and one
    // ending in the block marker opens a block.
    const std::string_view v = f.value;
    if (v.find_first_of("\r\n") == std::string::npos && (v.empty() || !IsBlank(v.back())) && !v.ends_with(kBlockOpen)) {
      out += JoinNames(f.names) + "=" + f.value + "\r\n";
      continue;
    }
    out += JoinNames(f.names) + "=" + std::string(kBlockOpen) + "\r\n";
    // Every line break of the value becomes one CR LF.
    for (std::size_t i = 0; i < f.value.size(); ++i) {
      const char c = f.value[i];
      if (c == '\r' && i + 1 < f.value.size() && f.value[i + 1] == '\n') continue;
      out += c == '\n' || c == '\r' ? std::string("\r\n") : std::string(1, c);
    }
    out += "\r\n" + std::string(kBlockClose) + "\r\n";
  }
  return out;
}

int ReadFormDataFile(const std::string& path, FormFieldList& list, bool clear) {
  if (clear) list.clear();
  const std::optional<std::string> text = ReadWholeFile(path);
  if (!text) return -1;
  return ParseFormData(*text, list);
}

bool WriteFormDataFile(const FormFieldList& list, const std::string& path) {
  return WriteFileAtomic(path, FormatFormData(list));
}

const std::string* FindFormValue(const FormFieldList& list, std::string_view name) {
  for (const FormField& f : list)
    if (std::find(f.names.begin(), f.names.end(), name) != f.names.end()) return &f.value;
  return nullptr;
}

void MergeFormField(FormFieldList& list, const std::string& name, const std::string& value,
                    const AskUpdate& askUpdate) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    FormField& f = list[i];
    auto at = std::find(f.names.begin(), f.names.end(), name);
    if (at == f.names.end()) continue;
    // Already stored as it is: a second copy would only grow the file.
    if (f.value == value) return;
    if (!askUpdate("Do you wish to update field <" + name + ">?\r\nOld Value:" + f.value + "\r\nNew Value:" + value))
      return;
    if (f.names.size() == 1) {
      f.value = value;
    } else {
      f.names.erase(at);
      list.push_back({{name}, value});
    }
    return;
  }
  list.push_back({{name}, value});
}

std::vector<std::string> ListFormFiles(const ProgramFolder& folder) {
  return ListFilesWithExtension(folder, kFormFileExtension);
}

std::string FormFilePath(const ProgramFolder& folder, const std::string& name) {
  return PathWithExtension(folder, name, kFormFileExtension);
}

void CFormData::Load(const ProgramFolder& folder, const std::vector<std::string>& active) {
  Clear();
  for (const std::string& name : active) ReadFormDataFile(FormFilePath(folder, name), entries_, false);
}

void CFormData::Clear() {
  entries_.clear();
  json_.clear();
  jsonReady_ = false;
}

const std::string& CFormData::FillPairs() const {
  if (jsonReady_) return json_;
  std::unordered_set<std::string_view> seen;
  json_ = "[";
  for (const FormField& f : entries_)
    for (const std::string& n : f.names) {
      if (!seen.insert(n).second) continue;
      if (json_.size() > 1) json_ += ',';
      json_ += "[" + ScriptString(n, '"') + "," + ScriptString(f.value, '"') + "]";
    }
  json_ += "]";
  jsonReady_ = true;
  return json_;
}

}  // namespace kestrel
