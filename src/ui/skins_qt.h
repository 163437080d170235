#pragma once
// A skin drawn on the main window: a frameless window whose frame, caption
// text, caption buttons and band background come from the skin's bitmaps,
// moved and sized through the window system's own requests.
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "appearance/skin.h"

class QMenu;
class QToolBar;
class QWidget;

namespace kestrel {

class CommandScope;
class CMainFrame;
class QtFrameWindow;
class QtSkinButton;
struct Settings;

// A skin's bitmap with magenta made transparent; null when the file is
// missing, unreadable, empty or too large to be a frame piece.
QImage LoadSkinBitmap(const std::string& path);

class QtSkinFrame : public QObject, public SkinHost {
  Q_OBJECT
 public:
  struct Parts {
    QtFrameWindow& window;
    CMainFrame& frame;
    Settings& settings;
    ProgramFolder skinsFolder;                        // skins/, layered
    std::function<void(const std::string&)> help;     // a help page by name
    std::function<void(const std::string&)> openUrl;  // a skin's website or e-mail link
  };
  explicit QtSkinFrame(Parts parts);
  ~QtSkinFrame() override;

  // "" for none; remembered in SkinName.
  CSkins::Applied Apply(const std::string& name);
  CSkins& skins() { return skins_; }
  FrameWidths frameWidths() const { return widths_; }
  // The caption buttons: minimise, maximise, close, system.
  QWidget* button(int i) const;
  // The system menu at `global`, as the window system's own would be.
  void ShowSystemMenu(QPoint global);

  // SkinHost
  void RemoveSkin() override;
  void ShowSkin(const std::string& folder, const SkinIni& ini) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool fullScreen() const;
  void Relayout();
  void RenderFrame();
  void PaintCaption(QWidget& window);
  void SetBandBackground(const QPixmap& pixmap);
  void PaintToolBar(QToolBar& bar);
  void SetFrameless(bool frameless);
  void SelectSkins();

  Parts p_;
  CSkins skins_;
  std::unique_ptr<CommandScope> commands_;
  SkinIni ini_;
  FrameWidths widths_;
  // The edge pieces in kEdgeBitmaps' order, or the fill pattern.
  std::array<QImage, 12> edges_;
  QImage fill_;
  QPixmap bandBack_;
  QImage frameImage_;  // the whole frame at the window's size, painted and shaped from
  std::array<QtSkinButton*, 4> buttons_{};
};

}  // namespace kestrel
