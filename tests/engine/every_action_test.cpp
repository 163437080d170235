// The whole main window as the program wires it, with a real page open:
// every action of every menu, of the toolbar, of the accelerators and of the
// context menus either reaches a handler or is disabled, and choosing one
// reaches its subsystem.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QComboBox>
#include <QToolBar>
#include <set>

#include "app/app.h"
#include "engine/engine_harness.h"
#include "engine/key_state_qt.h"
#include "popups/popup_blocker.h"
#include "support/fake_site.h"
#include "support/fakes.h"
#include "support/http_server.h"
#include "ui/frame_window_qt.h"
#include "engine/program.h"
#include "ui/main_window_qt.h"

namespace kestrel::test {
namespace {


TEST(EveryAction, ReachesAHandlerOrIsDisabled) {
  LocalHttpServer server;
  server.Page("/", "<html><head><title>Menus</title></head><body>x</body></html>");
  server.Start();
  Program p;
  p.main->resolver().OpenTypedLines(server.Url("/"));
  ASSERT_TRUE(WaitFor([&] { return p.frame().ActiveView() && p.frame().ActiveView()->GetDocumentTitle() == "Menus"; }));
  p.window().UpdateCommandStates();

  const std::vector<QAction*> actions = p.window().allActions();
  std::set<unsigned> seen;
  int enabled = 0;
  for (QAction* a : actions) {
    const unsigned id = a->data().toUInt();
    SCOPED_TRACE(a->text().toStdString() + " " + std::to_string(id));
    if (id == 0) {
      // Only notes without a command have none.
      EXPECT_FALSE(a->isEnabled());
      continue;
    }
    seen.insert(id);
    if (a->isEnabled()) {
      ++enabled;
      EXPECT_TRUE(p.frame().commands().Has(id));
    }
    if (!p.frame().commands().Has(id)) {
      EXPECT_FALSE(a->isEnabled());
    }
  }
  // Every command of the menu has its action, fixed or dynamic.
  for (unsigned id : p.frame().menu().CommandIds()) {
    EXPECT_TRUE(seen.count(id)) << id;
  }
  // The languages and the shortcuts are there, the landed commands live.
  EXPECT_GT(enabled, 60);
  for (unsigned id : {unsigned(ID_FILE_OPEN), unsigned(ID_OPTIONS), unsigned(ID_BLOCK_POPUP), unsigned(ID_ALIASES),
                      unsigned(ID_VIEW_STATUS_BAR), unsigned(ID_SEARCH_ENGINE_DEFINITIONS), 9024u, 32918u,
                      unsigned(ID_ORGANIZE_AUTOLOGIN), unsigned(ID_FILL_ALL_FORMS)}) {
    EXPECT_TRUE(p.window().action(id) ? p.window().action(id)->isEnabled() : seen.count(id) > 0) << id;
  }
  // Features still to come are in the menu, disabled.
  for (unsigned id : {unsigned(ID_ORGANIZE_GROUPS), unsigned(ID_ADD_FAVORITE), unsigned(ID_CLEAN_HISTORY),
                      unsigned(ID_SAVE_ALL_FORMS)}) {
    ASSERT_NE(p.window().action(id), nullptr) << id;
    EXPECT_FALSE(p.window().action(id)->isEnabled()) << id;
  }

  // The window buttons in the menu bar's row act on the sites too.
  QToolBar* windowButtons = p.window().findChild<QToolBar*>(QStringLiteral("WindowButtons"));
  ASSERT_NE(windowButtons, nullptr);
  EXPECT_EQ(p.window().menuBar()->cornerWidget(Qt::TopRightCorner), windowButtons->parentWidget());
  std::vector<unsigned> buttons;
  for (QAction* a : windowButtons->actions()) buttons.push_back(a->data().toUInt());
  EXPECT_EQ(buttons, (std::vector<unsigned>{ID_PREV_WINDOW, ID_NEXT_WINDOW, ID_CLOSE_ALL, ID_SITE_MINIMIZE,
                                            ID_SITE_RESTORE, ID_FILE_CLOSE}));
  EXPECT_TRUE(windowButtons->actions()[5]->isEnabled());

  // The tab's menu asks for its own site.
  std::unique_ptr<QMenu> site = p.window().SitePopupFor(0);
  int siteItems = 0;
  for (QAction* a : site->actions()) {
    if (a->isSeparator()) continue;
    ++siteItems;
    const unsigned id = a->data().toUInt();
    if (a->isEnabled()) {
      EXPECT_TRUE(p.frame().commands().Has(id)) << id;
    }
    if (!p.frame().commands().Has(id)) {
      EXPECT_FALSE(a->isEnabled()) << id;
    }
  }
  EXPECT_EQ(siteItems, 8);
  EXPECT_FALSE(site->actions()[5]->isEnabled());  // Add To Group...: no groups yet

  // Choosing actions reaches their subsystems: a check mark of the frame,
  // one of popup blocking, one of the bands.
  Settings& s = p.app->settings;
  const bool autoNew = s.AutoNew, blocking = s.AutoClosePopup;
  p.window().action(ID_ALWAYS_NEW)->trigger();
  p.window().action(ID_BLOCK_POPUP)->trigger();
  p.window().action(ID_VIEW_STATUS_BAR)->trigger();
  EXPECT_NE(s.AutoNew, autoNew);
  EXPECT_NE(s.AutoClosePopup, blocking);
  EXPECT_TRUE(p.window().statusBar()->isHidden());
  EXPECT_FALSE(p.window().action(ID_VIEW_STATUS_BAR)->isChecked());
  EXPECT_EQ(p.window().action(ID_BLOCK_POPUP)->isChecked(), s.AutoClosePopup);
  // Home takes the page's site to the start page, as Home Page does.
  CKestrelView* page = p.frame().ActiveView();
  ASSERT_TRUE(p.frame().OnCommand(ID_GO_HOME));
  EXPECT_TRUE(WaitFor([&] { return page->GetLocationURL().find("/help/welcome.htm") != std::string::npos; }))
      << page->GetLocationURL();
  // Contribute Your Translation opens the shipped page that says how.
  const std::size_t before = p.frame().sites().sites().size();
  ASSERT_TRUE(p.frame().OnCommand(ID_CONTRIBUTE_TRANSLATION));
  ASSERT_EQ(p.frame().sites().sites().size(), before + 1);
  CKestrelView* help = p.frame().sites().newest();
  EXPECT_TRUE(WaitFor([&] { return help->GetDocumentTitle() == "Kestrel Help: Translating Kestrel"; }))
      << help->GetLocationURL();
}

TEST(EveryAction, TheStoredStatusBarIsAppliedAtStart) {
  Program hidden([](CKestrelApp& a) { a.settings.StatusBar = 0; });
  EXPECT_TRUE(hidden.window().statusBar()->isHidden());
  EXPECT_FALSE(hidden.window().StatusBarVisible());  // and saved so again
  EXPECT_FALSE(hidden.frame().CommandStateOf(ID_VIEW_STATUS_BAR).checked);
  hidden.main.reset();
  Program shown;
  EXPECT_FALSE(shown.window().statusBar()->isHidden());
}

TEST(EveryAction, TheAddressTakesTheSpareWidthOfItsRow) {
  Program p;
  QtFrameWindow& w = p.window();
  Pump(300);
  ASSERT_EQ(w.quickSearchToolBar()->y(), w.addressToolBar()->y());  // one row, as a new frame has them
  QComboBox* query = nullptr;
  for (QComboBox* box : w.quickSearchToolBar()->findChildren<QComboBox*>())
    if (box->isEditable()) query = box;
  ASSERT_NE(query, nullptr);
  EXPECT_GT(w.addressBox()->width(), 2 * query->width());
  // The row is used up to the window's edge, and follows a wider window.
  const QRect qs = w.quickSearchToolBar()->geometry();
  EXPECT_GT(qs.right(), w.width() - 40);
  const int before = w.addressBox()->width();
  w.resize(1400, 720);
  Pump(300);
  EXPECT_GT(w.addressBox()->width(), before + 300);
}

}  // namespace
}  // namespace kestrel::test
