#include "support/disk_full.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kestrel::test {

int RunWithFileSizeLimit(std::size_t bytes, const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    // Writes past the limit fail with EFBIG instead of killing the child.
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit {bytes, bytes};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(3);
    ::_exit(body());
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace kestrel::test
