// Site groups: the files, the names, the Organizer and the commands over a
// frame of scripted sites.
#include <gtest/gtest.h>

#include <deque>

#include "address/resolver.h"
#include "collections/group_commands.h"
#include "common/deferred_tasks.h"
#include "common/textfile.h"
#include "support/fakes.h"
#include "support/site_world.h"
#include "support/temp_dir.h"

namespace kestrel::test {
namespace {

using Strings = std::vector<std::string>;

TEST(SiteGroups, FilesNamesAndWhatASaveKeeps) {
  TempDir dir;
  const std::string folder = dir.path() + "/groups/";
  EXPECT_TRUE(ListGroups(folder).empty());  // no folder yet
  ASSERT_TRUE(MakeDirectories(folder + "sub.sgp"));  // a folder is no group
  dir.write("groups/news.sgp", "  http://a.test/ \r\n\r\nhttp://b.test/\n" + std::string(600, 'x') + "\n");
  for (const char* other : {"groups/Mail.SGP", "groups/notes.txt"}) dir.write(other, "x");
  dir.write("groups/bin.sgp", std::string("\x01\x00\xff\r", 4));
  EXPECT_EQ(ListGroups(folder), (Strings{"bin", "Mail", "news"}));
  EXPECT_EQ(GroupPath(folder, "Mail"), folder + "Mail.SGP");

  auto open = ReadGroupFile(GroupPath(folder, "news"), kGroupOpenLineMax);
  ASSERT_TRUE(open && open->size() == 4u);
  EXPECT_EQ((*open)[0] + "|" + (*open)[1], "http://a.test/|");
  EXPECT_EQ((*open)[3].size(), kGroupOpenLineMax);
  EXPECT_EQ(ReadGroupFile(GroupPath(folder, "news"), kGroupEditLineMax)->at(3).size(), 600u);
  EXPECT_FALSE(ReadGroupFile(folder + "missing.sgp", kGroupOpenLineMax));
  for (const auto& [name, ok] : {std::pair<std::string, bool>{"", false}, {".", false}, {"..", false}, {"a/b", false},
                                 {"../x", false}, {std::string("a\0b", 3), false}, {"...", true}, {"a\\b", true}})
    EXPECT_EQ(GroupNameProblem(name).empty(), ok) << name;
  EXPECT_EQ(LocationsForGroup({"", "about:blank", "about:home", "About:x", "http://a/", "ABOUT:"}),
            (Strings{"About:x", "http://a/", "ABOUT:"}));
  // Written as given, CR LF (where no save can happen: hostile_inputs_test).
  ASSERT_TRUE(WriteGroupFile(folder + "news.sgp", {"c", "a"}));
  EXPECT_EQ(dir.read("groups/news.sgp"), "c\r\na\r\n");
}

// Groups installed for every user: the user's changes go to their own copy; an installed group cannot be renamed or
// deleted away from under others.
TEST(GroupOrganizer, InstalledGroupsAreChangedAsTheUsersCopy) {
  TempDir installed, mine;
  MakeDirectories(installed.file("groups/"));
  installed.write("groups/shipped.sgp", "b\r\n");
  MessageRecorder said;
  CGroupOrganizer o(ProgramFolder(mine.file("groups/"), installed.file("groups/")));
  o.Open("a");
  EXPECT_EQ(o.groups(), (Strings{"shipped"}));
  EXPECT_TRUE(o.AddSite());
  o.groupName = "other";
  EXPECT_FALSE(o.RenameGroup());
  EXPECT_FALSE(o.RemoveGroup());
  EXPECT_EQ(said.messages, Strings(2, InstalledGroupMessage("shipped")));
  o.Close();
  EXPECT_EQ(mine.read("groups/shipped.sgp") + "|" + installed.read("groups/shipped.sgp"), "a\r\nb\r\n|b\r\n");
}

TEST(GroupOrganizer, ButtonsKeepTheFilesInStepWithTheLists) {
  TempDir dir;
  const std::string folder = dir.path() + "/groups/";
  MakeDirectories(folder);
  dir.write("groups/b.sgp", "c\r\na\r\nb\r\n");
  dir.write("groups/a.sgp", "x\r\n");
  MessageRecorder said;
  CGroupOrganizer o(folder);
  o.Open("http://current.test/");
  EXPECT_EQ(o.groups(), (Strings{"a", "b"}));
  EXPECT_EQ(o.loaded() + " " + o.siteText, "a http://current.test/");
  EXPECT_TRUE(o.AddSite());
  EXPECT_EQ(o.sites(), (Strings{"http://current.test/", "x"}));

  o.SelectGroup(1);  // a is saved (read back below), b loads sorted
  EXPECT_EQ(o.sites(), (Strings{"a", "b", "c"}));
  o.SelectSite(2);
  EXPECT_EQ(o.siteText, "c");
  o.siteText = "0";
  EXPECT_TRUE(o.ChangeSite() && o.siteSelection() == 0);
  o.SelectSite(2);
  EXPECT_TRUE(o.DeleteSite() && o.siteText == "a");  // the last one: the one before it is chosen
  EXPECT_EQ(o.sites(), (Strings{"0", "a"}));

  // Refusals, each with its message, changing nothing.
  o.siteText.clear();
  EXPECT_FALSE(o.AddSite());
  o.groupName = "../escape";
  EXPECT_FALSE(o.AddGroup());
  o.groupName = "a";
  EXPECT_FALSE(o.RenameGroup());  // onto another group
  EXPECT_EQ(said.messages, (Strings{"Invalid site!",
                                                     "A group name cannot contain \"/\" or be \".\" or \"..\".",
                                                     "A group of that name exists already."}));
  EXPECT_EQ(dir.read("groups/b.sgp"), "0\r\na\r\n");  // AddGroup saved the loaded group first
  EXPECT_EQ(dir.read("groups/a.sgp"), "http://current.test/\r\nx\r\n");

  o.groupName = "renamed";
  EXPECT_TRUE(o.RenameGroup());
  EXPECT_EQ(o.groups(), (Strings{"a", "renamed"}));
  EXPECT_FALSE(FileExists(folder + "b.sgp"));
  o.Close();
  EXPECT_EQ(dir.read("groups/renamed.sgp"), "0\r\na\r\n");

  // Remove asks; the group after it takes its place unsaved-over.
  o.SelectGroup(0);
  EXPECT_TRUE(o.RemoveGroup());
  EXPECT_EQ(said.messages.back(), "Are you sure to delete the group <a>?");
  EXPECT_FALSE(FileExists(folder + "a.sgp"));
  EXPECT_EQ(o.loaded(), "renamed");
  EXPECT_TRUE(o.RemoveGroup());
  EXPECT_TRUE(o.groupSelection() == -1 && !o.GroupToOpen());
  EXPECT_FALSE(o.RemoveGroup());
  EXPECT_EQ(said.messages.back(), "Please select an item!");
  o.groupName = "fresh";
  EXPECT_TRUE(o.AddGroup() && o.loaded() == "fresh" && o.sites().empty());
}

struct FakeGroupDialogs : GroupDialogs {
  std::optional<std::string> saveAs;
  std::function<void(CGroupOrganizer&, const std::function<void(const std::string&)>&)> use;
  bool Organizer(CGroupOrganizer& m, const std::function<void(const std::string&)>& open,
                 const std::function<std::string()>&) override {
    if (use) use(m, open);
    m.Close();
    return true;
  }
  std::optional<std::string> SaveGroupFile(const std::string&) override { return saveAs; }
};

struct GroupWorld : SiteWorld {
  TempDir dir;
  std::string folder = dir.path() + "/groups/";
  MessageRecorder said;
  AliasList aliases;
  CAddressResolver resolver{frame, aliases};
  FakeGroupDialogs dialogs;
  CGroupCommands groups{{frame, frame.menu(), dialogs, folder,
                         [this]() -> CKestrelView* {
                           CKestrelView* v = frame.CreateSite();
                           if (v) v->Navigate("about:blank");
                           return v;
                         },
                         [this](CKestrelView* s, const std::string& line) { resolver.OpenTypedTextIn(s, line); },
                         [this](std::function<void()> task) {
                           if (later)
                             later->Push(std::move(task));
                           else
                             task();
                         }}};
  // With it, the lines after a group's first wait for turns of the event loop.
  std::unique_ptr<DeferredTasks> later;
  std::deque<std::function<void()>> turns;
  GroupWorld() { resolver.openGroup = [this](const std::string& n) { groups.OpenGroup(n); }; }
};

TEST(GroupCommands, OpenedOneLinePerTurnAGroupOpensAsAtOnce) {
  for (bool perTurn : {false, true}) {
    GroupWorld w;
    if (perTurn)
      w.later = std::make_unique<DeferredTasks>([&w](std::function<void()> t) { w.turns.push_back(std::move(t)); });
    w.settings.AutoNew = 0;
    CKestrelView* active = w.Site("http://start.test/", "Start");
    MakeDirectories(w.folder);
    w.dir.write("groups/trip.sgp", "http://one.test/\r\nopengroup inner\r\nopengroup trip\r\nhttp://two.test/\r\n");
    w.dir.write("groups/inner.sgp", "http://inner.test/\r\nhttp://inner2.test/\r\n");
    SiteWorld::Control(active).calls.clear();
    w.groups.OpenGroup("trip");
    if (perTurn) {
      // The first line's page is on its way before any other site is made.
      EXPECT_EQ(w.Calls(), (Strings{"Navigate2 http://one.test/"}));
      EXPECT_EQ(w.frame.sites().sites().size(), 1u);
      for (int turn = 0; !w.turns.empty(); ++turn) {
        ASSERT_LT(turn, 10);
        std::function<void()> task = std::move(w.turns.front());
        w.turns.pop_front();
        task();
      }
    }
    // The inner group opens whole in its place; the group naming itself, still opening, opens nothing more.
    EXPECT_EQ(w.Calls(),
              (Strings{"Navigate2 http://one.test/", "Navigate2 about:blank", "Navigate2 http://inner.test/",
                       "Navigate2 about:blank", "Navigate2 http://inner2.test/", "Navigate2 about:blank",
                       "Navigate2 about:blank", "Navigate2 http://two.test/"}))
        << perTurn;
    // Opened, it opens again.
    const std::size_t sites = w.frame.sites().sites().size();
    EXPECT_EQ(sites, 5u);
    w.groups.OpenGroup("inner");
    while (!w.turns.empty()) {
      std::function<void()> task = std::move(w.turns.front());
      w.turns.pop_front();
      task();
    }
    EXPECT_EQ(w.frame.sites().sites().size(), sites + 1) << perTurn;
  }
}

TEST(GroupCommands, OpeningSavingAndTheMenu) {
  GroupWorld w;
  w.settings.AutoNew = 0;  // a typed address replaces the active page
  CKestrelView* active = w.Site("http://start.test/", "Start");
  MakeDirectories(w.folder);
  w.dir.write("groups/trip.sgp", "http://one.test/\r\n\r\nopengroup trip\r\nopengroup inner\r\n");
  w.dir.write("groups/inner.sgp", "http://inner.test/\r\n");
  w.groups.RebuildGroupsMenu();
  const MenuItem* menu = w.frame.menu().FindPopup({"Groups"});
  ASSERT_TRUE(menu);
  EXPECT_EQ(w.frame.menu().DynamicText(*menu, kGroupCommands.first + 1), "trip");

  SiteWorld::Control(active).calls.clear();
  EXPECT_TRUE(w.frame.OnCommand(kGroupCommands.first + 1));
  // The first line replaces the active page; the empty one leaves a blank site; naming itself opens nothing more;
  // another group's line opens it.
  EXPECT_EQ(w.Calls(), (Strings{"Navigate2 http://one.test/", "Navigate2 about:blank", "Navigate2 about:blank",
                                "Navigate2 about:blank", "Navigate2 http://inner.test/"}));
  EXPECT_EQ(w.frame.sites().sites().size(), 4u);

  w.resolver.OpenTypedText("opengroup ../../etc/passwd");
  w.resolver.OpenTypedText("opengroup gone");
  EXPECT_EQ(w.said.messages, (Strings{
                                 "A group name cannot contain \"/\" or be \".\" or \"..\".",
                                 "Can't open " + w.folder + "gone.sgp!"}));

  // Saving keeps what the user has open, in order, and nothing blank.
  for (CKestrelView* v : w.frame.sites().sites()) SiteWorld::Control(v).CompleteNavigation("t");
  w.dialogs.saveAs = w.folder + "saved.sgp";
  EXPECT_TRUE(w.frame.OnCommand(ID_SAVE_ALL_AS_GROUP));
  EXPECT_EQ(w.dir.read("groups/saved.sgp"), "http://one.test/\r\nhttp://inner.test/\r\n");
  w.dialogs.saveAs = w.folder + "nowhere/x.sgp";
  EXPECT_TRUE(w.frame.OnCommand(ID_SAVE_ALL_AS_GROUP));
  EXPECT_EQ(w.said.messages.back(), "Can't open " + w.folder + "nowhere/x.sgp!");

  // Organize Group... rebuilds the menu on Close; 300 groups stop at 255 and say so.
  for (int i = 0; i < 300; ++i) w.dir.write("groups/g" + std::to_string(1000 + i) + ".sgp", "");
  EXPECT_TRUE(w.frame.OnCommand(ID_ORGANIZE_GROUPS));
  for (const auto& [at, text] : {std::pair{0u, "g1000"}, {254u, "g1254"}, {255u, ""}})
    EXPECT_EQ(w.frame.menu().DynamicText(*menu, kGroupCommands.first + at), text) << at;
  EXPECT_EQ(menu->dynamic.back().text, "More groups are in the Group Organizer.");

  // Add To Group... fills in the active site's address.
  std::string seen;
  w.dialogs.use = [&](CGroupOrganizer& m, const auto&) { seen = m.siteText; };
  EXPECT_TRUE(w.frame.OnCommand(ID_ADD_TO_GROUP));
  EXPECT_EQ(seen, w.frame.ActiveView()->GetLocationURL());
}

}  // namespace
}  // namespace kestrel::test
