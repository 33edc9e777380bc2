// Lines behind a serial device server on Winsock: the connection, made on a
// thread of its own, the overlapped receive the comm-event wait keeps posted,
// and overlapped sends that cancel events and the time limit end.
#include "Win32Network.h"

#include <mstcpip.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

namespace Platform {

namespace Win32Network {

using namespace CommConst;

// The connecting thread's way back to the line: cleared when the line is
// closed first, so the thread then closes its socket instead.
struct Handoff {
  std::mutex Lock;
  Comm* Owner = nullptr;
};

namespace {

// How long a connection attempt may take before it counts as failed.
constexpr long ConnectSeconds = 20;
// A server that vanishes from an idle line is noticed within half a minute:
// keep-alive probes after 10 s of silence, every 2 s; two of them where the
// system takes a count (Windows 10 1703 on: 14 s), else its own count (10 on
// older Windows: 30 s; 9 under wine, which takes only SIO_KEEPALIVE_VALS: 28 s).
// Data the server does not acknowledge ends the connection after 20 s of
// retries where the system takes that limit (wine does not: there the
// kernel's own retries govern).
constexpr ULONG KeepIdleMs = 10000;
constexpr ULONG KeepIntervalMs = 2000;
constexpr DWORD KeepCount = 2;
constexpr DWORD MaxRetransmitSeconds = 20;
// The system's option numbers for the probe count and the retransmission
// limit; mingw-w64's headers do not name them yet.
constexpr int TcpMaxRetransmit = 5;
constexpr int TcpKeepCount = 16;
// A server that broke Telnet's rules: the stream cannot be trusted any more.
constexpr DWORD ProtocolError = ERROR_INVALID_DATA;
// How long Telnet answers may wait for room before the rest goes later.
constexpr DWORD ControlSendMs = 50;

void SetOption(SOCKET s, int level, int name, DWORD value) {
  setsockopt(s, level, name, reinterpret_cast<const char*>(&value), sizeof value);
}

void TuneSocket(SOCKET s) {
  // Frames are a few bytes each, and the cycle waits for the answer: send at once.
  SetOption(s, IPPROTO_TCP, TCP_NODELAY, 1);
  tcp_keepalive keep{1, KeepIdleMs, KeepIntervalMs};
  DWORD returned = 0;
  WSAIoctl(s, SIO_KEEPALIVE_VALS, &keep, sizeof keep, nullptr, 0, &returned, nullptr, nullptr);
  // Best effort: older systems keep their own count (10) and limit.
  SetOption(s, IPPROTO_TCP, TcpKeepCount, KeepCount);
  SetOption(s, IPPROTO_TCP, TcpMaxRetransmit, MaxRetransmitSeconds);
}

DWORD AwaitConnect(SOCKET s) {
  fd_set writable;
  fd_set failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(s, &writable);
  FD_SET(s, &failed);
  timeval limit{ConnectSeconds, 0};
  const int ready = select(0, nullptr, &writable, &failed, &limit);
  if (ready == 0) return WSAETIMEDOUT;
  if (ready < 0) return DWORD(WSAGetLastError());
  int error = 0;
  int length = sizeof error;
  getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
  if (error != 0) return DWORD(error);
  return FD_ISSET(s, &failed) ? WSAECONNREFUSED : 0;
}

// Connects without blocking, so the time limit holds, then makes the socket
// blocking again: reads and writes on it are overlapped.
DWORD ConnectTo(const addrinfo& address, SOCKET& s) {
  s = WSASocketW(address.ai_family, address.ai_socktype, address.ai_protocol, nullptr, 0,
                 WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
  if (s == INVALID_SOCKET) return DWORD(WSAGetLastError());
  u_long nonBlocking = 1;
  DWORD error = ioctlsocket(s, FIONBIO, &nonBlocking) == 0 ? 0 : DWORD(WSAGetLastError());
  if (error == 0 && connect(s, address.ai_addr, int(address.ai_addrlen)) != 0) {
    error = DWORD(WSAGetLastError());
    if (error == WSAEWOULDBLOCK) error = AwaitConnect(s);
  }
  u_long blocking = 0;
  if (error == 0 && ioctlsocket(s, FIONBIO, &blocking) != 0) error = DWORD(WSAGetLastError());
  if (error != 0) {
    closesocket(s);
    s = INVALID_SOCKET;
  }
  return error;
}

// Resolves the name and tries each of its addresses; 0 and the socket, or the error.
DWORD Connect(const NetworkPortName& name, SOCKET& s) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* found = nullptr;
  if (getaddrinfo(name.Host.c_str(), std::to_string(name.Port).c_str(), &hints, &found) != 0)
    return DWORD(WSAGetLastError());
  DWORD error = WSAEHOSTUNREACH;
  for (const addrinfo* address = found; address != nullptr; address = address->ai_next) {
    error = ConnectTo(*address, s);
    if (error == 0) break;
  }
  freeaddrinfo(found);
  if (error == 0) TuneSocket(s);
  return error;
}

// Caller holds comm.Lock.
void MarkLost(Comm& comm, DWORD error) {
  Win32Comm::MarkLost(comm, error);
  ::SetEvent(comm.Wake);
}

// Received bytes into the queue, Telnet taken out; every arrival is reported.
// Caller holds comm.Lock.
void Arrived(Comm& comm, uint8_t* data, uint32_t count) {
  const NetworkLine::Received received = comm.Net->Stream.TakeReceived(data, count);
  if (received.Broken) return MarkLost(comm, ProtocolError);
  Win32Comm::Arrived(comm, data, received.Kept, true);
}

// The end of one receive: bytes, the server's close or a failure. Caller holds comm.Lock.
void Received(Comm& comm, bool ok, DWORD count, DWORD error) {
  if (!ok && (error == WSA_OPERATION_ABORTED || error == ERROR_OPERATION_ABORTED)) return;  // ended by us
  if (!ok) return MarkLost(comm, error);
  if (count == 0) return MarkLost(comm, WSAECONNRESET);  // the server closed the connection
  Arrived(comm, comm.Net->Buffer, count);
}

bool PostReceive(Comm& comm, SOCKET s, uint32_t room) {
  Line& net = *comm.Net;
  WSABUF buffer{ULONG(std::min<size_t>(room, sizeof net.Buffer)), reinterpret_cast<char*>(net.Buffer)};
  DWORD flags = 0;
  OVERLAPPED* io = net.ReceiveIo.Start();
  // Done at once or pending: either way the block's event says when it ended.
  if (WSARecv(s, &buffer, 1, nullptr, &flags, io, nullptr) == 0 || WSAGetLastError() == WSA_IO_PENDING) return true;
  const DWORD error = DWORD(WSAGetLastError());
  std::lock_guard guard(comm.Lock);
  MarkLost(comm, error);
  return false;
}

void FinishReceive(Comm& comm, SOCKET s) {
  DWORD count = 0;
  DWORD flags = 0;
  const bool ok = WSAGetOverlappedResult(s, &comm.Net->ReceiveIo.Block, &count, TRUE, &flags) != FALSE;
  const DWORD error = ok ? 0 : DWORD(WSAGetLastError());
  std::lock_guard guard(comm.Lock);
  Received(comm, ok, count, error);
}

void EndReceive(Comm& comm, SOCKET s) {
  ::CancelIoEx(reinterpret_cast<HANDLE>(s), &comm.Net->ReceiveIo.Block);
  FinishReceive(comm, s);  // what came before the cancel is kept
}

// Reads what the socket holds without waiting, for readers while no
// comm-event wait keeps a receive posted. Caller holds comm.Lock.
void FillUnlessWatched(Comm& comm) {
  Line& net = *comm.Net;
  while (!comm.Watched && !comm.Loss.Lost && net.Socket != INVALID_SOCKET && comm.Queue.Space() > 0) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(net.Socket, &readable);
    timeval now{0, 0};
    if (select(0, &readable, nullptr, nullptr, &now) <= 0) return;
    const int n = recv(net.Socket, reinterpret_cast<char*>(net.Buffer),
                       int(std::min<size_t>(comm.Queue.Space(), sizeof net.Buffer)), 0);
    Received(comm, n >= 0, DWORD(std::max(n, 0)), n < 0 ? DWORD(WSAGetLastError()) : 0);
  }
}

DWORD Remaining(uint32_t milliseconds, uint32_t start) {
  if (milliseconds == Infinite) return INFINITE;
  const uint32_t elapsed = GetTickCount() - start;  // unsigned: wrap-around safe
  return elapsed >= milliseconds ? 0 : milliseconds - elapsed;
}

// Sends all bytes with overlapped sends until done, a cancel event, the time
// limit or a failure (which is the line's loss); Written counts what went.
WriteResult SendAll(Comm& comm, SOCKET s, const std::vector<uint8_t>& bytes, std::span<Event* const> cancel,
                    uint32_t milliseconds) {
  std::vector<HANDLE> handles;
  for (Event* event : cancel) handles.push_back(event->Handle);
  handles.push_back(comm.Net->SendIo.Block.hEvent);
  const DWORD cancels = DWORD(cancel.size());
  const uint32_t start = GetTickCount();
  WriteResult result{WriteStatus::Completed, 0, 0};
  while (result.Written < bytes.size()) {
    WSABUF buffer{ULONG(bytes.size() - result.Written),
                  const_cast<char*>(reinterpret_cast<const char*>(bytes.data() + result.Written))};
    OVERLAPPED* io = comm.Net->SendIo.Start();
    DWORD error = 0;
    if (WSASend(s, &buffer, 1, nullptr, 0, io, nullptr) != 0 && WSAGetLastError() != WSA_IO_PENDING) {
      error = DWORD(WSAGetLastError());
    } else {
      const DWORD end =
          ::WaitForMultipleObjects(DWORD(handles.size()), handles.data(), FALSE, Remaining(milliseconds, start));
      if (end != WAIT_OBJECT_0 + cancels) ::CancelIoEx(reinterpret_cast<HANDLE>(s), io);
      DWORD sent = 0;
      DWORD flags = 0;
      const bool ok = WSAGetOverlappedResult(s, io, &sent, TRUE, &flags) != FALSE;
      result.Written += sent;
      if (end < WAIT_OBJECT_0 + cancels) {
        result.Status = WriteStatus::Cancelled;
        result.CancelIndex = end - WAIT_OBJECT_0;
        return result;
      }
      if (end != WAIT_OBJECT_0 + cancels) {
        result.Status = WriteStatus::TimedOut;
        return result;
      }
      if (!ok) error = DWORD(WSAGetLastError());
    }
    if (error != 0) {
      std::lock_guard guard(comm.Lock);
      MarkLost(comm, error);
      SetLastError(int(error));
      result.Status = WriteStatus::Failed;
      return result;
    }
  }
  return result;
}

SOCKET SocketOf(Comm& comm) {
  std::lock_guard guard(comm.Lock);
  return comm.Net->Socket;
}

// Sends queued Telnet answers unless a write is under way (the write sends them first).
void TrySendControl(Comm& comm) {
  NetworkLine& stream = comm.Net->Stream;
  std::unique_lock send(stream.SendLock, std::try_to_lock);
  const SOCKET s = SocketOf(comm);
  if (!send.owns_lock() || s == INVALID_SOCKET) return;
  std::vector<uint8_t> bytes;
  {
    std::lock_guard guard(comm.Lock);
    bytes = stream.TakeControl();
  }
  if (bytes.empty()) return;
  const WriteResult result = SendAll(comm, s, bytes, {}, ControlSendMs);
  std::lock_guard guard(comm.Lock);
  if (result.Written < bytes.size()) stream.PutBackControl(bytes, result.Written, bytes.size());
}

void ConnectInBackground(std::shared_ptr<Handoff> handoff, NetworkPortName name) {
  WSADATA data;
  const bool started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  SOCKET s = INVALID_SOCKET;
  const DWORD error = started ? Connect(name, s) : DWORD(WSASYSNOTREADY);
  {
    std::lock_guard guard(handoff->Lock);
    Comm* comm = handoff->Owner;
    if (comm == nullptr) {
      if (s != INVALID_SOCKET) closesocket(s);
    } else {
      {
        std::lock_guard lineGuard(comm->Lock);
        if (error != 0) {
          MarkLost(*comm, error);
        } else {
          comm->Net->Socket = s;
          comm->Net->Stream.Connected(comm->Net->Dcb);
          ::SetEvent(comm->Wake);  // the comm-event wait receives from now on
        }
      }
      if (error == 0) TrySendControl(*comm);  // also for a port without a comm-event wait
    }
  }
  if (started) WSACleanup();
}

}  // namespace

Line::Line(const NetworkPortName& name)
    : Stream(name.Kind == NetworkPortName::Protocol::Rfc2217, name.Text(), name.OtherSchemeText()) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);  // the count of users; the connecting thread holds its own
}

