#pragma once
// The days of the energy balance: a 366-day year in which 29 February is
// always day 60, as the controller keeps its day values.

constexpr int BalanceDays = 366;

// Days of month m (1..12) in that year (February has 29).
int BalanceMonthDays(int m);

// Today's day-of-year from the controller's date, or 0 when the date is no
// day of that year (month outside 1..12, or day 0 or past the month's end, as
// before the first clock data).
int BalanceToday();
