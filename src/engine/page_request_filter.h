#pragma once
#include <QWebEngineUrlRequestInterceptor>
#include <atomic>

namespace kestrel {

// The requests one page may make: none to the network while Work Offline
// is on, no pictures while the site's download control says so.
class PageRequestFilter : public QWebEngineUrlRequestInterceptor {
 public:
  explicit PageRequestFilter(const std::atomic<bool>& offline) : offline_(offline) {}
  void interceptRequest(QWebEngineUrlRequestInfo& info) override {
    const auto type = info.resourceType();
    if ((!pictures && type == QWebEngineUrlRequestInfo::ResourceTypeImage) ||
        (!media && type == QWebEngineUrlRequestInfo::ResourceTypeMedia)) {
      info.block(true);
      return;
    }
    if (!offline_) return;
    const QString scheme = info.requestUrl().scheme();
    if (scheme == "http" || scheme == "https" || scheme == "ftp" || scheme == "ws" || scheme == "wss")
      info.block(true);
  }
  std::atomic<bool> pictures{true};
  std::atomic<bool> media{true};

 private:
  const std::atomic<bool>& offline_;
};

}  // namespace kestrel
