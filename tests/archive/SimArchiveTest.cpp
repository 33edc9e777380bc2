// The program's link against the simulator with its clock running fast across
// midnight, a month end, a year end and a leap day: the archive holds every
// day once, with the simulator's values.
#include <cmath>
#include <map>

#include "ArchiveTestSupport.h"
#include "archive/PlantArchive.h"

namespace {

using namespace ArchiveTest;
using Archive::DayNumber;

struct Crossing {
  const char* Name;
  Sim::CivilTime Start;
  Sim::CivilTime Last;
};
void PrintTo(const Crossing& c, std::ostream* os) { *os << c.Name; }

// 360 times as fast: an exchange every 5.6 controller hours, so that each day
// is seen running before and complete after its midnight.
constexpr double Speed = 360;

class CrossingTest : public ::testing::TestWithParam<Crossing> {
protected:
  void SetUp() override {
    ArchiveRun run(FastPlant(GetParam().Start, Speed));
    records = run.ExchangesUntil(GetParam().Last);
    ASSERT_GE(records.size(), 10u);
    Archive::PlantArchive archive(folder / "a.sqlite");
    for (const auto& record : records) {
      EXPECT_GT(archive.Write(record), 0) << Archive::ClockText(record.Clock);
      EXPECT_EQ(archive.Write(record), 0) << "the same exchange again changed rows";
    }
    // The simulator's plant (its physics is deterministic from the seed).
    plant = std::make_unique<ArchiveRun>(FastPlant(GetParam().Start, Speed));
  }

  DayNumber Day(const Sim::CivilTime& t) const { return *Archive::DayNumberOf(t.Year, t.Month, t.Day); }
  const Sim::DayProfile& SimDay(DayNumber day) { return plant->Physics().Day(day); }
  int64_t SimMonthWh(int year, int month) {
    int64_t wh = 0;
    for (DayNumber d = *Archive::DayNumberOf(year, month, 1); Archive::DateOf(d).Month == month; ++d)
      wh += SimDay(d).EnergyWh;
    return wh;
  }

