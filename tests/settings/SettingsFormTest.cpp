#include <QCheckBox>
#include <QComboBox>

#include "SettingsTestSupport.h"

namespace {

using SettingsFormTest = SettingsTest;

std::vector<bool> CheckStates() {
  const QCheckBox* boxes[] = {Form7->CheckBox1, Form7->CheckBox2,  Form7->CheckBox3, Form7->CheckBox4,
                              Form7->CheckBox5, Form7->CheckBox6,  Form7->CheckBox7, Form7->CheckBox8,
                              Form7->CheckBox9, Form7->CheckBox10, Form7->CheckBox11};
  std::vector<bool> states;
  for (const QCheckBox* box : boxes) states.push_back(box->isChecked());
  return states;
}

TEST_F(SettingsFormTest, RefreshTickWritesTheLinkStateIntoTheForm) {
  Block2[11] = 0x105;  // Adr.1, Adr.3 and ER2
  Block3[42] = 1;
  Block14[80] = 1;
  Block3[32] = 1;
  Block14[75] = 5;
  NoAnswerCount = 0;
  PollTick = 41;
  Form7->ShowLinkState(PollingTick());
  EXPECT_EQ(CheckStates(), (std::vector<bool>{true, false, true, false, false, false, false, false, true, true, true}));
  EXPECT_EQ(Text(Form7->Edit4), "    vorhanden");
  EXPECT_EQ(Form7->Edit6->text(), QString::fromUtf8("Zähler 1 oder Zähler 5"));

  Form7->ShowLinkState(PollingTick());  // tick 42: no refresh, nothing changes
  EXPECT_TRUE(CheckStates()[0]);
  Block2[11] = 0;
  NoAnswerCount = 3;
  PollTick = 41;
  Form7->ShowLinkState(PollingTick());
  EXPECT_FALSE(CheckStates()[0]);
  EXPECT_EQ(Text(Form7->Edit4), "    unterbrochen!");
  EXPECT_EQ(Form7->Edit6->text(), QString::fromUtf8("Zähler 1 oder Zähler 5"));
}

TEST_F(SettingsFormTest, GroupsSendTheFormsPositions) {
  Block3[38] = 304;
  Block3[39] = 12345;
  Block3[43] = 6;
  Block3[7] = 3;
  FillSettings();
  Form7->SpeedButton2->click();   // plant size: prepared from the position now
  Form7->SpeedButton3->click();   // pulses: read when the frame is built
  Form7->SpeedButton10->click();  // display hours and type
  Form7->UpDown6->Click(TUpDown::Button::Up);
  EXPECT_EQ(Text(Form7->Edit11), "30.5");
  EXPECT_EQ(CommandTick(43), WithChecksum({0xFE, 0x8F, 9, 1, 0x26, 0x01, 0x30, 0, 0}));  // 304
  Form7->UpDown3->Click(TUpDown::Button::Up);
  EXPECT_EQ(CommandTick(44), WithChecksum({0xFE, 0x8F, 9, 1, 0x27, 0x30, 0x34, 0, 0}));  // 12340
  EXPECT_EQ(CommandTick(45), WithChecksum({0xFE, 0x8F, 9, 1, 0x2B, 0, 7, 0, 0}));
  CommandTick(46);
  EXPECT_EQ(CommandTick(47), WithChecksum({0xFE, 0x8F, 9, 1, 0x07, 0, 3, 0, 0}));
}

TEST_F(SettingsFormTest, StartScreenLinesAreFilteredAsCodePageText) {
  Type(Form7->Edit22, "Müller & Söhne");  // 14 characters, all kept
  Type(Form7->Edit23, "Straße");          // ß becomes a space
  Form7->SpeedButton12->click();
  Bytes line(28, 0);
  const char first[] = "M\xFCller & S\xF6hne      ";
  line[0] = 0xFE;
  line[1] = 0x8F;
  line[2] = 28;
  line[3] = 3;
  line[4] = 0;
  for (int i = 0; i < 20; ++i) line[5 + i] = static_cast<uint8_t>(first[i]);
  EXPECT_EQ(CommandTick(43), WithChecksum(line));
  EXPECT_STREQ(StartScreenLines[1], "Stra e              ");
  EXPECT_EQ(MarkedSlots(), (std::vector<int>{13, 14, 15}));
}

TEST_F(SettingsFormTest, OutputTestGoesOutOnceAndAtOnce) {
  Form7->SpeedButton13->click();
  EXPECT_EQ(port.TakeWritten(), WithChecksum({0xFE, 0x8F, 8, 2, 0x00, 1, 0, 0}));
  Form7->SpeedButton14->click();
  EXPECT_EQ(port.TakeWritten(), WithChecksum({0xFE, 0x8F, 8, 2, 0x00, 0, 0, 0}));
  EXPECT_TRUE(CommandTick(43).empty());
}

TEST_F(SettingsFormTest, YearEnergyConfirmationPanelLastsUntilTheCommandIsSent) {
  Form7->SpeedButton15->click();
  EXPECT_FALSE(Form7->Panel1->isHidden());
  Form7->SpeedButton17->click();  // "Nein"
  EXPECT_TRUE(Form7->Panel1->isHidden());
  EXPECT_TRUE(MarkedSlots().empty());
  Form7->SpeedButton15->click();
  Form7->SpeedButton16->click();  // "Ja"
  EXPECT_FALSE(Form7->Panel1->isHidden());
  EXPECT_EQ(CommandTick(43), WithChecksum({0xFE, 0x8F, 7, 2, 0x02, 0, 0}));
  EXPECT_TRUE(Form7->Panel1->isHidden());
}

}  // namespace
