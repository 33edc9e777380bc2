#pragma once
// The monotonic clock all times of the benchmarks are taken from, in nanoseconds.
#include <chrono>
#include <cstdint>

inline int64_t MonotonicNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
