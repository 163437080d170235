#include "engine/desktop_qt.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QSoundEffect>
#include <QUrl>

#include "common/textfile.h"
#include "platform/desktop_apps.h"

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

bool DesktopShell::OpenWith(const std::string& mimeType, const std::string& path) {
  return OpenWithProgram(DefaultDesktopFile(mimeType, XdgFolders::FromEnvironment()), path);
}

bool DesktopShell::OpenWithProgram(const std::string& desktop, const std::string& path) {
  const std::optional<std::string> text = desktop.empty() ? std::nullopt : ReadWholeFile(desktop, 1 << 20);
  const std::vector<std::string> command = text ? DesktopExecCommand(*text, path) : std::vector<std::string>{};
  if (command.empty()) return Open(path);
  // Started straight, never through a shell: no text of the path is interpreted.
  QStringList args;
  for (std::size_t i = 1; i < command.size(); ++i) args << QString::fromStdString(command[i]);
  return QProcess::startDetached(QString::fromStdString(command[0]), args);
}

bool DesktopShell::Start(const std::string& program, const std::vector<std::string>& args,
                         const std::string& folder) {
  if (program.empty()) return false;
  QStringList list;
  for (const std::string& a : args) list << QString::fromStdString(a);
  return QProcess::startDetached(QString::fromStdString(program), list, QString::fromStdString(folder));
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
