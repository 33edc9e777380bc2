#include <cmath>
#include <cstring>

#include "PlantPhysics.h"
#include "SimTestSupport.h"
#include "WordMap.h"

namespace {

using namespace SimTest;
namespace W = Sim::Words;

Sim::BlockSet RenderAt(Sim::ClockSeconds moment, Sim::SimConfig config = Config()) {
  config.Plant.Start = moment;
  Sim::ManualClock clock(0);
  Sim::PlantModel model(config.Plant, clock);
  return model.Render(0);
}

int64_t TodayWords(Sim::BlockSet& b, int meters) {
  int64_t sum = 0;
  for (int k = 1; k <= meters; ++k)
    sum += k <= 27 ? b.Table(14)[40 + k] : k <= 40 ? b.Table(14)[59 + k] : b.Table(19)[k - 41];
  return sum;
}

TEST(PlantModelTest, SameSeedAndStartGiveTheSameBlocks) {
  const Sim::ClockSeconds t = Moment(2023, 6, 21, 13, 0);
  Sim::SimConfig other = Config();
  other.Plant.Seed = 8;
  const Sim::BlockSet a = RenderAt(t), b = RenderAt(t), c = RenderAt(t, other);
  for (int type : {2, 3, 7, 14, 15}) EXPECT_EQ(a.Table(type), b.Table(type)) << "block " << type;
  EXPECT_NE(a.Table(7), c.Table(7));
}

TEST(PlantModelTest, NightShowsNoPowerAndNoonDoes) {
  Sim::BlockSet night = RenderAt(Moment(2023, 6, 21, 2, 30));
  for (int k = 1; k <= 3; ++k) EXPECT_EQ(night.Table(14)[4 + k], 0);
  EXPECT_EQ(night.Table(14)[W::IrradiationToday], 0);
  for (int i = 0; i < 56; ++i) EXPECT_EQ(night.PowerRing(56 * night.Table(3)[W::TodaySlot] + i), 0);

  Sim::BlockSet noon = RenderAt(Moment(2023, 6, 21, 13, 30));
  int power = 0;
  for (int k = 1; k <= 3; ++k) power += noon.Table(14)[4 + k];
  EXPECT_GT(power, 20);   // over 2 kW on a 30.4 kWp plant even under clouds
  EXPECT_LE(power, 304);  // never above the plant size
  EXPECT_GE(noon.Table(2)[W::MaxPower], power);
  const int slot = noon.Table(3)[W::TodaySlot];
  EXPECT_GT(noon.IrradianceRing(56 * slot + 30), 0);  // 13:30
  EXPECT_LE(noon.IrradianceRing(56 * slot + 30), 1200);
  EXPECT_EQ(noon.IrradianceRing(56 * slot + 31), 0);  // 13:45 has not come yet
  const int temp = noon.Table(14)[W::ModuleTemp];
  EXPECT_GT(temp, 20 + 15);
  EXPECT_LT(temp, 20 + 75);
}

// A German plant: about 950 kWh per kWp a year, six in the best summer days, little in winter.
TEST(PlantModelTest, YieldsArePlausibleForTheSeasons) {
  Sim::PhysicalPlant plant;
  plant.PeakWatts = 1000;
  plant.Seed = 7;
  Sim::PlantPhysics physics(plant);
  double year = 0, june = 0, december = 0, best = 0;
  for (int64_t d = Sim::DayNumber(2022, 1, 1); d < Sim::DayNumber(2023, 1, 1); ++d) {
    const double kwh = physics.Day(d).EnergyWh / 1000.0;
    year += kwh;
    best = std::max(best, kwh);
    const int month = Sim::DateOfDayNumber(d).Month;
    if (month == 6) june += kwh;
    if (month == 12) december += kwh;
  }
  EXPECT_GT(year, 820);
  EXPECT_LT(year, 1080);
  EXPECT_GT(best, 5.5);
  EXPECT_LT(best, 7.5);
  EXPECT_GT(june / 30, 3.5);
  EXPECT_LT(december / 31, 1.0);
}

TEST(PlantModelTest, CloudyDaysDipAndClearDaysDoNot) {
  Sim::PhysicalPlant plant;
  plant.Seed = 7;
  Sim::PlantPhysics physics(plant);
  Sim::Weather weather(7);
  int dipping = 0, clearWithDips = 0;
  for (int64_t d = Sim::DayNumber(2023, 6, 1); d < Sim::DayNumber(2023, 7, 1); ++d) {
    const auto& q = physics.Day(d).Quarters;
    bool dip = false;
    for (int i = 40; i < 64; ++i)  // 10:00 .. 16:00
      dip |= q[i].PowerWatts < 0.7 * std::min(q[i - 1].PowerWatts, q[i + 1].PowerWatts) ||
             q[i].PowerWatts < 0.7 * std::max(q[i - 1].PowerWatts, q[i + 1].PowerWatts);
    const Sim::Sky sky = weather.Day(d).Kind;
    dipping += dip && sky == Sim::Sky::Mixed;
    clearWithDips += dip && sky == Sim::Sky::Clear;
  }
  EXPECT_GT(dipping, 3);
  EXPECT_EQ(clearWithDips, 0);
}

// The words that several views read together agree with each other.
TEST(PlantModelTest, DayRunMonthTableAndMeterYieldsAgree) {
  Sim::BlockSet b = RenderAt(Moment(2023, 6, 21, 15, 0));
  const int counter = b.Table(2)[W::MonthCounter];
  ASSERT_EQ(counter, 24 + 12 * 4 + 6);
  // This month so far (days 1..20) from the day run, in 0.1 kWh, against the month word in kWh.
  int64_t juneTenths = 0;
  for (int day = 1; day <= 20; ++day) juneTenths += b.DayRun(152 + day - 1);
  EXPECT_NEAR(b.MonthRun(counter), juneTenths / 10.0, 3);
  EXPECT_EQ(b.Table(3)[W::YieldYesterday], b.DayRun(152 + 20 - 1));
  EXPECT_EQ(b.Table(3)[W::YieldDayBefore], b.DayRun(152 + 19 - 1));
  // The meters' yearly yields add up to this year's months and today.
  int64_t yearKwh = 0;
  for (int i = counter - 5; i <= counter; ++i) yearKwh += b.MonthRun(i);
  int64_t meterHundredths = 0;
  for (int k = 1; k <= 3; ++k) meterHundredths += int64_t{b.MonthRun(260 + 2 * k)} << 16 | b.MonthRun(261 + 2 * k);
  const int64_t today = TodayWords(b, 3);
  EXPECT_NEAR(meterHundredths / 100.0, yearKwh + today / 100.0, 8);
  // No month before commissioning (April 2019) and none after June 2023.
  EXPECT_EQ(b.MonthRun(24 + 3), 0);
  EXPECT_GT(b.MonthRun(24 + 4), 0);
  EXPECT_EQ(b.MonthRun(counter + 1), 0);
  // Days after today hold last year's values.
  EXPECT_GT(b.DayRun(200), 0);
}

TEST(PlantModelTest, MidnightMovesTheDayOn) {
  Sim::BlockSet before = RenderAt(Moment(2023, 6, 30, 23, 59));
  Sim::BlockSet after = RenderAt(Moment(2023, 7, 1, 0, 1));
  EXPECT_NEAR(after.Table(3)[W::YieldYesterday], TodayWords(before, 3) / 10.0, 1);
  EXPECT_EQ(after.Table(3)[W::YieldDayBefore], before.Table(3)[W::YieldYesterday]);
  EXPECT_EQ(after.Table(3)[W::TodaySlot], (before.Table(3)[W::TodaySlot] + 1) % 3);
  EXPECT_EQ(after.Table(2)[W::MonthCounter], before.Table(2)[W::MonthCounter] + 1);
  EXPECT_EQ(TodayWords(after, 3), 0);
  EXPECT_NEAR(after.MonthRun(before.Table(2)[W::MonthCounter]),
              before.MonthRun(before.Table(2)[W::MonthCounter]) + TodayWords(before, 3) / 100.0, 1);
}

TEST(PlantModelTest, NewYearStartsTheMetersYearlyYieldsAfresh) {
  Sim::BlockSet b = RenderAt(Moment(2024, 1, 1, 0, 5));
  for (int k = 1; k <= 3; ++k) EXPECT_EQ(b.MonthRun(261 + 2 * k), 0);
  EXPECT_EQ(b.Table(3)[W::IrradiationYear], 0);
  EXPECT_EQ(b.Table(2)[W::MonthCounter], 24 + 12 * 5 + 1);
}

TEST(PlantModelTest, MonitoringNamesTheDeviatingMeter) {
  const Sim::ClockSeconds noon = Moment(2023, 6, 21, 15, 0);
  for (auto [fault, report] : {std::pair{0, 0}, std::pair{2, 2}, std::pair{1, 33}}) {
    Sim::SimConfig config = Config();
    config.Plant.FaultMeter = fault;
    EXPECT_EQ(RenderAt(noon, config).Table(14)[W::FaultReport], report) << "fault meter " << fault;
  }
  Sim::BlockSet dawn = [&] {
    Sim::SimConfig config = Config();
    config.Plant.FaultMeter = 2;
    return RenderAt(Moment(2023, 6, 21, 5, 0), config);
  }();
  EXPECT_EQ(dawn.Table(14)[W::FaultReport], 0);  // too little light to judge
}

TEST(PlantModelTest, PlantFileHasTheStoreLayout) {
  LinkAgainstSim run(Config());
  run.RunToRefresh();
  const Bytes file = run.sim.ExchangeBlocks().PlantFile();
  ASSERT_EQ(file.size(), 3220u);
  // The PC store holds the same tables; a plant file is its three groups as they lie in memory.
  Bytes store(3220);
  std::memcpy(store.data(), &GroupB, 1620);
  std::memcpy(store.data() + 1620, &GroupA, 600);
  std::memcpy(store.data() + 2220, &GroupC, 1000);
  EXPECT_EQ(file, store);
}

}  // namespace
