// Lines behind a serial device server: the connection, made on a thread of
// its own, and what Telnet with the COM port option adds to reads and writes.
#include "PosixNetwork.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>
#include <utility>

#include "PosixComm.h"

namespace Platform::PosixNetwork {

// The connecting thread's way back to the line: cleared when the line is
// closed first, so the thread then closes its socket instead.
struct Handoff {
  std::mutex Lock;
  Comm* Owner = nullptr;
};

namespace {

constexpr uint32_t QueueSize = 4096;
// How long a connection attempt may take before it counts as failed.
constexpr int ConnectSeconds = 20;
// A server that vanishes is noticed within about half a minute, idle or not.
// Data the server does not acknowledge ends the connection after 20 s; on an
// idle line keep-alive probes go after 10 s of silence, every 5 s, and the
// connection ends at the first probe 20 s after the server was last heard
// (with a user timeout set, the kernel counts that time instead of the
// probes). The worst case, a write just before the first probe, is about 30 s.
constexpr int KeepIdleSeconds = 10;
constexpr int KeepIntervalSeconds = 5;
constexpr int KeepCount = 2;
constexpr unsigned UnacknowledgedMs = 20000;

void SetOption(int fd, int level, int name, int value) { setsockopt(fd, level, name, &value, sizeof value); }

void TuneSocket(int fd) {
  // Frames are a few bytes each, and the cycle waits for the answer: send at once.
  SetOption(fd, IPPROTO_TCP, TCP_NODELAY, 1);
  SetOption(fd, SOL_SOCKET, SO_KEEPALIVE, 1);
  SetOption(fd, IPPROTO_TCP, TCP_KEEPIDLE, KeepIdleSeconds);
  SetOption(fd, IPPROTO_TCP, TCP_KEEPINTVL, KeepIntervalSeconds);
  SetOption(fd, IPPROTO_TCP, TCP_KEEPCNT, KeepCount);
  SetOption(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, int(UnacknowledgedMs));
}

int ConnectTo(const addrinfo& address, int& fd) {
  fd = socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC, address.ai_protocol);
  if (fd < 0) return errno;
  const timeval limit{ConnectSeconds, 0};
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  int error = 0;
  while (connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
    if (errno == EINTR) continue;
    error = errno == EINPROGRESS ? ETIMEDOUT : errno;  // EINPROGRESS: the time limit passed
    break;
  }
  if (error == 0) {
    const timeval none{0, 0};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &none, sizeof none);
    if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK) != 0) error = errno;
  }
  if (error != 0) {
    close(fd);
    fd = -1;
  }
  return error;
}

// Resolves the name and tries each of its addresses; 0 and the socket, or the error.
int Connect(const NetworkPortName& name, int& fd) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_ADDRCONFIG;
  addrinfo* found = nullptr;
  const int resolved = getaddrinfo(name.Host.c_str(), std::to_string(name.Port).c_str(), &hints, &found);
  if (resolved == EAI_SYSTEM) return errno;
  if (resolved != 0) return ResolveErrorBase - resolved;
  int error = EHOSTUNREACH;
  for (const addrinfo* address = found; address != nullptr; address = address->ai_next) {
    error = ConnectTo(*address, fd);
    if (error == 0) break;
  }
  freeaddrinfo(found);
  if (error == 0) TuneSocket(fd);
  return error;
}

// The connection is up: the socket becomes the line's, and the server hears
// the Telnet opening and the line's settings first.
void Install(Comm& comm, int fd) {
  std::lock_guard guard(comm.Lock);
  comm.Fd = fd;
  comm.Net->Stream.Connected(comm.Dcb);
  PosixComm::WakeWaiter(comm);  // the comm-event wait watches the socket from now on
}

void ConnectInBackground(std::shared_ptr<Handoff> handoff, NetworkPortName name) {
  int fd = -1;
  const int error = Connect(name, fd);
  std::lock_guard guard(handoff->Lock);
  Comm* comm = handoff->Owner;
  if (comm == nullptr) {
    if (fd >= 0) close(fd);
    return;
  }
  if (error != 0) {
    std::lock_guard lineGuard(comm->Lock);
    PosixComm::MarkLost(*comm, error);
    return;
  }
  Install(*comm, fd);
  TrySendControl(*comm);  // also for a port without a comm-event wait
}

