#pragma once
// The real main window with its frame and no site, over a profile in memory
// and a clock and keys the test moves; and what the GUI tests read off it.
#include <QApplication>
#include <QInputDialog>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>
#include <memory>

#include "frame/main_frame.h"
#include "settings/download_control.h"
#include "support/fake_site.h"
#include "ui/frame_window_qt.h"

namespace kestrel::test {

struct GuiFrame {
  RegistryProfile profile = [] {
    RegistryProfile p;
    SeedBrowserDefaults(p);  // as reading the settings does at start
    return p;
  }();
  Settings settings;
  FakeClock clock;
  FakeKeys keys;
  std::unique_ptr<QtFrameWindow> window = std::make_unique<QtFrameWindow>(QtFrameWindow::Callbacks{});
  std::unique_ptr<CMainFrame> frame = std::make_unique<CMainFrame>(*window, profile, settings, clock, keys);
  QtFrameWindow* w = window.get();
  GuiFrame() { window->AttachFrame(*frame); }
  ~GuiFrame() {
    window->DetachFrame();
    frame.reset();
    window.reset();
  }
  void Show(int width, int height) {
    w->resize(width, height);
    w->show();
  }
  bool Checked(unsigned id) const { return frame->CommandStateOf(id).checked; }
};

// A menu's item texts, "--" for a separator.
inline QStringList Texts(QMenu* menu) {
  QStringList out;
  for (QAction* a : menu->actions()) out << (a->isSeparator() ? QStringLiteral("--") : a->text());
  return out;
}

inline QStringList Children(QTreeWidgetItem* parent) {
  QStringList out;
  for (int i = 0; i < parent->childCount(); ++i) out << parent->child(i)->text(0);
  return out;
}

// Answers the text question that the next click brings up.
inline void AnswerNext(const QString& text) {
  QTimer::singleShot(0, [text] {
    auto* ask = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    ASSERT_TRUE(ask);
    ask->setTextValue(text);
    ask->accept();
  });
}

}  // namespace kestrel::test
