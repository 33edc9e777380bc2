#include <cstring>

#include "SimTestSupport.h"
#include "WordMap.h"

namespace {

using namespace SimTest;
namespace W = Sim::Words;

class TestControls : public CommandControls {
public:
  int PulsesPerKwhPosition() const override { return 250; }
  int DisplayOnHour() const override { return 6; }
  int DisplayOffHour() const override { return 21; }
  int LargeDisplayType() const override { return 2; }
  int CalibrationPosition() const override { return 777; }
  void RestartCountCleared() override {}
  void YearEnergyCleared() override {}
};

class CommandEffectsTest : public ::testing::Test {
protected:
  void SetUp() override {
    SetCommandControls(&controls);
    run.RunToRefresh();
    ASSERT_EQ(NoAnswerCount, 0);
  }
  // Runs cycles until every marked command went out, then on to the next refresh.
  void SendMarkedAndRefresh() {
    for (int cycle = 0; cycle < 4; ++cycle) {
      bool pending = false;
      for (int slot = 1; slot <= 28; ++slot) pending |= PendingCommands[slot] == 1;
      if (!pending) break;
      run.RunToCycleEnd();
      run.RunToRefresh();
    }
    run.RunToCycleEnd();
    run.RunToRefresh();
    ASSERT_EQ(NoAnswerCount, 0);
  }
  std::string Block17Text(int firstWord, int length) {
    std::string text;
    for (int i = 0; i < length / 2; ++i) {
      text += static_cast<char>(Block17[firstWord + i] >> 8);
      text += static_cast<char>(Block17[firstWord + i] & 0xFF);
    }
    return text;
  }

