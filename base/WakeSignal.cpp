#include "base/WakeSignal.h"

void WakeSignal::Wake() {
  {
    std::lock_guard guard(Lock_);
    Pending_ = true;
  }
  Woken_.notify_one();
}

bool WakeSignal::WaitForWake(std::chrono::milliseconds limit) {
  std::unique_lock lock(Lock_);
  const bool woken = Woken_.wait_for(lock, limit, [this] { return Pending_; });
  Pending_ = false;
  return woken;
}
