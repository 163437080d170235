// Searches in the real engine against a loopback server: the generated POST
// page submits its form on load and the engine's answer replaces it; a GET
// query arrives as the characters typed. Also the Quick-Search Bar itself.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <mutex>

#include "address/search_engines.h"
#include "common/strings.h"
#include "engine/engine_harness.h"
#include "support/dialog_driver.h"
#include "support/fakes.h"
#include "support/http_server.h"
#include "support/temp_dir.h"
#include "ui/quick_search_bar_qt.h"

#include <httplib.h>

namespace kestrel::test {
namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

// A "name=value" field as the page splits it: at its first "=".
std::pair<std::string, std::string> SplitField(const std::string& f) {
  std::size_t eq = f.find('=');
  return {f.substr(0, eq), f.substr(eq + 1)};
}

// application/x-www-form-urlencoded, in the order sent.
Fields DecodeForm(const std::string& body) {
  auto decode = [](const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
      if (s[i] == '+') {
        out.push_back(' ');
      } else if (s[i] == '%' && i + 2 < s.size()) {
        out.push_back(static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16)));
        i += 2;
      } else {
        out.push_back(s[i]);
      }
    }
    return out;
  };
  Fields fields;
  for (const std::string& f : SplitFields(body, '&')) {
    std::size_t eq = f.find('=');
    fields.emplace_back(decode(f.substr(0, eq)), eq == std::string::npos ? "" : decode(f.substr(eq + 1)));
  }
  return fields;
}

// What the server saw, written on its thread and read on ours.
struct Received {
  std::mutex m;
  std::vector<std::string> paths, bodies, contentTypes, queries;
  void Add(const httplib::Request& req) {
    std::lock_guard lock(m);
    paths.push_back(req.path);
    bodies.push_back(req.body);
    contentTypes.push_back(req.get_header_value("Content-Type"));
    queries.push_back(req.has_param("q") ? req.get_param_value("q") : "<none>");
  }
  std::size_t count() {
    std::lock_guard lock(m);
    return paths.size();
  }
};

class SearchEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessagePresenter(&dialogs);
    auto answer = [this](const httplib::Request& req, httplib::Response& res) {
      received.Add(req);
      res.set_content("<html><head><title>Answer</title></head><body>found</body></html>", "text/html");
    };
    server.server().Post("/search", answer);
    server.server().Post("/s&t", answer);
    server.server().Get("/get", answer);
    server.Start();
  }
  void TearDown() override { SetMessagePresenter(nullptr); }

  // The control opens what the resolver hands it; a path is a file.
  SearchRunner Runner(EngineSite& site) {
    return SearchRunner([&site](const std::string& text) { site.Load(text); },
                        dir.file("postform.htm"));
  }
  bool WaitAnswered(EngineSite& site, std::size_t requests) {
    return WaitFor([&] { return received.count() >= requests && site.control->DocumentTitle() == "Answer"; });
  }

  FakeDialogs dialogs;
  LocalHttpServer server;
  Received received;
  TempDir dir;
};

TEST_F(SearchEngineTest, PostFormsArriveWithEveryFieldIntactAndGetQueriesAsTyped) {
  EngineSites sites;
  EngineSite& site = sites.Add();
  SearchRunner runner = Runner(site);
  // The generated page may submit to the web; other local pages may not.
  site.context.searchFormPage = dir.file("postform.htm");

  const std::vector<std::string> queries = {
      "plain words",
      "'\"><script>document.title='pwned'</script>",
      "x' name='evil'><input type='hidden' name='injected' value='1",
      "</form><form method='GET' action='http://127.0.0.1:1/'>",
      "caf\xc3\xa9 \xe4\xb8\xad\xe6\x96\x87 \xf0\x9f\x90\xa6 c++ 50% #1 a=b",
  };
  std::size_t expectedRequests = 0;
  // Leave each answer so the next search's title change is its own.
  auto leave = [&] {
    site.Load("about:blank");
    WaitFor([&] { return site.control->DocumentTitle() != "Answer"; });
  };
  for (const std::string& q : queries) {
    runner.RunSearch(server.Url("/search") + "?q=$key&&lang=en&n$key=1", q, false);
    ASSERT_TRUE(WaitAnswered(site, ++expectedRequests)) << q;
    {
      std::lock_guard lock(received.m);
      EXPECT_EQ(received.paths.back(), "/search");
      EXPECT_EQ(received.contentTypes.back(), "application/x-www-form-urlencoded");
      EXPECT_EQ(DecodeForm(received.bodies.back()), (Fields{{"q", q}, {"lang", "en"}, SplitField("n" + q + "=1")}))
          << q;
    }
    EXPECT_EQ(site.control->LocationURL(), server.Url("/search"));
    leave();
  }

  // "&" in the action's path, and an empty form.
  runner.RunSearch(server.Url("/s&t"), "unused", false);
  ASSERT_TRUE(WaitAnswered(site, ++expectedRequests));
  {
    std::lock_guard lock(received.m);
    EXPECT_EQ(received.paths.back(), "/s&t");
    EXPECT_EQ(received.bodies.back(), "");
  }
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_EQ(received.count(), expectedRequests);  // nothing was posted twice

  // A GET query arrives as the characters typed.
  for (const std::string& q : {std::string("c++ & 50%"), std::string("#1 a=b?c/d"),
                               std::string("caf\xc3\xa9 \"<x>\"")}) {
    leave();
    runner.RunSearch(server.Url("/get") + "?q=$key&n=1", q, true);
    ASSERT_TRUE(WaitAnswered(site, ++expectedRequests)) << q;
    std::lock_guard lock(received.m);
    EXPECT_EQ(received.queries.back(), q);
    EXPECT_EQ(received.paths.back(), "/get");
  }
}

