// The main thread's time per phase: nested phases count apart, and a session
// started with PCZN_PHASE_LOG writes a line of running totals per completed
// exchange, its receiving, storing and the user's handler in it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "base/ExchangePhases.h"
#include "session/PollingSession.h"
#include "store/PlantStore.h"
#include "tests/support/PlainMainLoop.h"
#include "tests/support/SimulatorProcess.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TempPortsFolder.h"

namespace {

using namespace std::chrono_literals;

int64_t Spent(ExchangePhase phase) { return ExchangePhases::TotalsUs()[static_cast<int>(phase)]; }

int64_t Field(const std::string& line, const std::string& name) {
  const size_t at = line.find(name + "=");
  return at == std::string::npos ? -1 : std::stoll(line.substr(at + name.size() + 1));
}

std::vector<std::string> LinesOf(const std::string& file) {
  std::vector<std::string> lines;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class PhaseAccountTest : public ::testing::Test {
protected:
  void TearDown() override { ExchangePhases::Enable(false); }
};

TEST_F(PhaseAccountTest, ANestedPhaseIsNotCountedInTheOneAroundIt) {
  ExchangePhases::Enable(true);
  const int64_t receiveBefore = Spent(ExchangePhase::Receive);
  const int64_t storeBefore = Spent(ExchangePhase::Store);
  const auto start = std::chrono::steady_clock::now();
  {
    const PhaseScope receive(ExchangePhase::Receive);
    std::this_thread::sleep_for(2ms);
    const PhaseScope store(ExchangePhase::Store);
    std::this_thread::sleep_for(3ms);
  }
  const int64_t elapsedUs =
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count();
  const int64_t receive = Spent(ExchangePhase::Receive) - receiveBefore;
  const int64_t store = Spent(ExchangePhase::Store) - storeBefore;
  EXPECT_GE(store, 3000);
  EXPECT_GE(receive, 2000);
  EXPECT_LE(receive + store, elapsedUs) << "the storing's time is not in the receiving's as well";
}

TEST_F(PhaseAccountTest, SwitchedOffNothingIsCounted) {
  const int64_t before = Spent(ExchangePhase::Archive);
  {
    const PhaseScope archive(ExchangePhase::Archive);
    std::this_thread::sleep_for(2ms);
  }
  EXPECT_EQ(Spent(ExchangePhase::Archive), before);
}

// The simulator unpaced, a tick every few milliseconds: whole cycles quickly.
TEST_F(PhaseAccountTest, ASessionWithAPhaseLogWritesALinePerExchangeWithItsHandlerAsPublishing) {
  ClearPlantStore();
  TempFolder folder("phase-log-test");
  TempPortsFolder ports;
  SimulatorProcess sim(ports.ConfigHome(), (folder / "sim.log").string());
  ASSERT_TRUE(sim.Start(8, {"--fast", "--start", "2024-06-21 12:00", "--seed", "3", "--meters", "5"}));
  const std::string log = (folder / "phases.log").string();
  setenv("PCZN_PHASE_LOG", log.c_str(), 1);
  PollingSession session;
  unsetenv("PCZN_PHASE_LOG");
  int exchanges = 0;
  session.On.ExchangeCompleted = [&] {
    ++exchanges;
    std::this_thread::sleep_for(5ms);  // what a bridge's publishing would take
  };
  session.Open(PortChoice::Com(8));
  for (int tick = 0; tick < 150 && exchanges < 2; ++tick) {
    session.Tick();
    PumpFor(20);
  }
  ASSERT_EQ(exchanges, 2);
  const std::vector<std::string> lines = LinesOf(log);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("exchange ", 0), 0u) << lines[0];
  EXPECT_GT(Field(lines[0], "receive"), 0) << lines[0];
  EXPECT_GT(Field(lines[0], "tick"), 0) << lines[0];
  EXPECT_GE(Field(lines[0], "publish"), 5000) << lines[0];
  EXPECT_EQ(Field(lines[0], "archive"), 0) << "nothing archived: " << lines[0];
  EXPECT_GE(Field(lines[1], "publish"), Field(lines[0], "publish") + 5000) << "running totals: " << lines[1];
  EXPECT_GE(Field(lines[1], "store"), 0) << "every phase on the line: " << lines[1];
}

}  // namespace
