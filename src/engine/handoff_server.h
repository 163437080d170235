#pragma once
// Accepts hand-offs from later starts on the listening socket, one message
// per connection, and answers once the text has been handled.
#include <QObject>
#include <cstdint>
#include <functional>
#include <string>

class QSocketNotifier;

namespace kestrel {

class HandoffServer : public QObject {
  Q_OBJECT
 public:
  // `handler` gets the code and the text and says whether it was taken.
  using Handler = std::function<bool(std::uint32_t code, const std::string& text)>;
  HandoffServer(int listenFd, Handler handler, QObject* parent = nullptr);
  ~HandoffServer() override;

  // A sender that does not finish its message in this time is dropped.
  static constexpr int kReadTimeoutMs = 5000;

 private:
  void Accept();
  int fd_;
  Handler handler_;
  QSocketNotifier* notifier_;
};

}  // namespace kestrel
