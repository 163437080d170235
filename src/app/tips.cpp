#include "app/tips.h"

#include "common/textfile.h"

namespace kestrel {

std::vector<std::string> TipsModel::LoadTips(const std::string& path) {
  std::vector<std::string> tips;
  auto lines = ReadTextLines(path, {256, LongLines::Pieces, true});
  if (!lines) return tips;
  std::string tip;
  auto flush = [&] {
    // Trailing empty lines of a tip are not part of it.
    while (tip.size() >= 1 && tip.back() == '\n') tip.pop_back();
    if (!tip.empty()) tips.push_back(tip);
    tip.clear();
  };
  for (const std::string& line : *lines) {
    if (line == "<next tip>") {
      flush();
      continue;
    }
    if (tip.empty() && line.empty()) continue;
    tip += line;
    tip += '\n';
  }
  flush();
  return tips;
}

TipsModel::TipsModel(std::vector<std::string> tips, int tipNum, bool showTip)
    : tips_(std::move(tips)), showTip_(showTip) {
  if (tips_.empty()) return;
  int next = tipNum + 1;
  Go(next >= 0 && next < count() ? next : 0);
}

const std::string& TipsModel::current() const {
  static const std::string none;
  return index_ >= 0 ? tips_[static_cast<std::size_t>(index_)] : none;
}

void TipsModel::Go(int i) {
  if (tips_.empty()) return;
  if (i < 0) i = 0;
  if (i > count() - 1) i = count() - 1;
  index_ = i;
  if (atLast()) showTip_ = false;
}

}  // namespace kestrel
