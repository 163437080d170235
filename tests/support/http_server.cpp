#include "support/http_server.h"

#include <httplib.h>

#include <chrono>

namespace kestrel::test {

LocalHttpServer::LocalHttpServer() : server_(std::make_unique<httplib::Server>()) {}

LocalHttpServer::~LocalHttpServer() {
  server_->stop();
  if (thread_.joinable()) thread_.join();
}

void LocalHttpServer::Page(const std::string& path, const std::string& body) {
  server_->Get(path, [body](const httplib::Request&, httplib::Response& res) { res.set_content(body, "text/html"); });
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
