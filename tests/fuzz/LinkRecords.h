#pragma once
// The input of the link fuzzer: a byte stream from the controller cut into
// records, each one what arrives between two steps of the polling timer.
//
//   byte 0    n, the number of received bytes in this record (0..255)
//   byte 1    bits 0..2: polling ticks to run after the bytes (0..7)
//             bits 3..7: a pending-command slot to mark before the bytes
//             (1..29; 0 and 30, 31 mark nothing)
//   n bytes   what the port received (fewer when the input ends)
//
// The receive handler runs only for a record with bytes, as the port's receive
// event only fires when something arrived; a record without bytes is silence.
// The session recorder writes recorded sessions in this form for the seed corpus.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace LinkRecords {

constexpr int MaxBytes = 255;
constexpr int MaxTicks = 7;
constexpr int HeaderSize = 2;

struct Record {
  const uint8_t* Bytes = nullptr;
  size_t Count = 0;
  int Ticks = 0;
  int SlotToMark = 0;  // 0 for none
};

// Takes the next record from data/size; false when no whole header is left.
inline bool Next(const uint8_t*& data, size_t& size, Record& record) {
  if (size < HeaderSize) return false;
  const size_t wanted = data[0];
  record.Ticks = data[1] & 0x07;
  const int slot = data[1] >> 3;
  record.SlotToMark = slot >= 1 && slot <= 29 ? slot : 0;
  data += HeaderSize;
  size -= HeaderSize;
  record.Count = wanted < size ? wanted : size;
  record.Bytes = data;
  data += record.Count;
  size -= record.Count;
  return true;
}

inline void Append(std::vector<uint8_t>& out, const uint8_t* bytes, size_t count, int ticks, int slot) {
  out.push_back(static_cast<uint8_t>(count));
  out.push_back(static_cast<uint8_t>((slot << 3) | (ticks & 0x07)));
  out.insert(out.end(), bytes, bytes + count);
}

}  // namespace LinkRecords
