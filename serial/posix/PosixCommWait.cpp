// The comm-event wait: one poll() on the cancel event, the device and the
// wake-up descriptor. It watches the device for input only while the receive
// queue has room, and wakes periodically only while modem lines or a draining
// output queue are being watched, so an idle port costs no processor time.
// Received characters below the reader's threshold wait for more, or for the
// line to go quiet, so that the reader wakes once for a frame, not per byte.
// From its first call until it is cancelled or the device is lost, readers
// leave the moving of arrived bytes into the queue to it.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "PosixComm.h"
#include "PosixEvent.h"
#include "serial/internal/CommConstants.h"

namespace Platform {

using namespace CommConst;

namespace {

constexpr int ModemLinePollMs = 50;

// Events to report now, cleared from the pending set. Received-character
// events are dropped when nothing is left in the queue to report, and stay
// pending while they are held back for the receive threshold.
uint32_t TakeEvents(Comm& comm, bool holdBackReceived) {
  uint32_t events = comm.PendingEvents & comm.Mask;
  if ((events & EV_RXCHAR) && comm.Queue.Size() == 0) events &= ~EV_RXCHAR;
  comm.PendingEvents = 0;
  if (holdBackReceived && (events & EV_RXCHAR)) {
    events &= ~EV_RXCHAR;
    comm.PendingEvents = EV_RXCHAR;
  }
  return events;
}

// The shorter of two poll time-outs, where -1 means none.
int Sooner(int a, int b) { return a < 0 ? b : b < 0 ? a : std::min(a, b); }

int PollTimeoutFor(Comm& comm, int holdBackMs) {
  int timeout = Sooner(PosixComm::CheckTxEmpty(comm), holdBackMs);
  if (comm.HasModemLines && (comm.Mask & EV_MODEMLINES)) timeout = Sooner(timeout, ModemLinePollMs);
  return timeout;
}

void DrainWakeFd(int fd) {
  uint64_t value = 0;
  while (read(fd, &value, sizeof value) < 0 && errno == EINTR) {
  }
}

void HandleDeviceReady(Comm& comm, short revents) {
  if (revents & (POLLIN | POLLHUP | POLLERR)) PosixComm::FillQueue(comm);
  if (revents & (POLLHUP | POLLERR | POLLNVAL)) PosixComm::MarkLost(comm, EIO);
}

}  // namespace

CommWait WaitCommEvent(Comm* comm, uint32_t& mask, Event* cancel) {
  mask = 0;
  Event* const cancels[] = {cancel};
  pollfd fds[3] = {{cancel->Fd, POLLIN, 0}, {comm->WakeFd, POLLIN, 0}, {-1, 0, 0}};  // the device: set under the lock
  for (;;) {
    if (comm->Net) PosixNetwork::TrySendControl(*comm);
    if (PosixEvent::TakeFirstSignalled(cancels) >= 0) {
      std::lock_guard guard(comm->Lock);
      comm->Watched = false;
      return CommWait::Cancelled;
    }
    int timeout = -1;
    {
      std::lock_guard guard(comm->Lock);
      comm->Watched = true;
      PosixComm::CheckModemLines(*comm);
      // A hang-up ends the holding back: what arrived before it is reported, then the loss.
      const int holdBackMs = comm->Loss.Lost ? -1 : PosixComm::HoldBackMs(*comm);
      timeout = PollTimeoutFor(*comm, holdBackMs);
      if (const uint32_t events = TakeEvents(*comm, holdBackMs >= 0); events != 0) {
        mask = events;
        return CommWait::Event;
      }
      if (comm->Loss.Lost) {
        comm->Watched = false;
        return CommWait::DeviceLost;
      }
      fds[2].fd = comm->Fd;  // a network line gets its socket once connected
      fds[2].events = comm->Queue.Space() > 0 ? POLLIN : 0;
      comm->Waiting = true;
    }
    for (pollfd& fd : fds) fd.revents = 0;
    const int ready = poll(fds, 3, timeout);
    const int pollError = ready < 0 ? errno : 0;
    std::lock_guard guard(comm->Lock);
    comm->Waiting = false;
    if (pollError != 0 && pollError != EINTR) {
      PosixComm::MarkLost(*comm, pollError);
      continue;
    }
    if (fds[1].revents & POLLIN) DrainWakeFd(comm->WakeFd);
    if (fds[2].revents != 0) HandleDeviceReady(*comm, fds[2].revents);
  }
}

}  // namespace Platform
