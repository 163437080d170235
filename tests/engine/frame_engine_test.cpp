// The main frame with its real window and real pages: sites come and go
// while pages load, and the frame's list, tabs and active site stay sound.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenuBar>
#include <QScreen>
#include <QTabBar>
#include <algorithm>
#include <numeric>

#include "address/address_bar.h"
#include "engine/engine_harness.h"
#include "engine/real_frame.h"
#include "engine/key_state_qt.h"
#include "frame/main_frame.h"
#include "platform/profile.h"
#include "platform/profile_file.h"
#include "settings/settings.h"
#include "site/kestrel_view.h"
#include "support/fake_site.h"
#include "support/http_server.h"
#include "support/temp_dir.h"
#include "ui/frame_window_qt.h"
#include "ui/site_tab_bar_qt.h"

namespace kestrel::test {
namespace {

TEST(FrameOnEngine, SitesClosedInEveryOrderWhileLoadingLeaveASoundFrame) {
  LocalHttpServer server;
  server.SlowPage("/slow", "<html><head><title>Slow</title></head><body>" + std::string(8000, 's') + "</body></html>",
                  20, 200);
  server.Start();
  std::vector<int> order{0, 1, 2};
  int orders = 0;
  do {
    RealFrame f;
    std::vector<CKestrelView*> opened;
    for (int i = 0; i < 3; ++i) opened.push_back(f.Open(server.Url("/slow") + "?" + std::to_string(i)));
    ASSERT_TRUE(WaitFor([&] { return f.window->tabBar()->count() == 3; }));
    // Every page is still on its way in when the closing starts.
    ASSERT_TRUE(WaitFor([&] { return std::all_of(opened.begin(), opened.end(), [](CKestrelView* v) { return v->GetBusy(); }); }));
    for (int k = 0; k < 3; ++k) {
      CKestrelView* v = opened[static_cast<std::size_t>(order[static_cast<std::size_t>(k)])];
      const auto& list = f.frame->sites().sites();
      if (std::find(list.begin(), list.end(), v) == list.end()) continue;
      f.frame->OnSiteCloseRequested(&v->frame().window());
      Pump(30);
      f.ExpectSound();
    }
    // The last visible site was blanked, not closed.
    ASSERT_EQ(f.frame->sites().sites().size(), 1u);
    ASSERT_TRUE(WaitFor([&] { return f.frame->sites().sites()[0]->GetLocationURL() == "about:blank"; }));
    EXPECT_EQ(f.frame->ActiveView(), f.frame->sites().sites()[0]);
    ++orders;
  } while (std::next_permutation(order.begin(), order.end()));
  EXPECT_EQ(orders, 6);
}

TEST(FrameOnEngine, AWindowFloodGetsATabPerSiteAndCloseAllClearsIt) {
  LocalHttpServer server;
  server.Page("/a", "<html><head><title>A</title></head><body>a</body></html>");
  server.Page("/flood", "<html><head><title>Flood</title></head><body><script>"
                        "for (var i = 0; i < 120; i++) window.open('/a?' + i);</script></body></html>");
  server.Start();
  RealFrame f;
  CKestrelView* first = f.Open(server.Url("/flood"));
  ASSERT_NE(first, nullptr);
  ASSERT_TRUE(WaitFor([&] { return f.frame->sites().sites().size() == 121; }, 30000));
  ASSERT_TRUE(WaitFor([&] { return f.window->tabBar()->count() == 121; }, 60000));
  f.ExpectSound();
  f.frame->CloseAll();
  ASSERT_TRUE(WaitFor([&] { return f.frame->sites().sites().size() == 1; }, 30000));
  Pump(100);
  f.ExpectSound();
  EXPECT_EQ(f.window->tabBar()->count(), 1);
}

TEST(FrameOnEngine, FullScreenAndOfflineOnTheRealWindow) {
  LocalHttpServer server;
  server.Page("/a", "<html><head><title>Page A</title></head><body><h1>Page A</h1></body></html>");
  server.Page("/b", "<html><head><title>Page B</title></head><body><h1>Page B</h1></body></html>");
  server.Start();
  RealFrame f;
  f.Open(server.Url("/a"));
  CKestrelView* b = f.Open(server.Url("/b"));
  ASSERT_TRUE(WaitFor([&] { return b->GetDocumentTitle() == "Page B"; }));
  auto shot = [&](const char* name) {
    if (const char* dir = std::getenv("KESTREL_SHOT_DIR"))
      f.window->grab().save(QString::fromUtf8(dir) + "/" + name + ".png");
  };
  shot("frame_two_sites");

  const QRect normal = f.window->geometry();
  f.frame->OnCommand(ID_FULL_SCREEN);
  ASSERT_TRUE(WaitFor([&] { return f.window->isFullScreen(); }, 5000));
  Pump(200);
  EXPECT_FALSE(f.window->tabBar()->isVisible());
  EXPECT_FALSE(f.window->menuBar()->isVisible());
  EXPECT_EQ(f.window->geometry().size(), f.window->screen()->geometry().size());
  shot("frame_full_screen");
  f.frame->OnCommand(ID_FULL_SCREEN);
  ASSERT_TRUE(WaitFor([&] { return !f.window->isFullScreen(); }, 5000));
  Pump(200);
  EXPECT_TRUE(f.window->tabBar()->isVisible());
  EXPECT_EQ(f.window->geometry().size(), normal.size());

  // Offline: the engine refuses the network, the site shows it failed;
  // back online the same address loads.
  f.frame->OnCommand(ID_WORK_OFFLINE);
  ASSERT_TRUE(f.frame->modes().IsOffline());
  b->Navigate(server.Url("/a"));
  ASSERT_TRUE(WaitFor([&] { return b->GetDocumentTitle() == "Cannot find server"; }));
  EXPECT_TRUE(b->IsSiteFailed());
  f.frame->OnCommand(ID_WORK_OFFLINE);
  b->Refresh();
  ASSERT_TRUE(WaitFor([&] { return b->GetDocumentTitle() == "Page A"; }));
  EXPECT_FALSE(b->IsSiteFailed());
}

// The Address Bar on the real window, with the resolver and the typed list
// behind it as the program wires them.
struct TypingFrame : RealFrame {
  AliasList aliases;
  TypedUrlList typed;
  CAddressResolver resolver{*frame, aliases};
  std::unique_ptr<CAddressBar> bar;