  TempFolder folder;
  std::vector<Archive::ExchangeRecord> records;
  std::unique_ptr<ArchiveRun> plant;
};

TEST_P(CrossingTest, EveryDayOnceWithTheSimulatorsYield) {
  Archive::PlantArchive archive(folder / "a.sqlite");
  const DayNumber today = records.back().Today;
  const DayNumber newYear = *Archive::DayNumberOf(Archive::DateOf(records.front().Today).Year, 1, 1);
  const auto days = archive.DayYields(newYear - 400, today + 400);
  ASSERT_EQ(days.size(), static_cast<size_t>(today - newYear + 1)) << "one row for each day of the year so far";
  for (size_t i = 0; i < days.size(); ++i) {
    const DayNumber day = newYear + static_cast<int>(i);
    ASSERT_EQ(days[i].Day, day);
    EXPECT_EQ(days[i].Complete, day < today) << Archive::IsoDate(day);
    if (day < today) {
      EXPECT_EQ(days[i].EnergyWh, SimDay(day).EnergyWh / 100 * 100) << Archive::IsoDate(day);
    }
  }
  EXPECT_EQ(days.back().EnergyWh, records.back().History.Days.back().EnergyWh);
}

TEST_P(CrossingTest, QuarterHoursOfEveryDayTheRingsHeld) {
  Archive::PlantArchive archive(folder / "a.sqlite");
  const DayNumber first = records.front().Today - 2, today = records.back().Today;
  const Archive::DayCurve& lastView = records.back().History.Curves.back();
  const size_t todaySamples = lastView.Day == today ? lastView.Samples.size() : 0;
  const auto curves = archive.Curves(first - 10, today);
  ASSERT_EQ(curves.size(), static_cast<size_t>(today - first) + (todaySamples > 0));
  for (const Archive::DayCurve& curve : curves) {
    const auto& quarters = SimDay(curve.Day).Quarters;
    EXPECT_EQ(curve.Complete, curve.Day < today);
    const size_t expected = curve.Day < today ? 56 : todaySamples;
    ASSERT_EQ(curve.Samples.size(), expected) << Archive::IsoDate(curve.Day);
    for (size_t i = 0; i < curve.Samples.size(); ++i) {
      const Sim::QuarterSample& q = quarters[Archive::FirstSampleQuarter + i];
      ASSERT_EQ(curve.Samples[i].PowerW, std::lround(q.PowerWatts / 100.0) * 100)
          << Archive::IsoDate(curve.Day) << " " << i;
      ASSERT_EQ(curve.Samples[i].IrradianceWm2, q.Irradiance) << Archive::IsoDate(curve.Day) << " " << i;
    }
  }
}

TEST_P(CrossingTest, MonthsFromCommissioningWithTheRunningMonthToDate) {
  Archive::PlantArchive archive(folder / "a.sqlite");
  const auto months = archive.Months(2000, 2100);
  ASSERT_FALSE(months.empty());
  EXPECT_EQ(months.front().Year * 100 + months.front().Month, 201904)
      << "empty months before commissioning are left out";
  const auto last = Archive::DateOf(records.back().Today);
  EXPECT_EQ(months.back().Year * 100 + months.back().Month, last.Year * 100 + last.Month);
  for (const auto& m : months) {
    if (!m.Complete) continue;
    EXPECT_EQ(m.EnergyWh, SimMonthWh(m.Year, m.Month) / 1000 * 1000) << m.Year << "-" << m.Month;
  }
  EXPECT_FALSE(months.back().Complete);
  EXPECT_EQ(std::count_if(months.begin(), months.end(), [](const auto& m) { return !m.Complete; }), 1);
  // The commissioning year (from April) is over; the running one is not.
  const auto years = archive.Years();
  ASSERT_EQ(years.size(), static_cast<size_t>(last.Year - 2019 + 1));
  EXPECT_EQ(years.front().Year, 2019);
  EXPECT_TRUE(years.front().Complete);
  int64_t months2019 = 0;
  for (int m = 4; m <= 12; ++m) months2019 += SimMonthWh(2019, m) / 1000 * 1000;
  EXPECT_EQ(years.front().EnergyWh, months2019);
  EXPECT_FALSE(years.back().Complete);
}

// The store holds only today's meter yields: each day keeps the last view of it.
TEST_P(CrossingTest, MetersKeepEachDaysLastView) {
  Archive::PlantArchive archive(folder / "a.sqlite");
  std::map<DayNumber, std::vector<Archive::MeterDay>> lastView;
  std::map<int, std::vector<Archive::MeterYear>> lastYearView;
  for (const auto& r : records) {
    lastView[r.Today] = r.History.MeterDays;
    lastYearView[r.Clock.Year] = r.History.MeterYears;
  }
  const auto meterDays = archive.MeterDays(records.front().Today, records.back().Today);
  ASSERT_EQ(meterDays.size(), lastView.size() * 3);
  for (const auto& m : meterDays) {
    EXPECT_EQ(m.EnergyWh, lastView[m.Day].at(m.Meter - 1).EnergyWh);
    EXPECT_EQ(m.Complete, m.Day < records.back().Today);
  }
  const auto meterYears = archive.MeterYears(2000, 2100);
  ASSERT_EQ(meterYears.size(), lastYearView.size() * 3);
  for (const auto& m : meterYears) EXPECT_EQ(m.EnergyWh, lastYearView[m.Year].at(m.Meter - 1).EnergyWh);
}

INSTANTIATE_TEST_SUITE_P(
    Calendar, CrossingTest,
    ::testing::Values(Crossing{"LeapDayAndMonthEnd", {2024, 2, 27, 20, 0, 0}, {2024, 3, 2, 12, 0, 0}},
                      Crossing{"YearEnd", {2023, 12, 30, 20, 0, 0}, {2024, 1, 2, 0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
