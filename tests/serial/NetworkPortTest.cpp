// Lines behind a serial device server: a Telnet peer of the test's own plays
// the server, on a port of 127.0.0.1, and checks what goes over the wire.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <thread>

#include "NetworkLineFixture.h"
#include "SerialTestSupport.h"
#include "serial/NetworkPortName.h"
#include "serial/PortDiscovery.h"
#include "serial/internal/Platform.h"
#include "serial/internal/TelnetCodec.h"
#include "session/PortReport.h"
#include "tests/support/TempPortsFolder.h"

namespace {

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
  void Send(const Bytes& bytes) {
    ASSERT_EQ(send(connection_, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size()));
  }
  // Sends what fits without waiting; false once the client takes nothing more.
  bool SendWhatFits(const Bytes& bytes) {
    return send(connection_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT) > 0;
  }
  // Everything received so far, gathered until it holds `wanted` (or the time is up).
  const Bytes& ReceiveUntil(const Bytes& wanted) {
    PumpUntil(
        [&] {
          char buffer[512];
          pollfd fd{connection_, POLLIN, 0};
          while (poll(&fd, 1, 0) > 0) {
            const ssize_t n = recv(connection_, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            received_.append(buffer, size_t(n));
          }
          return received_.find(wanted) != Bytes::npos;
        },
        WaitMs);
    return received_;
  }
  // The same without the main loop, for a thread of its own: reads until
  // `wanted` came, the connection ended or the time is up.
  Bytes ReceiveOnThreadUntil(const Bytes& wanted) {
    Bytes got;
    char buffer[65536];
    pollfd fd{connection_, POLLIN, 0};
    while (got.find(wanted) == Bytes::npos && poll(&fd, 1, WaitMs) > 0) {
      const ssize_t n = recv(connection_, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      got.append(buffer, size_t(n));
    }
    return got;
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

Bytes Repeated(const Bytes& bytes, size_t times) {
  Bytes out;
  for (size_t i = 0; i < times; ++i) out += bytes;
  return out;
}

size_t Occurrences(const Bytes& text, const Bytes& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != Bytes::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

class NetworkLine : public NetworkLineFixture<ServerPeer> {
protected:
  // Connects to the peer and lets it take the Telnet opening and the line's settings.
  void OpenTelnet() {
    Open(peer.Name("rfc2217"));
    ASSERT_TRUE(peer.Accept());
    ASSERT_NE(peer.ReceiveUntil(LastSetting()).find(LastSetting()), Bytes::npos);
  }
  static Bytes LastSetting() { return Sub({5, 12}); }
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

  const Bytes frame{"\x01\xFF\x02", 3};
  ASSERT_EQ(comm.WriteBuf(frame.data(), 3), 3);
  EXPECT_NE(peer.ReceiveUntil(line + "\x01\xFF\xFF\x02").find(line + "\x01\xFF\xFF\x02"), Bytes::npos);

  // The server's commands never reach the reader, and one it asks for that
  // the client does not do is refused once.
  peer.Send(Bytes("A\xFF\xFF"
                  "B",
                  4) +
            Sub({107, 0x30}) + "\xFF\xFD\x18" + "C" + Bytes("\xFF\xFB\x00\xFF", 4));
  peer.Send(
      "\xFF"
      "D");  // a doubled IAC split between two reads
  ASSERT_TRUE(PumpUntil([&] { return received.size() >= 5; }, WaitMs));
  EXPECT_EQ(received, Bytes("A\xFF"
                            "BC\xFF"
                            "D",
                            6));
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
  EXPECT_EQ(ComPortLine(PortDiscovery::ResolveComPort(6)), "COM 6 \u2192 " + ports.Folder() +
                                                               "/COM6 (nicht verwendbar: keine Netzwerkadresse "
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

// --- servers that break the rules ------------------------------------------------

TEST(TelnetDecoder, ARefusedRequestIsAnsweredOnceAndASubNegotiationWithoutEndBreaksTheStream) {
  Telnet::Decoder decoder;
  std::vector<uint8_t> replies;
  Bytes flood = Repeated("\xFF\xFD\x18", 1000) + Repeated("\xFF\xFB\x18", 1000) + "x";
  EXPECT_EQ(decoder.Decode(reinterpret_cast<uint8_t*>(flood.data()), flood.size(), replies), 1u);
  EXPECT_EQ(Bytes(replies.begin(), replies.end()), "\xFF\xFC\x18\xFF\xFE\x18") << "WONT and DONT once each";
  EXPECT_TRUE(decoder.Negotiated());

  Bytes endless = "\xFF\xFA\x2C" + Bytes(Telnet::Decoder::SubLimit, 'a') + "data";
  EXPECT_EQ(decoder.Decode(reinterpret_cast<uint8_t*>(endless.data()), endless.size(), replies), 0u);
  EXPECT_TRUE(decoder.Broken());
  Bytes later = "more";
  EXPECT_EQ(decoder.Decode(reinterpret_cast<uint8_t*>(later.data()), later.size(), replies), 0u);
}

TEST_F(NetworkLine, AFloodOfRefusedRequestsIsAnsweredOnceWhileTheServerNeverReads) {
  OpenTelnet();
  const Bytes flood = Repeated("\xFF\xFD\x18", 20000);
  for (int i = 0; i < 30; ++i) peer.Send(flood);  // 1.8 MB of DO TERMINAL-TYPE
  peer.Send("Z");
  ASSERT_TRUE(PumpUntil([&] { return received == "Z"; }, WaitMs));
  ASSERT_EQ(comm.WriteBuf("END", 3), 3);
  const Bytes said = peer.ReceiveUntil("END");
  ASSERT_NE(said.find("END"), Bytes::npos);
  EXPECT_EQ(Occurrences(said, "\xFF\xFC\x18"), 1u) << "WONT TERMINAL-TYPE";
  EXPECT_TRUE(exceptions.Messages().empty());
}

TEST_F(NetworkLine, AServerThatAsksMoreAnswersThanItReadsIsAProtocolErrorReportedOnce) {
  OpenTelnet();
  // Each DONT and DO of BINARY changes the state, so each is answered: only
  // the bound of the answers' queue stops a server that never reads them.
  const Bytes turns = Repeated(Bytes("\xFF\xFE\x00\xFF\xFD\x00", 6), 5000);
  const size_t limit = 256u << 20;
  for (size_t sent = 0; exceptions.Messages().empty() && sent < limit; sent += turns.size()) {
    if (!peer.SendWhatFits(turns)) PumpFor(10);
    PumpFor(0);
  }
  EXPECT_EQ(LostMessage(), "Connection to device " + peer.Name("rfc2217") + " lost (Error 71, Protocol error)");
  PumpFor(300);
  EXPECT_EQ(exceptions.Messages().size(), 1u);
}

TEST_F(NetworkLine, ATimedOutWriteIsNeverSentLaterBehindQueuedAnswers) {
  comm.SetDirectWrite(true);
  OpenTelnet();
  comm.Buffers().SetWriteTimeout(200);
  const Bytes filler(64 * 1024, 'a');
  // The kernel may make room again after a full buffer; each round fills it
  // anew until a write finds the answers queued and no room at all.
  std::vector<Bytes> notWritten;
  for (int round = 0; round < 20 && notWritten.empty(); ++round) {
    while (comm.WriteBuf(filler.data(), int(filler.size())) == int(filler.size())) {
    }
    // Answers queue up in front of the next write: DONT and DO of BINARY,
    // then a data byte to know they were read.
    peer.Send(Repeated(Bytes("\xFF\xFE\x00\xFF\xFD\x00", 6), 100) + "Q");
    ASSERT_TRUE(PumpUntil([&] { return received.size() == size_t(round + 1); }, WaitMs));
    const Bytes mark = "MARK" + std::to_string(round) + "|";
    if (comm.WriteBuf(mark.data(), int(mark.size())) == 0) notWritten.push_back(mark);
  }
  ASSERT_FALSE(notWritten.empty()) << "no write ever timed out behind the answers";

  comm.Buffers().SetWriteTimeout(WaitMs);
  Bytes said;
  std::thread reader([&] { said = peer.ReceiveOnThreadUntil("DONE"); });
  EXPECT_EQ(comm.WriteBuf("DONE", 4), 4);
  reader.join();
  ASSERT_NE(said.find("DONE"), Bytes::npos);
  EXPECT_EQ(said.find(notWritten[0]), Bytes::npos) << "the write reported as not done reached the server";
  EXPECT_GE(Occurrences(said, Bytes("\xFF\xFC\x00", 3)), 100u) << "the answers still went";
}

TEST_F(NetworkLine, ATelnetPortAtARawServerIsLostOnAnEndlessSubNegotiationAndSaysWhy) {
  const std::string tcp = peer.Name("tcp");
  Open(peer.Name("rfc2217"));
  ASSERT_TRUE(peer.Accept());
  ASSERT_NE(peer.ReceiveUntil(LastSetting()).find(LastSetting()), Bytes::npos);
  const std::string hint = "the server did not answer the Telnet opening: it may be a raw TCP server (" + tcp + ")";
  EXPECT_EQ(comm.DeviceHint(), hint);
  // The controller's frames start with FF FA: to Telnet, a sub-negotiation that never ends.
  peer.Send("\xFF\xFA" + Bytes(Telnet::Decoder::SubLimit + 1, '\x11'));
  EXPECT_EQ(LostMessage(),
            "Connection to device " + peer.Name("rfc2217") + " lost (Error 71, Protocol error); " + hint);
}

TEST_F(NetworkLine, ARawPortAtATelnetServerSaysItMayBeAnRfc2217Server) {
  Open(peer.Name("tcp"));
  ASSERT_TRUE(peer.Accept());
  EXPECT_EQ(comm.DeviceHint(), "");
  peer.Send("\xFF\xFD\x18\xFF\xFB\x03");
  ASSERT_TRUE(PumpUntil([&] { return received.size() >= 6; }, WaitMs));
  EXPECT_EQ(comm.DeviceHint(), "the server speaks Telnet: it may be an RFC 2217 server (" + peer.Name("rfc2217") + ")");
}

TEST_F(NetworkLine, AServerThatRefusesTheLineSettingsIsReportedOnce) {
  OpenTelnet();
  peer.Send(
      "\xFF\xFE\x2C"
      "a");  // DONT COM-PORT-OPTION
  ASSERT_TRUE(PumpUntil([&] { return received == "a"; }, WaitMs));
  comm.ReportDeviceNotices();
  peer.Send(
      Bytes("\xFF\xFC\x00\xFF\xFE\x2C"
            "b",
            7));  // WONT BINARY, DONT COM-PORT-OPTION again
  ASSERT_TRUE(PumpUntil([&] { return received == "ab"; }, WaitMs));
  comm.ReportDeviceNotices();
  ASSERT_EQ(exceptions.Messages().size(), 1u);
  EXPECT_EQ(exceptions.Messages()[0], "The line settings of " + peer.Name("rfc2217") +
                                          " could not be set: the server refused the COM port option; the line "
                                          "runs as the server has it set");
}

TEST_F(NetworkLine, AnUnknownHostIsLostWithTheResolversTextAlone) {
  const std::string name = "tcp://nohost.invalid:4001";
  Open(name);
  const std::string message = LostMessage();
  EXPECT_EQ(message.rfind("Connection to device " + name + " lost (", 0), 0u) << message;
  EXPECT_EQ(message.find("Error"), std::string::npos) << message;
}
