// The archive's rules on hand-made exchanges: running rows follow each view
// until their period has passed, complete rows are final, an older exchange
// only fills gaps, another plant's data is refused.
#include "ArchiveTestSupport.h"
#include "archive/PlantArchive.h"

namespace {

using namespace ArchiveTest;
using namespace Archive;

DayNumber May(int day) { return *DayNumberOf(2024, 5, day); }

ExchangeRecord At(int day, int hour, const std::string& plant = "471108") {
  ExchangeRecord r;
  r.PlantId = plant;
  r.Clock = {2024, 5, day, hour, 0};
  r.Today = May(day);
  r.ControllerType = 24;
  return r;
}

DayCurve Curve(DayNumber day, bool complete, size_t samples, int power) {
  return {day, complete, std::vector<QuarterSample>(samples, QuarterSample{power, power / 10})};
}

// Today's views at noon and at two: everything running.
ExchangeRecord Noon(int hour, int64_t wh, size_t samples) {
  ExchangeRecord r = At(10, hour);
  r.History.Curves = {Curve(May(10), false, samples, 900)};
  r.History.Days = {{May(10), false, wh}};
  r.History.Months = {{2024, 5, false, 70000 + wh}};
  r.History.MeterDays = {{May(10), 1, false, wh / 2}};
  r.History.MeterYears = {{2024, 1, false, 900000 + wh}};
  return r;
}

// After midnight the controller reports the 10th complete.
ExchangeRecord NextMorning(int64_t wh, size_t samples, int power) {
  ExchangeRecord r = At(11, 1);
  r.History.Curves = {Curve(May(10), true, samples, power)};
  r.History.Days = {{May(10), true, wh}, {May(11), false, 0}};
  r.History.Months = {{2024, 5, false, 78100}};
  r.History.MeterDays = {{May(11), 1, false, 0}};
  return r;
}

class ArchiveRulesTest : public ::testing::Test {
protected:
  TempFolder folder;
  fs::path file = folder / "Anlage.sqlite";
};

TEST_F(ArchiveRulesTest, RunningRowsFollowEachViewAndAreFinalOnceComplete) {
  PlantArchive archive(file);
  archive.Write(Noon(12, 5000, 24));
  archive.Write(Noon(14, 8000, 32));
  EXPECT_EQ(archive.DayYields(May(10), May(10)).at(0).EnergyWh, 8000);
  EXPECT_EQ(archive.Curves(May(10), May(10)).at(0).Samples.size(), 32u);

  archive.Write(NextMorning(8100, 56, 1200));
  // A later, shorter view of the complete day (the controller's values cleared) changes nothing.
  EXPECT_EQ(archive.Write(NextMorning(0, 10, 0)), 0);
  const DayYield day = archive.DayYields(May(10), May(10)).at(0);
  EXPECT_TRUE(day.Complete);
  EXPECT_EQ(day.EnergyWh, 8100);
  const DayCurve curve = archive.Curves(May(10), May(10)).at(0);
  EXPECT_TRUE(curve.Complete);
  ASSERT_EQ(curve.Samples.size(), 56u);
  EXPECT_EQ(curve.Samples[40].PowerW, 1200);
  // The meter's day is closed with its last view once the date has moved on.
  const auto meters = archive.MeterDays(May(10), May(11));
  ASSERT_EQ(meters.size(), 2u);
  EXPECT_TRUE(meters[0].Complete);
  EXPECT_EQ(meters[0].EnergyWh, 4000);
  EXPECT_FALSE(meters[1].Complete);
  EXPECT_EQ(archive.Info().ControllerClock, "2024-05-11 01:00");
}

TEST_F(ArchiveRulesTest, AnOlderExchangeOnlyAddsCompletePeriodsTheArchiveLacks) {
  PlantArchive archive(file);
  archive.Write(NextMorning(8100, 56, 1200));
  const std::string before = Dump(file);
  EXPECT_EQ(archive.Write(Noon(14, 8000, 32)), 0);
  EXPECT_EQ(Dump(file), before);

  ExchangeRecord old = At(3, 9);
  old.History.Days = {{May(2), true, 7000}, {May(3), false, 100}};
  old.History.Months = {{2024, 4, true, 600000}, {2024, 5, false, 20000}};
  EXPECT_EQ(archive.Write(old), 2);
  EXPECT_EQ(archive.DayYields(May(2), May(3)).size(), 1u);
  EXPECT_EQ(archive.Months(2024, 2024).size(), 2u);
  EXPECT_EQ(archive.Months(2024, 2024).at(1).EnergyWh, 78100);
  EXPECT_EQ(archive.Info().ControllerClock, "2024-05-11 01:00");
}

TEST_F(ArchiveRulesTest, AnotherPlantsExchangeIsRefusedWithThePath) {
  {
    PlantArchive archive(file);
    archive.Write(Noon(12, 5000, 24));
  }
  const std::string before = Dump(file);
  PlantArchive archive(file);
  try {
    archive.Write(At(11, 8, "120304"));
    FAIL() << "another plant's exchange was taken";
  } catch (const EArchiveError& e) {
    EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("471108"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("120304"), std::string::npos) << e.what();
  }
  EXPECT_EQ(Dump(file), before);
  EXPECT_EQ(archive.Info().PlantId, "471108");
}

TEST_F(ArchiveRulesTest, FileIsWalVersionedAndMarkedAsAnArchive) {
  { PlantArchive archive(file); }
  EXPECT_EQ(Query(file, "PRAGMA journal_mode"), "wal\n");
  EXPECT_EQ(Query(file, "PRAGMA user_version"), "1\n");
  EXPECT_EQ(Query(file, "PRAGMA application_id"), std::to_string(0x50435A4E) + "\n");
  PlantArchive reopened(file);
  EXPECT_EQ(reopened.Info().PlantId, "");
  EXPECT_FALSE(reopened.DaySpan());
}

// A plant file holds no controller type or version: its zeros never replace
// what the controller reported.
TEST_F(ArchiveRulesTest, UnknownValuesNeverReplaceWhatTheControllerReported) {
  PlantArchive archive(file);
  ExchangeRecord live = Noon(12, 5000, 24);
  live.ControllerVersion = {1, 2, 3};
  live.PlantSize = 150;
  archive.Write(live);
  ExchangeRecord fromFile = Noon(14, 8000, 32);
  fromFile.ControllerType = 0;
  archive.Write(fromFile);
  const ArchiveInfo info = archive.Info();
  EXPECT_EQ(info.ControllerType, 24);
  EXPECT_EQ(info.ControllerVersion, "P010203");
  EXPECT_EQ(info.PlantSize, 150);
  EXPECT_EQ(info.ControllerClock, "2024-05-10 14:00");
}

}  // namespace
