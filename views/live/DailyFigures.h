#pragma once
// The figures of the daily values page, computed from the plant data store at
// every drawing. Energies are whole kWh unless the name says otherwise.
#include <cstdint>
#include <optional>

struct DailyFigures {
  int todayYield = 0;   // 0.01 kWh, the sum of the meters' today words
  int plantPower = 0;   // 0.1 kW, the sum of the meters' current power words
  // Month, year and lifetime yield including today. Empty when the month
  // counter Block2[24] names no month slot, so the months cannot be read.
  std::optional<int64_t> monthYield;
  std::optional<int64_t> yearYield;
  std::optional<int64_t> totalYield;
};

// Reads the store; recomputes TodayYield on the way.
DailyFigures ComputeDailyFigures();

// Revenue in whole euros of an energy in kWh at a tariff in cents per kWh,
// truncated. 64-bit, so a large tariff cannot wrap the product around.
int64_t RevenueEuro(int64_t kWh, unsigned centsPerKWh);

// True when the plant check reports meter n (Block14[75]) as deviating from
// meter 1: n is a meter of the plant and today's yield (0.01 kWh) is more
// than 0.11 kWh per kWp of PowerScale.
bool PlantDeviationReported(int todayYield);
