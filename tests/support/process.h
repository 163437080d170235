#pragma once
// Runs a program as a child process for the end-to-end tests, collecting
// what it prints (stdout and stderr together) line by line.
#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kestrel::test {

class Process {
 public:
  // `env` is added to (and overrides) the current environment.
  Process(const std::string& program, const std::vector<std::string>& args,
          const std::map<std::string, std::string>& env);
  ~Process();  // kills the child if it still runs

  // Waits until a line containing `text` was printed; false after `timeout`.
  bool WaitForLine(const std::string& text, std::chrono::milliseconds timeout = std::chrono::seconds(60));
  bool HasLine(const std::string& text) const;
  std::string Output() const;

  void Signal(int sig);
  // The exit code, 128 + signal for a killed child, or -1 after `timeout`.
  int Wait(std::chrono::milliseconds timeout = std::chrono::seconds(60));

 private:
  void ReadLoop(int fd);
  pid_t pid_ = -1;
  int status_ = -1;
  bool exited_ = false;
  std::thread reader_;
  mutable std::mutex mu_;
  std::condition_variable cv_;
  std::vector<std::string> lines_;
  std::string partial_;
};

}  // namespace kestrel::test
