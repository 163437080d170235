// The main frame with its real window and real pages: sites come and go
// while pages load, and the frame's list, tabs and active site stay sound.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>

#include "address/address_bar.h"
#include "engine/real_frame.h"
#include "platform/profile_file.h"
#include "support/dialog_driver.h"
#include "support/http_server.h"
#include "support/temp_dir.h"

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

TEST(FrameOnEngine, FullScreenAndOfflineOnTheRealWindow) {
  LocalHttpServer server;
  server.Page("/a", "<html><head><title>Page A</title></head><body><h1>Page A</h1></body></html>");
  server.Page("/b", "<html><head><title>Page B</title></head><body><h1>Page B</h1></body></html>");
  server.Start();
  RealFrame f;
  f.Open(server.Url("/a"));
  CKestrelView* b = f.Open(server.Url("/b"));
  ASSERT_TRUE(WaitFor([&] { return b->GetDocumentTitle() == "Page B"; }));
  SaveShot(f.window.get(), "frame_two_sites");

  const QRect normal = f.window->geometry();
  f.frame->OnCommand(ID_FULL_SCREEN);
  ASSERT_TRUE(WaitFor([&] { return f.window->isFullScreen(); }, 5000));
  Pump(200);
  EXPECT_FALSE(f.window->tabBar()->isVisible());
  EXPECT_FALSE(f.window->menuBar()->isVisible());
  EXPECT_EQ(f.window->geometry().size(), f.window->screen()->geometry().size());
  SaveShot(f.window.get(), "frame_full_screen");
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

TEST(FrameOnEngine, SitesComeIntoViewCaptionedAtFullSizeAndTheSideButtonsStepThroughThem) {
  LocalHttpServer server;
  server.Page("/one", "<html><head><title>One</title></head><body>1</body></html>");
  server.Page("/two", "<html><head><title>Two</title></head><body>2</body></html>");
  server.Start();
  RealFrame f;
  f.settings.SideBtnSupport = false;
  // A blank site comes into view with its tab.
  CKestrelView* front = f.Open("about:blank");
  ASSERT_TRUE(WaitFor([&] { return front->frame().IsVisible() && !front->GetBusy(); }));
  EXPECT_EQ(f.frame->sites().tabs(), (std::vector<CKestrelView*>{front}));
  EXPECT_EQ(f.frame->ActiveView(), front);
  EXPECT_TRUE(front->IsSiteBlank());
  f.ExpectSound();

  // The caption is the page's title and Kestrel alone; the first site fills the frame.
  front->Navigate(server.Url("/one"));
  ASSERT_TRUE(WaitFor([&] { return front->GetDocumentTitle() == "One" && !front->GetBusy(); }));
  ASSERT_TRUE(front->frame().window().IsMaximized());
  Pump(200);
  EXPECT_EQ(f.window->windowTitle().toStdString(), "One - Kestrel");
  // A second site over it, then back: the caption follows, and the site that went
  // behind lays out at the size it will be shown at.
  CKestrelView* behind = f.OpenLoaded(server.Url("/two"), "Two");
  ASSERT_NE(behind, nullptr);
  Pump(200);
  EXPECT_EQ(f.window->windowTitle().toStdString(), "Two - Kestrel");
  f.frame->OnCommand(ID_PREV_WINDOW);
  Pump(300);
  ASSERT_EQ(f.frame->ActiveView(), front);
  EXPECT_EQ(f.window->windowTitle().toStdString(), "One - Kestrel");
  const int area = f.window->mdiArea()->viewport()->width();
  for (CKestrelView* v : {behind, front})
    EXPECT_GT(std::stoi("0" + EvalIn(Engine(v), "window.innerWidth")), area * 3 / 4);

  // The mouse side buttons: switched off, they leave the page where it is.
  front->Navigate(server.Url("/two"));
  ASSERT_TRUE(WaitFor([&] { return front->GetDocumentTitle() == "Two" && front->CanGoBack() && !front->GetBusy(); }));
  QWidget* input = Engine(front).view()->focusProxy();
  ASSERT_NE(input, nullptr);
  auto press = [&](Qt::MouseButton b) {
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(20, 20), input->mapToGlobal(QPointF(20, 20)), b, b, {});
    QApplication::sendEvent(input, &e);
  };
  press(Qt::BackButton);
  Pump(700);
  EXPECT_EQ(front->GetDocumentTitle(), "Two");
  f.settings.SideBtnSupport = true;
  press(Qt::BackButton);
  EXPECT_TRUE(WaitFor([&] { return front->GetDocumentTitle() == "One"; }));
  press(Qt::ForwardButton);
  EXPECT_TRUE(WaitFor([&] { return front->GetDocumentTitle() == "Two"; }));
}

}  // namespace
}  // namespace kestrel::test
