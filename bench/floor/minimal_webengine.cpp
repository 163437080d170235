// The engine's floor for the process benchmarks: one window with one web
// view, as little as a Qt WebEngine program can be. It loads the address it
// is given (about:blank without one), shows the page's title in its caption
// and prints "ready" once its first page has loaded; it ends on SIGTERM
// like Kestrel. More addresses each get a view of their own behind the
// first, loaded at once, as a program with tabs would.
// With KESTREL_TRACE=1 it prints the timeline lines Kestrel prints for the
// same moments (window-exposed, load-finished, caption), so scripts/bench
// reads both alike.
#include <QApplication>
#include <QSocketNotifier>
#include <QStackedWidget>
#include <QWebEngineView>
#include <QWindow>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_pipe[2];
void OnTerm(int) {
  char c = 1;
  (void)!write(g_pipe[1], &c, 1);
}

bool g_trace = false;

// Milliseconds since the process started, as Kestrel's trace counts them.
double SinceStart() {
  static const double startMs = [] {
    double ms = 0;
    if (std::FILE* f = std::fopen("/proc/self/stat", "r")) {
      char buf[1024];
      const std::size_t n = std::fread(buf, 1, sizeof buf - 1, f);
      std::fclose(f);
      buf[n] = '\0';
      if (const char* p = std::strrchr(buf, ')')) {
        unsigned long long ticks = 0;
        int field = 2;
        for (const char* q = p + 1; *q && field < 22; ++q)
          if (*q == ' ' && ++field == 22) ticks = std::strtoull(q + 1, nullptr, 10);
        ms = static_cast<double>(ticks) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
      }
    }
    return ms;
  }();
  timespec ts{};
  clock_gettime(CLOCK_BOOTTIME, &ts);
  return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6 - startMs;
}

void Trace(const std::string& line) {
  if (!g_trace) return;
  std::fprintf(stderr, "%8.1f kestrel-trace: %s\n", SinceStart(), line.c_str());
  std::fflush(stderr);
}

class ExposeTrace : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && watched->isWindowType() && static_cast<QWindow*>(watched)->isExposed()) {
      Trace("window-exposed");
      QCoreApplication::instance()->removeEventFilter(this);
    }
    return false;
  }
};
}  // namespace

int main(int argc, char** argv) {
  const char* trace = std::getenv("KESTREL_TRACE");
  g_trace = trace && std::strcmp(trace, "1") == 0;
  Trace("main");
  QApplication app(argc, argv);
  socketpair(AF_UNIX, SOCK_STREAM, 0, g_pipe);
  std::signal(SIGTERM, OnTerm);
  QSocketNotifier term(g_pipe[0], QSocketNotifier::Read);
  QObject::connect(&term, &QSocketNotifier::activated, &app, &QApplication::quit);
  QStackedWidget window;
  window.resize(1024, 720);
  window.setWindowTitle(QStringLiteral("Floor"));
  QStringList addresses;
  for (int i = 1; i < argc; ++i) addresses << QString::fromLocal8Bit(argv[i]);
  if (addresses.isEmpty()) addresses << QStringLiteral("about:blank");
  bool ready = false;
  for (int i = 0; i < addresses.size(); ++i) {
    auto* view = new QWebEngineView(&window);
    window.addWidget(view);
    QObject::connect(view, &QWebEngineView::loadFinished, [view, &ready](bool) {
      Trace("load-finished " + view->url().toString().toStdString());
      if (ready) return;
      ready = true;
      std::printf("ready\n");
      std::fflush(stdout);
    });
    if (i == 0)
      QObject::connect(view, &QWebEngineView::titleChanged, [&window](const QString& title) {
        window.setWindowTitle(title + QStringLiteral(" - Floor"));
        Trace("caption " + window.windowTitle().toStdString());
      });
    if (i == 0) {
      // The engine's view may make the window anew once shown: any window counts.
      if (g_trace) app.installEventFilter(new ExposeTrace(&app));
      window.show();
    }
    view->load(QUrl(addresses[i]));
  }
  return app.exec();
}
