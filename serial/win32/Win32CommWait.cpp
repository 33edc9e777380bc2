// The comm-event wait: an overlapped WaitCommEvent raced against the cancel
// event. A pending wait is ended with SetCommMask, which ends it on Windows
// and under wine alike (CancelIo does not end it under wine). Received-
// character events for bytes that an earlier event already reported are
// dropped: wine reports them again at once while they stay queued, Windows
// may when they arrived just before the wait was re-armed. Below the reader's
// receive threshold an event is held back until more bytes come or the line
// has been quiet for the gap, so that the reader wakes once for a frame.
#include <chrono>

#include "Win32Comm.h"
#include "Win32Network.h"
#include "serial/internal/QuietLine.h"

namespace Platform {

using namespace CommConst;

namespace {

// After a wake with nothing to report, the next wait starts this much later,
// so a wait that keeps ending at once (bytes left queued under wine, a
// failing device that still answers status reads) cannot spin.
constexpr DWORD RearmPauseMs = 10;
// How long an ended wait may take to complete before it is cancelled outright.
constexpr DWORD EndWaitMs = 1000;

enum class WaitEnd { Events, Cancelled, Failed, TimedOut };

bool Signalled(Event* event, DWORD milliseconds) {
  return ::WaitForSingleObject(event->Handle, milliseconds) == WAIT_OBJECT_0;
}

void EndPendingWait(Comm& comm, OVERLAPPED* io) {
  uint32_t mask = 0;
  {
    std::lock_guard guard(comm.Lock);
    mask = comm.Mask;
  }
  ::SetCommMask(comm.Handle, mask);
  if (::WaitForSingleObject(io->hEvent, EndWaitMs) != WAIT_OBJECT_0) ::CancelIoEx(comm.Handle, io);
  DWORD ignored = 0;
  Win32Comm::FinishIo(comm, io, ignored);
}

WaitEnd WaitOnce(Comm& comm, DWORD& events, Event* cancel, DWORD milliseconds, DWORD& error) {
  OVERLAPPED* io = comm.WaitIo.Start();
  events = 0;
  if (::WaitCommEvent(comm.Handle, &events, io)) return WaitEnd::Events;
  error = ::GetLastError();
  if (error != ERROR_IO_PENDING) return WaitEnd::Failed;
  HANDLE handles[2] = {cancel->Handle, io->hEvent};
  const DWORD result = ::WaitForMultipleObjects(2, handles, FALSE, milliseconds);
  if (result == WAIT_OBJECT_0 + 1) {
    DWORD ignored = 0;
    if (::GetOverlappedResult(comm.Handle, io, &ignored, FALSE)) return WaitEnd::Events;
    error = ::GetLastError();
    return WaitEnd::Failed;
  }
  // The wait's block and result must stay in place until the system let go of them.
  EndPendingWait(comm, io);
  return result == WAIT_TIMEOUT ? WaitEnd::TimedOut : WaitEnd::Cancelled;
}

// Keeps a received-character event only when more bytes are queued than the
// events so far reported and readers have not taken yet. `belowThreshold`
// tells whether the queue holds fewer bytes than the reader's threshold.
uint32_t DropReportedBytes(Comm& comm, uint32_t events, bool& belowThreshold) {
  belowThreshold = false;
  if ((events & EV_RXCHAR) == 0) return events;
  DWORD errors = 0;
  COMSTAT status{};
  std::lock_guard guard(comm.Lock);
  if (!::ClearCommError(comm.Handle, &errors, &status)) return events;  // cannot tell: report it
  comm.Errors |= errors;
  if (status.cbInQue <= comm.ReportedQueue) events &= ~EV_RXCHAR;
  comm.ReportedQueue = status.cbInQue;
  belowThreshold = status.cbInQue < comm.RxThreshold;
  return events;
}

// A received-character event held back below the threshold, with the time
// the queue last grew: it is reported once the line has been quiet for the gap.
struct HeldArrival {
  bool Active = false;
  std::chrono::steady_clock::time_point GrewAt;

  void Start() {
    Active = true;
    GrewAt = std::chrono::steady_clock::now();
  }
  // The milliseconds left of the gap; false once it has passed.
  bool TimeLeft(DWORD gapMs, DWORD& left) const {
    const auto quiet = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - GrewAt);
    if (quiet.count() >= gapMs) return false;
    left = gapMs - DWORD(quiet.count());
    return true;
  }
  // Hands the held event over (adds EV_RXCHAR to `mask`); false when none is held.
  bool Take(uint32_t& mask) {
    if (!Active) return false;
    Active = false;
    mask |= EV_RXCHAR;
    return true;
  }
};

DWORD QuietGapMs(Comm& comm) {
  std::lock_guard guard(comm.Lock);
  return QuietLineMs(comm.BaudRate);
}

}  // namespace

CommWait WaitCommEvent(Comm* comm, uint32_t& mask, Event* cancel) {
  if (comm->Net) return Win32Network::WaitEvent(*comm, mask, cancel);
  mask = 0;
  bool pause = false;
  HeldArrival held;
  for (;;) {
    if (Signalled(cancel, pause ? RearmPauseMs : 0)) return CommWait::Cancelled;
    if (CommLost(comm)) return held.Take(mask) ? CommWait::Event : CommWait::DeviceLost;
    DWORD timeout = INFINITE;
    if (held.Active && !held.TimeLeft(QuietGapMs(*comm), timeout)) {
      held.Take(mask);
      return CommWait::Event;
    }
    DWORD events = 0;
    DWORD error = 0;
    pause = true;
    switch (WaitOnce(*comm, events, cancel, timeout, error)) {
      case WaitEnd::Cancelled: return CommWait::Cancelled;
      case WaitEnd::TimedOut:  // only while an event is held: the line went quiet
        held.Take(mask);
        return CommWait::Event;
      case WaitEnd::Failed:
        // A lost device is reported by the next round, after what arrived before it.
        if (Win32Comm::MayMeanDeviceGone(error)) Win32Comm::ConfirmLost(*comm, error);
        break;
      case WaitEnd::Events: {
        bool belowThreshold = false;
        mask = DropReportedBytes(*comm, events, belowThreshold);
        if ((mask & EV_RXCHAR) && belowThreshold) {
          held.Start();
          mask &= ~EV_RXCHAR;
          pause = false;  // bytes came: the next wait starts at once
        } else if (mask & EV_RXCHAR) {
          held.Active = false;
        }
        if (mask != 0) {
          uint32_t rx = 0;
          held.Take(rx);
          mask |= rx;
          return CommWait::Event;
        }
        break;
      }
    }
  }
}

}  // namespace Platform
