#pragma once
// The working table of the yearly energy balance: one slot per day-of-year
// (slot 0 has no day), in 0.1 kWh.
#include <array>
#include <cstdint>

#include "views/live/BalanceCalendar.h"

using BalanceSlotTable = std::array<int32_t, BalanceDays + 1>;

// Days 1..366 from DayRun, each reduced to 7 kWh per kWp of the plant size.
BalanceSlotTable FillBalanceSlots();

// Removes one spike per window of 30 table (the last window holds 360..366):
// the window's first-occurring largest value is replaced by the largest value
// that came before it in the window, or 0 when none did.
void FilterSpikes(BalanceSlotTable& table);
