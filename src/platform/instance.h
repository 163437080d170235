#pragma once
// One running Kestrel per user. The first instance holds a lock file and
// listens on a local socket in a folder only the user can enter; a later
// start finds the lock held, hands its text over the socket and waits for
// the first instance to have handled it.
#include <string>

namespace kestrel {

class SingleInstance {
 public:
  // `dir` "" means the user's runtime folder ($XDG_RUNTIME_DIR/kestrel, else
  // /tmp/kestrel-<uid>), created 0700 and refused if anybody else owns it.
  explicit SingleInstance(std::string dir = "");
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  enum class Role { First, Second, Failed };
  // Takes the lock when nobody holds it. A lock left by a dead instance is
  // free again, so its stale socket is simply replaced.
  Role Claim();

  // First instance: the listening socket (non-blocking), or -1 with `error`.
  int Listen(std::string* error = nullptr);
  // Removes the socket and gives up the lock.
  void Release();

  // Second instance: sends `text` and waits up to `timeoutMs` for the answer.
  // True once the first instance answered that it handled the text.
  bool HandOff(const std::string& text, int timeoutMs, std::string* error = nullptr);

  // Accepting side: true if the peer on `fd` runs as this user.
  static bool PeerIsSameUser(int fd);

  const std::string& socketPath() const { return socketPath_; }
  const std::string& folder() const { return dir_; }

 private:
  bool PrepareFolder(std::string* error);
  std::string dir_, socketPath_, lockPath_;
  int lockFd_ = -1, listenFd_ = -1;
};

}  // namespace kestrel
