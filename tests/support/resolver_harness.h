#pragma once
#include <string>
#include <vector>

#include "address/resolver.h"
#include "support/fakes.h"
#include "support/site_world.h"

namespace kestrel::test {

// A frame with fake sites; every navigation is listed as "site-index address".
struct ResolverHarness : SiteWorld {
  AliasList aliases;
  CAddressResolver resolver{frame, aliases};
  FakeDialogs dialogs;

  ResolverHarness() {
    resolver.folderAddress = [](int folder) { return folder == 4 ? "" : "file:///folders/" + std::to_string(folder); };
    SetMessagePresenter(&dialogs);
  }
  ~ResolverHarness() { SetMessagePresenter(nullptr); }

  // The first site, shown and active, holding `url` (or blank).
  CKestrelView* Start(const std::string& url = "") {
    CKestrelView* v = frame.CreateSite();
    if (!url.empty()) parts.controls.back()->LoadPage(url, "Page");
    frame.OnSiteActivated(&v->frame().window());
    return v;
  }
  std::vector<std::string> Navigations() const {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < parts.controls.size(); ++i)
      for (const std::string& c : parts.controls[i]->calls)
        if (c.rfind("Navigate2 ", 0) == 0) out.push_back(std::to_string(i) + " " + c.substr(10));
    return out;
  }
};

}  // namespace kestrel::test
