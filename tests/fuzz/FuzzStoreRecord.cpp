// Fuzz target: a plant file's way into the archive. Arbitrary bytes are read
// into the store as a plant file; the record RecordFromStore makes of it must
// be dated by a possible clock and never claim a period after its own date
// (nor close its own day, month or year), its meters must be 1..48 and every
// value inside what the controller's words can hold; written into an archive
// (in memory) and read back, nothing of it may be refused as damaged.
#include <algorithm>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "archive/PlantArchive.h"
#include "archive/StoreRecord.h"
#include "store/PlantFile.h"
#include "store/PlantStore.h"

namespace {

using namespace Archive;

int64_t MonthIndex(int year, int month) { return int64_t{year} * 12 + month; }

void CheckDates(const ExchangeRecord& r) {
  FUZZ_CHECK(IsPossibleClock(r.Clock), "the record's clock names a possible moment");
  FUZZ_CHECK(DayNumberOf(r.Clock.Year, r.Clock.Month, r.Clock.Day) == r.Today, "today is the clock's date");
  const auto& h = r.History;
  for (const DayCurve& c : h.Curves) {
    FUZZ_CHECK(c.Day <= r.Today && c.Day >= r.Today - 2, "a curve is one of the ring's three days");
    FUZZ_CHECK(c.Complete == (c.Day < r.Today), "a curve is complete exactly when its day has passed");
    FUZZ_CHECK(c.Samples.size() <= size_t{SamplesPerDay}, "a curve has at most a day's samples");
  }
  for (const DayYield& d : h.Days) {
    FUZZ_CHECK(d.Day <= r.Today, "no day after the record's date");
    FUZZ_CHECK(d.Complete == (d.Day < r.Today), "a day is complete exactly when it has passed");
  }
  const int64_t current = MonthIndex(r.Clock.Year, r.Clock.Month);
  for (const MonthYield& m : h.Months) {
    FUZZ_CHECK(m.Month >= 1 && m.Month <= 12, "a month is 1..12");
    FUZZ_CHECK(MonthIndex(m.Year, m.Month) <= current, "no month after the record's month");
    FUZZ_CHECK(m.Complete == (MonthIndex(m.Year, m.Month) < current), "only passed months are complete");
  }
  for (const MeterDay& m : h.MeterDays)
    FUZZ_CHECK(m.Day == r.Today && !m.Complete && m.Meter >= 1 && m.Meter <= MeterCount, "a meter's running day");
  for (const MeterYear& m : h.MeterYears)
    FUZZ_CHECK(m.Year == r.Clock.Year && !m.Complete && m.Meter >= 1 && m.Meter <= MeterCount,
               "a meter's running year");
}

void CheckRanges(const PlantHistory& h) {
  for (const DayCurve& c : h.Curves)
    for (const QuarterSample& s : c.Samples)
      FUZZ_CHECK(s.PowerW >= 0 && s.PowerW <= MaxPowerW && s.IrradianceWm2 >= 0 && s.IrradianceWm2 <= MaxIrradianceWm2,
                 "a sample inside its words");
  for (const DayYield& d : h.Days) FUZZ_CHECK(d.EnergyWh >= 0 && d.EnergyWh <= MaxDayWh, "a day inside its words");
  for (const MonthYield& m : h.Months)
    FUZZ_CHECK(m.EnergyWh >= 0 && m.EnergyWh <= MaxMonthWh, "a month inside its words");
  for (const MeterDay& m : h.MeterDays)
    FUZZ_CHECK(m.EnergyWh >= 0 && m.EnergyWh <= MaxMeterDayWh, "a meter's day inside its word");
  for (const MeterYear& m : h.MeterYears)
    FUZZ_CHECK(m.EnergyWh >= 0 && m.EnergyWh <= MaxMeterYearWh, "a meter's year inside its words");
}

// Written and read back, the record's own days are all there and none is refused.
void CheckRoundTrip(const ExchangeRecord& r) {
  PlantArchive archive(":memory:");
  archive.Write(r, RecordSource::Controller);
  FUZZ_CHECK(archive.Info().ControllerClock == ClockText(r.Clock), "the archive's clock is the record's");
  const PlantHistory back = archive.History(r.Today - 400, r.Today);
  FUZZ_CHECK(back.Days.size() == r.History.Days.size(), "every day of the record is read back");
  FUZZ_CHECK(back.Curves.size() == r.History.Curves.size(), "every curve of the record is read back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ClearPlantStore();
  LoadPlantFileBytes(std::vector<uint8_t>(data, data + size));
  const auto record = RecordFromStore("fuzz");
  const bool noClock = Block2[Word::Block2::Month] == 0 && Block2[Word::Block2::Day] == 0;
  const std::string problem = StoreClockProblem();
  FUZZ_CHECK(record ? problem.empty() : (!problem.empty() || noClock),
             "a store without a record says why, unless it holds no clock at all");
  if (!record) return 0;
  CheckDates(*record);
  CheckRanges(record->History);
  CheckRoundTrip(*record);
  return 0;
}
