// Telnet with the COM port option on a line behind a device server, and the
// hints about a server that speaks the other scheme, for both bindings.
#include "serial/internal/NetworkLine.h"

#include <algorithm>
#include <utility>

#include "serial/internal/CommConstants.h"

namespace Platform {

using namespace CommConst;

namespace {

// The most Telnet answers kept for a server that does not read them; a
// server that asks more has lost its way.
constexpr size_t ControlLimit = 4096;
// Enough of the stream's start to see two option commands.
constexpr size_t StartSeen = 6;

Telnet::LineSettings LineOf(const CommDcb& dcb) {
  Telnet::LineSettings line;
  line.Baudrate = dcb.BaudRate;
  line.DataBits = dcb.ByteSize;
  line.Parity = uint8_t(dcb.Parity <= 4 ? dcb.Parity + 1 : 1);
  line.StopBits = dcb.StopBits == 1 ? 3 : dcb.StopBits == 2 ? 2 : 1;
  line.FlowControl = (dcb.Flags & DCB_OutxCtsFlow) ? 3 : (dcb.Flags & DCB_OutX) ? 2 : 1;
  line.Dtr = (dcb.Flags & DCB_DtrControlMask) == DCB_DtrControlEnable;
  line.Rts = (dcb.Flags & DCB_RtsControlMask) == DCB_RtsControlEnable;
  return line;
}

}  // namespace

NetworkLine::NetworkLine(bool telnet, std::string name, std::string otherScheme)
    : telnet_(telnet), name_(std::move(name)), otherScheme_(std::move(otherScheme)) {}

void NetworkLine::Connected(const CommDcb& dcb) {
  if (!telnet_) return;
  std::vector<uint8_t> opening = Telnet::Opening();
  const std::vector<uint8_t> settings = Telnet::LineCommands(LineOf(dcb));
  opening.insert(opening.end(), settings.begin(), settings.end());
  control_.insert(control_.begin(), opening.begin(), opening.end());
}

void NetworkLine::TakeSettings(const CommDcb& dcb) {
  if (!telnet_) return;
  const std::vector<uint8_t> settings = Telnet::LineCommands(LineOf(dcb));
  control_.insert(control_.end(), settings.begin(), settings.end());
}

NetworkLine::Received NetworkLine::TakeReceived(uint8_t* data, uint32_t count) {
  Received result;
  if (!telnet_) {
    NoteFirstBytes(data, count);
    result.Kept = count;
    return result;
  }
  const size_t queued = control_.size();
  result.Kept = uint32_t(decoder_.Decode(data, count, control_));
  if (decoder_.Broken() || control_.size() > ControlLimit) {
    control_.clear();
    result.Kept = 0;
    result.Broken = true;
    return result;
  }
  result.AnswersQueued = control_.size() != queued;
  return result;
}

void NetworkLine::NoteFirstBytes(const uint8_t* data, uint32_t count) {
  for (uint32_t i = 0; i < count && firstReceived_.size() < StartSeen; ++i) firstReceived_.push_back(data[i]);
}

// A Telnet server opens with its requests, several in a row; a controller's
// frames may start with IAC, but not with two whole option commands.
bool NetworkLine::SpeaksTelnet() const {
  if (firstReceived_.size() < StartSeen) return false;
  for (size_t at = 0; at < StartSeen; at += 3) {
    const uint8_t verb = firstReceived_[at + 1];
    if (firstReceived_[at] != Telnet::Iac || verb < Telnet::Will || verb > Telnet::Dont) return false;
  }
  return true;
}

std::string NetworkLine::Hint(bool connected) const {
  if (telnet_ && connected && !decoder_.Negotiated())
    return "the server did not answer the Telnet opening: it may be a raw TCP server (" + otherScheme_ + ")";
  if (!telnet_ && SpeaksTelnet())
    return "the server speaks Telnet: it may be an RFC 2217 server (" + otherScheme_ + ")";
  return {};
}

std::string NetworkLine::RefusedSettings() const {
  if (!decoder_.LocalOn(Telnet::OptionComPort)) return "the COM port option";
  if (!decoder_.LocalOn(Telnet::OptionBinary) || !decoder_.RemoteOn(Telnet::OptionBinary)) return "binary mode";
  return {};
}

std::string NetworkLine::TakeNotice() {
  if (!telnet_ || settingsNoticeGiven_) return {};
  const std::string refused = RefusedSettings();
  if (refused.empty()) return {};
  settingsNoticeGiven_ = true;
  return "The line settings of " + name_ + " could not be set: the server refused " + refused +
         "; the line runs as the server has it set";
}

std::vector<uint8_t> NetworkLine::TakeControl() { return std::exchange(control_, {}); }

void NetworkLine::PutBackControl(const std::vector<uint8_t>& bytes, size_t from, size_t to) {
  control_.insert(control_.begin(), bytes.begin() + long(from), bytes.begin() + long(to));
}

NetworkLine::Outgoing NetworkLine::StartWrite(const uint8_t* data, uint32_t count) {
  Outgoing write;
  write.Wire = TakeControl();
  write.Control = write.Wire.size();
  if (telnet_) {
    Telnet::AppendEscaped(data, count, write.Wire);
  } else {
    write.Wire.insert(write.Wire.end(), data, data + count);
  }
  return write;
}

uint32_t NetworkLine::FinishWrite(const Outgoing& write, const uint8_t* data, uint32_t count, size_t sent) {
  if (sent < write.Control) {
    // Only the answers go later: data reported as not written is never sent.
    PutBackControl(write.Wire, sent, write.Control);
    return 0;
  }
  if (!telnet_) return uint32_t(sent - write.Control);
  const uint32_t written = uint32_t(Telnet::DataBytesIn(data, count, sent - write.Control));
  // A write ended between the two halves of a doubled 0xFF: the other half
  // goes first next time, or the server would read a command.
  const size_t escapedWhole = written + size_t(std::count(data, data + written, Telnet::Iac));
  if (sent - write.Control > escapedWhole) control_.insert(control_.begin(), Telnet::Iac);
  return written;
}

}  // namespace Platform
