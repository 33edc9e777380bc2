#pragma once
// The plant's history as plain values: the quarter-hour curves of days, the
// daily, monthly and per-meter yields. One completed data exchange gives a
// piece of it; the archive returns any range of it; the CSV export writes it.
// Energies are whole Wh, powers W, irradiance W/m².
#include <cstdint>
#include <vector>

#include "archive/CalendarDay.h"

namespace Archive {

// The controller keeps the quarter hours from 6:00 to 20:00 of each day.
constexpr int FirstSampleQuarter = 24;  // 6:00
constexpr int SamplesPerDay = 56;

// The ranges of the values, as the controller's 16-bit words (and the 32-bit
// yearly meter yields) can give them; a stored value outside is no
// controller's. A day's yield is at most its 48 meters' day yields together.
constexpr int MeterCount = 48;
constexpr int64_t MaxPowerW = 65535 * 100;
constexpr int64_t MaxIrradianceWm2 = 65535;
constexpr int64_t MaxMeterDayWh = 65535 * 10;
constexpr int64_t MaxDayWh = MeterCount * MaxMeterDayWh;
constexpr int64_t MaxMonthWh = 65535 * 1000 + MaxDayWh;
constexpr int64_t MaxMeterYearWh = int64_t{0xFFFFFFFF} * 10;

struct QuarterSample {
  int PowerW = 0;
  int IrradianceWm2 = 0;
};

// A day is complete once the controller's date has moved past it; until then
// its values are the day so far and are replaced by later views of it.
struct DayCurve {
  DayNumber Day = 0;
  bool Complete = false;
  std::vector<QuarterSample> Samples;  // sample i is the quarter hour from 6:00 + 15 i minutes
};

struct DayYield {
  DayNumber Day = 0;
  bool Complete = false;
  int64_t EnergyWh = 0;
};

struct MonthYield {
  int Year = 0;
  int Month = 0;  // 1..12
  bool Complete = false;
  int64_t EnergyWh = 0;
};

struct YearYield {
  int Year = 0;
  bool Complete = false;
  int64_t EnergyWh = 0;
};

// One meter's (1..48) yield of a day.
struct MeterDay {
  DayNumber Day = 0;
  int Meter = 0;
  bool Complete = false;
  int64_t EnergyWh = 0;
};

// One meter's yield of a calendar year.
struct MeterYear {
  int Year = 0;
  int Meter = 0;
  bool Complete = false;
  int64_t EnergyWh = 0;
};

// Each list is ordered by date (and meter).
struct PlantHistory {
  std::vector<DayCurve> Curves;
  std::vector<DayYield> Days;
  std::vector<MonthYield> Months;
  std::vector<MeterDay> MeterDays;
  std::vector<MeterYear> MeterYears;
};

// The complete periods of a history alone.
PlantHistory CompleteOnly(const PlantHistory& history);

// The history as its own date allows it: nothing dated after today, and
// today, its month and its year still running.
PlantHistory AsOf(const PlantHistory& history, DayNumber today);

// The years of the given months (ordered by year): each year's sum, complete
// when every month of it given is complete, December included.
std::vector<YearYield> YearsOf(const std::vector<MonthYield>& months);

}  // namespace Archive
