#pragma once
// What the service manager hears from the bridge under systemd's Type=notify:
// that it is ready (the port is open), that its event loop still runs (the
// watchdog, WatchdogSec=), and that it stops. Without $NOTIFY_SOCKET (started
// by hand, or on Windows) every call does nothing.
#include <chrono>
#include <optional>

class ServiceManager {
public:
  static void Ready();
  static void Alive();
  static void Stopping();
  // The watchdog's limit (WatchdogSec=) when the service manager watches this
  // process; the bridge then calls Alive at least twice within it.
  static std::optional<std::chrono::milliseconds> WatchdogLimit();
};
