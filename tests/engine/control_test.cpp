// One control on real pages in the real engine: the order of its events
// (and that the scripted control used by the unit tests keeps it), progress,
// failures, new windows, script errors and searches.
#include <gtest/gtest.h>
#include <httplib.h>

#include <QTimer>
#include <QUrlQuery>
#include <mutex>

#include "address/search_engines.h"
#include "engine/engine_harness.h"
#include "support/temp_dir.h"

namespace kestrel::test {
namespace {

const std::vector<std::string> kOrderKinds = {"BeforeNavigate2", "BeforeNavigate2(frame)", "DownloadBegin",
                                              "ProgressChange", "NavigateComplete2", "DownloadComplete",
                                              "DocumentComplete", "NewWindow2", "WindowSetWidth",
                                              "WindowSetHeight"};

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server.Page("/a", Html("A", "a"));
    server.Page("/b", Html("B", "b"));
  }
  LocalHttpServer server;
  EngineSites sites;
};

TEST_F(EngineTest, TheScriptedControlReportsInTheEnginesOrder) {
  server.Page("/frames",
              "<html><head><title>F</title></head><frameset cols='50%,50%'><frame src='/a'><frame src='/b'>"
              "</frameset></html>");
  server.Start();
  const std::string failed = ClosedUrl();
  // How often the engine reports progress between two events is its own
  // timing (frames starting): the order of everything else, and the end of
  // each load, is what is compared.
  auto steps = [](std::vector<std::string> shape) {
    std::erase(shape, "Progress");
    return shape;
  };
  auto real = [&](const std::string& url) {
    EngineSites s;
    EngineSite& site = s.Add();
    site.Load(url);
    EXPECT_TRUE(site.WaitLoaded()) << url;
    return steps(site.events.Shape(kOrderKinds));
  };
  // The scripted control doing the same.
  auto fake = [&](const std::function<void(ScriptedControl&)>& act) {
    ScriptedControl c;
    RecordingEvents ev;
    c.SetEvents(&ev);
    act(c);
    return steps(ev.Shape(kOrderKinds));
  };
  EXPECT_EQ(real(server.Url("/a")), fake([&](ScriptedControl& c) { c.LoadPage(server.Url("/a"), "A"); }));
  EXPECT_EQ(real(failed), fake([&](ScriptedControl& c) { c.FailPage(failed); }));
  EXPECT_EQ(real(server.Url("/frames")), fake([&](ScriptedControl& c) {
              c.LoadPageWithFrames(server.Url("/frames"), "F", {server.Url("/a"), server.Url("/b")});
            }));
}

