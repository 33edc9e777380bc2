#pragma once
// When a line counts as quiet: a reader that asked to hear of received bytes
// only once a number of them have come still hears of fewer after this gap.
#include <algorithm>
#include <cstdint>

// Two characters' time (10 bits each) at the line's rate, at least 2 ms.
inline uint32_t QuietLineMs(uint32_t baudRate) {
  const uint64_t baud = std::max<uint32_t>(baudRate, 1);
  return uint32_t(std::clamp<uint64_t>((2 * 10 * 1000 + baud - 1) / baud, 2, 1000));
}
