#pragma once
// The controller's data blocks as it sends them: tables of 100 words for the
// types 2..10 and 14..19, and the runs that read consecutive tables as one array.
#include <array>
#include <cstdint>
#include <vector>

namespace Sim {

constexpr int WordsPerBlock = 100;
using BlockTable = std::array<uint16_t, WordsPerBlock>;

class BlockSet {
public:
  // The table of a data block type; types without a table are an error of the caller.
  BlockTable& Table(int type);
  const BlockTable& Table(int type) const;

  // Group B (Block3..Block10) and group C (Block15..Block18) read as one run each.
  uint16_t& GroupB(int index);
  uint16_t& GroupC(int index);
  // The runs the charts read: sample j of the power and irradiance rings, DayRun[i], MonthRun[i].
  uint16_t& PowerRing(int j) { return GroupB(62 + j); }
  uint16_t& IrradianceRing(int j) { return GroupB(230 + j); }
  uint16_t& DayRun(int i) { return GroupB(400 + i); }
  uint16_t& MonthRun(int i) { return GroupC(i); }

  // The plant data file (.sol) of these blocks: 3220 bytes, words little-endian.
  std::vector<uint8_t> PlantFile() const;

private:
  std::array<BlockTable, 20> tables_{};
};

}  // namespace Sim
