#pragma once
// A skin: the skin.ini of a folder under "skins/", and the geometry of the
// frame it draws around the main window: frame widths, the caption
// buttons' places, the caption text's rectangle and the zones the mouse
// moves and sizes the window by. No drawing here.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/progdir.h"

namespace kestrel {

struct SkinSize {
  int width = 0, height = 0;
  bool operator==(const SkinSize&) const = default;
};
struct SkinRect {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool operator==(const SkinRect&) const = default;
};
// A place as skin.ini writes it; -1,-1 (both) asks for the automatic place.
struct SkinPoint {
  int x = -1, y = -1;
  bool automatic() const { return x == -1 && y == -1; }
  bool operator==(const SkinPoint&) const = default;
};
struct SkinColor {
  int r = 255, g = 255, b = 255;
  bool operator==(const SkinColor&) const = default;
};
struct FrameWidths {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const FrameWidths&) const = default;
};

// Every value of skin.ini's [general] section, defaults where a key is
// missing or the file is.
struct SkinIni {
  std::string author, website, email;
  std::string barBack = "barback.bmp";
  bool fillFrame = false;  // FrameRect given: a filled frame with rounded corners
  FrameWidths fillWidths;  // its widths
  int frameCorner = 20;
  std::string frameFill = "framefill.bmp";
  bool systemIcon = true;  // the system button shows the program's icon, not sys.bmp
  SkinPoint minPos, maxPos, closePos, sysPos;
  SkinRect capRect{20, 2, -56, 20};  // right counted from the window's right edge
  int capAlign = 0;                  // 0 left, 2 right, 6 centred
  SkinColor capTextColor;
};
SkinIni ParseSkinIni(std::string_view text);
// "x,y": each part a decimal integer; without "," 0,0.
SkinPoint ParseSkinPosition(std::string_view value);

// The bitmaps of an edge frame, by their fixed names.
inline constexpr const char* kEdgeBitmaps[] = {"topleft.bmp",  "topright.bmp", "bottomleft.bmp", "bottomright.bmp",
                                               "lefttop.bmp",  "leftbottom.bmp", "righttop.bmp",  "rightbottom.bmp",
                                               "top.bmp",      "bottom.bmp",   "left.bmp",       "right.bmp"};
// An edge frame is as wide as its straight edges are.
FrameWidths EdgeFrameWidths(SkinSize left, SkinSize top, SkinSize right, SkinSize bottom);
// One of a caption button strip's four states.
SkinSize SkinButtonSize(SkinSize strip);

struct CaptionButtons {
  SkinRect min, max, close, sys;
};
// Where the four buttons stand in a window `clientWidth` wide whose top
// frame is `top` high.
CaptionButtons LayoutCaptionButtons(const SkinIni& ini, int clientWidth, int top, SkinSize min, SkinSize max,
                                    SkinSize close, SkinSize sys);
SkinRect CaptionTextRect(const SkinIni& ini, int clientWidth);
// The client area less the frame; the whole of it in full screen.
SkinRect InnerRect(const FrameWidths& frame, int width, int height, bool fullScreen);

enum class HitZone { None, Caption, Top, Bottom, Left, Right, TopLeft, TopRight, BottomLeft, BottomRight };
HitZone SkinHitTest(const FrameWidths& frame, int width, int height, int x, int y);

// The skins there are: every folder of `skinsFolder`, by name.
std::vector<std::string> ListSkins(const ProgramFolder& skinsFolder);

// What shows a skin: the window's frame, buttons and band background.
class SkinHost {
 public:
  virtual ~SkinHost() = default;
  // The ordinary window frame again.
  virtual void RemoveSkin() = 0;
  // Draw the skin of `folder` (ending in "/") as `ini` says.
  virtual void ShowSkin(const std::string& folder, const SkinIni& ini) = 0;
};

// The one way the window's skin changes: by name, "" for none.
class CSkins {
 public:
  CSkins(ProgramFolder skinsFolder, SkinHost& host) : folder_(std::move(skinsFolder)), host_(host) {}
  enum class Applied { Unchanged, NotFound, Changed };
  // The same name again reloads nothing; a name with no folder says
  // "Skin not found!" and keeps the skin there is.
  Applied Apply(const std::string& name);
  const std::string& name() const { return name_; }
  bool active() const { return !name_.empty(); }
  const ProgramFolder& folder() const { return folder_; }
  // The [general] section of a skin's skin.ini (defaults when it has none).
  SkinIni ReadIni(const std::string& name) const;

 private:
  ProgramFolder folder_;
  SkinHost& host_;
  std::string name_;
};

}  // namespace kestrel
