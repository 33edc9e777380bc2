// The receive side of a comm device: the binding's own receive queue, filled
// by an overlapped read that the comm-event wait keeps posted, and the events
// that received bytes bring. The device's read interval is the quiet gap, so
// a posted read ends once it has the bytes the reader still needs or once the
// line went quiet after some came: one wake for a frame, and none at all on
// an idle line (a pending WaitCommEvent would cost processor time there: wine
// polls the device for it). The device's other events come from a
// WaitCommEvent posted beside the read, only while the mask asks for them.
#include <algorithm>

#include "Win32Comm.h"
#include "serial/internal/QuietLine.h"

namespace Platform::Win32Comm {

using namespace CommConst;

namespace {

// The milliseconds the line has been quiet since bytes last came.
uint64_t QuietMs(const Comm& comm) {
  const auto quiet = std::chrono::steady_clock::now() - comm.LastArrival;
  return uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(quiet).count());
}

uint32_t Rx80Mark(const Comm& comm) {
  return std::max<uint32_t>(1, uint32_t(uint64_t(comm.Queue.Capacity()) * 8 / 10));
}

// Ends as a read that reached its time-out: wine reports that as an error
// where Windows reports success; ERROR_OPERATION_ABORTED is a cancel or purge.
bool EndedByTimeOrCancel(DWORD error) { return error == ERROR_TIMEOUT || error == ERROR_OPERATION_ABORTED; }

// The bytes the next receive asks for: those the reader still needs, at most
// what the queue has room for. Bytes beyond the threshold are news at once:
// then it asks for one. Caller holds comm.Lock.
DWORD ReceiveSize(const Comm& comm) {
  const uint32_t room = std::min<uint32_t>(comm.Queue.Space(), sizeof comm.ReceiveBuffer);
  const uint32_t queued = comm.Queue.Size();
  return std::min(room, comm.RxThreshold > queued ? comm.RxThreshold - queued : 1);
}

}  // namespace

void TakeControlBlock(Comm& comm, const CommDcb& dcb) {
  comm.BaudRate = dcb.BaudRate;
  comm.EventChar = uint8_t(dcb.EvtChar);
  comm.NullStrip = (dcb.Flags & DCB_Null) != 0;
}

void Record(Comm& comm, uint32_t events) { comm.PendingEvents |= events & comm.Mask; }

void Arrived(Comm& comm, uint8_t* data, uint32_t count, bool lineQuiet) {
  if (comm.NullStrip) count = uint32_t(std::remove(data, data + count, uint8_t(0)) - data);
  count = std::min(count, comm.Queue.Space());
  if (count == 0) return;
  comm.Queue.Push(data, count);
  comm.LastArrival = std::chrono::steady_clock::now();
  uint32_t events = 0;
  if (std::find(data, data + count, comm.EventChar) != data + count) events |= EV_RXFLAG;
  if (!comm.Rx80Reported && comm.Queue.Size() >= Rx80Mark(comm)) {
    comm.Rx80Reported = true;
    events |= EV_RX80FULL;
  }
  const bool enough = comm.Queue.Size() >= comm.RxThreshold || comm.Queue.Space() == 0;
  comm.ArrivalHeld = !(lineQuiet || enough);
  if (!comm.ArrivalHeld) events |= EV_RXCHAR;
  Record(comm, events);
}

DWORD HeldArrivalDueMs(const Comm& comm) {
  if (!comm.ArrivalHeld) return INFINITE;
  const uint64_t quiet = QuietMs(comm);
  const uint32_t gap = QuietLineMs(comm.BaudRate);
  return quiet >= gap ? 0 : DWORD(gap - quiet);
}

uint32_t TakeEvents(Comm& comm) {
  const bool due = comm.Queue.Size() >= comm.RxThreshold || comm.Loss.Lost || HeldArrivalDueMs(comm) == 0;
  if (comm.ArrivalHeld && due) {
    comm.ArrivalHeld = false;
    Record(comm, EV_RXCHAR);
  }
  uint32_t events = comm.PendingEvents & comm.Mask;
  if ((events & EV_RXCHAR) && comm.Queue.Size() == 0) events &= ~EV_RXCHAR;
  comm.PendingEvents = 0;
  return events;
}

void NoteQueueShrunk(Comm& comm, uint32_t sizeBefore) {
  if (comm.Queue.Size() < Rx80Mark(comm)) comm.Rx80Reported = false;
  if (sizeBefore >= comm.Queue.Capacity() && comm.Queue.Space() > 0) ::SetEvent(comm.Wake);
}

void ResizeReceive(Comm& comm) {
  if (comm.ReceiveAsked != 1) return;
  {
    std::lock_guard guard(comm.Lock);
    if (ReceiveSize(comm) <= 1) return;
  }
  EndReceive(comm);
}

