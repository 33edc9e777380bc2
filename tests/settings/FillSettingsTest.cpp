#include <QCheckBox>
#include <QComboBox>

#include "SettingsTestSupport.h"

namespace {

class FillSettingsTest : public SettingsTest {
protected:
  // A controller on 5 March 2007, 14:07, in the 16th month of its records.
  void StorePlant() {
    Block2[13] = 5;
    Block2[14] = 3;
    Block2[15] = 107;
    Block2[16] = 14;
    Block2[17] = 7;
    Block2[24] = 40;
    Block3[4] = 17;      // restarts
    Block3[7] = 2;       // large display type
    Block3[9] = 8;       // display cycle
    Block3[13] = 45;     // tariff
    Block3[35] = 5;      // commissioning month
    Block3[36] = 9;      // commissioning year
    Block3[37] = 12;     // meters
    Block3[38] = 304;    // plant size, 30.4 kWp
    Block3[39] = 12345;  // pulses per kWh
    Block3[43] = 6;      // display on
    Block3[44] = 22;     // display off
    Block3[46] = 655;    // calibration
    Block3[48] = 25;     // sensitivity
    ControllerVersion[0] = 1;
    ControllerVersion[1] = 2;
    ControllerVersion[2] = 13;
    for (int i = 1; i <= 60; ++i) SetMonthRun(i, static_cast<uint16_t>(1000 + i));
  }
};

TEST_F(FillSettingsTest, WritesTheSettingsForm) {
  StorePlant();
  Form7->SetPortName("COM 3");
  Form7->Panel1->show();
  FillSettings();
  TForm7& f = *Form7;
  EXPECT_TRUE(f.Panel1->isHidden());
  EXPECT_EQ(Text(f.Edit13), "P010213");
  EXPECT_EQ(Text(f.Edit16), "12345");
  EXPECT_EQ(f.UpDown8->Position(), 1234);
  EXPECT_EQ(Text(f.Edit26) + ":" + Text(f.Edit27) + " " + Text(f.Edit28) + "." + Text(f.Edit29), "14:7 5.3");
  EXPECT_EQ(Text(f.Edit30), "2007");
  EXPECT_EQ(f.UpDown21->Position(), 7);
  EXPECT_EQ(f.ComboBox1->currentText(), "Brandmaier ");
  EXPECT_EQ(f.UpDown6->Position(), 304);
  EXPECT_EQ(Text(f.Edit19), "65.5");
  EXPECT_EQ(f.CalibrationPosition(), 655);
  EXPECT_EQ(Text(f.Edit3), "COM 3");
  EXPECT_EQ(f.UpDown1->Position(), 12);
  EXPECT_EQ(f.UpDown15->Position(), 5);
  EXPECT_EQ(f.UpDown16->Position(), 9);
}

TEST_F(FillSettingsTest, WritesTheWizardAndPositionsItsCommissioningUpDowns) {
  StorePlant();
  FillSettings();
  TForm13& w = *Form13;
  EXPECT_EQ(Text(w.Edit1), "12");
  EXPECT_EQ(Text(w.Edit2), "30.4");
  EXPECT_EQ(Text(w.Edit3), "45");
  EXPECT_EQ(Text(w.Edit4), "25");
  EXPECT_EQ(Text(w.Edit5), "5");
  EXPECT_EQ(Text(w.Edit6), "2009");
  EXPECT_EQ(w.UpDown1->Position(), 5);
  EXPECT_EQ(w.UpDown2->Position(), 9);
}

TEST_F(FillSettingsTest, MonthTableOpensOnTheCurrentMonth) {
  StorePlant();
  FillSettings();
  EXPECT_EQ(MonthOffset, 40 - 3 - 24);
  EXPECT_EQ(Form13->UpDown3->Position(), 26);  // March of this year
  EXPECT_EQ(Text(Form13->Edit8), "03/2007");
  EXPECT_EQ(Text(Form13->Edit9), "1040");  // MonthRun[Block2[24]]

  Block2[14] = 12;
  Block2[24] = 49;
  FillSettings();
  EXPECT_EQ(Form13->UpDown3->Position(), 35);
  EXPECT_EQ(Text(Form13->Edit8), "12/2007");
  EXPECT_EQ(Text(Form13->Edit9), "1049");

  Block2[14] = 1;
  Block2[24] = 38;
  FillSettings();
  EXPECT_EQ(Form13->UpDown3->Position(), 24);
  EXPECT_EQ(Text(Form13->Edit8), "01/2007");
  EXPECT_EQ(Text(Form13->Edit9), "1038");
}

TEST_F(FillSettingsTest, ShowMonthEntryNamesTheYearOfEachThird) {
  Block2[15] = 107;
  const std::pair<int, const char*> months[] = {{0, "01/2005"}, {23, "12/2006"}, {24, "01/2007"}};
  for (const auto& [p, text] : months) {
    ShowMonthEntry(p, 77);
    EXPECT_EQ(Text(Form13->Edit8), text) << p;
    EXPECT_EQ(Text(Form13->Edit9), "77");
  }
}

TEST_F(FillSettingsTest, StoredSmsNumberAndLongValuesAreShownWhole) {
  const char number[] = "0171.234....";
  for (int i = 0; i < 6; ++i)
    Block17[i] =
        static_cast<uint16_t>(static_cast<uint8_t>(number[2 * i]) << 8 | static_cast<uint8_t>(number[2 * i + 1]));
  Block3[13] = 150;  // a tariff longer than the wizard's two-digit field
  FillSettings();
  EXPECT_EQ(Text(Form13->Edit7), "0171.234....");
  EXPECT_EQ(Text(Form13->Edit3), "150");

  Block17[2] = 0x3300;  // the number ends at a zero byte
  FillSettings();
  EXPECT_EQ(Text(Form13->Edit7), "01713");
}

TEST_F(FillSettingsTest, EmptyStoreShowsNoMonthEntry) {
  FillSettings();  // no date yet: the current month names no entry
  EXPECT_EQ(MonthOffset, -24);
  EXPECT_EQ(Text(Form13->Edit9), "");
  EXPECT_EQ(Form13->UpDown1->Position(), 1);  // clamped into 1..12
  EXPECT_EQ(Form13->UpDown2->Position(), 6);  // clamped into 6..30
}

}  // namespace
