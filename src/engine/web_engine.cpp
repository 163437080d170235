#include "engine/web_engine.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <cstdlib>
#include <string>

#include "common/trace.h"

namespace kestrel {

void PrepareWebEngineEnvironment() {
  std::string flags;
  if (const char* old = std::getenv("QTWEBENGINE_CHROMIUM_FLAGS")) flags = old;
  auto add = [&](const char* flag) {
    if (flags.find(flag) != std::string::npos) return;
    if (!flags.empty()) flags += ' ';
    flags += flag;
  };
  // Chromium refuses to run as root with its sandbox on.
  if (geteuid() == 0) add("--no-sandbox");
  const char* qpa = std::getenv("QT_QPA_PLATFORM");
  if (qpa && std::string(qpa) == "offscreen") add("--disable-gpu");
  // Nothing of ours needs the engine's own background traffic.
  add("--disable-background-networking");
  setenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.c_str(), 1);
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

QWebEngineProfile* KestrelWebProfile() {
  static QWebEngineProfile* profile = [] {
    auto* p = new QWebEngineProfile(QStringLiteral("Kestrel"), QCoreApplication::instance());
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                   QStringLiteral("/Corvana/Kestrel");
    QDir().mkpath(data);
    p->setPersistentStoragePath(data + QStringLiteral("/engine"));
    p->setCachePath(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                    QStringLiteral("/Corvana/Kestrel"));
    p->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    Trace("engine-profile");
    return p;
  }();
  return profile;
}

QWebEngineProfile* WebEngineBrowsingData::Profile() const { return profile_ ? profile_ : KestrelWebProfile(); }

bool WebEngineBrowsingData::ClearCookies() {
  QWebEngineProfile* p = Profile();
  if (!p || !p->cookieStore()) return false;
  p->cookieStore()->deleteAllCookies();
  return true;
}

bool WebEngineBrowsingData::ClearCache() {
  QWebEngineProfile* p = Profile();
  if (!p) return false;
  p->clearHttpCache();
  return true;
}

bool WebEngineBrowsingData::ClearVisitedLinks() {
  QWebEngineProfile* p = Profile();
  if (!p) return false;
  p->clearAllVisitedLinks();
  return true;
}

}  // namespace kestrel
