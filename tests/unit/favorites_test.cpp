// The Favorites folder: shortcut files, listing and the menu's popups with
// their column breaks, and the bookmark HTML file in and out.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "address/resolver.h"
#include "collections/favorites.h"
#include "collections/favorites_commands.h"
#include "support/fakes.h"
#include "support/site_world.h"
#include "support/hostile_inputs.h"
#include "support/temp_dir.h"

namespace kestrel::test {
namespace {

namespace fs = std::filesystem;

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// A tree in one line: a folder's title and its children in brackets, a link as title=address.
std::string Flat(const Bookmark& b) {
  std::string out = b.folder ? b.title + "[" : b.title + "=" + b.url;
  for (const Bookmark& c : b.children) out += (&c == &b.children.front() ? "" : ", ") + Flat(c);
  return b.folder ? out + "]" : out;
}

std::vector<std::string> Names(const std::vector<FavoriteEntry>& entries) {
  std::vector<std::string> names;
  for (const FavoriteEntry& e : entries) names.push_back(e.name);
  return names;
}

std::size_t Links(const Bookmark& b) {
  std::size_t n = 0;
  for (const Bookmark& c : b.children) n += c.folder ? Links(c) : 1;
  return n;
}

TEST(Favorites, ShortcutFilesAreReadAsTheFormatSaysAndWrittenWhole) {
  const std::pair<std::string, std::string> cases[] = {
      {"[InternetShortcut]\r\nURL=http://a.test/\r\n", "http://a.test/"},
      {"[internetshortcut]\nurl = http://b.test/x?y=1 \n", "http://b.test/x?y=1"},
      {"[Other]\nURL=http://no.test/\n[InternetShortcut]\nIconIndex=0\nURL=http://c.test/\nURL=http://second.test/\n",
       "http://c.test/"},
      {"[Other]\nURL=http://no.test/\n", ""},
      {"URL=http://no-section.test/\n", ""},
      {"[InternetShortcut]\n", ""},
      {"", ""},
      {"[InternetShortcut]\nURL=" + std::string(5000, 'x') + "\n", std::string(kShortcutUrlMax, 'x')},
      // A NUL ends the address: the writer would drop it and join the rest on.
      {std::string("[InternetShortcut]\nURL=http://d.test/ \0http://evil.test/\n", 57), "http://d.test/"},
  };
  for (const auto& [text, url] : cases) EXPECT_EQ(ShortcutUrl(text), url) << text.substr(0, 60);
  EXPECT_NO_FATAL_FAILURE(ShortcutUrl(Garbage(1 << 16)));

  TempDir dir;
  ASSERT_TRUE(WriteShortcut(dir.file("a.url"), "http://x.test/\r\nURL=http://evil.test/"));
  EXPECT_EQ(dir.read("a.url"), "[InternetShortcut]\r\nURL=http://x.test/URL=http://evil.test/\r\n");
  EXPECT_EQ(ReadShortcutUrl(dir.file("a.url")), "http://x.test/URL=http://evil.test/");
  fs::create_directory(dir.file("folder.url"));
  dir.write("huge.url", "[InternetShortcut]\nURL=http://h.test/\n" + std::string(2 << 20, ' '));
  for (const char* none : {"folder.url", "huge.url", "missing.url"}) EXPECT_FALSE(ReadShortcutUrl(dir.file(none))) << none;
  for (const BadPlace& bad : BadPlaces()) {
    TempDir place;
    EXPECT_FALSE(WriteShortcut(bad.prepare(place.path()), "http://x.test/")) << bad.name;
  }

  const std::pair<const char*, const char*> names[] = {{"Rust / Book", "Rust Book"}, {"../../etc/passwd", "etc passwd"}, {"..", "Untitled"},
               {"", "Untitled"},             {". . .hidden", "hidden"},          {"a\tb\nc\\d", "a b c d"}};
  for (const auto& [given, file] : names) EXPECT_EQ(FavoriteFileName(given), file) << given;
  EXPECT_EQ(FavoriteFileName(std::string(200, 'x')).size(), 120u);
  EXPECT_EQ(FavoriteFileName(std::string(119, 'x') + "\xC3\xA9"), std::string(119, 'x'));  // never half a character
}

TEST(Favorites, ListingOpenAllAndTheExportTree) {
  TempDir dir;
  for (const char* folder : {"Work/Deep", "apps", ".hidden"}) fs::create_directories(dir.file(folder));
  dir.write("b.url", "[InternetShortcut]\nURL=http://b.test/\n");
  dir.write("A.URL", "[InternetShortcut]\nURL=http://a.test/\n");
  dir.write("notes.txt", "text");
  dir.write(".secret.url", "[InternetShortcut]\nURL=http://s.test/\n");
  fs::create_directory_symlink(dir.path(), dir.file("Work/loop"));

  EXPECT_EQ(Names(ListFavorites(dir.path())), (std::vector<std::string>{"apps", "Work", "A", "b", "notes.txt"}));
  EXPECT_TRUE(ListFavorites(dir.file("missing")).empty() && ListFavorites(dir.file("b.url")).empty());

  // The popups' items and their column breaks are checked on the real menu in the GUI tests.
  const std::vector<FavoriteEntry> root = ListFavorites(dir.path());
  // Open All takes the shortcuts and other files of this popup, not its folders.
  EXPECT_EQ(Names(OpenAllTargets(root)), (std::vector<std::string>{"A", "b", "notes.txt"}));

  // The tree for export follows the folders once, a link back up the tree ("loop") not at all; the text file is no bookmark.
  EXPECT_EQ(Flat(ReadFavoritesTree(dir.path())), "[apps[], Work[Deep[]], A=http://a.test/, b=http://b.test/]");
}

const char kPeerExport[] = R"(<!DOCTYPE NETSCAPE-Bookmark-file-1>
<!-- This is an automatically generated file. -->
<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">
<TITLE>Bookmarks</TITLE>
<H1>Bookmarks Menu</H1>
<DL><p>
    <DT><H3 ADD_DATE="1600000000" LAST_MODIFIED="1600000001" PERSONAL_TOOLBAR_FOLDER="true">Bookmarks Toolbar</H3>
    <DL><p>
        <DT><A HREF="https://www.rust-lang.org/" ADD_DATE="1600000002" ICON="data:image/png;base64,AAA=">Rust &amp; Cargo</A>
        <dt><a href='http://q.test/?a=1&amp;b=2'>Query &lt;one&gt; &#233;t&#xE9;</a>
        <DT><H3>Empty</H3>
        <DL><p>
        </DL><p>
    </DL><p>
    <DT><A HREF="http://top.test/">
        Top   level </A>
    <DD>A description that is no bookmark
    <DT><A>No address</A>
    <HR>
</DL>
)";

TEST(Favorites, OrganizeRenamesMovesAndDeletesOnlyWhatItShould) {
  TempDir dir;
  const std::string root = dir.path() + "/Favorites";
  fs::create_directories(root + "/Work/Deep");
  fs::create_directories(root + "/Other");
  WriteShortcut(root + "/Book.URL", "http://book.test/");
  WriteShortcut(root + "/Taken.url", "http://taken.test/");
  WriteShortcut(root + "/Other/Book.URL", "http://other.test/");
  fs::create_directory_symlink(root + "/Work", root + "/Link");
  auto exists = [&](const std::string& rel) { return fs::exists(fs::symlink_status(root + "/" + rel)); };

  const struct { std::string from, name, to; } renames[] = {  // to "" = refused, nothing changed
      {"Book.URL", "Novel", "Novel.URL"},         // the extension as it was written
      {"Novel.URL", "Story.url", "Story.URL"},    // a typed ".url" is not doubled
      {"Story.URL", "story", "story.URL"},        // a change of case alone
      {"story.URL", "Taken", ""},                 // another entry's name
      {"story.URL", "TAKEN.url", ""},             // case aside, as the menu shows them
      {"story.URL", "../../escape", "escape.URL"},  // no way out of the folder
      {"Work", "Jobs", "Jobs"},
      {"missing.url", "x", ""},
  };
  for (const auto& r : renames) {
    std::string done;
    const std::string message = RenameFavorite(root + "/" + r.from, r.name, &done);
    EXPECT_EQ(message.empty(), !r.to.empty()) << r.from << " -> " << r.name << ": " << message;
    if (!r.to.empty()) {
      EXPECT_EQ(done, root + "/" + r.to);
      EXPECT_TRUE(exists(r.to)) << r.to;
    }
  }
  EXPECT_EQ(ReadShortcutUrl(root + "/escape.URL"), "http://book.test/");
  EXPECT_FALSE(fs::exists(dir.path() + "/escape.URL"));
  EXPECT_EQ(ReadShortcutUrl(root + "/Taken.url"), "http://taken.test/");

  const struct { std::string from, into; bool done; } moves[] = {
      {"escape.URL", "Jobs/Deep", true},
      {"Jobs", "Jobs/Deep", false},  // into itself
      {"Jobs", "Jobs", false},
      {"Jobs", "Link", false},       // through a link that leads into it
      {"Other/Book.URL", "Jobs/Deep", false},  // a favorite of that name is there
      {"Taken.url", "Nowhere", false},
      {"Taken.url", ".", true},      // where it is already: nothing to do
  };
  fs::remove(root + "/Link");
  fs::create_directory_symlink(root + "/Jobs", root + "/Link");
  WriteShortcut(root + "/Jobs/Deep/Book.URL", "http://deep.test/");
  for (const auto& m : moves) {
    const std::string message = MoveFavorite(root + "/" + m.from, root + "/" + m.into);
    EXPECT_EQ(message.empty(), m.done) << m.from << " -> " << m.into << ": " << message;
  }
  EXPECT_EQ(ReadShortcutUrl(root + "/Jobs/Deep/escape.URL"), "http://book.test/");
  EXPECT_EQ(ReadShortcutUrl(root + "/Jobs/Deep/Book.URL"), "http://deep.test/");  // not overwritten
  EXPECT_TRUE(exists("Jobs/Deep"));

  std::string made;
  EXPECT_EQ(NewFavoriteFolder(root + "/Other", "Reading / List", &made), "");
  EXPECT_EQ(made, root + "/Other/Reading List");
  EXPECT_NE(NewFavoriteFolder(root + "/Other", "Reading List"), "");  // there already
  EXPECT_NE(NewFavoriteFolder(root + "/Missing", "x"), "");

  // A link goes, what it leads to stays; a folder goes with all it holds.
  EXPECT_EQ(DeleteFavorite(root + "/Link"), "");
  EXPECT_TRUE(exists("Jobs/Deep/escape.URL"));
  EXPECT_EQ(DeleteFavorite(root + "/Jobs"), "");
  EXPECT_FALSE(exists("Jobs"));
  EXPECT_EQ(DeleteFavorite(root + "/Jobs"), "");  // gone already
  EXPECT_TRUE(exists("Taken.url"));
}

TEST(Favorites, BookmarkFilesFromPeersRoundTripAndHostileOnesAreSurvived) {
  const BookmarkImport in = ParseBookmarkHtml(kPeerExport);
  EXPECT_EQ(std::make_tuple(in.links, in.folders, in.depthCapped), std::make_tuple(size_t{3}, size_t{2}, false));
  EXPECT_EQ(Flat(in.root), "[Bookmarks Toolbar[Rust & Cargo=https://www.rust-lang.org/, "
                           "Query <one> \xC3\xA9t\xC3\xA9=http://q.test/?a=1&b=2, Empty[]], Top level=http://top.test/]");

  // What Kestrel writes reads back the same.
  const std::string html = BookmarkHtml(in.root);
  EXPECT_NE(html.find("<!DOCTYPE NETSCAPE-Bookmark-file-1>"), std::string::npos);
  const BookmarkImport back = ParseBookmarkHtml(html);
  EXPECT_EQ(Flat(back.root), Flat(in.root));
  EXPECT_EQ(BookmarkHtml(back.root), html);
  // A title past its limit is cut before the character that would pass it, so the export reads back the same.
  const BookmarkImport cut = ParseBookmarkHtml("<DL><DT><A HREF=\"u\">" + std::string(1022, 'x') + "&#0;</A></DL>");
  ASSERT_EQ(cut.root.children.size(), 1u);
  EXPECT_EQ(cut.root.children[0].title, std::string(1022, 'x'));
  EXPECT_EQ(Flat(ParseBookmarkHtml(BookmarkHtml(cut.root)).root), Flat(cut.root));
  // Blanks written as entities are blanks like the others: the export writes them as they are.
  const BookmarkImport spaced = ParseBookmarkHtml("<DL><DT><A HREF=\"u&nbsp;\">&#32;a&nbsp;&#10; b&#9;</A></DL>");
  ASSERT_EQ(spaced.root.children.size(), 1u);
  EXPECT_EQ(spaced.root.children[0].title, "a b");
  EXPECT_EQ(spaced.root.children[0].url, "u");

  // Into the folder and out again; hostile titles stay inside it.
  TempDir dir;
  Bookmark root = in.root;
  Bookmark evil;
  evil.title = "../../outside";
  evil.url = "http://evil.test/";
  root.children.push_back(evil);
  root.children.push_back(evil);  // the same name twice: both kept
  std::size_t written = 0;
  EXPECT_EQ(WriteFavoritesTree(root, dir.path() + "/Favorites", &written), 0u);
  EXPECT_EQ(written, 5u);
  EXPECT_FALSE(fs::exists(dir.file("outside.url")));
  EXPECT_TRUE(fs::exists(dir.file("Favorites/outside.url")) && fs::exists(dir.file("Favorites/outside (2).url")));
  EXPECT_EQ(Links(ReadFavoritesTree(dir.path() + "/Favorites")), 5u);
  // Importing again adds beside what is there and overwrites nothing.
  EXPECT_EQ(WriteFavoritesTree(root, dir.path() + "/Favorites", &written), 0u);
  EXPECT_EQ(Links(ReadFavoritesTree(dir.path() + "/Favorites")), 10u);

  // 10,000 folders deep: no stack is used up, the depth is capped, the links are kept.
  std::string deep;
  for (int i = 0; i < 10000; ++i) deep += "<DT><H3>f</H3><DL><p>";
  deep += "<DT><A HREF=\"http://deep.test/\">deep</A>";
  for (int i = 0; i < 10000; ++i) deep += "</DL><p>";
  deep += "<DT><A HREF=\"http://after.test/\">after</A>";
  const BookmarkImport d = ParseBookmarkHtml("<DL><p>" + deep + "</DL>");
  EXPECT_EQ(std::make_tuple(d.depthCapped, d.links, d.folders), std::make_tuple(true, size_t{2}, size_t(kImportDepthMax)));
  ASSERT_EQ(d.root.children.size(), 2u);
  EXPECT_EQ(d.root.children[1].url, "http://after.test/");
  EXPECT_NE(BookmarkHtml(d.root).find("deep.test"), std::string::npos);

  // Broken, binary and huge files give what they hold and nothing more, in one pass.
  const struct { std::string html; std::size_t links, folders; } bad[] = {
      {"<DL><DT><A HREF=\"http://x.test/", 0, 0},  // the tag never closes
      {"<DL><DT><A HREF=\"http://x.test/\">x", 1, 0},
      {"<", 0, 0},
      {"</DL></DL></DL><A HREF=x>y", 1, 0},
      {"<DT><H3>never closed<DL><DT><A HREF=u>in</A></DL>", 1, 1},
      {Garbage(1 << 20), 0, 0},
      {std::string(50 << 20, '<'), 0, 0},
      {Repeat("<a href=x>", 1000000), 1000000, 0},
      {Repeat("<DT><H3>", 500000), 0, 500000},
  };
  for (const auto& b : bad) {
    const BookmarkImport r = ParseBookmarkHtml(b.html);
    EXPECT_EQ(std::make_pair(r.links, r.folders), std::make_pair(b.links, b.folders)) << b.html.substr(0, 40);
  }
}

struct FakeFavoritesDialogs : FavoritesDialogs {
  std::vector<std::string> shown;
  std::optional<AddChoice> add;
  std::function<void()> whileOpen;  // what happens while the Add dialog is up
  std::optional<std::string> importFile, exportFile;
  std::optional<AddChoice> AddFavorite(const std::string& name, const std::string& url, const std::string&) override {
    shown.push_back("Add " + name + " " + url);
    if (whileOpen) whileOpen();
    return add;
  }
  void Organize(const std::string& root) override { shown.push_back("Organize " + root); }
  std::optional<std::string> ImportFile() override { return importFile; }
  std::optional<std::string> ExportFile() override { return exportFile; }
};

struct FavoritesWorld : SiteWorld {
  TempDir dir;
  MessageRecorder said;
  AliasList aliases;
  CAddressResolver resolver{frame, aliases};
  FakeFavoritesDialogs dialogs;
  RecordingShell shell;
  CFavoritesCommands favorites{{frame, dialogs, shell, dir.path() + "/Favorites", "file:///help/index.htm",
                                [this](const std::string& url) { resolver.OpenAddress(url); }}};
};

TEST(FavoritesCommands, AddOpenOpenAllImportAndExport) {
  FavoritesWorld w;
  const std::string root = w.dir.path() + "/Favorites";
  // Nothing to add without a site; the folder is made at first use, with Kestrel's entries.
  EXPECT_FALSE(w.frame.OnCommand(ID_ADD_FAVORITE));
  EXPECT_TRUE(w.frame.OnCommand(ID_ORGANIZE_FAVORITES));
  EXPECT_EQ(ReadShortcutUrl(root + "/Kestrel Help.url"), "file:///help/index.htm");
  w.Site("http://page.test/a", "A Page: one/two");
  w.dialogs.add = FavoritesDialogs::AddChoice{"A Page: one/two", root + "/Reading"};
  EXPECT_TRUE(w.frame.OnCommand(ID_ADD_FAVORITE) && w.frame.OnCommand(ID_ADD_FAVORITE));  // the same name again is kept beside it
  for (const char* name : {"/Reading/A Page: one two.url", "/Reading/A Page: one two (2).url"})
    EXPECT_EQ(ReadShortcutUrl(root + name), "http://page.test/a") << name;
  // A folder outside the Favorites is never written to.
  w.dialogs.add = FavoritesDialogs::AddChoice{"x", root + "/../outside"};
  EXPECT_TRUE(w.frame.OnCommand(ID_ADD_FAVORITE));
  w.dialogs.add = FavoritesDialogs::AddChoice{"x", w.dir.path()};
  w.favorites.AddFavorite("http://ext.test/", "");  // as window.external asks, without a title
  EXPECT_FALSE(fs::exists(w.dir.path() + "/outside") || fs::exists(w.dir.file("x.url")));
  EXPECT_EQ(w.dialogs.shown.back(), "Add http://ext.test/ http://ext.test/");
  // A page asking again while the dialog is open is not heard.
  const std::size_t asked = w.dialogs.shown.size();
  w.dialogs.whileOpen = [&] { w.favorites.AddFavorite("http://again.test/", "Again"); };
  w.favorites.AddFavorite("http://first.test/", "First");
  w.dialogs.whileOpen = nullptr;
  w.favorites.AddFavorite("http://later.test/", "Later");  // once it is closed, asked again
  EXPECT_EQ(std::vector<std::string>(w.dialogs.shown.begin() + asked, w.dialogs.shown.end()),
            (std::vector<std::string>{"Add First http://first.test/", "Add Later http://later.test/"}));

  // Open All: the shortcuts in menu order through the target-site rule, the
  // text file with the desktop, the subfolder and script addresses not at all.
  const std::string trip = root + "/Trip";
  std::filesystem::create_directories(trip + "/Inner");
  for (const auto& [name, url] : {std::pair{"b.url", "http://b.test/"}, {"A.URL", "http://a.test/"},
                                  {"c.url", "javascript:alert(1)"}, {"Inner/deep.url", "http://deep.test/"}})
    WriteShortcut(trip + "/" + name, url);
  w.dir.write("Favorites/Trip/notes.txt", "n");
  w.dir.write("Favorites/Trip/empty.url", "");
  for (CKestrelView* v : w.frame.sites().sites()) w.Control(v).calls.clear();
  w.settings.AutoNew = true;
  w.favorites.OpenAll(trip);
  EXPECT_EQ(w.Calls(), (std::vector<std::string>{"Navigate2 http://a.test/", "Navigate2 http://b.test/"}));
  EXPECT_EQ(w.shell.opened, (std::vector<std::string>{trip + "/notes.txt"}));

  // Export, then import into a fresh folder: the same favorites.
  w.dialogs.exportFile = w.dir.file("bookmarks.html");
  EXPECT_TRUE(w.frame.OnCommand(ID_EXPORT_FAVORITES));
  const std::string html = w.dir.read("bookmarks.html");
  EXPECT_NE(html.find("<DT><A HREF=\"http://deep.test/\">deep</A>"), std::string::npos);
  EXPECT_EQ(html.find("notes.txt"), std::string::npos);
  FavoritesWorld other;
  other.dialogs.importFile = w.dir.file("bookmarks.html");
  EXPECT_TRUE(other.frame.OnCommand(ID_IMPORT_FAVORITES));
  EXPECT_EQ(ReadShortcutUrl(other.dir.path() + "/Favorites/Trip/Inner/deep.url"), "http://deep.test/");
  other.dialogs.importFile = w.dir.file("missing.html");
  EXPECT_TRUE(other.frame.OnCommand(ID_IMPORT_FAVORITES));
  EXPECT_EQ(other.said.messages, (std::vector<std::string>{"8 favorites imported.", "Can't open " + w.dir.file("missing.html") + "!"}));

  // A Favorites folder that cannot be had is said so, once a command needs it.
  FavoritesWorld broken;
  broken.dir.write("Favorites", "a file where the folder should be");
  EXPECT_TRUE(broken.frame.OnCommand(ID_ORGANIZE_FAVORITES));
  EXPECT_EQ(broken.said.messages, (std::vector<std::string>{"Unable to get favorites directory!"}));
  EXPECT_TRUE(broken.dialogs.shown.empty());
}

}  // namespace
}  // namespace kestrel::test
