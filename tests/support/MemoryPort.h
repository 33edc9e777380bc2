#pragma once
// An in-memory BytePort: bytes handed to Feed() are read back by ReadBuf(),
// everything written is recorded. Used by tests and by in-process simulations.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "base/BytePort.h"

class MemoryPort : public BytePort {
public:
  int WriteBuf(const void* data, int count) override;
  int ReadBuf(void* data, int count) override;
  void PurgeRead() override;
  void ExpectBytes(int count) override { expected_ = count; }

  void Feed(const std::vector<uint8_t>& bytes);
  // Everything written since the last TakeWritten(), and clears the record.
  std::vector<uint8_t> TakeWritten();
  const std::vector<uint8_t>& Written() const { return written_; }
  size_t Pending() const { return incoming_.size(); }
  int PurgeCount() const { return purges_; }
  // What the reader last said it needs (0: it never said).
  int ExpectedBytes() const { return expected_; }

private:
  std::deque<uint8_t> incoming_;
  std::vector<uint8_t> written_;
  int purges_ = 0;
  int expected_ = 0;
};
