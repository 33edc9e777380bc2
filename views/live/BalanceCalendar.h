#pragma once
// The days of the energy balance: a 366-day year in which 29 February is
// always day 60, as the controller keeps its day values.

constexpr int BalanceDays = 366;

// Days of month m (1..12) in that year (February has 29).
int BalanceMonthDays(int m);

// Today's day-of-year from the controller's date (the month's start day plus
// the day, also for a day 0 or past the month's end), or 0 when that is no
// day of the year: a month outside 1..12, as before the first clock data, or
// a day number outside 1..366.
int BalanceToday();
