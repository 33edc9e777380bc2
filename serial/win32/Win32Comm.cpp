// Serial devices on the comm API: open and close, settings, reads, writes,
// status, purge, and telling a removed device from an ordinary failure.
#include <algorithm>
#include <vector>

#include "Win32Comm.h"
#include "Win32Network.h"
#include "serial/DeviceName.h"
#include "serial/NetworkPortName.h"
#include "serial/internal/QuietLine.h"

namespace Platform {

using namespace CommConst;

namespace {

bool Fail(DWORD error) {
  SetLastError(int(error));
  return false;
}

bool FailWithSystemError() { return Fail(::GetLastError()); }

// The fields that the system's control block and the component's share by
// name and meaning; the flag bits differ in form and are converted apart.
template <class From, class To>
void CopyLineFields(const From& from, To& to) {
  to.BaudRate = from.BaudRate;
  to.XonLim = from.XonLim;
  to.XoffLim = from.XoffLim;
  to.ByteSize = from.ByteSize;
  to.Parity = from.Parity;
  to.StopBits = from.StopBits;
  to.XonChar = from.XonChar;
  to.XoffChar = from.XoffChar;
  to.ErrorChar = from.ErrorChar;
  to.EofChar = from.EofChar;
  to.EvtChar = from.EvtChar;
}

void ToDcb(const CommDcb& from, DCB& to) {
  const uint32_t f = from.Flags;
  to.fBinary = (f & DCB_Binary) != 0;
  to.fParity = (f & DCB_Parity) != 0;
  to.fOutxCtsFlow = (f & DCB_OutxCtsFlow) != 0;
  to.fOutxDsrFlow = (f & DCB_OutxDsrFlow) != 0;
  to.fDtrControl = (f & DCB_DtrControlMask) >> 4;
  to.fDsrSensitivity = (f & DCB_DsrSensitivity) != 0;
  to.fTXContinueOnXoff = (f & DCB_TXContinueOnXoff) != 0;
  to.fOutX = (f & DCB_OutX) != 0;
  to.fInX = (f & DCB_InX) != 0;
  to.fErrorChar = (f & DCB_ErrorChar) != 0;
  to.fNull = (f & DCB_Null) != 0;
  to.fRtsControl = (f & DCB_RtsControlMask) >> 12;
  to.fAbortOnError = (f & DCB_AbortOnError) != 0;
  CopyLineFields(from, to);
}

void FromDcb(const DCB& from, CommDcb& to) {
  uint32_t f = 0;
  if (from.fBinary) f |= DCB_Binary;
  if (from.fParity) f |= DCB_Parity;
  if (from.fOutxCtsFlow) f |= DCB_OutxCtsFlow;
  if (from.fOutxDsrFlow) f |= DCB_OutxDsrFlow;
  f |= (uint32_t(from.fDtrControl) << 4) & DCB_DtrControlMask;
  if (from.fDsrSensitivity) f |= DCB_DsrSensitivity;
  if (from.fTXContinueOnXoff) f |= DCB_TXContinueOnXoff;
  if (from.fOutX) f |= DCB_OutX;
  if (from.fInX) f |= DCB_InX;
  if (from.fErrorChar) f |= DCB_ErrorChar;
  if (from.fNull) f |= DCB_Null;
  f |= (uint32_t(from.fRtsControl) << 12) & DCB_RtsControlMask;
  if (from.fAbortOnError) f |= DCB_AbortOnError;
  to.Flags = f;
  CopyLineFields(from, to);
}

// The hold and end-of-file flags of the queue status, in their bit order.
uint32_t StatusBits(const COMSTAT& s) {
  return uint32_t(s.fCtsHold) | uint32_t(s.fDsrHold) << 1 | uint32_t(s.fRlsdHold) << 2 | uint32_t(s.fXoffHold) << 3 |
         uint32_t(s.fXoffSent) << 4 | uint32_t(s.fEof) << 5 | uint32_t(s.fTxim) << 6;
}

constexpr DWORD ReadLimitMs = 1000;
constexpr uint32_t DefaultQueueSize = 4096;

DWORD Remaining(uint32_t milliseconds, uint32_t start) {
  if (milliseconds == Infinite) return INFINITE;
  const uint32_t elapsed = GetTickCount() - start;  // unsigned: wrap-around safe
  return elapsed >= milliseconds ? 0 : milliseconds - elapsed;
}

// Index of the first signalled cancel event, or -1; takes an auto-reset one.
int FirstSignalled(const std::vector<HANDLE>& cancel) {
  if (cancel.empty()) return -1;
  const DWORD result = ::WaitForMultipleObjects(DWORD(cancel.size()), cancel.data(), FALSE, 0);
  return result < WAIT_OBJECT_0 + cancel.size() ? int(result - WAIT_OBJECT_0) : -1;
}

enum class IoEnd { Done, Failed, Cancelled, TimedOut };

// Waits for a started write, a cancel event or the time limit. A write that
// does not complete is cancelled, and what it wrote is still counted.
IoEnd AwaitWrite(Comm& comm, OVERLAPPED* io, std::vector<HANDLE> handles, DWORD limit, DWORD& written,
                 uint32_t& cancelIndex) {
  const DWORD cancels = DWORD(handles.size());
  handles.push_back(io->hEvent);
  const DWORD result = ::WaitForMultipleObjects(DWORD(handles.size()), handles.data(), FALSE, limit);
  if (result == WAIT_OBJECT_0 + cancels) return Win32Comm::FinishIo(comm, io, written) ? IoEnd::Done : IoEnd::Failed;
  ::CancelIo(comm.Handle);
  Win32Comm::FinishIo(comm, io, written);
  if (result < WAIT_OBJECT_0 + cancels) {
    cancelIndex = result - WAIT_OBJECT_0;
    return IoEnd::Cancelled;
  }
  return IoEnd::TimedOut;
}

bool QueueStatus(Comm& comm, CommStat& stat);

// The device reads on time-outs of the binding's own: a posted receive ends
// once the line has been quiet for the gap after a byte came (and never while
// none came). Readers take from the binding's queue; the caller's write
// time-outs stay. Caller holds comm.Lock.
bool ApplyDeviceTimeouts(Comm& comm) {
  COMMTIMEOUTS system{QuietLineMs(comm.BaudRate), 0, 0, comm.Timeouts.WriteTotalTimeoutMultiplier,
                      comm.Timeouts.WriteTotalTimeoutConstant};
  return ::SetCommTimeouts(comm.Handle, &system) != FALSE;
}

}  // namespace

Comm::Comm() : Wake(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

Comm::~Comm() {
  if (Wake != nullptr) ::CloseHandle(Wake);
}

Overlapped::Overlapped() { Block.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr); }

Overlapped::~Overlapped() {
  if (Block.hEvent != nullptr) ::CloseHandle(Block.hEvent);
}

OVERLAPPED* Overlapped::Start() {
  HANDLE event = Block.hEvent;
  Block = OVERLAPPED{};
  Block.hEvent = event;
  ::ResetEvent(event);
  return &Block;
}

namespace Win32Comm {

bool MayMeanDeviceGone(DWORD error) {
  switch (error) {
    case ERROR_BAD_COMMAND:
    case ERROR_ACCESS_DENIED:
    case ERROR_OPERATION_ABORTED:
    case ERROR_GEN_FAILURE:
    case ERROR_DEVICE_REMOVED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_NOT_READY:
    case ERROR_INVALID_HANDLE: return true;
    default: return false;
  }
}

void MarkLost(Comm& comm, DWORD error) {
  if (!comm.Loss.Mark(int(error))) return;
  comm.Errors |= CE_IOE;
}

bool ConfirmLost(Comm& comm, DWORD error) {
  std::lock_guard guard(comm.Lock);
  if (comm.Loss.Lost) return true;
  DWORD errors = 0;
  COMSTAT status{};
  if (::ClearCommError(comm.Handle, &errors, &status)) {
    comm.Errors |= errors;
    return false;
  }
  if (!MayMeanDeviceGone(::GetLastError())) return false;
  MarkLost(comm, error);
  return true;
}

bool FinishIo(Comm& comm, OVERLAPPED* io, DWORD& transferred) {
  transferred = 0;
  return ::GetOverlappedResult(comm.Handle, io, &transferred, TRUE) != FALSE;
}

}  // namespace Win32Comm

ErrorMeaning OpenErrorMeaning(int code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ErrorMeaning::NotFound;
    // A comm device opens only once: the system refuses a port another handle
    // holds with "access denied" (or, for some drivers, a sharing violation).
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return ErrorMeaning::Busy;
    default: return ErrorMeaning::Other;
  }
}

