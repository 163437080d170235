#pragma once
// The site's MDI child window as the logic sees it; the Qt side implements it.
#include <string>

namespace kestrel {

class ChildWindow {
 public:
  virtual ~ChildWindow() = default;
  virtual bool IsVisible() const = 0;
  // Shows the window maximised or in normal state; `activate` makes it the
  // active MDI child.
  virtual void Show(bool maximized, bool activate) = 0;
  virtual void Hide() = 0;
  virtual bool IsMaximized() const = 0;
  virtual bool IsMinimized() const = 0;
  virtual void Minimize() = 0;
  virtual void Restore() = 0;
  virtual void Activate() = 0;
  virtual void SetCaption(const std::string& text) = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // The normal-state size; a hidden window stays hidden.
  virtual void SetNormalSize(int width, int height) = 0;
  // Fits the maximised child to the MDI client again.
  virtual void Refit() = 0;
};

}  // namespace kestrel
