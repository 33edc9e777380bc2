#pragma once
// SIGTERM, SIGINT and SIGHUP (each stops the bridge) as events of Qt's event
// loop: the signals are blocked and read from a signal descriptor, so the
// handler runs on the main thread between other events, where it may do anything.
#include <QObject>
#include <functional>
#include <memory>
#include <string>

class QSocketNotifier;

class SignalWatch : public QObject {
public:
  // Blocks the three signals for this thread and every thread started after it:
  // call it first in main, before any thread exists.
  static void BlockStopSignals();
  // Whether one of them has arrived while blocked and not been read yet:
  // how work that runs outside the event loop notices that it is to stop.
  static bool StopSignalPending();

  // "SIGTERM", "SIGINT" or "SIGHUP", for the log.
  static std::string Name(int signal);

  explicit SignalWatch(std::function<void(int signal)> handler);
  ~SignalWatch() override;

private:
  void Read();

  int fd_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::function<void(int)> handler_;
};
