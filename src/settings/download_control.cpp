#include "settings/download_control.h"

namespace kestrel {

namespace {

bool ReadsYes(Profile& profile, const char* name) {
  const std::optional<std::string> v = profile.GetString(kBrowserMainKey, name);
  return v && *v == "yes";  // exactly: "Yes" is not
}

}  // namespace

std::uint32_t InitialDownloadControl(Profile& profile, const Settings& settings) {
  std::uint32_t flags = 0;
  if (profile.OpenKey(kBrowserMainKey, false)) {
    if (ReadsYes(profile, kShowPicturesValue)) flags |= DLCTL_DLIMAGES;
    if (ReadsYes(profile, kPlayVideosValue)) flags |= DLCTL_VIDEOS;
    if (ReadsYes(profile, kPlaySoundsValue)) flags |= DLCTL_BGSOUNDS;
  }
  // The user's own choices hold even without the browser key.
  if (settings.DCNoJava) flags |= DLCTL_NO_JAVA;
  if (settings.DCNoActiveX) flags |= DLCTL_NO_RUNACTIVEXCTLS;
  if (settings.DCNoScript) flags |= DLCTL_NO_SCRIPTS;
  return flags;
}

void SeedBrowserDefaults(Profile& profile) {
  if (profile.OpenKey(kBrowserMainKey, false) || !profile.OpenKey(kBrowserMainKey, true)) return;
  for (const char* name : {kShowPicturesValue, kPlayVideosValue, kPlaySoundsValue})
    profile.SetString(kBrowserMainKey, name, "yes");
}

MiscOptions ReadMiscOptions(Profile& profile, const Settings& settings) {
  MiscOptions m;
  const bool key = profile.OpenKey(kBrowserMainKey, false);
  m.showPictures = key && ReadsYes(profile, kShowPicturesValue);
  m.playVideos = key && ReadsYes(profile, kPlayVideosValue);
  m.playSounds = key && ReadsYes(profile, kPlaySoundsValue);
  m.executeScripts = !settings.DCNoScript;
  m.executeJava = !settings.DCNoJava;
  m.enableActiveX = !settings.DCNoActiveX;
  m.breakFavorites = settings.BreakFavorites;
  m.favoritesBreakNum = settings.FavoritesBreakNum;
  m.sideButtons = settings.SideBtnSupport;
  return m;
}

void StoreMiscOptions(const MiscOptions& m, Profile& profile, Settings& settings) {
  if (profile.OpenKey(kBrowserMainKey, true)) {
    profile.SetString(kBrowserMainKey, kShowPicturesValue, m.showPictures ? "yes" : "no");
    profile.SetString(kBrowserMainKey, kPlayVideosValue, m.playVideos ? "yes" : "no");
    profile.SetString(kBrowserMainKey, kPlaySoundsValue, m.playSounds ? "yes" : "no");
  }
  settings.DCNoScript = !m.executeScripts;
  settings.DCNoJava = !m.executeJava;
  settings.DCNoActiveX = !m.enableActiveX;
  settings.BreakFavorites = m.breakFavorites;
  // A column needs at least one item; the page's field allows 1 to 1000.
  settings.FavoritesBreakNum = m.favoritesBreakNum < 1 ? 1 : m.favoritesBreakNum > 1000 ? 1000 : m.favoritesBreakNum;
  settings.SideBtnSupport = m.sideButtons;
}

int FavoritesBreakCount(const Settings& settings) {
  return settings.BreakFavorites ? settings.FavoritesBreakNum : 1000;
}

}  // namespace kestrel
