// Lines behind a serial device server in the Windows build under wine: a
// Telnet peer of the test's own on a port of 127.0.0.1 checks what goes over
// the wire, and Debian's ser2net, which the stage starts in front of the
// link com8 (its raw and RFC 2217 ports in PCZN_SER2NET_TCP and
// PCZN_SER2NET_RFC2217), carries bytes to a terminal of serial-line-peer.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "NetworkLineFixture.h"
#include "SerialTestSupport.h"
#include "serial/PortDiscovery.h"
#include "session/PortReport.h"
#include "tests/support/TempFolder.h"

namespace {

class ServerPeer {
public:
  ServerPeer() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 1);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~ServerPeer() {
    Hang();
    closesocket(listener_);
    WSACleanup();
  }
  std::string Name(const char* scheme) const { return std::string(scheme) + "://127.0.0.1:" + std::to_string(port_); }

  // Accepts the client's connection, running the main loop meanwhile.
  bool Accept() {
    if (PumpUntil([&] { return Readable(listener_); }, WaitMs)) connection_ = accept(listener_, nullptr, nullptr);
    return connection_ != INVALID_SOCKET;
  }
  void Send(const Bytes& bytes) { ASSERT_EQ(send(connection_, bytes.data(), int(bytes.size()), 0), int(bytes.size())); }
  // Everything received so far, gathered until it holds `wanted` (or the time is up).
  const Bytes& ReceiveUntil(const Bytes& wanted) {
    PumpUntil(
        [&] {
          char buffer[512];
          while (Readable(connection_)) {
            const int n = recv(connection_, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            received_.append(buffer, size_t(n));
          }
          return received_.find(wanted) != Bytes::npos;
        },
        WaitMs);
    return received_;
  }
  void Hang() {
    if (connection_ != INVALID_SOCKET) closesocket(connection_);
    connection_ = INVALID_SOCKET;
  }

private:
  static bool Readable(SOCKET s) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval now{0, 0};
    return select(0, &readable, nullptr, nullptr, &now) > 0;
  }

  SOCKET listener_ = INVALID_SOCKET;
  SOCKET connection_ = INVALID_SOCKET;
  int port_ = 0;
  Bytes received_;
};

// The name of the stage's ser2net port for a scheme; empty (and a failure) when the stage set none.
std::string Ser2netPort(const char* variable) {
  const char* name = std::getenv(variable);
  EXPECT_NE(name, nullptr) << variable << " is not set: run the tests through scripts/test-wine";
  return name != nullptr ? name : "";
}

// The COM number whose link the stage's ser2net serves.
constexpr int Ser2netCom = 8;

class NetworkLine : public NetworkLineFixture<ServerPeer> {
protected:
  // Bytes through the server both ways, 0xFF among them, to the terminal behind it.
  void PassBytesThrough(const std::string& name, PseudoTerminal& line) {
    Open(name);
    const Bytes frame{"\x01\xFF\x02\x00", 4};
    // The server opens the line when the client connects: written before that, bytes go nowhere.
    ASSERT_TRUE(PumpUntil(
        [&] {
          comm.WriteBuf(frame.data(), 4);
          return line.Read(4, 200) == frame;
        },
        WaitMs))
        << name;
    line.Write(
        Bytes("A\xFF"
              "B\x00",
              4));
    ASSERT_TRUE(PumpUntil([&] { return received.size() >= 4; }, WaitMs)) << name;
    EXPECT_EQ(received, Bytes("A\xFF"
                              "B\x00",
                              4));
  }
};

}  // namespace

TEST_F(NetworkLine, Rfc2217SetsTheLineAndDoublesTheIacByteBothWays) {
  Open(peer.Name("rfc2217"));
  ASSERT_TRUE(peer.Accept());
  // 2400 baud, 8 data bits, no parity, one stop bit, no flow control, DTR and RTS off.
  const Bytes line =
      Sub({1, 0, 0, 0x09, 0x60}) + Sub({2, 8}) + Sub({3, 1}) + Sub({4, 1}) + Sub({5, 1}) + Sub({5, 9}) + Sub({5, 12});
  const Bytes said = peer.ReceiveUntil(line);
  EXPECT_NE(said.find("\xFF\xFB\x2C"), Bytes::npos) << "WILL COM-PORT-OPTION";
  ASSERT_NE(said.find(line), Bytes::npos);

  ASSERT_EQ(comm.WriteBuf("\x01\xFF\x02", 3), 3);
  EXPECT_NE(peer.ReceiveUntil(line + "\x01\xFF\xFF\x02").find(line + "\x01\xFF\xFF\x02"), Bytes::npos);

  // The server's commands never reach the reader; one it asks for that the client does not do is refused.
  peer.Send(Bytes("A\xFF\xFF"
                  "B",
                  4) +
            Sub({107, 0x30}) + "\xFF\xFD\x18" + "C");
  ASSERT_TRUE(PumpUntil([&] { return received.size() >= 3; }, WaitMs));
  EXPECT_EQ(received,
            "A\xFF"
            "BC");
  EXPECT_NE(peer.ReceiveUntil("\xFF\xFC\x18").find("\xFF\xFC\x18"), Bytes::npos) << "WONT TERMINAL-TYPE";
  EXPECT_EQ(comm.DeviceHint(), "");
  EXPECT_TRUE(exceptions.Messages().empty());
}

