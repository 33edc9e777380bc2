#include "serial/internal/ReceiveQueue.h"

#include <algorithm>
#include <cstring>

void ReceiveQueue::Grow(uint32_t needed) {
  if (needed <= ring_.size()) return;
  uint64_t size = std::max<uint64_t>(uint64_t(ring_.size()) * 2, 256);
  size = std::max<uint64_t>(size, needed);
  size = std::min<uint64_t>(size, std::max(capacity_, needed));
  std::vector<uint8_t> grown(size);
  const uint32_t count = size_;
  Pop(grown.data(), count);  // lays the ring out from the start of the new storage
  ring_.swap(grown);
  head_ = 0;
  size_ = count;
}

void ReceiveQueue::Push(const uint8_t* data, uint32_t n) {
  if (n == 0) return;  // a read the filters emptied: the ring may not exist yet
  Grow(size_ + n);
  const uint32_t ringSize = uint32_t(ring_.size());
  uint32_t tail = (head_ + size_) % ringSize;
  const uint32_t first = std::min(n, ringSize - tail);
  std::memcpy(ring_.data() + tail, data, first);
  std::memcpy(ring_.data(), data + first, n - first);
  size_ += n;
}

uint32_t ReceiveQueue::Pop(uint8_t* out, uint32_t n) {
  n = std::min(n, size_);
  if (n == 0) return 0;
  const uint32_t ringSize = uint32_t(ring_.size());
  const uint32_t first = std::min(n, ringSize - head_);
  std::memcpy(out, ring_.data() + head_, first);
  std::memcpy(out + first, ring_.data(), n - first);
  head_ = (head_ + n) % ringSize;
  size_ -= n;
  if (size_ == 0) head_ = 0;
  return n;
}

void ReceiveQueue::Clear() {
  head_ = 0;
  size_ = 0;
}
