// Kestrel: wires the real implementations together and runs.
#include <unistd.h>

#include <climits>
#include <string>

#include "app/app.h"
#include "common/trace.h"
#include "platform/instance.h"
#include "platform/xdg_default_browser.h"
#include "ui/qt_dialogs.h"
#include "ui/qt_host.h"

namespace {

std::string ExecutablePath() {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string("kestrel");
}

}  // namespace

int main(int argc, char** argv) {
  kestrel::Trace("main");
  // No switches: every argument is one line of typed text, as desktop
  // launchers pass one address per argument.
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += '\n';
    commandLine += argv[i];
  }

  kestrel::SingleInstance instance;
  kestrel::QtDialogs dialogs;
  kestrel::QtAppHost host(argc, argv, dialogs);
  kestrel::XdgDefaultBrowser defaultBrowser(ExecutablePath());

  kestrel::AppServices services;
  services.host = &host;
  services.dialogs = &dialogs;
  services.defaultBrowser = &defaultBrowser;
  services.instance = &instance;
  kestrel::CKestrelApp app(services);
  host.setApp(&app);

  if (!app.InitInstance(commandLine)) return app.ExitInstance();
  kestrel::Trace("ready");
  int rc = host.Exec();
  app.SaveAndRelease();
  app.ExitInstance();
  return rc;
}