TEST_F(EngineTest, SlowPagesReportProgressAndTitlesFollowThePage) {
  server.SlowPage("/slow", Html("Slow", std::string(20000, 'x') +
                                            "<script>setTimeout(function(){document.title='Changed';},300)</script>"),
                  8, 150);
  server.Page("/a-picture", Html("A", "a<img src='/no-such-picture.png'>"));
  server.Start();
  EngineSite& site = sites.Add();
  site.Load(server.Url("/slow"));
  bool sawBusy = false;
  ASSERT_TRUE(WaitFor([&] {
    sawBusy = sawBusy || site.control->Busy();
    return site.events.HasPrefix("DocumentComplete ");
  }));
  EXPECT_TRUE(sawBusy && !site.control->Busy());
  // Progress climbs through several steps and ends idle.
  std::vector<long> steps;
  for (const std::string& l : site.events.lines)
    if (l.rfind("ProgressChange ", 0) == 0) steps.push_back(std::stol(l.substr(15)));
  ASSERT_GE(steps.size(), 3u);
  EXPECT_EQ(steps.back(), -1);
  EXPECT_TRUE(std::is_sorted(steps.begin(), steps.end() - 1));
  EXPECT_TRUE(WaitFor([&] { return site.events.Has("TitleChange Changed"); }));
  EXPECT_EQ(site.control->DocumentTitle(), "Changed");

  // A user who goes on the moment the title shows, just before the page has
  // ended: the engine reports only the old page's end, which the site must not
  // take for the new page's; the new page gets its start and its own end, once.
  for (int delay : {0, 0, 0, 1, 2, 5}) {
    EngineSite& quick = sites.Add();
    quick.events.titleChanged = [&, delay](const std::string& title) {
      if (title == "A") QTimer::singleShot(delay, [&] { quick.Load(server.Url("/b")); });
    };
    quick.Load(server.Url("/a-picture"));
    const std::vector<std::string>& lines = quick.events.lines;
    const std::string endOfB = "DocumentComplete " + server.Url("/b");
    EXPECT_TRUE(WaitFor([&] { return quick.events.Has(endOfB); })) << "delay " << delay;
    Pump(300);
    EXPECT_FALSE(quick.control->Busy());
    EXPECT_EQ(std::count(lines.begin(), lines.end(), endOfB), 1);
    const auto b = std::find(lines.begin(), lines.end(), "NavigateComplete2 " + server.Url("/b"));
    ASSERT_NE(b, lines.end());
    EXPECT_NE(std::find(lines.begin(), b, "DownloadBegin"), b);
    const auto asked = std::find(lines.begin(), b, "BeforeNavigate2 " + server.Url("/b"));
    EXPECT_EQ(std::find(asked, b, "DocumentComplete " + server.Url("/a-picture")), b) << "delay " << delay;
  }
}

TEST_F(EngineTest, FailedLoadsCarryTheErrorTitleAndRecover) {
  int served = 0;
  // Fails (an empty 404) the first time, works after.
  server.server().Get("/flaky", [&](const httplib::Request&, httplib::Response& res) {
    if (served++ == 0) {
      res.status = 404;
      return;
    }
    res.set_content(Html("Back again"), "text/html");
  });
  server.StatusPage("/missing", 404, Html("Not here", std::string(2000, 'n')));
  server.Start();
  // A closed port: the site counts as failed, the address stays the one asked for.
  EngineSite& closed = sites.Add();
  const std::string closedUrl = ClosedUrl("/x");
  closed.Load(closedUrl);
  ASSERT_TRUE(closed.WaitLoaded());
  EXPECT_EQ(closed.control->DocumentTitle(), "Cannot find server");
  EXPECT_EQ(closed.control->LocationURL(), closedUrl);
  // The error page takes no entry of its own: Back leads where the user was.
  EXPECT_EQ(closed.control->HistoryLength(), 1);
  EXPECT_TRUE(closed.events.Has("CommandStateChange back off") && !closed.events.Has("CommandStateChange back on"));
  // A 404 with a page of its own is a loaded page.
  EngineSite& missing = sites.Add();
  missing.Load(server.Url("/missing"));
  ASSERT_TRUE(missing.WaitLoaded());
  EXPECT_EQ(missing.control->DocumentTitle(), "Not here");
  // An empty 404 fails; Refresh loads the address again and the failure is gone.
  EngineSite& flaky = sites.Add();
  flaky.Load(server.Url("/flaky"));
  ASSERT_TRUE(flaky.WaitLoaded());
  EXPECT_EQ(flaky.control->DocumentTitle(), "Cannot find server");
  flaky.events.lines.clear();  // the next end is the refreshed page's
  flaky.control->Refresh();
  ASSERT_TRUE(flaky.WaitLoaded());
  EXPECT_EQ(flaky.control->DocumentTitle(), "Back again");
}

