#pragma once
// The receive queue a binding keeps for a device: a ring of bytes with a
// fixed capacity (the requested receive queue size). Storage grows on demand
// up to that capacity, so a large size costs memory only when it fills.
#include <cstdint>
#include <vector>

class ReceiveQueue {
public:
  explicit ReceiveQueue(uint32_t capacity = 4096) : capacity_(capacity) {}

  // Bytes already queued are kept, even beyond a smaller new capacity.
  void SetCapacity(uint32_t capacity) { capacity_ = capacity; }
  uint32_t Capacity() const { return capacity_; }
  uint32_t Size() const { return size_; }
  uint32_t Space() const { return size_ >= capacity_ ? 0 : capacity_ - size_; }

  // Appends n bytes; the caller keeps n within Space().
  void Push(const uint8_t* data, uint32_t n);
  // Takes up to n bytes from the front; returns how many.
  uint32_t Pop(uint8_t* out, uint32_t n);
  void Clear();

private:
  void Grow(uint32_t needed);

  std::vector<uint8_t> ring_;
  uint32_t capacity_;
  uint32_t head_ = 0;
  uint32_t size_ = 0;
};