Line::~Line() {
  if (Socket != INVALID_SOCKET) closesocket(Socket);
  WSACleanup();
}

Comm* Open(const std::string& text) {
  const std::optional<NetworkPortName> name = ParseNetworkPortName(text);
  if (!name) {
    SetLastError(ERROR_INVALID_NAME);
    return nullptr;
  }
  auto* comm = new Comm;
  comm->Net = std::make_unique<Line>(*name);
  comm->Net->Connector = std::make_shared<Handoff>();
  comm->Net->Connector->Owner = comm;
  std::thread(ConnectInBackground, comm->Net->Connector, *name).detach();
  return comm;
}

void Close(Comm& comm) {
  std::lock_guard guard(comm.Net->Connector->Lock);
  comm.Net->Connector->Owner = nullptr;
}

bool GetState(Comm& comm, CommDcb& dcb) {
  std::lock_guard guard(comm.Lock);
  dcb = comm.Net->Dcb;
  return true;
}

// The server keeps the line; the block is what was set, and an RFC 2217
// server hears it (once connected; before, it goes with the opening).
bool SetState(Comm& comm, const CommDcb& dcb) {
  std::lock_guard guard(comm.Lock);
  comm.Net->Dcb = dcb;
  Win32Comm::TakeControlBlock(comm, dcb);
  if (comm.Net->Socket == INVALID_SOCKET || !comm.Net->Stream.Telnet()) return true;
  comm.Net->Stream.TakeSettings(dcb);
  ::SetEvent(comm.Wake);
  return true;
}

