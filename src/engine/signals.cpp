#include "engine/signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace kestrel {
namespace {

int g_pipe[2] = {-1, -1};

void OnSignal(int sig) {
  unsigned char b = static_cast<unsigned char>(sig);
  int saved = errno;
  (void)!write(g_pipe[1], &b, 1);
  errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
  if (g_pipe[0] < 0 && pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    unsigned char b;
    while (read(g_pipe[0], &b, 1) == 1) emit terminationRequested(b);
  });
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGHUP, &sa, nullptr);
}

TerminationSignals::~TerminationSignals() {
  signal(SIGTERM, SIG_DFL);
  signal(SIGHUP, SIG_DFL);
}

}  // namespace kestrel
