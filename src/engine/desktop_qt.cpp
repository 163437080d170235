#include "engine/desktop_qt.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSoundEffect>
#include <QUrl>

namespace kestrel {

std::optional<std::string> QtClipboard::Text() const {
  QClipboard* cb = QGuiApplication::clipboard();
  if (!cb) return std::nullopt;
  return cb->text().toStdString();
}

bool DesktopShell::Open(const std::string& target) {
  const QString t = QString::fromStdString(target);
  const QUrl url = t.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(t) : QUrl(t);
  return url.isValid() && QDesktopServices::openUrl(url);
}

QtSound::QtSound() = default;
QtSound::~QtSound() = default;

void QtSound::Play(const std::string& path) {
  const QString file = QString::fromStdString(path);
  if (!QFileInfo::exists(file)) return;  // no sound rather than a surprise
  if (!effect_ || source_ != path) {
    effect_ = std::make_unique<QSoundEffect>();
    effect_->setSource(QUrl::fromLocalFile(file));
    source_ = path;
  }
  effect_->play();
}

}  // namespace kestrel
