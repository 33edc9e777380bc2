#pragma once
// The operating-system operations the serial port component needs, in the
// shape of the comm and synchronisation calls it was designed around: device
// handles with a control block, queue sizes, time-outs and an event mask; a
// comm-event wait that an event cancels; reads, writes, status and purge;
// events with waits on several of them; the tick count and pauses.
// serial/posix implements them with termios, poll and eventfd, serial/win32
// with the comm API itself. Every call that fails returns false (or nullptr)
// and leaves its error code in LastError().
#include <cstdint>
#include <span>
#include <string>

namespace Platform {

struct Comm;   // an open serial device
struct Event;  // an event object

constexpr uint32_t Infinite = 0xFFFFFFFFu;

// Results of the waits; WaitForMultipleObjects returns WaitObject0 + index.
constexpr uint32_t WaitObject0 = 0;
constexpr uint32_t WaitTimeout = 0x102;
constexpr uint32_t WaitFailed = 0xFFFFFFFFu;

// Device control block: what the component sets (flag bits in CommConstants.h).
struct CommDcb {
  uint32_t BaudRate = 0;
  uint32_t Flags = 0;
  uint16_t XonLim = 0;
  uint16_t XoffLim = 0;
  uint8_t ByteSize = 8;
  uint8_t Parity = 0;
  uint8_t StopBits = 0;
  char XonChar = 0;
  char XoffChar = 0;
  char ErrorChar = 0;
  char EofChar = 0;
  char EvtChar = 0;
};

struct CommTimeouts {
  uint32_t ReadIntervalTimeout = 0;
  uint32_t ReadTotalTimeoutMultiplier = 0;
  uint32_t ReadTotalTimeoutConstant = 0;
  uint32_t WriteTotalTimeoutMultiplier = 0;
  uint32_t WriteTotalTimeoutConstant = 0;
};

// The status record: the line-error word (CE_ bits) followed by the queue status.
struct CommStat {
  uint32_t Errors = 0;
  uint32_t Status = 0;
  uint32_t InQue = 0;
  uint32_t OutQue = 0;
};

// What an error code alone says about the device; Other when it says none of these.
enum class ErrorMeaning { Other, NotFound, NoPermission, Busy, Lost };

// --- errors, time, platform -------------------------------------------------
int LastError();
void SetLastError(int code);
// The system's message text for an error code.
std::string SysErrorMessage(int code);
// Whether the code is no system error but a resolver's, whose number means
// nothing to a user: its text stands alone.
bool IsResolverError(int code);
// What the error code of a failed OpenComm says: NotFound for "no such file
// or device path", NoPermission, Busy.
ErrorMeaning OpenErrorMeaning(int code);
// What the error code of a failed call on an open device says: Lost when the
// code alone means the device is gone for good, NoPermission, Busy.
ErrorMeaning DeviceErrorMeaning(int code);
// The code that means "not enough memory".
int OutOfMemoryError();
// Milliseconds since an arbitrary start; wraps around after 49.7 days.
uint32_t GetTickCount();
void Sleep(uint32_t milliseconds);
// The OS version's platform id: 2 on the NT family, 0 on this platform.
int PlatformId();
// The path a formatted device name opens (COMn mapping, prefixes stripped).
std::string ResolveDevicePath(const std::string& name);

// --- threads ------------------------------------------------------------------
using ThreadId = long;
ThreadId CurrentThreadId();
// Best effort: priority 0 (idle) .. 3 (normal) .. 6 (time critical).
void SetThreadPriority(ThreadId thread, int priority);

// --- events -------------------------------------------------------------------
Event* CreateEvent(bool manualReset, bool initialState);
void CloseEvent(Event* event);
bool SetEvent(Event* event);
bool ResetEvent(Event* event);
uint32_t WaitForSingleObject(Event* event, uint32_t milliseconds);
// The lowest signalled index wins; an auto-reset event is reset by the wait.
uint32_t WaitForMultipleObjects(std::span<Event* const> events, uint32_t milliseconds);

// --- serial devices -------------------------------------------------------------
// Opens the device exclusively, non-blocking, without becoming its controlling terminal.
Comm* OpenComm(const std::string& path);
bool CloseComm(Comm* comm);
bool GetCommState(Comm* comm, CommDcb& dcb);
bool SetCommState(Comm* comm, const CommDcb& dcb);
// Size of the receive queue held for the device (the transmit size is advisory).
bool SetupComm(Comm* comm, uint32_t inQueue, uint32_t outQueue);
bool SetCommTimeouts(Comm* comm, const CommTimeouts& timeouts);
bool SetCommMask(Comm* comm, uint32_t mask);

enum class CommWait { Event, Cancelled, DeviceLost };
// Blocks until an event of the mask occurs (reported in `mask`), `cancel` is
// signalled, or the device disappears. Never returns at once for bytes that
// were already reported and are still queued.
CommWait WaitCommEvent(Comm* comm, uint32_t& mask, Event* cancel);

// Received characters are reported once `bytes` of them are queued, or once
// the line has been quiet for two characters' time with fewer (1: at every
// arrival, as after opening). A reader that knows how many bytes it needs
// wakes once for them instead of once per arrival.
bool SetReceiveThreshold(Comm* comm, uint32_t bytes);

// Reads what is queued, up to count, without waiting. Fails only for an invalid device.
bool ReadComm(Comm* comm, void* data, uint32_t count, uint32_t& read);

enum class WriteStatus { Completed, Cancelled, TimedOut, Failed };
struct WriteResult {
  WriteStatus Status = WriteStatus::Failed;
  uint32_t Written = 0;      // bytes that went to the device, also when not completed
  uint32_t CancelIndex = 0;  // which of the cancel events ended the write
};
// Writes all bytes, waiting for room, until done, one of `cancel` is signalled,
// the time limit passes (Infinite: none) or the device fails.
WriteResult WriteComm(Comm* comm, const void* data, uint32_t count, std::span<Event* const> cancel,
                      uint32_t milliseconds);

// Reads and clears the line errors and reads the queue status.
bool ClearCommError(Comm* comm, CommStat& stat);
bool PurgeComm(Comm* comm, uint32_t flags);
// True once the device has gone away (hang-up, removed adapter, I/O error).
bool CommLost(Comm* comm);
// The error code that marked the device as lost (0 while it is not).
int CommLostError(Comm* comm);
// For a line behind a network server: what it suspects when the server does
// not answer (that the server speaks another protocol); empty otherwise.
std::string CommHint(Comm* comm);
// Something the user should hear once that is no failure of a call (a
// network server refused the line's settings); empty when there is nothing new.
std::string TakeCommNotice(Comm* comm);

}  // namespace Platform
