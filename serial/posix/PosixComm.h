#pragma once
// The device behind Platform::Comm: the tty's descriptor, the receive queue the
// binding fills from it, and what the comm-event wait needs to know. Shared by
// the files of the binding only.
#include <cstdint>
#include <mutex>

#include <memory>
#include <span>

#include "PosixNetwork.h"
#include "serial/internal/CommLoss.h"
#include "serial/internal/Platform.h"
#include "serial/internal/ReceiveQueue.h"

namespace Platform {

// The driver's error counters, where the device keeps them.
struct LineCounters {
  int Frame = 0;
  int Parity = 0;
  int Overrun = 0;
  int BufferOverrun = 0;
  int Break = 0;
};

struct Comm {
  int Fd = -1;      // the tty, or the socket of a network line (-1 while it connects)
  int WakeFd = -1;  // eventfd: wakes a comm-event wait when its state changed
  bool HasModemLines = false;
  bool HasCounters = false;

  std::mutex Lock;  // guards everything below
  ReceiveQueue Queue;
  CommDcb Dcb;  // the last control block written, or the one read at open
  CommTimeouts Timeouts;
  uint32_t Mask = 0;
  uint32_t PendingEvents = 0;  // events of the mask that occurred and are not reported yet
  uint32_t Errors = 0;         // line errors since the last status read
  bool Rx80Reported = false;   // the 80 % mark was reported and not yet left
  bool Waiting = false;        // a comm-event wait is in poll()
  bool Watched = false;        // a comm-event wait runs and moves arrivals into the queue
  bool TxPending = false;      // written bytes may still be in the output queue (transmit-empty watched)
  bool OutputQueued = false;   // bytes were written since the output queue was last seen empty
  uint32_t RxThreshold = 1;    // received characters are reported once this many are queued...
  uint32_t LastArrivalMs = 0;  // ...or once the line has been quiet for a while after this arrival
  int ModemState = 0;
  LineCounters Counters;
  CommLoss Loss;
  std::unique_ptr<PosixNetwork::Line> Net;  // a line behind a device server; null for a tty
};

namespace PosixComm {

// All of these expect the caller to hold comm.Lock.

// Moves what the device holds into the receive queue (as much as fits) and
// records the events and line errors of the arrival.
void FillQueue(Comm& comm);
// The same for readers: while a comm-event wait watches the device it does
// this itself as bytes arrive, so readers take from the queue alone and do
// not spend a read on a device that is empty.
void FillQueueUnlessWatched(Comm& comm);
// Marks the device as gone and wakes a waiting comm-event wait.
void MarkLost(Comm& comm, int error);
// Wakes a comm-event wait that is in poll(), so it looks at the state again.
void WakeWaiter(Comm& comm);
// How long a received-character event is held back: while fewer bytes than
// the receive threshold are queued and the line has been quiet for less than
// the gap, the milliseconds left of the gap; -1 when it is reported now.
int HoldBackMs(const Comm& comm);
// Records modem-line changes as events (devices with modem lines only).
void CheckModemLines(Comm& comm);
// Records transmit-empty once the output queue has drained; returns how many
// milliseconds to wait before looking again (-1: nothing to watch).
int CheckTxEmpty(Comm& comm);
// Re-arms the 80 % report once the queue is below the mark again.
void NoteQueueShrunk(Comm& comm, uint32_t sizeBefore);
// Writes all bytes to the device as they are, waiting for room; the caller
// holds no lock.
WriteResult WriteBytes(Comm& comm, const uint8_t* bytes, uint32_t count, std::span<Event* const> cancel,
                       uint32_t milliseconds);
// Reads the device's error counters (snapshot at open).
bool ReadCounters(int fd, LineCounters& counters);
bool ReadModemLines(int fd, int& bits);

}  // namespace PosixComm
}  // namespace Platform
