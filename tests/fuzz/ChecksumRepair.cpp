#include "ChecksumRepair.h"

#include <vector>

#include "LinkRecords.h"

namespace {

// Where each byte of the received stream lies in the input.
std::vector<size_t> StreamPositions(const uint8_t* data, size_t size) {
  std::vector<size_t> positions;
  const uint8_t* at = data;
  size_t left = size;
  LinkRecords::Record record;
  while (LinkRecords::Next(at, left, record))
    for (size_t i = 0; i < record.Count; ++i) positions.push_back(static_cast<size_t>(record.Bytes - data) + i);
  return positions;
}

}  // namespace

bool RepairOneChecksum(uint8_t* data, size_t size, unsigned choice) {
  const std::vector<size_t> at = StreamPositions(data, size);
  const auto byte = [&](size_t i) -> uint8_t& { return data[at[i]]; };
  // Frame starts FF FA L whose L bytes (L >= 5) lie in the stream.
  std::vector<size_t> starts;
  for (size_t i = 0; i + 2 < at.size(); ++i)
    if (byte(i) == 0xFF && byte(i + 1) == 0xFA && byte(i + 2) >= 5 && i + byte(i + 2) <= at.size()) starts.push_back(i);
  if (starts.empty()) return false;
  const size_t start = starts[choice % starts.size()];
  const size_t length = byte(start + 2);
  unsigned sum = 0;
  for (size_t i = 0; i + 1 < length; ++i) sum += byte(start + i);
  byte(start + length - 1) = static_cast<uint8_t>(sum);
  return true;
}
