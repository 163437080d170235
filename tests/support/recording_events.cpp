#include "support/recording_events.h"

#include <algorithm>

namespace kestrel::test {

void RecordingEvents::OnBeforeNavigate2(const NavigateRequest& r, bool&) {
  lines.push_back(std::string(r.topLevel ? "BeforeNavigate2 " : "BeforeNavigate2(frame) ") + r.url);
}

void RecordingEvents::OnNavigateComplete2(const std::string& url, bool topLevel) {
  lines.push_back(std::string(topLevel ? "NavigateComplete2 " : "NavigateComplete2(frame) ") + url);
}

void RecordingEvents::OnDocumentComplete(const std::string& url, bool topLevel) {
  lines.push_back(std::string(topLevel ? "DocumentComplete " : "DocumentComplete(frame) ") + url);
}

void RecordingEvents::OnProgressChange(long progress, long maximum) {
  lines.push_back("ProgressChange " + std::to_string(progress) + "/" + std::to_string(maximum));
}

void RecordingEvents::OnCommandStateChange(int command, bool enable) {
  lines.push_back(std::string(command == CSC_NAVIGATEBACK ? "CommandStateChange back " : "CommandStateChange forward ") +
                  (enable ? "on" : "off"));
}

BrowserControl* RecordingEvents::OnNewWindow2(const NewWindowRequest& r, bool& cancel) {
  lines.push_back("NewWindow2 " + r.url);
  newWindows.push_back(r);
  BrowserControl* c = newWindow ? newWindow(r) : nullptr;
  if (!c) cancel = true;
  return c;
}

void RecordingEvents::OnWindowClosing(bool&) {
  lines.push_back("WindowClosing");
  ++closings;
}

bool RecordingEvents::OnShowScriptError(const ScriptErrorInfo& e) {
  lines.push_back("ScriptError " + e.message);
  scriptErrors.push_back(e);
  return true;
}

bool RecordingEvents::Has(const std::string& line) const {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool RecordingEvents::HasPrefix(const std::string& prefix) const {
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
}

std::vector<std::string> RecordingEvents::Shape(const std::vector<std::string>& kinds) const {
  std::vector<std::string> out;
  for (const std::string& l : lines) {
    std::string kind = l.substr(0, l.find(' '));
    if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end()) continue;
    std::string shaped = l;
    if (kind == "ProgressChange") shaped = l.rfind("ProgressChange -1", 0) == 0 ? "Idle" : "Progress";
    if (out.empty() || out.back() != shaped) out.push_back(shaped);
  }
  return out;
}

}  // namespace kestrel::test
