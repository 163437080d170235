// The common helpers: strings, messages, digests and ciphers, text files, the
// program folder and notifiers.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "common/cipher.h"
#include "common/md5.h"
#include "common/message.h"
#include "common/notifier.h"
#include "common/progdir.h"
#include "common/rc4.h"
#include "common/strings.h"
#include "common/textfile.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using Fields = std::vector<std::string>;
using namespace std::string_literals;

TEST(CommonStrings, TrimRemovesOnlySpaceAndControlsNineToThirteen) {
  // NUL, 8, 14 and the UTF-8 no-break space are text, not blanks.
  const std::pair<std::string, std::string> cases[] = {
      {" \t\n\v\f\rab c\r\n ", "ab c"}, {" \t ", ""},           {"", ""},
      {"\0x\0"s, "\0x\0"s},           {"\x08x\x0e", "\x08x\x0e"}, {"\xC2\xA0x", "\xC2\xA0x"}};
  for (const auto& [text, trimmed] : cases) EXPECT_EQ(Trim(text), trimmed) << text;
}

TEST(CommonStrings, FieldsSkipLeadingSeparatorsAndCollapseRunsAndTheThreeFunctionsAgree) {
  const struct { std::string text; char sep; Fields fields; } cases[] = {
      {";;a;;b;c;;", ';', {"a", "b", "c"}}, {";;;", ';', {}}, {"", ';', {}}, {"abc", ';', {"abc"}},
      {" a ; b ", ';', {" a ", " b "}},  // not trimmed
      {"\0,\0"s, ',', {"\0"s, "\0"s}}, {"é,ü,,ß", ',', {"é", "ü", "ß"}},
      // Zero means any blank; a named blank is the only separator.
      {"\t one \r\ntwo\vthree\f", 0, {"one", "two", "three"}}, {" \t\r\n ", 0, {}},
      {"a b\nc d\n\n", '\n', {"a b", "c d"}}, {"x=1&&y=2&", '&', {"x=1", "y=2"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(SplitFields(c.text, c.sep), c.fields);
    EXPECT_EQ(CountFields(c.text, c.sep), static_cast<int>(c.fields.size()));
    for (int i = -1; i <= static_cast<int>(c.fields.size()); ++i)
      EXPECT_EQ(GetField(c.text, i, c.sep), i >= 0 && i < static_cast<int>(c.fields.size()) ? c.fields[i] : "") << i;
  }
}

TEST(CommonStrings, CaseFoldingTouchesAsciiLettersOnly) {
  EXPECT_EQ(ToLowerAscii("AbZ@[`{09"), "abz@[`{09");
  EXPECT_EQ(ToUpperAscii("aBz@[`{09"), "ABZ@[`{09");
  EXPECT_EQ(ToLowerAscii("\xC3\x89"), "\xC3\x89");  // É stays as it is
  EXPECT_TRUE(StartsWithNoCase("HTTP://x", "http://"));
  EXPECT_TRUE(StartsWithNoCase("abc", ""));
  EXPECT_FALSE(StartsWithNoCase("htt", "http"));
  // A prefix sorts first, bytes compare unsigned, letters fold to lower case (like stricmp): É and é differ, and so
  // do the neighbours of the letter ranges.
  const struct { std::string a, b; int sign; } pairs[] = {
      {"Kestrel", "kESTREL", 0}, {"abc", "ABC", 0},        {"Kestrel", "Kestrel ", -1}, {"abc", "ABD", -1},
      {"b", "A", 1},             {"ab", "ABC", -1},        {"abc", "AB", 1},            {"\xC3\xA9", "z", 1},
      {"_", "a", -1},            {"\xC3\x89", "\xC3\xA9", -1}, {"@", "`", -1}};
  for (const auto& [a, b, sign] : pairs) {
    EXPECT_EQ(EqualsNoCase(a, b), sign == 0) << a << " " << b;
    const int c = CompareNoCase(a, b);
    EXPECT_EQ((c > 0) - (c < 0), sign) << a << " " << b;
  }
}

// Records what reaches the box and answers as told.
struct RecordingPresenter : MessagePresenter {
  std::vector<std::pair<std::string, MessageKind>> shown;
  bool answer = true;
  bool PresentMessage(const std::string& text, MessageKind kind) override {
    shown.emplace_back(text, kind);
    return answer;
  }
};

TEST(CommonMessage, TextIsTranslatedThenPresentedAndTheAnswerComesBack) {
  RecordingPresenter presenter;
  SetMessagePresenter(&presenter);
  SetMessageTranslator([&](const std::string& english) {
    return english == "Delete?" ? "Löschen?" : english == "Untranslated" ? "" : english;
  });
  presenter.answer = false;
  EXPECT_FALSE(ShowMessage("Delete?", MessageKind::Question));
  presenter.answer = true;
  EXPECT_TRUE(ShowMessage("Delete?", MessageKind::Question));
  EXPECT_TRUE(ShowMessage("Untranslated"));  // an empty entry falls back to English
  using Shown = std::vector<std::pair<std::string, MessageKind>>;
  EXPECT_EQ(presenter.shown, (Shown{{"Löschen?", MessageKind::Question}, {"Löschen?", MessageKind::Question},
                                    {"Untranslated", MessageKind::Info}}));

  SetMessageTranslator({});
  EXPECT_EQ(TranslateMessage("Delete?"), "Delete?");

  // Without a presenter: standard error, OK for information, Cancel for a question.
  SetMessagePresenter(nullptr);
  SetMessageTranslator([](const std::string& e) { return "[" + e + "]"; });
  testing::internal::CaptureStderr();
  const bool info = ShowMessage("Saved");
  const bool question = ShowMessage("Overwrite?", MessageKind::Question);
  const std::string err = testing::internal::GetCapturedStderr();
  SetMessageTranslator({});
  EXPECT_TRUE(info && !question);
  EXPECT_TRUE(err.find("[Saved]") != std::string::npos && err.find("[Overwrite?]") != std::string::npos) << err;
  EXPECT_EQ(presenter.shown.size(), 3u);
}

using Bytes = std::vector<std::uint8_t>;

std::string Hex(const Md5Digest& d) { return ToLowerAscii(HexUpper(Bytes(d.begin(), d.end()))); }

Bytes FromHex(std::string_view hex) {
  Bytes b;
  EXPECT_TRUE(ParseHex(hex, b)) << hex;
  return b;
}

Bytes Keystream(const Bytes& key, std::size_t n) {
  Bytes zeros(n, 0);
  Rc4(key).Process(zeros.data(), zeros.size());
  return zeros;
}

// Only the password cipher uses these: known vectors at the edges, the composition against outside tools below.
TEST(CommonDigestAndStream, KnownVectorsAtTheBlockEdgesAndAcrossCalls) {
  // RFC 1321's empty text, then lengths at the padding edge (56) and the block size, from md5sum.
  const std::pair<std::size_t, const char*> known[] = {{0, "d41d8cd98f00b204e9800998ecf8427e"},
                                                       {55, "ef1772b6dff9a122358552954ad0df65"},
                                                       {56, "3b0c8ac703f828b04c6c197006d17218"},
                                                       {64, "014842d480b571495a4a0363793f7367"}};
  for (const auto& [length, digest] : known) {
    const std::string data(length, 'a');
    EXPECT_EQ(Hex(Md5Of(data)), digest) << length;
    Md5 md5;  // split inside the block
    md5.Update(data.data(), length / 3);
    md5.Update(data.data() + length / 3, length - length / 3);
    EXPECT_EQ(Hex(md5.Final()), digest) << length;
  }
  // RFC 6229: one block far into the stream, made in calls of uneven sizes (empty ones too).
  Bytes pieces(4112, 0);
  Rc4 rc4(FromHex("0102030405"));
  for (std::size_t pos = 0, step = 0; pos < pieces.size(); pos += step, step = (step * 7 + 3) % 300)
    rc4.Process(pieces.data() + pos, std::min(step, pieces.size() - pos));
  EXPECT_EQ(Bytes(pieces.begin() + 4096, pieces.end()), FromHex("ff25b58995996707e51fbdf08b34d875"));
  EXPECT_EQ(Keystream(FromHex("0102030405060708090a0b0c0d0e0f10"), 16), FromHex("9ac7cc9a609d1ef7b2932899cde41b97"));
  EXPECT_THROW(Rc4(Bytes{}), std::invalid_argument);
  EXPECT_EQ(Keystream(Bytes(300, 9), 64), Keystream(Bytes(256, 9), 64));  // bytes past 256 play no part
}

TEST(CommonCipher, PassPhraseAndKeyAreMadeAsTheBaseProviderMakesThem) {
  const std::string phrase = CipherPassPhrase();
  ASSERT_EQ(phrase.size(), 16u);
  for (char c : phrase) EXPECT_TRUE(c >= 'a' && c <= 'z') << phrase;
  EXPECT_EQ(CipherPassPhrase(), phrase);
  // The phrase is never stored as text: it is not in the program's bytes.
  const auto self = ReadWholeFile("/proc/self/exe", 1u << 30);
  ASSERT_TRUE(self);
  EXPECT_EQ(self->find(phrase), std::string::npos);

  // Against outside tools: md5sum gives the hash of the phrase, openssl's RC4 under that 40-bit key and 11 zero bytes
  // gives the ciphertext of "abc".
  EXPECT_EQ(DeriveRc4Key("abcdefghijklmnop"), FromHex("1d64dce2390000000000000000000000"));
  Bytes abc = {'a', 'b', 'c'};
  Rc4(DeriveRc4Key("abcdefghijklmnop")).Process(abc.data(), abc.size());
  EXPECT_EQ(HexUpper(abc), "9E64B5");

  // The stored-password cipher is exactly that composition under the phrase.
  Bytes secret = {'s', '3', 'c', 'r', 'e', 't'};
  Rc4(DeriveRc4Key(phrase)).Process(secret.data(), secret.size());
  EXPECT_EQ(EncipherPassword("s3cret"), HexUpper(secret));
}

TEST(CommonCipher, PasswordsRoundTripAsUpperCaseHexOfDoubleLength) {
  std::string all255;
  for (int i = 1; i <= 255; ++i) all255 += static_cast<char>(i);
  const std::string cases[] = {"x", "s3cret;pass", all255, "\xff\x01\x7f\x80 \t\r\n", "pässwörd ☃ 密码",
                               std::string(1000, 'p')};
  for (const std::string& plain : cases) {
    const std::string hex = EncipherPassword(plain);
    ASSERT_EQ(hex.size(), 2 * plain.size());
    EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos) << hex;
    EXPECT_EQ(DecipherPassword(hex), plain);
    EXPECT_EQ(DecipherPassword(ToLowerAscii(hex)), plain);  // either case reads back
    EXPECT_EQ(EncipherPassword(plain), hex);                // a fresh key each call
  }
  EXPECT_EQ(EncipherPassword("") + DecipherPassword(""), "");

  // Deciphering stops at a NUL, and only whole pairs of hex digits count.
  EXPECT_EQ(DecipherPassword(EncipherPassword("ab\0cd"s)), "ab");
  EXPECT_EQ(DecipherPassword(EncipherPassword("\0abc"s)), "");
  const std::string good = EncipherPassword("secret");
  for (const std::string& bad : {good.substr(1), good + "0", good.substr(0, 4) + "G" + good.substr(5),
                                 " " + good.substr(1), "0x" + good.substr(2), good.substr(0, 10) + "\0"s + "0",
                                 std::string("zz"), std::string("-1")})
    EXPECT_EQ(DecipherPassword(bad), "") << bad;
}

using Lines = std::vector<std::string>;
using test::ScopedEnv;
using test::TempDir;
constexpr auto Cut = LongLines::Cut, Pieces = LongLines::Pieces;

TextReadOptions Opts(std::size_t max, LongLines mode = Cut, bool trim = true) { return {max, mode, trim}; }

mode_t Mode(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(CommonTextFile, LineBreaksCutsAndPiecesInMemoryAndOnDisk) {
  const TextReadOptions plain;
  const std::string text = "abcd\nabcde\nabcdefghi\r\nx";
  const struct { std::string text; TextReadOptions opts; Lines lines; } cases[] = {
      // Every kind of line break ends one line; NUL is an ordinary byte.
      {"a\r\rb\n\r\nc", plain, {"a", "", "b", "", "c"}}, {"one\r\ntwo\nthree\rfour", plain, {"one", "two", "three", "four"}},
      {"\n\n", plain, {"", ""}}, {"\r\n", plain, {""}}, {"x", plain, {"x"}}, {"", plain, {}},
      {" a \t\r\n\t\n", plain, {"a", ""}}, {" a \t\r\n\t\n", Opts(99, Cut, false), {" a \t", "\t"}},
      {"a\0b\n\0\n"s, plain, {"a\0b"s, "\0"s}},
      // Over-long lines are cut or read in pieces.
      {text, Opts(4), {"abcd", "abcd", "abcd", "x"}},
      {text, Opts(4, Pieces), {"abcd", "abcd", "e", "abcd", "efgh", "i", "x"}},
      // A line that fills its last piece exactly gives no empty piece after it.
      {"abcdefgh\nz", Opts(4, Pieces), {"abcd", "efgh", "z"}}, {"abcdefgh", Opts(4, Pieces), {"abcd", "efgh"}},
      // Trimming comes after the cut, piece by piece.
      {"  abcdef\n", Opts(4), {"ab"}}, {"ab    cd", Opts(3, Pieces), {"ab", "", "cd"}},
      // A zero maximum keeps one byte rather than looping or keeping nothing.
      {"abc\nd", Opts(0), {"a", "d"}}, {"abc", Opts(0, Pieces), {"a", "b", "c"}}};
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

TEST(CommonTextFile, FileReadingMatchesMemoryAcrossReadBoundariesAndWholeReadsHonourTheirLimit) {
  TempDir dir;
  // The file is read in 64 KiB chunks: put a CR LF, a lone CR and a long line across the first boundaries.
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

  // A whole-file read honours its limit.
  const std::string binary = "\0\r\n\xff"s + std::string(1000, 'b');
  dir.write("b.bin", binary);
  EXPECT_EQ(ReadWholeFile(dir.file("b.bin")), binary);
  EXPECT_EQ(ReadWholeFile(dir.file("b.bin"), binary.size()), binary);
  EXPECT_FALSE(ReadWholeFile(dir.file("b.bin"), binary.size() - 1) || ReadWholeFile(dir.file("missing")) ||
               ReadWholeFile(dir.path()));
  // Files that report no size are still read to their end.
  const auto status = ReadWholeFile("/proc/self/status");
  ASSERT_TRUE(status);
  EXPECT_NE(status->find("Pid:"), std::string::npos);
}


TEST(CommonTextFile, AtomicWriteReplacesWholeAndKeepsTheModeJoinAndMakeDirectories) {
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
  EXPECT_EQ(dir.names(), (Lines{"profile.reg"}));  // no temporary file left behind
  EXPECT_EQ(JoinLines({"a", "", "b"}) + "|" + JoinLines({"a", "b"}, "\n") + "|" + JoinLines({}), "a\r\n\r\nb\r\n|a\nb\n|");
  EXPECT_EQ(SplitTextLines(JoinLines({"x", "", " y"}), Opts(99, Cut, false)), (Lines{"x", "", " y"}));

  EXPECT_TRUE(MakeDirectories(dir.file("a/b/c/")));
  EXPECT_TRUE(MakeDirectories(dir.file("a/b")));  // already there
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("a/b/c")));
  dir.write("f", "x");
  for (const std::string& bad : {dir.file("f"), dir.file("f/g"), ""s}) EXPECT_FALSE(MakeDirectories(bad)) << bad;
  EXPECT_TRUE(FileExists(dir.file("f")));
  EXPECT_FALSE(FileExists(dir.file("a")) || FileExists(dir.file("nothing")));  // a folder is not a file
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
  // No temporary file left behind.
  EXPECT_EQ(dir.names(), (Lines{"forms", "forms/a.fmd", "plain"}));
  EXPECT_EQ(dir.read("plain") + "|" + dir.read("forms/a.fmd"), "plain text|kept");
}


// Where the program writes files for itself: beside the program while its folder can be written, else in the user's
// data folder.
TEST(ProgramFolder, TheExecutablesUnlessOverriddenAndFilesTheProgramWritesGoWhereTheyCanBeWritten) {
  SetProgramDirectory("");
  {
    ScopedEnv noEnv("KESTREL_PROGRAM_DIR", nullptr);
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    EXPECT_EQ(ProgramFile("filter.dat"), exe.substr(0, exe.rfind('/') + 1) + "filter.dat");
    ScopedEnv env("KESTREL_PROGRAM_DIR", "/opt/kestrel");
    EXPECT_EQ(ProgramDirectory(), "/opt/kestrel/");
    SetProgramDirectory("/tmp/t2");
    EXPECT_EQ(ProgramDirectory(), "/tmp/t2/");
    SetProgramDirectory("");
    EXPECT_EQ(ProgramDirectory(), "/opt/kestrel/");
    ScopedEnv empty("KESTREL_PROGRAM_DIR", "");
    EXPECT_EQ(ProgramDirectory(), exe.substr(0, exe.rfind('/') + 1));
  }
  test::TempDir dir;
  {
    test::ScopedEnv data("XDG_DATA_HOME", dir.file("data").c_str());
    SetProgramDirectory(dir.path());
    EXPECT_EQ(WritableProgramFile("postform.htm"), dir.file("postform.htm"));
    // A folder nobody may write, root included: the user's data folder, made on the way.
    SetProgramDirectory("/proc/self/");
    EXPECT_EQ(WritableProgramFile("/postform.htm"), dir.file("data") + "/Corvana/Kestrel/postform.htm");
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("data") + "/Corvana/Kestrel"));
    SetProgramDirectory("");
  }
  // Without XDG_DATA_HOME (or with a relative one), the home's.
  {
    test::ScopedEnv data("XDG_DATA_HOME", "relative/data"), home("HOME", "/home/u/");
    EXPECT_EQ(UserDataDirectory(), "/home/u/.local/share/Corvana/Kestrel/");
  }
  // Without a home in the environment, the user database's: never a folder at the root of the file system.
  for (const char* none : {static_cast<const char*>(nullptr), ""}) {
    test::ScopedEnv data("XDG_DATA_HOME", nullptr), home("HOME", none);
    const std::string found = UserDataDirectory();
    EXPECT_TRUE(found.size() > 1 && found[0] == '/' && !found.starts_with("/.local")) << found;
    EXPECT_TRUE(found.ends_with("/.local/share/Corvana/Kestrel/")) << found;
  }
}

