#include "LinkTestSupport.h"

namespace {

class PollingCycleTest : public LinkTest {
protected:
  // Answers the connection request with "ready" and runs the tick that follows.
  void Connect() {
    Receive(Response(20, {0}));
    PollingTick();
    ASSERT_EQ(PollTick, 0);
  }
  // Runs ticks until PollTick (after the tick) equals target, keeping bytes flowing.
  void TickUntil(int target) {
    for (int guard = 0; guard < 100 && PollTick != target; ++guard) {
      RxActivity = 3;
      last = PollingTick();
    }
    ASSERT_EQ(PollTick, target);
  }
  TickActions last;
};

TEST_F(PollingCycleTest, WaitsAtSixtyWithAConnectRequestEachTick) {
  for (int i = 0; i < 3; ++i) {
    const TickActions a = PollingTick();
    EXPECT_EQ(PollTick, 60);
    EXPECT_EQ(a.StatusText, "  60  Verbindungsaufbau zwischen PC und ZentrixNet");
    EXPECT_EQ(port.TakeWritten(), ConnectRequestBytes);
  }
  Receive(Response(20, {1}));  // not ready yet
  PollingTick();
  EXPECT_EQ(PollTick, 60);
}

TEST_F(PollingCycleTest, WholeCycleWithStatusTexts) {
  Connect();
  EXPECT_TRUE(port.TakeWritten().empty());
  std::vector<std::optional<std::string>> texts;
  for (int tick = 1; tick <= 23; ++tick) {
    RxActivity = 3;
    texts.push_back(PollingTick().StatusText);
    EXPECT_EQ(PollTick, tick);
  }
  EXPECT_EQ(texts[0], "  01  Datenaustausch zwischen Zentrix und Zentrix Net");
  EXPECT_EQ(texts[21], "  22  Datenaustausch zwischen Zentrix und Zentrix Net");
  EXPECT_FALSE(texts[22].has_value());      // at 23 the line stays
  EXPECT_TRUE(port.TakeWritten().empty());  // nothing is sent while waiting

  // Tick at 23 -> 24: no exchange yet; the request goes out at the tick that begins at 24.
  RxActivity = 3;
  TickActions a = PollingTick();
  EXPECT_EQ(PollTick, 24);
  EXPECT_EQ(a.StatusText, "  24  Datenaustausch zwischen PC und ZentrixNet");
  EXPECT_TRUE(port.TakeWritten().empty());
  const int before = NoAnswerCount;
  a = PollingTick();
  EXPECT_EQ(NoAnswerCount, before + 1);
  EXPECT_EQ(port.TakeWritten(), Request(16));
  EXPECT_EQ(a.StatusText, "  25  Datenaustausch zwischen PC und ZentrixNet");

  TickUntil(41);
  EXPECT_FALSE(last.Refresh);
  RxActivity = 3;
  a = PollingTick();
  EXPECT_TRUE(a.Refresh);
  EXPECT_EQ(PollTick, 42);

  TickUntil(54);
  RxActivity = 3;
  a = PollingTick();  // the tick that begins at 54 returns to the connecting state
  EXPECT_EQ(PollTick, 60);
  EXPECT_EQ(ConnectPending, 0xFF);
  EXPECT_EQ(a.StatusText, "  60  Verbindungsaufbau zwischen PC und ZentrixNet");
  EXPECT_EQ(port.TakeWritten(), ConnectRequestBytes);
}

TEST_F(PollingCycleTest, RefreshReportsViewCheckBoxesAndLinkTexts) {
  Block2[11] = 0x0105;  // Adr.1, Adr.3, ER2
  Block3[42] = 1;
  Block14[80] = 1;
  Block3[38] = 100;
  ShowRequest = 2;
  Connect();
  TickUntil(41);
  RxActivity = 3;
  TickActions a = PollingTick();
  ASSERT_TRUE(a.Refresh);
  EXPECT_EQ(DayChartMax, 12000u);  // scales recomputed
  EXPECT_TRUE(a.CheckBoxes[1]);
  EXPECT_FALSE(a.CheckBoxes[2]);
  EXPECT_TRUE(a.CheckBoxes[3]);
  EXPECT_TRUE(a.CheckBoxes[9]);
  EXPECT_TRUE(a.CheckBoxes[10]);
  EXPECT_TRUE(a.CheckBoxes[11]);
  EXPECT_EQ(a.RedrawView, 2);
  EXPECT_TRUE(a.HideAllFirst);
  // No end frame in this cycle: NoAnswerCount went 3 -> 4.
  EXPECT_EQ(a.LinkText, "    unterbrochen!");
  EXPECT_FALSE(a.MonitorText.has_value());
}

TEST_F(PollingCycleTest, LinkAndMonitorTextsAfterAnEndFrame) {
  const struct {
    uint16_t on, fault;
    std::string text;
  } cases[] = {
      {0, 5, Cp1252FromUtf8("Überpüfung = AUS!   ")},
      {1, 0, Cp1252FromUtf8("      keine Störung!")},
      {1, 33, Cp1252FromUtf8("    Zähler 1        ")},
      {1, 5, Cp1252FromUtf8("Zähler 1 oder Zähler 5")},
  };
  for (const auto& c : cases) {
    Block3[32] = c.on;
    Block14[75] = c.fault;
    ShowRequest = 7;  // not redrawn by the cycle
    NoAnswerCount = 0;
    PollTick = 41;
    const TickActions a = PollingTick();
    EXPECT_EQ(a.LinkText, "    vorhanden");
    EXPECT_EQ(a.MonitorText, c.text);
    EXPECT_EQ(a.RedrawView, 0);
  }
  // One or two cycles without an end frame change neither text.
  NoAnswerCount = 2;
  PollTick = 41;
  const TickActions a = PollingTick();
  EXPECT_FALSE(a.LinkText.has_value());
  EXPECT_FALSE(a.MonitorText.has_value());
}

TEST_F(PollingCycleTest, PendingCommandsOnePerTickLowestSlotFirst) {
  Connect();
  MeterCountSetting = 12;
  TariffSetting = 45;
  MarkCommand(SlotSetTariff);
  MarkCommand(SlotSetMeterCount);
  MarkCommand(SlotSetDateTime);
  PendingCommands[SlotSetPlantSize] = 2;  // not exactly 1: never sent, never cleared
  port.TakeWritten();
  // Ticks 0..42 send no command.
  TickUntil(43);
  EXPECT_EQ(port.TakeWritten(), Request(16));
  std::vector<int> sent;
  for (int i = 0; i < 4; ++i) {
    RxActivity = 3;
    sent.push_back(PollingTick().CommandSent);
  }
  EXPECT_EQ(sent, (std::vector<int>{1, 4, 7, 0}));
  Bytes expected = WithChecksum({0xFE, 0x8F, 9, 1, 0x25, 0, 12, 0, 0});  // meter count
  const Bytes tariff = WithChecksum({0xFE, 0x8F, 9, 1, 0x0D, 0, 45, 0, 0});
  const Bytes dateTime = {0xFE, 0x8F, 7, 2, 0x06, 0, 0x9C};
  expected.insert(expected.end(), tariff.begin(), tariff.end());
  expected.insert(expected.end(), dateTime.begin(), dateTime.end());
  EXPECT_EQ(port.TakeWritten(), expected);
  EXPECT_EQ(PendingCommands[SlotSetPlantSize], 2);
}

// A factory reset clears the controller's values: it goes out before the
// user's settings of the same cycle, and the user's SMS number survives the
// service number that the reset sends.
TEST_F(PollingCycleTest, FactoryResetGoesFirstAndKeepsTheUsersSmsNumber) {
  Connect();
  MeterCountSetting = 12;
  MarkCommand(SlotSetMeterCount);
  FilterSmsNumber("0171 234", SmsNumber);
  MarkCommand(SlotSetSmsNumber);
  MarkFactoryReset();
  TickUntil(43);
  port.TakeWritten();
  std::vector<int> sent;
  std::vector<Bytes> frames;
  for (int i = 0; i < 6; ++i) {
    RxActivity = 3;
    sent.push_back(PollingTick().CommandSent);
    frames.push_back(port.TakeWritten());
  }
  EXPECT_EQ(sent, (std::vector<int>{SlotSetDateTime, SlotStartLearningPhase, SlotSendServiceNumber, SlotSetMeterCount,
                                    SlotSetSmsNumber, 0}));
  EXPECT_EQ(Bytes(frames[2].begin() + 4, frames[2].begin() + 16), Bytes(ServiceNumber, ServiceNumber + 12));
  EXPECT_EQ(frames[3], WithChecksum({0xFE, 0x8F, 9, 1, 0x25, 0, 12, 0, 0}));
  const char* user = "0171.234....";
  EXPECT_EQ(Bytes(frames[4].begin() + 4, frames[4].begin() + 16), Bytes(user, user + 12));
  // Without a number of the user's waiting, the reset leaves its own in SmsNumber.
  MarkFactoryReset();
  for (int i = 0; i < 3; ++i) PollingTick();
  EXPECT_STREQ(SmsNumber, ServiceNumber);
}

TEST_F(PollingCycleTest, PendingCommandGoesOutWhileWaitingAtSixty) {
  SensitivitySetting = 25;
  MarkCommand(SlotSetMonitorSensitivity);
  const TickActions a = PollingTick();
  EXPECT_EQ(a.CommandSent, SlotSetMonitorSensitivity);
  const Bytes written = port.TakeWritten();
  ASSERT_EQ(written.size(), 9u + 8u);  // the command, then the connection request
  EXPECT_EQ(Bytes(written.begin() + 9, written.end()), ConnectRequestBytes);
  EXPECT_EQ(PendingCommands[SlotSetMonitorSensitivity], 0);
}

TEST_F(PollingCycleTest, NoAnswerCountGrowsUntilAnEndFrame) {
  NoAnswerCount = 0;
  for (int cycle = 1; cycle <= 3; ++cycle) {
    Connect();
    TickUntil(25);  // the exchange started
    EXPECT_EQ(NoAnswerCount, cycle);
    TickUntil(60);
  }
  Connect();
  TickUntil(25);
  Receive(Response(11, {}));
  EXPECT_EQ(NoAnswerCount, 0);
}

}  // namespace
