#include "MemoryPort.h"

int MemoryPort::WriteBuf(const void* data, int count) {
  if (count <= 0) return 0;
  const auto* bytes = static_cast<const uint8_t*>(data);
  written_.insert(written_.end(), bytes, bytes + count);
  return count;
}

int MemoryPort::ReadBuf(void* data, int count) {
  auto* out = static_cast<uint8_t*>(data);
  int n = 0;
  while (n < count && !incoming_.empty()) {
    out[n++] = incoming_.front();
    incoming_.pop_front();
  }
  return n;
}

void MemoryPort::PurgeRead() {
  incoming_.clear();
  ++purges_;
}

void MemoryPort::Feed(const std::vector<uint8_t>& bytes) {
  incoming_.insert(incoming_.end(), bytes.begin(), bytes.end());
}

std::vector<uint8_t> MemoryPort::TakeWritten() {
  std::vector<uint8_t> out;
  out.swap(written_);
  return out;
}