TEST_F(EngineTest, NewWindowsCarryWhatThePageAskedFor) {
  server.Page("/onload", Html("L", "<script>window.open('/a','pop','toolbar=no, menubar=no,location=yes,"
                                   "width=320,height=240')</script>"));
  server.Page("/closer", Html("X", "<script>var w = window.open('/selfclose');</script>"));
  server.Page("/selfclose", Html("S", "<script>setTimeout(function(){window.close();},100)</script>"));
  server.Start();
  EngineSite& onload = sites.Add();
  onload.Load(server.Url("/onload"));
  ASSERT_TRUE(onload.WaitLoaded());
  ASSERT_TRUE(WaitFor([&] { return sites.sites.size() == 2; }));
  ASSERT_EQ(onload.events.newWindows.size(), 1u);
  const NewWindowRequest& r = onload.events.newWindows[0];
  EXPECT_EQ(r.url, server.Url("/a"));
  EXPECT_TRUE(r.fromScript && !r.userInitiated);
  EXPECT_TRUE(!r.features.menuBar && !r.features.toolBar && r.features.addressBar);
  EXPECT_EQ(r.features.width, 320);
  EXPECT_EQ(r.features.height, 240);
  // The new site's control answers the appearance test with them.
  EngineSite& popup = *sites.sites[1];
  ASSERT_TRUE(popup.WaitLoaded());
  EXPECT_TRUE(!popup.control->ToolBar() && !popup.control->MenuBar() && popup.control->AddressBar());
  EXPECT_TRUE(popup.events.Has("WindowSetWidth 320"));

  // A refused window: the page goes on and its window is gone.
  EngineSite& refused = sites.Add();
  refused.events.newWindow = nullptr;
  const std::size_t count = sites.sites.size();
  refused.Load(server.Url("/closer"));
  ASSERT_TRUE(refused.WaitLoaded());
  EXPECT_TRUE(WaitFor([&] { return EvalIn(*refused.control, "w === null || w.closed") == "true"; }, 5000));
  EXPECT_EQ(sites.sites.size(), count);
  // A window a script opened may close itself.
  sites.Add().Load(server.Url("/closer"));
  ASSERT_TRUE(WaitFor([&] { return sites.sites.size() == count + 2; }));
  EngineSite& self = *sites.sites.back();
  EXPECT_TRUE(WaitFor([&] { return self.events.closings == 1; }));
}

TEST_F(EngineTest, ScriptErrorsAndWindowExternalReachTheHostAndThePageGoesOn) {
  server.Page("/err", Html("E", "<script>console.error('just talking');</script>"
                                "<script>undefinedFunction();</script>"
                                "<script>window.external.addFavorite('http://one.example/');"
                                "window.external.addFavorite();"
                                "document.dispatchEvent(new CustomEvent('kestrel-external', {detail: 42}));"
                                // The report a page can send itself: only a well-formed call counts.
                                "prompt('\\x01kestrel-external', '42');"
                                "prompt('\\x01kestrel-external', '{\"call\":\"addFavorite\",\"url\":7,\"title\":\"t\"}');"
                                "document.title='still running';</script>"));
  server.Start();
  std::vector<std::string> calls;
  EngineSite& site = sites.Add();
  site.context.addFavorite = [&](const std::string& url, const std::string& title) { calls.push_back(url + "|" + title); };
  site.Load(server.Url("/err"));
  ASSERT_TRUE(site.WaitLoaded());
  ASSERT_TRUE(WaitFor([&] { return !site.events.scriptErrors.empty() && !calls.empty(); }));
  Pump(300);
  ASSERT_EQ(site.events.scriptErrors.size(), 1u);
  EXPECT_NE(site.events.scriptErrors[0].message.find("undefinedFunction"), std::string::npos);
  EXPECT_EQ(site.control->DocumentTitle(), "still running");
  // Without a title the address is the name; a call without an address is nothing.
  EXPECT_EQ(calls, (std::vector<std::string>{"http://one.example/|http://one.example/"}));
}

// Searches against a loopback server: the generated POST page submits its
// form on load and the engine's answer replaces it; a GET query arrives as
// the characters typed.
using Fields = std::vector<std::pair<std::string, std::string>>;

