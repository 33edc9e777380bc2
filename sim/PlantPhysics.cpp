#include "PlantPhysics.h"

#include <algorithm>
#include <cmath>

#include "CivilTime.h"
#include "Noise.h"

namespace Sim {

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double Radian = Pi / 180;
constexpr double Latitude = 50.3 * Radian;
constexpr double Longitude = 9.7;          // degrees east
constexpr double Tilt = 30 * Radian;       // modules face south at this tilt
constexpr double PerformanceRatio = 0.84;  // wiring, inverter and soiling losses at 25 °C
constexpr double TemperatureLoss = 0.004;  // per degree above 25 °C
constexpr double Heating = 0.03;           // module warming in °C per W/m²
constexpr uint64_t KeyMeterShare = 11;

// A quarter-hourly value (W, or W/m²) summed from midnight up to the second:
// the whole quarters, then the running one in part; in Wh (Wh/m²).
int64_t WhSoFar(const DayProfile& day, int QuarterSample::*value, int secondOfDay) {
  const int running = std::clamp(secondOfDay / 900, 0, QuartersPerDay);
  double wh = 0;
  for (int q = 0; q < running; ++q) wh += day.Quarters[q].*value * 0.25;
  if (running < QuartersPerDay) wh += day.Quarters[running].*value * (secondOfDay - running * 900) / 3600.0;
  return std::llround(wh);
}

struct SunPosition {
  double CosZenith = 0;     // on the horizontal
  double CosIncidence = 0;  // on the module plane
};

// Sun position in the middle of quarter hour q of a day of the controller's local clock.
SunPosition SunAt(int64_t dayNumber, int quarter) {
  const int n = DayOfYear(dayNumber);
  const double b = 2 * Pi * (n - 81) / 364.0;
  const double equationOfTime = 9.87 * std::sin(2 * b) - 7.53 * std::cos(b) - 1.5 * std::sin(b);  // minutes
  const double clockHours = (quarter + 0.5) / 4.0;
  const double zoneHours = IsSummerTime(dayNumber) ? 2.0 : 1.0;  // UTC+1, +2 in summer
  const double solarHours = clockHours - zoneHours + Longitude / 15.0 + equationOfTime / 60.0;
  const double hourAngle = (solarHours - 12.0) * 15 * Radian;
  const double declination = 23.45 * Radian * std::sin(2 * Pi * (284 + n) / 365.0);
  SunPosition s;
  s.CosZenith =
      std::sin(Latitude) * std::sin(declination) + std::cos(Latitude) * std::cos(declination) * std::cos(hourAngle);
  s.CosIncidence = std::sin(Latitude - Tilt) * std::sin(declination) +
                   std::cos(Latitude - Tilt) * std::cos(declination) * std::cos(hourAngle);
  return s;
}

}  // namespace

PlantPhysics::PlantPhysics(const PhysicalPlant& plant) : plant_(plant), weather_(plant.Seed) {
  plant_.Meters = std::clamp(plant_.Meters, 1, MaxMeters);
  double sum = 0;
  for (int k = 1; k <= plant_.Meters; ++k) {
    share_[k] = 1.0 + 0.03 * (NoiseUniform(plant_.Seed, KeyMeterShare, static_cast<uint64_t>(k)) - 0.5);
    sum += share_[k];
  }
  for (int k = 1; k <= plant_.Meters; ++k) {
    share_[k] /= sum;
    output_[k] = share_[k] * (k == plant_.FaultMeter ? 0.5 : 1.0);
    outputSum_ += output_[k];
  }
}

double PlantPhysics::MeterFraction(int k) const {
  if (k < 1 || k > plant_.Meters) return 0;
  return output_[k] / outputSum_;
}

double PlantPhysics::NominalRatio(int k) const {
  if (k < 1 || k > plant_.Meters) return 0;
  return share_[k] / share_[1];
}

QuarterSample PlantPhysics::Sample(const DayWeather& weather, int64_t dayNumber, int quarter) const {
  QuarterSample q;
  const double air = weather_.AirTemperature(weather, quarter);
  q.ModuleTemp = air;
  const SunPosition sun = SunAt(dayNumber, quarter);
  if (sun.CosZenith <= 0.02) return q;
  // Clear-sky light on the horizontal, then the share that passes the clouds.
  const double clearSky = 1098 * sun.CosZenith * std::exp(-0.057 / sun.CosZenith);
  const double light = weather.Light * weather_.CloudFactor(weather, dayNumber, quarter);
  const double horizontal = clearSky * light;
  // The direct part gains on the tilted modules, the diffuse part does not.
  const double direct = std::clamp((light - 0.2) / 0.8, 0.0, 1.0) * 0.8;
  const double beamGain = std::clamp(std::max(sun.CosIncidence, 0.0) / sun.CosZenith, 0.0, 4.0);
  const double plane = horizontal * (direct * beamGain + (1 - direct));
  q.Irradiance = static_cast<int>(std::lround(plane));
  q.ModuleTemp = air + Heating * plane;
  const double temperatureFactor = 1 - TemperatureLoss * (q.ModuleTemp - 25);
  const double watts = plant_.PeakWatts * plane / 1000 * PerformanceRatio * temperatureFactor * outputSum_;
  q.PowerWatts = std::max(0, static_cast<int>(std::lround(watts)));
  return q;
}

DayProfile PlantPhysics::Compute(int64_t dayNumber) const {
  DayProfile day;
  if (dayNumber < plant_.FirstDay) return day;
  const DayWeather weather = weather_.Day(dayNumber);
  double energy = 0;
  double irradiation = 0;
  for (int q = 0; q < QuartersPerDay; ++q) {
    day.Quarters[q] = Sample(weather, dayNumber, q);
    energy += day.Quarters[q].PowerWatts * 0.25;
    irradiation += day.Quarters[q].Irradiance * 0.25;
  }
  day.EnergyWh = std::llround(energy);
  day.IrradiationWh = std::llround(irradiation);
  return day;
}

const DayProfile& PlantPhysics::Day(int64_t dayNumber) {
  auto it = days_.find(dayNumber);
  if (it == days_.end()) it = days_.emplace(dayNumber, Compute(dayNumber)).first;
  return it->second;
}

int64_t PlantPhysics::EnergyWh(int64_t dayNumber, int secondOfDay) {
  return WhSoFar(Day(dayNumber), &QuarterSample::PowerWatts, secondOfDay);
}

int64_t PlantPhysics::IrradiationWh(int64_t dayNumber, int secondOfDay) {
  return WhSoFar(Day(dayNumber), &QuarterSample::Irradiance, secondOfDay);
}

int PlantPhysics::MaxPowerWatts(int64_t dayNumber, int secondOfDay) {
  const DayProfile& day = Day(dayNumber);
  const int last = std::clamp(secondOfDay / 900, 0, QuartersPerDay - 1);
  int best = 0;
  for (int q = 0; q <= last; ++q) best = std::max(best, day.Quarters[q].PowerWatts);
  return best;
}

double PlantPhysics::MaxModuleTemp(int64_t dayNumber, int secondOfDay) {
  const DayProfile& day = Day(dayNumber);
  const int last = std::clamp(secondOfDay / 900, 0, QuartersPerDay - 1);
  double best = day.Quarters[0].ModuleTemp;
  for (int q = 1; q <= last; ++q) best = std::max(best, day.Quarters[q].ModuleTemp);
  return best;
}

}  // namespace Sim
