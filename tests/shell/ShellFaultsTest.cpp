// The program against a simulator that disturbs the line on purpose: each
// fault ends in the recovery the link is built for, no damaged block is ever
// stored, and the window stays responsive.
#include <sys/resource.h>

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "ShellTestSupport.h"
#include "link/Frames.h"
#include "serial/VaComm.h"
#include "shell/ExceptionDisplay.h"
#include "shell/TStart.h"
#include "store/PlantStore.h"

namespace {

constexpr uint16_t Mark = 0xBEEF;
const int DataTypes[] = {2, 3, 4, 5, 6, 7, 8, 9, 10, 14, 15, 16, 17, 18, 19};

long CpuMs() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000L +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000L;
}

class ShellFaultsTest : public ShellTest {
protected:
  void TearDown() override {
    if (HasFailure()) logDir.Keep(), std::fprintf(stderr, "simulator log kept: %s\n", logDir.Path().c_str());
    sim.Stop();
    ShellTest::TearDown();
  }

  // Starts the simulator with its faults, chooses its port and lets the test drive the ticks.
  void Connect(const Options& faults, Options line = {"--fast"}) {
    for (const char* option : {"--start", "2026-06-21 13:07", "--meters", "4"}) line.push_back(option);
    line.insert(line.end(), faults.begin(), faults.end());
    ASSERT_TRUE(sim.Start(8, line));
    Start->SpeedButtons[8]->click();
    ASSERT_EQ(ExceptionCount(), 0) << LastExceptionMessage();
    Start->Timer2->stop();
    MarkTables();
  }

  void MarkTables() {
    for (int type : DataTypes) std::fill(BlockTable(type), BlockTable(type) + 100, Mark);
  }

  bool Stored(int type) const { return std::count(BlockTable(type), BlockTable(type) + 100, Mark) < 100; }

  // Every table holds exactly the last block of its type that went out intact.
  void ExpectOnlyIntactBlocksStored() {
    const auto intact = sim.LastIntactBlocks();
    for (int type : DataTypes) {
      const auto it = intact.find(type);
      if (it == intact.end()) {
        EXPECT_FALSE(Stored(type)) << "block " << type << " stored though never sent intact";
        continue;
      }
      if (!Stored(type)) continue;  // sent after the PC stopped listening
      EXPECT_TRUE(std::equal(it->second.begin(), it->second.end(), BlockTable(type))) << "block " << type;
    }
  }

  TempFolder logDir{"shell-faults"};
  SimulatorProcess sim{ConfigHome(), (logDir / "sim.log").string()};
};

TEST_F(ShellFaultsTest, DamagedFramesAreAskedForAgainWithinTheSameExchange) {
  // A wrong checksum, a length byte one too small and stray bytes before the
  // frames: the PC asks again (or skips the junk) and the exchange still ends.
  Connect({"--bad-checksum", "5:3", "--wrong-length", "3", "--junk", "any:all"});
  EXPECT_TRUE(RunCycle());
  for (int type : DataTypes) EXPECT_TRUE(Stored(type)) << "block " << type;
  ExpectOnlyIntactBlocksStored();
  EXPECT_GE(SimLog(sim).count(QStringLiteral("bad checksum")), 3);
  EXPECT_EQ(ExceptionCount(), 0) << LastExceptionMessage();
}

TEST_F(ShellFaultsTest, ACutFrameOrSilenceCostsOneCycleAndTheNextOneCompletes) {
  for (const Options& fault : {Options{"--truncate", "7"}, Options{"--silence-after", "9"}}) {
    SCOPED_TRACE(fault[0]);
    Connect(fault);
    EXPECT_FALSE(RunCycle()) << "the damaged exchange cannot end";
    EXPECT_EQ(RxIndex, 0) << "the partial frame is dropped at the next silent tick";
    ExpectOnlyIntactBlocksStored();
    MarkTables();
    EXPECT_TRUE(RunCycle());
    for (int type : DataTypes) EXPECT_TRUE(Stored(type)) << "block " << type;
    ExpectOnlyIntactBlocksStored();
    sim.Stop();
  }
}

