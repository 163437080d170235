#pragma once
// The scripts the form filler runs in a page: one per operation, the data
// handed over whole, since every call into the page is a round trip.
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

// Fills the focused form (`activeOnly`) or every form of the top-level
// document from `pairs` ([["name","value"],...]). The page answers with the
// number of fields filled, or -1 when there is no active form.
std::string FillFormsScript(const std::string& pairs, bool activeOnly);

// Reads the focused form. The page answers null when there is none, else
// [formName, name, value, name, value, ...] in element order, by the
// saving rules of each kind of element.
std::string ReadActiveFormScript();

struct ActiveForm {
  std::string name;
  std::vector<std::pair<std::string, std::string>> fields;
};
// The page's answer to ReadActiveFormScript; nullopt when there is no form.
std::optional<ActiveForm> ParseActiveForm(const std::string& json);

}  // namespace kestrel
