// The browser control on real pages served from 127.0.0.1: what each kind of
// page makes the engine report, and that the scripted control the other
// tests use reports the same things in the same order.
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>

#include <QWebEnginePage>
#include <algorithm>

#include "engine/engine_harness.h"
#include "support/fake_site.h"
#include "support/http_server.h"

namespace kestrel::test {
namespace {

const std::vector<std::string> kOrderKinds = {"BeforeNavigate2", "BeforeNavigate2(frame)", "DownloadBegin",
                                              "ProgressChange", "NavigateComplete2", "DownloadComplete",
                                              "DocumentComplete", "NewWindow2", "WindowSetWidth",
                                              "WindowSetHeight"};

std::string Page(const std::string& title, const std::string& body) {
  return "<!DOCTYPE html><html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server.Page("/a", Page("A", "a"));
    server.Page("/b", Page("B", "b"));
  }
  LocalHttpServer server;
  EngineSites sites;
};

TEST_F(EngineTest, TheScriptedControlReportsInTheEnginesOrder) {
  server.Page("/frames",
              "<html><head><title>F</title></head><frameset cols='50%,50%'><frame src='/a'><frame src='/b'>"
              "</frameset></html>");
  server.Page("/opener", Page("O", "<script>window.open('/a','','width=300,height=200')</script>"));
  server.Start();
  const std::string failed = "http://127.0.0.1:" + std::to_string(LocalHttpServer::ClosedPort()) + "/";

  // Real engine.
  auto real = [&](const std::string& url) {
    EngineSites s;
    EngineSite& site = s.Add();
    site.Load(url);
    EXPECT_TRUE(site.WaitLoaded()) << url;
    if (url.find("/opener") != std::string::npos) {
      EXPECT_TRUE(WaitFor([&] { return s.sites.size() == 2 && s.sites[1]->events.HasPrefix("DocumentComplete "); }));
      std::vector<std::string> both = site.events.Shape(kOrderKinds);
      for (const std::string& l : s.sites[1]->events.Shape(kOrderKinds)) both.push_back("child " + l);
      return both;
    }
    return site.events.Shape(kOrderKinds);
  };
  // The scripted control doing the same.
  auto fake = [&](const std::function<void(ScriptedControl&, RecordingEvents&)>& act) {
    ScriptedControl c;
    RecordingEvents ev;
    c.SetEvents(&ev);
    act(c, ev);
    return ev.Shape(kOrderKinds);
  };

  EXPECT_EQ(real(server.Url("/a")), fake([&](ScriptedControl& c, RecordingEvents&) { c.LoadPage(server.Url("/a"), "A"); }));
  EXPECT_EQ(real(failed), fake([&](ScriptedControl& c, RecordingEvents&) { c.FailPage(failed); }));
  EXPECT_EQ(real(server.Url("/frames")), fake([&](ScriptedControl& c, RecordingEvents&) {
              c.LoadPageWithFrames(server.Url("/frames"), "F", {server.Url("/a"), server.Url("/b")});
            }));

  ScriptedControl child;
  RecordingEvents childEvents;
  child.SetEvents(&childEvents);
  std::vector<std::string> expected = fake([&](ScriptedControl& c, RecordingEvents& ev) {
    ev.newWindow = [&](const NewWindowRequest&) -> BrowserControl* { return &child; };
    // The opener's page runs window.open while it loads: the request comes
    // between its title and the end of its load.
    NavigateRequest r;
    r.url = server.Url("/opener");
    bool cancel = false;
    ev.OnBeforeNavigate2(r, cancel);
    ev.OnDownloadBegin();
    ev.OnProgressChange(0, 100);
    ev.OnNavigateComplete2(r.url, true);
    NewWindowRequest w;
    w.url = server.Url("/a");
    w.features.width = 300;
    w.features.height = 200;
    c.OpenWindow(w, "A");
    ev.OnProgressChange(100, 100);
    ev.OnDownloadComplete();
    ev.OnDocumentComplete(r.url, true);
    ev.OnProgressChange(-1, 100);
  });
  for (const std::string& l : childEvents.Shape(kOrderKinds)) expected.push_back("child " + l);
  EXPECT_EQ(real(server.Url("/opener")), expected);
}

TEST_F(EngineTest, SlowPagesReportProgressAndTitlesFollowThePage) {
  std::string body = Page("Slow", std::string(20000, 'x') +
                                      "<script>setTimeout(function(){document.title='Changed';},300)</script>");
  server.SlowPage("/slow", body, 8, 150);
  server.Start();
  EngineSite& site = sites.Add();
  site.Load(server.Url("/slow"));
  bool sawBusy = false;
  ASSERT_TRUE(WaitFor([&] {
    sawBusy = sawBusy || site.control->Busy();
    return site.events.HasPrefix("DocumentComplete ");
  }));
  EXPECT_TRUE(sawBusy);
  EXPECT_FALSE(site.control->Busy());
  // Progress climbs through several steps and ends idle.
  std::vector<long> steps;
  for (const std::string& l : site.events.lines)
    if (l.rfind("ProgressChange ", 0) == 0) steps.push_back(std::stol(l.substr(15)));
  ASSERT_GE(steps.size(), 3u);
  EXPECT_EQ(steps.back(), -1);
  EXPECT_EQ(steps[steps.size() - 2], 100);
  EXPECT_TRUE(std::is_sorted(steps.begin(), steps.end() - 1));
  EXPECT_TRUE(site.events.Has("TitleChange Slow"));
  EXPECT_TRUE(WaitFor([&] { return site.events.Has("TitleChange Changed"); }));
  EXPECT_EQ(site.control->DocumentTitle(), "Changed");
}

TEST_F(EngineTest, FailedLoadsCarryTheErrorTitleAndRecover) {
  int served = 0;
  // Fails (an empty 404) the first time, works after.
  server.server().Get("/flaky", [&](const httplib::Request&, httplib::Response& res) {
    if (served++ == 0) {
      res.status = 404;
      return;
    }
    res.set_content(Page("Back again", ""), "text/html");
  });
  server.StatusPage("/missing", 404, Page("Not here", std::string(2000, 'n')));
  server.Start();

  // A closed port: the site counts as failed, the address stays the one asked for.
  EngineSite& closed = sites.Add();
  const std::string closedUrl = "http://127.0.0.1:" + std::to_string(LocalHttpServer::ClosedPort()) + "/x";
  closed.Load(closedUrl);
  ASSERT_TRUE(closed.WaitLoaded());
  EXPECT_EQ(closed.control->DocumentTitle(), "Cannot find server");
  EXPECT_EQ(closed.control->LocationName(), "Cannot find server");
  EXPECT_EQ(closed.control->LocationURL(), closedUrl);
  EXPECT_EQ(closed.events.lines.back(), "ProgressChange -1/100");
  // The error page takes no entry of its own: Back leads where the user was.
  EXPECT_EQ(closed.control->HistoryLength(), 1);
  EXPECT_TRUE(closed.events.Has("CommandStateChange back off"));
  EXPECT_FALSE(closed.events.Has("CommandStateChange back on"));

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
  flaky.events.lines.clear();
  flaky.control->Refresh();
  ASSERT_TRUE(flaky.WaitLoaded());
  EXPECT_EQ(flaky.control->DocumentTitle(), "Back again");
  EXPECT_EQ(flaky.control->LocationURL(), server.Url("/flaky"));
}

TEST_F(EngineTest, NewWindowsCarryWhatThePageAskedFor) {
  server.Page("/onload", Page("L", "<script>window.open('/a','pop','toolbar=no, menubar=no,location=yes,"
                                   "width=320,height=240')</script>"));
  server.Page("/click", Page("C", "<a id='link' href='/b' target='_blank' style='font-size:40px'>link</a><br>"
                                  "<button id='btn' style='width:200px;height:60px' "
                                  "onclick=\"window.open('/a','','status=no')\">open</button>"));
  server.Page("/closer", Page("X", "<script>var w = window.open('/selfclose');</script>"));
  server.Page("/selfclose", Page("S", "<script>setTimeout(function(){window.close();},100)</script>"));
  server.Start();

  EngineSite& onload = sites.Add();
  onload.Load(server.Url("/onload"));
  ASSERT_TRUE(onload.WaitLoaded());
  ASSERT_TRUE(WaitFor([&] { return sites.sites.size() == 2; }));
  ASSERT_EQ(onload.events.newWindows.size(), 1u);
  const NewWindowRequest& r = onload.events.newWindows[0];
  EXPECT_EQ(r.url, server.Url("/a"));
  EXPECT_TRUE(r.fromScript);
  EXPECT_FALSE(r.userInitiated);
  EXPECT_FALSE(r.features.toolBar);
  EXPECT_FALSE(r.features.menuBar);
  EXPECT_TRUE(r.features.addressBar);
  EXPECT_EQ(r.features.width, 320);
  EXPECT_EQ(r.features.height, 240);
  // The new site's control answers the appearance test with them.
  EngineSite& popup = *sites.sites[1];
  ASSERT_TRUE(popup.WaitLoaded());
  EXPECT_FALSE(popup.control->ToolBar());
  EXPECT_FALSE(popup.control->MenuBar());
  EXPECT_TRUE(popup.control->AddressBar());
  EXPECT_EQ(popup.control->DocumentTitle(), "A");
  EXPECT_TRUE(popup.events.Has("WindowSetWidth 320"));

  // A user's click on a button and on a target=_blank link.
  EngineSite& click = sites.Add();
  click.Load(server.Url("/click"));
  ASSERT_TRUE(click.WaitLoaded());
  // The view may take input a moment after the page is loaded: click again
  // until the click arrives.
  auto clickUntilWindow = [&](const std::string& id, std::size_t want) {
    for (int attempt = 0; attempt < 10 && click.events.newWindows.size() < want; ++attempt) {
      if (!ClickElementIn(*click.control, id)) return false;
      WaitFor([&] { return click.events.newWindows.size() >= want; }, 1500);
    }
    return click.events.newWindows.size() >= want;
  };
  ASSERT_TRUE(clickUntilWindow("btn", 1));
  EXPECT_TRUE(click.events.newWindows[0].userInitiated);
  EXPECT_TRUE(click.events.newWindows[0].fromScript);
  EXPECT_FALSE(click.events.newWindows[0].features.statusBar);
  Pump(200);
  const std::size_t beforeLink = click.events.newWindows.size();
  ASSERT_TRUE(clickUntilWindow("link", beforeLink + 1));
  const NewWindowRequest& link = click.events.newWindows[beforeLink];
  EXPECT_EQ(link.url, server.Url("/b"));
  EXPECT_TRUE(link.userInitiated);
  EXPECT_FALSE(link.fromScript);
  EXPECT_TRUE(link.features.menuBar && link.features.toolBar && link.features.addressBar);

  // A refused window: the page goes on and its window is gone.
  EngineSite& refused = sites.Add();
  refused.events.newWindow = nullptr;
  const std::size_t count = sites.sites.size();
  refused.Load(server.Url("/closer"));
  ASSERT_TRUE(refused.WaitLoaded());
  EXPECT_TRUE(WaitFor([&] { return EvalIn(*refused.control, "w === null || w.closed") == "true"; }, 5000));
  EXPECT_EQ(sites.sites.size(), count);

  // A window a script opened may close itself.
  const std::size_t before = sites.sites.size();
  EngineSite& opener = sites.Add();
  opener.Load(server.Url("/closer"));
  ASSERT_TRUE(WaitFor([&] { return sites.sites.size() == before + 2; }));
  EngineSite& self = *sites.sites.back();
  EXPECT_TRUE(WaitFor([&] { return self.events.closings == 1; }));
}

TEST_F(EngineTest, ScriptErrorsAndWindowExternalReachTheHostAndThePageGoesOn) {
  server.Page("/err", Page("E", "<script>console.error('just talking');</script>"
                                "<script>undefinedFunction();</script>"
                                "<script>window.external.addFavorite('http://one.example/');"
                                "window.external.addFavorite('http://two.example/', 'Two \"<b>\"');"
                                "window.external.addFavorite();"
                                "window.external.addFavorite('a', 'b', 'c');"
                                "document.dispatchEvent(new CustomEvent('kestrel-external', {detail: 42}));"
                                "document.title='still running';</script>"));
  server.Start();
  std::vector<std::string> calls;
  EngineSite& site = sites.Add();
  site.context.addFavorite = [&](const std::string& url, const std::string& title) { calls.push_back(url + "|" + title); };
  site.Load(server.Url("/err"));
  ASSERT_TRUE(site.WaitLoaded());
  ASSERT_TRUE(WaitFor([&] { return !site.events.scriptErrors.empty() && calls.size() >= 2; }));
  Pump(300);
  EXPECT_EQ(site.events.scriptErrors.size(), 1u);
  EXPECT_NE(site.events.scriptErrors[0].message.find("undefinedFunction"), std::string::npos);
  EXPECT_EQ(site.events.scriptErrors[0].source, server.Url("/err"));
  EXPECT_EQ(site.control->DocumentTitle(), "still running");
  EXPECT_EQ(calls, (std::vector<std::string>{"http://one.example/|http://one.example/",
                                             "http://two.example/|Two \"<b>\""}));

  // No main frame: the call does nothing at all.
  site.context.addFavorite = nullptr;
  EvalIn(*site.control, "window.external.addFavorite('http://three.example/')");
  Pump(300);
  EXPECT_EQ(calls.size(), 2u);
}

TEST_F(EngineTest, AKilledRendererFailsOnlyItsSiteAndCanBeReloaded) {
  server.Start();
  EngineSite& victim = sites.Add();
  victim.Load(server.Url("/a"));
  ASSERT_TRUE(victim.WaitLoaded());
  // Another origin has a renderer of its own.
  EngineSite& other = sites.Add();
  other.Load("http://localhost:" + std::to_string(server.port()) + "/b");
  ASSERT_TRUE(other.WaitLoaded());
  const qint64 pid = victim.control->view()->page()->renderProcessPid();
  ASSERT_GT(pid, 0);
  ASSERT_NE(pid, other.control->view()->page()->renderProcessPid());

  victim.events.lines.clear();
  ASSERT_EQ(::kill(static_cast<pid_t>(pid), SIGKILL), 0);
  ASSERT_TRUE(victim.WaitLoaded());
  EXPECT_EQ(victim.control->DocumentTitle(), "No page to display");
  EXPECT_EQ(victim.control->LocationURL(), server.Url("/a"));
  EXPECT_FALSE(victim.events.HasPrefix("BeforeNavigate2 data:"));
  EXPECT_EQ(EvalIn(*other.control, "document.title"), "\"B\"");

  victim.events.lines.clear();
  victim.control->Refresh();
  ASSERT_TRUE(victim.WaitLoaded());
  EXPECT_EQ(victim.control->DocumentTitle(), "A");
}

}  // namespace
}  // namespace kestrel::test
