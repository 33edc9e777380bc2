// The polling session against the simulator program on a pseudo-terminal
// linked as a COM port, driven by a plain main-thread loop as the console
// poller drives it. The simulator sends unpaced, so a tick every few
// milliseconds runs whole cycles quickly.
#include <gtest/gtest.h>
#include <signal.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "serial/VaComm.h"
#include "session/PollingSession.h"
#include "store/PlantStore.h"
#include "tests/support/PlainMainLoop.h"
#include "tests/support/SimulatorProcess.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TempPortsFolder.h"

namespace {

namespace fs = std::filesystem;

constexpr int SimCom = 7;

struct Counts {
  int Exchanges = 0;
  int Silences = 0;
  int Losses = 0;
};

class SessionTest : public ::testing::Test {
protected:
  void SetUp() override {
    ClearPlantStore();
    session.On.ExchangeCompleted = [this] { ++counts.Exchanges; };
    session.On.ControllerSilent = [this] { ++counts.Silences; };
    session.On.PortLost = [this] { ++counts.Losses; };
  }

  void StartSimulator(std::vector<std::string> options = {}) {
    options.insert(options.begin(), {"--fast", "--start", "2024-06-21 12:00", "--seed", "3"});
    ASSERT_TRUE(sim.Start(SimCom, options));
  }

  // Ticks with a pause for the port's events between them: long enough for a
  // whole unpaced exchange between request and the cycle's end on a busy machine.
  void RunTicks(int ticks) {
    for (int i = 0; i < ticks; ++i) {
      session.Tick();
      PumpFor(20);
    }
  }
  // Ticks until the predicate holds; at most `limit` ticks.
  bool TickUntil(const std::function<bool()>& done, int limit) {
    for (int i = 0; i < limit && !done(); ++i) RunTicks(1);
    return done();
  }

  TempFolder folder{"session-test"};
  TempPortsFolder ports;
  SimulatorProcess sim{ports.ConfigHome(), (folder / "sim.log").string()};
  PollingSession session;
  Counts counts;
};

TEST_F(SessionTest, ACompletedExchangeIsReportedOncePerCycleWithTheBlocksStored) {
  StartSimulator({"--meters", "5"});
  session.Open(PortChoice::Com(SimCom));
  ASSERT_TRUE(TickUntil([&] { return counts.Exchanges == 1; }, 70));
  EXPECT_EQ(Block3[37], 5) << "the meter count of the simulator's plant is in the store";
  EXPECT_EQ(LinkCounts.BlocksStored, 15u);
  EXPECT_NE(session.StatusText().find("Datenaustausch zwischen PC und ZentrixNet"), std::string::npos);
  RunTicks(10);
  EXPECT_EQ(counts.Exchanges, 1) << "one report per exchange";
  ASSERT_TRUE(TickUntil([&] { return counts.Exchanges == 2; }, 70)) << "the next cycle completes too";
  EXPECT_EQ(counts.Silences, 0);
  EXPECT_EQ(counts.Losses, 0);
}

TEST_F(SessionTest, AControllerThatStopsAnsweringIsReportedOnceAndItsReturnToo) {
  StartSimulator();
  session.Open(PortChoice::Com(SimCom));
  ASSERT_TRUE(TickUntil([&] { return counts.Exchanges == 1; }, 70));
  sim.Signal(SIGSTOP);  // the line stays, the answers stop
  RunTicks(PollingSession::SilentAfterTicks + 40);
  EXPECT_EQ(counts.Silences, 1);
  EXPECT_EQ(counts.Exchanges, 1);
  sim.Signal(SIGCONT);
  ASSERT_TRUE(TickUntil([&] { return counts.Exchanges == 2; }, 130));
  EXPECT_EQ(counts.Silences, 1);
  EXPECT_EQ(session.TicksSinceExchange(), 0);
}

TEST_F(SessionTest, ALostPortIsReportedOnceAndTheTicksGoOn) {
  StartSimulator();
  std::vector<std::string> errors;
  SetApplicationExceptionHandler([&](const std::exception& e) { errors.push_back(e.what()); });
  session.Open(PortChoice::Com(SimCom));
  ASSERT_TRUE(TickUntil([&] { return counts.Exchanges == 1; }, 70));
  sim.Stop();  // the terminal's other side goes away: a hang-up
  ASSERT_TRUE(TickUntil([&] { return counts.Losses == 1; }, 100));
  RunTicks(20);
  SetApplicationExceptionHandler(nullptr);
  EXPECT_EQ(counts.Losses, 1);
  EXPECT_TRUE(session.PortWasLost());
  ASSERT_EQ(errors.size(), 1u) << "the component reports the loss once";
  EXPECT_NE(errors[0].find("lost"), std::string::npos) << errors[0];
}

// The trace's state lines (the text after "<seconds> LINK "), in order.
std::vector<std::string> TraceStates(const fs::path& file) {
  std::vector<std::string> states;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    const size_t kind = line.find(" LINK ");
    if (kind != std::string::npos) states.push_back(line.substr(kind + 6));
  }
  return states;
}

