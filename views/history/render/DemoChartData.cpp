#include "views/history/render/DemoChartData.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "link/PlantStore.h"

namespace {

constexpr int PlantSize = 98;  // 0.1 kWp
constexpr int CommissioningYear = 19, CommissioningMonth = 4;
constexpr int Year = 124, Month = 7, Day = 2;  // years since 1900
constexpr int Hour = 14, Minute = 52;
constexpr int TodaySlot = 1;  // yesterday is slot 0, the day before yesterday slot 2

// Specific yield per month, kWh per kWp, for a plant in central Europe.
constexpr double MonthlySpecificYield[13] = {0, 25, 45, 80, 115, 135, 140, 140, 120, 90, 60, 28, 18};

// A small deterministic generator so that every run draws the same plant.
uint32_t state = 4711;
double Random01() {
  state = state * 1103515245u + 12345u;
  return ((state >> 8) & 0xFFFF) / 65535.0;
}

void FillClock() {
  Block2[13] = Day;
  Block2[14] = Month;
  Block2[15] = Year;
  Block2[16] = Hour;
  Block2[17] = Minute;
  Block3[35] = CommissioningMonth;
  Block3[36] = CommissioningYear;
}

// Month slots from the first plant year on (MonthRun[25] is its January);
// months before commissioning hold 0. The current month holds the days before today.
void FillMonths() {
  const int current = 24 + 12 * (Year - 100 - CommissioningYear) + Month;
  Block2[24] = current;
  for (int k = 25; k < current; ++k) {
    const int month = (k - 25) % 12 + 1;
    const bool commissioned = k - 24 >= CommissioningMonth;
    const double kWh = MonthlySpecificYield[month] * PlantSize / 10.0 * (0.85 + 0.3 * Random01());
    SetMonthRun(k, commissioned ? static_cast<uint16_t>(kWh) : 0);
  }
  SetMonthRun(current, static_cast<uint16_t>((Day - 1) * 4.6 * PlantSize / 10.0));
}

// Irradiance of sample i (6:00 + i quarter hours) in W/m2 under a clear sky.
double ClearSky(int i) {
  const double hour = 6.0 + i / 4.0;
  const double s = std::sin((hour - 5.5) / 15.0 * M_PI);
  return s > 0 ? 880.0 * std::pow(s, 1.3) : 0.0;
}

// One day of samples; cloudiness 0 is a clear day, 1 a dull one. Clouds come
// and go in spells of a few quarter hours.
void FillDay(int slot, double cloudiness, int samples) {
  bool cloudy = false;
  for (int i = 0; i < RingSlotSamples; ++i) {
    double sun = 0;
    if (i < samples) {
      if (Random01() < 0.3) cloudy = Random01() < cloudiness;
      sun = ClearSky(i) * (cloudy ? 0.3 + 0.3 * Random01() : 0.93 + 0.07 * Random01());
    }
    const int j = RingSlotSamples * slot + i;
    SetGroupBWord(230 + j, static_cast<uint16_t>(sun));                                // IrradianceRing
    SetGroupBWord(62 + j, static_cast<uint16_t>(sun / 1000.0 * PlantSize * 0.82));  // PowerRing, 100 W
  }
}

void FillRings() {
  Block3[24] = TodaySlot;
  const int minutes = Hour * 60 + Minute;
  FillDay(2, 0.05, RingSlotSamples);
  FillDay(0, 0.55, RingSlotSamples);
  FillDay(TodaySlot, 0.2, std::min((minutes - 360 + 14) / 15, RingSlotSamples));
  // A dropout in yesterday's power that the chart bridges.
  SetGroupBWord(62 + 30, 0);
}

void FillMeters() {
  constexpr int Meters = 3;
  Block3[37] = Meters;
  for (int k = 1; k <= Meters; ++k) {
    Block14[4 + k] = 21;      // 2.1 kW
    Block14[40 + k] = 1105;  // 11.05 kWh today
  }
}

}  // namespace

void FillDemoChartData() {
  ClearPlantStore();
  state = 4711;
  Block3[38] = PlantSize;
  FillClock();
  FillMonths();
  FillRings();
  FillMeters();
  RecomputeScales();
}
