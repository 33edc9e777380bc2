#include <cstring>

#include "LinkTestSupport.h"

namespace {

TEST(PlantStoreLayout, RunsReadAcrossTableBorders) {
  ClearPlantStore();
  Block3[61] = 7;   // word before PowerRing[0]
  Block3[62] = 11;  // PowerRing[0]
  Block3[99] = 12;  // PowerRing[37]
  Block4[0] = 13;   // PowerRing[38]
  Block5[29] = 14;  // PowerRing[167]
  Block5[30] = 15;  // IrradianceRing[0]
  Block6[97] = 16;  // IrradianceRing[167]
  Block6[98] = 17;  // word after it
  EXPECT_EQ(PowerRing(-1), 7);
  EXPECT_EQ(PowerRing(0), 11);
  EXPECT_EQ(PowerRing(37), 12);
  EXPECT_EQ(PowerRing(38), 13);
  EXPECT_EQ(PowerRing(167), 14);
  EXPECT_EQ(PowerRing(168), 15);
  EXPECT_EQ(IrradianceRing(-1), 14);
  EXPECT_EQ(IrradianceRing(0), 15);
  EXPECT_EQ(IrradianceRing(167), 16);
  EXPECT_EQ(IrradianceRing(168), 17);

  Block7[0] = 21;
  Block10[99] = 22;
  EXPECT_EQ(DayRun(0), 21);
  EXPECT_EQ(DayRun(399), 22);
  Block15[99] = 31;
  Block16[0] = 32;
  Block18[99] = 33;
  EXPECT_EQ(MonthRun(99), 31);
  EXPECT_EQ(MonthRun(100), 32);
  EXPECT_EQ(MonthRun(399), 33);
}

TEST(PlantStoreLayout, AccessorsNeverLeaveTheirRun) {
  ClearPlantStore();
  Block10[99] = 5;
  std::memset(GroupB.Reserved, 0xAB, sizeof GroupB.Reserved);
  std::memset(GroupC.Reserved, 0xCD, sizeof GroupC.Reserved);
  EXPECT_EQ(DayRun(400), 0);
  EXPECT_EQ(DayRun(-1), 0);
  EXPECT_EQ(MonthRun(400), 0);
  EXPECT_EQ(MonthRun(-5), 0);
  EXPECT_EQ(MonthRun(65535), 0);
  EXPECT_EQ(PowerRing(100000), 0);
  EXPECT_EQ(PowerRing(-100000), 0);
  SetMonthRun(400, 9);
  SetDayRun(-1, 9);
  EXPECT_EQ(GroupC.Reserved[0], 0xCD);
  EXPECT_EQ(Block10[99], 5);
}

TEST(PlantStoreLayout, CheckedIndexesFromControllerData) {
  ClearPlantStore();
  Block2[14] = 13;
  Block2[13] = 5;
  EXPECT_EQ(ControllerMonth(), 0);
  EXPECT_EQ(TodayDayOfYear(), 0);
  Block2[14] = 3;
  EXPECT_EQ(TodayDayOfYear(), 65);  // 60 + 5, 29 February always counts
  Block2[14] = 12;
  Block2[13] = 31;
  EXPECT_EQ(TodayDayOfYear(), 366);
  Block2[24] = 262;
  EXPECT_EQ(MonthCounter(), 0);
  Block2[24] = 261;
  EXPECT_EQ(MonthCounter(), 261);
}

TEST(PlantStoreMeters, WordsOfEveryMeterRange) {
  ClearPlantStore();
  Block14[5] = 101;   // power of meter 1
  Block14[40] = 136;  // power of meter 36
  Block19[8] = 137;   // power of meter 37
  Block19[19] = 148;  // power of meter 48
  Block14[41] = 1;    // today of meter 1
  Block14[67] = 27;   // meter 27
  Block14[87] = 28;   // meter 28
  Block14[99] = 40;   // meter 40
  Block19[0] = 41;
  Block19[7] = 48;
  EXPECT_EQ(MeterPower(1), 101);
  EXPECT_EQ(MeterPower(36), 136);
  EXPECT_EQ(MeterPower(37), 137);
  EXPECT_EQ(MeterPower(48), 148);
  EXPECT_EQ(MeterPower(49), 0);
  EXPECT_EQ(MeterTodayYield(27), 27);
  EXPECT_EQ(MeterTodayYield(28), 28);
  EXPECT_EQ(MeterTodayYield(40), 40);
  EXPECT_EQ(MeterTodayYield(41), 41);
  EXPECT_EQ(ComputeTodayYield(), 1 + 27 + 28 + 40 + 41 + 48);
  EXPECT_EQ(TodayYield, 185);

  // Meter 1's yearly pair is MonthRun[262..263] = Block17[62..63]; meter 48's Block18[57].
  Block17[62] = 1;
  Block17[63] = 34464;
  Block18[56] = 2;
  Block18[57] = 3;
  EXPECT_EQ(MeterYearYield(1), 100000u);
  EXPECT_EQ(MeterYearYield(48), 2u * 65536u + 3u);
}

TEST(PlantStoreMeters, SettersWriteTheWordsTheReadersRead) {
  ClearPlantStore();
  for (int k = 1; k <= 48; ++k) {
    SetMeterPower(k, static_cast<uint16_t>(1000 + k));
    SetMeterTodayYield(k, static_cast<uint16_t>(2000 + k));
    SetMeterYearYield(k, 65536u * k + 3000u + k);
  }
  EXPECT_EQ(Block14[5], 1001);
  EXPECT_EQ(Block14[40], 1036);
  EXPECT_EQ(Block19[8], 1037);
  EXPECT_EQ(Block19[19], 1048);
  EXPECT_EQ(Block14[41], 2001);
  EXPECT_EQ(Block14[67], 2027);
  EXPECT_EQ(Block14[87], 2028);
  EXPECT_EQ(Block14[99], 2040);
  EXPECT_EQ(Block19[0], 2041);
  EXPECT_EQ(Block19[7], 2048);
  EXPECT_EQ(Block17[62], 1);
  EXPECT_EQ(Block17[63], 3001);
  EXPECT_EQ(Block18[57], 3048);
  // No two meters share a word.
  for (int k = 1; k <= 48; ++k) {
    EXPECT_EQ(MeterPower(k), 1000 + k) << k;
    EXPECT_EQ(MeterTodayYield(k), 2000 + k) << k;
    EXPECT_EQ(MeterYearYield(k), 65536u * k + 3000u + k) << k;
  }

  // Meters outside 1..48 write nothing.
  const TGroupA groupA = GroupA;
  const TGroupC groupC = GroupC;
  for (const int k : {0, 49, -1}) {
    SetMeterPower(k, 9);
    SetMeterTodayYield(k, 9);
    SetMeterYearYield(k, 9);
  }
  EXPECT_EQ(std::memcmp(&groupA, &GroupA, sizeof GroupA), 0);
  EXPECT_EQ(std::memcmp(&groupC, &GroupC, sizeof GroupC), 0);
}

TEST(PlantStoreLayout, RingSettersStayInsideTheirRing) {
  ClearPlantStore();
  SetPowerRing(0, 11);
  SetPowerRing(167, 12);
  SetIrradianceRing(0, 13);
  SetIrradianceRing(167, 14);
  EXPECT_EQ(Block3[62], 11);
  EXPECT_EQ(Block5[29], 12);
  EXPECT_EQ(Block5[30], 13);
  EXPECT_EQ(Block6[97], 14);
  SetPowerRing(-1, 9);
  SetPowerRing(168, 9);
  SetIrradianceRing(-1, 9);
  SetIrradianceRing(168, 9);
  EXPECT_EQ(Block3[61], 0);
  EXPECT_EQ(Block5[29], 12);
  EXPECT_EQ(Block5[30], 13);
  EXPECT_EQ(Block6[98], 0);
}

struct ScaleCase {
  uint16_t plantSize;
  uint32_t monthStep, day, month, year, balance;
  float power;
};

TEST(PlantStoreScales, RecomputeScales) {
  const ScaleCase cases[] = {
      {0, 10, 120, 1000, 1000, 40, 5.0f},
      {100, 1000, 12000, 2000, 12000, 120, 1000.0f},
      {304, 3000, 36000, 6000, 35000, 280, 3040.0f},
      {65535, 610000, 7320000, 1115000, 7537000, 52440, 655350.0f},
  };
  for (const auto& c : cases) {
    ClearPlantStore();
    Block3[38] = c.plantSize;
    Block3[36] = 7;
    RecomputeScales();
    EXPECT_EQ(MonthStep, c.monthStep) << c.plantSize;
    EXPECT_EQ(DayChartMax, c.day) << c.plantSize;
    EXPECT_EQ(MonthChartMax, c.month) << c.plantSize;
    EXPECT_EQ(YearChartMax, c.year) << c.plantSize;
    EXPECT_EQ(BalanceChartMax, c.balance) << c.plantSize;
    EXPECT_EQ(PowerScale, c.power) << c.plantSize;
    EXPECT_EQ(FirstYear, 2007);
  }
}

TEST(PlantStoreScales, ExactStepIsStillRaised) {
  ClearPlantStore();
  const struct {
    uint16_t plantSize;
    uint32_t step;
  } cases[] = {
      {10, 100},    // 1100 / 12 = 91 rounds up to 100
      {11, 200},    // 1210 / 12 = 100 exactly, still raised to 200
      {0, 10},      // 0 is raised to the first step
      {109, 1000},  // 11990 / 12 = 999
      {110, 2000},  // 12100 / 12 = 1008
  };
  for (const auto& c : cases) {
    Block3[38] = c.plantSize;
    RecomputeScales();
    EXPECT_EQ(MonthStep, c.step) << c.plantSize;
  }
}

TEST(PlantStoreScales, StartValues) {
  ClearPlantStore();
  EXPECT_EQ(DayChartMax, 10u);
  EXPECT_EQ(MonthChartMax, 100u);
  EXPECT_EQ(YearChartMax, 1000u);
  EXPECT_EQ(BalanceChartMax, 10u);
  EXPECT_EQ(PowerScale, 2.0f);
  EXPECT_EQ(FirstYear, 2000);
}

TEST(PlantStoreText, FormatDateAndTime) {
  ClearPlantStore();
  struct {
    uint16_t d, m, y;
    const char* text;
  } dates[] = {{5, 3, 107, "05/03/07"}, {25, 12, 115, "25/12/15"}, {5, 3, 7, "05/03/7"},
               {1, 1, 100, "01/01/00"}, {10, 10, 110, "10/10/10"}, {0, 0, 0, "00/00/0"}};
  for (const auto& c : dates) {
    Block2[13] = c.d;
    Block2[14] = c.m;
    Block2[15] = c.y;
    EXPECT_STREQ(FormatDate(), c.text);
  }
  struct {
    uint16_t h, m;
    const char* text;
  } times[] = {{0, 0, "00:00"}, {9, 5, "09:05"}, {13, 7, "13:07"}, {23, 59, "23:59"}, {10, 9, "10:09"}};
  for (const auto& c : times) {
    Block2[16] = c.h;
    Block2[17] = c.m;
    EXPECT_STREQ(FormatTime(), c.text);
  }
  // Words far out of range still fit the buffer.
  Block2[13] = Block2[14] = Block2[15] = 65535;
  EXPECT_STREQ(FormatDate(), "65535/65535/65435");
}

// A caller may hold the clock's time and date together, in either order, and
// format other texts meanwhile.
TEST(PlantStoreText, TimeAndDateKeepTheirTextsWhateverIsFormattedNext) {
  ClearPlantStore();
  Block2[Word::Block2::Day] = 21;
  Block2[Word::Block2::Month] = 6;
  Block2[Word::Block2::Year] = 123;
  Block2[Word::Block2::Hour] = 13;
  Block2[Word::Block2::Minute] = 5;
  const char* time = FormatTime();
  const char* date = FormatDate();
  FormatText("%s", "another text");
  FormatInternetId();
  EXPECT_STREQ(time, "13:05");
  EXPECT_STREQ(date, "21/06/23");
}

TEST(PlantStoreText, LongTextsFitTheBuffer) {
  const std::string line =
      Cp1252FromUtf8("Abweichung Z1/Z65535 evt.durch witterungsbedingte Einflüsse(trübe Tage,Schnee,Teilverschattung)");
  ASSERT_GT(line.size(), 60u);
  const char* text = FormatText(
      "Abweichung Z1/Z%d evt.durch witterungsbedingte Einfl\xFC"
      "sse(tr\xFC"
      "be Tage,Schnee,Teilverschattung)",
      65535);
  EXPECT_EQ(std::string(text), line);
}

TEST(Cp1252Text, GermanLettersAreOneByte) {
  EXPECT_EQ(Cp1252FromUtf8("Zähler"), "Z\xE4hler");
  EXPECT_EQ(Cp1252FromUtf8("ÄÖÜäöüß€"), "\xC4\xD6\xDC\xE4\xF6\xFC\xDF\x80");
  EXPECT_EQ(Cp1252FromUtf8("日"), "?");
  EXPECT_EQ(Utf8FromCp1252("M\xE4r \x80"), "Mär €");
  EXPECT_EQ(Cp1252FromUtf8(std::string("\xC3", 1)), "?");  // cut sequence
}

}  // namespace
