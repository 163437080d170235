#pragma once
// What kinds of content a site's page loads (its download control), the
// values new sites take it from, and the Misc page of the Options sheet
// that edits them.
#include <cstdint>

#include "platform/browser_control.h"
#include "platform/dialogs.h"
#include "platform/profile.h"
#include "settings/settings.h"

namespace kestrel {

// Where the browser-wide picture, video and sound defaults are kept, as
// string values "yes" or "no".
inline constexpr const char* kBrowserMainKey = "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main";
inline constexpr const char* kShowPicturesValue = "Display Inline Images";
inline constexpr const char* kPlayVideosValue = "Display Inline Videos";
inline constexpr const char* kPlaySoundsValue = "Play_Background_Sounds";

// The flags a new site starts with: pictures, videos and sounds where the
// stored value reads exactly "yes", and the three "DCNo" settings.
std::uint32_t InitialDownloadControl(Profile& profile, const Settings& settings);

// A profile that has never held the browser key gets it with everything
// on, as a fresh system has it; one that has it is left alone.
void SeedBrowserDefaults(Profile& profile);

MiscOptions ReadMiscOptions(Profile& profile, const Settings& settings);
// Stores what OK on the Misc page keeps. The three values are written only
// where the key can be opened; the settings are kept either way.
void StoreMiscOptions(const MiscOptions& misc, Profile& profile, Settings& settings);

// Items per column of the favorites menu.
int FavoritesBreakCount(const Settings& settings);

}  // namespace kestrel
