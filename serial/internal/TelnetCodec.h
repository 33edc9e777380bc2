#pragma once
// The client's side of Telnet with the COM port option (RFC 2217), as a serial
// device server speaks it: what the client says first, the sub-negotiations
// that set the server's line, data with Telnet's IAC byte doubled, and the
// received stream with the server's commands taken out and answered.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Telnet {

constexpr uint8_t Iac = 255;
constexpr uint8_t Dont = 254;
constexpr uint8_t Do = 253;
constexpr uint8_t Wont = 252;
constexpr uint8_t Will = 251;
constexpr uint8_t Sb = 250;
constexpr uint8_t Se = 240;
constexpr uint8_t OptionBinary = 0;
constexpr uint8_t OptionSuppressGoAhead = 3;
constexpr uint8_t OptionComPort = 44;

// The COM port option's commands from client to server.
constexpr uint8_t SetBaudrate = 1;
constexpr uint8_t SetDatasize = 2;
constexpr uint8_t SetParity = 3;
constexpr uint8_t SetStopsize = 4;
constexpr uint8_t SetControl = 5;

// The line as the option's values say it.
struct LineSettings {
  uint32_t Baudrate = 2400;
  uint8_t DataBits = 8;
  uint8_t Parity = 1;       // 1 none, 2 odd, 3 even, 4 mark, 5 space
  uint8_t StopBits = 1;     // 1 one, 2 two, 3 one and a half
  uint8_t FlowControl = 1;  // 1 none, 2 XON/XOFF, 3 hardware
  bool Dtr = false;
  bool Rts = false;
};

// What the client sends when the connection is up: binary both ways,
// no go-ahead, and the COM port option.
std::vector<uint8_t> Opening();
// The sub-negotiations that set the server's line to the settings.
std::vector<uint8_t> LineCommands(const LineSettings& line);
// Appends the data with each 0xFF sent as 0xFF 0xFF.
void AppendEscaped(const uint8_t* data, size_t count, std::vector<uint8_t>& out);
// How many bytes of data the first `escapedCount` bytes of AppendEscaped's
// output carry in whole (a lone half of a doubled 0xFF does not count).
size_t DataBytesIn(const uint8_t* data, size_t count, size_t escapedCount);

// The receiving side: keeps its place across reads, so a command split
// between two reads is still taken out whole.
class Decoder {
public:
  Decoder();
  // Takes Telnet's commands out of received bytes in place and returns how
  // many data bytes are left at the front. Answers to the server's requests
  // are appended to `replies`; each option is answered once per change and a
  // refused request once in all, so two sides that disagree never loop.
  size_t Decode(uint8_t* data, size_t count, std::vector<uint8_t>& replies);
  // The stream broke Telnet's rules (a sub-negotiation longer than any the
  // server has cause to send): nothing after it is trusted, Decode keeps nothing.
  bool Broken() const { return state_ == State::Broken; }
  // The server said WILL, WONT, DO or DONT at least once.
  bool Negotiated() const { return negotiated_; }
  // Whether an option is on, as the server's answers left it (the client's
  // offers count as on until the server turns them down).
  bool LocalOn(uint8_t option) const { return local_[option]; }
  bool RemoteOn(uint8_t option) const { return remote_[option]; }

  // The longest sub-negotiation taken; the COM port option's reports are a few bytes.
  static constexpr size_t SubLimit = 1024;

private:
  enum class State { Data, Command, Option, Sub, SubIac, Broken };
  void TakeOption(uint8_t option, std::vector<uint8_t>& replies);
  void TakeSubByte(uint8_t byte);

  State state_ = State::Data;
  uint8_t verb_ = 0;
  size_t subLength_ = 0;
  bool negotiated_ = false;
  bool local_[256] = {};          // options the client does
  bool remote_[256] = {};         // options the server does
  bool localRefused_[256] = {};   // options the server asked of the client and the client refused
  bool remoteRefused_[256] = {};  // options of the server the client refused
};

}  // namespace Telnet