// application/x-www-form-urlencoded, in the order sent: a "+" is a space
// (one typed is sent as %2B).
Fields DecodeForm(std::string body) {
  std::replace(body.begin(), body.end(), '+', ' ');
  Fields fields;
  for (const auto& [name, value] : QUrlQuery(QString::fromStdString(body)).queryItems(QUrl::FullyDecoded))
    fields.emplace_back(name.toStdString(), value.toStdString());
  return fields;
}

TEST(SearchOnEngine, PostFormsArriveWithEveryFieldIntactAndGetQueriesAsTyped) {
  FakeDialogs dialogs;
  SetMessagePresenter(&dialogs);
  LocalHttpServer server;
  // What the server saw, as "path|content type|body|q", written on its thread and read on ours.
  std::mutex m;
  std::vector<std::string> paths, bodies, queries;
  auto answer = [&](const httplib::Request& req, httplib::Response& res) {
    std::lock_guard lock(m);
    paths.push_back(req.path + (req.method == "POST" ? " " + req.get_header_value("Content-Type") : ""));
    bodies.push_back(req.body);
    queries.push_back(req.has_param("q") ? req.get_param_value("q") : "<none>");
    res.set_content(Html("Answer", "found"), "text/html");
  };
  server.server().Post("/search", answer);
  server.server().Get("/get", answer);
  server.Start();
  TempDir dir;
  EngineSites sites;
  EngineSite& site = sites.Add();
  // The control opens what the resolver hands it; a path is a file. The
  // generated page may submit to the web; other local pages may not.
  SearchRunner runner([&site](const std::string& text) { site.Load(text); }, dir.file("postform.htm"));
  site.context.webFormPages = {dir.file("postform.htm")};
  std::size_t requests = 0;
  // Runs one search and waits for its answer, leaving the last one first
  // so that the answer's title is this search's own.
  auto search = [&](const std::string& engine, const std::string& q, bool get) {
    site.Load("about:blank");
    WaitFor([&] { return site.control->DocumentTitle() != "Answer"; });
    runner.RunSearch(engine, q, get);
    ++requests;
    return WaitFor([&] {
      std::lock_guard lock(m);
      return paths.size() >= requests && site.control->DocumentTitle() == "Answer";
    });
  };
  const std::string form = " application/x-www-form-urlencoded";
  for (const std::string& q : {std::string("plain words"), std::string("'\"><script>document.title='pwned'</script>"),
                               std::string("x' name='evil'><input type='hidden' name='injected' value='1"),
                               std::string("</form><form method='GET' action='http://127.0.0.1:1/'>"),
                               std::string("caf\xc3\xa9 \xe4\xb8\xad\xe6\x96\x87 \xf0\x9f\x90\xa6 c++ 50% #1 a=b")}) {
    ASSERT_TRUE(search(server.Url("/search") + "?q=$key&&lang=en&n$key=1", q, false)) << q;
    std::lock_guard lock(m);
    EXPECT_EQ(paths.back(), "/search" + form);
    // A field's name ends at its first "=".
    const std::string third = "n" + q + "=1";
    const std::size_t eq = third.find('=');
    EXPECT_EQ(DecodeForm(bodies.back()), (Fields{{"q", q}, {"lang", "en"}, {third.substr(0, eq), third.substr(eq + 1)}}))
        << q;
  }
  EXPECT_TRUE(dialogs.shown.empty());
  // A GET query arrives as the characters typed.
  for (const std::string& q : {std::string("c++ & 50%"), std::string("#1 a=b?c/d"), std::string("caf\xc3\xa9 \"<x>\"")}) {
    ASSERT_TRUE(search(server.Url("/get") + "?q=$key&n=1", q, true)) << q;
    std::lock_guard lock(m);
    EXPECT_EQ(queries.back(), q);
    EXPECT_EQ(paths.back(), "/get");
  }
  SetMessagePresenter(nullptr);
}

}  // namespace
}  // namespace kestrel::test
