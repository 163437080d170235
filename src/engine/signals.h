#pragma once
// SIGTERM and SIGHUP end the run the way closing the frame does: the handler
// only writes to a pipe, and the event loop does the rest.
#include <QObject>

class QSocketNotifier;

namespace kestrel {

class TerminationSignals : public QObject {
  Q_OBJECT
 public:
  explicit TerminationSignals(QObject* parent = nullptr);
  ~TerminationSignals() override;

 signals:
  void terminationRequested(int signal);

 private:
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace kestrel