  TestControls controls;
  LinkAgainstSim run{Config()};
};

TEST_F(CommandEffectsTest, SettingsShowInTheNextBlocks) {
  MeterCountSetting = 12;
  PlantSizeSetting = 500;
  TariffSetting = 30;
  SensitivitySetting = 35;
  ConnectionModeSetting = 1;
  ModemTypeSetting = 0;
  CommissioningMonthSetting = 7;
  CommissioningYearSetting = 20;
  PendingCommands[SlotDialPrefixValue] = 1;
  FilterText(0,
             "Hallo & Gr\xFC\xDF"
             "e");
  FilterText(3, "Zeile 4");
  FilterSmsNumber("0171 234", SmsNumber);
  for (int slot : {1, 2, 3, 4, 5, 6, 11, 12, 15, 20, 21, 22, 23, 24, 25, 26, 27, 28}) MarkCommand(slot);
  ASSERT_NE(Block3[W::RestartCount], 0);
  SendMarkedAndRefresh();

  EXPECT_EQ(Block3[W::MeterCount], 12);
  EXPECT_EQ(Block3[W::PlantSize], 500);
  EXPECT_EQ(Block3[W::PulsesPerKwh], 2500);
  EXPECT_EQ(Block3[W::Tariff], 30);
  EXPECT_EQ(Block2[W::ConnectionMode], 1);
  EXPECT_EQ(Block3[W::RestartCount], 0);
  EXPECT_EQ(Block2[W::ModemType], 0);
  EXPECT_EQ(Block3[W::CommissioningMonth], 7);
  EXPECT_EQ(Block3[W::CommissioningYear], 20);
  EXPECT_EQ(Block3[W::DialPrefix], 1);
  EXPECT_EQ(Block3[W::DisplayOnHour], 6);
  EXPECT_EQ(Block3[W::DisplayOffHour], 21);
  EXPECT_EQ(Block3[W::LargeDisplayType], 2);
  EXPECT_EQ(Block3[W::Calibration], 777);
  EXPECT_EQ(Block3[W::Sensitivity], 35);
  EXPECT_EQ(Block17Text(W::SmsNumberText, 12), "0171.234....");
  EXPECT_EQ(Block17Text(W::StartScreenText, 20), "Hallo & Gr\xFC e       ");
  EXPECT_EQ(Block17Text(W::StartScreenText + 30, 20), "Zeile 4             ");
  // Commissioned in 2020 the month table shifts: June 2023 is month 6 of plant year 3.
  EXPECT_EQ(MonthCounter(), 24 + 12 * 3 + 6);
  // Meters 4..12 are configured but not installed: no power, and the monitoring names meter 4.
  EXPECT_EQ(MeterPower(4), 0);
  EXPECT_GT(MeterPower(3), 0);
  EXPECT_EQ(Block14[W::FaultReport], 4);
  // The log carries each command as its exact frame.
  EXPECT_NE(run.LogText().find(" PC>SIM FE 8F 09 01 25 00 0C 00 C8  SetMeterCount 12\n"), std::string::npos);
  EXPECT_NE(run.LogText().find("SetSmsNumber \"0171.234....\""), std::string::npos);
}

TEST_F(CommandEffectsTest, MonthTableEntriesLandInTheirSlots) {
  MonthOffset = Block2[24] - Block2[14] - 24;
  const int current = 24 + Block2[14] - 1;  // this year's current month
  SetMonthTableEntry(current, 1234);
  SetMonthTableEntry(12, 777);  // January of last year
  run.Pump();
  SendMarkedAndRefresh();
  EXPECT_EQ(MonthRun(MonthCounter()), 1234);
  EXPECT_EQ(MonthRun(1 + 12 + MonthOffset), 777);
}

TEST_F(CommandEffectsTest, ClearCommandsEmptyWhatTheyName) {
  ASSERT_GT(DayRun(0), 0);
  ASSERT_GT(Block3[W::YieldYesterday], 0);
  ASSERT_GT(MeterYearYield(1), 100000u);  // over 1000 kWh since January
  MarkCommand(SlotClearDailyValues);
  MarkCommand(SlotClearYearEnergy);
  SendMarkedAndRefresh();
  for (int i = 0; i < 366; ++i) ASSERT_EQ(DayRun(i), 0) << "day " << i + 1;
  EXPECT_EQ(Block3[W::YieldYesterday], 0);
  EXPECT_EQ(Block3[W::YieldDayBefore], 0);
  // What the meters made in the minute since the clear, under 1 kWh each.
  EXPECT_LT(MeterYearYield(1), 100u);
  EXPECT_GT(MeterYearYield(1), 0u);
  // The month table keeps its history.
  EXPECT_GT(MonthRun(MonthCounter() - 1), 0);
}

TEST_F(CommandEffectsTest, ActionsShowInTheNextBlocks) {
  MarkCommand(SlotOutputTestOn);
  MarkCommand(SlotSendServiceNumber);
  MarkCommand(SlotStartLearningPhase);
  SendMarkedAndRefresh();
  EXPECT_EQ(Block2[W::OutputTest], 1);
  EXPECT_EQ(Block17Text(W::SmsNumberText, 12), ServiceNumber);
  EXPECT_EQ(Block3[W::MonitoringOn], 0);  // learning for an hour

  MarkCommand(SlotOutputTestOff);
  MarkCommand(SlotSetDateTime);  // the controller takes the host's clock: 2 January 2024, 03:04
  SendMarkedAndRefresh();
  EXPECT_EQ(Block2[W::OutputTest], 0);
  EXPECT_EQ(Block2[W::Day], 2);
  EXPECT_EQ(Block2[W::Month], 1);
  EXPECT_EQ(Block2[W::Year], 124);
  EXPECT_EQ(Block2[W::Hour], 3);
  EXPECT_EQ(MonthCounter(), 24 + 12 * 5 + 1);  // plant year 5 since 2019
}

TEST(CommandRefusalTest, ValuesTheControllerCannotHoldAreIgnoredAndLogged) {
  Sim::ManualClock clock(0);
  std::ostringstream log;
  Sim::Simulator sim(Config(), clock, &log);
  auto command = [&](Bytes frame) {
    frame.back() = FrameFormat::Checksum(frame.data(), frame.size());
    sim.Receive(frame);
  };
  command({0xFE, 0x8F, 9, 1, 0x25, 0, 49, 0, 0});       // 49 meters
  command({0xFE, 0x8F, 9, 1, 0x23, 0, 13, 0, 0});       // month 13
  command({0xFE, 0x8F, 9, 5, 0xF0, 0x01, 0x00, 0, 0});  // slot 241: the meters' yearly yields
  command({0xFE, 0x8F, 9, 1, 0x99, 0, 1, 0, 0});        // no such setting
  const Sim::BlockSet b = sim.Model().Render(clock.MonotonicMs());
  EXPECT_EQ(b.Table(3)[W::MeterCount], 3);
  EXPECT_EQ(b.Table(3)[W::CommissioningMonth], 4);
  EXPECT_NE(log.str().find("SetMeterCount 49 [ignored: 49 is not in 1..48]"), std::string::npos);
  EXPECT_NE(log.str().find("SetCommissioningMonth 13 [ignored"), std::string::npos);
  EXPECT_NE(log.str().find("SetMonthTableEntry 240 256 [ignored: month slot 241 is outside the month table]"),
            std::string::npos);
  EXPECT_NE(log.str().find("UnknownCommand [ignored: unknown command]"), std::string::npos);
}

}  // namespace