  explicit TypingFrame(const RegistryProfile& saved = {}) {
    typed.Load(saved);
    bar = std::make_unique<CAddressBar>(*window, resolver, typed);
    frame->commands().Add(ID_ADDRESS_ENTER, [this](const CommandContext&) { bar->Enter(); });
    addressChosen = [this](int i) { bar->Choose(i); };
    addressEscape = [this] {
      if (CKestrelView* v = frame->ActiveView()) bar->Escape(v->GetLocationURL());
    };
  }
  ~TypingFrame() { bar.reset(); }
  QLineEdit* edit() const { return window->addressEdit(); }
  void Type(const std::string& text, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    edit()->setFocus();
    edit()->selectAll();
    QTest::keyClicks(edit(), QString::fromStdString(text));
    QTest::keyClick(edit(), Qt::Key_Return, mods);
  }
  QStringList Items() const {
    QStringList out;
    for (int i = 0; i < window->addressBox()->count(); ++i) out << window->addressBox()->itemText(i);
    return out;
  }
};

TEST(FrameOnEngine, TheAddressBarOpensWhatIsTypedWhereTheKeysSayAndRemembersIt) {
  LocalHttpServer server;
  for (const char* p : {"a", "b", "c"})
    server.Page(std::string("/") + p, std::string("<html><head><title>Page ") + p + "</title></head><body>" + p +
                                          "</body></html>");
  server.Start();
  const QString a = QString::fromStdString(server.Url("/a")), b = QString::fromStdString(server.Url("/b")),
                c = QString::fromStdString(server.Url("/c"));
  RegistryProfile saved;
  {
    TypingFrame f;
    f.settings.AutoNew = 0;
    CKestrelView* first = f.Open(server.Url("/a"));
    ASSERT_TRUE(WaitFor([&] { return first->GetDocumentTitle() == "Page a"; }));
    ASSERT_TRUE(WaitFor([&] { return f.frame->ActiveView() == first; }));

    // Enter opens in the active site; the field then follows the page.
    f.Type("  " + server.Url("/b") + "  ");
    EXPECT_EQ(f.edit()->text(), b);  // trimmed at once
    ASSERT_TRUE(WaitFor([&] { return first->GetDocumentTitle() == "Page b"; }));
    EXPECT_EQ(f.frame->sites().sites().size(), 1u);
    EXPECT_FALSE(f.window->AddressBeingEdited());

    // Ctrl+Enter opens a new site; while Ctrl is still held it stays behind
    // the active one. Shift+Enter opens a new site that comes to the front.
    CKestrelView* behind = nullptr;
    {
      QtKeyState::EventScope held(Qt::ControlModifier);  // the user keeps Ctrl down
      f.Type(server.Url("/c"), Qt::ControlModifier);
      ASSERT_EQ(f.frame->sites().sites().size(), 2u);
      behind = f.frame->sites().sites().back();
      ASSERT_TRUE(WaitFor([&] { return behind->GetDocumentTitle() == "Page c"; }));
    }
    EXPECT_EQ(f.frame->ActiveView(), first);
    EXPECT_EQ(f.window->tabBar()->count(), 2);
    EXPECT_EQ(f.frame->tabBar().selected(), 0);
    f.Type(server.Url("/a"), Qt::ShiftModifier);
    ASSERT_EQ(f.frame->sites().sites().size(), 3u);
    CKestrelView* front = f.frame->sites().sites().back();
    ASSERT_TRUE(WaitFor([&] { return f.frame->ActiveView() == front && front->GetDocumentTitle() == "Page a"; }));
    EXPECT_EQ(f.Items(), (QStringList{a, c, b}));
    EXPECT_EQ(f.window->addressBox()->currentIndex(), -1);  // Enter added no item of the box's own

    // Escape after typing puts the page's address back.
    f.edit()->setFocus();
    QTest::keyClicks(f.edit(), "half typed");
    QTest::keyClick(f.edit(), Qt::Key_Escape);
    EXPECT_EQ(f.edit()->text(), a);
    EXPECT_TRUE(f.window->AddressBeingEdited());

    // Leaving the field with a listed address in it opens nothing.
    f.edit()->setText(c);
    f.window->tabBar()->setFocus();
    Pump(300);
    EXPECT_EQ(f.frame->sites().sites().size(), 3u);
    EXPECT_EQ(f.Items(), (QStringList{a, c, b}));
    EXPECT_EQ(front->GetDocumentTitle(), "Page a");
    f.edit()->setFocus();

    // A choice from the drop-down opens it and moves it up.
    emit f.window->addressBox()->activated(2);
    ASSERT_TRUE(WaitFor([&] { return f.frame->ActiveView()->GetDocumentTitle() == "Page b"; }));
    EXPECT_EQ(f.Items(), (QStringList{b, a, c}));
    EXPECT_EQ(f.frame->sites().sites().size(), 3u);
    ASSERT_TRUE(f.typed.Save(saved));
  }
  // The next start shows the list in the same order.
  TempDir dir;
  ASSERT_TRUE(ProfileFile(dir.file("p.reg")).Save(saved));
  RegistryProfile loaded;
  ASSERT_EQ(ProfileFile(dir.file("p.reg")).Load(loaded), ProfileFile::LoadResult::Loaded);
  TypingFrame again(loaded);
  EXPECT_EQ(again.Items(), (QStringList{b, a, c}));
}

TEST(FrameOnEngine, TheMouseSideButtonsGoBackAndForward) {
  LocalHttpServer server;
  server.Page("/one", "<html><head><title>One</title></head><body>1</body></html>");
  server.Page("/two", "<html><head><title>Two</title></head><body>2</body></html>");
  server.Start();
  RealFrame f;
  f.settings.SideBtnSupport = false;
  CKestrelView* v = f.OpenLoaded(server.Url("/one"), "One");
  ASSERT_NE(v, nullptr);
  v->Navigate(server.Url("/two"));
  ASSERT_TRUE(WaitFor([&] { return v->GetDocumentTitle() == "Two" && !v->GetBusy() && v->CanGoBack(); }));
  QWidget* input = Engine(v).view()->focusProxy();
  ASSERT_NE(input, nullptr);
  auto press = [&](Qt::MouseButton b) {
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(20, 20), input->mapToGlobal(QPointF(20, 20)), b, b, {});
    QApplication::sendEvent(input, &e);
  };
  // Switched off, the buttons leave the page where it is.
  press(Qt::BackButton);
  Pump(700);
  EXPECT_EQ(v->GetDocumentTitle(), "Two");
  f.settings.SideBtnSupport = true;
  press(Qt::BackButton);
  EXPECT_TRUE(WaitFor([&] { return v->GetDocumentTitle() == "One"; }));
  press(Qt::ForwardButton);
  EXPECT_TRUE(WaitFor([&] { return v->GetDocumentTitle() == "Two"; }));
}

TEST(FrameOnEngine, TheCaptionIsThePagesTitleAndKestrelAlone) {
  LocalHttpServer server;
  server.Page("/t", "<html><head><title>Caption Page</title></head><body>t</body></html>");
  server.Start();
  RealFrame f;
  CKestrelView* v = f.OpenLoaded(server.Url("/t"), "Caption Page");
  ASSERT_NE(v, nullptr);
  ASSERT_TRUE(v->frame().window().IsMaximized());  // the first site fills the frame
  Pump(200);
  EXPECT_EQ(f.window->windowTitle().toStdString(), "Caption Page - Kestrel");
  // A second site over it, maximised too, and back.
  CKestrelView* w = f.OpenLoaded(server.Url("/t?2"), "Caption Page");
  ASSERT_NE(w, nullptr);
  f.frame->OnCommand(ID_NEXT_WINDOW);
  Pump(200);
  EXPECT_EQ(f.window->windowTitle().toStdString(), "Caption Page - Kestrel");
}

TEST(FrameOnEngine, ASiteBehindTheActiveOneLaysOutAtTheSizeItWillBeShownAt) {
  LocalHttpServer server;
  server.Page("/p", "<html><head><title>P</title></head><body>p</body></html>");
  server.Start();
  RealFrame f;
  CKestrelView* front = f.OpenLoaded(server.Url("/p?front"), "P");
  ASSERT_NE(front, nullptr);
  // Opened behind (Ctrl held), and the one that goes behind when another comes up.
  CKestrelView* behind = f.OpenLoaded(server.Url("/p?behind"), "P");
  ASSERT_NE(behind, nullptr);
  f.frame->OnCommand(ID_PREV_WINDOW);
  Pump(300);
  ASSERT_EQ(f.frame->ActiveView(), front);
  const int area = f.window->mdiArea()->viewport()->width();
  auto innerWidth = [](CKestrelView* v) {
    return std::stoi("0" + EvalIn(Engine(v), "window.innerWidth"));
  };
  EXPECT_GT(innerWidth(behind), area * 3 / 4);
  EXPECT_GT(innerWidth(front), area * 3 / 4);
}

TEST(FrameOnEngine, ABlankSiteComesIntoViewWithItsTab) {
  RealFrame f;
  CKestrelView* v = f.Open("about:blank");
  ASSERT_TRUE(WaitFor([&] { return v->frame().IsVisible() && !v->GetBusy(); }));
  EXPECT_EQ(f.frame->sites().tabs(), (std::vector<CKestrelView*>{v}));
  EXPECT_EQ(f.frame->ActiveView(), v);
  EXPECT_TRUE(v->IsSiteBlank());
  f.ExpectSound();
}

}  // namespace
}  // namespace kestrel::test
