#pragma once
// Deterministic pseudo-random numbers addressed by a key instead of drawn from
// a sequence, so that any day or sample of the plant can be computed on its own
// and the same seed always gives the same plant.
#include <cstdint>

namespace Sim {

// A well-mixed 64-bit value of the seed and up to three keys.
uint64_t NoiseBits(uint64_t seed, uint64_t a, uint64_t b = 0, uint64_t c = 0);
// A value in [0, 1) of the same keys.
double NoiseUniform(uint64_t seed, uint64_t a, uint64_t b = 0, uint64_t c = 0);

}  // namespace Sim
