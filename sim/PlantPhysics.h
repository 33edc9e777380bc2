#pragma once
// The physical plant: the sun over a site in central Germany, the weather, the
// modules and the meters. It gives every quarter hour of every day its
// irradiance, power and module temperature, deterministically from the seed.
#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "Weather.h"

namespace Sim {

constexpr int QuartersPerDay = 96;
constexpr int MaxMeters = 48;

struct PhysicalPlant {
  int PeakWatts = 30400;  // nominal power of all modules
  int Meters = 3;         // meters actually installed, 1..48
  int FaultMeter = 0;     // a meter that gives only half its share (shading, a failed string), 0 for none
  int64_t FirstDay = 0;   // day number of commissioning: nothing is produced or measured before
  uint64_t Seed = 1;
};

struct QuarterSample {
  int Irradiance = 0;     // W/m² in the module plane
  int PowerWatts = 0;     // the plant's power, all meters together
  double ModuleTemp = 0;  // degrees Celsius
};

struct DayProfile {
  std::array<QuarterSample, QuartersPerDay> Quarters{};
  int64_t EnergyWh = 0;
  int64_t IrradiationWh = 0;  // Wh/m²
};

class PlantPhysics {
public:
  explicit PlantPhysics(const PhysicalPlant& plant);

  const PhysicalPlant& Plant() const { return plant_; }
  const DayProfile& Day(int64_t dayNumber);

  // Energy (Wh) and irradiation (Wh/m²) of a day from midnight up to secondOfDay.
  int64_t EnergyWh(int64_t dayNumber, int secondOfDay);
  int64_t IrradiationWh(int64_t dayNumber, int secondOfDay);
  // Highest power (W) and module temperature of a day up to and including the running quarter.
  int MaxPowerWatts(int64_t dayNumber, int secondOfDay);
  double MaxModuleTemp(int64_t dayNumber, int secondOfDay);

  // Meter k's (1..48) share of the plant's output; 0 for meters that are not installed.
  double MeterFraction(int k) const;
  // Meter k's output against meter 1 as the plant was built, all meters sound.
  double NominalRatio(int k) const;

private:
  DayProfile Compute(int64_t dayNumber) const;
  QuarterSample Sample(const DayWeather& weather, int64_t dayNumber, int quarter) const;

  PhysicalPlant plant_;
  Weather weather_;
  std::array<double, MaxMeters + 1> share_{};   // nominal split of the modules, sums to 1
  std::array<double, MaxMeters + 1> output_{};  // share times the meter's health
  double outputSum_ = 0;
  std::unordered_map<int64_t, DayProfile> days_;
};

}  // namespace Sim
