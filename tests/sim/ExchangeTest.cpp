#include <set>

#include "ExchangeChain.h"
#include "SimTestSupport.h"

namespace {

using namespace SimTest;

// The chain against the PC's own reply codes, for every controller type:
// type 1, each data block once, then the end frame.
TEST(ExchangeChainTest, EveryControllerTypeGetsEveryBlockOnce) {
  for (int ct = 0; ct <= 255; ++ct) {
    ControllerType = ct;
    Sim::ExchangeChain chain(ct);
    std::vector<int> sent;
    int code = Sim::StartExchangeCode;
    for (int guard = 0; guard < 40; ++guard) {
      const auto step = chain.OnRequest(code);
      ASSERT_EQ(step.What, Sim::ExchangeChain::Action::Send) << "controller type " << ct << " code " << code;
      sent.push_back(step.Type);
      if (step.Type == Sim::EndOfExchangeType) break;
      code = ReplyCodeFor(step.Type);
    }
    const std::vector<int> expected(Sim::ExchangeOrder.begin(), Sim::ExchangeOrder.end());
    EXPECT_EQ(sent, expected) << "controller type " << ct;
    EXPECT_FALSE(chain.Running());
  }
}

TEST(ExchangeChainTest, RepeatedRequestGetsTheSameBlockAndStrayCodesNothing) {
  Sim::ExchangeChain chain(20);  // type 2 and type 14 are both answered with 2
  EXPECT_EQ(chain.OnRequest(7).What, Sim::ExchangeChain::Action::Unexpected);  // no exchange yet
  EXPECT_EQ(chain.OnRequest(16).Type, 1);
  EXPECT_EQ(chain.OnRequest(1).Type, 2);
  const auto again = chain.OnRequest(1);
  EXPECT_EQ(again.What, Sim::ExchangeChain::Action::SendAgain);
  EXPECT_EQ(again.Type, 2);
  EXPECT_EQ(chain.OnRequest(2).Type, 3);
  EXPECT_EQ(chain.OnRequest(9).What, Sim::ExchangeChain::Action::Unexpected);
  EXPECT_EQ(chain.OnRequest(3).Type, 4);
}

class WholeExchangeTest : public ::testing::TestWithParam<int> {};

// One exchange leaves in the PC's store exactly the blocks the simulator holds.
TEST_P(WholeExchangeTest, FillsEveryBlockTable) {
  // A large old plant, so that every table holds data: 48 meters, twelve plant years.
  Sim::SimConfig config = Config(GetParam());
  config.Plant.Meters = 48;
  config.Plant.PlantSize = 2000;
  config.Plant.Commissioning = std::make_pair(2011, 5);
  LinkAgainstSim run(config);
  run.RunToRefresh();
  EXPECT_EQ(NoAnswerCount, 0);
  EXPECT_EQ(ControllerType, GetParam());
  EXPECT_EQ(ControllerVersion[0], 3);
  const Sim::BlockSet& expected = run.sim.ExchangeBlocks();
  for (int type : Sim::ExchangeOrder) {
    if (!FrameFormat::IsDataBlockType(type)) continue;
    for (int i = 0; i < 100; ++i)
      ASSERT_EQ(PcTable(type)[i], expected.Table(type)[i]) << "block " << type << " word " << i;
    int nonZero = 0;
    for (int i = 0; i < 100; ++i) nonZero += PcTable(type)[i] != 0;
    EXPECT_GT(nonZero, 0) << "block " << type << " is empty";
  }
  EXPECT_EQ(Block3[37], 48);
  EXPECT_EQ(Block3[38], 2000);
  EXPECT_EQ(Block2[14], 6);
  EXPECT_EQ(Block2[15], 123);
  EXPECT_EQ(MonthCounter(), 24 + 12 * 12 + 6);
}

TEST(PcFramesTest, FoundAmongStrayBytesAndDroppedWhenLeftUnfinished) {
  Sim::ManualClock clock(0);
  std::ostringstream log;
  Sim::Simulator sim(Config(), clock, &log);
  const Bytes connect = {0xFF, 0xF8, 8, 0x15, 0, 0, 0, 0x14};
  Bytes noisy = {0x00, 0x12, 0xFF, 0x00};
  noisy.insert(noisy.end(), connect.begin(), connect.end());
  sim.Receive(noisy);
  EXPECT_EQ(sim.TakeDue(), (Bytes{0xFF, 0xFA, 6, 0x14, 0, 0x13}));
  EXPECT_NE(log.str().find("PC>SIM 00 12 FF 00  Unframed bytes, dropped\n"), std::string::npos);
  // Half a request, then nothing for longer than a frame may pause: it is dropped,
  // and the bytes that follow make a frame of their own.
  sim.Receive(Bytes(connect.begin(), connect.begin() + 4));
  clock.Advance(600);
  sim.Poll();
  EXPECT_NE(log.str().find("PC>SIM FF F8 08 15  Unframed bytes, dropped\n"), std::string::npos);
  sim.Receive(connect);
  EXPECT_EQ(sim.TakeDue().size(), 6u);
  // A frame with a bad checksum is not acted on.
  Bytes bad = connect;
  bad.back() ^= 1;
  sim.Receive(bad);
  EXPECT_TRUE(sim.TakeDue().empty());
  EXPECT_NE(log.str().find("Frame with bad checksum, ignored"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(ControllerTypes, WholeExchangeTest, ::testing::Values(14, 20, 22, 24, 250, 255));

}  // namespace
