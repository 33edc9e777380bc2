#include "Clock.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>

namespace Sim {

int64_t SystemClock::MonotonicMs() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

ClockSeconds SystemClock::LocalNow() const {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  CivilTime t;
  t.Year = local.tm_year + 1900;
  t.Month = local.tm_mon + 1;
  t.Day = local.tm_mday;
  t.Hour = local.tm_hour;
  t.Minute = local.tm_min;
  t.Second = std::min(local.tm_sec, 59);
  return SecondsOf(t);
}

ControllerClock::ControllerClock(ClockSeconds start, double speed, int64_t monotonicMs)
    : base_(start), baseMs_(monotonicMs), speed_(speed) {}

ClockSeconds ControllerClock::Now(int64_t monotonicMs) const {
  const double elapsed = static_cast<double>(monotonicMs - baseMs_) / 1000.0 * speed_;
  return base_ + static_cast<ClockSeconds>(std::floor(elapsed));
}

void ControllerClock::Set(ClockSeconds moment, int64_t monotonicMs) {
  base_ = moment;
  baseMs_ = monotonicMs;
}

}  // namespace Sim
