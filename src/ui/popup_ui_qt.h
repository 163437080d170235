#pragma once
// The windows and sound of popup blocking and the site filter, wired to the
// frame's hooks: the blocked-popup sound, Hidden Sites, the list dialogs and
// "Add Into White/Black List...".
#include <functional>
#include <memory>
#include <string>

class QSoundEffect;
class QWidget;

namespace kestrel {

class CMainFrame;
class CSiteFilter;
struct Settings;

class QtPopupUi {
 public:
  QtPopupUi(CMainFrame& frame, CSiteFilter& filter, Settings& settings, QWidget* parent,
            std::function<void(const std::string& page)> openHelp);
  ~QtPopupUi();
  QtPopupUi(const QtPopupUi&) = delete;
  QtPopupUi& operator=(const QtPopupUi&) = delete;

  // Black List..., White List..., Enable Site Filter.
  bool FilterCommand(unsigned id);
  static constexpr unsigned kBlackList = 32878, kWhiteList = 32879, kEnableSiteFilter = 32881;
  // How often the blocked-popup sound was started (the sound itself may be
  // missing, or there may be no audio device).
  int soundsStarted() const { return sounds_; }

 private:
  void PlaySound();
  CMainFrame& frame_;
  CSiteFilter& filter_;
  Settings& settings_;
  QWidget* parent_;
  std::function<void(const std::string&)> openHelp_;
  std::unique_ptr<QSoundEffect> beep_;
  int sounds_ = 0;
};

}  // namespace kestrel
