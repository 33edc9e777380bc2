// Events and waits on one or several of them.
#include "PosixEvent.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace Platform {

namespace {

void DrainEventFd(int fd) {
  uint64_t value = 0;
  while (read(fd, &value, sizeof value) < 0 && errno == EINTR) {
  }
}

void RaiseEventFd(int fd) {
  const uint64_t one = 1;
  while (write(fd, &one, sizeof one) < 0 && errno == EINTR) {
  }
}

// Caller holds event->Lock.
void ClearLocked(Event* event) {
  if (!event->Signalled) return;
  event->Signalled = false;
  DrainEventFd(event->Fd);
}

}  // namespace

Event* CreateEvent(bool manualReset, bool initialState) {
  const int fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (fd < 0) {
    SetLastError(errno);
    return nullptr;
  }
  auto* event = new Event;
  event->Fd = fd;
  event->ManualReset = manualReset;
  if (initialState) SetEvent(event);
  return event;
}

void CloseEvent(Event* event) {
  if (event == nullptr) return;
  close(event->Fd);
  delete event;
}

bool SetEvent(Event* event) {
  if (event == nullptr) {
    SetLastError(EBADF);
    return false;
  }
  std::lock_guard guard(event->Lock);
  if (!event->Signalled) {
    event->Signalled = true;
    RaiseEventFd(event->Fd);
  }
  return true;
}

bool ResetEvent(Event* event) {
  if (event == nullptr) {
    SetLastError(EBADF);
    return false;
  }
  std::lock_guard guard(event->Lock);
  ClearLocked(event);
  return true;
}

namespace PosixEvent {

void AddPollFds(std::span<Event* const> events, std::vector<pollfd>& fds) {
  for (Event* event : events) fds.push_back(pollfd{event->Fd, POLLIN, 0});
}

int TakeFirstSignalled(std::span<Event* const> events) {
  for (size_t i = 0; i < events.size(); ++i) {
    if (events[i]->ManualReset) {
      if (events[i]->Signalled) return int(i);
      continue;
    }
    std::lock_guard guard(events[i]->Lock);
    if (!events[i]->Signalled) continue;
    if (!events[i]->ManualReset) ClearLocked(events[i]);
    return int(i);
  }
  return -1;
}

int PollTimeout(uint32_t milliseconds, uint32_t start) {
  if (milliseconds == Infinite) return -1;
  const uint32_t elapsed = GetTickCount() - start;  // unsigned: wrap-around safe
  return elapsed >= milliseconds ? 0 : int(milliseconds - elapsed);
}

}  // namespace PosixEvent

uint32_t WaitForMultipleObjects(std::span<Event* const> events, uint32_t milliseconds) {
  for (Event* event : events) {
    if (event == nullptr) {
      SetLastError(EBADF);
      return WaitFailed;
    }
  }
  const uint32_t start = GetTickCount();
  std::vector<pollfd> fds;
  fds.reserve(events.size());
  PosixEvent::AddPollFds(events, fds);
  for (;;) {
    if (const int index = PosixEvent::TakeFirstSignalled(events); index >= 0) {
      return WaitObject0 + uint32_t(index);
    }
    const int timeout = PosixEvent::PollTimeout(milliseconds, start);
    const int ready = poll(fds.data(), fds.size(), timeout);
    if (ready < 0 && errno != EINTR) {
      SetLastError(errno);
      return WaitFailed;
    }
    if (ready == 0) {
      const int index = PosixEvent::TakeFirstSignalled(events);
      return index >= 0 ? WaitObject0 + uint32_t(index) : WaitTimeout;
    }
    // Readable but already taken by another waiter: wait again.
  }
}

uint32_t WaitForSingleObject(Event* event, uint32_t milliseconds) {
  return WaitForMultipleObjects(std::span<Event* const>(&event, 1), milliseconds);
}

}  // namespace Platform
