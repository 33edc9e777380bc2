#include "PcFrames.h"

#include <algorithm>

namespace {

uint8_t SumOfAllButLast(const uint8_t* frame, size_t length) {
  unsigned sum = 0;
  for (size_t i = 0; i + 1 < length; ++i) sum += frame[i];
  return static_cast<uint8_t>(sum);
}

bool AllZero(const uint8_t* from, const uint8_t* to) {
  return std::all_of(from, to, [](uint8_t b) { return b == 0; });
}

// Request codes the PC sends: the replies to blocks and 16, the start of an exchange.
bool IsRequestCode(uint8_t code) { return (code >= 1 && code <= 10) || (code >= 14 && code <= 20); }

// The shape of a request or connection request of the given length, checksum aside.
std::string RequestShape(const uint8_t* f, size_t length) {
  if (length == 6) {
    if (!IsRequestCode(f[3])) return "request with an unknown code";
    if (f[4] != 0) return "request byte 4 not 0";
    return "";
  }
  if (length == 8) {
    if (f[3] != 0x15 || !AllZero(f + 4, f + 7)) return "connection request not FF F8 08 15 00 00 00";
    return "";
  }
  return "request frame with length " + std::to_string(length);
}

// The shape of a command of the given length, checksum aside.
std::string CommandShape(const uint8_t* f, size_t length) {
  const uint8_t group = f[3];
  switch (group) {
    case 1:  // a 16-bit or one-byte value
    case 5:  // a month-table entry
      if (length != 9) return "value command not 9 bytes";
      if (f[7] != 0) return "value command byte 7 not 0";
      return "";
    case 2:  // an action, without or with a one-byte argument
      if (length == 7) return f[5] == 0 ? "" : "action byte 5 not 0";
      if (length == 8) return f[4] == 0 && f[5] <= 1 && f[6] == 0 ? "" : "output test not 00 0/1 00";
      return "action not 7 or 8 bytes";
    case 3:  // a start-screen line
      if (length != 28) return "start-screen line not 28 bytes";
      if (f[4] > 3) return "start-screen line number above 3";
      if (f[25] != 0 || f[26] != 0) return "start-screen line bytes 25, 26 not 0";
      return "";
    case 4:  // the number text
      if (length != 30) return "number text not 30 bytes";
      if (!AllZero(f + 16, f + 29)) return "number text bytes 16..28 not 0";
      return "";
    default: return "command with unknown group " + std::to_string(group);
  }
}

}  // namespace

std::string SplitPcFrames(const FrameBytes& written, std::vector<FrameBytes>& frames) {
  frames.clear();
  size_t at = 0;
  while (at < written.size()) {
    const uint8_t* f = written.data() + at;
    const size_t left = written.size() - at;
    if (left < 3) return "a frame cut off after " + std::to_string(left) + " bytes";
    const size_t length = f[2];
    if (length < 6 || length > left) return "a frame whose length byte " + std::to_string(length) + " does not fit";
    std::string shape;
    if (f[0] == 0xFF && f[1] == 0xF8) shape = RequestShape(f, length);
    else if (f[0] == 0xFE && f[1] == 0x8F) shape = CommandShape(f, length);
    else shape = "a frame that is neither request nor command";
    if (!shape.empty()) return shape;
    if (SumOfAllButLast(f, length) != f[length - 1]) return "a frame with a wrong checksum";
    frames.emplace_back(f, f + length);
    at += length;
  }
  return "";
}

bool IsRequestFrame(const FrameBytes& frame) { return frame.size() == 6 && frame[0] == 0xFF && frame[1] == 0xF8; }

bool IsCommandFrame(const FrameBytes& frame) { return frame.size() >= 7 && frame[0] == 0xFE && frame[1] == 0x8F; }
