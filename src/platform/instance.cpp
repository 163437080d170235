#include "platform/instance.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/handoff.h"

namespace kestrel {
namespace {

std::string Errno(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

bool FillAddress(const std::string& path, sockaddr_un& addr) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  return true;
}

}  // namespace

SingleInstance::SingleInstance(std::string dir) : dir_(std::move(dir)) {
  if (dir_.empty()) {
    const char* rt = std::getenv("XDG_RUNTIME_DIR");
    struct stat st {};
    // A runtime folder that is named but not there is as good as none.
    if (rt && rt[0] == '/' && stat(rt, &st) == 0 && S_ISDIR(st.st_mode))
      dir_ = std::string(rt) + "/kestrel";
    else
      dir_ = "/tmp/kestrel-" + std::to_string(getuid());
  }
  while (dir_.size() > 1 && dir_.back() == '/') dir_.pop_back();
  const std::string base = dir_ + "/Kestrel MainFrame." + std::to_string(getuid());
  socketPath_ = base + ".sock";
  lockPath_ = base + ".lock";
}

SingleInstance::~SingleInstance() { Release(); }

bool SingleInstance::PrepareFolder(std::string* error) {
  if (mkdir(dir_.c_str(), 0700) != 0 && errno != EEXIST) {
    if (error) *error = Errno(dir_.c_str());
    return false;
  }
  struct stat st {};
  if (lstat(dir_.c_str(), &st) != 0) {
    if (error) *error = Errno(dir_.c_str());
    return false;
  }
  // Another user's folder (or a link to one) could let them read or fake hand-offs.
  if (!S_ISDIR(st.st_mode) || st.st_uid != getuid()) {
    if (error) *error = dir_ + ": not a folder of this user";
    return false;
  }
  if ((st.st_mode & 077) != 0 && chmod(dir_.c_str(), 0700) != 0) {
    if (error) *error = Errno(dir_.c_str());
    return false;
  }
  return true;
}

SingleInstance::Role SingleInstance::Claim() {
  if (lockFd_ >= 0) return Role::First;
  if (!PrepareFolder(nullptr)) return Role::Failed;
  int fd = open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return Role::Failed;
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
    lockFd_ = fd;
    return Role::First;
  }
  int err = errno;
  close(fd);
  return err == EWOULDBLOCK ? Role::Second : Role::Failed;
}

int SingleInstance::Listen(std::string* error) {
  if (listenFd_ >= 0) return listenFd_;
  if (lockFd_ < 0) {
    if (error) *error = "the instance lock is not held";
    return -1;
  }
  sockaddr_un addr;
  if (!FillAddress(socketPath_, addr)) {
    if (error) *error = socketPath_ + ": path too long";
    return -1;
  }
  // We hold the lock, so a socket file still there belongs to a dead instance.
  unlink(socketPath_.c_str());
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) {
    if (error) *error = Errno("socket");
    return -1;
  }
  mode_t old = umask(077);
  int rc = bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  umask(old);
  if (rc != 0 || listen(fd, 16) != 0) {
    if (error) *error = Errno(socketPath_.c_str());
    close(fd);
    return -1;
  }
  listenFd_ = fd;
  return fd;
}

void SingleInstance::Release() {
  if (listenFd_ >= 0) {
    close(listenFd_);
    listenFd_ = -1;
    unlink(socketPath_.c_str());
  }
  if (lockFd_ >= 0) {
    close(lockFd_);
    lockFd_ = -1;
  }
}

bool SingleInstance::PeerIsSameUser(int fd) {
  ucred cred {};
  socklen_t len = sizeof cred;
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0) return false;
  return cred.uid == getuid();
}

bool SingleInstance::HandOff(const std::string& text, int timeoutMs, std::string* error) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  sockaddr_un addr;
  if (!FillAddress(socketPath_, addr)) {
    if (error) *error = socketPath_ + ": path too long";
    return false;
  }
  int fd = -1;
  // The first instance may still be starting and not listen yet; keep trying
  // while it holds the lock.
  for (;;) {
    fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
      if (error) *error = Errno("socket");
      return false;
    }
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) break;
    int err = errno;
    close(fd);
    fd = -1;
    if ((err != ENOENT && err != ECONNREFUSED && err != EAGAIN) || RemainingMs(deadline) == 0) {
      errno = err;
      if (error) *error = Errno(socketPath_.c_str());
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }

  const std::string msg = EncodeHandoff(text);
  std::size_t sent = 0;
  while (sent < msg.size()) {
    ssize_t n = send(fd, msg.data() + sent, msg.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (error) *error = Errno("send");
      close(fd);
      return false;
    }
    sent += static_cast<std::size_t>(n);
  }

  // The answer: four bytes, non-zero once the text was handled.
  char reply[4];
  std::size_t got = 0;
  while (got < sizeof reply) {
    pollfd p{fd, POLLIN, 0};
    int left = RemainingMs(deadline);
    int rc = poll(&p, 1, left);
    if (rc < 0 && errno == EINTR) continue;
    if (rc <= 0) {
      if (error) *error = "no answer from the running Kestrel";
      close(fd);
      return false;
    }
    ssize_t n = recv(fd, reply + got, sizeof reply - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (error) *error = "the running Kestrel closed the connection";
      close(fd);
      return false;
    }
    got += static_cast<std::size_t>(n);
  }
  close(fd);
  bool handled = reply[0] || reply[1] || reply[2] || reply[3];
  if (!handled && error) *error = "the running Kestrel ignored the request";
  return handled;
}

}  // namespace kestrel
