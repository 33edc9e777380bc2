#include "views/live/BalanceCalendar.h"

#include "link/PlantStore.h"

int BalanceMonthDays(int m) { return MonthStartDay[m + 1] - MonthStartDay[m]; }

int BalanceToday() {
  const int m = ControllerMonth();
  const int d = Block2[13];
  if (m == 0 || d < 1 || d > BalanceMonthDays(m)) return 0;
  return TodayDayOfYear();
}
