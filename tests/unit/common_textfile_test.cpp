#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <future>
#include <memory>
#include <thread>
#include <string>
#include <vector>

#include "common/progdir.h"
#include "common/textfile.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using Lines = std::vector<std::string>;
using namespace std::string_literals;
using test::ScopedEnv;
using test::TempDir;
constexpr auto Cut = LongLines::Cut, Pieces = LongLines::Pieces;

TextReadOptions Opts(std::size_t max, LongLines mode = Cut, bool trim = true) { return {max, mode, trim}; }

Lines Names(const std::string& dir) {
  Lines names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

mode_t Mode(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(CommonTextFile, LineBreaksCutsAndPiecesInMemoryAndOnDisk) {
  const TextReadOptions plain;
  const std::string text = "abcd\nabcde\nabcdefghi\r\nx";
  const struct { std::string text; TextReadOptions opts; Lines lines; } cases[] = {
      // Every kind of line break ends one line; NUL is an ordinary byte.
      {"a\r\rb\n\r\nc", plain, {"a", "", "b", "", "c"}},
      {"one\r\ntwo\nthree\rfour", plain, {"one", "two", "three", "four"}},
      {"\n\n", plain, {"", ""}},
      {"\r\n", plain, {""}},
      {"x", plain, {"x"}},
      {"", plain, {}},
      {" a \t\r\n\t\n", plain, {"a", ""}},
      {" a \t\r\n\t\n", Opts(99, Cut, false), {" a \t", "\t"}},
      {"a\0b\n\0\n"s, plain, {"a\0b"s, "\0"s}},
      // Over-long lines are cut or read in pieces.
      {text, Opts(4), {"abcd", "abcd", "abcd", "x"}},
      {text, Opts(4, Pieces), {"abcd", "abcd", "e", "abcd", "efgh", "i", "x"}},
      // A line that fills its last piece exactly gives no empty piece after it.
      {"abcdefgh\nz", Opts(4, Pieces), {"abcd", "efgh", "z"}},
      {"abcdefgh", Opts(4, Pieces), {"abcd", "efgh"}},
      // Trimming comes after the cut, piece by piece.
      {"  abcdef\n", Opts(4), {"ab"}},
      {"ab    cd", Opts(3, Pieces), {"ab", "", "cd"}},
      // A zero maximum keeps one byte rather than looping or keeping nothing.
      {"abc\nd", Opts(0), {"a", "d"}},
      {"abc", Opts(0, Pieces), {"a", "b", "c"}}};
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(SplitTextLines(c.text, c.opts), c.lines);
    dir.write("t.txt", c.text);
    EXPECT_EQ(ReadTextLines(dir.file("t.txt"), c.opts), c.lines);
  }
  EXPECT_FALSE(ReadTextLines(dir.file("missing.txt")));
  EXPECT_FALSE(ReadTextLines(dir.path()));  // a folder opens but cannot be read
}

TEST(CommonTextFile, FileReadingMatchesMemoryAcrossReadBoundaries) {
  TempDir dir;
  // The file is read in 64 KiB chunks: put a CR LF, a lone CR and a long
  // line across the first boundaries.
  const std::size_t chunk = 64 * 1024;
  const std::string content = std::string(chunk - 1, 'x') + "\r\n" + std::string(chunk - 2, 'y') + "\r" + "z" +
                              std::string(3 * chunk, 'w') + "\n";
  dir.write("t.txt", content);
  EXPECT_EQ(ReadTextLines(dir.file("t.txt"), Opts(1 << 20)),
            (Lines{std::string(chunk - 1, 'x'), std::string(chunk - 2, 'y'), "z" + std::string(3 * chunk, 'w')}));
  const auto pieces = ReadTextLines(dir.file("t.txt"), Opts(1000, Pieces, false));
  ASSERT_TRUE(pieces);
  EXPECT_EQ(*pieces, SplitTextLines(content, Opts(1000, Pieces, false)));
  EXPECT_EQ(pieces->size(), 66u + 66u + 197u);
  for (const std::string& p : *pieces) EXPECT_LE(p.size(), 1000u);
}

TEST(CommonTextFile, WholeFileReadHonoursItsLimit) {
  TempDir dir;
  const std::string binary = "\0\r\n\xff"s + std::string(1000, 'b');
  dir.write("b.bin", binary);
  EXPECT_EQ(ReadWholeFile(dir.file("b.bin")), binary);
  EXPECT_EQ(ReadWholeFile(dir.file("b.bin"), binary.size()), binary);
  EXPECT_FALSE(ReadWholeFile(dir.file("b.bin"), binary.size() - 1));
  EXPECT_FALSE(ReadWholeFile(dir.file("missing")));
  EXPECT_FALSE(ReadWholeFile(dir.path()));
  // Files that report no size are still read to their end.
  const auto status = ReadWholeFile("/proc/self/status");
  ASSERT_TRUE(status);
  EXPECT_NE(status->find("Pid:"), std::string::npos);
}

TEST(CommonTextFile, ANamedPipeInAFilesPlaceIsRefusedWithoutWaiting) {
  TempDir dir;
  const std::string fifo = dir.file("filter.dat");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // With no writer, opening the pipe to read would wait for ever: the
  // reading runs aside, so a fault shows as a failure, not a hung test.
  auto done = std::make_shared<std::promise<bool>>();
  std::future<bool> refused = done->get_future();
  std::thread([done, fifo] { done->set_value(!ReadTextLines(fifo, {}) && !ReadWholeFile(fifo)); }).detach();
  ASSERT_EQ(refused.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_TRUE(refused.get());
}

TEST(CommonTextFile, AtomicWriteReplacesWholeAndKeepsTheMode) {
  TempDir dir;
  const std::string path = dir.file("profile.reg");
  std::string error = "untouched";
  ASSERT_TRUE(WriteFileAtomic(path, "first\r\n", &error));
  EXPECT_EQ(error, "untouched");
  const mode_t mask = ::umask(022);
  ::umask(mask);
  EXPECT_EQ(Mode(path), 0644 & ~mask);
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);

  for (const std::string& content : {"\0second\xff\r\n"s + std::string(100000, 's'), ""s}) {
    ASSERT_TRUE(WriteFileAtomic(path, content));
    EXPECT_EQ(TempDir::ReadFile(path), content);
    EXPECT_EQ(Mode(path), 0600u);
  }
  EXPECT_TRUE(FileExists(path));
  EXPECT_EQ(Names(dir.path()), (Lines{"profile.reg"}));  // no temporary file left behind
}

TEST(CommonTextFile, FailedAtomicWritesLeaveEverythingAsItWas) {
  TempDir dir;
  std::string error;
  // The parent is a regular file; the target is a folder, with or without a trailing slash; no name at all.
  dir.write("plain", "plain text");
  EXPECT_FALSE(WriteFileAtomic(dir.file("plain/x.ini"), "data", &error));
  EXPECT_NE(error.find(std::strerror(ENOTDIR)), std::string::npos) << error;
  ASSERT_TRUE(MakeDirectories(dir.file("forms")));
  dir.write("forms/a.fmd", "kept");
  EXPECT_FALSE(WriteFileAtomic(dir.file("forms"), "data", &error));
  EXPECT_NE(error.find(std::strerror(EISDIR)), std::string::npos) << error;
  EXPECT_FALSE(WriteFileAtomic(dir.file("forms/"), "data"));
  error.clear();
  EXPECT_FALSE(WriteFileAtomic("", "data", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(dir.read("plain"), "plain text");
  EXPECT_EQ(dir.read("forms/a.fmd"), "kept");
  EXPECT_EQ(Names(dir.file("forms")), (Lines{"a.fmd"}));

  EXPECT_EQ(Names(dir.path()), (Lines{"forms", "plain"}));  // no temporary file left behind
  // Every saver on top of this, on a full disk too: hostile_inputs_test.
}

TEST(CommonTextFile, JoinExistsAndMakeDirectories) {
  EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
  EXPECT_EQ(JoinLines({"a", "b"}, "\n"), "a\nb\n");
  EXPECT_EQ(JoinLines({}), "");
  EXPECT_EQ(SplitTextLines(JoinLines({"x", "", " y"}), Opts(99, Cut, false)), (Lines{"x", "", " y"}));

  TempDir dir;
  EXPECT_TRUE(MakeDirectories(dir.file("a/b/c/")));
  EXPECT_TRUE(MakeDirectories(dir.file("a/b")));  // already there
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("a/b/c")));
  dir.write("f", "x");
  EXPECT_FALSE(MakeDirectories(dir.file("f")));
  EXPECT_FALSE(MakeDirectories(dir.file("f/g")));
  EXPECT_FALSE(MakeDirectories(""));
  EXPECT_TRUE(FileExists(dir.file("f")));
  EXPECT_FALSE(FileExists(dir.file("a")));  // a folder is not a file
  EXPECT_FALSE(FileExists(dir.file("nothing")));
}

TEST(CommonProgramDirectory, ExecutableFolderUnlessOverridden) {
  SetProgramDirectory("");
  ScopedEnv noEnv("KESTREL_PROGRAM_DIR", nullptr);
  const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string exeDir = exe.substr(0, exe.rfind('/') + 1);
  EXPECT_EQ(ProgramDirectory(), exeDir);
  EXPECT_EQ(ProgramFile("filter.dat"), exeDir + "filter.dat");
  {
    ScopedEnv env("KESTREL_PROGRAM_DIR", "/opt/kestrel");
    EXPECT_EQ(ProgramDirectory(), "/opt/kestrel/");
    EXPECT_EQ(ProgramFile("/forms/"), "/opt/kestrel/forms/");
    SetProgramDirectory("/tmp/t1/");
    EXPECT_EQ(ProgramDirectory(), "/tmp/t1/");
    SetProgramDirectory("/tmp/t2");
    EXPECT_EQ(ProgramFile("translate/google.htm"), "/tmp/t2/translate/google.htm");
    SetProgramDirectory("");
    EXPECT_EQ(ProgramDirectory(), "/opt/kestrel/");
  }
  ScopedEnv empty("KESTREL_PROGRAM_DIR", "");
  EXPECT_EQ(ProgramDirectory(), exeDir);
}

}  // namespace
}  // namespace kestrel
