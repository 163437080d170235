#include <gtest/gtest.h>

#include "address/typed_urls.h"
#include "platform/profile_file.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

TEST(TypedUrls, NormaliseAndInsert) {
  // The trailing separator goes unless it follows a colon or is all there is; a backslash decides the separator.
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},           {"/", "/"},           {"C:\\", "C:\\"},          {"http:/", "http:/"},
      {"http://a.example/", "http://a.example"}, {"c:\\dir\\", "c:\\dir"}, {"a/b\\", "a/b"}, {"a\\b/", "a\\b/"}};
  for (const auto& [typed, stored] : cases) EXPECT_EQ(TypedUrlList::Normalise(typed), stored) << typed;

  TypedUrlList list;
  int changes = 0;
  auto subscription = list.changed.Subscribe([&] { ++changes; });
  list.Insert("http://a.example");
  list.Insert("b.example");
  list.Insert("");
  // The same address in capitals, with its slash dropped, leaves one entry on top.
  list.Insert(TypedUrlList::Normalise("HTTP://A.EXAMPLE/"));
  EXPECT_EQ(list.items(), (std::vector<std::string>{"HTTP://A.EXAMPLE", "b.example"}));
  EXPECT_EQ(changes, 3);
  // Items are cut at 255 bytes without splitting a character; equal prefixes count as equal.
  std::string longText = std::string(254, 'x') + "\xc3\xa9" + "tail";
  list.Insert(longText);
  EXPECT_EQ(list.items()[0].size(), 254u);
  list.Insert(std::string(254, 'x') + "\xc3\xa9" + "other");
  EXPECT_EQ(list.items().size(), 3u);
  list.RemoveAt(99);
  list.RemoveAt(0);
  EXPECT_EQ(list.items().front(), "HTTP://A.EXAMPLE");
}

TEST(TypedUrls, ProfileRoundTripHolesAndStaleValues) {
  RegistryProfile p;
  TypedUrlList list;
  list.Insert("keep.example");
  list.Load(p);  // no key: the list stays
  EXPECT_EQ(list.items().size(), 1u);

  // Numbers decide the order; holes, out-of-range numbers and foreign names leave no row.
  p.OpenKey(kTypedUrlsKey, true);
  p.SetString(kTypedUrlsKey, "url3", "third");
  p.SetString(kTypedUrlsKey, "url1", "first");
  p.SetString(kTypedUrlsKey, "url9", "stale");
  p.SetString(kTypedUrlsKey, "urlx", "junk");
  p.SetDword(kTypedUrlsKey, "url2", 7);
  list.Load(p);
  EXPECT_EQ(list.items(), (std::vector<std::string>{"first", "third"}));

  // Saving numbers from the top and drops what lies past the end, so a
  // removed entry cannot return at the next start.
  list.RemoveAt(0);
  ASSERT_TRUE(list.Save(p));
  EXPECT_EQ(p.GetString(kTypedUrlsKey, "url1").value_or(""), "third");
  EXPECT_FALSE(p.Find(kTypedUrlsKey, "url3"));
  EXPECT_FALSE(p.Find(kTypedUrlsKey, "url9"));

  // Through the file and back, with text the file format must escape.
  test::TempDir dir;
  list.Insert("http://q.example/?a=\"b\"\\c");
  list.Save(p);
  ProfileFile file(dir.file("profile.reg"));
  std::string error;
  ASSERT_TRUE(file.Save(p, &error)) << error;
  RegistryProfile back;
  ASSERT_EQ(file.Load(back), ProfileFile::LoadResult::Loaded);
  TypedUrlList again;
  again.Load(back);
  EXPECT_EQ(again.items(), list.items());

  again.Clear(back);
  EXPECT_TRUE(again.items().empty());
  EXPECT_FALSE(back.Find(kTypedUrlsKey, "url1"));
}

}  // namespace
}  // namespace kestrel
