// The comm-event wait of a comm device: it keeps a receive posted (and, when
// the mask asks for events the received bytes do not tell, the device's own
// WaitCommEvent beside it) and reports what they brought. Both stay posted
// from one call to the next; they are ended when the wait is cancelled or the
// device is gone. The wake event brings a mask or threshold change, or room
// in a queue that was full.
#include "Win32Comm.h"
#include "Win32Network.h"

namespace Platform {

namespace {

// After a receive or device wait that ended with nothing, the next one is
// posted this much later, so one that keeps ending at once (a failing device
// that still answers status reads) cannot spin.
constexpr DWORD RearmPauseMs = 10;

bool Signalled(HANDLE handle, DWORD milliseconds) {
  return ::WaitForSingleObject(handle, milliseconds) == WAIT_OBJECT_0;
}

CommWait StopWatching(Comm& comm, CommWait end) {
  Win32Comm::EndReceive(comm);
  Win32Comm::EndDeviceWait(comm);
  std::lock_guard guard(comm.Lock);
  comm.Watched = false;
  return end;
}

// Posts what is not posted yet; false when either failed. A receive is posted
// only while the mask asks for received bytes; otherwise readers take them
// from the device themselves.
bool PostAll(Comm& comm, uint32_t deviceMask, bool receiving) {
  if (receiving) {
    Win32Comm::ResizeReceive(comm);
  } else {
    Win32Comm::EndReceive(comm);
  }
  bool ok = comm.WaitPosted || deviceMask == 0 || Win32Comm::PostDeviceWait(comm, deviceMask);
  if (receiving && comm.ReceiveAsked == 0) ok = Win32Comm::PostReceive(comm) && ok;
  return ok;
}

// Waits until something happened or a held-back arrival is due, and takes
// what the ended operations brought; false when one of them ended with nothing.
bool AwaitAny(Comm& comm, Event* cancel, DWORD milliseconds) {
  HANDLE handles[4] = {cancel->Handle, comm.Wake};
  DWORD count = 2;
  if (comm.ReceiveAsked != 0) handles[count++] = comm.ReceiveIo.Block.hEvent;
  if (comm.WaitPosted) handles[count++] = comm.WaitIo.Block.hEvent;
  if (::WaitForMultipleObjects(count, handles, FALSE, milliseconds) == WAIT_TIMEOUT) {
    // A held-back arrival is due unless the posted receive got bytes meanwhile
    // (the line is still busy then): it ends, and what it got is queued.
    Win32Comm::EndReceive(comm);
    return true;
  }
  bool ok = true;
  if (comm.ReceiveAsked != 0 && Signalled(comm.ReceiveIo.Block.hEvent, 0)) ok = !Win32Comm::FinishReceive(comm);
  if (comm.WaitPosted && Signalled(comm.WaitIo.Block.hEvent, 0)) ok = Win32Comm::FinishDeviceWait(comm) && ok;
  return ok;
}

}  // namespace

CommWait WaitCommEvent(Comm* comm, uint32_t& mask, Event* cancel) {
  if (comm->Net) return Win32Network::WaitEvent(*comm, mask, cancel);
  bool pause = false;
  for (;;) {
    mask = 0;
    if (Signalled(cancel->Handle, pause ? RearmPauseMs : 0)) return StopWatching(*comm, CommWait::Cancelled);
    bool receiving = false;
    uint32_t deviceMask = 0;
    {
      std::lock_guard guard(comm->Lock);
      receiving = (comm->Mask & Win32Comm::ReceiveEvents) != 0;
      comm->Watched = receiving;
      deviceMask = comm->Mask & ~Win32Comm::ReceiveEvents;
    }
    // Posting may itself bring events (a receive ended to be posted anew, a
    // device wait done at once): they are taken after it, before any sleep.
    pause = !PostAll(*comm, deviceMask, receiving);
    bool lost = false;
    DWORD due = INFINITE;
    {
      std::lock_guard guard(comm->Lock);
      mask = Win32Comm::TakeEvents(*comm);
      lost = comm->Loss.Lost;
      due = Win32Comm::HeldArrivalDueMs(*comm);
    }
    // What arrived before a loss is reported first.
    if (mask != 0) return CommWait::Event;
    if (lost) return StopWatching(*comm, CommWait::DeviceLost);
    if (!pause) pause = !AwaitAny(*comm, cancel, due);
  }
}

}  // namespace Platform
