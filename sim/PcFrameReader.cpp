#include "PcFrameReader.h"

#include "protocol/FrameFormat.h"

namespace Sim {

namespace {

constexpr size_t LongestCommand = 64;

bool IsStartByte(uint8_t b) { return b == FrameFormat::CommandHead0 || b == FrameFormat::RequestHead0; }

bool IsHeader(uint8_t b0, uint8_t b1) {
  return (b0 == FrameFormat::CommandHead0 && b1 == FrameFormat::CommandHead1) ||
         (b0 == FrameFormat::RequestHead0 && b1 == FrameFormat::RequestHead1);
}

bool IsLengthFor(uint8_t b0, uint8_t length) {
  if (b0 == FrameFormat::RequestHead0)
    return length == FrameFormat::RequestLength || length == FrameFormat::ConnectLength;
  return length >= 6 && length <= LongestCommand;
}

}  // namespace

void PcFrameReader::Feed(const uint8_t* data, size_t count, int64_t monotonicMs, std::vector<PcChunk>& out) {
  Expire(monotonicMs, out);
  for (size_t i = 0; i < count; ++i) Take(data[i], out);
  if (count > 0) lastByteMs_ = monotonicMs;
  if (partial_.empty()) FlushDropped(out);
}

void PcFrameReader::Expire(int64_t monotonicMs, std::vector<PcChunk>& out) {
  if (!partial_.empty() && monotonicMs - lastByteMs_ > GapLimitMs) Drop(partial_.size(), out);
  FlushDropped(out);
}

void PcFrameReader::Take(uint8_t byte, std::vector<PcChunk>& out) {
  partial_.push_back(byte);
  // Re-examine from the front until the buffer starts a frame that may still complete.
  while (!partial_.empty()) {
    if (!IsStartByte(partial_[0])) {
      Drop(1, out);
      continue;
    }
    if (partial_.size() >= 2 && !IsHeader(partial_[0], partial_[1])) {
      Drop(1, out);
      continue;
    }
    if (partial_.size() >= 3 && !IsLengthFor(partial_[0], partial_[2])) {
      Drop(1, out);
      continue;
    }
    if (partial_.size() >= 3 && partial_.size() == partial_[2]) {
      FlushDropped(out);
      out.push_back(PcChunk{true, partial_});
      partial_.clear();
    }
    break;
  }
}

void PcFrameReader::Drop(size_t count, std::vector<PcChunk>& out) {
  dropped_.insert(dropped_.end(), partial_.begin(), partial_.begin() + static_cast<long>(count));
  partial_.erase(partial_.begin(), partial_.begin() + static_cast<long>(count));
}

void PcFrameReader::FlushDropped(std::vector<PcChunk>& out) {
  if (dropped_.empty()) return;
  out.push_back(PcChunk{false, dropped_});
  dropped_.clear();
}

}  // namespace Sim
