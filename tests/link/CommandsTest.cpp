#include <cstring>

#include "LinkTestSupport.h"

namespace {

// Control positions as a settings window would report them.
class FakeControls : public CommandControls {
public:
  int PulsesPerKwhPosition() const override { return pulses; }
  int DisplayOnHour() const override { return 6; }
  int DisplayOffHour() const override { return 22; }
  int LargeDisplayType() const override { return 2; }
  int CalibrationPosition() const override { return 655; }
  void RestartCountCleared() override { ++restartCleared; }
  void YearEnergyCleared() override { ++yearCleared; }
  int pulses = 10000;
  int restartCleared = 0;
  int yearCleared = 0;
};

class CommandsTest : public LinkTest {
protected:
  Bytes Build(int slot) {
    port.TakeWritten();
    EXPECT_TRUE(BuildCommand(slot)) << slot;
    return port.TakeWritten();
  }
};

TEST_F(CommandsTest, WorkedExamples) {
  PlantSizeSetting = 1234;
  EXPECT_EQ(Build(SlotSetPlantSize), (Bytes{0xFE, 0x8F, 0x09, 0x01, 0x26, 0x04, 0xD2, 0x00, 0x93}));
  FakeControls controls;
  SetCommandControls(&controls);
  const Bytes pulses = Build(SlotSetPulsesPerKwh);  // 100000 modulo 65536 = 0x86A0
  EXPECT_EQ(pulses, WithChecksum({0xFE, 0x8F, 9, 1, 0x27, 0x86, 0xA0, 0, 0}));
}

TEST_F(CommandsTest, EveryValueCommandHasItsCodeAndShape) {
  FakeControls controls;
  SetCommandControls(&controls);
  MeterCountSetting = 48;
  TariffSetting = 57;
  ConnectionModeSetting = 1;
  ModemTypeSetting = 1;
  SensitivitySetting = 40;
  CommissioningMonthSetting = 4;
  CommissioningYearSetting = 9;
  PendingCommands[SlotDialPrefixValue] = 1;
  const struct {
    int slot;
    Bytes body;
  } words[] = {
      {SlotSetMeterCount, {1, 0x25, 0, 48}},         {SlotSetTariff, {1, 0x0D, 0, 57}},
      {SlotSetConnectionMode, {1, 0x0A, 0, 1}},      {SlotClearRestartCount, {1, 0x04, 0, 0}},
      {SlotSetModemType, {1, 0x14, 0, 1}},           {SlotSetCommissioningMonth, {1, 0x23, 0, 4}},
      {SlotSetCommissioningYear, {1, 0x24, 0, 9}},   {SlotSetDialPrefix, {1, 0x2A, 0, 1}},
      {SlotSetDisplayOnHour, {1, 0x2B, 0, 6}},       {SlotSetDisplayOffHour, {1, 0x2C, 0, 22}},
      {SlotSetLargeDisplayType, {1, 0x07, 0, 2}},    {SlotSetCalibration, {1, 0x2E, 0x02, 0x8F}},
      {SlotSetMonitorSensitivity, {1, 0x30, 0, 40}},
  };
  for (const auto& w : words) {
    Bytes frame = {0xFE, 0x8F, 9};
    frame.insert(frame.end(), w.body.begin(), w.body.end());
    frame.push_back(0);
    frame.push_back(0);
    EXPECT_EQ(Build(w.slot), WithChecksum(frame)) << "slot " << w.slot;
  }
  EXPECT_EQ(controls.restartCleared, 1);

  const struct {
    int slot;
    Bytes frame;
  } actions[] = {
      {SlotSetDateTime, {0xFE, 0x8F, 7, 2, 0x06, 0, 0}},     {SlotStartLearningPhase, {0xFE, 0x8F, 7, 2, 0x03, 0, 0}},
      {SlotClearYearEnergy, {0xFE, 0x8F, 7, 2, 0x02, 0, 0}}, {SlotClearDailyValues, {0xFE, 0x8F, 7, 2, 0x01, 0, 0}},
      {SlotOutputTestOn, {0xFE, 0x8F, 8, 2, 0x00, 1, 0, 0}}, {SlotOutputTestOff, {0xFE, 0x8F, 8, 2, 0x00, 0, 0, 0}},
  };
  for (const auto& a : actions) EXPECT_EQ(Build(a.slot), WithChecksum(a.frame)) << "slot " << a.slot;
  EXPECT_EQ(controls.yearCleared, 1);
}

TEST_F(CommandsTest, SlotsWithoutCommandSendNothing) {
  for (int slot : {0, 8, 29, 30, -1}) {
    EXPECT_FALSE(BuildCommand(slot));
  }
  EXPECT_TRUE(port.Written().empty());
}

TEST_F(CommandsTest, StartPositionsBeforeControlsAttach) {
  EXPECT_EQ(Build(SlotSetCommissioningMonth), WithChecksum({0xFE, 0x8F, 9, 1, 0x23, 0, 1, 0, 0}));
  EXPECT_EQ(Build(SlotSetCommissioningYear), WithChecksum({0xFE, 0x8F, 9, 1, 0x24, 0, 6, 0, 0}));
  EXPECT_EQ(Build(SlotSetPulsesPerKwh), WithChecksum({0xFE, 0x8F, 9, 1, 0x27, 0, 100, 0, 0}));
}

TEST_F(CommandsTest, StartScreenLinesAreFilteredAndPadded) {
  // 13 allowed characters with an ampersand and an ä go out unchanged, then 7 spaces.
  FilterText(0,
             "Sonne&Str\xE4"
             "ke1");
  EXPECT_STREQ(StartScreenLines[0],
               "Sonne&Str\xE4"
               "ke1       ");
  // ß is not kept: a five-letter word with ß, then 15 spaces.
  FilterText(1,
             "Gro\xDF"
             "e");
  EXPECT_STREQ(StartScreenLines[1], "Gro e               ");
  // Other signs and control bytes become spaces; kept signs stay.
  FilterText(2, "a$b\tc-&+*()%!,#.{|}~;@_");
  EXPECT_STREQ(StartScreenLines[2], "a b c-&+*()%!,#.    ");
  FilterText(2, "\"'/;@_`");  // 0x3A..0x40 and 0x5B..0x60 are kept, the signs below 0x30 mostly not
  EXPECT_STREQ(StartScreenLines[2], "   ;@_`             ");
  FilterText(3, "");
  EXPECT_STREQ(StartScreenLines[3], "                    ");
  // A text longer than the field is cut to 20 characters.
  FilterText(3, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  EXPECT_STREQ(StartScreenLines[3], "ABCDEFGHIJKLMNOPQRST");

  std::memset(TxFrame, 0xEE, sizeof TxFrame);  // bytes the line frame leaves must not leak
  port.TakeWritten();
  BuildCommand(SlotSetStartScreenLine1 + 1);
  Bytes expected = {0xFE, 0x8F, 28, 3, 1};
  for (char c : std::string("Gro e               ")) expected.push_back(static_cast<uint8_t>(c));
  expected.insert(expected.end(), {0, 0, 0});
  EXPECT_EQ(port.TakeWritten(), WithChecksum(expected));
}

TEST_F(CommandsTest, SmsNumberFilterAndFrame) {
  char number[13];
  FilterSmsNumber("0171 23", number);
  EXPECT_STREQ(number, "0171.23.....");
  FilterSmsNumber("", number);
  EXPECT_STREQ(number, "............");
  FilterSmsNumber("+49171", number);
  EXPECT_STREQ(number, ".49171......");
  FilterSmsNumber("01711234567890", number);
  EXPECT_STREQ(number, "017112345678");
  FilterSmsNumber(
      "0171\xE4"
      "5",
      number);
  EXPECT_STREQ(number, "0171.5......");

  std::memcpy(SmsNumber, "0171.23.....", 13);
  std::memset(TxFrame, 0xEE, sizeof TxFrame);
  const Bytes frame = Build(SlotSetSmsNumber);
  Bytes expected = {0xFE, 0x8F, 30, 4};
  for (char c : std::string("0171.23.....")) expected.push_back(static_cast<uint8_t>(c));
  expected.insert(expected.end(), 14, 0);
  EXPECT_EQ(frame, WithChecksum(expected));
}

TEST_F(CommandsTest, ServiceNumberReplacesTheSmsNumber) {
  std::memcpy(SmsNumber, "0171.23.....", 13);
  const Bytes frame = Build(SlotSendServiceNumber);
  EXPECT_STREQ(SmsNumber, ServiceNumber);
  EXPECT_EQ(std::strlen(ServiceNumber), 12u);
  for (int i = 0; i < 12; ++i) {
    EXPECT_TRUE(ServiceNumber[i] >= '0' && ServiceNumber[i] <= '9');
    EXPECT_EQ(frame[4 + i], ServiceNumber[i]);
  }
}

TEST_F(CommandsTest, MonthTableEntryGoesOutAtOnce) {
  MonthOffset = 13;  // Block2[24] - Block2[14] - 24 for a counter of 42 in May
  SetMonthTableEntry(28, ParseMonthTableValue("1234"));
  EXPECT_EQ(port.TakeWritten(), WithChecksum({0xFE, 0x8F, 9, 5, 41, 0x04, 0xD2, 0, 0}));
  MonthOffset = 250;
  SetMonthTableEntry(35, 70000);  // code wraps modulo 256, value keeps its low 16 bits
  EXPECT_EQ(port.TakeWritten(), WithChecksum({0xFE, 0x8F, 9, 5, 29, 0x11, 0x70, 0, 0}));

  EXPECT_EQ(ParseMonthTableValue("99999"), 99999u);
  EXPECT_EQ(ParseMonthTableValue("12a4"), 12u);
  EXPECT_EQ(ParseMonthTableValue(""), 0u);
  EXPECT_EQ(ParseMonthTableValue("  42"), 42u);
  EXPECT_EQ(ParseMonthTableValue("1234567"), 12345u);
}

TEST_F(CommandsTest, MarkingTwiceSendsOnce) {
  TariffSetting = 10;
  MarkCommand(SlotSetTariff);
  MarkCommand(SlotSetTariff);
  PollTick = 43;
  RxActivity = 3;
  EXPECT_EQ(PollingTick().CommandSent, SlotSetTariff);
  RxActivity = 3;
  EXPECT_EQ(PollingTick().CommandSent, 0);
}

}  // namespace