CommWait WaitEvent(Comm& comm, uint32_t& mask, Event* cancel) {
  mask = 0;
  Line& net = *comm.Net;
  SOCKET posted = INVALID_SOCKET;  // the socket a receive is posted on
  for (;;) {
    TrySendControl(comm);
    CommWait end = CommWait::Event;
    bool done = ::WaitForSingleObject(cancel->Handle, 0) == WAIT_OBJECT_0;
    SOCKET s = INVALID_SOCKET;
    uint32_t room = 0;
    if (done) {
      end = CommWait::Cancelled;
    } else {
      std::lock_guard guard(comm.Lock);
      comm.Watched = true;
      mask = Win32Comm::TakeEvents(comm);
      done = mask != 0 || comm.Loss.Lost;
      if (mask == 0 && comm.Loss.Lost) end = CommWait::DeviceLost;
      s = net.Socket;
      room = comm.Queue.Space();
    }
    if (done) {
      if (posted != INVALID_SOCKET) EndReceive(comm, posted);
      if (end != CommWait::Event) {
        std::lock_guard guard(comm.Lock);
        comm.Watched = false;
      }
      return end;
    }
    if (posted == INVALID_SOCKET && s != INVALID_SOCKET && room > 0 && PostReceive(comm, s, room)) posted = s;
    HANDLE handles[3] = {cancel->Handle, comm.Wake, net.ReceiveIo.Block.hEvent};
    const DWORD result = ::WaitForMultipleObjects(posted != INVALID_SOCKET ? 3 : 2, handles, FALSE, INFINITE);
    if (result == WAIT_OBJECT_0 + 2) {
      FinishReceive(comm, posted);
      posted = INVALID_SOCKET;
    }
  }
}

