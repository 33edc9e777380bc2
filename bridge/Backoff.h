#pragma once
// The waits between attempts to reach the broker again: about 1 s, doubling
// with every failed attempt up to about 60 s, and back to the start after a
// connection that delivered messages. Each wait is drawn at random from its
// upper half, so that bridges that lost one broker together (a restart) do
// not come back in step, and a broker restarted on a schedule is not missed
// at every attempt.
#include <chrono>
#include <random>

class ReconnectBackoff {
public:
  static constexpr std::chrono::milliseconds First{1000};
  static constexpr std::chrono::milliseconds Longest{60000};

  ReconnectBackoff();
  // The wait before the next attempt, within (ceiling / 2, ceiling]; each
  // call doubles the ceiling of the one after it.
  std::chrono::milliseconds Next();
  void Reset() { ceiling_ = First; }

private:
  std::chrono::milliseconds ceiling_ = First;
  std::minstd_rand random_;
};
