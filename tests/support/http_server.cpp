#include "support/http_server.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace kestrel::test {
namespace {

// Sends `body` in pieces, `delayMs` apart; the connection breaks off after `stopAfter` bytes.
void Stream(httplib::Response& res, const std::string& body, const char* type, std::size_t piece, int delayMs,
            std::size_t stopAfter) {
  res.set_content_provider(body.size(), type, [=](std::size_t offset, std::size_t, httplib::DataSink& sink) {
    if (offset >= stopAfter) return false;
    if (delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    sink.write(body.data() + offset, std::min({piece, body.size() - offset, stopAfter - offset}));
    return true;
  });
}

}  // namespace

LocalHttpServer::LocalHttpServer() : server_(std::make_unique<httplib::Server>()) {
  // The engine keeps connections open; a short keep-alive lets stop() end soon.
  server_->set_keep_alive_timeout(1);
}

LocalHttpServer::LocalHttpServer(const std::string& certFile, const std::string& keyFile)
    : server_(std::make_unique<httplib::SSLServer>(certFile.c_str(), keyFile.c_str())), secure_(true) {
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
  const std::size_t piece = std::max<std::size_t>(1, body.size() / static_cast<std::size_t>(std::max(1, steps)));
  server_->Get(path, [=](const httplib::Request&, httplib::Response& res) {
    Stream(res, body, "text/html", piece, delayMs, std::string::npos);
  });
}

void LocalHttpServer::StatusPage(const std::string& path, int status, const std::string& body) {
  server_->Get(path, [=](const httplib::Request&, httplib::Response& res) {
    res.status = status;
    if (!body.empty()) res.set_content(body, "text/html");
  });
}

void LocalHttpServer::File(const std::string& path, const std::string& body, const std::string& fileName,
                           std::size_t stopAfter, int delayMs) {
  server_->Get(path, [=](const httplib::Request&, httplib::Response& res) {
    res.set_header("Content-Disposition", "attachment; filename=\"" + fileName + "\"");
    Stream(res, body, "application/octet-stream", 65536, delayMs, stopAfter);
  });
}

void LocalHttpServer::Protected(const std::string& path, const std::string& realm, const std::string& user,
                                const std::string& password, const std::string& body) {
  server_->Get(path, [=, this](const httplib::Request& req, httplib::Response& res) {
    const std::string auth = req.get_header_value("Authorization");
    if (auth.rfind("Basic ", 0) == 0) {
      std::lock_guard<std::mutex> lock(mutex_);
      logins_.push_back(auth.substr(6));
    }
    if (auth == httplib::make_basic_authentication_header(user, password).second) {
      res.set_content(body, "text/html");
      return;
    }
    res.status = 401;
    res.set_header("WWW-Authenticate", "Basic realm=\"" + realm + "\"");
    res.set_content("<html><head><title>Unauthorized</title></head><body>no</body></html>", "text/html");
  });
}

void LocalHttpServer::FormTarget(const std::string& path) {
  server_->Post(path, [=, this](const httplib::Request& req, httplib::Response& res) {
    std::vector<std::string> fields;
    for (const auto& [name, value] : req.params) fields.push_back(name + "=" + value);  // sorted by the multimap
    {
      std::lock_guard<std::mutex> lock(mutex_);
      submissions_.push_back(fields);
    }
    res.set_content("<html><head><title>Received</title></head><body>ok</body></html>", "text/html");
  });
}

std::vector<std::vector<std::string>> LocalHttpServer::submissions() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return submissions_;
}

std::vector<std::string> LocalHttpServer::loginsTried() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return logins_;
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
  return (secure_ ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(port_) + path;
}

bool MakeSelfSignedCertificate(const std::string& dir) {
  const std::string cmd = "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 -keyout '" +
                          dir + "/key.pem' -out '" + dir + "/cert.pem' >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

}  // namespace kestrel::test
