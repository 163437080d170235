#include "settings/settings.h"

namespace kestrel {

std::string DefaultSkinName(const SystemVersion& system) {
  if (!system.windows) return {};
  if (system.isWindowsNT && system.major == 5 && system.minor != 0) return "Navy";
  return "Windows XP";
}

bool HasSavedPlacement(const Settings& s) { return s.WPWidth != 0 && s.WPHeight != 0; }

std::string JoinFormList(const std::vector<std::string>& names) {
  std::string out;
  for (const auto& n : names) {
    out += n;
    out += ',';
  }
  return out;
}

}  // namespace kestrel
