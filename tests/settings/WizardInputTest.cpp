#include <QToolButton>
#include <cstring>

#include "SettingsTestSupport.h"
#include "base/Exception.h"

namespace {

class WizardInputTest : public SettingsTest {
protected:
  // Types text on a whole-number page and presses its "Ok"; returns whether it
  // was accepted, and checks that a refusal changes nothing but the label.
  bool Accepts(int step, TEdit* edit, QPushButton* ok, const char* text, int slot, const int& setting) {
    for (int s = 1; s <= PendingSlots; ++s) PendingCommands[s] = 0;
    const int before = setting;
    Type(edit, text);
    ok->click();
    const bool error = !Form13->InputErrorOf(step)->isHidden();
    if (error) {
      EXPECT_TRUE(MarkedSlots().empty()) << text;
      EXPECT_EQ(setting, before) << text;
      EXPECT_EQ(Text(edit), text);
    } else {
      EXPECT_EQ(MarkedSlots(), std::vector<int>{slot}) << text;
    }
    return !error;
  }
};

TEST_F(WizardInputTest, MeterCountTakesOneToFortyEight) {
  TForm13& w = *Form13;
  EXPECT_TRUE(Accepts(1, w.Edit1, w.SpeedButton3, "48", SlotSetMeterCount, MeterCountSetting));
  EXPECT_EQ(MeterCountSetting, 48);
  EXPECT_TRUE(Accepts(1, w.Edit1, w.SpeedButton3, "1", SlotSetMeterCount, MeterCountSetting));
  EXPECT_EQ(MeterCountSetting, 1);
  for (const char* bad : {"49", "0", "00", "", "4a", " 4", "-1"})
    EXPECT_FALSE(Accepts(1, w.Edit1, w.SpeedButton3, bad, SlotSetMeterCount, MeterCountSetting)) << bad;
  // A good value after a refusal hides the label again.
  EXPECT_TRUE(Accepts(1, w.Edit1, w.SpeedButton3, "12", SlotSetMeterCount, MeterCountSetting));
}

TEST_F(WizardInputTest, SensitivityAndTariffRanges) {
  TForm13& w = *Form13;
  for (const char* good : {"10", "40", "25"})
    EXPECT_TRUE(Accepts(5, w.Edit4, w.SpeedButton7, good, SlotSetMonitorSensitivity, SensitivitySetting));
  EXPECT_EQ(SensitivitySetting, 25);
  for (const char* bad : {"9", "41", "5", ""})
    EXPECT_FALSE(Accepts(5, w.Edit4, w.SpeedButton7, bad, SlotSetMonitorSensitivity, SensitivitySetting));

  EXPECT_TRUE(Accepts(6, w.Edit3, w.SpeedButton6, "99", SlotSetTariff, TariffSetting));
  EXPECT_EQ(TariffSetting, 99);
  for (const char* bad : {"0", "", "150", "99999999999999999999"})
    EXPECT_FALSE(Accepts(6, w.Edit3, w.SpeedButton6, bad, SlotSetTariff, TariffSetting)) << bad;
}

TEST_F(WizardInputTest, PlantSizeInTenthsOfKwp) {
  TForm13& w = *Form13;
  const std::pair<const char*, int> accepted[] = {{"30.4", 304},  {"30", 300},       {"304", 3040}, {"3.04", 304},
                                                  {"1.2.3", 123}, {"6553.5", 65535}, {"0", 0}};
  for (const auto& [text, tenths] : accepted) {
    EXPECT_TRUE(Accepts(2, w.Edit2, w.SpeedButton5, text, SlotSetPlantSize, PlantSizeSetting)) << text;
    EXPECT_EQ(PlantSizeSetting, tenths) << text;
  }
  // No digit, a comma, and sizes the 16-bit command would cut are refused.
  for (const char* bad : {"3,0", "", ".", "..", "6553.6", "9999", "12a"})
    EXPECT_FALSE(Accepts(2, w.Edit2, w.SpeedButton5, bad, SlotSetPlantSize, PlantSizeSetting)) << bad;
}

TEST_F(WizardInputTest, SmsNumberKeepsDigitsAndDotsTheRest) {
  TForm13& w = *Form13;
  const std::pair<const char*, const char*> numbers[] = {
      {"", "............"},
      {"+49171", ".49171......"},
      {"0171 234", "0171.234...."},
      {"0171ä234", "0171.234...."},  // one character of the code page, one dot
      {"017112345678", "017112345678"}};
  for (const auto& [typed, stored] : numbers) {
    PendingCommands[SlotSetSmsNumber] = 0;
    Type(w.Edit7, typed);
    w.SpeedButton9->click();
    EXPECT_STREQ(SmsNumber, stored) << typed;
    EXPECT_EQ(MarkedSlots(), std::vector<int>{SlotSetSmsNumber});
  }
  w.SpeedButton8->click();
  EXPECT_EQ(Text(w.Edit7), "............");
}

class MonthTableTest : public WizardInputTest {
protected:
  void SetUp() override {
    WizardInputTest::SetUp();
    Block2[14] = 3;
    Block2[15] = 107;
    Block2[24] = 40;  // MonthOffset 13
    for (int i = 1; i <= 60; ++i) SetMonthRun(i, static_cast<uint16_t>(1000 + i));
    FillSettings();
  }
  bool ErrorShown() const { return !Form13->InputErrorOf(4)->isHidden(); }
};

TEST_F(MonthTableTest, ArrowsShowTheEntryOfEachMonth) {
  Form13->UpDown3->DownArrow()->click();
  EXPECT_EQ(Text(Form13->Edit8), "02/2007");
  EXPECT_EQ(Text(Form13->Edit9), "1039");
  Form13->UpDown3->SetPosition(12);
  Form13->UpDown3->UpArrow()->click();
  EXPECT_EQ(Text(Form13->Edit8), "02/2006");
  EXPECT_EQ(Text(Form13->Edit9), std::to_string(1000 + 1 + 13 + 13));
}

TEST_F(MonthTableTest, OkSendsTheEntryAtOnceWithItsCodeByte) {
  Type(Form13->Edit9, "1234");
  Form13->SpeedButton13->click();
  // code = position 26 + MonthOffset 13 = 0x27, value 1234 = 0x04D2
  EXPECT_EQ(port.TakeWritten(), WithChecksum({0xFE, 0x8F, 9, 5, 0x27, 0x04, 0xD2, 0, 0}));
  EXPECT_FALSE(ErrorShown());
  EXPECT_TRUE(MarkedSlots().empty());

  Form13->UpDown3->SetPosition(0);
  Type(Form13->Edit9, "65535");
  Form13->SpeedButton13->click();
  EXPECT_EQ(port.TakeWritten(), WithChecksum({0xFE, 0x8F, 9, 5, 13, 0xFF, 0xFF, 0, 0}));
}

// A port that fails every write, as a vanished adapter does.
class FailingPort : public MemoryPort {
public:
  int WriteBuf(const void*, int) override { throw Exception("Write error (5, Input/output error)"); }
};

// The month table writes at once; a failing port reaches the error display,
// and the click returns to the window normally.
TEST_F(MonthTableTest, AWriteErrorGoesToTheDisplay) {
  FailingPort failing;
  SetLinkPort(&failing);
  std::vector<std::string> shown;
  SetApplicationExceptionHandler([&](const std::exception& e) { shown.push_back(e.what()); });
  Type(Form13->Edit9, "1234");
  Form13->SpeedButton13->click();
  SetApplicationExceptionHandler(nullptr);
  SetLinkPort(&port);
  EXPECT_EQ(shown, std::vector<std::string>{"Write error (5, Input/output error)"});
}

TEST_F(MonthTableTest, EntriesThatCannotBeSentAreRefused) {
  Type(Form13->Edit9, "70000");  // would arrive as 70000 modulo 65536
  Form13->SpeedButton13->click();
  EXPECT_TRUE(port.TakeWritten().empty());
  EXPECT_TRUE(ErrorShown());

  Type(Form13->Edit9, "5");
  MonthOffset = 255 - 35;  // position 35 is the highest code a byte carries
  Form13->UpDown3->SetPosition(35);
  Form13->SpeedButton13->click();
  EXPECT_EQ(port.TakeWritten(), WithChecksum({0xFE, 0x8F, 9, 5, 0xFF, 0, 5, 0, 0}));
  EXPECT_FALSE(ErrorShown());
  MonthOffset = 256 - 35;  // code 256 would land on entry 0
  Form13->SpeedButton13->click();
  EXPECT_TRUE(port.TakeWritten().empty());
  EXPECT_TRUE(ErrorShown());

  Block2[24] = 0;  // no month counter yet: no entry at all
  FillSettings();
  EXPECT_EQ(Text(Form13->Edit9), "");
  Type(Form13->Edit9, "5");
  Form13->SpeedButton13->click();
  EXPECT_TRUE(port.TakeWritten().empty());
  EXPECT_TRUE(ErrorShown());
}

}  // namespace