bool PostReceive(Comm& comm) {
  DWORD error = 0;
  {
    // Posted under the lock, so that a purge either comes before it or ends it.
    std::lock_guard guard(comm.Lock);
    const DWORD asked = ReceiveSize(comm);
    if (asked == 0) return true;  // the queue is full: the reader's next take wakes the wait
    comm.ReceivePurgeCount = comm.PurgeCount;
    OVERLAPPED* io = comm.ReceiveIo.Start();
    if (::ReadFile(comm.Handle, comm.ReceiveBuffer, asked, nullptr, io) || ::GetLastError() == ERROR_IO_PENDING) {
      comm.ReceiveAsked = asked;  // done at once or pending: either way the block's event says when it ended
      return true;
    }
    error = ::GetLastError();
  }
  if (MayMeanDeviceGone(error)) ConfirmLost(comm, error);
  return false;
}

bool FinishReceive(Comm& comm) {
  DWORD count = 0;
  const bool ok = FinishIo(comm, &comm.ReceiveIo.Block, count);
  const DWORD error = ok ? 0 : ::GetLastError();
  const DWORD asked = comm.ReceiveAsked;
  comm.ReceiveAsked = 0;
  // Fewer bytes than asked for and not cancelled: the read interval ended it,
  // so the line is quiet. All asked for: more may have come meanwhile, and
  // those are taken at once, so that the report covers every byte there is.
  const bool cancelled = !ok && error == ERROR_OPERATION_ABORTED;
  uint32_t more = 0;
  if ((ok || EndedByTimeOrCancel(error)) && count > 0 && count == asked) {
    uint32_t room = 0;
    {
      std::lock_guard guard(comm.Lock);
      room = std::min<uint32_t>(comm.Queue.Space(), sizeof comm.ReceiveBuffer);
    }
    room = room > count ? room - count : 0;
    ReadQueued(comm, comm.ReceiveIo, comm.ReceiveBuffer + count, room, more);
  }
  {
    std::lock_guard guard(comm.Lock);
    if (comm.ReceivePurgeCount != comm.PurgeCount) return false;  // bytes from before a purge
    Arrived(comm, comm.ReceiveBuffer, count + more, count < asked && !cancelled);
  }
  if (count > 0) return false;
  // A hang-up ends reads at once with nothing (under wine with
  // ERROR_BROKEN_PIPE): the status read tells whether the device is gone.
  ConfirmLost(comm, ok || error == ERROR_TIMEOUT ? ERROR_OPERATION_ABORTED : error);
  return true;
}

void EndReceive(Comm& comm) {
  if (comm.ReceiveAsked == 0) return;
  ::CancelIoEx(comm.Handle, &comm.ReceiveIo.Block);
  FinishReceive(comm);
}

bool PostDeviceWait(Comm& comm, uint32_t mask) {
  {
    std::lock_guard guard(comm.Lock);
    comm.WaitMaskChanges = comm.MaskChanges;
  }
  OVERLAPPED* io = comm.WaitIo.Start();
  comm.WaitEvents = 0;
  if (::WaitCommEvent(comm.Handle, &comm.WaitEvents, io)) {
    std::lock_guard guard(comm.Lock);
    Record(comm, comm.WaitEvents & mask);
    return true;
  }
  const DWORD error = ::GetLastError();
  if (error == ERROR_IO_PENDING) {
    comm.WaitPosted = true;
    return true;
  }
  if (MayMeanDeviceGone(error)) ConfirmLost(comm, error);
  return false;
}

bool FinishDeviceWait(Comm& comm) {
  comm.WaitPosted = false;
  DWORD ignored = 0;
  if (!::GetOverlappedResult(comm.Handle, &comm.WaitIo.Block, &ignored, TRUE)) {
    const DWORD error = ::GetLastError();
    if (MayMeanDeviceGone(error) && ConfirmLost(comm, error)) return false;
    // A mask change ends the wait with ERROR_OPERATION_ABORTED under wine:
    // the next one goes at once, so that nothing meanwhile is missed.
    std::lock_guard guard(comm.Lock);
    return error == ERROR_OPERATION_ABORTED && comm.WaitMaskChanges != comm.MaskChanges;
  }
  std::lock_guard guard(comm.Lock);
  Record(comm, comm.WaitEvents);
  return true;
}

// A pending wait ends when the mask is set again, on Windows and under wine
// alike (CancelIo does not end it under wine); one that still does not is cancelled.
void EndDeviceWait(Comm& comm) {
  constexpr DWORD EndWaitMs = 1000;
  if (!comm.WaitPosted) return;
  uint32_t mask = 0;
  {
    std::lock_guard guard(comm.Lock);
    mask = comm.Mask & ~ReceiveEvents;
  }
  ::SetCommMask(comm.Handle, mask);
  if (::WaitForSingleObject(comm.WaitIo.Block.hEvent, EndWaitMs) != WAIT_OBJECT_0) {
    ::CancelIoEx(comm.Handle, &comm.WaitIo.Block);
  }
  DWORD ignored = 0;
  FinishIo(comm, &comm.WaitIo.Block, ignored);
  comm.WaitPosted = false;
}

}  // namespace Platform::Win32Comm
