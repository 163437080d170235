#include "engine/handoff_server.h"

#include <errno.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QTimer>

#include "common/trace.h"
#include "platform/handoff.h"
#include "platform/instance.h"

namespace kestrel {
namespace {

// One client connection, alive until it has been answered or dropped.
class Connection : public QObject {
 public:
  Connection(int fd, HandoffServer::Handler& handler, QObject* parent)
      : QObject(parent), fd_(fd), handler_(handler), notifier_(new QSocketNotifier(fd, QSocketNotifier::Read, this)) {
    connect(notifier_, &QSocketNotifier::activated, this, [this] { Read(); });
    QTimer::singleShot(HandoffServer::kReadTimeoutMs, this, [this] { Drop("timed out"); });
  }
  ~Connection() override {
    if (fd_ >= 0) close(fd_);
  }

 private:
  void Read() {
    char buf[65536];
    for (;;) {
      ssize_t n = recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
      if (n <= 0) return Drop("closed before the message was complete");
      auto state = decoder_.Feed(buf, static_cast<std::size_t>(n));
      if (state == HandoffDecoder::State::Bad) return Drop("malformed message");
      if (state == HandoffDecoder::State::Done) return Handle();
    }
  }

  void Handle() {
    notifier_->setEnabled(false);
    bool taken = false;
    try {
      taken = handler_(decoder_.code(), decoder_.text());
    } catch (...) {
      // A failing handler must not take the program down with it.
    }
    const char reply[4] = {taken ? '\1' : '\0', 0, 0, 0};
    (void)send(fd_, reply, sizeof reply, MSG_NOSIGNAL | MSG_DONTWAIT);
    Finish();
  }

  void Drop(const char* why) {
    if (fd_ < 0) return;
    Trace("handoff-dropped", why);
    Finish();
  }

  void Finish() {
    notifier_->setEnabled(false);
    close(fd_);
    fd_ = -1;
    deleteLater();
  }

  int fd_;
  HandoffServer::Handler& handler_;
  QSocketNotifier* notifier_;
  HandoffDecoder decoder_;
};

}  // namespace

HandoffServer::HandoffServer(int listenFd, Handler handler, QObject* parent)
    : QObject(parent), fd_(listenFd), handler_(std::move(handler)),
      notifier_(new QSocketNotifier(listenFd, QSocketNotifier::Read, this)) {
  connect(notifier_, &QSocketNotifier::activated, this, [this] { Accept(); });
}

HandoffServer::~HandoffServer() = default;

void HandoffServer::Accept() {
  for (;;) {
    int c = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (c < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (!SingleInstance::PeerIsSameUser(c)) {
      Trace("handoff-refused", "another user");
      close(c);
      continue;
    }
    new Connection(c, handler_, this);
  }
}

}  // namespace kestrel
