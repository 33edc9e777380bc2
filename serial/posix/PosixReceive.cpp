// The receive side of a device: filling the queue from the tty and turning
// what happened on the line into comm events and line errors.
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "PosixComm.h"
#include "serial/internal/CommConstants.h"
#include "serial/internal/QuietLine.h"

namespace Platform::PosixComm {

using namespace CommConst;

namespace {

constexpr size_t MaxFillBytes = 64 * 1024;

uint32_t Rx80Mark(const Comm& comm) {
  return std::max<uint32_t>(1, uint32_t(uint64_t(comm.Queue.Capacity()) * 8 / 10));
}

void Record(Comm& comm, uint32_t events) {
  const uint32_t added = events & comm.Mask & ~comm.PendingEvents;
  comm.PendingEvents |= events & comm.Mask;
  if (added != 0) WakeWaiter(comm);
}

bool DsrIsLow(const Comm& comm) {
  int bits = 0;
  return ReadModemLines(comm.Fd, bits) && (bits & TIOCM_DSR) == 0;
}

// Applies the receive filters in place; returns the bytes kept.
uint32_t FilterReceived(const Comm& comm, uint8_t* data, uint32_t n) {
  if ((comm.Dcb.Flags & DCB_DsrSensitivity) && comm.HasModemLines && DsrIsLow(comm)) return 0;
  if (comm.Dcb.Flags & DCB_Null) n = uint32_t(std::remove(data, data + n, uint8_t(0)) - data);
  return n;
}

void RecordLineErrors(Comm& comm) {
  LineCounters now;
  if (!comm.HasCounters || !ReadCounters(comm.Fd, now)) return;
  const LineCounters& was = comm.Counters;
  uint32_t errors = 0;
  if (now.Frame != was.Frame) errors |= CE_FRAME;
  if (now.Parity != was.Parity) errors |= CE_RXPARITY;
  if (now.Overrun != was.Overrun) errors |= CE_OVERRUN;
  if (now.BufferOverrun != was.BufferOverrun) errors |= CE_RXOVER;
  if (now.Break != was.Break) errors |= CE_BREAK;
  comm.Counters = now;
  if (errors == 0) return;
  comm.Errors |= errors;
  Record(comm, EV_ERR | ((errors & CE_BREAK) ? EV_BREAK : 0));
}

void RecordArrival(Comm& comm, uint32_t sizeBefore, bool sawEventChar) {
  if (comm.Queue.Size() == sizeBefore) return;
  comm.LastArrivalMs = GetTickCount();
  uint32_t events = EV_RXCHAR;
  if (sawEventChar) events |= EV_RXFLAG;
  if (!comm.Rx80Reported && comm.Queue.Size() >= Rx80Mark(comm)) {
    comm.Rx80Reported = true;
    events |= EV_RX80FULL;
  }
  Record(comm, events);
}

}  // namespace

void WakeWaiter(Comm& comm) {
  if (!comm.Waiting) return;
  const uint64_t one = 1;
  while (write(comm.WakeFd, &one, sizeof one) < 0 && errno == EINTR) {
  }
}

void MarkLost(Comm& comm, int error) {
  if (!comm.Loss.Mark(error != 0 ? error : EIO)) return;
  comm.Errors |= CE_IOE;
  comm.TxPending = false;
  WakeWaiter(comm);
}

void FillQueue(Comm& comm) {
  if (comm.Loss.Lost || comm.Fd < 0) return;  // a network line that is still connecting
  const uint32_t sizeBefore = comm.Queue.Size();
  bool sawEventChar = false;
  bool readSomething = false;
  size_t readTotal = 0;
  uint8_t buffer[1024];
  // A server's stream of Telnet commands brings no data to fill the queue:
  // one fill reads a bounded amount, so it does not hold the lock for ever.
  while (comm.Queue.Space() > 0 && readTotal < MaxFillBytes) {
    const size_t wanted = std::min<size_t>(sizeof buffer, comm.Queue.Space());
    const ssize_t n = read(comm.Fd, buffer, wanted);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (n <= 0) {
      // End of file on a tty means hang-up, on a socket that the server closed
      // the connection; any other failure is the device's end too.
      MarkLost(comm, n == 0 ? (comm.Net ? ECONNRESET : EIO) : errno);
      break;
    }
    readSomething = true;
    readTotal += size_t(n);
    uint32_t kept = comm.Net ? PosixNetwork::TakeReceived(comm, buffer, uint32_t(n)) : uint32_t(n);
    if (comm.Loss.Lost) break;  // the network line's server broke Telnet's rules
    kept = FilterReceived(comm, buffer, kept);
    if (comm.Mask & EV_RXFLAG) {
      sawEventChar = sawEventChar || std::find(buffer, buffer + kept, uint8_t(comm.Dcb.EvtChar)) != buffer + kept;
    }
    comm.Queue.Push(buffer, kept);
    if (size_t(n) < wanted) break;  // the device is empty
  }
  if (readSomething) RecordLineErrors(comm);
  RecordArrival(comm, sizeBefore, sawEventChar);
}

void FillQueueUnlessWatched(Comm& comm) {
  if (!comm.Watched) FillQueue(comm);
}

void NoteQueueShrunk(Comm& comm, uint32_t sizeBefore) {
  if (comm.Queue.Size() < Rx80Mark(comm)) comm.Rx80Reported = false;
  // A full queue kept the wait from watching the device; now it may again.
  if (sizeBefore >= comm.Queue.Capacity() && comm.Queue.Space() > 0) WakeWaiter(comm);
}

void CheckModemLines(Comm& comm) {
  if (!comm.HasModemLines || (comm.Mask & EV_MODEMLINES) == 0) return;
  int bits = 0;
  if (!ReadModemLines(comm.Fd, bits)) return;
  const int changed = bits ^ comm.ModemState;
  uint32_t events = 0;
  if (changed & TIOCM_CTS) events |= EV_CTS;
  if (changed & TIOCM_DSR) events |= EV_DSR;
  if (changed & TIOCM_CD) events |= EV_RLSD;
  if ((changed & TIOCM_RNG) && (bits & TIOCM_RNG)) events |= EV_RING;
  comm.ModemState = bits;
  if (events != 0) Record(comm, events);
}

int HoldBackMs(const Comm& comm) {
  if (!(comm.PendingEvents & comm.Mask & EV_RXCHAR)) return -1;
  if (comm.Queue.Size() >= comm.RxThreshold || comm.Queue.Space() == 0) return -1;
  const uint32_t quiet = GetTickCount() - comm.LastArrivalMs;  // unsigned: wrap-around safe
  const uint32_t gap = QuietLineMs(comm.Dcb.BaudRate);
  return quiet >= gap ? -1 : int(gap - quiet);
}

int CheckTxEmpty(Comm& comm) {
  if (!comm.TxPending) return -1;
  int queued = 0;
  if (ioctl(comm.Fd, TIOCOUTQ, &queued) != 0 || queued <= 0) {
    comm.TxPending = false;
    Record(comm, EV_TXEMPTY);
    return -1;
  }
  // Look again after about the time the queued characters take on the line.
  const uint64_t baud = std::max<uint32_t>(comm.Dcb.BaudRate, 1);
  return int(std::clamp<uint64_t>(uint64_t(queued) * 10000 / baud, 10, 100));
}

bool ReadCounters(int fd, LineCounters& counters) {
  serial_icounter_struct icount{};
  if (ioctl(fd, TIOCGICOUNT, &icount) != 0) return false;
  counters.Frame = icount.frame;
  counters.Parity = icount.parity;
  counters.Overrun = icount.overrun;
  counters.BufferOverrun = icount.buf_overrun;
  counters.Break = icount.brk;
  return true;
}

bool ReadModemLines(int fd, int& bits) { return ioctl(fd, TIOCMGET, &bits) == 0; }

}  // namespace Platform::PosixComm