TEST_F(NetworkLine, RawTcpPassesEveryByteAndAClosedConnectionIsTheLineLostOnce) {
  const std::string name = peer.Name("tcp");
  Open(name);
  ASSERT_TRUE(peer.Accept());
  const Bytes bytes{"\xFF\xFD\x00\x0D\x0A", 5};
  ASSERT_EQ(comm.WriteBuf(bytes.data(), 5), 5);
  EXPECT_EQ(peer.ReceiveUntil(bytes), bytes);
  peer.Send(bytes);
  ASSERT_TRUE(PumpUntil([&] { return received.size() >= 5; }, WaitMs));
  EXPECT_EQ(received, bytes);

  peer.Hang();
  const std::string lost = LostMessage();
  EXPECT_EQ(lost.rfind("Connection to device " + name + " lost (Error 10054, ", 0), 0u) << lost;
  EXPECT_TRUE(comm.DeviceLost());
  PumpFor(300);
  EXPECT_EQ(comm.WriteBuf("x", 1), 0);
  EXPECT_EQ(exceptions.Messages().size(), 1u);
}

TEST_F(NetworkLine, ARefusedConnectionIsTheLineLostAfterOpeningReturned) {
  std::string refused;
  {
    const ServerPeer gone;  // nobody listens on its port any more
    refused = gone.Name("tcp");
  }
  Open(refused);
  EXPECT_TRUE(comm.Active());
  const std::string lost = LostMessage();
  EXPECT_EQ(lost.rfind("Connection to device " + refused + " lost (Error 10061, ", 0), 0u) << lost;
  PumpFor(300);
  EXPECT_EQ(exceptions.Messages().size(), 1u);
}

TEST_F(NetworkLine, ARawPortAtATelnetServerSaysItMayBeAnRfc2217Server) {
  Open(peer.Name("tcp"));
  ASSERT_TRUE(peer.Accept());
  EXPECT_EQ(comm.DeviceHint(), "");
  peer.Send("\xFF\xFD\x18\xFF\xFB\x03");
  ASSERT_TRUE(PumpUntil([&] { return received.size() >= 6; }, WaitMs));
  EXPECT_EQ(comm.DeviceHint(), "the server speaks Telnet: it may be an RFC 2217 server (" + peer.Name("rfc2217") + ")");
}

// Text files "COMn" of a ports folder. "COMn" is a device name in every
// folder of Windows: they are written and removed under their "\\?\" names
// (the folder's own clean-up would reach the devices), also when a test fails.
namespace {

class ComEntries {
public:
  explicit ComEntries(const std::string& folder) : folder_(folder) {}
  ~ComEntries() {
    PortDiscovery::SetPortsFolder({});
    for (const std::filesystem::path& entry : entries_) std::filesystem::remove(entry);
  }
  void Write(int number, const std::string& text) {
    entries_.emplace_back("\\\\?\\" + folder_ + "\\COM" + std::to_string(number));
    std::ofstream(entries_.back()) << text;
  }

private:
  std::string folder_;
  std::vector<std::filesystem::path> entries_;
};

}  // namespace

TEST_F(NetworkLine, AComNumberOfThePortsFolderNamesTheServerInATextFile) {
  const TempFolder folder;
  const std::string ports = folder.Path().string();
  ComEntries entries(ports);
  entries.Write(4, "  " + peer.Name("rfc2217") + "\r\n");
  entries.Write(6, "COM1\n");
  PortDiscovery::SetPortsFolder(ports);
  const PortDiscovery::ComPort com4 = PortDiscovery::ResolveComPort(4);
  const PortDiscovery::ComPort com6 = PortDiscovery::ResolveComPort(6);
  const PortDiscovery::ComPort com5 = PortDiscovery::ResolveComPort(5);

  EXPECT_EQ(com4.Check.State, PortDiscovery::DeviceState::Network);
  EXPECT_EQ(ComPortLine(com4), "COM 4 \u2192 " + peer.Name("rfc2217"));
  EXPECT_EQ(com6.Check.State, PortDiscovery::DeviceState::NotUsable) << "a text that names no server opens nothing";
  EXPECT_EQ(com5.Shown, "\\\\.\\COM5") << "without an entry COM 5 is the system's";
  // The system's COM4 is left without a number, but no link can point one at it here.
  const std::string hint = MissingDeviceHint(7);
  EXPECT_NE(hint.find("COM4"), std::string::npos) << hint;
  EXPECT_EQ(hint.find("ln -sfn"), std::string::npos) << hint;

  comm.SetDeviceName("\\\\.\\COM%d");
  comm.SetPortNum(4);
  comm.Open();
  EXPECT_EQ(comm.OpenPath(), peer.Name("rfc2217"));
  ASSERT_TRUE(peer.Accept());
  EXPECT_NE(peer.ReceiveUntil(Sub({2, 8})).find(Sub({2, 8})), Bytes::npos);
  comm.Close();
}

TEST_F(NetworkLine, Ser2netCarriesEveryByteToTheLineRawAndWithRfc2217) {
  for (const char* variable : {"PCZN_SER2NET_TCP", "PCZN_SER2NET_RFC2217"}) {
    const std::string name = Ser2netPort(variable);
    ASSERT_FALSE(name.empty());
    PseudoTerminal line;
    PortsFolder ports;
    ports.Link(Ser2netCom, line);
    received.clear();
    PassBytesThrough(name, line);
    EXPECT_EQ(comm.DeviceHint(), "") << name;
    comm.ReportDeviceNotices();  // a server that took every setting: nothing to tell
    comm.Close();
    for (const std::string& message : exceptions.Messages()) ADD_FAILURE() << name << ": " << message;
  }
}
