// The archive against a controller clock that is wrong: a year ahead and then
// corrected, an impossible date, a clock text an older version stored from a
// broken clock, and records that claim periods after their own date.
#include "ArchiveTestSupport.h"
#include "archive/ArchiveWriter.h"
#include "archive/PlantArchive.h"
#include "archive/StoreRecord.h"

namespace {

using namespace ArchiveTest;
using namespace Archive;

DayNumber Date(int year, int month, int day) { return *DayNumberOf(year, month, day); }

ExchangeRecord At(const ControllerClock& clock) {
  ExchangeRecord r;
  r.PlantId = "471108";
  r.Clock = clock;
  r.Today = Date(clock.Year, clock.Month, clock.Day);
  return r;
}

// One exchange with the clock a year ahead: the plant's real June 2025 and
// July 2025 are dated June and July 2026 and closed, June 2027 runs.
ExchangeRecord YearAhead() {
  ExchangeRecord r = At({2027, 6, 21, 11, 40});
  r.History.Curves = {{r.Today, false, std::vector<QuarterSample>(23, {500, 50})}};
  r.History.Days = {{r.Today - 1, true, 14440}, {r.Today, false, 9000}};
  r.History.Months = {{2026, 6, true, 4168000}, {2026, 7, true, 4300000}, {2027, 6, false, 2784000}};
  r.History.MeterYears = {{2027, 1, false, 500000}};
  return r;
}

// The same plant after the user set the clock right.
ExchangeRecord Corrected() {
  ExchangeRecord r = At({2026, 6, 21, 11, 50});
  r.History.Curves = {{r.Today, false, std::vector<QuarterSample>(24, {510, 51})}};
  r.History.Days = {{r.Today - 1, true, 14440}, {r.Today, false, 9100}};
  r.History.Months = {{2026, 5, true, 3900000}, {2026, 6, false, 2784000}};
  r.History.MeterYears = {{2026, 1, false, 500000}};
  return r;
}

class WrongClockTest : public ::testing::Test {
protected:
  TempFolder folder;
  fs::path file = folder / "Anlage.sqlite";
};

TEST_F(WrongClockTest, AClockSetBackStartsANewNowAndReopensWhatTheWrongClockClosed) {
  PlantArchive archive(file);
  archive.Write(YearAhead(), RecordSource::Controller);
  archive.Write(Corrected(), RecordSource::Controller);
  EXPECT_EQ(archive.Info().ControllerClock, "2026-06-21 11:50");
  const auto months = archive.Months(2026, 2026);
  ASSERT_EQ(months.size(), 3u);
  EXPECT_EQ(months[1].Month, 6);
  EXPECT_EQ(months[1].EnergyWh, 2784000) << "June 2026 follows the live state";
  EXPECT_FALSE(months[1].Complete);
  EXPECT_FALSE(months[2].Complete) << "July 2026 closed before it happened";
  EXPECT_EQ(archive.Curves(Date(2026, 6, 21), Date(2026, 6, 21)).at(0).Samples.size(), 24u);
  EXPECT_EQ(Query(file, "SELECT count(*) FROM samples WHERE day > '2026-06-21' AND complete = 1"), "0\n");
  EXPECT_EQ(Query(file, "SELECT count(*) FROM day_yields WHERE day > '2026-06-21' AND complete = 1"), "0\n");
  // The next exchange of the corrected clock is archived as usual.
  ExchangeRecord later = Corrected();
  later.Clock.Minute = 59;
  later.History.Days.back().EnergyWh = 9500;
  archive.Write(later, RecordSource::Controller);
  EXPECT_EQ(archive.DayYields(Date(2026, 6, 21), Date(2026, 6, 21)).at(0).EnergyWh, 9500);
}

TEST_F(WrongClockTest, AnOlderPlantFileStillOnlyFillsGaps) {
  PlantArchive archive(file);
  archive.Write(YearAhead(), RecordSource::Controller);
  archive.Write(Corrected());
  EXPECT_EQ(archive.Info().ControllerClock, "2027-06-21 11:40");
  EXPECT_TRUE(archive.Months(2026, 2026).at(0).Complete);
}

TEST_F(WrongClockTest, ClocksAreComparedAsMomentsNotAsTexts) {
  {
    PlantArchive archive(file);
    archive.Write(Corrected());
  }
  // What an older version stored from a year word of 0xFFFF.
  Query(file, "UPDATE plant SET value = '67435-06-21 11:40' WHERE key = 'controller_clock'");
  PlantArchive archive(file);
  ExchangeRecord next = Corrected();
  next.Clock.Hour = 13;
  next.History.Days.back().EnergyWh = 12000;
  archive.Write(next);
  EXPECT_EQ(archive.Info().ControllerClock, "2026-06-21 13:50");
  EXPECT_EQ(archive.DayYields(next.Today, next.Today).at(0).EnergyWh, 12000);
}

TEST_F(WrongClockTest, NothingAfterARecordsOwnDateIsTakenNorItsOwnPeriodClosed) {
  ExchangeRecord r = Corrected();
  r.History.Days = {{r.Today, true, 9100}, {r.Today + 1, true, 7000}};
  r.History.Months = {{2026, 6, true, 2784000}, {2026, 7, true, 1}};
  r.History.MeterDays = {{r.Today + 3, 1, true, 5}};
  r.History.MeterYears = {{2026, 1, true, 500000}, {2027, 1, true, 1}};
  PlantArchive archive(file);
  archive.Write(r);
  EXPECT_EQ(Query(file, "SELECT day, complete FROM day_yields"), "2026-06-21|0\n");
  EXPECT_EQ(Query(file, "SELECT year, month, complete FROM months"), "2026|6|0\n");
  EXPECT_EQ(Query(file, "SELECT count(*) FROM meter_days"), "0\n");
  EXPECT_EQ(Query(file, "SELECT year, complete FROM meter_years"), "2026|0\n");
}

TEST_F(WrongClockTest, AnImpossibleDateIsRefused) {
  PlantArchive archive(file);
  ExchangeRecord r = Corrected();
  for (const ControllerClock& clock : {ControllerClock{67435, 6, 21, 11, 40}, ControllerClock{1999, 12, 31, 0, 0},
                                       ControllerClock{2100, 1, 1, 0, 0}, ControllerClock{2026, 6, 21, 24, 0}}) {
    r.Clock = clock;
    r.Today = DayNumberOf(clock.Year, clock.Month, clock.Day).value_or(0);
    EXPECT_THROW(archive.Write(r), EArchiveError) << ClockText(clock);
  }
  EXPECT_EQ(Dump(file), Dump(folder / "none.sqlite"));
}

// The store's clock as the controller sent it: year words outside the
// controller's calendar date nothing, and the writer says so once.
class StoreClockTest : public ::testing::Test {
protected:
  void SetUp() override {
    ClearPlantStore();
    Block2[13] = 21, Block2[14] = 6, Block2[15] = 126, Block2[16] = 11, Block2[17] = 40;
  }
};

TEST_F(StoreClockTest, YearWordsOutsideTheControllersCalendarDateNothing) {
  ASSERT_TRUE(RecordFromStore("x"));
  EXPECT_EQ(StoreClockProblem(), "");
  for (uint16_t year : {uint16_t{0xFFFF}, uint16_t{99}, uint16_t{200}, uint16_t{0}}) {
    Block2[15] = year;
    EXPECT_FALSE(RecordFromStore("x")) << year;
    EXPECT_NE(StoreClockProblem().find("Jahreswort " + std::to_string(year)), std::string::npos) << StoreClockProblem();
  }
  ClearPlantStore();
  EXPECT_EQ(StoreClockProblem(), "") << "no clock received yet is no problem to report";
}

TEST_F(StoreClockTest, TheWriterReportsABrokenClockOnceUntilItIsRight) {
  TempFolder folder;
  std::vector<std::string> reports;
  ArchiveWriter writer(folder / "a.sqlite", [&](const std::string& m) { reports.push_back(m); });
  Block2[15] = 0xFFFF;
  EXPECT_FALSE(writer.RecordStore("x"));
  EXPECT_FALSE(writer.RecordStore("x"));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("kein mögliches Datum"), std::string::npos) << reports[0];
  Block2[15] = 126;
  EXPECT_TRUE(writer.RecordStore("x"));
  Block2[14] = 13;
  EXPECT_FALSE(writer.RecordStore("x"));
  EXPECT_EQ(reports.size(), 2u) << "a clock broken again is reported again";
  EXPECT_EQ(PlantArchive(folder / "a.sqlite").Info().ControllerClock, "2026-06-21 11:40");
}

}  // namespace
