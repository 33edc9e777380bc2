#pragma once
// Calendar days as the archive keys them: the controller's own calendar date,
// counted in days from 1970-01-01 (Gregorian, no time zone).
#include <optional>
#include <string>

namespace Archive {

using DayNumber = int;

struct CivilDate {
  int Year = 1970;
  int Month = 1;
  int Day = 1;
};

// The day of a calendar date, or nothing for a date that does not exist (30 February).
std::optional<DayNumber> DayNumberOf(int year, int month, int day);
CivilDate DateOf(DayNumber day);
// The same day of the month `months` months later (earlier when negative), or
// that month's last day where it is shorter.
DayNumber AddMonths(DayNumber day, int months);

// "YYYY-MM-DD", and back (nothing for any other text or an impossible date).
std::string IsoDate(DayNumber day);
std::optional<DayNumber> ParseIsoDate(const std::string& text);

}  // namespace Archive
