#pragma once
// A page server on 127.0.0.1 with a free port, for tests that load real pages.
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace httplib {
class Server;
}

namespace kestrel::test {

class LocalHttpServer {
 public:
  LocalHttpServer();
  ~LocalHttpServer();
  // Serves `body` as text/html at `path`.
  void Page(const std::string& path, const std::string& body);
  // Serves `body` in `steps` pieces, `delayMs` apart, so the page loads slowly.
  void SlowPage(const std::string& path, const std::string& body, int steps, int delayMs);
  // Serves `body` with an HTTP status other than 200.
  void StatusPage(const std::string& path, int status, const std::string& body);
  // A loopback port where nothing listens (bound, then closed).
  static int ClosedPort();
  void Start();
  int port() const { return port_; }
  std::string Url(const std::string& path) const;
  httplib::Server& server() { return *server_; }

 private:
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;
};

}  // namespace kestrel::test
