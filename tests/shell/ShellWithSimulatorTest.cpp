#include <QLineEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "ShellTestSupport.h"
#include "link/PlantStore.h"
#include "link/Polling.h"
#include "serial/VaComm.h"
#include "settings/TForm7.h"
#include "settings/Edit.h"
#include "shell/ExceptionDisplay.h"
#include "shell/TStart.h"
#include "views/history/ChartForms.h"

namespace {

// Tables are marked before the exchange; a stored block replaces the mark.
constexpr uint16_t Mark = 0xBEEF;
bool Stored(const uint16_t* table) {
  return std::count(table, table + 100, Mark) < 100;
}

class ShellWithSimulatorTest : public ShellTest {
protected:
  void StartSimulator(int com) {
    ASSERT_TRUE(sim.Start(com, {"--fast", "--start", "2026-06-21 13:07", "--meters", "5"}));
  }
  void TearDown() override {
    sim.Stop();
    ShellTest::TearDown();
  }
  // One polling tick as the timer runs it, then time for the port's events.
  QString Tick(int pumpMs = 20) {
    Start->Timer2Timer();
    PumpEvents(pumpMs);
    return Start->Edit1->text();
  }
  QTemporaryDir logDir;
  SimulatorProcess sim{logDir.filePath(QStringLiteral("sim.log"))};
};

TEST_F(ShellWithSimulatorTest, AWholeCycleFillsTheStore) {
  StartSimulator(6);
  Start->SpeedButtons[6]->click();
  ASSERT_EQ(ExceptionCount(), 0) << LastExceptionMessage();
  Start->Timer2->stop();  // the test drives the ticks
  for (int type = 2; type <= 19; ++type)
    if (uint16_t* table = BlockTable(type)) std::fill(table, table + 100, Mark);

  // Connection requests until the controller answers "ready".
  QString status;
  for (int i = 0; i < 10 && PollTick != 0; ++i) status = Tick(100);
  ASSERT_EQ(PollTick, 0) << status.toStdString();
  EXPECT_EQ(status, QStringLiteral("  00  Datenaustausch zwischen Zentrix und Zentrix Net"));

  while (PollTick < 23) status = Tick();
  EXPECT_EQ(status, QStringLiteral("  22  Datenaustausch zwischen Zentrix und Zentrix Net"));  // 23 keeps the line
  Tick();  // 23 -> 24
  status = Tick(1500);  // 24: the exchange runs at the line's speed
  EXPECT_EQ(status, QStringLiteral("  25  Datenaustausch zwischen PC und ZentrixNet"));
  EXPECT_EQ(NoAnswerCount, 0) << "the exchange did not end with its end frame";

  for (int type : {2, 3, 4, 5, 6, 7, 8, 9, 10, 14, 15, 16, 17, 18, 19})
    EXPECT_TRUE(Stored(BlockTable(type))) << "block " << type;
  for (const auto& [type, words] : sim.LastIntactBlocks())
    EXPECT_TRUE(std::equal(words.begin(), words.end(), BlockTable(type))) << "block " << type;
  EXPECT_EQ(ControllerType, 24);
  EXPECT_EQ(Block3[37], 5);
  EXPECT_EQ(Block2[14], 6);  // June
  EXPECT_EQ(Block2[15], 126);

  while (PollTick < 41) Tick();
  status = Tick(50);  // 41: the refresh
  EXPECT_EQ(status, QStringLiteral("  42  Datenaustausch zwischen PC und ZentrixNet"));
  EXPECT_EQ(QString::fromStdString(Form7->Edit4->Cp1252Text()), QStringLiteral("    vorhanden"));
  EXPECT_TRUE(Form1->isVisible());  // the daily chart was redrawn with the data
  EXPECT_EQ(DayChartMax, 36000u);    // 30.4 kWp
  while (PollTick != 60) status = Tick();
  EXPECT_EQ(status, QStringLiteral("  60  Verbindungsaufbau zwischen PC und ZentrixNet"));
  EXPECT_EQ(ExceptionCount(), 0) << LastExceptionMessage();
}

}  // namespace