std::vector<uint8_t> TakeControl(Comm& comm) {
  std::lock_guard guard(comm.Lock);
  return comm.Net->Stream.TakeControl();
}

// Puts the Telnet bytes from `sent` to `end` back in front of the queue.
void PutBackControl(Comm& comm, const std::vector<uint8_t>& bytes, size_t sent, size_t end) {
  std::lock_guard guard(comm.Lock);
  comm.Net->Stream.PutBackControl(bytes, sent, end);
}

// Sends what it can of the queued Telnet bytes without waiting. Caller holds SendLock.
void SendControl(Comm& comm) {
  const std::vector<uint8_t> bytes = TakeControl(comm);
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = send(comm.Fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // no room now (the next write or wait sends the rest) or a failure the reads will see
    sent += size_t(n);
  }
  if (sent < bytes.size()) PutBackControl(comm, bytes, sent, bytes.size());
}

bool Connected(Comm& comm) {
  std::lock_guard guard(comm.Lock);
  return comm.Fd >= 0;
}

}  // namespace

std::string ResolveErrorText(int code) {
  if (code <= ResolveErrorBase) return {};
  return gai_strerror(ResolveErrorBase - code);
}

Comm* Open(const std::string& text) {
  const std::optional<NetworkPortName> name = ParseNetworkPortName(text);
  if (!name) {
    SetLastError(EINVAL);
    return nullptr;
  }
  const int wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake < 0) {
    SetLastError(errno);
    return nullptr;
  }
  auto* comm = new Comm;
  comm->WakeFd = wake;
  comm->Queue.SetCapacity(QueueSize);
  comm->Net = std::make_unique<Line>(*name);
  comm->Net->Connector = std::make_shared<Handoff>();
  comm->Net->Connector->Owner = comm;
  std::thread(ConnectInBackground, comm->Net->Connector, *name).detach();
  return comm;
}

void Close(Comm& comm) {
  {
    std::lock_guard guard(comm.Net->Connector->Lock);
    comm.Net->Connector->Owner = nullptr;
  }
  if (comm.Fd >= 0) close(comm.Fd);
  close(comm.WakeFd);
}

Line::Line(const NetworkPortName& name)
    : Stream(name.Kind == NetworkPortName::Protocol::Rfc2217, name.Text(), name.OtherSchemeText()) {}

void TakeSettings(Comm& comm, const CommDcb& dcb) {
  if (comm.Fd < 0) return;  // sent with the opening once connected
  comm.Net->Stream.TakeSettings(dcb);
  if (comm.Net->Stream.Telnet()) PosixComm::WakeWaiter(comm);
}

uint32_t TakeReceived(Comm& comm, uint8_t* data, uint32_t count) {
  const NetworkLine::Received received = comm.Net->Stream.TakeReceived(data, count);
  if (received.Broken) PosixComm::MarkLost(comm, EPROTO);
  if (received.AnswersQueued) PosixComm::WakeWaiter(comm);
  return received.Kept;
}

std::string Hint(Comm& comm) { return comm.Net->Stream.Hint(comm.Fd >= 0); }

std::string TakeNotice(Comm& comm) { return comm.Net->Stream.TakeNotice(); }

void TrySendControl(Comm& comm) {
  std::unique_lock send(comm.Net->Stream.SendLock, std::try_to_lock);
  if (send.owns_lock() && Connected(comm)) SendControl(comm);
}

WriteResult Write(Comm& comm, const void* data, uint32_t count, std::span<Event* const> cancel, uint32_t milliseconds) {
  NetworkLine& stream = comm.Net->Stream;
  std::lock_guard send(stream.SendLock);
  if (!Connected(comm)) {
    if (!CommLost(&comm)) return WriteResult{WriteStatus::Completed, count, 0};  // nobody listens yet
    SetLastError(CommLostError(&comm));
    return WriteResult{};
  }
  const auto* bytes = static_cast<const uint8_t*>(data);
  NetworkLine::Outgoing write;
  {
    std::lock_guard guard(comm.Lock);
    write = stream.StartWrite(bytes, count);
  }
  WriteResult result =
      PosixComm::WriteBytes(comm, write.Wire.data(), uint32_t(write.Wire.size()), cancel, milliseconds);
  std::lock_guard guard(comm.Lock);
  result.Written = stream.FinishWrite(write, bytes, count, result.Written);
  return result;
}

}  // namespace Platform::PosixNetwork
