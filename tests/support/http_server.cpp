#include "support/http_server.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace kestrel::test {

LocalHttpServer::LocalHttpServer() : server_(std::make_unique<httplib::Server>()) {
  // The engine keeps connections open; a short keep-alive lets stop() end soon.
  server_->set_keep_alive_timeout(1);
}

LocalHttpServer::~LocalHttpServer() {
  server_->stop();
  if (thread_.joinable()) thread_.join();
}

void LocalHttpServer::Page(const std::string& path, const std::string& body) {
  server_->Get(path, [body](const httplib::Request&, httplib::Response& res) { res.set_content(body, "text/html"); });
}

void LocalHttpServer::SlowPage(const std::string& path, const std::string& body, int steps, int delayMs) {
  server_->Get(path, [=](const httplib::Request&, httplib::Response& res) {
    const std::size_t piece = std::max<std::size_t>(1, body.size() / static_cast<std::size_t>(std::max(1, steps)));
    res.set_content_provider(body.size(), "text/html",
                             [=](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                               std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
                               const std::size_t n = std::min(piece, body.size() - offset);
                               sink.write(body.data() + offset, n);
                               return true;
                             });
  });
}

void LocalHttpServer::StatusPage(const std::string& path, int status, const std::string& body) {
  server_->Get(path, [=](const httplib::Request&, httplib::Response& res) {
    res.status = status;
    if (!body.empty()) res.set_content(body, "text/html");
  });
}

int LocalHttpServer::ClosedPort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  int port = 0;
  if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
    port = ntohs(addr.sin_port);
  if (fd >= 0) close(fd);
  return port;
}

void LocalHttpServer::Start() {
  port_ = server_->bind_to_any_port("127.0.0.1");
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

std::string LocalHttpServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

}  // namespace kestrel::test
