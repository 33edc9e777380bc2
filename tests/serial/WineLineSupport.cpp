// The serial tests' lines in the Windows build under wine: the COM ports of
// the prefix lead to pseudo-terminals that serial-line-peer holds on the
// Linux side; this file asks it over a local TCP connection (its port in
// PCZN_LINE_PEER) to make, feed, read and hang up those terminals.
// winsock2.h before windows.h, which would otherwise bring the old winsock.h.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <cstdlib>
#include <set>
#include <stdexcept>

#include "SerialTestSupport.h"
#include "serial/internal/Platform.h"
#include "tests/support/HexText.h"

namespace {

class PeerConnection {
public:
  PeerConnection() {
    const char* port = std::getenv("PCZN_LINE_PEER");
    if (port == nullptr) throw std::runtime_error("PCZN_LINE_PEER is not set: run the tests through ctest");
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(u_short(std::atoi(port)));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      throw std::runtime_error("cannot reach serial-line-peer on port " + std::string(port));
    }
    const BOOL one = TRUE;
    setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
  }

  // Sends one command and returns the reply after "OK"; the main thread's
  // loop runs while the peer works (a read may take its whole time limit).
  std::string Ask(const std::string& command) {
    const std::string line = command + "\n";
    send(socket_, line.data(), int(line.size()), 0);
    std::string reply;
    for (;;) {
      const size_t end = reply.find('\n');
      if (end != std::string::npos) {
        reply.resize(end);
        break;
      }
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(socket_, &readable);
      timeval wait{0, 5000};
      if (select(0, &readable, nullptr, nullptr, &wait) > 0) {
        char buffer[8192];
        const int n = recv(socket_, buffer, sizeof buffer, 0);
        if (n <= 0) throw std::runtime_error("serial-line-peer went away");
        reply.append(buffer, size_t(n));
      }
      RunMainThreadCalls(0);
    }
    if (reply.rfind("OK", 0) != 0) throw std::runtime_error("serial-line-peer: " + reply + " (" + command + ")");
    return reply.size() > 3 ? reply.substr(3) : std::string();
  }

private:
  SOCKET socket_ = INVALID_SOCKET;
};

PeerConnection& Peer() {
  static PeerConnection connection;
  return connection;
}

std::string ComPath(int number) { return "\\\\.\\COM" + std::to_string(number); }

}  // namespace

struct PseudoTerminal::Line {
  std::string Id;
};

PseudoTerminal::PseudoTerminal() : line_(new Line) {
  const std::string reply = Peer().Ask("NEW");
  const size_t blank = reply.find(' ');
  line_->Id = reply.substr(0, blank);
  slavePath_ = ComPath(std::stoi(reply.substr(blank + 1)));
}

PseudoTerminal::~PseudoTerminal() {
  Peer().Ask("FREE " + line_->Id);
  delete line_;
}

void PseudoTerminal::Write(const std::string& bytes) { Peer().Ask("WRITE " + line_->Id + " " + HexText(bytes)); }

std::string PseudoTerminal::Read(size_t want, int timeoutMs) {
  return BytesOfHexText(Peer().Ask("READ " + line_->Id + " " + std::to_string(want) + " " + std::to_string(timeoutMs)));
}

void PseudoTerminal::CloseMaster() { Peer().Ask("HANGUP " + line_->Id); }

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// A terminal whose other end closed ends the comm-event wait with
// ERROR_OPERATION_ABORTED, and the status read that confirms the loss fails.
std::string LostLineError() { return "109, " + Platform::SysErrorMessage(109); }

double ProcessCpuMilliseconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto ticks = [](const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return double(ticks(kernel) + ticks(user)) / 10000.0;  // 100 ns units
}

namespace {
std::set<int>& LinkedNumbers() {
  static std::set<int> numbers;
  return numbers;
}
}  // namespace

PortsFolder::PortsFolder() = default;

PortsFolder::~PortsFolder() {
  for (int number : LinkedNumbers()) Peer().Ask("UNLINK " + std::to_string(number));
  LinkedNumbers().clear();
}

std::string PortsFolder::Link(int number, const PseudoTerminal& target) {
  Peer().Ask("LINK " + std::to_string(number) + " " + target.line_->Id);
  LinkedNumbers().insert(number);
  return ComPath(number);
}

std::string PortsFolder::Link(int, const std::string& target) {
  ADD_FAILURE() << "a COM link to a path is made on Linux only (" << target << ")";
  return {};
}
