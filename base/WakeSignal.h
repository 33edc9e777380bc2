#pragma once
// The main-thread wake of a program without an event loop: Wake sets a flag
// that the main thread sleeps on between its own steps.
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "base/MainThreadWake.h"

class WakeSignal : public MainThreadWake {
public:
  void Wake() override;
  // Sleeps until Wake was called (since the last wait) or the limit passed;
  // returns whether it was woken, and clears the flag.
  bool WaitForWake(std::chrono::milliseconds limit);

private:
  std::mutex lock_;
  std::condition_variable woken_;
  bool pending_ = false;
};
