// Serial devices on a tty: open and close, settings, reads, writes, status and purge.
#include "PosixComm.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "PosixEvent.h"
#include "PosixTermios.h"
#include "serial/internal/CommConstants.h"

namespace Platform {

using namespace CommConst;

namespace {

constexpr uint32_t DefaultQueueSize = 4096;

bool Fail(int error) {
  SetLastError(error);
  return false;
}

// Errors after which the device will not work again.
bool MeansDeviceGone(int error) {
  return error == EIO || error == ENXIO || error == ENODEV || error == EPIPE || error == ECONNRESET ||
         error == ETIMEDOUT || error == ENOTCONN;
}

// A socket never raises SIGPIPE here: a closed connection is an error like any other.
ssize_t WriteSome(Comm& comm, const uint8_t* bytes, size_t count) {
  return comm.Net ? send(comm.Fd, bytes, count, MSG_NOSIGNAL) : write(comm.Fd, bytes, count);
}

int LockExclusively(int fd) {
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) return 0;
  return errno == EWOULDBLOCK ? EBUSY : errno;
}

int CheckIsTerminal(int fd) {
  termios settings{};
  return tcgetattr(fd, &settings) == 0 ? 0 : errno;
}

// Other programs that respect the tty's exclusive mode cannot open it while we hold it.
int SetExclusive(int fd) { return ioctl(fd, TIOCEXCL) == 0 ? 0 : errno; }

bool ImmediateReads(const CommTimeouts& t) {
  return t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0 &&
         t.WriteTotalTimeoutMultiplier == 0 && t.WriteTotalTimeoutConstant == 0;
}

void NoteWritten(Comm& comm) {
  std::lock_guard guard(comm.Lock);
  comm.OutputQueued = true;
  if ((comm.Mask & EV_TXEMPTY) == 0 || comm.Loss.Lost) return;
  comm.TxPending = true;
  PosixComm::WakeWaiter(comm);
}

// Waits for room on the device or one of the cancel events; false when the time is up.
bool WaitForRoom(Comm& comm, std::vector<pollfd>& fds, int timeout) {
  fds[0].revents = 0;
  const int ready = poll(fds.data(), fds.size(), timeout);
  if (ready == 0) return false;
  if (ready > 0 && (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL))) {
    std::lock_guard guard(comm.Lock);
    PosixComm::MarkLost(comm, EIO);
  }
  return true;
}

// Caller holds comm.Lock. The output queue only shrinks while nothing is
// written: once it was seen empty, it is asked for again only after the next
// write, so a reader that asks for the status on every arrival spends no
// system call on it.
uint32_t OutputQueueSize(Comm& comm) {
  if (!comm.OutputQueued || comm.Loss.Lost) return 0;
  int queued = 0;
  if (ioctl(comm.Fd, TIOCOUTQ, &queued) != 0 || queued <= 0) {
    comm.OutputQueued = false;
    return 0;
  }
  return uint32_t(queued);
}

}  // namespace

ErrorMeaning OpenErrorMeaning(int code) {
  switch (code) {
    case ENOENT: return ErrorMeaning::NotFound;
    case EACCES:
    case EPERM: return ErrorMeaning::NoPermission;
    case EBUSY:  // the tty's exclusive mode or another port's lock
      return ErrorMeaning::Busy;
    default: return ErrorMeaning::Other;
  }
}

ErrorMeaning DeviceErrorMeaning(int code) {
  if (MeansDeviceGone(code)) return ErrorMeaning::Lost;
  if (code == EACCES || code == EPERM) return ErrorMeaning::NoPermission;
  if (code == EBUSY) return ErrorMeaning::Busy;
  return ErrorMeaning::Other;
}

Comm* OpenComm(const std::string& path) {
  if (HasNetworkScheme(path)) return PosixNetwork::Open(path);
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    SetLastError(errno);
    return nullptr;
  }
  int error = LockExclusively(fd);
  if (error == 0) error = CheckIsTerminal(fd);
  if (error == 0) error = SetExclusive(fd);
  const bool exclusive = error == 0;  // only then is the exclusive mode ours to undo
  const int wake = error == 0 ? eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK) : -1;
  if (error == 0 && wake < 0) error = errno;
  if (error != 0) {
    if (exclusive) ioctl(fd, TIOCNXCL);
    close(fd);
    SetLastError(error);
    return nullptr;
  }
  auto* comm = new Comm;
  comm->Fd = fd;
  comm->WakeFd = wake;
  comm->HasModemLines = PosixComm::ReadModemLines(fd, comm->ModemState);
  comm->HasCounters = PosixComm::ReadCounters(fd, comm->Counters);
  comm->Queue.SetCapacity(DefaultQueueSize);
  PosixTermios::ReadDcb(fd, comm->Dcb);
  return comm;
}