bool Read(Comm& comm, void* data, uint32_t count, uint32_t& read) {
  std::lock_guard guard(comm.Lock);
  FillUnlessWatched(comm);
  const uint32_t sizeBefore = comm.Queue.Size();
  read = comm.Queue.Pop(static_cast<uint8_t*>(data), count);
  Win32Comm::NoteQueueShrunk(comm, sizeBefore);
  return true;
}

WriteResult Write(Comm& comm, const void* data, uint32_t count, std::span<Event* const> cancel, uint32_t milliseconds) {
  NetworkLine& stream = comm.Net->Stream;
  std::lock_guard send(stream.SendLock);
  const SOCKET s = SocketOf(comm);
  if (s == INVALID_SOCKET) {
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
  WriteResult result = SendAll(comm, s, write.Wire, cancel, milliseconds);
  std::lock_guard guard(comm.Lock);
  result.Written = stream.FinishWrite(write, bytes, count, result.Written);
  return result;
}

void Status(Comm& comm, CommStat& stat) {
  std::lock_guard guard(comm.Lock);
  FillUnlessWatched(comm);
  stat.InQue = comm.Queue.Size();
}

std::string Hint(Comm& comm) {
  std::lock_guard guard(comm.Lock);
  return comm.Net->Stream.Hint(comm.Net->Socket != INVALID_SOCKET);
}

std::string TakeNotice(Comm& comm) {
  std::lock_guard guard(comm.Lock);
  return comm.Net->Stream.TakeNotice();
}

}  // namespace Win32Network
}  // namespace Platform
