#include "base/WakeSignal.h"

void WakeSignal::Wake() {
  {
    std::lock_guard guard(lock_);
    pending_ = true;
  }
  woken_.notify_one();
}

bool WakeSignal::WaitForWake(std::chrono::milliseconds limit) {
  std::unique_lock lock(lock_);
  const bool woken = woken_.wait_for(lock, limit, [this] { return pending_; });
  pending_ = false;
  return woken;
}
