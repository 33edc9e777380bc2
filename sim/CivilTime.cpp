#include "CivilTime.h"

#include <chrono>
#include <cstdio>

namespace Sim {

namespace {

using std::chrono::day;
using std::chrono::month;
using std::chrono::sys_days;
using std::chrono::year;
using std::chrono::year_month_day;

int64_t LastSundayOf(int y, int m) {
  const int64_t last = DayNumber(y, m, DaysInMonth(y, m));
  // 1970-01-01 was a Thursday: weekday 0 = Sunday is (dayNumber + 4) mod 7.
  const int64_t weekday = ((last + 4) % 7 + 7) % 7;
  return last - weekday;
}

}  // namespace

int64_t DayNumber(int y, int m, int d) {
  const sys_days days{year{y} / month{static_cast<unsigned>(m)} / day{static_cast<unsigned>(d)}};
  return days.time_since_epoch().count();
}

CivilTime DateOfDayNumber(int64_t dayNumber) {
  const year_month_day ymd{sys_days{std::chrono::days{dayNumber}}};
  CivilTime t;
  t.Year = static_cast<int>(ymd.year());
  t.Month = static_cast<int>(static_cast<unsigned>(ymd.month()));
  t.Day = static_cast<int>(static_cast<unsigned>(ymd.day()));
  return t;
}

CivilTime CivilTimeOf(ClockSeconds t) {
  CivilTime c = DateOfDayNumber(DayNumberOf(t));
  const int s = SecondOfDay(t);
  c.Hour = s / 3600;
  c.Minute = s / 60 % 60;
  c.Second = s % 60;
  return c;
}

ClockSeconds SecondsOf(const CivilTime& t) {
  return DayNumber(t.Year, t.Month, t.Day) * SecondsPerDay + t.Hour * 3600 + t.Minute * 60 + t.Second;
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static constexpr int Days[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m < 1 || m > 12) return 0;
  return m == 2 && IsLeapYear(y) ? 29 : Days[m];
}

int DayOfYear366(int m, int d) {
  static constexpr int Before[13] = {0, 0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335};
  return Before[m] + d;
}

int DayOfYear(int64_t dayNumber) {
  const CivilTime t = DateOfDayNumber(dayNumber);
  return static_cast<int>(dayNumber - DayNumber(t.Year, 1, 1)) + 1;
}

bool IsSummerTime(int64_t dayNumber) {
  const int y = DateOfDayNumber(dayNumber).Year;
  return dayNumber >= LastSundayOf(y, 3) && dayNumber < LastSundayOf(y, 10);
}

std::optional<CivilTime> ParseCivilTime(const std::string& text) {
  CivilTime t;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d%c", &t.Year, &t.Month, &t.Day, &t.Hour, &t.Minute, &tail) != 5)
    return std::nullopt;
  if (t.Year < 1971 || t.Year > 2100 || t.Month < 1 || t.Month > 12 || t.Day < 1 ||
      t.Day > DaysInMonth(t.Year, t.Month) || t.Hour < 0 || t.Hour > 23 || t.Minute < 0 || t.Minute > 59)
    return std::nullopt;
  return t;
}

std::string FormatCivilTime(const CivilTime& t) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second);
  return text;
}

}  // namespace Sim
