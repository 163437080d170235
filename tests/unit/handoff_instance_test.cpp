#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "platform/handoff.h"
#include "platform/instance.h"
#include "support/temp_dir.h"

namespace kestrel {
namespace {

using test::TempDir;
using State = HandoffDecoder::State;

std::string Header(std::uint32_t code, std::uint32_t length) {
  std::string h = EncodeHandoff("", code);
  h.resize(4);
  for (int i = 0; i < 4; ++i) h.push_back(static_cast<char>((length >> (8 * i)) & 0xFF));
  return h;
}

TEST(Handoff, MessagesSurviveAnySplitAndKeepTheirBytes) {
  const std::string text = std::string("http://a.example/\nctl\x01\x1b[31m bad\xff\xfe utf8 ") + "\xe2\x82";
  const std::string wire = EncodeHandoff(text);
  ASSERT_EQ(wire.size(), 8 + text.size() + 1);
  for (std::size_t chunk : {1u, 3u, 7u, 8u, 9u, 4096u}) {
    HandoffDecoder d;
    State st = State::NeedMore;
    for (std::size_t i = 0; i < wire.size(); i += chunk) st = d.Feed(wire.data() + i, std::min(chunk, wire.size() - i));
    ASSERT_EQ(st, State::Done) << chunk;
    EXPECT_EQ(d.code(), kHandoffCode);
    EXPECT_EQ(d.text(), text);
  }
}

TEST(Handoff, MalformedMessagesAreDropped) {
  const struct { std::string what, message; State state; std::uint32_t code; std::string text; } cases[] = {
      {"empty", EncodeHandoff(""), State::Done, kHandoffCode, ""},
      // Over the limit: dropped on the header alone, nothing buffered; exactly at the limit is still taken.
      {"over", Header(kHandoffCode, kHandoffMaxLength + 1), State::Bad, kHandoffCode, ""},
      {"limit", Header(kHandoffCode, kHandoffMaxLength) + std::string(kHandoffMaxLength, 'a'), State::Done,
       kHandoffCode, std::string(kHandoffMaxLength, 'a')},
      {"more bytes than the length said", Header(kHandoffCode, 3) + "abcdef", State::Bad, kHandoffCode, ""},
      {"fewer: never done", Header(kHandoffCode, 100) + "short", State::NeedMore, kHandoffCode, ""},
      // A NUL inside ends the text, as for a C string; another code is passed on to be ignored.
      {"NUL", Header(0x1234, 6) + std::string("ab\0cd\0", 6), State::Done, 0x1234u, "ab"}};
  for (const auto& c : cases) {
    HandoffDecoder d;
    EXPECT_EQ(d.Feed(c.message.data(), c.message.size()), c.state) << c.what;
    EXPECT_EQ(d.text(), c.text) << c.what;
    if (c.state == State::Done) {
      EXPECT_EQ(d.code(), c.code) << c.what;
    }
  }
  HandoffDecoder later;  // a byte after a whole message
  const std::string ok = EncodeHandoff("ab");
  EXPECT_EQ(later.Feed(ok.data(), ok.size()), State::Done);
  EXPECT_EQ(later.Feed("x", 1), State::Bad);
}

// Serves one hand-off in a child process and exits with 0 if it got `expect`.
pid_t ServeOnce(SingleInstance& inst, const std::string& expect, bool answer) {
  int lfd = inst.Listen();
  pid_t pid = fork();
  if (pid != 0) return pid;
  pollfd p{lfd, POLLIN, 0};
  if (poll(&p, 1, 10000) != 1) _exit(2);
  int c = accept(lfd, nullptr, nullptr);
  HandoffDecoder d;
  char buf[4096];
  ssize_t n;
  while (d.state() == State::NeedMore && (n = recv(c, buf, sizeof buf, 0)) > 0)
    d.Feed(buf, static_cast<std::size_t>(n));
  char reply[4] = {answer ? '\1' : '\0', 0, 0, 0};
  send(c, reply, 4, MSG_NOSIGNAL);
  _exit(d.state() == State::Done && d.text() == expect ? 0 : 3);
}

sockaddr_un Address(const std::string& path) {
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
  return a;
}

int Wait(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

TEST(SingleInstance, OneFirstAtATimeAndTheHandOffIsAnswered) {
  TempDir dir;
  SingleInstance first(dir.file("run")), second(dir.file("run"));
  ASSERT_EQ(first.Claim(), SingleInstance::Role::First);
  EXPECT_EQ(second.Claim(), SingleInstance::Role::Second);
  struct stat st {};
  ASSERT_EQ(stat(dir.file("run").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  const std::string text = "http://x.example/\n\x01\xff";
  pid_t server = ServeOnce(first, text, true);
  std::string error;
  EXPECT_TRUE(second.HandOff(text, 10000, &error)) << error;
  EXPECT_EQ(Wait(server), 0);

  server = ServeOnce(first, "", false);
  EXPECT_FALSE(second.HandOff("", 10000, &error));  // answered "not taken"
  EXPECT_EQ(Wait(server), 0);

  first.Release();
  EXPECT_EQ(second.Claim(), SingleInstance::Role::First);
}

TEST(SingleInstance, ADeadInstanceLeavesNothingThatBlocksTheNext) {
  TempDir dir;
  pid_t pid = fork();
  if (pid == 0) {
    SingleInstance dying(dir.file("run"));
    if (dying.Claim() != SingleInstance::Role::First || dying.Listen() < 0) _exit(1);
    raise(SIGKILL);  // no clean-up: lock file and socket stay behind
  }
  EXPECT_EQ(Wait(pid), 100 + SIGKILL);
  SingleInstance next(dir.file("run"));
  ASSERT_TRUE(access(next.socketPath().c_str(), F_OK) == 0);  // the stale socket is there
  ASSERT_EQ(next.Claim(), SingleInstance::Role::First);
  EXPECT_GE(next.Listen(), 0);

  // A hand-off with nobody answering gives up after its time.
  SingleInstance late(dir.file("run"));
  ASSERT_EQ(late.Claim(), SingleInstance::Role::Second);
  std::string error;
  EXPECT_FALSE(late.HandOff("x", 300, &error));
  EXPECT_FALSE(error.empty());
}

TEST(SingleInstance, AnotherUserCanNeitherEnterNorBeTrusted) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  TempDir dir;
  SingleInstance first(dir.file("run"));
  ASSERT_EQ(first.Claim(), SingleInstance::Role::First);
  ASSERT_GE(first.Listen(), 0);
  chmod(dir.path().c_str(), 0755);
  const std::string path = first.socketPath();

  // As "nobody": the 0700 folder keeps the socket out of reach.
  pid_t pid = fork();
  if (pid == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(9);
    sockaddr_un a = Address(path);
    _exit(connect(socket(AF_UNIX, SOCK_STREAM, 0), reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 ? 1 : 0);
  }
  EXPECT_EQ(Wait(pid), 0);

  // Even where a socket is reachable, a peer of another user is told apart.
  int lfd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un a = Address(dir.file("open.sock"));
  ASSERT_EQ(bind(lfd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  chmod(a.sun_path, 0777);
  listen(lfd, 1);
  pid = fork();
  if (pid == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(9);
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) _exit(8);
    sleep(1);
    _exit(0);
  }
  int c = accept(lfd, nullptr, nullptr);
  EXPECT_FALSE(SingleInstance::PeerIsSameUser(c));
  EXPECT_EQ(Wait(pid), 0);
  int pair[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
  EXPECT_TRUE(SingleInstance::PeerIsSameUser(pair[0]));
  for (int fd : {c, lfd, pair[0], pair[1]}) close(fd);

  // A runtime folder that belongs to somebody else is refused outright.
  std::string theirs = dir.file("theirs");
  mkdir(theirs.c_str(), 0700);
  ASSERT_EQ(chown(theirs.c_str(), 65534, 65534), 0);
  SingleInstance refused(theirs);
  EXPECT_EQ(refused.Claim(), SingleInstance::Role::Failed);
}

}  // namespace
}  // namespace kestrel
