#include "support/fake_site.h"

namespace kestrel::test {

void ScriptedControl::Navigate2(const NavigateRequest& r) {
  calls.push_back("Navigate2 " + r.url);
  pending_ = r.url;
}

void ScriptedControl::CompleteNavigation(const std::string& pageTitle) { LoadPage(pending_, pageTitle); }

void ScriptedControl::LoadPage(const std::string& url, const std::string& pageTitle) {
  if (!events) return;
  NavigateRequest r;
  r.url = url;
  bool cancel = false;
  events->OnBeforeNavigate2(r, cancel);
  if (cancel) return;
  busy = true;
  events->OnDownloadBegin();
  events->OnProgressChange(0, 100);
  // A new page cuts the forward part of the travel log.
  travel.resize(static_cast<std::size_t>(travelPos + 1));
  travel.push_back(url);
  travelPos = static_cast<int>(travel.size()) - 1;
  historyLength = static_cast<int>(travel.size());
  location = url;
  events->OnNavigateComplete2(url, true);
  events->OnCommandStateChange(CSC_NAVIGATEBACK, travelPos > 0);
  events->OnCommandStateChange(CSC_NAVIGATEFORWARD, false);
  title = pageTitle;
  events->OnTitleChange(pageTitle);
  events->OnProgressChange(100, 100);
  busy = false;
  events->OnDownloadComplete();
  events->OnDocumentComplete(url, true);
  events->OnProgressChange(-1, 100);
}

std::pair<ChildWindow*, BrowserControl*> SiteParts::Make() {
  windows.push_back(std::make_unique<FakeChild>());
  controls.push_back(std::make_unique<ScriptedControl>());
  return {windows.back().get(), controls.back().get()};
}

}  // namespace kestrel::test
