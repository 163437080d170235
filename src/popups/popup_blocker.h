#pragma once
// Popup blocking: what explains a new window (the clicks in its opener's
// page), the verdict on a site's navigation (timing, appearance, the black
// and white lists), the notice, the sweep of old blocked sites, Restore Last
// Popup, Hide Site and the Hidden Sites window, and the site filter's
// commands. The frame asks it through PopupGuard; its commands are its own.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "frame/main_frame.h"
#include "platform/sound.h"
#include "popups/click_tracker.h"
#include "popups/popup_ui.h"
#include "popups/site_filter.h"

namespace kestrel {

class CPopupBlocker : public PopupGuard, private SiteListObserver {
 public:
  // Takes the frame's popup guard and the commands of popup blocking and the
  // site filter until it is destroyed.
  CPopupBlocker(CMainFrame& frame, CSiteFilter& filter, Settings& settings, Sound& sound, PopupUi& ui);
  ~CPopupBlocker() override;
  CPopupBlocker(const CPopupBlocker&) = delete;
  CPopupBlocker& operator=(const CPopupBlocker&) = delete;

  // Blocked sites older than this many seconds go at the next sweep.
  static constexpr std::int64_t kBlockedLifetime = 60;
  // The sweep runs every this many ticks of the frame's timer.
  static constexpr unsigned kSweepTicks = 20;

  // "Restore Last Popup Window": the newest blocked site comes back.
  void RestoreLastPopup();
  // Every site whose window is not shown, the newest first.
  std::vector<HiddenSiteRow> HiddenSites() const;
  // Hide Site (show false) and showing a hidden site again.
  void SetSiteHidden(CKestrelView* site, bool show);
  // "Add Into White List..." / "Add Into Black List..." for this site.
  void AddSiteToFilter(CKestrelView* site, bool black);
  // The Filter Definition dialog on the black or the white list.
  void EditList(bool black);
  int soundsStarted() const { return sounds_; }

  // PopupGuard
  void Pressed(CKestrelView& site, int id, bool rightButton) override;
  void PressTarget(CKestrelView& site, int id, const std::string& tag, bool textField) override;
  void EnterPressed(CKestrelView& site) override;
  void LeftPage(CKestrelView& site) override;
  void WindowOpened(CKestrelView& opener, CKestrelView& site) override;
  bool Judge(CKestrelView& site, const NavigateRequest& request) override;
  void OnTimer(unsigned tick) override;

 private:
  bool IsSuspect(const CKestrelView& site, const NavigateRequest& request) const;
  void Blocked(CKestrelView& site);
  ClickTracker& Clicks(CKestrelView& site);
  void AddToWhiteList(const std::string& address);
  void RegisterCommands();
  // SiteListObserver: a closed site's clicks settle what they still hold.
  void SiteRemoved(CKestrelView* site) override { clicks_.erase(site); }

  CMainFrame& frame_;
  CSiteFilter& filter_;
  Settings& settings_;
  Sound& sound_;
  PopupUi& ui_;
  std::unordered_map<const CKestrelView*, std::unique_ptr<ClickTracker>> clicks_;
  int sounds_ = 0;
  CommandScope commands_;
};

}  // namespace kestrel
