#include "views/live/render/DemoPlantData.h"

#include <cmath>
#include <cstdint>

#include "link/PlantStore.h"

namespace {

constexpr int PlantSize = 98;  // 0.1 kWp
constexpr int CommissioningYear = 19, CommissioningMonth = 3;
constexpr int Year = 124, Month = 6, Day = 14;  // years since 1900

// Specific yield per month, kWh per kWp, for a plant in central Europe.
constexpr double MonthlySpecificYield[13] = {0, 25, 45, 80, 115, 135, 140, 140, 120, 90, 60, 28, 18};

// A small deterministic generator so that every run draws the same plant.
uint32_t state = 12345;
double Random01() {
  state = state * 1103515245u + 12345u;
  return ((state >> 8) & 0xFFFF) / 65535.0;
}

int MonthCounterOf(int year, int month) {
  return 12 * (year - 100 - CommissioningYear) + month;
}

void FillClock() {
  Block2[13] = Day;
  Block2[14] = Month;
  Block2[15] = Year;
  Block2[16] = 13;
  Block2[17] = 37;
  Block2[24] = MonthCounterOf(Year, Month);
  Block3[35] = CommissioningMonth;
  Block3[36] = CommissioningYear;
}

void FillMonths() {
  const int current = MonthCounterOf(Year, Month);
  for (int k = 1; k < current; ++k) {
    const int month = (k - 1) % 12 + 1;
    const bool commissioned = k > CommissioningMonth;
    const double kWh = MonthlySpecificYield[month] * PlantSize / 10.0 * (0.85 + 0.3 * Random01());
    SetMonthRun(k, commissioned ? static_cast<uint16_t>(kWh) : 0);
  }
  SetMonthRun(current, static_cast<uint16_t>((Day - 1) * 4.4 * PlantSize / 10.0));
}

// Day values of this year up to yesterday, in 0.1 kWh: a seasonal curve with
// cloudy days, and two implausible readings that the balance chart filters.
void FillDays() {
  const int today = MonthStartDay[Month] + Day;
  for (int n = 1; n < today; ++n) {
    const double season = 0.5 + 2.5 * (1 - std::cos((n - 10) * 2 * M_PI / 366.0));
    const double weather = Random01() < 0.25 ? 0.2 + 0.4 * Random01() : 0.8 + 0.25 * Random01();
    SetDayRun(n - 1, static_cast<uint16_t>(season * weather * PlantSize));
  }
  SetDayRun(40, 6000);
  SetDayRun(100, 9000);
  Block3[1] = DayRun(today - 2);
  Block3[2] = DayRun(today - 3);
}

void FillMeters(int meters) {
  Block3[37] = meters;
  const int shown = meters < 1 ? 1 : meters;
  for (int k = 1; k <= shown; ++k) {
    const double share = 1.0 / shown * (0.9 + 0.2 * Random01());
    const uint16_t power = static_cast<uint16_t>(62 * share);             // 0.1 kW
    const uint16_t today = static_cast<uint16_t>(2870 * share);           // 0.01 kWh
    const uint32_t year = static_cast<uint32_t>(478000 * share * 1.02);  // 0.01 kWh
    if (k <= 36) Block14[4 + k] = power; else Block19[k - 29] = power;
    if (k <= 27) Block14[40 + k] = today; else if (k <= 40) Block14[59 + k] = today; else Block19[k - 41] = today;
    SetMonthRun(260 + 2 * k, static_cast<uint16_t>(year >> 16));
    SetMonthRun(261 + 2 * k, static_cast<uint16_t>(year & 0xFFFF));
  }
}

}  // namespace

void FillDemoPlantData(int meters) {
  ClearPlantStore();
  state = 12345;
  Block3[38] = PlantSize;
  Block2[12] = 78;     // 7.8 kW today's maximum
  Block3[13] = 46;     // cents per kWh
  Block3[45] = 612;    // kWh/m2 this year
  Block14[81] = 5230;  // Wh/m2 today
  Block14[85] = 20 + 47;
  FillClock();
  FillMonths();
  FillDays();
  FillMeters(meters);
  RecomputeScales();
}
