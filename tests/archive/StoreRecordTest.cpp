// The record of the store's data where the store cannot date everything, the
// plant's identity, and where each plant's archive lies.
#include <cstdlib>

#include "ArchiveTestSupport.h"
#include "archive/ArchiveLocation.h"
#include "archive/ArchiveWriter.h"
#include "archive/StoreRecord.h"

namespace {

using namespace ArchiveTest;
using namespace Archive;

class StoreRecordTest : public ::testing::Test {
protected:
  // 1 March 2024, 13:07, today in ring slot 1, March of plant year 5 (commissioned 2019).
  void SetUp() override {
    ClearPlantStore();
    Block2[13] = 1, Block2[14] = 3, Block2[15] = 124, Block2[16] = 13, Block2[17] = 7;
    Block2[24] = 24 + 12 * 5 + 3;
    Block3[24] = 1;
    Block3[35] = 4, Block3[36] = 19;
    for (int j = 0; j < RingLength; ++j) SetGroupBWord(62 + j, static_cast<uint16_t>(j / RingSlotSamples + 1));
  }
};

TEST_F(StoreRecordTest, NothingWithoutAControllerClockThatNamesAMoment) {
  EXPECT_TRUE(RecordFromStore("x"));
  Block2[13] = 30, Block2[14] = 2;
  EXPECT_FALSE(RecordFromStore("x")) << "30 February";
  Block2[13] = 1, Block2[16] = 24;
  EXPECT_FALSE(RecordFromStore("x"));
  ClearPlantStore();
  EXPECT_FALSE(RecordFromStore("x")) << "no data received yet";
}

TEST_F(StoreRecordTest, RingDaysFollowTheTodaySlotAcrossTheLeapDay) {
  const auto record = RecordFromStore("x");
  ASSERT_TRUE(record);
  const auto& curves = record->History.Curves;
  ASSERT_EQ(curves.size(), 3u);
  // Slot 1 holds today, slot 0 yesterday (29 February), slot 2 the day before.
  EXPECT_EQ(IsoDate(curves[0].Day), "2024-02-28");
  EXPECT_EQ(curves[0].Samples.at(0).PowerW, 300);
  EXPECT_EQ(IsoDate(curves[1].Day), "2024-02-29");
  EXPECT_EQ(curves[1].Samples.at(0).PowerW, 100);
  EXPECT_EQ(curves[2].Samples.size(), 29u) << "up to 13:07";
  EXPECT_FALSE(curves[2].Complete);
}

TEST_F(StoreRecordTest, WhatCannotBeDatedIsLeftOut) {
  Block3[24] = 3;
  Block2[24] = 24 + 12 * 5 + 4;  // April's slot while the clock says March
  const auto record = RecordFromStore("x");
  ASSERT_TRUE(record);
  EXPECT_TRUE(record->History.Curves.empty());
  EXPECT_TRUE(record->History.Months.empty());
  EXPECT_EQ(record->History.Days.size(), 61u) << "1 January to 1 March";
}

TEST_F(StoreRecordTest, PlantIsTheControllersIdentificationElseTheGivenName) {
  EXPECT_EQ(RecordFromStore("Dach Süd")->PlantId, "Dach Süd");
  Block2[60] = 4, Block2[62] = 12;
  EXPECT_EQ(RecordFromStore("Dach Süd")->PlantId, "041200");
}

TEST(ArchiveLocationTest, OneFilePerPlantInTheDataFolder) {
  const char* saved = std::getenv("XDG_DATA_HOME");
  const std::string keep = saved ? saved : "";
  setenv("XDG_DATA_HOME", "/srv/data", 1);
  EXPECT_EQ(DefaultArchiveFolder(), fs::path("/srv/data/PCZentrixNet"));
  setenv("XDG_DATA_HOME", "relative", 1);
  EXPECT_EQ(DefaultArchiveFolder(), fs::path(std::getenv("HOME")) / ".local/share/PCZentrixNet");
  saved ? setenv("XDG_DATA_HOME", keep.c_str(), 1) : unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(ArchiveFileFor("/a", "Süd 1/2").filename(), "Anlage-S%C3%BCd%201%2F2.sqlite");
  EXPECT_NE(ArchiveFileFor("/a", "a b"), ArchiveFileFor("/a", "a_b"));
}

TEST(ArchiveWriterTest, EachPlantGoesToItsOwnFile) {
  TempFolder folder;
  std::vector<std::string> reports;
  ArchiveWriter writer(
      {}, [&](const std::string& m) { reports.push_back(m); }, folder / "data");
  ExchangeRecord a;
  a.PlantId = "471108";
  a.Clock = {2024, 5, 1, 12, 0};
  a.Today = *DayNumberOf(2024, 5, 1);
  ExchangeRecord b = a;
  b.PlantId = "120304";
  EXPECT_TRUE(writer.Record(a));
  EXPECT_TRUE(writer.Record(b));
  EXPECT_TRUE(writer.Record(a));
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(writer.File(), folder / "data" / "Anlage-471108.sqlite");
  EXPECT_EQ(PlantArchive(folder / "data" / "Anlage-120304.sqlite").Info().PlantId, "120304");
}

}  // namespace