TEST_F(ShellFaultsTest, UnansweredConnectionRequestsAreRepeatedEachSecond) {
  Connect({"--no-answer", "3"});
  for (int i = 0; i < 3; ++i) {
    Tick(60);
    EXPECT_EQ(PollTick, 60);
    EXPECT_EQ(Start->Edit1->text(), QStringLiteral("  60  Verbindungsaufbau zwischen PC und ZentrixNet"));
  }
  EXPECT_TRUE(RunCycle());
  EXPECT_GE(SimLog(sim).count(QStringLiteral("ConnectRequest")), 4);
}

TEST_F(ShellFaultsTest, AHangUpIsReportedOnceWithoutSpinningAndAPortChoiceRecovers) {
  Connect({"--hangup-after", "0.3"}, {});  // paced: the line closes within the first block
  for (int i = 0; i < 20 && PollTick != 0; ++i) Tick(60);
  ASSERT_EQ(PollTick, 0);
  while (PollTick != 24) Tick();
  Tick(100);  // request 16: the controller starts to answer, then hangs up
  PumpEvents(1500);
  const int reports = ExceptionCount();
  EXPECT_EQ(reports, 1) << LastExceptionMessage();
  EXPECT_NE(LastExceptionMessage().find("lost"), std::string::npos) << LastExceptionMessage();

  const long cpuBefore = CpuMs();
  for (int i = 0; i < 20; ++i) Tick(100);  // two seconds of the cycle on a dead line
  EXPECT_LT(CpuMs() - cpuBefore, 400) << "no thread may spin on the vanished line";
  EXPECT_EQ(ExceptionCount(), reports) << "reported once, then quiet";

  sim.Stop();
  ASSERT_TRUE(sim.Start(8, {"--fast", "--start", "2026-06-21 14:00", "--meters", "4"}));
  Start->ComItems[8]->trigger();  // choosing the port again
  EXPECT_EQ(ExceptionCount(), reports) << LastExceptionMessage();
  while (PollTick != 60) Tick();
  MarkTables();
  EXPECT_TRUE(RunCycle());
  ExpectOnlyIntactBlocksStored();
}

TEST_F(ShellFaultsTest, AStormOfBadFramesTakesLittleProcessorAndTheWindowAnswers) {
  // Every other frame damaged, at the line's real speed.
  Connect({"--storm", "50", "--storm-kinds", "checksum,junk,length"}, {});
  for (int i = 0; i < 20 && PollTick != 0; ++i) Tick(60);
  ASSERT_EQ(PollTick, 0);
  while (PollTick != 24) Tick();
  Start->Timer2Timer();  // request 16: the storm begins

  // While the exchange runs, a timer stands for the user: it must fire on time.
  int worstLateMs = 0;
  QElapsedTimer clock;
  clock.start();
  qint64 expected = 50;
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout, [&] {
    worstLateMs = std::max<int>(worstLateMs, static_cast<int>(clock.elapsed() - expected));
    expected = clock.elapsed() + 50;
  });
  probe.start(50);
  const long cpuBefore = CpuMs();
  QElapsedTimer wall;
  wall.start();
  QEventLoop loop;
  QTimer::singleShot(10000, &loop, &QEventLoop::quit);
  loop.exec();
  const double share = static_cast<double>(CpuMs() - cpuBefore) / static_cast<double>(wall.elapsed());
  probe.stop();

  std::printf("storm of bad frames: %.1f %% of a core, window late by at most %d ms\n", 100 * share, worstLateMs);
  EXPECT_GE(SimLog(sim).count(QStringLiteral("Request")), 10) << "the storm ran";
  // Bounds that catch a spin, a resend loop or a frozen window, with room for
  // a busy machine; the figures themselves are printed above (about 2 %).
  EXPECT_LT(share, 0.10) << "share of a core during the storm: " << share;
  EXPECT_LT(worstLateMs, 1000) << "the window did not answer for " << worstLateMs << " ms";
  ExpectOnlyIntactBlocksStored();
  EXPECT_EQ(ExceptionCount(), 0) << LastExceptionMessage();
}

}  // namespace
