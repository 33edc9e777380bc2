#pragma once
// The weather over the plant: one sky type a day, drawn with the season's odds,
// passing clouds on mixed days, and the air temperature.
#include <cstdint>

namespace Sim {

enum class Sky { Clear, Mixed, Overcast };

struct DayWeather {
  Sky Kind = Sky::Clear;
  double Light = 1.0;   // share of the clear-sky light that gets through, before passing clouds
  double AirMean = 10;  // mean air temperature of the day, degrees Celsius
};

class Weather {
public:
  explicit Weather(uint64_t seed) : seed_(seed) {}
  DayWeather Day(int64_t dayNumber) const;
  // Share of the day's light in quarter hour q (0..95): dips while a cloud passes.
  double CloudFactor(const DayWeather& day, int64_t dayNumber, int quarter) const;
  // Air temperature in quarter hour q, warmest in the afternoon.
  double AirTemperature(const DayWeather& day, int quarter) const;

private:
  uint64_t seed_;
};

}  // namespace Sim
