#include "archive/CalendarDay.h"

#include <chrono>
#include <cstdio>

namespace Archive {

using namespace std::chrono;

std::optional<DayNumber> DayNumberOf(int year, int month, int day) {
  if (month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
  const year_month_day date{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                            std::chrono::day{static_cast<unsigned>(day)}};
  if (!date.ok()) return std::nullopt;
  return static_cast<DayNumber>(sys_days{date}.time_since_epoch().count());
}

CivilDate DateOf(DayNumber day) {
  const year_month_day date{sys_days{days{day}}};
  return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day()))};
}

DayNumber AddMonths(DayNumber day, int months) {
  const CivilDate d = DateOf(day);
  const int index = d.Year * 12 + (d.Month - 1) + months;
  const int year = index >= 0 ? index / 12 : (index - 11) / 12, month = index - year * 12 + 1;
  for (int dayOfMonth = d.Day;; --dayOfMonth)
    if (const auto shifted = DayNumberOf(year, month, dayOfMonth)) return *shifted;
}

std::string IsoDate(DayNumber day) {
  const CivilDate d = DateOf(day);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.Year, d.Month, d.Day);
  return text;
}

std::optional<DayNumber> ParseIsoDate(const std::string& text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  for (size_t i = 0; i < text.size(); ++i)
    if (i != 4 && i != 7 && (text[i] < '0' || text[i] > '9')) return std::nullopt;
  return DayNumberOf(std::stoi(text.substr(0, 4)), std::stoi(text.substr(5, 2)), std::stoi(text.substr(8, 2)));
}

}  // namespace Archive
