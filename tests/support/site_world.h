#pragma once
// A real main frame over a fake window, scripted controls, a profile in
// memory and a clock and keys the test moves.
#include "frame/main_frame.h"
#include "platform/sound.h"
#include "popups/popup_blocker.h"
#include "settings/download_control.h"
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
  SiteWorld() {
    SeedBrowserDefaults(profile);  // as reading the settings does at start
    window.makeSite = [this] { return parts.Make(); };
  }
  // A new site that has loaded `url`.
  CKestrelView* Site(const std::string& url, const std::string& title) {
    CKestrelView* v = frame.CreateSite();
    v->Navigate(url);
    Control(v).CompleteNavigation(title);
    return v;
  }
  static ScriptedControl& Control(CKestrelView* v) { return static_cast<ScriptedControl&>(v->control()); }
  // What the sites' controls were asked, site after site.
  std::vector<std::string> Calls() const {
    std::vector<std::string> all;
    for (CKestrelView* v : frame.sites().sites())
      for (const std::string& c : Control(v).calls) all.push_back(c);
    return all;
  }
  static FakeChild& Child(CKestrelView* v) { return static_cast<FakeChild&>(v->frame().window()); }
};

// The sound of popup blocking, remembering what it played, and its windows, saying OK to everything.
struct FakeSound : Sound {
  std::vector<std::string> played;
  void Play(const std::string& path) override { played.push_back(path); }
};

struct FakePopupUi : PopupUi {
  void HiddenSites(HiddenSitesActions) override {}
  bool AddToList(bool, const std::string&, bool&, bool&) override { return true; }
  bool EditList(bool, std::vector<std::string>&) override { return true; }
};

// A site world whose frame blocks popups with a site filter of its own.
struct PopupWorld : SiteWorld {
  CSiteFilter filter;
  FakeSound sound;
  FakePopupUi ui;
  CPopupBlocker popups{frame, filter, settings, sound, ui};
};

}  // namespace kestrel::test
