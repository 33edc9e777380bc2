// A wizard action ends as its exact command frame on the line at the next
// command tick of the polling cycle.
#include "SettingsTestSupport.h"

namespace {

using WizardLinkTest = SettingsTest;

TEST_F(WizardLinkTest, NothingLeavesBeforeTheCommandTick) {
  Type(Form13->Edit2, "123.4");
  Form13->SpeedButton5->click();
  EXPECT_TRUE(port.TakeWritten().empty());
  PollTick = 30;
  PollingTick();
  EXPECT_TRUE(port.TakeWritten().empty());
  EXPECT_EQ(CommandTick(43), (Bytes{0xFE, 0x8F, 0x09, 0x01, 0x26, 0x04, 0xD2, 0x00, 0x93}));
  EXPECT_TRUE(CommandTick(44).empty());  // sent once
}

TEST_F(WizardLinkTest, WholeNumberPagesGoOutOnePerTickInSlotOrder) {
  Type(Form13->Edit4, "35");
  Form13->SpeedButton7->click();
  Type(Form13->Edit3, "47");
  Form13->SpeedButton6->click();
  Type(Form13->Edit1, "48");
  Form13->SpeedButton3->click();
  EXPECT_EQ(CommandTick(43), WithChecksum({0xFE, 0x8F, 9, 1, 0x25, 0, 48, 0, 0}));
  EXPECT_EQ(CommandTick(44), WithChecksum({0xFE, 0x8F, 9, 1, 0x0D, 0, 47, 0, 0}));
  EXPECT_EQ(CommandTick(45), WithChecksum({0xFE, 0x8F, 9, 1, 0x30, 0, 35, 0, 0}));
}

TEST_F(WizardLinkTest, CommissioningSendsTheStoredDateUntilTheArrowsMove) {
  Block3[35] = 5;
  Block3[36] = 9;
  FillSettings();
  Form13->SpeedButton4->click();
  EXPECT_EQ(CommandTick(43), WithChecksum({0xFE, 0x8F, 9, 1, 0x23, 0, 5, 0, 0}));
  EXPECT_EQ(CommandTick(44), WithChecksum({0xFE, 0x8F, 9, 1, 0x24, 0, 9, 0, 0}));

  Form13->UpDown1->Click(TUpDown::Button::Up);
  Form13->UpDown2->Click(TUpDown::Button::Down);
  EXPECT_EQ(Text(Form13->Edit5) + "/" + Text(Form13->Edit6), "6/2008");
  Form13->SpeedButton4->click();
  EXPECT_EQ(CommandTick(43), WithChecksum({0xFE, 0x8F, 9, 1, 0x23, 0, 6, 0, 0}));
  EXPECT_EQ(CommandTick(44), WithChecksum({0xFE, 0x8F, 9, 1, 0x24, 0, 8, 0, 0}));
}

// What "Ok" confirmed goes out, even when the wizard is filled again (going
// round to page 0, or opening it anew) or the arrows move before the command
// ticks.
TEST_F(WizardLinkTest, CommissioningSendsTheDateConfirmedWithOk) {
  Block3[35] = 6;
  Block3[36] = 24;
  Form13->ShowStep();
  WizardStep = 3;
  Form13->ShowStep();
  Form13->UpDown1->Click(TUpDown::Button::Up);
  Form13->UpDown2->Click(TUpDown::Button::Up);
  EXPECT_EQ(Text(Form13->Edit5) + "/" + Text(Form13->Edit6), "7/2025");
  Form13->SpeedButton4->click();
  EXPECT_EQ(MarkedSlots(), (std::vector<int>{SlotSetCommissioningMonth, SlotSetCommissioningYear}));

  while (WizardStep != 0) Form13->SpeedButton1->click();  // round to page 0, which fills the wizard
  EXPECT_EQ(Form13->UpDown1->Position(), 6);
  EXPECT_EQ(Form13->UpDown2->Position(), 24);
  Form13->UpDown1->Click(TUpDown::Button::Down);
  EXPECT_EQ(MarkedSlots(), (std::vector<int>{SlotSetCommissioningMonth, SlotSetCommissioningYear}));
  EXPECT_EQ(CommandTick(43), WithChecksum({0xFE, 0x8F, 9, 1, 0x23, 0, 7, 0, 0}));
  EXPECT_EQ(CommandTick(44), WithChecksum({0xFE, 0x8F, 9, 1, 0x24, 0, 25, 0, 0}));
  EXPECT_TRUE(MarkedSlots().empty());
}

// A stored date the arrows cannot reach (a fresh store, a plant from 2004):
// the fields show what "Ok" sends.
TEST_F(WizardLinkTest, CommissioningShowsWhatItSendsForADateOutOfRange) {
  Block3[35] = 0;
  Block3[36] = 4;
  FillSettings();
  EXPECT_EQ(Text(Form13->Edit5) + "/" + Text(Form13->Edit6), "1/2006");
  EXPECT_EQ(Text(Form7->Edit9) + "/" + Text(Form7->Edit10), "1/2004");
  Form13->SpeedButton4->click();
  EXPECT_EQ(CommandTick(43), WithChecksum({0xFE, 0x8F, 9, 1, 0x23, 0, 1, 0, 0}));
  EXPECT_EQ(CommandTick(44), WithChecksum({0xFE, 0x8F, 9, 1, 0x24, 0, 6, 0, 0}));
}

TEST_F(WizardLinkTest, FactoryResetSendsThreeCommandsOnePerTick) {
  Form13->SpeedButton14->click();
  Form13->SpeedButton15->click();
  // While waiting for the controller a command goes out before the connection request.
  Bytes first = WithChecksum({0xFE, 0x8F, 7, 2, 0x06, 0, 0});
  first.insert(first.end(), {0xFF, 0xF8, 8, 0x15, 0, 0, 0, 0x14});
  EXPECT_EQ(CommandTick(60), first);
  EXPECT_EQ(CommandTick(43), WithChecksum({0xFE, 0x8F, 7, 2, 0x03, 0, 0}));
  EXPECT_EQ(CommandTick(44), NumberFrame(ServiceNumber));
  EXPECT_TRUE(CommandTick(45).empty());
}

// The user's number and the factory settings confirmed in the same cycle: the
// reset goes out first, then the user's settings, the typed number included.
TEST_F(WizardLinkTest, SmsNumberConfirmedWithAFactoryResetReachesTheController) {
  Type(Form13->Edit7, "0171 234567");
  Form13->SpeedButton9->click();
  Type(Form13->Edit1, "9");
  Form13->SpeedButton3->click();
  Form13->SpeedButton14->click();
  Form13->SpeedButton15->click();
  EXPECT_EQ(CommandTick(43), WithChecksum({0xFE, 0x8F, 7, 2, 0x06, 0, 0}));
  EXPECT_EQ(CommandTick(44), WithChecksum({0xFE, 0x8F, 7, 2, 0x03, 0, 0}));
  EXPECT_EQ(CommandTick(45), NumberFrame(ServiceNumber));
  EXPECT_EQ(CommandTick(46), WithChecksum({0xFE, 0x8F, 9, 1, 0x25, 0, 9, 0, 0}));
  EXPECT_EQ(CommandTick(47), NumberFrame("0171.234567."));
  EXPECT_TRUE(CommandTick(48).empty());
}

TEST_F(WizardLinkTest, ModemWithoutPrefixSendsModeTypeAndPrefix) {
  WizardStep = 12;
  Form13->ShowStep();
  Form13->SpeedButton17->click();
  Form13->SpeedButton22->click();
  Form13->SpeedButton20->click();
  EXPECT_EQ(CommandTick(43), WithChecksum({0xFE, 0x8F, 9, 1, 0x0A, 0, 1, 0, 0}));
  EXPECT_EQ(CommandTick(44), WithChecksum({0xFE, 0x8F, 9, 1, 0x14, 0, 0, 0, 0}));
  EXPECT_EQ(CommandTick(45), WithChecksum({0xFE, 0x8F, 9, 1, 0x2A, 0, 0, 0, 0}));

  Form13->SpeedButton17->click();
  Form13->SpeedButton21->click();
  Form13->SpeedButton19->click();
  CommandTick(43);
  EXPECT_EQ(CommandTick(44), WithChecksum({0xFE, 0x8F, 9, 1, 0x14, 0, 1, 0, 0}));
  EXPECT_EQ(CommandTick(45), WithChecksum({0xFE, 0x8F, 9, 1, 0x2A, 0, 1, 0, 0}));
}

TEST_F(WizardLinkTest, SmsNumberFrameKeepsThePositions) {
  Type(Form13->Edit7, "0171ä234");
  Form13->SpeedButton9->click();
  EXPECT_EQ(CommandTick(43), NumberFrame("0171.234...."));
}

TEST_F(WizardLinkTest, YesPagesSendTheirActions) {
  Form13->SpeedButton11->click();
  Form13->SpeedButton2->click();
  Form13->SpeedButton10->click();
  Form7->Edit17->setText("17");
  EXPECT_EQ(CommandTick(43), WithChecksum({0xFE, 0x8F, 9, 1, 0x04, 0, 0, 0, 0}));
  EXPECT_EQ(Text(Form7->Edit17), "0");  // the settings form shows the cleared counter
  EXPECT_EQ(CommandTick(44), WithChecksum({0xFE, 0x8F, 7, 2, 0x02, 0, 0}));
  EXPECT_EQ(CommandTick(45), WithChecksum({0xFE, 0x8F, 7, 2, 0x01, 0, 0}));
}

}  // namespace
