#pragma once
// The web engine's process-wide set-up: Chromium flags, and the one
// persistent profile every site uses.
#include "platform/browsing_data.h"

class QWebEngineProfile;

namespace kestrel {

// Before the QApplication exists: runs as root need --no-sandbox, headless
// runs have no GPU.
void PrepareWebEngineEnvironment();

// The "Kestrel" profile, its storage under the user's data folder.
QWebEngineProfile* KestrelWebProfile();
// Makes the profile (which starts the engine) and puts Kestrel's script in
// it, ahead of the first page.
void StartWebEngine();

// The cookies, cache and visited links of a profile (Kestrel's when none is given).
class WebEngineBrowsingData : public BrowsingData {
 public:
  explicit WebEngineBrowsingData(QWebEngineProfile* profile = nullptr) : profile_(profile) {}
  bool ClearCookies() override;
  bool ClearCache() override;
  bool ClearVisitedLinks() override;

 private:
  QWebEngineProfile* Profile() const;
  QWebEngineProfile* profile_;
};

}  // namespace kestrel
