#pragma once
// The form filler's data: form data files (.fmd) in the program's "forms"
// folder, each a list of field names with the value for fields of those
// names, and the entries of the active files loaded for filling.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/progdir.h"

namespace kestrel {

inline constexpr const char* kFormsFolder = "forms/";
inline constexpr const char* kFormFileExtension = ".fmd";
inline constexpr std::size_t kFormMaxLine = 4095;
inline constexpr const char* kNoActiveForm = "No active forms! Please click to activate one form first.";

struct FormField {
  std::vector<std::string> names;
  std::string value;  // lines joined by "\n"; a list box's option texts by "|"
  bool operator==(const FormField&) const = default;
};
using FormFieldList = std::vector<FormField>;

// Appends the entries of a file's text; returns how many.
int ParseFormData(std::string_view text, FormFieldList& list);
// The file text of `list`, CR LF line ends.
std::string FormatFormData(const FormFieldList& list);
// Entries read, or -1 when the file cannot be read (then `list` is left as
// it was, or empty when `clear`).
int ReadFormDataFile(const std::string& path, FormFieldList& list, bool clear);
// Written whole or not at all.
bool WriteFormDataFile(const FormFieldList& list, const std::string& path);

// The value of the first entry that has `name`; nullptr when none has.
const std::string* FindFormValue(const FormFieldList& list, std::string_view name);

// Saving one field into `list`: an entry of that name with another value is
// updated when `askUpdate` agrees (the question's text is given); an unknown
// name is appended, a value stored already is left alone.
using AskUpdate = std::function<bool(const std::string& question)>;
void MergeFormField(FormFieldList& list, const std::string& name, const std::string& value, const AskUpdate& askUpdate);

// The names of the form data files in `folder` (without ".fmd"), sorted as
// a list control sorts them, case aside.
std::vector<std::string> ListFormFiles(const ProgramFolder& folder);

// The file of the form data file `name` in `folder`, whatever the case of
// its extension.
std::string FormFilePath(const ProgramFolder& folder, const std::string& name);

// The entries of the active files, in the order of the active list.
class CFormData {
 public:
  const FormFieldList& entries() const { return entries_; }
  void Load(const ProgramFolder& folder, const std::vector<std::string>& active);
  void Clear();
  // [["name","value"],...] of every name once, the first entry's value
  // winning: what a page's forms are filled from.
  const std::string& FillPairs() const;

 private:
  FormFieldList entries_;
  mutable std::string json_;
  mutable bool jsonReady_ = false;
};

}  // namespace kestrel
