#pragma once
// A real main frame over a fake window, scripted controls, a profile in
// memory and a clock and keys the test moves.
#include "frame/main_frame.h"
#include "support/fake_frame_window.h"
#include "support/fake_site.h"

namespace kestrel::test {

struct SiteWorld {
  FakeFrameWindow window;
  SiteParts parts;
  RegistryProfile profile;
  Settings settings;
  FakeClock clock;
  FakeKeys keys;
  CMainFrame frame{window, profile, settings, clock, keys};
  SiteWorld() { window.makeSite = [this] { return parts.Make(); }; }
  // A new site that has loaded `url`.
  CKestrelView* Site(const std::string& url, const std::string& title) {
    CKestrelView* v = frame.CreateSite();
    v->Navigate(url);
    Control(v).CompleteNavigation(title);
    return v;
  }
  static ScriptedControl& Control(CKestrelView* v) { return static_cast<ScriptedControl&>(v->control()); }
  static FakeChild& Child(CKestrelView* v) { return static_cast<FakeChild&>(v->frame().window()); }
};

}  // namespace kestrel::test
