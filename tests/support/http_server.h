#pragma once
// A page server on 127.0.0.1 with a free port, for tests that load real pages.
#include <cstddef>
#include <functional>
#include <mutex>
#include <vector>
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
  // An HTTPS server with the certificate and key in these PEM files.
  LocalHttpServer(const std::string& certFile, const std::string& keyFile);
  ~LocalHttpServer();
  // Serves `body` as text/html at `path`.
  void Page(const std::string& path, const std::string& body);
  // Serves `body` in `steps` pieces, `delayMs` apart, so the page loads slowly.
  void SlowPage(const std::string& path, const std::string& body, int steps, int delayMs);
  // Serves `body` with an HTTP status other than 200.
  void StatusPage(const std::string& path, int status, const std::string& body);
  // Serves `body` as a file to save, named `fileName` by the server; with
  // `stopAfter` < body size the connection closes after that many bytes;
  // `delayMs` between pieces of 64 KiB makes it slow.
  void File(const std::string& path, const std::string& body, const std::string& fileName,
            std::size_t stopAfter = std::string::npos, int delayMs = 0);
  // A page behind Basic authentication for `user` and `password`; notes
  // the logins tried, each as the base64 of "user:password" it came as.
  void Protected(const std::string& path, const std::string& realm, const std::string& user,
                 const std::string& password, const std::string& body);
  // Takes form posts at `path`: each submission's fields ("name=value"),
  // sorted by name, answered with a page titled "Received".
  void FormTarget(const std::string& path);
  std::vector<std::vector<std::string>> submissions() const;
  std::vector<std::string> loginsTried() const;
  // A loopback port where nothing listens (bound, then closed).
  static int ClosedPort();
  void Start();
  int port() const { return port_; }
  std::string Url(const std::string& path) const;
  httplib::Server& server() { return *server_; }

 private:
  std::unique_ptr<httplib::Server> server_;
  bool secure_ = false;
  mutable std::mutex mutex_;
  std::vector<std::string> logins_;
  std::vector<std::vector<std::string>> submissions_;
  std::thread thread_;
  int port_ = 0;
};

// Makes a self-signed certificate for 127.0.0.1 in `dir` (cert.pem and
// key.pem) with the openssl tool; false when that fails.
bool MakeSelfSignedCertificate(const std::string& dir);

}  // namespace kestrel::test
