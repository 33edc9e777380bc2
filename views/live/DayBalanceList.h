#pragma once
// The daily energy balance list: the yield of every day of the year from
// 1 January to today, in Form9's Memo1.
#include <string>
#include <vector>

// The list's lines (code page 1252): "dd/mm = v" with the stored day value in
// kWh, today's line with the meters' running total. When the controller's
// date is no day of the year, one line saying so.
std::vector<std::string> DayBalanceLines();

// Replaces Memo1's lines with DayBalanceLines() and shows the last one.
void FillDayBalanceList();
