#pragma once
// The "Tip of the day" dialog's state: the tips of tips.txt and which one shows.
#include <string>
#include <vector>

namespace kestrel {

class TipsModel {
 public:
  // tips.txt: lines of at most 256 bytes, tips separated by "<next tip>" lines.
  static std::vector<std::string> LoadTips(const std::string& path);

  // Opens on the tip after `tipNum` (the one shown last), from the first again
  // past the end.
  TipsModel(std::vector<std::string> tips, int tipNum, bool showTip);

  bool empty() const { return tips_.empty(); }
  int count() const { return static_cast<int>(tips_.size()); }
  int index() const { return index_; }  // -1 when there are no tips
  const std::string& current() const;
  bool atFirst() const { return index_ <= 0; }
  bool atLast() const { return index_ >= count() - 1; }

  void First() { Go(0); }
  void Previous() { Go(index_ - 1); }
  void Next() { Go(index_ + 1); }
  void Last() { Go(count() - 1); }

  // "Show Tips At Startup"; switched off once the last tip has been shown.
  bool showTip() const { return showTip_; }
  void setShowTip(bool on) { showTip_ = on; }
  int tipNum() const { return index_; }

 private:
  void Go(int i);
  std::vector<std::string> tips_;
  int index_ = -1;
  bool showTip_ = true;
};

}  // namespace kestrel
