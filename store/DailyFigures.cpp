#include "store/DailyFigures.h"

#include <algorithm>

#include "protocol/Cp1252.h"
#include "store/PlantStore.h"

namespace {

// Sum of MonthRun[first .. last]; empty when last < first.
int MonthSum(int first, int last) {
  int sum = 0;
  for (int k = first; k <= last; ++k) sum += MonthRun(k);
  return sum;
}

int PlantPower() {
  int sum = 0;
  for (int k = 1; k <= 48; ++k) sum += MeterPower(k);
  return sum;
}

// Month, year and lifetime yield from the month counter and today's yield.
void AddMonthYields(DailyFigures& f) {
  const int today = f.todayYield / 100;
  // A counter of 0 (no data yet) has no finished months: the month reads
  // MonthRun[0], the year and the total are today's yield alone. A counter
  // beyond the month slots would read the meters' yearly yields as months, so
  // those figures are left unknown.
  if (Block2[Word::Block2::MonthCounter] != 0 && MonthCounter() == 0) return;
  const int m = MonthCounter();
  const int yearStart = m == 0 ? 0 : ((m - 1) / 12) * 12;
  f.monthYield = MonthRun(m) + today;
  f.yearYield = MonthSum(yearStart + 1, m) + today;
  f.totalYield = MonthSum(1, m) + today;
}

void AddRevenue(DailyFigures& f) {
  f.tariff = Block3[Word::Block3::Tariff];
  f.todayRevenue = f.todayYield * 0.01 * f.tariff * 0.01;
  if (f.yearYield) f.yearRevenue = RevenueEuro(*f.yearYield, f.tariff);
  if (f.totalYield) f.totalRevenue = RevenueEuro(*f.totalYield, f.tariff);
}

// Irradiation: 0 stands for no sensor value.
void AddIrradiation(DailyFigures& f) {
  if (const unsigned today = Block14[Word::Block14::TodayIrradiation]; today != 0) f.todayIrradiation = today * 0.001;
  if (const unsigned year = Block3[Word::Block3::YearIrradiation]; year != 0) f.yearIrradiation = year;
}

// The module temperature word holds the temperature + 20; 0 and 120 mean no value.
void AddModuleTemperature(DailyFigures& f) {
  const int v = Block14[Word::Block14::ModuleTemperature];
  if (v != 0 && v != 120) f.moduleTemperature = v - 20;
}

void AddEnvironment(DailyFigures& f) {
  if (!f.totalYield) return;
  const double total = static_cast<double>(*f.totalYield);
  f.co2Tonnes = total * 0.7 * 0.001;
  f.oilLitres = total * (1 / 10.68);
  f.gasCubicMetres = total * (1 / 11.46);
}

}  // namespace

DailyFigures ComputeDailyFigures() {
  DailyFigures f;
  f.todayYield = ComputeTodayYield();
  f.plantPower = PlantPower();
  f.maxPower = Block2[Word::Block2::MaxPower];
  f.yesterdayYield = Block3[Word::Block3::YesterdayYield];
  f.dayBeforeYield = Block3[Word::Block3::DayBeforeYield];
  AddMonthYields(f);
  f.specificYield = f.todayYield * 0.01 * 100 / PowerScale;
  AddRevenue(f);
  AddIrradiation(f);
  AddModuleTemperature(f);
  AddEnvironment(f);
  f.commissioningMonth = Block3[Word::Block3::CommissioningMonth];
  f.commissioningYear = Block3[Word::Block3::CommissioningYear];
  f.meterCount = Block3[Word::Block3::MeterCount];
  f.deviationReported = PlantDeviationReported(f.todayYield);
  f.deviatingMeter = Block14[Word::Block14::FaultReport];
  return f;
}

int64_t RevenueEuro(int64_t kWh, unsigned centsPerKWh) { return kWh * centsPerKWh / 100; }

bool PlantDeviationReported(int todayYield) {
  const unsigned n = Block14[Word::Block14::FaultReport];
  const unsigned meters = Block3[Word::Block3::MeterCount];
  const int32_t scaled = todayYield * 100;
  return n != 0 && n <= meters && static_cast<double>(scaled) / PowerScale > 11.0;
}

std::string PlantCheckText(const DailyFigures& f) {
  if (!f.deviationReported) return Cp1252FromUtf8("Anlage läuft!");
  return FormatText(
      "Abweichung Z1/Z%u evt.durch witterungsbedingte Einfl\xFC"
      "sse(tr\xFC"
      "be Tage,Schnee,Teilverschattung)",
      f.deviatingMeter);
}

std::optional<unsigned> CurrentIrradiance() {
  const int samples = TodaySampleCount();
  if (samples == 0) return std::nullopt;
  return IrradianceRing(RingSlotSamples * TodayRingSlot() + samples - 1);
}

int ShownMeterCount(const DailyFigures& f) { return static_cast<int>(std::clamp(f.meterCount, 1u, 48u)); }

MeterFigures ComputeMeterFigures(int k) {
  return {MeterPower(k) * 0.1, MeterTodayYield(k) * 0.01, MeterYearYield(k) * 0.01};
}
