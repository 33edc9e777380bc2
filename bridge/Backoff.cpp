#include "bridge/Backoff.h"

#include <algorithm>

std::chrono::milliseconds ReconnectBackoff::Next() {
  const std::chrono::milliseconds wait = next_;
  next_ = std::min(next_ * 2, Longest);
  return wait;
}
