#include "SimTestSupport.h"
#include "tests/support/Occurrences.h"

namespace {

using namespace SimTest;

Sim::SimConfig WithRule(Sim::FaultKind kind, int type, int count = 1) {
  Sim::SimConfig c = Config();
  c.Faults.Rules.push_back(Sim::FaultRule{kind, type, count});
  return c;
}

bool TablesMatchSimulator(const Sim::Simulator& sim) {
  for (int type : Sim::ExchangeOrder) {
    if (!FrameFormat::IsDataBlockType(type)) continue;
    for (int i = 0; i < 100; ++i)
      if (PcTable(type)[i] != sim.ExchangeBlocks().Table(type)[i]) return false;
  }
  return true;
}

// Faults the PC notices by the checksum or the length: it asks again at once,
// gets the same block and finishes the exchange within the cycle.
struct InCycleCase {
  Sim::FaultKind Kind;
  int Type;
  const char* Note;
};

class RecoveredInCycleTest : public ::testing::TestWithParam<InCycleCase> {};

TEST_P(RecoveredInCycleTest, SameBlockAgainAndTheExchangeCompletes) {
  LinkAgainstSim run(WithRule(GetParam().Kind, GetParam().Type));
  run.RunToRefresh();
  EXPECT_EQ(NoAnswerCount, 0);
  EXPECT_TRUE(TablesMatchSimulator(run.sim));
  const std::string block = "Block " + std::to_string(GetParam().Type);
  EXPECT_EQ(Occurrences(run.LogText(), block + " [" + GetParam().Note), 1) << run.LogText();
  EXPECT_EQ(Occurrences(run.LogText(), block + " (again)\n"), 1);
}

INSTANTIATE_TEST_SUITE_P(Faults, RecoveredInCycleTest,
                         ::testing::Values(InCycleCase{Sim::FaultKind::BadChecksum, 5, "bad checksum"},
                                           InCycleCase{Sim::FaultKind::BadChecksum, 14, "bad checksum"},
                                           InCycleCase{Sim::FaultKind::WrongLength, 9, "length byte 204"}));

TEST(FaultRecoveryTest, JunkBeforeAFrameIsSkipped) {
  LinkAgainstSim run(WithRule(Sim::FaultKind::Junk, Sim::AnyType, 6));
  run.RunToRefresh();
  EXPECT_EQ(NoAnswerCount, 0);
  EXPECT_TRUE(TablesMatchSimulator(run.sim));
  EXPECT_EQ(Occurrences(run.LogText(), "  Junk\n"), 6);
  EXPECT_EQ(Occurrences(run.LogText(), "(again)"), 0);
}

TEST(FaultRecoveryTest, StormOfBadChecksumsStillFillsEveryTable) {
  Sim::SimConfig config = Config();
  config.Faults.StormPercent = 40;
  LinkAgainstSim run(config);
  run.RunToRefresh();
  EXPECT_EQ(NoAnswerCount, 0);
  EXPECT_TRUE(TablesMatchSimulator(run.sim));
  EXPECT_GE(Occurrences(run.LogText(), "(again)"), 3);
}

// Faults that leave the PC waiting: the partial frame is dropped at the next
// quiet tick, the exchange is lost, and the next cycle brings every block.
class LostCycleTest : public ::testing::TestWithParam<Sim::FaultKind> {};

TEST_P(LostCycleTest, NextCycleRecovers) {
  LinkAgainstSim run(WithRule(GetParam(), 7));
  run.RunToRefresh();
  EXPECT_GT(NoAnswerCount, 0);
  const uint16_t* dayRun = PcTable(8);
  int stored = 0;
  for (int i = 0; i < 100; ++i) stored += dayRun[i] != 0;
  EXPECT_EQ(stored, 0) << "no block after the fault may have arrived";
  EXPECT_EQ(RxIndex, 0) << "the partial frame is dropped";

  run.RunToCycleEnd();
  run.RunToRefresh();
  EXPECT_EQ(NoAnswerCount, 0);
  EXPECT_TRUE(TablesMatchSimulator(run.sim));
}

INSTANTIATE_TEST_SUITE_P(Faults, LostCycleTest,
                         ::testing::Values(Sim::FaultKind::Truncate, Sim::FaultKind::SilenceAfter));

TEST(FaultRecoveryTest, UnansweredConnectionRequestsAreRepeatedUntilAnswered) {
  for (int skipped : {0, 3}) {
    Sim::SimConfig config = Config();
    config.Faults.NoAnswer = skipped;
    LinkAgainstSim run(config);
    run.TickUntil(0);
    EXPECT_EQ(Occurrences(run.LogText(), "ConnectRequest"), skipped + 1);
    EXPECT_EQ(Occurrences(run.LogText(), "ConnectRequest [no answer]"), skipped);
  }
}

TEST(FaultRecoveryTest, NotReadyKeepsThePcConnecting) {
  Sim::SimConfig config = Config();
  config.Faults.NotReady = 2;
  LinkAgainstSim run(config);
  run.Tick();
  run.Tick();
  EXPECT_EQ(PollTick, 60);
  run.TickUntil(0, 3);
  EXPECT_EQ(Occurrences(run.LogText(), "ConnectAnswer not ready"), 2);
}

TEST(FaultRecoveryTest, BadConnectAnswerIsAskedForAgain) {
  LinkAgainstSim run(WithRule(Sim::FaultKind::BadChecksum, 20));
  run.Tick();
  EXPECT_EQ(Occurrences(run.LogText(), "ConnectRequest"), 2);  // the PC repeated it at once
  run.TickUntil(0, 2);
}

TEST(FaultRecoveryTest, HangUpIsDueAfterItsTime) {
  Sim::SimConfig config = Config();
  config.Faults.HangUpAfterSeconds = 2.5;
  Sim::ManualClock clock(0);
  Sim::Simulator sim(config, clock);
  clock.Advance(2400);
  EXPECT_FALSE(sim.HangUpDue());
  clock.Advance(200);
  EXPECT_TRUE(sim.HangUpDue());
}

TEST(FaultRecoveryTest, CountedFaultStrikesOnlyThatOften) {
  Sim::FaultInjector faults({{Sim::FaultRule{Sim::FaultKind::BadChecksum, 5, 2}}}, 1);
  const Bytes good = {0xFF, 0xFA, 5, 5, 3};
  int bad = 0;
  for (int i = 0; i < 5; ++i) bad += faults.Prepare(5, good).Frame != good;
  EXPECT_EQ(bad, 2);
  EXPECT_EQ(faults.Prepare(6, good).Frame, good);
}

}  // namespace
