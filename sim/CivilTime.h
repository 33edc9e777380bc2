#pragma once
// Calendar arithmetic for the controller's clock. The controller keeps local
// wall time without a time zone; a moment is counted in seconds since
// 1970-01-01 00:00 of that wall clock.
#include <cstdint>
#include <optional>
#include <string>

namespace Sim {

using ClockSeconds = int64_t;
constexpr int64_t SecondsPerDay = 86400;

struct CivilTime {
  int Year = 1970;
  int Month = 1;
  int Day = 1;
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
};

// Days since 1970-01-01 of a calendar date, and back.
int64_t DayNumber(int year, int month, int day);
CivilTime DateOfDayNumber(int64_t dayNumber);

CivilTime CivilTimeOf(ClockSeconds t);
ClockSeconds SecondsOf(const CivilTime& t);
inline int64_t DayNumberOf(ClockSeconds t) {
  return t >= 0 ? t / SecondsPerDay : (t - SecondsPerDay + 1) / SecondsPerDay;
}
inline int SecondOfDay(ClockSeconds t) { return static_cast<int>(t - DayNumberOf(t) * SecondsPerDay); }

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
// Day-of-year in the controller's 366-day year: 29 February is always day 60.
int DayOfYear366(int month, int day);
// Calendar day of the year (1..365/366), as the sun sees it.
int DayOfYear(int64_t dayNumber);
// Central European summer time (last Sunday of March to last Sunday of October), by date.
bool IsSummerTime(int64_t dayNumber);

// "YYYY-MM-DD HH:MM"; nothing for anything else or an impossible date.
std::optional<CivilTime> ParseCivilTime(const std::string& text);
std::string FormatCivilTime(const CivilTime& t);  // "YYYY-MM-DD HH:MM:SS"

}  // namespace Sim
