// Skins on the real main window: the shipped ones drawn and shaped, the
// dialog that picks them, the frame's mouse zones, and skins made badly
// (what the skin files say: skin_test).
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <filesystem>

#include "gui/gui_frame.h"
#include "support/dialog_driver.h"
#include "support/fakes.h"
#include "support/temp_dir.h"
#include "ui/skins_qt.h"

namespace kestrel::test {
namespace {

struct SkinnedFrame : GuiFrame {
  std::vector<std::string> helpPages, opened;
  std::unique_ptr<QtSkinFrame> skin;
  explicit SkinnedFrame(const std::string& folder = KESTREL_DATA_DIR "/skins/") {
    Show(800, 600);
    skin = std::make_unique<QtSkinFrame>(QtSkinFrame::Parts{
        *w, *frame, settings, folder, [this](const std::string& page) { helpPages.push_back(page); },
        [this](const std::string& url) { opened.push_back(url); }});
    QTest::qWait(50);
  }
  ~SkinnedFrame() { skin.reset(); }
  QImage Shot() {
    QTest::qWait(50);
    return w->grab().toImage();
  }
  QMargins margins() const { return w->contentsMargins(); }
  // The mask of the window's shape, by whether each point is in it.
  std::vector<bool> Mask(std::initializer_list<QPoint> points) const {
    std::vector<bool> in;
    for (QPoint p : points) in.push_back(w->mask().contains(p));
    return in;
  }
};

// Whether some pixel of `area` in `image` passes `test`.
bool AnyPixel(const QImage& image, QRect area, const std::function<bool(QColor)>& test) {
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (test(image.pixelColor(x, y))) return true;
  return false;
}

TEST(SkinsGui, EachShippedSkinFramesShapesAndCaptionsTheWindowAndNoSkinGivesTheDesktopsFrameBack) {
  SkinnedFrame f;
  QtFrameWindow* w = f.w;
  w->setWindowTitle(QString());
  // The edge frame: its widths are its bitmaps', the buttons stand in their
  // automatic places, and the rounded top corners are cut from the window.
  EXPECT_EQ(f.skin->Apply("Slate"), CSkins::Applied::Changed);
  EXPECT_TRUE(w->windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(f.margins(), QMargins(4, 28, 4, 4));
  const int W = w->width();
  EXPECT_EQ(f.skin->button(2)->geometry(), QRect(W - 6 - 18 - 2, 5, 18, 18));
  EXPECT_EQ(f.Mask({{0, 0}, {W - 1, 0}, {W / 2, 1}, {W / 2, 300}}), (std::vector<bool>{false, false, true, true}));
  const QRect caption(30, 6, W - 84 - 30, 18);
  QImage shot = f.Shot();
  auto bright = [](QColor c) { return c.red() > 200 && c.green() > 200 && c.blue() > 200; };
  EXPECT_FALSE(AnyPixel(shot, caption, bright)) << "no title, no text";
  const QColor close = shot.pixelColor(f.skin->button(2)->geometry().topLeft() + QPoint(3, 9));
  EXPECT_GT(close.red(), close.green() + 60) << "the close button's own red face";
  w->setWindowTitle(QStringLiteral("Caption test - Kestrel"));
  shot = f.Shot();
  EXPECT_TRUE(AnyPixel(shot, caption, bright)) << "the title in CapTextColor";

  // The fill frame: default widths, a rounded window.
  EXPECT_EQ(f.skin->Apply("Dawn"), CSkins::Applied::Changed);
  EXPECT_EQ(f.margins(), QMargins(6, 29, 6, 6));
  EXPECT_EQ(f.Mask({{1, 1}, {W - 2, w->height() - 2}, {14, 1}}), (std::vector<bool>{false, false, true}));
  // Full screen drops the frame, and leaving it brings the frame back.
  w->showFullScreen();
  QTest::qWait(50);
  EXPECT_TRUE(f.margins().isNull() && f.skin->button(2)->isHidden());
  w->showNormal();
  QTest::qWait(50);
  EXPECT_EQ(f.margins(), QMargins(6, 29, 6, 6));

  // Disable Skin: the desktop's frame again, remembered as the empty name.
  f.frame->OnCommand(ID_DISABLE_SKIN);
  EXPECT_EQ(f.settings.SkinName, "");
  EXPECT_FALSE(w->windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(f.margins(), QMargins());
  EXPECT_TRUE(w->mask().isEmpty());
}

TEST(SkinsGui, TheCaptionMaximisesAndTheSystemMenuFollowsTheWindowsState) {
  SkinnedFrame f;
  QtFrameWindow* w = f.w;
  ASSERT_EQ(f.skin->Apply("Slate"), CSkins::Applied::Changed);
  const int W = w->width();
  // A double click on the caption maximises and restores.
  QTest::mouseDClick(w, Qt::LeftButton, {}, QPoint(W / 2, 14));
  EXPECT_TRUE(QTest::qWaitFor([&] { return w->isMaximized(); }));
  QTest::mouseDClick(w, Qt::LeftButton, {}, QPoint(w->width() / 2, 14));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !w->isMaximized(); }));
  // Right on the frame: the system menu, Restore off and Move on while normal.
  QStringList enabled;
  QTimer::singleShot(50, [&] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      for (QAction* a : menu->actions())
        if (!a->isSeparator() && a->isEnabled()) enabled << a->text().remove('&');
      menu->close();
    }
  });
  QTest::mousePress(w, Qt::RightButton, {}, QPoint(W / 2, 14));
  EXPECT_EQ(enabled, (QStringList{"Move", "Size", "Minimize", "Maximize", "Close"}));
  // The maximise button does what the caption's double click does.
  QTest::mouseClick(f.skin->button(1), Qt::LeftButton);
  EXPECT_TRUE(QTest::qWaitFor([&] { return w->isMaximized(); }));
  f.frame->OnCommand(ID_CAPTION_MAXIMIZE);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !w->isMaximized(); }));
}