// Only the codes that say it alone: the others that may mean a device gone
// (MayMeanDeviceGone) count once the binding confirmed the loss (CommLost).
ErrorMeaning DeviceErrorMeaning(int code) {
  switch (code) {
    case ERROR_DEVICE_REMOVED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEV_NOT_EXIST: return ErrorMeaning::Lost;
    default: return ErrorMeaning::Other;
  }
}

Comm* OpenComm(const std::string& path) {
  if (HasNetworkScheme(path)) return Win32Network::Open(path);
  HANDLE handle = ::CreateFileW(Win32Text::Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    SetLastError(int(::GetLastError()));
    return nullptr;
  }
  // Only a serial device has a control block: anything else is refused here.
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!::GetCommState(handle, &dcb)) {
    const DWORD error = ::GetLastError();
    ::CloseHandle(handle);
    SetLastError(int(error));
    return nullptr;
  }
  auto* comm = new Comm;
  comm->Handle = handle;
  CommDcb block;
  FromDcb(dcb, block);
  std::lock_guard guard(comm->Lock);
  Win32Comm::TakeControlBlock(*comm, block);
  ApplyDeviceTimeouts(*comm);
  return comm;
}

bool CloseComm(Comm* comm) {
  if (comm == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (comm->Net) {
    Win32Network::Close(*comm);
    delete comm;
    return true;
  }
  const bool closed = ::CloseHandle(comm->Handle) != FALSE;
  const DWORD error = ::GetLastError();
  delete comm;
  return closed || Fail(error);
}

bool GetCommState(Comm* comm, CommDcb& dcb) {
  if (comm == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (comm->Net) return Win32Network::GetState(*comm, dcb);
  DCB system{};
  system.DCBlength = sizeof system;
  if (!::GetCommState(comm->Handle, &system)) return FailWithSystemError();
  FromDcb(system, dcb);
  return true;
}

bool SetCommState(Comm* comm, const CommDcb& dcb) {
  if (comm == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (comm->Net) return Win32Network::SetState(*comm, dcb);
  DCB system{};
  system.DCBlength = sizeof system;
  ::GetCommState(comm->Handle, &system);  // keeps the fields the block does not carry
  ToDcb(dcb, system);
  if (!::SetCommState(comm->Handle, &system)) return FailWithSystemError();
  std::lock_guard guard(comm->Lock);
  const uint32_t rate = comm->BaudRate;
  Win32Comm::TakeControlBlock(*comm, dcb);
  return rate == comm->BaudRate || ApplyDeviceTimeouts(*comm) || FailWithSystemError();
}

bool SetupComm(Comm* comm, uint32_t inQueue, uint32_t outQueue) {
  if (comm == nullptr) return Fail(ERROR_INVALID_HANDLE);
  {
    std::lock_guard guard(comm->Lock);
    comm->Queue.SetCapacity(inQueue == 0 ? DefaultQueueSize : inQueue);
  }
  ::SetEvent(comm->Wake);  // a larger queue may have room for a receive again
  return comm->Net || ::SetupComm(comm->Handle, inQueue, outQueue) || FailWithSystemError();
}

bool SetCommTimeouts(Comm* comm, const CommTimeouts& timeouts) {
  if (comm == nullptr) return Fail(ERROR_INVALID_HANDLE);
  std::lock_guard guard(comm->Lock);
  comm->Timeouts = timeouts;
  // Reads take what is queued; a network line's writes get their limit from the caller.
  return comm->Net || ApplyDeviceTimeouts(*comm) || FailWithSystemError();
}

// The device's own wait watches only the events that received bytes do not
// tell; a pending one ends when its mask is set (on Windows with no events,
// under wine with ERROR_OPERATION_ABORTED) and the comm-event wait re-arms it.
bool SetCommMask(Comm* comm, uint32_t mask) {
  if (comm == nullptr) return Fail(ERROR_INVALID_HANDLE);
  {
    std::lock_guard guard(comm->Lock);
    comm->Mask = mask;
    ++comm->MaskChanges;
  }
  ::SetEvent(comm->Wake);
  return comm->Net || ::SetCommMask(comm->Handle, mask & ~Win32Comm::ReceiveEvents) || FailWithSystemError();
}

// Network lines report every arrival.
bool SetReceiveThreshold(Comm* comm, uint32_t bytes) {
  if (comm == nullptr) return Fail(ERROR_INVALID_HANDLE);
  std::lock_guard guard(comm->Lock);
  comm->RxThreshold = std::max<uint32_t>(bytes, 1);
  ::SetEvent(comm->Wake);  // a held-back arrival may be due now
  return true;
}

namespace Win32Comm {

// Reads only what is queued: asking for no more than is there keeps a read
// from waiting; one that still does not complete is cancelled after a while
// and counts what it got.
bool ReadQueued(Comm& comm, Overlapped& slot, uint8_t* data, uint32_t count, uint32_t& read) {
  read = 0;
  DWORD errors = 0;
  COMSTAT status{};
  {
    std::lock_guard guard(comm.Lock);
    if (comm.Loss.Lost) return true;
    if (!::ClearCommError(comm.Handle, &errors, &status)) {
      const DWORD error = ::GetLastError();
      if (!MayMeanDeviceGone(error)) return Fail(error);
      MarkLost(comm, error);
      return true;
    }
    comm.Errors |= errors;
  }
  const DWORD wanted = std::min<DWORD>(count, status.cbInQue);
  if (wanted == 0) return true;
  OVERLAPPED* io = slot.Start();
  DWORD n = 0;
  BOOL ok = ::ReadFile(comm.Handle, data, wanted, &n, io);
  DWORD error = ok ? 0 : ::GetLastError();
  if (!ok && error == ERROR_IO_PENDING) {
    if (::WaitForSingleObject(io->hEvent, ReadLimitMs) != WAIT_OBJECT_0) ::CancelIo(comm.Handle);
    ok = FinishIo(comm, io, n);
    error = ok ? 0 : ::GetLastError();
  }
  // A read that reaches its time-out ends with what it got; wine reports it as
  // the error ERROR_TIMEOUT where Windows reports success.
  if (!ok && (error == ERROR_TIMEOUT || error == ERROR_OPERATION_ABORTED)) ok = TRUE;
  if (!ok) {
    if (MayMeanDeviceGone(error) && ConfirmLost(comm, error)) return true;
    return Fail(error);
  }
  read = n;
  return true;
}

}  // namespace Win32Comm

bool ReadComm(Comm* comm, void* data, uint32_t count, uint32_t& read) {
  read = 0;
  if (comm == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (comm->Net) return Win32Network::Read(*comm, data, count, read);
  auto* bytes = static_cast<uint8_t*>(data);
  std::lock_guard guard(comm->ReadLock);
  {
    std::lock_guard state(comm->Lock);
    const uint32_t sizeBefore = comm->Queue.Size();
    read = comm->Queue.Pop(bytes, count);
    Win32Comm::NoteQueueShrunk(*comm, sizeBefore);
    if (comm->Watched || read == count) return true;  // the wait's receive takes what the device holds
  }
  // No wait receives: the reader takes what the device holds itself.
  uint32_t more = 0;
  const bool ok = Win32Comm::ReadQueued(*comm, comm->ReadIo, bytes + read, count - read, more);
  if (comm->NullStrip) more = uint32_t(std::remove(bytes + read, bytes + read + more, uint8_t(0)) - (bytes + read));
  read += more;
  return ok;
}

WriteResult WriteComm(Comm* comm, const void* data, uint32_t count, std::span<Event* const> cancel,
                      uint32_t milliseconds) {
  WriteResult result;
  if (comm == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return result;
  }
  if (comm->Net) return Win32Network::Write(*comm, data, count, cancel, milliseconds);
  std::vector<HANDLE> cancelHandles;
  for (Event* event : cancel) cancelHandles.push_back(event->Handle);
  std::lock_guard guard(comm->WriteLock);
  const uint32_t start = GetTickCount();
  const auto* bytes = static_cast<const uint8_t*>(data);
  result.Status = WriteStatus::Completed;
  while (result.Written < count) {
    if (CommLost(comm)) {
      SetLastError(CommLostError(comm));
      result.Status = WriteStatus::Failed;
      break;
    }
    if (const int index = FirstSignalled(cancelHandles); index >= 0) {
      result.Status = WriteStatus::Cancelled;
      result.CancelIndex = uint32_t(index);
      break;
    }
    OVERLAPPED* io = comm->WriteIo.Start();
    DWORD n = 0;
    IoEnd end =
        ::WriteFile(comm->Handle, bytes + result.Written, count - result.Written, &n, io) ? IoEnd::Done : IoEnd::Failed;
    if (end == IoEnd::Failed && ::GetLastError() == ERROR_IO_PENDING) {
      end = AwaitWrite(*comm, io, cancelHandles, Remaining(milliseconds, start), n, result.CancelIndex);
    }
    const DWORD error = end == IoEnd::Failed ? ::GetLastError() : 0;
    result.Written += n;
    if (end == IoEnd::Cancelled) result.Status = WriteStatus::Cancelled;
    if (end == IoEnd::TimedOut || (end == IoEnd::Done && n == 0) || error == ERROR_TIMEOUT) {
      result.Status = WriteStatus::TimedOut;
    } else if (end == IoEnd::Failed) {
      if (Win32Comm::MayMeanDeviceGone(error)) Win32Comm::ConfirmLost(*comm, error);
      SetLastError(int(error));
      result.Status = WriteStatus::Failed;
    }
    if (end != IoEnd::Done || n == 0) break;
  }
  return result;
}

namespace {

// Reads and clears the line errors into the device's record and reads the
// queue status; a failing read of a device that is gone marks the loss.
bool QueueStatus(Comm& comm, CommStat& stat) {
  stat = CommStat{};
  if (comm.Net) {
    Win32Network::Status(comm, stat);
    return true;
  }
  std::lock_guard guard(comm.Lock);
  DWORD errors = 0;
  COMSTAT status{};
  if (!comm.Loss.Lost && !::ClearCommError(comm.Handle, &errors, &status)) {
    const DWORD error = ::GetLastError();
    if (!Win32Comm::MayMeanDeviceGone(error)) return Fail(error);
    Win32Comm::MarkLost(comm, error);  // the status read itself failing confirms it
  }
  comm.Errors |= errors;
  stat.Status = StatusBits(status);
  // While a wait receives, the device's own queue is only what did not fit into the binding's.
  stat.InQue = comm.Queue.Size() + (comm.Watched ? 0 : status.cbInQue);
  stat.OutQue = status.cbOutQue;
  return true;
}

}  // namespace

bool ClearCommError(Comm* comm, CommStat& stat) {
  if (comm == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (!QueueStatus(*comm, stat)) return false;
  std::lock_guard guard(comm->Lock);
  stat.Errors = comm->Errors;
  comm->Errors = 0;
  return true;
}

bool PurgeComm(Comm* comm, uint32_t flags) {
  if (comm == nullptr) return Fail(ERROR_INVALID_HANDLE);
  {
    std::lock_guard guard(comm->Lock);
    if (flags & PURGE_RXCLEAR) {
      comm->Queue.Clear();
      comm->ArrivalHeld = false;
      comm->Rx80Reported = false;
      comm->PendingEvents &= ~Win32Comm::ReceiveEvents;
      ++comm->PurgeCount;
      // A posted receive holds bytes from before the purge: it ends, and they are dropped.
      if (!comm->Net) ::CancelIoEx(comm->Handle, &comm->ReceiveIo.Block);
    }
    if (comm->Loss.Lost || comm->Net) return true;
  }
  if (::PurgeComm(comm->Handle, flags)) return true;
  const DWORD error = ::GetLastError();
  // A device that went away is reported once through the loss, not as a purge failure.
  if (Win32Comm::MayMeanDeviceGone(error) && Win32Comm::ConfirmLost(*comm, error)) return true;
  return Fail(error);
}

bool CommLost(Comm* comm) { return LossOf(comm).Lost; }

int CommLostError(Comm* comm) { return LossOf(comm).Error; }

std::string CommHint(Comm* comm) { return comm != nullptr && comm->Net ? Win32Network::Hint(*comm) : std::string(); }

std::string TakeCommNotice(Comm* comm) {
  return comm != nullptr && comm->Net ? Win32Network::TakeNotice(*comm) : std::string();
}

}  // namespace Platform
