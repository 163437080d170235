#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/message.h"
#include "common/strings.h"

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
  // A prefix sorts first, bytes compare unsigned, letters fold to lower case (like stricmp): É and é differ,
  // and so do the neighbours of the letter ranges.
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
  std::vector<std::string> asked;
  SetMessageTranslator([&](const std::string& english) {
    asked.push_back(english);
    if (english == "Delete?") return std::string("Löschen?");
    if (english == "Untranslated") return std::string();
    return english;
  });

  presenter.answer = false;
  EXPECT_FALSE(ShowMessage("Delete?", MessageKind::Question));
  presenter.answer = true;
  EXPECT_TRUE(ShowMessage("Delete?", MessageKind::Question));
  EXPECT_TRUE(ShowMessage("Untranslated"));  // an empty entry falls back to English
  ASSERT_EQ(presenter.shown.size(), 3u);
  EXPECT_EQ(presenter.shown[0], std::make_pair(std::string("Löschen?"), MessageKind::Question));
  EXPECT_EQ(presenter.shown[2], std::make_pair(std::string("Untranslated"), MessageKind::Info));
  EXPECT_EQ(asked, (std::vector<std::string>{"Delete?", "Delete?", "Untranslated"}));

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
  EXPECT_TRUE(info);
  EXPECT_FALSE(question);
  EXPECT_NE(err.find("[Saved]"), std::string::npos);
  EXPECT_NE(err.find("[Overwrite?]"), std::string::npos);
  EXPECT_EQ(presenter.shown.size(), 3u);
}

}  // namespace
}  // namespace kestrel
