#include "bridge/Backoff.h"

#include <algorithm>

ReconnectBackoff::ReconnectBackoff() : random_(std::random_device{}()) {}

std::chrono::milliseconds ReconnectBackoff::Next() {
  const long ceiling = static_cast<long>(ceiling_.count());
  std::uniform_int_distribution<long> upperHalf(ceiling / 2 + 1, ceiling);
  ceiling_ = std::min(ceiling_ * 2, Longest);
  return std::chrono::milliseconds(upperHalf(random_));
}
