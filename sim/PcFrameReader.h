#pragma once
// Gathers the bytes from the PC into its frames: requests (FF F8 06 ..),
// connection requests (FF F8 08 15 ..) and commands (FE 8F L ..). Bytes that
// start no frame, and a frame left unfinished for too long, are handed back as dropped.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Sim {

struct PcChunk {
  bool IsFrame = false;  // a whole frame, else bytes that were dropped
  std::vector<uint8_t> Bytes;
};

class PcFrameReader {
public:
  // A frame whose bytes stop for longer than this is dropped.
  static constexpr int64_t GapLimitMs = 500;

  // Takes bytes that arrived at this moment; appends every finished chunk to out.
  void Feed(const uint8_t* data, size_t count, int64_t monotonicMs, std::vector<PcChunk>& out);
  // Drops an unfinished frame that has waited too long.
  void Expire(int64_t monotonicMs, std::vector<PcChunk>& out);
  bool Pending() const { return !partial_.empty(); }

private:
  void Take(uint8_t byte, std::vector<PcChunk>& out);
  void Drop(size_t count, std::vector<PcChunk>& out);
  void FlushDropped(std::vector<PcChunk>& out);

  std::vector<uint8_t> partial_;
  std::vector<uint8_t> dropped_;
  int64_t lastByteMs_ = 0;
};

}  // namespace Sim
