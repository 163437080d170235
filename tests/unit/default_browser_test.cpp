#include <gtest/gtest.h>

#include "platform/xdg_default_browser.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

TEST(XdgDefaultBrowser, RegisterKeepsTheRestOfMimeappsAndIsThenTheDefault) {
  test::TempDir dir;
  XdgDefaultBrowser b("/opt/my \"odd\" $dir/kestrel", dir.file("config"), dir.file("data"));
  EXPECT_FALSE(b.IsDefault());  // no file at all

  dir.write("config", "");  // make it a folder below
  ::unlink(dir.file("config").c_str());
  ASSERT_TRUE(b.Register());
  EXPECT_TRUE(b.IsDefault());

  std::string other =
      "[Added Associations]\nimage/png=viewer.desktop;\n\n[Default Applications]\n"
      "x-scheme-handler/http=firefox.desktop;chromium.desktop;\ntext/plain=editor.desktop;\n";
  dir.write("config/mimeapps.list", other);
  EXPECT_FALSE(b.IsDefault());
  EXPECT_EQ(DefaultApplicationFor(other, "x-scheme-handler/http"), "firefox.desktop");
  ASSERT_TRUE(b.Register());
  std::string now = dir.read("config/mimeapps.list");
  EXPECT_TRUE(b.IsDefault());
  EXPECT_NE(now.find("image/png=viewer.desktop;"), std::string::npos);
  EXPECT_NE(now.find("text/plain=editor.desktop;"), std::string::npos);
  EXPECT_EQ(now.find("firefox"), std::string::npos);
  for (const char* t : XdgDefaultBrowser::kTypes) EXPECT_EQ(DefaultApplicationFor(now, t), "kestrel.desktop") << t;
  // Registering again does not pile up entries.
  ASSERT_TRUE(b.Register());
  std::string again = dir.read("config/mimeapps.list");
  EXPECT_EQ(again, now);

  // The quoted Exec line keeps an odd path one argument.
  std::string desktop = dir.read("data/applications/kestrel.desktop");
  EXPECT_NE(desktop.find("Exec=\"/opt/my \\\\\"odd\\\\\" \\\\$dir/kestrel\" %u"), std::string::npos) << desktop;
}

}  // namespace
}  // namespace kestrel
