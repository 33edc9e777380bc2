// The comm-event wait: an overlapped WaitCommEvent raced against the cancel
// event. A pending wait is ended with SetCommMask, which ends it on Windows
// and under wine alike (CancelIo does not end it under wine). Received-
// character events for bytes that an earlier event already reported are
// dropped: wine reports them again at once while they stay queued, Windows
// may when they arrived just before the wait was re-armed.
#include "Win32Comm.h"
#include "Win32Network.h"

namespace Platform {

using namespace CommConst;

namespace {

// After a wake with nothing to report, the next wait starts this much later,
// so a wait that keeps ending at once (bytes left queued under wine, a
// failing device that still answers status reads) cannot spin.
constexpr DWORD RearmPauseMs = 10;
// How long an ended wait may take to complete before it is cancelled outright.
constexpr DWORD EndWaitMs = 1000;

enum class WaitEnd { Events, Cancelled, Failed };

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

WaitEnd WaitOnce(Comm& comm, DWORD& events, Event* cancel, DWORD& error) {
  OVERLAPPED* io = comm.WaitIo.Start();
  events = 0;
  if (::WaitCommEvent(comm.Handle, &events, io)) return WaitEnd::Events;
  error = ::GetLastError();
  if (error != ERROR_IO_PENDING) return WaitEnd::Failed;
  HANDLE handles[2] = {cancel->Handle, io->hEvent};
  const DWORD result = ::WaitForMultipleObjects(2, handles, FALSE, INFINITE);
  if (result == WAIT_OBJECT_0 + 1) {
    DWORD ignored = 0;
    if (::GetOverlappedResult(comm.Handle, io, &ignored, FALSE)) return WaitEnd::Events;
    error = ::GetLastError();
    return WaitEnd::Failed;
  }
  // The wait's block and result must stay in place until the system let go of them.
  EndPendingWait(comm, io);
  return WaitEnd::Cancelled;
}

// Keeps a received-character event only when more bytes are queued than the
// events so far reported and readers have not taken yet.
uint32_t DropReportedBytes(Comm& comm, uint32_t events) {
  if ((events & EV_RXCHAR) == 0) return events;
  DWORD errors = 0;
  COMSTAT status{};
  std::lock_guard guard(comm.Lock);
  if (!::ClearCommError(comm.Handle, &errors, &status)) return events;  // cannot tell: report it
  comm.Errors |= errors;
  if (status.cbInQue <= comm.ReportedQueue) events &= ~EV_RXCHAR;
  comm.ReportedQueue = status.cbInQue;
  return events;
}

}  // namespace

CommWait WaitCommEvent(Comm* comm, uint32_t& mask, Event* cancel) {
  if (comm->Net) return Win32Network::WaitEvent(*comm, mask, cancel);
  mask = 0;
  bool pause = false;
  for (;;) {
    if (Signalled(cancel, pause ? RearmPauseMs : 0)) return CommWait::Cancelled;
    if (CommLost(comm)) return CommWait::DeviceLost;
    DWORD events = 0;
    DWORD error = 0;
    switch (WaitOnce(*comm, events, cancel, error)) {
      case WaitEnd::Cancelled: return CommWait::Cancelled;
      case WaitEnd::Failed:
        if (Win32Comm::MayMeanDeviceGone(error) && Win32Comm::ConfirmLost(*comm, error)) return CommWait::DeviceLost;
        break;
      case WaitEnd::Events:
        mask = DropReportedBytes(*comm, events);
        if (mask != 0) return CommWait::Event;
        break;
    }
    pause = true;
  }
}

}  // namespace Platform
