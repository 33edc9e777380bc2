// The real bridge as a service that runs for years: a broker that drops every
// connection, a second bridge of the same plant, a port that is busy.
#include <chrono>
#include <thread>

#include "tests/bridge/BridgeFixture.h"

namespace {

using BridgeServiceTest = BridgeFixture;

void SleepSeconds(double s) { std::this_thread::sleep_for(std::chrono::duration<double>(s)); }

TEST_F(BridgeServiceTest, ABrokerThatDropsEveryConnectionIsTriedAgainWithAGrowingWaitAndLoggedOnce) {
  // The discovery configs are larger than the broker takes: it accepts the
  // connection and drops it at the first config.
  broker.UseSettings("max_packet_size 400\n");
  ASSERT_NO_FATAL_FAILURE(StartBroker());
  StartSimulator();
  StartBridge({"--tick-ms", "50"});
  ASSERT_TRUE(WaitForBridgeLog("lost the MQTT broker", 60)) << BridgeLog();
  const int connectsBefore = BrokerConnects();
  // Attempts after 1, 2, 4, 8 and 16 s; one that is not dropped at once
  // would reset nothing either.
  SleepSeconds(25);
  EXPECT_LE(BrokerConnects() - connectsBefore, 5) << broker.Log();
  EXPECT_GE(BrokerConnects() - connectsBefore, 2) << "it does keep trying";
  const std::string log = BridgeLog();
  EXPECT_EQ(Occurrences(log, "lost the MQTT broker"), 1) << log;
  EXPECT_EQ(Occurrences(log, "cannot reach the MQTT broker"), 0) << log;
  const std::string afterLoss = log.substr(log.find("lost the MQTT broker"));
  EXPECT_LE(Occurrences(afterLoss, "\n"), 2) << "the loss's line and at most one more:\n" << log;
  EXPECT_EQ(StopBridge(), 0) << BridgeLog();
}

TEST_F(BridgeServiceTest, ASecondBridgeOfThePlantOrOnTheBusyPortExitsWithoutTouchingTheBroker) {
  ASSERT_NO_FATAL_FAILURE(StartAllUntilOnline("100"));
  const int connects = BrokerConnects();
  ASSERT_EQ(connects, 1) << broker.Log();
  const std::vector<std::string> common{"--mqtt-host", "127.0.0.1", "--mqtt-port", std::to_string(broker.Port()),
                                        "--no-archive", "--port", "COM" + std::to_string(SimCom)};

  // The same plant: the lock tells, before the port is even tried.
  std::vector<std::string> same = common;
  same.insert(same.end(), {"--plant", Plant});
  const std::unique_ptr<ChildProcess> second = StartProgram(same);
  EXPECT_EQ(second->Wait(30), 1);
  const std::string secondLog = second->ReadAvailable();
  EXPECT_NE(secondLog.find("another bridge (process " + std::to_string(bridge->Pid()) + ") publishes the plant roof"),
            std::string::npos)
      << secondLog;
  EXPECT_EQ(Occurrences(secondLog, "\n"), 1) << secondLog;

  // Another plant on the port the first bridge polls: busy.
  std::vector<std::string> other = common;
  other.insert(other.end(), {"--plant", "attic"});
  const std::unique_ptr<ChildProcess> third = StartProgram(other);
  EXPECT_EQ(third->Wait(30), 1);
  const std::string thirdLog = third->ReadAvailable();
  EXPECT_NE(thirdLog.find("cannot open COM 6: "), std::string::npos) << thirdLog;
  EXPECT_NE(thirdLog.find("not connecting to the broker, exiting"), std::string::npos) << thirdLog;

  EXPECT_EQ(BrokerConnects(), connects) << "neither reached the broker:\n" << broker.Log();
  EXPECT_TRUE(bridge->Running()) << "the first goes on";
  EXPECT_EQ(Occurrences(BridgeLog(), "connected to the MQTT broker"), 1) << BridgeLog();
}

}  // namespace
