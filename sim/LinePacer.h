#pragma once
// Paces outgoing bytes at the line rate: at 2400 baud with a start bit, eight
// data bits and a stop bit, one byte every 10/2400 s. Bytes are handed out as
// their time comes; a byte that could not be written is kept for the next try.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace Sim {

class LinePacer {
public:
  // microsecondsPerByte 0 sends unpaced.
  explicit LinePacer(int64_t microsecondsPerByte) : perByte_(microsecondsPerByte) {}
  static constexpr int64_t At2400Baud = 1000000 * 10 / 2400;

  void Enqueue(const std::vector<uint8_t>& bytes, int64_t nowUs);
  // How many bytes at the front may go out by now.
  size_t DueCount(int64_t nowUs) const;
  // The front bytes, to be written; Consume takes away those that went out.
  std::vector<uint8_t> Front(size_t count) const;
  void Consume(size_t count);
  // When the next byte is due; only meaningful while bytes are queued.
  int64_t NextDueUs() const { return nextUs_; }
  bool Empty() const { return queue_.empty(); }
  void Clear() { queue_.clear(); }

private:
  int64_t perByte_;
  std::deque<uint8_t> queue_;
  int64_t nextUs_ = 0;  // when the front byte may go out
};

}  // namespace Sim
