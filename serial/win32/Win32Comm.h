#pragma once
// The device and event objects behind Platform::Comm and Platform::Event on
// Windows, and what the files of this binding share about them.
// The component's comm constants come first: <windows.h> then defines macros
// of the same names and values, which stand for them from there on.
#include "serial/internal/CommConstants.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// <windows.h> renames CreateEvent to its wide form; Platform's own stays.
#undef CreateEvent

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "serial/internal/CommLoss.h"
#include "serial/internal/Platform.h"
#include "serial/internal/ReceiveQueue.h"

namespace Platform {

struct Event {
  HANDLE Handle = nullptr;
};

// One overlapped operation slot: its block and the manual-reset event it signals.
struct Overlapped {
  OVERLAPPED Block{};
  Overlapped();
  ~Overlapped();
  Overlapped(const Overlapped&) = delete;
  Overlapped& operator=(const Overlapped&) = delete;
  // Readies the block for the next operation.
  OVERLAPPED* Start();
};

namespace Win32Network {
struct Line;
}

struct Comm {
  Comm();
  ~Comm();
  HANDLE Handle = INVALID_HANDLE_VALUE;  // a comm device; none for a network line
  HANDLE Wake = nullptr;                 // auto-reset: the comm-event wait looks at the state again
  // The device's events that its received bytes do not tell: an overlapped
  // WaitCommEvent, posted only while the mask asks for one of them; it stays
  // posted from one call of the comm-event wait to the next (event thread only).
  Overlapped WaitIo;
  DWORD WaitEvents = 0;
  bool WaitPosted = false;
  // The receive the comm-event wait keeps posted, and what it fills (event thread only).
  Overlapped ReceiveIo;
  uint8_t ReceiveBuffer[1024];
  DWORD ReceiveAsked = 0;  // the bytes the posted receive asked for; 0: none is posted
  std::mutex ReadLock;
  Overlapped ReadIo;
  std::mutex WriteLock;
  Overlapped WriteIo;

  std::mutex Lock;     // guards everything below
  ReceiveQueue Queue;  // bytes received and not read yet
  uint32_t Mask = 0;
  uint32_t MaskChanges = 0;      // counts mask changes...
  uint32_t WaitMaskChanges = 0;  // ...and that count when the device's wait was posted
  uint32_t PendingEvents = 0;    // events of the mask that occurred and are not reported yet
  uint32_t Errors = 0;           // line errors that the binding's own status reads took
  bool Watched = false;          // a comm-event wait runs and moves arrivals into the queue; readers take from it alone
  bool Rx80Reported = false;     // the 80 % mark was reported and not yet left
  bool ArrivalHeld = false;      // bytes came that are not reported yet: fewer than the threshold, line not quiet
  std::chrono::steady_clock::time_point LastArrival;  // when bytes last came
  uint32_t PurgeCount = 0;         // counts purges of the receive side: a receive posted before one is dropped
  uint32_t ReceivePurgeCount = 0;  // PurgeCount when the posted receive was posted
  uint32_t RxThreshold = 1;        // received characters are reported once this many are queued
  uint32_t BaudRate = 9600;        // the line's rate (a port's default until set), for the quiet gap
  uint8_t EventChar = 0;           // the control block's event character
  bool NullStrip = false;          // the control block drops received null bytes
  CommTimeouts Timeouts;           // as the caller set them; the device reads on the binding's own
  CommLoss Loss;
  std::unique_ptr<Win32Network::Line> Net;  // a line behind a device server; null for a comm device
};

namespace Win32Comm {

// Errors a removed adapter gives on every call. Each also has ordinary
// causes (a wait ended by a mask change ends with ERROR_OPERATION_ABORTED
// under wine), so a device counts as lost only when a status read fails too.
bool MayMeanDeviceGone(DWORD error);
// Checks with a status read whether the device is still there; marks it lost
// (with `error`) when it is not. Line errors the read takes are kept.
bool ConfirmLost(Comm& comm, DWORD error);
// Marks the device as gone; caller holds comm.Lock.
void MarkLost(Comm& comm, DWORD error);
// Waits for an overlapped operation that was started; false with its error.
bool FinishIo(Comm& comm, OVERLAPPED* io, DWORD& transferred);
// Reads up to `count` of the bytes the device itself holds, without waiting
// for more, through the operation slot given; false with the error.
bool ReadQueued(Comm& comm, Overlapped& slot, uint8_t* data, uint32_t count, uint32_t& read);

// The receive queue and the events it brings, for comm devices and network
// lines alike. The caller holds comm.Lock.
//
// Takes the control block's values the receive side uses.
void TakeControlBlock(Comm& comm, const CommDcb& dcb);
// Records events that occurred, as far as the mask asks for them.
void Record(Comm& comm, uint32_t events);
// Queues received bytes (null bytes dropped when the control block says so;
// the caller asked for no more than fit) and records their events. Below the
// receive threshold the received-character event is held back unless the
// line has gone quiet.
void Arrived(Comm& comm, uint8_t* data, uint32_t count, bool lineQuiet);
// The events to report now, cleared from the pending set. A held-back arrival
// is released once the threshold is reached, the line has been quiet for the
// gap or the device is gone.
uint32_t TakeEvents(Comm& comm);
// The milliseconds until a held-back arrival is due; INFINITE when none is held.
DWORD HeldArrivalDueMs(const Comm& comm);
// After a reader took bytes: re-arms the 80 % report, and wakes the wait when
// a full queue kept it from receiving.
void NoteQueueShrunk(Comm& comm, uint32_t sizeBefore);

// The receive a comm-event wait keeps posted on a comm device, and the
// device's own event wait beside it. Event thread only; they take comm.Lock.
//
// Posts a receive for the bytes the reader still needs (at most what the
// queue has room for; none when it is full). False when the device refused it.
bool PostReceive(Comm& comm);
// Takes the ended receive's bytes into the queue (unless a purge came after
// it was posted); true when it ended with nothing, so that the next one waits
// a moment before it is posted.
bool FinishReceive(Comm& comm);
// Ends a posted receive; what it got so far is kept.
void EndReceive(Comm& comm);
// A posted receive for one byte has none yet: when the reader now needs
// more (it raised the threshold), it is ended, to be posted again for them.
void ResizeReceive(Comm& comm);
// Posts the device's comm-event wait for `mask`; false when it failed.
bool PostDeviceWait(Comm& comm, uint32_t mask);
// Records the ended wait's events; false when it failed.
bool FinishDeviceWait(Comm& comm);
// Ends a posted device wait.
void EndDeviceWait(Comm& comm);
// The events the receive itself tells; the device's wait watches the others.
constexpr uint32_t ReceiveEvents = EV_RXCHAR | EV_RXFLAG | EV_RX80FULL;

}  // namespace Win32Comm

namespace Win32Ports {
// The path of the ports folder's entry COMn. "COMn" is a device name in every
// folder of Windows, so the path takes the "\\?\" form, which names the file.
std::string EntryPath(const std::string& folder, long number);
}  // namespace Win32Ports

namespace Win32Text {
// UTF-8 <-> UTF-16 for names and messages.
std::wstring Wide(const std::string& text);
std::string Utf8(const wchar_t* text, int length = -1);
}  // namespace Win32Text

}  // namespace Platform
