#include "platform/window_features.h"

#include <cstdlib>
#include <string>

#include "common/strings.h"

namespace kestrel {
namespace {

bool IsSeparator(char c) { return c == ',' || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// "yes", an empty value and any non-zero number turn a feature on.
bool TurnsOn(std::string_view value) {
  if (value.empty() || EqualsNoCase(value, "yes") || EqualsNoCase(value, "true")) return true;
  char* end = nullptr;
  std::string v(value);
  double d = std::strtod(v.c_str(), &end);
  return end != v.c_str() && d != 0;
}

int Size(std::string_view value) {
  std::string v(value);
  char* end = nullptr;
  long n = std::strtol(v.c_str(), &end, 10);
  if (end == v.c_str() || n < 0 || n > 100000) return -1;
  return static_cast<int>(n);
}

}  // namespace

WindowFeatures ParseWindowFeatures(const std::optional<std::string_view>& text) {
  WindowFeatures f;
  if (!text || text->find_first_not_of(", \t\r\n\f") == std::string_view::npos) return f;
  f.menuBar = f.toolBar = f.addressBar = f.statusBar = f.resizable = false;
  std::string_view rest = *text;
  while (!rest.empty()) {
    std::size_t start = 0;
    while (start < rest.size() && IsSeparator(rest[start])) ++start;
    rest.remove_prefix(start);
    if (rest.empty()) break;
    std::size_t end = 0;
    while (end < rest.size() && !IsSeparator(rest[end]) && rest[end] != '=') ++end;
    std::string_view name = rest.substr(0, end);
    std::string_view value;
    std::size_t next = end;
    // Blanks may stand around "=".
    std::size_t eq = end;
    while (eq < rest.size() && (rest[eq] == ' ' || rest[eq] == '\t')) ++eq;
    if (eq < rest.size() && rest[eq] == '=') {
      std::size_t v = eq + 1;
      while (v < rest.size() && (rest[v] == ' ' || rest[v] == '\t')) ++v;
      std::size_t ve = v;
      while (ve < rest.size() && !IsSeparator(rest[ve])) ++ve;
      value = rest.substr(v, ve - v);
      next = ve;
    }
    rest.remove_prefix(next);
    if (EqualsNoCase(name, "menubar")) f.menuBar = TurnsOn(value);
    else if (EqualsNoCase(name, "toolbar")) f.toolBar = TurnsOn(value);
    else if (EqualsNoCase(name, "location")) f.addressBar = TurnsOn(value);
    else if (EqualsNoCase(name, "status")) f.statusBar = TurnsOn(value);
    else if (EqualsNoCase(name, "resizable")) f.resizable = TurnsOn(value);
    else if (EqualsNoCase(name, "left") || EqualsNoCase(name, "screenx")) f.left = Size(value);
    else if (EqualsNoCase(name, "top") || EqualsNoCase(name, "screeny")) f.top = Size(value);
    else if (EqualsNoCase(name, "width") || EqualsNoCase(name, "innerwidth")) f.width = Size(value);
    else if (EqualsNoCase(name, "height") || EqualsNoCase(name, "innerheight")) f.height = Size(value);
  }
  return f;
}

}  // namespace kestrel