// An installed (shared) program folder under each user's own copy: reads fall through to the installed file until the
// user saves one, saves and hand edits never touch the installed folder, listings merge both.
TEST(ProgramFolder, TheUsersLayerOverTheInstalledOne) {
  TempDir installed, home;
  installed.write("filter.dat", "shipped\r\n");
  MakeDirectories(installed.file("groups/"));
  MakeDirectories(installed.file("translate/"));
  for (const char* g : {"a", "b"}) installed.write("groups/" + std::string(g) + ".sgp", g);
  installed.write("translate/dictionary.ini", "shipped dictionary");
  ScopedEnv data("XDG_DATA_HOME", home.path().c_str());
  SetProgramDirectory(installed.path());
  const std::string mine = home.path() + "/Corvana/Kestrel/";

  EXPECT_FALSE(ProgramFolderIsShared());  // a writable build tree is the user's alone
  EXPECT_EQ(WritableProgramFile("filter.dat"), installed.file("filter.dat"));
  EXPECT_FALSE(ProgramRoot().Layered());

  installed.write(kInstalledMarkerFile, "");
  ASSERT_TRUE(ProgramFolderIsShared());
  EXPECT_EQ(ProgramFile("filter.dat"), installed.file("filter.dat"));
  EXPECT_EQ(ProgramFile("missing.txt"), mine + "missing.txt");  // never read from nowhere else
  EXPECT_EQ(WritableProgramFile("/filter.dat"), mine + "filter.dat");
  ASSERT_TRUE(WriteFileAtomic(mine + "filter.dat", "mine\r\n"));
  EXPECT_EQ(ProgramFile("filter.dat"), mine + "filter.dat");

  // Listings merge, each name once; the user's copy of a name wins.
  const ProgramFolder groups = ProgramSubfolder("groups/");
  MakeDirectories(groups.SaveFolder());
  ASSERT_TRUE(WriteFileAtomic(groups.SavePath("b.sgp"), "my b"));
  ASSERT_TRUE(WriteFileAtomic(groups.SavePath("c.sgp"), "c"));
  EXPECT_EQ(ListFilesWithExtension(groups, ".sgp"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(groups.Find("b.sgp"), mine + "groups/b.sgp");
  EXPECT_TRUE(groups.IsInstalledPath(groups.Find("a.sgp")));
  EXPECT_FALSE(groups.IsInstalledPath(groups.Find("b.sgp")));
  EXPECT_EQ(groups.SavePathFor(groups.Find("a.sgp")), mine + "groups/a.sgp");

  // A hand edit works on the user's copy, made once, keeping its subfolder.
  const std::string edit = EditableProgramFile("translate/dictionary.ini");
  EXPECT_EQ(edit, mine + "translate/dictionary.ini");
  EXPECT_EQ(TempDir::ReadFile(edit), "shipped dictionary");
  ASSERT_TRUE(WriteFileAtomic(edit, "my dictionary"));
  EXPECT_EQ(EditableProgramFile("translate/dictionary.ini"), edit);
  EXPECT_EQ(TempDir::ReadFile(edit), "my dictionary");

  // Nothing of the installed folder changed.
  EXPECT_EQ(installed.read("filter.dat") + installed.read("groups/b.sgp") + installed.read("translate/dictionary.ini"),
            "shipped\r\nbshipped dictionary");
  EXPECT_FALSE(FileExists(installed.file("groups/c.sgp")));
  SetProgramDirectory("");
}

// Several followers of one change: each is told until its subscription goes, whichever side goes first and whatever a
// follower does while told.
TEST(Notifier, EverySubscriberIsToldUntilItsSubscriptionGoes) {
  Notifier<int> n;
  std::vector<std::string> told;
  auto a = n.Subscribe([&](int v) { told.push_back("a" + std::to_string(v)); });
  Notifier<int>::Subscription b = n.Subscribe([&](int v) { told.push_back("b" + std::to_string(v)); });
  n.Notify(1);  // a second subscriber does not replace the first
  b.Cancel();
  n.Notify(2);
  {
    auto c = n.Subscribe([&](int v) { told.push_back("c" + std::to_string(v)); });
    n.Notify(3);
  }
  n.Notify(4);
  EXPECT_EQ(told, (std::vector<std::string>{"a1", "b1", "a2", "a3", "c3", "a4"}));
  EXPECT_EQ(n.subscribers(), 1u);

  // A subscriber that cancels another, or itself, while told.
  told.clear();
  Notifier<int>::Subscription d, e;
  d = n.Subscribe([&](int) { told.push_back("d"), e.Cancel(), d.Cancel(); });
  e = n.Subscribe([&](int) { told.push_back("e"); });
  n.Notify(5);
  n.Notify(6);
  EXPECT_EQ(told, (std::vector<std::string>{"a5", "d", "a6"}));
  // Moved subscriptions keep following; the one moved over is cancelled.
  told.clear();
  Notifier<int>::Subscription f = n.Subscribe([&](int) { told.push_back("f"); });
  Notifier<int>::Subscription g = std::move(f);
  a = std::move(g);
  n.Notify(7);
  EXPECT_EQ(told, (std::vector<std::string>{"f"}));

  // The notifier may go first: the subscriptions then end harmlessly.
  auto gone = std::make_unique<Notifier<>>();
  auto late = gone->Subscribe([] {});
  gone.reset();
  late.Cancel();
}

}  // namespace
}  // namespace kestrel
