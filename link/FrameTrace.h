#pragma once
// The frame trace: every frame the link sends and receives, and the link's state
// changes, one line each with a monotonic time stamp. Off unless one is attached.
#include <chrono>
#include <cstdint>
#include <fstream>
#include <string>

// One line per event:
//   <seconds> TX <hex bytes>     a frame the link wrote to the port
//   <seconds> RX <hex bytes>     a whole frame the link gathered (checksum not yet checked)
//   <seconds> LINK <text>        a state change: port opened, lost, closed, exchange timed out
// seconds since the trace was opened, with three decimals, from a monotonic clock; the
// bytes as two upper-case hex digits each, separated by single blanks. Every line is
// flushed, so a trace is complete up to the moment a program ends or crashes.
class FrameTrace {
public:
  // Opens (and truncates) the file. Raises Exception when it cannot be opened.
  explicit FrameTrace(const std::string& file);

  void Sent(const uint8_t* frame, int length) { Write("TX", HexBytes(frame, length)); }
  void Received(const uint8_t* frame, int length) { Write("RX", HexBytes(frame, length)); }
  void State(const std::string& text) { Write("LINK", text); }

  static std::string HexBytes(const uint8_t* bytes, int length);

private:
  void Write(const char* kind, const std::string& text);

  std::ofstream out_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// The trace the link writes to; nullptr (the default) for none, which costs one
// pointer test per frame.
void SetFrameTrace(FrameTrace* trace);
FrameTrace* LinkFrameTrace();
// A state line when a trace is attached; nothing otherwise.
void TraceLinkState(const std::string& text);