TEST_F(SessionTest, TheTraceTellsTheLinksStateChangesInOrder) {
  StartSimulator();
  const fs::path trace = folder / "frames.trace";
  session.TraceTo(trace.string());
  EXPECT_THROW(session.Open(PortChoice::Device((folder / "no-such-device").string())), EVaCommError);
  session.Open(PortChoice::Com(SimCom));
  const std::string path = session.Port().OpenPath();
  ASSERT_TRUE(TickUntil([&] { return counts.Exchanges == 1; }, 70));
  sim.Signal(SIGSTOP);
  ASSERT_TRUE(TickUntil([&] { return counts.Silences == 1; }, PollingSession::SilentAfterTicks + 40));
  sim.Signal(SIGCONT);
  SetApplicationExceptionHandler([](const std::exception&) {});
  sim.Stop();
  ASSERT_TRUE(TickUntil([&] { return counts.Losses == 1; }, 100));
  SetApplicationExceptionHandler(nullptr);
  session.Close();
  session.TraceTo("");  // stops the trace: nothing more is written
  EXPECT_THROW(session.Open(PortChoice::Device((folder / "after-the-trace").string())), EVaCommError);

  const std::vector<std::string> states = TraceStates(trace);
  ASSERT_GE(states.size(), 6u);
  EXPECT_EQ(states[0].rfind("port not opened: Specified device not found", 0), 0u) << states[0];
  EXPECT_EQ(states[1], "port opened: " + path);
  EXPECT_EQ(states[2], "exchange completed");
  EXPECT_EQ(states[3], "exchange timed out: no whole exchange within 75 ticks");
  EXPECT_EQ(states[states.size() - 2], "port lost: " + path);
  EXPECT_EQ(states.back(), "port closed: " + path) << "and nothing after the trace was stopped";
}

TEST_F(SessionTest, ADevicePathOpensAsItIsAndAMissingOneRaisesTheComponentsText) {
  StartSimulator();
  session.Open(PortChoice::Device(sim.Device()));
  EXPECT_EQ(session.Port().OpenPath(), sim.Device());
  ASSERT_TRUE(TickUntil([&] { return counts.Exchanges == 1; }, 70));
  const std::string missing = (folder / "no-such-tty").string();
  try {
    session.Open(PortChoice::Device(missing));
    FAIL() << "opening a missing device must fail";
  } catch (const Exception& e) {
    // The component's text first, then what exists.
    const std::string text = e.what();
    EXPECT_EQ(text.substr(0, text.find('\n')), "Specified device not found (" + missing + ").");
    EXPECT_NE(text.find("serielle"), std::string::npos) << text;
    // The hint below the text keeps what the component said.
    const auto* error = dynamic_cast<const EVaCommError*>(&e);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(int(error->Kind()), int(TVaCommErrorKind::NotFound));
    EXPECT_EQ(error->SystemCode(), ENOENT);
  }
  EXPECT_FALSE(session.IsOpen());
}

TEST_F(SessionTest, ADeviceHeldElsewhereRaisesBusyWithoutTheMissingDeviceHint) {
  StartSimulator();
  TVaComm holder;
  holder.SetDeviceName(sim.Device());
  holder.Open();
  try {
    session.Open(PortChoice::Device(sim.Device()));
    FAIL() << "a device another port holds must not open";
  } catch (const EVaCommError& e) {
    EXPECT_EQ(int(e.Kind()), int(TVaCommErrorKind::Busy));
    EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos) << "no list of the devices: " << e.what();
  }
  EXPECT_FALSE(session.IsOpen());
}

TEST(PortChoiceTest, ComNamesAndPaths) {
  EXPECT_EQ(ParsePortChoice("COM5")->Number, 5);
  EXPECT_EQ(ParsePortChoice("com 11")->Number, 11);
  EXPECT_EQ(ParsePortChoice("/dev/ttyUSB0")->Path, "/dev/ttyUSB0");
  EXPECT_EQ(ParsePortChoice("/dev/ttyUSB0")->Number, 0);
  EXPECT_EQ(ParsePortChoice("COMPUTER")->Path, "COMPUTER") << "not a COM number: a path";
  EXPECT_FALSE(ParsePortChoice("COM0"));
  EXPECT_FALSE(ParsePortChoice("COM256"));
  EXPECT_FALSE(ParsePortChoice(""));
  EXPECT_EQ(PortChoice::Com(3).Describe(), "COM 3");
  EXPECT_EQ(ParsePortChoice("rfc2217://192.0.2.10:4001")->Describe(), "rfc2217://192.0.2.10:4001");
  EXPECT_FALSE(ParsePortChoice("tcp://192.0.2.10")) << "a server without its port is no path either";
}

}  // namespace

int main(int argc, char** argv) {
  InstallPlainMainLoop();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
