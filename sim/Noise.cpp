#include "Noise.h"

namespace Sim {

namespace {

uint64_t SplitMix(uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

}  // namespace

uint64_t NoiseBits(uint64_t seed, uint64_t a, uint64_t b, uint64_t c) {
  return SplitMix(SplitMix(SplitMix(SplitMix(seed) ^ a) ^ b) ^ c);
}

double NoiseUniform(uint64_t seed, uint64_t a, uint64_t b, uint64_t c) {
  return static_cast<double>(NoiseBits(seed, a, b, c) >> 11) * (1.0 / 9007199254740992.0);
}

}  // namespace Sim
