// Lines behind a serial device server: a Telnet peer of the test's own plays
// the server, on a port of 127.0.0.1, and checks what goes over the wire.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "SerialTestSupport.h"
#include "serial/NetworkPortName.h"
#include "serial/internal/Platform.h"
#include "serial/PortDiscovery.h"
#include "serial/internal/TelnetCodec.h"
#include "session/PortReport.h"
#include "tests/support/TempPortsFolder.h"

namespace {

using Bytes = std::string;

// Waits generous enough for a loaded machine; a peer that gets what it
// expects returns at once.
constexpr int WaitMs = 30000;

class ServerPeer {
public:
  ServerPeer() {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 1);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~ServerPeer() {
    Hang();
    close(listener_);
  }
  std::string Name(const char* scheme) const { return std::string(scheme) + "://127.0.0.1:" + std::to_string(port_); }

  // Accepts the client's connection, running the main loop meanwhile.
  bool Accept() {
    pollfd fd{listener_, POLLIN, 0};
    const bool ready = PumpUntil([&] { return poll(&fd, 1, 0) > 0; }, WaitMs);
    if (ready) connection_ = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    return connection_ >= 0;
  }
  void Send(const Bytes& bytes) { ASSERT_EQ(send(connection_, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size())); }
  // Everything received so far, gathered until it holds `wanted` (or the time is up).
  const Bytes& ReceiveUntil(const Bytes& wanted) {
    PumpUntil([&] {
      char buffer[512];
      pollfd fd{connection_, POLLIN, 0};
      while (poll(&fd, 1, 0) > 0) {
        const ssize_t n = recv(connection_, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        received_.append(buffer, size_t(n));
      }
      return received_.find(wanted) != Bytes::npos;
    }, WaitMs);
    return received_;
  }
  void Hang() {
    if (connection_ >= 0) close(connection_);
    connection_ = -1;
  }

private:
  int listener_ = -1;
  int connection_ = -1;
  int port_ = 0;
  Bytes received_;
};

Bytes Sub(std::initializer_list<uint8_t> body) {
  Bytes bytes{"\xFF\xFA\x2C"};
  for (uint8_t b : body) bytes += char(b);
  return bytes + "\xFF\xF0";
}

class NetworkLine : public ::testing::Test {
protected:
  void SetUp() override {
    ConfigureLikeApplication(comm);
    comm.OnRxChar = [this](TVaCustomComm* sender, int count) {
      std::string bytes(size_t(count), '\0');
      received.append(bytes.data(), size_t(sender->ReadBuf(bytes.data(), count)));
    };
  }
  void Open(const std::string& name) {
    comm.SetDeviceName(name);
    comm.Open();
  }

