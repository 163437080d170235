#include "frame/status_bar.h"

#include <algorithm>

namespace kestrel {

void CStatusBarWithProgress::ShowProgress(bool show) {
  if (show == shown_) return;
  shown_ = show;
  if (onShow) onShow(show);
}

void CStatusBarWithProgress::SetPos(int percent) { pos_ = std::clamp(percent, 0, 100); }

}  // namespace kestrel
