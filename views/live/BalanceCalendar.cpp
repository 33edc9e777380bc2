#include "views/live/BalanceCalendar.h"

#include "store/PlantStore.h"

int BalanceMonthDays(int m) { return MonthStartDay[m + 1] - MonthStartDay[m]; }

int BalanceToday() {
  const int n = TodayDayOfYear();
  return n >= 1 && n <= BalanceDays ? n : 0;
}
