#pragma once
// The waits between attempts to reach the broker again: 1 s, doubling with
// every failed attempt up to 60 s, and back to 1 s once an attempt succeeds.
#include <chrono>

class ReconnectBackoff {
public:
  static constexpr std::chrono::milliseconds First{1000};
  static constexpr std::chrono::milliseconds Longest{60000};

  // The wait before the next attempt; each call doubles the one after it.
  std::chrono::milliseconds Next();
  void Reset() { next_ = First; }

private:
  std::chrono::milliseconds next_ = First;
};
