// The commands that act on the active site's page: the parent-address rule,
// the encodings, the editor's document, the download-control defaults and
// the Misc page's values, and the page commands over scripted sites.
#include <gtest/gtest.h>


#include "frame/page_commands.h"
#include "settings/download_control.h"
#include "site/page_controls.h"
#include "support/fakes.h"
#include "support/site_world.h"

namespace kestrel::test {
namespace {

TEST(PageControls, ParentAddressesOfHostsPathsAndDrives) {
  // "-": none. A backslash anywhere makes it the separator, even past the host.
  const std::pair<const char*, const char*> cases[] = {
      {"http://host/a/b.html", "http://host/a"}, {"http://host/a/", "http://host"}, {"http://host/a", "http://host"},
      {"http://host/", "-"},  {"http://host", "-"},     {"file:///a/b.html", "file:///a"}, {"file:///a", "-"},
      {"C:\\dir\\file.txt", "C:\\dir"}, {"C:\\dir", "C:\\"}, {"C:\\dir\\", "C:\\"}, {"C:\\", "-"}, {"a/b", "a"},
      {"/a", "/"}, {"/", "-"}, {"//", "/"}, {"\\", "-"}, {"", "-"}, {"about:blank", "-"}, {"http://h/x\\y", "http://h/x"},
      {"http://host/a/b?q=1/2", "http://host/a/b?q=1"}};
  for (const auto& [address, parent] : cases) EXPECT_EQ(ParentAddress(address).value_or("-"), parent) << address;
}

TEST(PageControls, CharsetsOfTheEncodingMenuAndTheEditorsDocument) {
  for (const auto& [id, charset] : {std::pair{36001u, "gb2312"}, {36004u, "utf-8"}, {36018u, "big5"}, {35999u, ""},
                                    {36000u, ""}, {36019u, ""}, {36020u, ""}, {0u, ""}})
    EXPECT_EQ(EncodingCharset(id), charset) << id;
  // Never a NUL in a path; "file:" only as written.
  const std::pair<const char*, const char*> docs[] = {
      {"file:///home/me/a%20b.html", "/home/me/a b.html"}, {"file:///home/me/%C3%A9t%C3%A9.htm", "/home/me/\xC3\xA9t\xC3\xA9.htm"},
      {"file://localhost/srv/x.html", "/srv/x.html"},      {"file:///x.html?q=1#top", "/x.html"},
      {"file:///bad%zz%4", "/bad%zz%4"},                   {"file:///nul%00here", "/nul%00here"},
      {"FILE:///x.html", "FILE:///x.html"},                {"http://host/page.html", "http://host/page.html"}, {"", ""}};
  for (const auto& [url, document] : docs) EXPECT_EQ(EditPageDocument(url), document) << url;
  EXPECT_TRUE(TextSizeZoom(0) < TextSizeZoom(1) && TextSizeZoom(3) < TextSizeZoom(4));
  EXPECT_EQ(std::make_pair(TextSizeZoom(kTextSizeMedium), TextSizeZoom(9)), std::make_pair(1.0, 1.0));
}

TEST(PageControls, NewSiteDefaultsAndTheMiscPageValues) {
  Settings settings;
  RegistryProfile profile;
  // No browser key at all: nothing from it, the user's own choices still.
  settings.DCNoScript = true;
  EXPECT_EQ(InitialDownloadControl(profile, settings), DLCTL_NO_SCRIPTS);
  // A fresh profile gets everything on; a kept key is never overwritten.
  SeedBrowserDefaults(profile);
  settings.DCNoScript = false;
  EXPECT_EQ(InitialDownloadControl(profile, settings), DLCTL_DLIMAGES | DLCTL_VIDEOS | DLCTL_BGSOUNDS);
  profile.SetString(kBrowserMainKey, kShowPicturesValue, "Yes");  // exactly "yes" only
  profile.SetString(kBrowserMainKey, kPlaySoundsValue, "no");
  profile.DeleteValue(kBrowserMainKey, kPlayVideosValue);
  SeedBrowserDefaults(profile);
  settings.DCNoJava = settings.DCNoActiveX = true;
  EXPECT_EQ(InitialDownloadControl(profile, settings), DLCTL_NO_JAVA | DLCTL_NO_RUNACTIVEXCTLS);

  MiscOptions m = ReadMiscOptions(profile, settings);
  EXPECT_EQ((std::vector<bool>{m.showPictures, m.playVideos, m.playSounds, m.executeScripts, m.executeJava, m.enableActiveX}),
            (std::vector<bool>{false, false, false, true, false, false}));
  m.showPictures = true;
  m.executeScripts = false;
  m.breakFavorites = false;
  m.favoritesBreakNum = 0;  // below any column: held at one
  StoreMiscOptions(m, profile, settings);
  EXPECT_EQ(profile.GetString(kBrowserMainKey, kShowPicturesValue).value_or("") + profile.GetString(kBrowserMainKey, kPlayVideosValue).value_or(""), "yesno");
  EXPECT_TRUE(settings.DCNoScript);
  EXPECT_TRUE(ReadMiscOptions(profile, settings).showPictures);
  // Without breaks a column holds a thousand.
  EXPECT_EQ(std::make_pair(settings.FavoritesBreakNum, FavoritesBreakCount(settings)), std::make_pair(1, 1000));
  settings.BreakFavorites = true;
  EXPECT_EQ(FavoritesBreakCount(settings), 1);
  m.favoritesBreakNum = 5000;
  StoreMiscOptions(m, profile, settings);
  EXPECT_EQ(settings.FavoritesBreakNum, 1000);
}

// Saving, printing and properties are checked on the engine.
struct FakePageDialogs : PageDialogs {
  std::optional<std::string> SavePageFile(const std::string&, SavePageFormat) override { return std::nullopt; }
  void Print(CKestrelView&) override {}
  void PrintPreview(CKestrelView&) override {}
  void PageSetup() override {}
  void Properties(const PageProperties&) override {}
};

struct PageWorld : SiteWorld {
  FakePageDialogs dialogs;
  CPageCommands pages{frame, dialogs};
  MessageRecorder said;
  CommandState State(unsigned id) const { return frame.CommandStateOf(id); }
};

TEST(PageCommands, TextSizeEncodingZoomAndTheClipboardActOnTheActiveSiteOnly) {
  PageWorld w;
  // Without a site every page command is disabled.
  for (unsigned id : {unsigned(ID_EDIT_COPY), unsigned(ID_EDIT_FIND), unsigned(ID_TEXT_MEDIUM), 36004u,
                      unsigned(ID_ZOOM_IN), unsigned(ID_SHOW_PICTURES), unsigned(ID_GO_UP), unsigned(ID_PROPERTIES)})
    EXPECT_FALSE(w.State(id).enabled) << id;
  CKestrelView* other = w.Site("http://other.test/", "Other");
  CKestrelView* site = w.Site("http://h.test/a/b.html", "Page");
  ScriptedControl& c = w.Control(site);

  // A new site shows Medium checked; choosing another moves the mark.
  const auto marks = [&] { return std::make_pair(w.State(ID_TEXT_MEDIUM).checked, w.State(ID_TEXT_LARGEST).checked); };
  EXPECT_EQ(marks(), std::make_pair(true, false));
  EXPECT_TRUE(w.frame.OnCommand(ID_TEXT_LARGEST));
  EXPECT_EQ(marks(), std::make_pair(false, true));
  EXPECT_DOUBLE_EQ(c.zoom, TextSizeZoom(4));
  EXPECT_TRUE(w.frame.OnCommand(ID_TEXT_SMALLEST));
  EXPECT_EQ(site->textSize(), 0);
  EXPECT_DOUBLE_EQ(w.Control(other).zoom, 1.0);

  // Encodings reach the page and are never checked; zoom runs the page's script.
  EXPECT_TRUE(w.frame.OnCommand(36011));
  EXPECT_EQ(c.encoding, "windows-1251");
  EXPECT_FALSE(w.State(36011).checked);
  EXPECT_TRUE(w.frame.OnCommand(36019));
  EXPECT_EQ(c.encoding, "");
  c.scripts.clear();
  for (unsigned id : {ID_ZOOM_IN, ID_ZOOM_OUT, ID_ZOOM_ACTUAL}) EXPECT_TRUE(w.frame.OnCommand(id));
  EXPECT_EQ(c.scripts, (std::vector<std::string>{ZoomScript(ZoomStep::In), ZoomScript(ZoomStep::Out),
                                                 ZoomScript(ZoomStep::Actual)}));

  // Cut, Copy and Paste follow the page; Select All and Find are there for a document.
  EXPECT_FALSE(w.State(ID_EDIT_CUT).enabled || w.State(ID_EDIT_COPY).enabled);
  EXPECT_FALSE(w.frame.OnCommand(ID_EDIT_COPY));
  c.editable = {EditCommand::Copy};
  EXPECT_FALSE(w.State(ID_EDIT_CUT).enabled);
  EXPECT_TRUE(w.frame.OnCommand(ID_EDIT_COPY));
  EXPECT_TRUE(w.frame.OnCommand(ID_EDIT_SELECT_ALL));
  EXPECT_TRUE(w.frame.OnCommand(ID_EDIT_FIND));
  EXPECT_EQ(c.pageCalls, (std::vector<std::string>{"Encoding windows-1251", "Encoding ", "Edit 1", "Edit 3", "Find"}));
  EXPECT_TRUE(w.Control(other).pageCalls.empty());
  site->Navigate("about:blank");
  c.CompleteNavigation("");
  EXPECT_FALSE(w.State(ID_EDIT_FIND).enabled || w.State(ID_FILE_SAVE_AS).enabled);
}

TEST(PageCommands, DownloadControlTogglesOneSiteAndNewSitesFollowTheDefaults) {
  PageWorld w;
  CKestrelView* a = w.Site("http://a.test/", "A");
  CKestrelView* b = w.Site("http://b.test/", "B");
  const std::uint32_t all = DLCTL_DLIMAGES | DLCTL_VIDEOS | DLCTL_BGSOUNDS;
  EXPECT_EQ(w.Control(b).downloadControl, all);
  for (unsigned id : {ID_SHOW_PICTURES, ID_PLAY_VIDEOS, ID_PLAY_SOUNDS, ID_EXECUTE_SCRIPTS, ID_EXECUTE_JAVA,
                      ID_ENABLE_ACTIVEX})
    EXPECT_TRUE(w.State(id).checked) << id;

  // Toggling one site only is checked on the engine.
  EXPECT_TRUE(w.frame.OnCommand(ID_PLAY_SOUNDS));
  // A blocked popup stays silent whatever its sound flag says.
  std::vector<bool> muted{w.Control(b).muted};
  for (bool blocked : {true, false}) a->SetBlocked(blocked), muted.push_back(w.Control(a).muted);
  EXPECT_EQ(muted, (std::vector<bool>{true, true, false}));

  // A site made afterwards follows the stored defaults, not the toggles.
  w.settings.DCNoScript = true;
  w.profile.SetString(kBrowserMainKey, kShowPicturesValue, "Yes");
  CKestrelView* c = w.Site("http://c.test/", "C");
  EXPECT_EQ(w.Control(c).downloadControl, DLCTL_VIDEOS | DLCTL_BGSOUNDS | DLCTL_NO_SCRIPTS);
  EXPECT_FALSE(w.State(ID_SHOW_PICTURES).checked);
}

}  // namespace
}  // namespace kestrel::test
