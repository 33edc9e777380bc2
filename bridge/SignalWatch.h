#pragma once
// The requests to stop the bridge as events of Qt's event loop, so that the
// handler runs on the main thread between other events, where it may do
// anything. On Linux SIGTERM, SIGINT and SIGHUP (blocked and read from a
// signal descriptor); on Windows Ctrl+C, Ctrl+Break, the console's closing,
// logoff and shutdown (a console control handler).
#include <QObject>
#include <functional>
#include <memory>
#include <string>

class SignalWatch : public QObject {
public:
  // Takes the stop requests from their default action (which ends the
  // process at once): call it first in main, before any thread exists. On
  // Linux a broker gone mid-write (SIGPIPE) is then ignored as well.
  static void TakeOverStopSignals();
  // Whether a stop request has arrived and not been taken by a watch yet:
  // how work that runs outside the event loop notices that it is to stop.
  static bool StopSignalPending();

  // "SIGTERM", "SIGINT", "SIGHUP"; "Ctrl+C", "Ctrl+Break", ... for the log.
  static std::string Name(int signal);

  // Windows: the service manager's stop, shutdown or preshutdown, named
  // "service stop". RequestStop may be called on any thread.
  static constexpr int ServiceStop = 0x10000;
  static void RequestStop(int request);

  explicit SignalWatch(std::function<void(int signal)> handler);
  ~SignalWatch() override;

private:
  struct Source;  // the platform's side: where the requests come from
  std::unique_ptr<Source> source_;
  std::function<void(int)> handler_;
};
