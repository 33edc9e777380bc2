#include "BlockSet.h"

#include <stdexcept>

#include "protocol/FrameFormat.h"

namespace Sim {

BlockTable& BlockSet::Table(int type) {
  if (!FrameFormat::IsDataBlockType(type)) throw std::out_of_range("no table for block type " + std::to_string(type));
  return tables_[type];
}

const BlockTable& BlockSet::Table(int type) const { return const_cast<BlockSet*>(this)->Table(type); }

uint16_t& BlockSet::GroupB(int index) {
  if (index < 0 || index >= 8 * WordsPerBlock) throw std::out_of_range("group B word " + std::to_string(index));
  return tables_[3 + index / WordsPerBlock][index % WordsPerBlock];
}

uint16_t& BlockSet::GroupC(int index) {
  if (index < 0 || index >= 4 * WordsPerBlock) throw std::out_of_range("group C word " + std::to_string(index));
  return tables_[15 + index / WordsPerBlock][index % WordsPerBlock];
}

std::vector<uint8_t> BlockSet::PlantFile() const {
  std::vector<uint8_t> file;
  file.reserve(3220);
  auto put = [&](int type) {
    for (uint16_t w : tables_[type]) {
      file.push_back(static_cast<uint8_t>(w));
      file.push_back(static_cast<uint8_t>(w >> 8));
    }
  };
  for (int type = 3; type <= 10; ++type) put(type);
  file.insert(file.end(), 20, 0);  // reserved after group B
  for (int type : {2, 14, 19}) put(type);
  for (int type = 15; type <= 18; ++type) put(type);
  file.insert(file.end(), 200, 0);  // reserved after group C
  return file;
}

}  // namespace Sim
