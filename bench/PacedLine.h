#pragma once
// One direction of a serial line at 2400 baud, 8N1: a byte takes ten bit
// times, 1/240 s, and is there at the far end when its stop bit is. Bytes put
// on a busy line wait behind those already on it. Times are nanoseconds of
// one monotonic clock; the schedule is exact (no rounding piles up).
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

struct TimedByte {
  uint8_t Value;
  int64_t DueNs;  // when the byte has arrived at the far end
};

class PacedLine {
public:
  static constexpr int64_t BytesPerSecond = 240;  // 2400 baud, 10 bits a byte

  // The wire time of `bytes` bytes in nanoseconds.
  static double WireNs(int64_t bytes) { return static_cast<double>(bytes) * 1e9 / BytesPerSecond; }

  // Puts bytes on the line at `nowNs` (or behind the bytes still on it).
  void Send(const uint8_t* data, size_t count, int64_t nowNs);
  void Send(const std::vector<uint8_t>& bytes, int64_t nowNs) { Send(bytes.data(), bytes.size(), nowNs); }

  bool Empty() const { return queue_.empty(); }
  // When the front byte arrives; only meaningful while bytes are on the line.
  int64_t NextDueNs() const { return queue_.front().DueNs; }
  // Takes the bytes that have arrived by `nowNs`, in order.
  std::vector<TimedByte> TakeArrived(int64_t nowNs);

private:
  // Bytes of one unbroken burst arrive at start + k/240 s, k = 1, 2, ...
  int64_t burstStartNs_ = 0;
  int64_t burstBytes_ = 0;
  int64_t lineFreeNs_ = INT64_MIN;  // when the last byte put on the line arrives
  std::deque<TimedByte> queue_;
};