TEST(SkinsGui, TheSelectSkinsDialogShowsWhoMadeEachSkinAndAppliesTheChosenOne) {
  SkinnedFrame f;
  MessageRecorder said;
  bool checked = false;
  WhenShown([&](QDialog* d) {
    auto* list = d->findChild<QListWidget*>(QStringLiteral("skin-list"));
    ASSERT_EQ(list->count(), 2);
    // Nothing chosen: OK asks for a choice and stays.
    Button(d, QStringLiteral("OK"))->click();
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(said.messages, std::vector<std::string>{"Please select a skin!"});
    list->setCurrentRow(1);
    EXPECT_EQ(d->findChild<QLabel*>(QStringLiteral("skin-author"))->text(), QStringLiteral("The Kestrel developers"));
    Button(d, QStringLiteral("Apply"))->click();
    EXPECT_EQ(f.skin->skins().name(), "Slate");
    EXPECT_TRUE(d->isVisible());
    Button(d, QStringLiteral("Help"))->click();
    EXPECT_EQ(f.helpPages, std::vector<std::string>{"skin.htm"});
    list->setCurrentRow(0);
    Button(d, QStringLiteral("Cancel"))->click();
    checked = true;
  });
  f.frame->OnCommand(ID_SELECT_SKIN);
  EXPECT_TRUE(checked);
  EXPECT_EQ(f.skin->skins().name(), "Slate") << "Cancel keeps what Apply applied";
}

// A BMP header and pixels for a `width` by `height` picture of one colour.
std::string Bmp(int width, int height) {
  const int row = (width * 3 + 3) & ~3;
  std::string data(static_cast<std::size_t>(row) * static_cast<std::size_t>(height), '\x40');
  auto u32 = [](std::uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
  auto u16 = [](std::uint16_t v) { return std::string{char(v), char(v >> 8)}; };
  return "BM" + u32(54 + static_cast<std::uint32_t>(data.size())) + u32(0) + u32(54) + u32(40) +
         u32(static_cast<std::uint32_t>(width)) + u32(static_cast<std::uint32_t>(height)) + u16(1) + u16(24) + u32(0) +
         u32(static_cast<std::uint32_t>(data.size())) + u32(2835) + u32(2835) + u32(0) + u32(0) + data;
}

TEST(SkinsGui, BadlyMadeSkinsDrawASaneWindowOrNone) {
  TempDir dir;
  auto skin = [&](const std::string& name, const std::string& ini, std::vector<std::pair<std::string, std::string>> files) {
    std::filesystem::create_directories(dir.file(name));
    if (!ini.empty()) dir.write(name + "/skin.ini", ini);
    for (const auto& [file, body] : files) dir.write(name + "/" + file, body);
  };
  const std::string good = Bmp(4, 30);
  skin("Broken edges", "[general]\nMinPos=abc\nCapRect=1\nCapTextColor=999,-4\n",
       {{"top.bmp", good.substr(0, 40)},      // truncated
        {"left.bmp", "this is not a bitmap"},  // not BMP
        {"right.bmp", ""},                     // empty
        {"bottom.bmp", Bmp(30000, 2)},         // far too wide
        {"topleft.bmp", good},
        {"min.bmp", Bmp(0, 0)}});
  skin("Huge frame", "[general]\nFrameRect=5000,-20,99999999999,7\nFrameCorner=-9\n", {});
  skin("No ini", "", {{"top.bmp", Bmp(1, 500)}});
  dir.write("A file", "not a folder");
  SkinnedFrame f(dir.path() + "/");
  MessageRecorder said;
  const std::pair<const char*, CSkins::Applied> cases[] = {{"Broken edges", CSkins::Applied::Changed},
                                                           {"Huge frame", CSkins::Applied::Changed},
                                                           {"No ini", CSkins::Applied::Changed},
                                                           {"A file", CSkins::Applied::NotFound}};
  for (const auto& [name, applied] : cases) {
    EXPECT_EQ(f.skin->Apply(name), applied) << name;
    const QMargins m = f.margins();
    for (int side : {m.left(), m.top(), m.right(), m.bottom()}) EXPECT_TRUE(side >= 0 && side <= 120) << name;
    EXPECT_GT(f.w->centralWidget()->width(), 400) << name;
    for (int i = 0; i < 4; ++i) EXPECT_LE(f.skin->button(i)->width(), 64) << name;
  }
  // Only what loaded counts: no straight edge of the broken frame did.
  ASSERT_EQ(f.skin->Apply("Broken edges"), CSkins::Applied::Changed);
  EXPECT_EQ(f.margins(), QMargins());
  EXPECT_EQ(said.messages, std::vector<std::string>{"Skin not found!"});
}

}  // namespace
}  // namespace kestrel::test
