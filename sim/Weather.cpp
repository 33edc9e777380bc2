#include "Weather.h"

#include <algorithm>
#include <cmath>

#include "CivilTime.h"
#include "Noise.h"

namespace Sim {

namespace {

constexpr double Pi = 3.14159265358979323846;

// Keys that keep the noise streams of different quantities apart.
enum NoiseKey : uint64_t {
  KeySky = 1,
  KeyLight = 2,
  KeyCloudStart = 3,
  KeyCloudLength = 4,
  KeyCloudDepth = 5,
  KeyAir = 6
};

// Odds of a clear and of an overcast day by month: summer is sunnier.
constexpr double ClearOdds[13] = {0, 0.12, 0.18, 0.25, 0.32, 0.38, 0.42, 0.45, 0.42, 0.32, 0.22, 0.12, 0.10};
constexpr double OvercastOdds[13] = {0, 0.50, 0.42, 0.32, 0.22, 0.17, 0.15, 0.13, 0.15, 0.22, 0.35, 0.50, 0.55};

// Longest passing cloud in quarter hours.
constexpr int LongestCloud = 3;

}  // namespace

DayWeather Weather::Day(int64_t dayNumber) const {
  const int month = DateOfDayNumber(dayNumber).Month;
  const double u = NoiseUniform(seed_, KeySky, static_cast<uint64_t>(dayNumber));
  const double v = NoiseUniform(seed_, KeyLight, static_cast<uint64_t>(dayNumber));
  DayWeather w;
  if (u < ClearOdds[month]) {
    w.Kind = Sky::Clear;
    w.Light = 0.93 + 0.07 * v;
  } else if (u < ClearOdds[month] + OvercastOdds[month]) {
    w.Kind = Sky::Overcast;
    w.Light = 0.12 + 0.22 * v;
  } else {
    w.Kind = Sky::Mixed;
    w.Light = 0.55 + 0.35 * v;
  }
  // Coldest in mid January, warmest in mid July; clear summer days run warmer.
  const double season = -std::cos(2 * Pi * (DayOfYear(dayNumber) - 15) / 365.25);
  // Winter haze, fog and snow on the modules take a further share of the light.
  if (season < 0) w.Light *= 1 + 0.3 * season;
  const double spread = (NoiseUniform(seed_, KeyAir, static_cast<uint64_t>(dayNumber)) - 0.5) * 6;
  w.AirMean = 9.5 + 9.5 * season + spread + (w.Kind == Sky::Clear ? 2 * season + 1 : 0);
  return w;
}

double Weather::CloudFactor(const DayWeather& day, int64_t dayNumber, int quarter) const {
  if (day.Kind != Sky::Mixed) return 1.0;
  // A cloud may start in any quarter and last one to three; the quarter is in
  // shade when a cloud that started up to LongestCloud - 1 quarters ago still lasts.
  for (int back = 0; back < LongestCloud; ++back) {
    const int start = quarter - back;
    if (start < 0) break;
    const uint64_t key = static_cast<uint64_t>(dayNumber) * 96 + static_cast<uint64_t>(start);
    if (NoiseUniform(seed_, KeyCloudStart, key) >= 0.22) continue;
    const int length = 1 + static_cast<int>(NoiseUniform(seed_, KeyCloudLength, key) * LongestCloud);
    if (back < length) return 0.25 + 0.35 * NoiseUniform(seed_, KeyCloudDepth, key);
  }
  return 1.0;
}

double Weather::AirTemperature(const DayWeather& day, int quarter) const {
  const double hour = (quarter + 0.5) / 4.0;
  const double swing = day.Kind == Sky::Overcast ? 2.0 : 5.0;
  return day.AirMean + swing * std::cos(2 * Pi * (hour - 15.0) / 24.0);
}

}  // namespace Sim
