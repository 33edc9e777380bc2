#include "serial/internal/VaCommBuffer.h"

#include <algorithm>
#include <cstring>

TVaCommBuffer::TVaCommBuffer(int capacity)
    : FData(new uint8_t[size_t(std::max(capacity, 1))]), FCapacity(std::max(capacity, 0)) {}

void TVaCommBuffer::Append(const void* bytes, int n) {
  n = std::clamp(n, 0, FCapacity - FCount);
  std::memcpy(FData.get() + FCount, bytes, size_t(n));
  FCount += n;
}

void TVaCommBuffer::Remove(int n) {
  n = std::clamp(n, 0, FCount);
  std::memmove(FData.get(), FData.get() + n, size_t(FCount - n));
  FCount -= n;
}
