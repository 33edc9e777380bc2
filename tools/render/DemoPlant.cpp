#include "tools/render/DemoPlant.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "store/PlantStore.h"

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

int TodayOfYear() { return MonthStartDay[Month] + Day; }

// Month m of plant year y lies at MonthRun[24 + 12 y + m]; plant year 0 is the commissioning year.
int MonthSlot(int year, int month) { return 24 + 12 * (year - 100 - CommissioningYear) + month; }

void FillClock() {
  Block2[Word::Block2::Day] = Day;
  Block2[Word::Block2::Month] = Month;
  Block2[Word::Block2::Year] = Year;
  Block2[Word::Block2::Hour] = Hour;
  Block2[Word::Block2::Minute] = Minute;
  Block2[Word::Block2::MonthCounter] = MonthSlot(Year, Month);
  Block3[Word::Block3::CommissioningMonth] = CommissioningMonth;
  Block3[Word::Block3::CommissioningYear] = CommissioningYear;
}

// Every month from the commissioning year on; months before commissioning hold 0,
// the current month holds the days before today.
void FillMonths() {
  const int current = MonthSlot(Year, Month);
  for (int k = MonthSlot(100 + CommissioningYear, 1); k < current; ++k) {
    const int month = (k - 25) % 12 + 1;
    const bool commissioned = k >= MonthSlot(100 + CommissioningYear, CommissioningMonth);
    const double kWh = MonthlySpecificYield[month] * PlantSize / 10.0 * (0.85 + 0.3 * Random01());
    SetMonthRun(k, commissioned ? static_cast<uint16_t>(kWh) : 0);
  }
  SetMonthRun(current, static_cast<uint16_t>((Day - 1) * 4.6 * PlantSize / 10.0));
}

// Day values of this year up to yesterday, in 0.1 kWh: a seasonal curve with
// cloudy days, and two implausible readings.
void FillDays() {
  const int today = TodayOfYear();
  for (int n = 1; n < today; ++n) {
    const double season = 0.5 + 2.5 * (1 - std::cos((n - 10) * 2 * M_PI / 366.0));
    const double weather = Random01() < 0.25 ? 0.2 + 0.4 * Random01() : 0.8 + 0.25 * Random01();
    SetDayRun(n - 1, static_cast<uint16_t>(season * weather * PlantSize));
  }
  SetDayRun(40, 6000);
  SetDayRun(100, 9000);
  Block3[Word::Block3::YesterdayYield] = DayRun(today - 2);
  Block3[Word::Block3::DayBeforeYield] = DayRun(today - 3);
}

// Irradiance of sample i (6:00 + i quarter hours) in W/m2 under a clear sky.
double ClearSky(int i) {
  const double hour = 6.0 + i / 4.0;
  const double s = std::sin((hour - 5.5) / 15.0 * M_PI);
  return s > 0 ? 880.0 * std::pow(s, 1.3) : 0.0;
}

// One day of samples; cloudiness 0 is a clear day, 1 a dull one. Clouds come
// and go in spells of a few quarter hours.
void FillRingDay(int slot, double cloudiness, int samples) {
  bool cloudy = false;
  for (int i = 0; i < RingSlotSamples; ++i) {
    double sun = 0;
    if (i < samples) {
      if (Random01() < 0.3) cloudy = Random01() < cloudiness;
      sun = ClearSky(i) * (cloudy ? 0.3 + 0.3 * Random01() : 0.93 + 0.07 * Random01());
    }
    const int j = RingSlotSamples * slot + i;
    SetIrradianceRing(j, static_cast<uint16_t>(sun));
    SetPowerRing(j, static_cast<uint16_t>(sun / 1000.0 * PlantSize * 0.82));  // 100 W
  }
}

void FillRings() {
  Block3[Word::Block3::TodaySlot] = TodaySlot;
  const int minutes = Hour * 60 + Minute;
  FillRingDay(2, 0.05, RingSlotSamples);
  FillRingDay(0, 0.55, RingSlotSamples);
  FillRingDay(TodaySlot, 0.2, std::min((minutes - 360 + 14) / 15, RingSlotSamples));
  SetPowerRing(30, 0);  // a dropout in yesterday's power that the chart bridges
}

// Each meter's power, today's and this year's yield.
void FillMeters(int meters) {
  Block3[Word::Block3::MeterCount] = meters;
  const int shown = std::max(meters, 1);
  for (int k = 1; k <= shown; ++k) {
    const double share = 1.0 / shown * (0.9 + 0.2 * Random01());
    const uint16_t power = static_cast<uint16_t>(62 * share);            // 0.1 kW
    const uint16_t today = static_cast<uint16_t>(2870 * share);          // 0.01 kWh
    const uint32_t year = static_cast<uint32_t>(478000 * share * 1.02);  // 0.01 kWh
    SetMeterPower(k, power);
    SetMeterTodayYield(k, today);
    SetMeterYearYield(k, year);
  }
}

void FillTodayFigures() {
  Block2[Word::Block2::MaxPower] = 78;              // 7.8 kW
  Block3[Word::Block3::Tariff] = 46;                // cents per kWh
  Block3[Word::Block3::YearIrradiation] = 612;      // kWh/m2
  Block14[Word::Block14::TodayIrradiation] = 5230;  // Wh/m2
  Block14[Word::Block14::ModuleTemperature] = 20 + 47;
}

}  // namespace

void FillDemoPlant(int meters) {
  ClearPlantStore();
  state = 4711;
  Block3[Word::Block3::PlantSize] = PlantSize;
  FillClock();
  FillMonths();
  FillDays();
  FillRings();
  FillMeters(std::clamp(meters, 0, 48));
  FillTodayFigures();
  RecomputeScales();
}
