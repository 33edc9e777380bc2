#include "archive/ExchangeRecord.h"

#include <cstdio>

namespace Archive {

bool IsPossibleClock(const ControllerClock& c) {
  return c.Year >= FirstControllerYear && c.Year <= LastControllerYear && DayNumberOf(c.Year, c.Month, c.Day) &&
         c.Hour >= 0 && c.Hour <= 23 && c.Minute >= 0 && c.Minute <= 59;
}

std::string ClockText(const ControllerClock& c) {
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", c.Year, c.Month, c.Day, c.Hour, c.Minute);
  return text;
}

std::optional<ControllerClock> ParseClockText(const std::string& text) {
  if (text.size() != 16 || text[10] != ' ' || text[13] != ':') return std::nullopt;
  const std::optional<DayNumber> day = ParseIsoDate(text.substr(0, 10));
  for (size_t i : {11u, 12u, 14u, 15u})
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
  if (!day) return std::nullopt;
  const CivilDate d = DateOf(*day);
  const ControllerClock clock{d.Year, d.Month, d.Day, (text[11] - '0') * 10 + (text[12] - '0'),
                              (text[14] - '0') * 10 + (text[15] - '0')};
  if (clock.Hour > 23 || clock.Minute > 59) return std::nullopt;
  return clock;
}

int64_t MinutesOf(const ControllerClock& c) {
  const int64_t day = DayNumberOf(c.Year, c.Month, c.Day).value_or(0);
  return day * 1440 + c.Hour * 60 + c.Minute;
}

}  // namespace Archive