bool CloseComm(Comm* comm) {
  if (comm == nullptr) return Fail(EBADF);
  if (comm->Net) {
    PosixNetwork::Close(*comm);
    delete comm;
    return true;
  }
  ioctl(comm->Fd, TIOCNXCL);  // the tty may outlive us (a pseudo-terminal's other side)
  const int result = close(comm->Fd);
  const int error = errno;
  close(comm->WakeFd);
  delete comm;
  return result == 0 || Fail(error);
}

bool GetCommState(Comm* comm, CommDcb& dcb) {
  if (comm == nullptr) return Fail(EBADF);
  std::lock_guard guard(comm->Lock);
  dcb = comm->Dcb;
  if (comm->Net) return true;  // the server keeps the line; the block is what was set
  const int error = PosixTermios::ReadDcb(comm->Fd, dcb);
  return error == 0 || Fail(error);
}

bool SetCommState(Comm* comm, const CommDcb& dcb) {
  if (comm == nullptr) return Fail(EBADF);
  std::lock_guard guard(comm->Lock);
  if (comm->Net) {
    PosixNetwork::TakeSettings(*comm, dcb);
    comm->Dcb = dcb;
    return true;
  }
  const int error = PosixTermios::ApplyDcb(comm->Fd, dcb, comm->HasModemLines);
  if (error != 0) return Fail(error);
  comm->Dcb = dcb;
  return true;
}

bool SetupComm(Comm* comm, uint32_t inQueue, uint32_t /*outQueue: the kernel's queue is used*/) {
  if (comm == nullptr) return Fail(EBADF);
  std::lock_guard guard(comm->Lock);
  comm->Queue.SetCapacity(inQueue == 0 ? DefaultQueueSize : inQueue);
  return true;
}

// Reads always return at once with what is queued; that is the one
// configuration the component uses, and the only one taken here.
bool SetCommTimeouts(Comm* comm, const CommTimeouts& timeouts) {
  if (comm == nullptr) return Fail(EBADF);
  if (!ImmediateReads(timeouts)) return Fail(EINVAL);
  std::lock_guard guard(comm->Lock);
  comm->Timeouts = timeouts;
  return true;
}

bool SetCommMask(Comm* comm, uint32_t mask) {
  if (comm == nullptr) return Fail(EBADF);
  std::lock_guard guard(comm->Lock);
  if ((mask & EV_MODEMLINES) && !(comm->Mask & EV_MODEMLINES) && comm->HasModemLines) {
    PosixComm::ReadModemLines(comm->Fd, comm->ModemState);
  }
  comm->Mask = mask;
  comm->PendingEvents &= mask;
  if (!(mask & EV_TXEMPTY)) comm->TxPending = false;
  PosixComm::WakeWaiter(*comm);
  return true;
}

bool SetReceiveThreshold(Comm* comm, uint32_t bytes) {
  if (comm == nullptr) return Fail(EBADF);
  std::lock_guard guard(comm->Lock);
  comm->RxThreshold = std::max<uint32_t>(bytes, 1);  // a full queue is reported whatever the threshold
  // A wait that holds an event back for a higher threshold reports it now.
  if ((comm->PendingEvents & EV_RXCHAR) && comm->Queue.Size() >= comm->RxThreshold) PosixComm::WakeWaiter(*comm);
  return true;
}

bool ReadComm(Comm* comm, void* data, uint32_t count, uint32_t& read) {
  read = 0;
  if (comm == nullptr) return Fail(EBADF);
  std::lock_guard guard(comm->Lock);
  if (comm->Queue.Size() < count) PosixComm::FillQueueUnlessWatched(*comm);
  const uint32_t sizeBefore = comm->Queue.Size();
  read = comm->Queue.Pop(static_cast<uint8_t*>(data), count);
  PosixComm::NoteQueueShrunk(*comm, sizeBefore);
  return true;
}

