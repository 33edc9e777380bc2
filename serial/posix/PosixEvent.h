#pragma once
// The event object behind Platform::Event: a flag under a mutex, mirrored by an
// eventfd that is readable exactly while the flag is set, so that a poll() can
// wait for events and a device at the same time.
#include <poll.h>

#include <atomic>
#include <mutex>
#include <span>
#include <vector>

#include "serial/internal/Platform.h"

namespace Platform {

struct Event {
  int Fd = -1;
  bool ManualReset = true;
  std::mutex Lock;
  // Changed under Lock only. A waiter looks at a manual-reset event without
  // the lock, so that a thread woken by SetEvent does not sleep again on the
  // lock that the setting thread still holds while it raises the eventfd.
  std::atomic<bool> Signalled{false};
};

namespace PosixEvent {

// Appends one pollfd per event (readable while signalled).
void AddPollFds(std::span<Event* const> events, std::vector<pollfd>& fds);
// The lowest index of a signalled event, taking it if it resets automatically; -1 if none.
int TakeFirstSignalled(std::span<Event* const> events);
// Milliseconds left until `deadline` (a GetTickCount value), for poll(); -1 for Infinite.
int PollTimeout(uint32_t milliseconds, uint32_t start);

}  // namespace PosixEvent
}  // namespace Platform
