// Every text format Kestrel reads, over the one set of hostile inputs
// (support/hostile_inputs.h); and every saver, over the places it cannot
// write to and a disk that fills up.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <filesystem>
#include <future>
#include <thread>

#include "address/alias.h"
#include "address/search_engines.h"
#include "address/typed_urls.h"
#include "app/tips.h"
#include "collections/site_groups.h"
#include "downloads/download_names.h"
#include "forms/autologin.h"
#include "forms/form_data.h"
#include "language/language.h"
#include "platform/desktop_folders.h"
#include "platform/profile_file.h"
#include "popups/site_filter.h"
#include "support/fakes.h"
#include "support/hostile_inputs.h"
#include "support/temp_dir.h"

namespace kestrel::test {
namespace {

namespace fs = std::filesystem;

std::string Lines(const Texts& texts, const std::function<std::string(std::size_t, const std::string&)>& line,
                  const std::string& between = "\n") {
  std::string out;
  for (std::size_t i = 0; i < texts.size(); ++i) out += (i ? between : "") + line(i, texts[i]);
  return out + "\n";
}
// A file of `head` and one line per text, the text between `before` and `after`.
auto Entries(std::string head, std::string before, std::string after = "") {
  return [=](const Texts& t) { return head + Lines(t, [&](std::size_t, const std::string& s) { return before + s + after; }); };
}
// The texts of one field of a list's entries.
template <class Entry>
Texts Field(const std::vector<Entry>& entries, std::string Entry::*field) {
  Texts out;
  for (const Entry& e : entries) out.push_back(e.*field);
  return out;
}

const std::string kKey = "HKEY_CURRENT_USER\\Software\\Corvana\\Kestrel\\Hostile";
std::string ProfileText(const std::string& key, const std::string& prefix, const Texts& t) {
  return "REGEDIT4\n\n[" + key + "]\n" +
         Lines(t, [&](std::size_t i, const std::string& s) { return "\"" + prefix + std::to_string(i + 1) + "\"=\"" + s + "\""; });
}
RegistryProfile LoadProfile(const std::string& path) {
  RegistryProfile p;
  ProfileFile(path).Load(p);
  return p;
}

std::vector<TextFormat> Formats() {
  std::vector<TextFormat> f;
  f.push_back({"the site filter's black list", "filter.dat", Entries("[include]\n", ""),
               [](const std::string& p) { CSiteFilter filter; filter.LoadSiteFilter(p); return filter.Black(); },
               0, kFilterLineLimit, LongLine::Skipped});
  f.push_back({"aliases", "alias.txt", Entries("", "k "),
               [](const std::string& p) { AliasList l; l.LoadAliases(p); return Field(l.entries(), &AliasEntry::fullText); },
               2, kAliasLineLimit, LongLine::Pieces});
  f.push_back({"search engines", "englist.ini", Entries("name;address;method\n", "E;", ";get"),
               [](const std::string& p) { CSearchEngines e; e.LoadSearchEngines(p); return Field(e.engines(), &SearchEngine::address); },
               6, CSearchEngines::kMaxLine, LongLine::Skipped, NulByte::SkipsTheLine, true, false});
  f.push_back({"the query history", "searchhis.ini", Entries("", ""),
               [](const std::string& p) {
                 QueryHistory history;
                 history.LoadQueryHistory(p);
                 Texts out = history.items();
                 std::erase(out, "");  // blank lines are kept as empty items, in their place
                 return out;
               },
               0, QueryHistory::kMaxLine, LongLine::Cut});
  f.push_back({"a site group", "news.sgp", Entries("", ""),
               [](const std::string& p) {
                 Texts out = ReadGroupFile(p, kGroupOpenLineMax).value_or(Texts{});
                 std::erase(out, "");  // blank lines open blank sites, in their place
                 return out;
               },
               0, kGroupOpenLineMax, LongLine::Cut, NulByte::IsText});
  f.push_back({"a language table", "English.ini",
               [](const Texts& t) {
                 return Lines(t, [](std::size_t i, const std::string& s) { return std::to_string(i + 1) + "=" + s; });
               },
               [](const std::string& p) {
                 const auto lines = ReadLanguageLines(p);
                 return Field((lines ? LanguageTable::FromLines(*lines) : LanguageTable()).entries(), &LanguageEntry::text);
               },
               2, kMaxLanguageLine, LongLine::Skipped});
  f.push_back({"tips", "tips.txt", [](const Texts& t) { return Lines(t, [](std::size_t, const std::string& s) { return s; }, "\n<next tip>\n"); },
               [](const std::string& p) {
                 Texts out;
                 for (const std::string& tip : TipsModel::LoadTips(p))
                   for (std::size_t a = 0, b; a <= tip.size(); a = b + 1) {
                     b = std::min(tip.find('\n', a), tip.size());
                     out.push_back(tip.substr(a, b - a));
                   }
                 return out;
               },
               0, 256, LongLine::Pieces, NulByte::IsText});
  f.push_back({"the profile", "profile.reg", [](const Texts& t) { return ProfileText(kKey, "v", t); },
               [](const std::string& path) {
                 const RegistryProfile p = LoadProfile(path);
                 Texts out;
                 for (const std::string& name : p.ValueNames(kKey)) out.push_back(p.GetString(kKey, name).value_or("?"));
                 return out;
               },
               7, 0, LongLine::Skipped, NulByte::RefusesTheFile, true, true, 16u << 20, BigFile::RefusedWhole});
  // Read through the profile, whose size limit the entry above covers.
  f.push_back({"the typed addresses", "profile.reg", [](const Texts& t) { return ProfileText(kTypedUrlsKey, "url", t); },
               [](const std::string& p) { TypedUrlList list; list.Load(LoadProfile(p)); return list.items(); },
               9, 9 + TypedUrlList::kItemMax, LongLine::Cut, NulByte::RefusesTheFile});
  f.push_back({"the desktop's user-dirs", "user-dirs.dirs",
               [](const Texts& t) {
                 return Lines(t, [](std::size_t i, const std::string& s) {
                   const std::string name = {char('A' + i / 676 % 26), char('A' + i / 26 % 26), char('A' + i % 26)};
                   return "XDG_" + name + "_DIR=\"/" + s + "\"";
                 });
               },
               [](const std::string& p) {
                 const std::string dir = fs::path(p).parent_path();
                 ScopedEnv home("HOME", dir.c_str()), config("XDG_CONFIG_HOME", dir.c_str());
                 Texts out;
                 for (const auto& [name, path] : FolderEnvironment::FromProcess("/p").userDirs) out.push_back(path.substr(1));
                 return out;
               },
               15, 0, LongLine::Skipped, NulByte::SkipsTheLine, false, false, 64 * 1024, BigFile::HeadOnly});
  f.push_back({"autologin.ini", "autologin.ini", Entries(std::string(kAutoLoginHeader) + "\n", "C;u;f;"),
               [](const std::string& p) { CAutoLoginList l; l.Load(p); return Field(l.entries(), &AutoLoginEntry::loginData); },
               6, kAutoLoginMaxLine, LongLine::Cut, NulByte::IsText});
  f.push_back({"a form data file", "a.fmd", Entries("", "n="),
               [](const std::string& p) { FormFieldList l; ReadFormDataFile(p, l, true); return Field(l, &FormField::value); },
               2, kFormMaxLine, LongLine::Cut, NulByte::IsText});
  return f;
}

TEST(HostileInputs, EveryFormatReadsWhatItCanAndNothingBeyondItsBounds) {
  for (const TextFormat& f : Formats()) {
    for (const HostileInput& input : HostileInputs(f)) {
      SCOPED_TRACE(f.name + ", " + input.name);
      TempDir dir;
      const std::string path = dir.file(f.fileName);
      input.place(path);
      // Read aside, so a reader that waits for ever shows as a failure, not a hung test.
      auto done = std::make_shared<std::promise<Texts>>();
      std::future<Texts> reading = done->get_future();
      std::thread([done, f, path] { done->set_value(f.read(path)); }).detach();
      ASSERT_EQ(reading.wait_for(std::chrono::seconds(20)), std::future_status::ready) << "the read never ends";
      const Texts got = reading.get();
      if (input.expected) {
        EXPECT_EQ(got.size(), input.expected->size());
        EXPECT_TRUE(got == *input.expected);  // not printed: a line may be a megabyte
      }
      for (const std::string& t : input.mustHold) EXPECT_NE(std::find(got.begin(), got.end(), t), got.end()) << t;
      for (const std::string& t : got) {
        EXPECT_LE(t.size(), f.lineLimit ? f.lineLimit : t.size());
        EXPECT_EQ(t.find('\n'), std::string::npos);
        EXPECT_TRUE(!f.loneCrEndsLine || t.find('\r') == std::string::npos);
        EXPECT_TRUE(f.nul == NulByte::IsText || t.find('\0') == std::string::npos);
      }
      // Texts that are no file and have no fuzz target: user-dirs lines and a suggested download name.
      if (const std::string* text = input.content ? &*input.content : nullptr) {
        for (const auto& [name, dirPath] : ParseUserDirs(*text, "/home/u")) EXPECT_EQ(dirPath[0], '/');
        const std::string name = SafeFileName(text->substr(0, 4096));
        EXPECT_TRUE(!name.empty() && name.size() <= kMaxDownloadNameBytes && name.find('/') == std::string::npos) << name;
      }
    }
  }
}

// A saver writing far more than 4 KiB: 0 when it failed and said so where it must, 1 when it reported success, 2 when
// it failed without a word.
struct Saver {
  std::string name;
  std::function<int(const std::string& path)> save;
};

std::vector<Saver> Savers() {
  const std::string big(100, 'b');
  return {
      {"filter.dat", [=](const std::string& p) { CSiteFilter f; f.SetBlack(Texts(200, big)); return f.SaveSiteFilter(p) ? 1 : 0; }},
      {"alias.txt",
       [=](const std::string& p) {
         MessageRecorder said;
         AliasList list;
         list.Replace(std::vector<AliasEntry>(100, {"big", big}));
         return list.SaveAliases(p) == 0 ? 1 : said.messages == Texts{"Can't save alias file!"} ? 0 : 2;
       }},
      {"searchhis.ini",
       [=](const std::string& p) {
         QueryHistory h;
         for (int i = 0; i < 100; ++i) h.RememberQuery(big + std::to_string(i));
         return h.SaveQueryHistory(p) ? 1 : 0;
       }},
      {"profile.reg",
       [=](const std::string& p) {
         RegistryProfile profile;
         profile.SetBinary(kKey, "Huge", std::vector<std::uint8_t>(1u << 16, 1));
         std::string why;
         return ProfileFile(p).Save(profile, &why) ? 1 : why.empty() ? 2 : 0;
       }},
      {"autologin.ini",
       [=](const std::string& p) { CAutoLoginList l; l.entries().assign(100, {big, big, "", big, big}); return l.Save(p) ? 1 : 0; }},
      {".sgp", [=](const std::string& p) { return WriteGroupFile(p, Texts(100, big)) ? 1 : 0; }},
      {".fmd",
       [=](const std::string& p) { return WriteFormDataFile(FormFieldList(100, {{big}, big + "\n" + big}), p) ? 1 : 0; }},
      {"postform.htm",
       [=](const std::string& p) {
         MessageRecorder said;
         Texts opened;
         const bool wrote = SearchRunner([&](const std::string& t) { opened.push_back(t); }, p)
                                .PostSearch("https://p.example/", "q=" + std::string(10000, 'v'));
         return wrote || !opened.empty() ? 1 : said.messages == Texts{"Can't open " + p + "!"} ? 0 : 2;
       }},
  };
}

// A full disk, as a write sees it: `body` runs in a child whose files may not grow past `bytes` (a limit that binds
// root too). The child's exit code: `body`'s answer, 3 without the limit, -1 when it did not end normally.
int RunWithFileSizeLimit(std::size_t bytes, const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);  // writes past the limit fail with EFBIG instead of killing the child
    struct rlimit limit {bytes, bytes};
    ::_exit(::setrlimit(RLIMIT_FSIZE, &limit) != 0 ? 3 : body());
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST(HostileInputs, EverySaverFailsWhereItCannotWriteAndLeavesWhatWasThere) {
  for (const Saver& s : Savers()) {
    for (const BadPlace& place : BadPlaces()) {
      SCOPED_TRACE(s.name + ", " + place.name);
      TempDir dir;
      const std::string path = place.prepare(dir.path());
      const Texts before = dir.names();
      EXPECT_EQ(s.save(path), 0) << "1: reported success, 2: said nothing";
      EXPECT_EQ(dir.names(), before);
      EXPECT_TRUE(dir.read("plain") == "not a folder" || dir.read("taken/keep") == "kept");
    }
    // The disk fills up half way (a file size limit, which binds root too).
    SCOPED_TRACE(s.name + ", a full disk");
    TempDir dir;
    dir.write("old", "old \x01 content\r\n");
    EXPECT_EQ(RunWithFileSizeLimit(4096, [&] { return s.save(dir.file("old")); }), 0)
        << "1: reported success, 2: said nothing, 3: no limit";
    EXPECT_EQ(dir.read("old"), "old \x01 content\r\n");
    EXPECT_EQ(dir.names(), Texts{"old"});
  }
}

}  // namespace
}  // namespace kestrel::test
