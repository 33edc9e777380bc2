#include "archive/StoreRecord.h"

#include <algorithm>
#include <cstdio>

#include "store/PlantStore.h"

namespace Archive {

namespace {

ControllerClock StoreClock() {
  return {Block2[Word::Block2::Year] + 1900, Block2[Word::Block2::Month], Block2[Word::Block2::Day],
          Block2[Word::Block2::Hour], Block2[Word::Block2::Minute]};
}

std::optional<ControllerClock> ClockFromStore() {
  const ControllerClock c = StoreClock();
  if (!IsPossibleClock(c)) return std::nullopt;
  return c;
}

DayCurve CurveOfSlot(int slot, DayNumber day, int samples, bool complete) {
  DayCurve curve{day, complete, {}};
  for (int i = 0; i < samples; ++i) {
    const int j = RingSlotSamples * slot + i;
    curve.Samples.push_back({PowerRing(j) * 100, IrradianceRing(j)});
  }
  return curve;
}

// The three days of the rings, oldest first; today only up to the controller's time.
std::vector<DayCurve> CurvesFromStore(DayNumber today) {
  std::vector<DayCurve> curves;
  const int todaySlot = Block3[Word::Block3::TodaySlot];
  if (todaySlot > 2) return curves;  // no slot is marked as today: the samples cannot be dated
  for (int back = 2; back >= 0; --back) {
    const int samples = back == 0 ? TodaySampleCount() : RingSlotSamples;
    if (samples > 0) curves.push_back(CurveOfSlot(RingSlotOrder[todaySlot][back], today - back, samples, back > 0));
  }
  return curves;
}

int DayOfYear366(const CivilDate& d) { return MonthStartDay[d.Month] + d.Day; }

// The yield of the day `back` days before today (1 or 2), 0.1 kWh.
int PastDayYield(int back) { return Block3[back == 1 ? Word::Block3::YesterdayYield : Word::Block3::DayBeforeYield]; }

// The finished days of the current year from DayRun, the last two days of the
// old year (which DayRun no longer holds in the new one) from the store's
// yields of the day before yesterday and of yesterday, and today so far.
std::vector<DayYield> DayYieldsFromStore(const ControllerClock& clock, DayNumber today, int todayYield) {
  std::vector<DayYield> days;
  const DayNumber newYear = *DayNumberOf(clock.Year, 1, 1);
  for (int back = 2; back >= 1; --back)
    if (today - back < newYear) days.push_back({today - back, true, PastDayYield(back) * int64_t{100}});
  for (DayNumber day = newYear; day < today; ++day)
    days.push_back({day, true, DayRun(DayOfYear366(DateOf(day)) - 1) * int64_t{100}});
  days.push_back({today, false, todayYield * int64_t{10}});
  return days;
}

bool BeforeCommissioning(int year, int month) {
  const int m = Block3[Word::Block3::CommissioningMonth], y = 2000 + Block3[Word::Block3::CommissioningYear];
  return m >= 1 && m <= 12 && (year < y || (year == y && month < m));
}

// Every month slot up to the current one, dated back from the controller's
// month; the current month with today so far. Empty months before the
// commissioning are no part of the plant's history.
std::vector<MonthYield> MonthsFromStore(const ControllerClock& clock, int todayYield) {
  std::vector<MonthYield> months;
  const int current = MonthCounter();
  if (current == 0 || (current - 1) % 12 + 1 != clock.Month) return months;  // the counter does not fit the clock
  const int currentRow = (current - 1) / 12;
  for (int slot = 1; slot <= current; ++slot) {
    const int year = clock.Year + (slot - 1) / 12 - currentRow, month = (slot - 1) % 12 + 1;
    int64_t wh = MonthRun(slot) * int64_t{1000};
    if (slot == current) wh += todayYield * int64_t{10};
    if (wh == 0 && BeforeCommissioning(year, month)) continue;
    months.push_back({year, month, slot < current, wh});
  }
  return months;
}

int MeterCountOfStore() { return std::clamp<int>(Block3[Word::Block3::MeterCount], 1, 48); }

void AddMeters(const ExchangeRecord& record, PlantHistory& history) {
  for (int k = 1; k <= MeterCountOfStore(); ++k) {
    history.MeterDays.push_back({record.Today, k, false, MeterTodayYield(k) * int64_t{10}});
    history.MeterYears.push_back({record.Clock.Year, k, false, MeterYearYield(k) * int64_t{10}});
  }
}

}  // namespace

std::string StoreClockProblem() {
  const ControllerClock c = StoreClock();
  if (IsPossibleClock(c) || (Block2[Word::Block2::Month] == 0 && Block2[Word::Block2::Day] == 0)) return {};
  char text[160];
  std::snprintf(text, sizeof text,
                "die Uhr der Steuerung nennt kein mögliches Datum (Tag %d, Monat %d, Jahreswort %d, %02d:%02d)", c.Day,
                c.Month, c.Year - 1900, c.Hour, c.Minute);
  return text;
}

std::string ControllerIdentity() { return HasInternetId() ? std::string(FormatInternetId()) : std::string(); }

std::optional<ExchangeRecord> RecordFromStore(const std::string& plantName) {
  const std::optional<ControllerClock> clock = ClockFromStore();
  if (!clock) return std::nullopt;
  ExchangeRecord record;
  const std::string id = ControllerIdentity();
  record.PlantId = id.empty() ? plantName : id;
  record.Clock = *clock;
  record.Today = *DayNumberOf(clock->Year, clock->Month, clock->Day);
  record.ControllerType = ControllerType;
  record.PlantSize = Block3[Word::Block3::PlantSize];
  std::copy(std::begin(ControllerVersion), std::end(ControllerVersion), record.ControllerVersion.begin());
  const int todayYield = ComputeTodayYield();
  record.History.Curves = CurvesFromStore(record.Today);
  record.History.Days = DayYieldsFromStore(*clock, record.Today, todayYield);
  record.History.Months = MonthsFromStore(*clock, todayYield);
  AddMeters(record, record.History);
  return record;
}

}  // namespace Archive
