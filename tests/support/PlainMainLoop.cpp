#include "tests/support/PlainMainLoop.h"

#include <chrono>

#include "base/MainThreadCalls.h"
#include "base/WakeSignal.h"

namespace {

WakeSignal& MainThreadSignal() {
  static WakeSignal signal;
  return signal;
}

}  // namespace

void InstallPlainMainLoop() { SetMainThreadWake(&MainThreadSignal()); }

void RunMainThreadCalls(int waitMs) {
  MainThreadSignal().WaitForWake(std::chrono::milliseconds(waitMs));
  CheckSynchronize();
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    RunMainThreadCalls(1);
  }
  return true;
}

void PumpFor(int milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}
