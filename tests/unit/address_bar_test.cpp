#include "address/address_bar.h"

#include <gtest/gtest.h>

#include "support/resolver_harness.h"

namespace kestrel {
namespace {

struct FakeBar : AddressBarView {
  std::string text;
  std::vector<std::string> items, offered;
  int completions = 0;
  bool focus = false, edited = false;
  std::string AddressText() const override { return text; }
  void SetAddressTextTrimmed(const std::string& t) override { text = t; }
  void ShowPageAddress(const std::string& t) override { text = t; }
  void SetAddressItems(const std::vector<std::string>& i) override { items = i; }
  void SetAddressCompletions(const std::vector<std::string>& c) override {
    offered = c;
    ++completions;
  }
  void FocusAddress() override { focus = true; }
  bool AddressHasFocus() const override { return focus; }
  void MarkAddressEdited() override { edited = true; }
};

struct BarHarness : test::ResolverHarness {
  FakeBar view;
  TypedUrlList typed;
  CAddressBar bar{view, resolver, typed};
};

TEST(AddressBar, EnterAndChoiceOpenAndReorderTheTypedList) {
  BarHarness h;
  h.Start();
  h.settings.AutoNew = 0;
  h.view.text = "  first.example/ \n";
  h.bar.Enter();
  EXPECT_EQ(h.view.text, "first.example/");  // trimmed, the slash kept in the field
  h.view.text = "SECOND.example";
  h.bar.Enter();
  h.view.text = "first.EXAMPLE";  // the same address in other letters replaces the old entry
  h.bar.Enter();
  h.view.text = " \t ";
  h.bar.Enter();  // nothing typed: nothing opened, nothing remembered
  EXPECT_EQ(h.view.items, (std::vector<std::string>{"first.EXAMPLE", "SECOND.example"}));
  EXPECT_EQ(h.Navigations(),
            (std::vector<std::string>{"0 first.example/", "0 SECOND.example", "0 first.EXAMPLE"}));

  // Choosing the second entry opens it and puts it on top; out-of-range
  // choices (a stale drop-down) do nothing.
  h.bar.Choose(1);
  EXPECT_EQ(h.view.items, (std::vector<std::string>{"SECOND.example", "first.EXAMPLE"}));
  EXPECT_EQ(h.view.text, "SECOND.example");
  h.bar.Choose(2);
  h.bar.Choose(-1);
  EXPECT_EQ(h.Navigations().size(), 4u);

  // Two lines typed at once open both and are remembered as typed.
  h.view.text = "a.example\nb.example";
  h.bar.Enter();
  EXPECT_EQ(h.Navigations().size(), 6u);
  EXPECT_EQ(h.view.items.front(), "a.example\nb.example");

  // Escape shows the page's address again and keeps the page from
  // overwriting it; the Escape command does so only with the focus there.
  h.view.text = "typed";
  h.bar.EscapeCommand("http://page.example/");
  EXPECT_EQ(h.view.text, "typed");
  EXPECT_FALSE(h.view.edited);
  h.bar.Focus();
  h.bar.EscapeCommand("http://page.example/");
  EXPECT_EQ(h.view.text, "http://page.example/");
  EXPECT_TRUE(h.view.edited);
}

TEST(AddressBar, CompletionFollowsTypedAndVisitedOnlyOnceSwitchedOn) {
  BarHarness h;
  h.bar.RememberVisited("http://one.example/");
  EXPECT_EQ(h.view.completions, 0);  // not before start-up switches it on
  h.bar.EnableCompletion();
  EXPECT_EQ(h.view.offered, (std::vector<std::string>{"http://one.example/"}));
  for (const char* skip : {"", "about:blank", "data:text/html,<b>x</b>"}) h.bar.RememberVisited(skip);
  h.bar.RememberVisited("http://two.example/");
  h.bar.RememberVisited("http://one.example/");  // visited again: moves to the front, once
  EXPECT_EQ(h.view.offered, (std::vector<std::string>{"http://one.example/", "http://two.example/"}));

  // Very long addresses are kept cut, and a second visit still finds the cut copy.
  const std::string longUrl = "http://long.example/" + std::string(5000, 'x');
  h.bar.RememberVisited(longUrl);
  h.bar.RememberVisited(longUrl);
  EXPECT_EQ(h.bar.visited().size(), 3u);
  EXPECT_EQ(h.bar.visited().front().size(), CAddressBar::kVisitedItemMax);

  for (int i = 0; i < 600; ++i) h.bar.RememberVisited("http://p" + std::to_string(i) + ".example/");
  EXPECT_EQ(h.bar.visited().size(), CAddressBar::kVisitedMax);
  EXPECT_EQ(h.bar.visited().front(), "http://p599.example/");

  // The typed list's changes reach the completion too, typed ones first.
  h.typed.Insert("typed.example");
  EXPECT_EQ(h.view.offered.front(), "typed.example");
  EXPECT_EQ(h.view.offered.size(), CAddressBar::kVisitedMax + 1);
}

TEST(AddressBar, CompletionsDifferingOnlyInLetterCaseAreOfferedOnce) {
  // Typed first, then visited; the first spelling seen wins, whatever the script.
  const std::deque<std::string> visited = {"http://ÄRGER.example/", "http://Straße.example/", "http://МИР.example/",
                                           "http://new.example/", "", "http://NEW.example/"};
  const std::vector<std::string> typed = {"http://ärger.example/", "http://мир.EXAMPLE/", "http://straße.example/"};
  EXPECT_EQ(CAddressBar::MergeCompletions(typed, visited),
            (std::vector<std::string>{"http://ärger.example/", "http://мир.EXAMPLE/", "http://straße.example/",
                                      "http://new.example/"}));
  // Broken UTF-8 is compared byte for byte, never dropped or merged with a letter.
  const std::vector<std::string> broken = {"http://\xC3.example/", "http://\xC3\xA4.example/"};
  EXPECT_EQ(CAddressBar::MergeCompletions(broken, {"http://\xC3\x84.example/"}), broken);
}

TEST(AddressBar, ForgetsTheListWhenItGoes) {
  test::ResolverHarness h;
  FakeBar view;
  TypedUrlList typed;
  typed.Insert("kept.example");
  {
    CAddressBar bar(view, h.resolver, typed);
    EXPECT_EQ(view.items, (std::vector<std::string>{"kept.example"}));  // filled at once
  }
  typed.Insert("after.example");  // must not call into the bar that is gone
  EXPECT_EQ(view.items.size(), 1u);
}

}  // namespace
}  // namespace kestrel