TEST(SearchBar, EnterAndGoSearchLeavingTheFieldDoesNot) {
  CSearchEngines engines;
  QueryHistory history;
  std::vector<std::string> searched;
  QWidget window;
  window.resize(640, 40);
  auto* bar = new QtQuickSearchBar(engines, history, [&](const std::string& q) { searched.push_back(q); }, &window);
  bar->resize(640, 36);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  // The lists fill the boxes as they change.
  TempDir dir;
  dir.write("englist.ini", "header\nGoogle;https://www.google.com/search?q=$key;get\n"
                           "DuckDuckGo;https://html.duckduckgo.com/html/?q=$key;post\n");
  engines.LoadSearchEngines(dir.file("englist.ini"));
  ASSERT_EQ(bar->engineBox()->count(), 2);
  EXPECT_EQ(bar->engineBox()->currentText(), "Google");
  bar->engineBox()->setCurrentIndex(1);
  EXPECT_EQ(engines.selectedIndex(), 1);

  history.RememberQuery("other");
  history.RememberQuery("kestrel");
  ASSERT_EQ(bar->queryBox()->count(), 2);
  EXPECT_EQ(bar->queryBox()->itemText(0), "kestrel");

  // Enter where the keyboard focus is when the box is clicked.
  bar->queryBox()->setFocus();
  QApplication::processEvents();
  QWidget* focus = QApplication::focusWidget();
  ASSERT_NE(focus, nullptr);
  QTest::keyClicks(focus, "  c++ & more ");
  QTest::keyClick(focus, Qt::Key_Return);
  EXPECT_EQ(searched, (std::vector<std::string>{"  c++ & more "}));

  // A refill keeps what is typed.
  history.RememberQuery("  c++ & more ");
  EXPECT_EQ(bar->QueryText(), "  c++ & more ");
  EXPECT_EQ(bar->queryBox()->count(), 3);

  // Leaving the field with an item's text (or the text of one but for
  // case) in it: no search, no choice of the item, the typing stays.
  int chosen = 0;
  QObject::connect(bar->queryBox(), &QComboBox::activated, [&] { ++chosen; });
  for (const char* text : {"other", "OTHER"}) {
    bar->SetQueryText(text);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(bar->queryEdit(), &out);
    QApplication::sendEvent(bar->queryBox(), &out);
    QApplication::processEvents();
    EXPECT_EQ(bar->QueryText(), text);
  }
  EXPECT_EQ(chosen, 0);
  EXPECT_EQ(bar->queryBox()->currentIndex(), -1);
  EXPECT_EQ(searched.size(), 1u);
  // Picking from the list fills the field only.
  bar->queryBox()->setCurrentIndex(2);
  EXPECT_EQ(bar->QueryText(), "other");
  EXPECT_EQ(searched.size(), 1u);

  QTest::mouseClick(bar->goButton(), Qt::LeftButton);
  EXPECT_EQ(searched, (std::vector<std::string>{"  c++ & more ", "other"}));
  history.Clear();
  EXPECT_EQ(bar->queryBox()->count(), 0);
  EXPECT_EQ(bar->QueryText(), "other");

  SaveShot(bar, "quick_search_bar");
  // The bar lets go of the lists when it goes.
  delete bar;
  history.RememberQuery("after");
  engines.LoadSearchEngines(dir.file("englist.ini"));
  EXPECT_EQ(engines.engines().size(), 4u);
}

}  // namespace
}  // namespace kestrel::test