WriteResult WriteComm(Comm* comm, const void* data, uint32_t count, std::span<Event* const> cancel,
                      uint32_t milliseconds) {
  if (comm == nullptr) {
    SetLastError(EBADF);
    return WriteResult{};
  }
  if (comm->Net) return PosixNetwork::Write(*comm, data, count, cancel, milliseconds);
  return PosixComm::WriteBytes(*comm, static_cast<const uint8_t*>(data), count, cancel, milliseconds);
}

namespace PosixComm {

WriteResult WriteBytes(Comm& comm, const uint8_t* bytes, uint32_t count, std::span<Event* const> cancel,
                       uint32_t milliseconds) {
  WriteResult result;
  const uint32_t start = GetTickCount();
  std::vector<pollfd> fds{pollfd{comm.Fd, POLLOUT, 0}};
  PosixEvent::AddPollFds(cancel, fds);
  result.Status = WriteStatus::Completed;
  while (result.Written < count) {
    if (CommLost(&comm)) {
      SetLastError(CommLostError(&comm));
      result.Status = WriteStatus::Failed;
      break;
    }
    if (const int index = PosixEvent::TakeFirstSignalled(cancel); index >= 0) {
      result.Status = WriteStatus::Cancelled;
      result.CancelIndex = uint32_t(index);
      break;
    }
    const ssize_t n = WriteSome(comm, bytes + result.Written, count - result.Written);
    if (n > 0) {
      result.Written += uint32_t(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      const int error = errno;
      if (MeansDeviceGone(error)) {
        std::lock_guard guard(comm.Lock);
        MarkLost(comm, error);
      }
      SetLastError(error);
      result.Status = WriteStatus::Failed;
      break;
    }
    const int timeout = PosixEvent::PollTimeout(milliseconds, start);
    if (timeout == 0 || !WaitForRoom(comm, fds, timeout)) {
      result.Status = WriteStatus::TimedOut;
      break;
    }
  }
  if (result.Written > 0) NoteWritten(comm);
  return result;
}

}  // namespace PosixComm

bool ClearCommError(Comm* comm, CommStat& stat) {
  stat = CommStat{};
  if (comm == nullptr) return Fail(EBADF);
  std::lock_guard guard(comm->Lock);
  PosixComm::FillQueueUnlessWatched(*comm);
  stat.Errors = comm->Errors;
  stat.InQue = comm->Queue.Size();
  stat.OutQue = OutputQueueSize(*comm);
  comm->Errors = 0;
  return true;
}

bool PurgeComm(Comm* comm, uint32_t flags) {
  if (comm == nullptr) return Fail(EBADF);
  std::lock_guard guard(comm->Lock);
  if (flags & PURGE_RXCLEAR) {
    const uint32_t sizeBefore = comm->Queue.Size();
    comm->Queue.Clear();
    PosixComm::NoteQueueShrunk(*comm, sizeBefore);
  }
  // Aborting outstanding reads and writes needs nothing here: a read never
  // waits, and the write thread's write is ended through its own events.
  int queues = -1;
  if ((flags & PURGE_RXCLEAR) && (flags & PURGE_TXCLEAR)) {
    queues = TCIOFLUSH;
  } else if (flags & PURGE_RXCLEAR) {
    queues = TCIFLUSH;
  } else if (flags & PURGE_TXCLEAR) {
    queues = TCOFLUSH;
  }
  if (queues < 0 || comm->Loss.Lost || comm->Net || tcflush(comm->Fd, queues) == 0) return true;
  const int error = errno;
  if (!MeansDeviceGone(error)) return Fail(error);
  PosixComm::MarkLost(*comm, error);  // reported once through the loss, not as a purge failure
  return true;
}

bool CommLost(Comm* comm) { return LossOf(comm).Lost; }

int CommLostError(Comm* comm) { return LossOf(comm).Error; }

std::string CommHint(Comm* comm) {
  if (comm == nullptr || !comm->Net) return {};
  std::lock_guard guard(comm->Lock);
  return PosixNetwork::Hint(*comm);
}

std::string TakeCommNotice(Comm* comm) {
  if (comm == nullptr || !comm->Net) return {};
  std::lock_guard guard(comm->Lock);
  return PosixNetwork::TakeNotice(*comm);
}

}  // namespace Platform
