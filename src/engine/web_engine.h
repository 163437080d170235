#pragma once
// The web engine's process-wide set-up: Chromium flags, and the one
// persistent profile every site uses.
class QWebEngineProfile;

namespace kestrel {

// Before the QApplication exists: runs as root need --no-sandbox, headless
// runs have no GPU.
void PrepareWebEngineEnvironment();

// The "Kestrel" profile, its storage under the user's data folder.
QWebEngineProfile* KestrelWebProfile();

}  // namespace kestrel
