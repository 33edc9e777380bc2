#pragma once
// The figures of the daily values page, computed from the plant data store:
// one rule for the page, the bridge and the archive. Energies are whole kWh
// unless the name says otherwise; an empty value is one the store cannot give.
#include <cstdint>
#include <optional>
#include <string>

struct DailyFigures {
  int todayYield = 0;      // 0.01 kWh, the sum of the meters' today words
  int plantPower = 0;      // 0.1 kW, the sum of the meters' current power words
  int maxPower = 0;        // 0.1 kW, today's highest plant power
  int yesterdayYield = 0;  // 0.1 kWh
  int dayBeforeYield = 0;  // 0.1 kWh
  // Month, year and lifetime yield including today. Empty when the month
  // counter (Word::Block2::MonthCounter) names no month slot, so the months
  // cannot be read.
  std::optional<int64_t> monthYield;
  std::optional<int64_t> yearYield;
  std::optional<int64_t> totalYield;
  double specificYield = 0;                 // today's kWh per kWp of the plant size
  unsigned tariff = 0;                      // cents per kWh
  double todayRevenue = 0;                  // euros, not rounded
  std::optional<int64_t> yearRevenue;       // whole euros
  std::optional<int64_t> totalRevenue;      // whole euros
  std::optional<double> todayIrradiation;   // kWh/m2
  std::optional<unsigned> yearIrradiation;  // kWh/m2
  std::optional<int> moduleTemperature;     // today's highest, degrees Celsius
  // The lifetime yield's equivalents (empty with the lifetime yield).
  std::optional<double> co2Tonnes;       // 0.7 kg per kWh
  std::optional<double> oilLitres;       // 10.68 kWh per litre of heating oil
  std::optional<double> gasCubicMetres;  // 11.46 kWh per cubic metre of natural gas
  unsigned commissioningMonth = 0;       // 1..12
  unsigned commissioningYear = 0;        // years after 2000
  unsigned meterCount = 0;
  // The plant check's hint: meter `deviatingMeter` deviates from meter 1.
  bool deviationReported = false;
  unsigned deviatingMeter = 0;
};

// Reads the store; recomputes TodayYield on the way.
DailyFigures ComputeDailyFigures();

// Revenue in whole euros of an energy in kWh at a tariff in cents per kWh,
// truncated. 64-bit, so a large tariff cannot wrap the product around.
int64_t RevenueEuro(int64_t kWh, unsigned centsPerKWh);

// True when the plant check reports meter n (Word::Block14::FaultReport) as
// deviating from meter 1: n is a meter of the plant and today's yield
// (0.01 kWh) is more than 0.11 kWh per kWp of PowerScale.
bool PlantDeviationReported(int todayYield);

// The plant check's line (code page 1252): the deviating meter's hint, or
// "Anlage läuft!".
std::string PlantCheckText(const DailyFigures& f);

// The global irradiance now, W/m2: the newest of today's samples of the
// irradiance ring. Empty before 6:00, when today has no sample yet.
std::optional<unsigned> CurrentIrradiance();

// The meters the page lists, 1..ShownMeterCount: meter 1 always, the others
// up to the meter count, at most 48.
int ShownMeterCount(const DailyFigures& f);

// Meter k (1..48): current power in kW, today's and this year's yield in kWh.
struct MeterFigures {
  double power = 0;
  double todayYield = 0;
  double yearYield = 0;
};
MeterFigures ComputeMeterFigures(int k);
