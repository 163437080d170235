// The engine's floor for the process benchmarks: one window with one web
// view, as little as a Qt WebEngine program can be. It prints "ready" once
// its blank page has loaded, and ends on SIGTERM like Kestrel.
#include <QApplication>
#include <QSocketNotifier>
#include <QWebEngineView>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_pipe[2];
void OnTerm(int) {
  char c = 1;
  (void)!write(g_pipe[1], &c, 1);
}
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  socketpair(AF_UNIX, SOCK_STREAM, 0, g_pipe);
  std::signal(SIGTERM, OnTerm);
  QSocketNotifier term(g_pipe[0], QSocketNotifier::Read);
  QObject::connect(&term, &QSocketNotifier::activated, &app, &QApplication::quit);
  QWebEngineView view;
  view.resize(1024, 720);
  QObject::connect(&view, &QWebEngineView::loadFinished, [](bool) {
    std::printf("ready\n");
    std::fflush(stdout);
  });
  view.show();
  view.load(QUrl(QStringLiteral("about:blank")));
  return app.exec();
}
