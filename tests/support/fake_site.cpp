#include "support/fake_site.h"

namespace kestrel::test {

void ScriptedControl::Navigate2(const NavigateRequest& r) {
  calls.push_back("Navigate2 " + r.url);
  pending_ = r.url;
}

void ScriptedControl::CompleteNavigation(const std::string& pageTitle) { LoadPage(pending_, pageTitle); }

void ScriptedControl::Commit(const std::string& url) {
  // A new page cuts the forward part of the travel log.
  travel.resize(static_cast<std::size_t>(travelPos + 1));
  travel.push_back(url);
  travelPos = static_cast<int>(travel.size()) - 1;
  location = url;
  events->OnNavigateComplete2(url, true);
  events->OnCommandStateChange(CSC_NAVIGATEBACK, travelPos > 0);
  events->OnCommandStateChange(CSC_NAVIGATEFORWARD, false);
}

void ScriptedControl::Finish(const std::string& url) {
  events->OnProgressChange(100, 100);
  busy = false;
  events->OnCommandStateChange(CSC_NAVIGATEBACK, travelPos > 0);
  events->OnCommandStateChange(CSC_NAVIGATEFORWARD, false);
  events->OnDownloadComplete();
  events->OnDocumentComplete(url, true);
  events->OnProgressChange(-1, 100);
}

void ScriptedControl::LoadPage(const std::string& url, const std::string& pageTitle) {
  Load(url, pageTitle, {}, false);
}

void ScriptedControl::LoadPageWithFrames(const std::string& url, const std::string& pageTitle,
                                         const std::vector<std::string>& frames) {
  Load(url, pageTitle, frames, false);
}

void ScriptedControl::Load(const std::string& url, const std::string& pageTitle,
                           const std::vector<std::string>& frames, bool commitFirst) {
  if (!events) return;
  NavigateRequest r;
  r.url = url;
  bool cancel = false;
  events->OnBeforeNavigate2(r, cancel);
  if (cancel) return;
  if (commitFirst) Commit(url);
  busy = true;
  events->OnDownloadBegin();
  events->OnProgressChange(0, 100);
  if (!commitFirst) Commit(url);
  title = pageTitle;
  events->OnTitleChange(pageTitle);
  for (const std::string& f : frames) {
    NavigateRequest fr;
    fr.url = f;
    fr.topLevel = false;
    events->OnBeforeNavigate2(fr, cancel);
  }
  Finish(url);
}

ScriptedControl* ScriptedControl::OpenWindow(const NewWindowRequest& request, const std::string& pageTitle) {
  if (!events) return nullptr;
  bool cancel = false;
  auto* child = dynamic_cast<ScriptedControl*>(events->OnNewWindow2(request, cancel));
  if (cancel || !child || !child->events) return nullptr;
  child->features = request.features;
  if (request.features.width >= 0) child->events->OnWindowSetWidth(request.features.width);
  if (request.features.height >= 0) child->events->OnWindowSetHeight(request.features.height);
  child->Load(request.url, pageTitle, {}, true);
  return child;
}

std::pair<ChildWindow*, BrowserControl*> SiteParts::Make() {
  windows.push_back(std::make_unique<FakeChild>());
  controls.push_back(std::make_unique<ScriptedControl>());
  return {windows.back().get(), controls.back().get()};
}

}  // namespace kestrel::test
