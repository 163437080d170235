#include "support/process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

extern char** environ;

namespace kestrel::test {

Process::Process(const std::string& program, const std::vector<std::string>& args,
                 const std::map<std::string, std::string>& env) {
  std::map<std::string, std::string> all;
  for (char** e = environ; *e; ++e) {
    const char* eq = std::strchr(*e, '=');
    if (eq) all[std::string(*e, static_cast<std::size_t>(eq - *e))] = eq + 1;
  }
  for (const auto& [k, v] : env) all[k] = v;
  std::vector<std::string> envStrings;
  for (const auto& [k, v] : all) envStrings.push_back(k + "=" + v);

  int fds[2];
  if (pipe(fds) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(fds[1], 1);
    dup2(fds[1], 2);
    close(fds[0]);
    close(fds[1]);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& s : envStrings) envp.push_back(s.data());
    envp.push_back(nullptr);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  close(fds[1]);
  reader_ = std::thread([this, fd = fds[0]] { ReadLoop(fd); });
}

Process::~Process() {
  if (pid_ > 0 && !exited_) {
    kill(pid_, SIGKILL);
    Wait(std::chrono::seconds(30));
  }
  if (reader_.joinable()) reader_.join();
}

void Process::ReadLoop(int fd) {
  char buf[4096];
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    std::lock_guard<std::mutex> lock(mu_);
    partial_.append(buf, static_cast<std::size_t>(n));
    std::size_t nl;
    while ((nl = partial_.find('\n')) != std::string::npos) {
      lines_.push_back(partial_.substr(0, nl));
      partial_.erase(0, nl + 1);
    }
    cv_.notify_all();
  }
  close(fd);
  std::lock_guard<std::mutex> lock(mu_);
  if (!partial_.empty()) lines_.push_back(partial_);
  partial_.clear();
  cv_.notify_all();
}

bool Process::HasLine(const std::string& text) const {
  std::lock_guard<std::mutex> lock(mu_);
  for (const auto& l : lines_)
    if (l.find(text) != std::string::npos) return true;
  return false;
}

bool Process::WaitForLine(const std::string& text, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mu_);
  std::size_t checked = 0;
  return cv_.wait_for(lock, timeout, [&] {
    for (; checked < lines_.size(); ++checked)
      if (lines_[checked].find(text) != std::string::npos) return true;
    return false;
  });
}

std::string Process::Output() const {
  std::lock_guard<std::mutex> lock(mu_);
  std::string out;
  for (const auto& l : lines_) out += l + "\n";
  return out + partial_;
}

void Process::Signal(int sig) {
  if (pid_ > 0 && !exited_) kill(pid_, sig);
}

int Process::Wait(std::chrono::milliseconds timeout) {
  if (exited_) return status_;
  auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    int st = 0;
    pid_t r = waitpid(pid_, &st, WNOHANG);
    if (r == pid_) {
      exited_ = true;
      status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
      return status_;
    }
    if (std::chrono::steady_clock::now() >= deadline) return -1;
    usleep(20000);
  }
}

}  // namespace kestrel::test
