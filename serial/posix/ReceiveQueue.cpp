#include "ReceiveQueue.h"

#include <algorithm>
#include <cstring>

void ReceiveQueue::Grow(uint32_t needed) {
  if (needed <= Ring_.size()) return;
  uint64_t size = std::max<uint64_t>(uint64_t(Ring_.size()) * 2, 256);
  size = std::max<uint64_t>(size, needed);
  size = std::min<uint64_t>(size, std::max(Capacity_, needed));
  std::vector<uint8_t> grown(size);
  const uint32_t count = Size_;
  Pop(grown.data(), count);  // lays the ring out from the start of the new storage
  Ring_.swap(grown);
  Head_ = 0;
  Size_ = count;
}

void ReceiveQueue::Push(const uint8_t* data, uint32_t n) {
  if (n == 0) return;  // a read the filters emptied: the ring may not exist yet
  Grow(Size_ + n);
  const uint32_t ringSize = uint32_t(Ring_.size());
  uint32_t tail = (Head_ + Size_) % ringSize;
  const uint32_t first = std::min(n, ringSize - tail);
  std::memcpy(Ring_.data() + tail, data, first);
  std::memcpy(Ring_.data(), data + first, n - first);
  Size_ += n;
}

uint32_t ReceiveQueue::Pop(uint8_t* out, uint32_t n) {
  n = std::min(n, Size_);
  if (n == 0) return 0;
  const uint32_t ringSize = uint32_t(Ring_.size());
  const uint32_t first = std::min(n, ringSize - Head_);
  std::memcpy(out, Ring_.data() + Head_, first);
  std::memcpy(out + first, Ring_.data(), n - first);
  Head_ = (Head_ + n) % ringSize;
  Size_ -= n;
  if (Size_ == 0) Head_ = 0;
  return n;
}

void ReceiveQueue::Clear() {
  Head_ = 0;
  Size_ = 0;
}