  ServerPeer peer;
  TVaComm comm;
  ExceptionRecord exceptions;
  std::string received;
};

}  // namespace

TEST_F(NetworkLine, Rfc2217SetsTheLineAndDoublesTheIacByteBothWays) {
  Open(peer.Name("rfc2217"));
  ASSERT_TRUE(peer.Accept());
  // 2400 baud, 8 data bits, no parity, one stop bit, no flow control, DTR and RTS off.
  const Bytes line = Sub({1, 0, 0, 0x09, 0x60}) + Sub({2, 8}) + Sub({3, 1}) + Sub({4, 1}) + Sub({5, 1}) +
                     Sub({5, 9}) + Sub({5, 12});
  const Bytes said = peer.ReceiveUntil(line);
  EXPECT_NE(said.find("\xFF\xFB\x2C"), Bytes::npos) << "WILL COM-PORT-OPTION";
  ASSERT_NE(said.find(line), Bytes::npos);

  const Bytes frame{"\x01\xFF\x02", 3};
  ASSERT_EQ(comm.WriteBuf(frame.data(), 3), 3);
  EXPECT_NE(peer.ReceiveUntil(line + "\x01\xFF\xFF\x02").find(line + "\x01\xFF\xFF\x02"), Bytes::npos);

  // The server's commands never reach the reader, and one it asks for that
  // the client does not do is refused once.
  peer.Send(Bytes("A\xFF\xFF" "B", 4) + Sub({107, 0x30}) + "\xFF\xFD\x18" + "C" + Bytes("\xFF\xFB\x00\xFF", 4));
  peer.Send("\xFF" "D");  // a doubled IAC split between two reads
  ASSERT_TRUE(PumpUntil([&] { return received.size() >= 5; }, WaitMs));
  EXPECT_EQ(received, Bytes("A\xFF" "BC\xFF" "D", 6));
  EXPECT_NE(peer.ReceiveUntil("\xFF\xFC\x18").find("\xFF\xFC\x18"), Bytes::npos) << "WONT TERMINAL-TYPE";
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
  ASSERT_TRUE(PumpUntil([&] { return !exceptions.Messages().empty(); }, WaitMs));
  EXPECT_EQ(exceptions.Messages()[0], "Connection to device " + name + " lost (Error 104, Connection reset by peer)");
  EXPECT_TRUE(comm.DeviceLost());
  PumpFor(300);
  EXPECT_EQ(comm.WriteBuf("x", 1), 0);
  EXPECT_EQ(exceptions.Messages().size(), 1u);
}

TEST_F(NetworkLine, OpeningNeverWaitsForTheNetworkAndARefusedConnectionIsTheLineLost) {
  std::string refused;
  {
    const ServerPeer gone;  // nobody listens on its port any more
    refused = gone.Name("tcp");
  }
  const uint32_t start = Platform::GetTickCount();
  Open(refused);
  EXPECT_TRUE(comm.Active());
  EXPECT_LT(MillisecondsSince(start), 1000u) << "the connection is made on a thread of its own";
  ASSERT_TRUE(PumpUntil([&] { return !exceptions.Messages().empty(); }, WaitMs));
  EXPECT_EQ(exceptions.Messages()[0], "Connection to device " + refused + " lost (Error 111, Connection refused)");
}

TEST_F(NetworkLine, AComNumberOfThePortsFolderNamesTheServerInATextFile) {
  TempPortsFolder ports;
  ports.Name(4, "  " + peer.Name("rfc2217") + "\r");
  ports.Name(6, "/dev/ttyUSB0");
  const PortDiscovery::ComPort com4 = PortDiscovery::ResolveComPort(4);
  EXPECT_EQ(com4.Check.State, PortDiscovery::DeviceState::Network);
  EXPECT_EQ(ComPortLine(com4), "COM 4 \u2192 " + peer.Name("rfc2217"));
  EXPECT_EQ(ComPortLine(PortDiscovery::ResolveComPort(6)),
            "COM 6 \u2192 " + ports.Folder() + "/COM6 (nicht verwendbar: keine Netzwerkadresse "
            "(tcp://HOST:PORT oder rfc2217://HOST:PORT))");

  comm.SetDeviceName("\\\\.\\COM%d");
  comm.SetPortNum(4);
  comm.Open();
  EXPECT_EQ(comm.OpenPath(), peer.Name("rfc2217"));
  ASSERT_TRUE(peer.Accept());
  EXPECT_NE(peer.ReceiveUntil(Sub({2, 8})).find(Sub({2, 8})), Bytes::npos);
}

TEST(NetworkPortNames, TheFormsThatNameAServerAndThoseThatDoNot) {
  const auto rfc = ParseNetworkPortName("RFC2217://plant-7.example:4001/");
  ASSERT_TRUE(rfc);
  EXPECT_EQ(rfc->Kind, NetworkPortName::Protocol::Rfc2217);
  EXPECT_EQ(rfc->Host, "plant-7.example");
  EXPECT_EQ(rfc->Port, 4001);
  const auto v6 = ParseNetworkPortName("tcp://[fe80::1]:23");
  ASSERT_TRUE(v6);
  EXPECT_EQ(v6->Host, "fe80::1");
  EXPECT_EQ(v6->Text(), "tcp://[fe80::1]:23");
  for (const char* bad : {"tcp://host", "tcp://:4001", "tcp://host:0", "tcp://host:65536", "tcp://host:40x1",
                          "tcp://ho st:1", "tcp://host;rm:1", "tcp://fe80::1:23", "udp://host:1", "/dev/ttyS0"})
    EXPECT_FALSE(ParseNetworkPortName(bad)) << bad;
  EXPECT_TRUE(HasNetworkScheme("tcp://host"));
  EXPECT_FALSE(HasNetworkScheme("COM4"));
}

TEST(TelnetDecoder, ACommandSplitAcrossReadsIsTakenOutWhole) {
  Telnet::Decoder decoder;
  std::vector<uint8_t> replies;
  const Bytes stream = Bytes("x\xFF\xFA\x2C\x6B\xFF\xFF\x01\xFF\xF0y\xFF\xFE\x00z\xFF\xFE\x00", 18);
  Bytes data;
  for (char c : stream) {  // one byte a read: the worst split there is
    uint8_t byte = uint8_t(c);
    if (decoder.Decode(&byte, 1, replies) == 1) data += char(byte);
  }
  EXPECT_EQ(data, "xyz");
  // DONT BINARY turns the client's binary mode off once; the second is no change.
  EXPECT_EQ(Bytes(replies.begin(), replies.end()), "\xFF\xFC" + Bytes(1, '\0'));
}
