#include "views/live/DailyFigures.h"

#include "link/PlantStore.h"

namespace {

// Sum of MonthRun[first .. last]; empty when last < first.
int MonthSum(int first, int last) {
  int sum = 0;
  for (int k = first; k <= last; ++k) sum += MonthRun(k);
  return sum;
}

int PlantPower() {
  int sum = 0;
  for (int k = 1; k <= 48; ++k) sum += MeterPower(k);
  return sum;
}

}  // namespace

DailyFigures ComputeDailyFigures() {
  DailyFigures f;
  f.todayYield = ComputeTodayYield();
  f.plantPower = PlantPower();
  const int today = f.todayYield / 100;
  // A counter of 0 (no data yet) has no finished months: the month reads
  // MonthRun[0], the year and the total are today's yield alone. A counter
  // beyond the month slots would read the meters' yearly yields as months, so
  // those figures are left unknown.
  if (Block2[24] != 0 && MonthCounter() == 0) return f;
  const int m = MonthCounter();
  const int yearStart = m == 0 ? 0 : ((m - 1) / 12) * 12;
  f.monthYield = MonthRun(m) + today;
  f.yearYield = MonthSum(yearStart + 1, m) + today;
  f.totalYield = MonthSum(1, m) + today;
  return f;
}

int64_t RevenueEuro(int64_t kWh, unsigned centsPerKWh) { return kWh * centsPerKWh / 100; }

bool PlantDeviationReported(int todayYield) {
  const unsigned n = Block14[75];
  const unsigned meters = Block3[37];
  const int32_t scaled = todayYield * 100;
  return n != 0 && n <= meters && static_cast<double>(scaled) / PowerScale > 11.0;
}
