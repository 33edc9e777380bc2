#pragma once
// The simulator's sense of time, injectable so that tests drive it: a
// monotonic millisecond count that paces the line and the faults, and the
// host's local wall clock that the controller takes when told to set its clock.
#include <cstdint>

#include "CivilTime.h"

namespace Sim {

class Clock {
public:
  virtual ~Clock() = default;
  virtual int64_t MonotonicMs() const = 0;
  virtual ClockSeconds LocalNow() const = 0;
};

// The machine's clocks.
class SystemClock : public Clock {
public:
  int64_t MonotonicMs() const override;
  ClockSeconds LocalNow() const override;
};

// A clock that moves only when told; LocalNow follows the monotonic count.
class ManualClock : public Clock {
public:
  explicit ManualClock(ClockSeconds local = 0) : local_(local) {}
  int64_t MonotonicMs() const override { return ms_; }
  ClockSeconds LocalNow() const override { return local_ + ms_ / 1000; }
  void Advance(int64_t ms) { ms_ += ms; }

private:
  int64_t ms_ = 0;
  ClockSeconds local_;
};

// The controller's clock: a start moment that runs on at a chosen speed and
// can be set to another moment.
class ControllerClock {
public:
  ControllerClock(ClockSeconds start, double speed, int64_t monotonicMs);
  ClockSeconds Now(int64_t monotonicMs) const;
  void Set(ClockSeconds moment, int64_t monotonicMs);
  double Speed() const { return speed_; }

private:
  ClockSeconds base_;
  int64_t baseMs_;
  double speed_;
};

}  // namespace Sim
