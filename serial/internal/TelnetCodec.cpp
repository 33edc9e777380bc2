#include "serial/internal/TelnetCodec.h"

namespace Telnet {

namespace {

bool ClientDoes(uint8_t option) {
  return option == OptionBinary || option == OptionSuppressGoAhead || option == OptionComPort;
}

bool ClientAccepts(uint8_t option) { return option == OptionBinary || option == OptionSuppressGoAhead; }

void AppendCommand(std::vector<uint8_t>& out, uint8_t verb, uint8_t option) {
  out.insert(out.end(), {Iac, verb, option});
}

void AppendSub(std::vector<uint8_t>& out, uint8_t command, std::initializer_list<uint8_t> values) {
  out.insert(out.end(), {Iac, Sb, OptionComPort, command});
  for (uint8_t value : values) {
    out.push_back(value);
    if (value == Iac) out.push_back(Iac);
  }
  out.insert(out.end(), {Iac, Se});
}

}  // namespace

std::vector<uint8_t> Opening() {
  std::vector<uint8_t> out;
  AppendCommand(out, Will, OptionBinary);
  AppendCommand(out, Do, OptionBinary);
  AppendCommand(out, Will, OptionSuppressGoAhead);
  AppendCommand(out, Do, OptionSuppressGoAhead);
  AppendCommand(out, Will, OptionComPort);
  return out;
}

std::vector<uint8_t> LineCommands(const LineSettings& line) {
  std::vector<uint8_t> out;
  const uint32_t baud = line.Baudrate;
  AppendSub(out, SetBaudrate, {uint8_t(baud >> 24), uint8_t(baud >> 16), uint8_t(baud >> 8), uint8_t(baud)});
  AppendSub(out, SetDatasize, {line.DataBits});
  AppendSub(out, SetParity, {line.Parity});
  AppendSub(out, SetStopsize, {line.StopBits});
  AppendSub(out, SetControl, {line.FlowControl});
  AppendSub(out, SetControl, {uint8_t(line.Dtr ? 8 : 9)});
  AppendSub(out, SetControl, {uint8_t(line.Rts ? 11 : 12)});
  return out;
}

void AppendEscaped(const uint8_t* data, size_t count, std::vector<uint8_t>& out) {
  for (size_t i = 0; i < count; ++i) {
    out.push_back(data[i]);
    if (data[i] == Iac) out.push_back(Iac);
  }
}

size_t DataBytesIn(const uint8_t* data, size_t count, size_t escapedCount) {
  size_t used = 0;
  size_t whole = 0;
  while (whole < count) {
    used += data[whole] == Iac ? 2 : 1;
    if (used > escapedCount) break;
    ++whole;
  }
  return whole;
}

Decoder::Decoder() {
  // Opening() offered these; the server's answers confirm or refuse them.
  local_[OptionBinary] = local_[OptionSuppressGoAhead] = local_[OptionComPort] = true;
  remote_[OptionBinary] = remote_[OptionSuppressGoAhead] = true;
}

size_t Decoder::Decode(uint8_t* data, size_t count, std::vector<uint8_t>& replies) {
  size_t kept = 0;
  for (size_t i = 0; i < count && state_ != State::Broken; ++i) {
    const uint8_t byte = data[i];
    switch (state_) {
      case State::Data:
        if (byte == Iac) state_ = State::Command;
        else data[kept++] = byte;
        break;
      case State::Command:
        if (byte == Iac) {
          data[kept++] = Iac;  // a doubled IAC is a data byte 0xFF
          state_ = State::Data;
        } else if (byte >= Will && byte <= Dont) {
          verb_ = byte;
          state_ = State::Option;
        } else {
          subLength_ = 0;
          state_ = byte == Sb ? State::Sub : State::Data;  // other commands carry nothing for the line
        }
        break;
      case State::Option:
        negotiated_ = true;
        TakeOption(byte, replies);
        state_ = State::Data;
        break;
      case State::Sub:
      case State::SubIac: TakeSubByte(byte); break;
      case State::Broken: break;
    }
  }
  return kept;
}

// The server's reports (line and modem state, acknowledgements) are not used:
// the line's state is what the client set. One without its end would swallow
// all later data, so a sub-negotiation has a limit.
void Decoder::TakeSubByte(uint8_t byte) {
  if (++subLength_ > SubLimit) {
    state_ = State::Broken;
  } else if (state_ == State::SubIac) {
    state_ = byte == Se ? State::Data : State::Sub;
  } else if (byte == Iac) {
    state_ = State::SubIac;
  }
}

// Answers only what changes an option's state, and a refusal once (RFC 1143):
// a server that repeats a request the client refuses is not answered again.
void Decoder::TakeOption(uint8_t option, std::vector<uint8_t>& replies) {
  switch (verb_) {
    case Do:
      if (local_[option] || localRefused_[option]) return;
      local_[option] = ClientDoes(option);
      localRefused_[option] = !local_[option];
      AppendCommand(replies, local_[option] ? Will : Wont, option);
      return;
    case Dont:
      if (!local_[option]) return;
      local_[option] = false;
      AppendCommand(replies, Wont, option);
      return;
    case Will:
      if (remote_[option] || remoteRefused_[option]) return;
      if (!ClientAccepts(option)) {
        remoteRefused_[option] = true;
        AppendCommand(replies, Dont, option);
        return;
      }
      remote_[option] = true;
      AppendCommand(replies, Do, option);
      return;
    case Wont:
      if (!remote_[option]) return;
      remote_[option] = false;
      AppendCommand(replies, Dont, option);
      return;
  }
}

}  // namespace Telnet
