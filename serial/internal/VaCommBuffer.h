#pragma once
// The write thread's byte buffer: a block of fixed capacity, filled at the
// end and emptied from the front. The caller guards it with the write lock.
#include <cstdint>
#include <memory>

class TVaCommBuffer {
public:
  explicit TVaCommBuffer(int capacity);

  const uint8_t* Data() const { return FData.get(); }
  int Count() const { return FCount; }
  int Capacity() const { return FCapacity; }

  // Copies n bytes behind Count; the caller makes sure they fit.
  void Append(const void* bytes, int n);
  // Drops the first n bytes (at most Count) and moves the rest to the front.
  void Remove(int n);
  void Clear() { FCount = 0; }

private:
  std::unique_ptr<uint8_t[]> FData;
  int FCapacity;
  int FCount = 0;
};
