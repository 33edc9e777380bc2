#include "bridge/ServiceManager.h"

#ifdef PCZN_WITH_SYSTEMD
#include <systemd/sd-daemon.h>
#endif

namespace {

void Notify([[maybe_unused]] const char* state) {
#ifdef PCZN_WITH_SYSTEMD
  sd_notify(0, state);
#endif
}

}  // namespace

void ServiceManager::Ready() { Notify("READY=1"); }

void ServiceManager::Alive() { Notify("WATCHDOG=1"); }

void ServiceManager::Stopping() { Notify("STOPPING=1"); }

std::optional<std::chrono::milliseconds> ServiceManager::WatchdogLimit() {
#ifdef PCZN_WITH_SYSTEMD
  uint64_t limit = 0;
  if (sd_watchdog_enabled(0, &limit) > 0 && limit > 0)
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::microseconds(limit));
#endif
  return std::nullopt;
}
