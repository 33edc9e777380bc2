// Fuzz target: what comes from the network before it reaches the link, and
// the port names a user types. The input's first byte chooses where the rest
// is cut into reads; the received stream with the server's commands taken out
// is the same however it is cut, and so are the answers and whether the stream
// broke Telnet's rules; every answer is a whole option command, and an option
// the client neither does nor accepts is refused at most once each way; data escaped for the wire decodes to itself; a
// port name that parses writes a name that parses to the same parts.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "serial/NetworkPortName.h"
#include "serial/internal/TelnetCodec.h"

namespace {

struct Decoded {
  std::vector<uint8_t> Data;
  std::vector<uint8_t> Replies;
  bool Broken = false;
};

Decoded DecodeInReads(const uint8_t* bytes, size_t size, size_t readSize) {
  Telnet::Decoder decoder;
  Decoded out;
  for (size_t at = 0; at < size; at += readSize) {
    std::vector<uint8_t> read(bytes + at, bytes + std::min(size, at + readSize));
    const size_t kept = decoder.Decode(read.data(), read.size(), out.Replies);
    FUZZ_CHECK(kept <= read.size(), "no more data than was read");
    out.Data.insert(out.Data.end(), read.begin(), read.begin() + long(kept));
  }
  out.Broken = decoder.Broken();
  return out;
}

void CheckReplies(const std::vector<uint8_t>& replies) {
  FUZZ_CHECK(replies.size() % 3 == 0, "answers are whole commands");
  for (size_t i = 0; i < replies.size(); i += 3) {
    FUZZ_CHECK(replies[i] == Telnet::Iac, "an answer starts with IAC");
    FUZZ_CHECK(replies[i + 1] >= Telnet::Will && replies[i + 1] <= Telnet::Dont, "an answer is WILL, WONT, DO or DONT");
  }
  // The options of the client's opening may change state many times; any
  // other is refused once and never changes.
  int refusals[2][256] = {};
  for (size_t i = 0; i + 2 < replies.size(); i += 3) {
    const uint8_t option = replies[i + 2];
    if (option == Telnet::OptionBinary || option == Telnet::OptionSuppressGoAhead || option == Telnet::OptionComPort)
      continue;
    FUZZ_CHECK(replies[i + 1] == Telnet::Wont || replies[i + 1] == Telnet::Dont, "an unknown option is only refused");
    FUZZ_CHECK(++refusals[replies[i + 1] == Telnet::Wont][option] == 1, "an unknown option is refused once");
  }
}

void CheckEscapeRoundTrip(const uint8_t* bytes, size_t size) {
  std::vector<uint8_t> wire;
  Telnet::AppendEscaped(bytes, size, wire);
  const Decoded back = DecodeInReads(wire.data(), wire.size(), wire.size() + 1);
  FUZZ_CHECK(back.Data == std::vector<uint8_t>(bytes, bytes + size), "escaped data decodes to itself");
  FUZZ_CHECK(back.Replies.empty(), "escaped data asks nothing");
  FUZZ_CHECK(Telnet::DataBytesIn(bytes, size, wire.size()) == size, "the whole wire carries all the data");
}

void CheckPortName(const std::string& text) {
  const auto name = ParseNetworkPortName(text);
  if (!name) return;
  FUZZ_CHECK(HasNetworkScheme(text), "a parsed name has a scheme");
  FUZZ_CHECK(name->Port >= 1 && !name->Host.empty(), "a parsed name has a host and a port");
  const auto again = ParseNetworkPortName(name->Text());
  FUZZ_CHECK(again && again->Kind == name->Kind && again->Host == name->Host && again->Port == name->Port,
             "a name written back parses to the same parts");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t readSize = 1 + data[0] % 16;
  const uint8_t* bytes = data + 1;
  const size_t count = size - 1;
  const Decoded whole = DecodeInReads(bytes, count, count + 1);
  const Decoded pieces = DecodeInReads(bytes, count, readSize);
  FUZZ_CHECK(whole.Data == pieces.Data, "the data does not depend on how the stream was cut");
  FUZZ_CHECK(whole.Replies == pieces.Replies, "the answers do not depend on how the stream was cut");
  FUZZ_CHECK(whole.Broken == pieces.Broken, "a broken stream does not depend on how it was cut");
  CheckReplies(whole.Replies);
  CheckEscapeRoundTrip(bytes, count);
  CheckPortName(std::string(reinterpret_cast<const char*>(bytes), count));
  return 0;
}
