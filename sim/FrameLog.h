#pragma once
// The log of the line: one line per frame received or sent, and one per event
// of the simulator, in a fixed format that scripts and tests read:
//
//   <seconds> <direction> <hex bytes>  <meaning>
//
// seconds since the simulator started, with three decimals; direction PC>SIM,
// SIM>PC, or SIM for an event (its hex field is "-"); the bytes exactly as on
// the line, two upper-case hex digits each, separated by single blanks; two
// blanks; the meaning, e.g.
//   12.345 PC>SIM FE 8F 09 01 25 00 0C 00 C8  SetMeterCount 12
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace Sim {

class FrameLog {
public:
  // Lines go to out, which may be nullptr (no log). Every line is flushed.
  explicit FrameLog(std::ostream* out, int64_t startMs = 0) : out_(out), startMs_(startMs) {}

  void Received(int64_t monotonicMs, const std::vector<uint8_t>& bytes, const std::string& meaning);
  void Sent(int64_t monotonicMs, const std::vector<uint8_t>& bytes, const std::string& meaning);
  void Event(int64_t monotonicMs, const std::string& meaning);

  static std::string Line(double seconds, const char* direction, const std::vector<uint8_t>& bytes,
                          const std::string& meaning);

private:
  void Write(int64_t monotonicMs, const char* direction, const std::vector<uint8_t>& bytes, const std::string& meaning);

  std::ostream* out_;
  int64_t startMs_;
};

}  // namespace Sim
