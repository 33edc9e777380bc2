#pragma once
// The month table as the settings windows show and change it: position p
// (0..35) stands for a month of the last three calendar years, 0..11 the year
// before last, 12..23 last year, 24..35 this year. Its entry is
// MonthRun[1 + p + MonthOffset] and goes to the controller with the code byte
// p + MonthOffset.
#include <optional>
#include <string>

constexpr int MonthPositions = 36;

// "01/2005" .. "12/2007": the month of position p with the four-digit year.
std::string MonthText(int p);

// The MonthRun index of position p, or nothing when p + MonthOffset does not
// name an entry that a one-byte code can address (0..255): before the store
// holds a date, or with a month counter out of reach.
std::optional<int> MonthTableIndex(int p);

// Sends the entry of position p at once with the value typed in text (code
// page 1252, read as ParseMonthTableValue does). Sends nothing and returns
// false when p is outside the table or the value does not fit 16 bits.
bool SendMonthTableEntry(int p, const std::string& text);
