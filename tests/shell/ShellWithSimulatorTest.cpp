#include <QLineEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "ShellTestSupport.h"
#include "link/Commands.h"
#include "link/Polling.h"
#include "serial/VaComm.h"
#include "settings/Edit.h"
#include "settings/TForm13.h"
#include "settings/TForm7.h"
#include "settings/UpDown.h"
#include "shell/ExceptionDisplay.h"
#include "shell/TStart.h"
#include "store/PlantStore.h"
#include "views/history/ChartForms.h"

namespace {

// Tables are marked before the exchange; a stored block replaces the mark.
constexpr uint16_t Mark = 0xBEEF;
bool Stored(const uint16_t* table) { return std::count(table, table + 100, Mark) < 100; }

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
  // Connects and runs the exchange up to the refresh; false when it did not end.
  bool RunToRefresh() {
    for (int i = 0; i < 10 && PollTick != 0; ++i) Tick(100);
    if (PollTick != 0) return false;
    while (PollTick < 24) Tick();
    Tick(1500);  // 24: the exchange runs at the line's speed
    while (PollTick < 42) Tick();
    return NoAnswerCount == 0;
  }
  // The simulator's log lines that name a command, in order.
  std::vector<std::string> LoggedCommands() {
    std::vector<std::string> commands;
    for (const QString& line : SimLog(sim).split(QLatin1Char('\n'))) {
      if (!line.contains(QLatin1String(" PC>SIM FE 8F "))) continue;
      commands.push_back(line.section(QStringLiteral("  "), 1).trimmed().toStdString());
    }
    return commands;
  }
  TempFolder logDir{"shell-sim"};
  SimulatorProcess sim{ConfigHome(), (logDir / "sim.log").string()};
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
  Tick();                                                                                      // 23 -> 24
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
  EXPECT_EQ(DayChartMax, 36000u);   // 30.4 kWp
  while (PollTick != 60) status = Tick();
  EXPECT_EQ(status, QStringLiteral("  60  Verbindungsaufbau zwischen PC und ZentrixNet"));
  EXPECT_EQ(ExceptionCount(), 0) << LastExceptionMessage();
}

// What the user confirmed in the wizard is what the controller receives: a
// commissioning date set with "Ok" survives the wizard being filled again, and
// a typed SMS number survives the factory reset confirmed in the same cycle,
// which goes out first.
TEST_F(ShellWithSimulatorTest, TheControllerReceivesWhatTheWizardConfirmed) {
  StartSimulator(7);
  Start->SpeedButtons[7]->click();
  ASSERT_EQ(ExceptionCount(), 0) << LastExceptionMessage();
  Start->Timer2->stop();  // the test drives the ticks
  ASSERT_TRUE(RunToRefresh());
  ASSERT_EQ(Block3[35], 4);  // the simulator's plant: April 2023
  ASSERT_EQ(Block3[36], 23);

  Start->Bild71->trigger();  // "Einstellungen"
  TForm13& w = *Form13;
  while (WizardStep != 3) w.SpeedButton1->click();
  for (int i = 0; i < 3; ++i) w.UpDown1->Click(TUpDown::Button::Up);
  for (int i = 0; i < 2; ++i) w.UpDown2->Click(TUpDown::Button::Up);
  ASSERT_EQ(w.Edit5->text() + "/" + w.Edit6->text(), QStringLiteral("7/2025"));
  w.SpeedButton4->click();
  while (WizardStep != 11) w.SpeedButton1->click();
  w.Edit7->setText(QStringLiteral("0171 2345678"));
  w.SpeedButton9->click();
  while (WizardStep != 0) w.SpeedButton1->click();  // page 0 fills the wizard again
  w.SpeedButton14->click();
  w.SpeedButton15->click();
  Start->Bild71->trigger();  // and opening it anew fills it once more
  ASSERT_EQ(w.UpDown1->Position(), 4);

  const size_t before = LoggedCommands().size();
  while (PollTick != 60) Tick();
  Tick(200);  // the last command waiting for the connection goes out too
  std::vector<std::string> sent = LoggedCommands();
  sent.erase(sent.begin(), sent.begin() + static_cast<long>(before));
  const std::vector<std::string> expected = {"SetDateTime",
                                             "StartLearningPhase",
                                             "SetSmsNumber \"" + std::string(ServiceNumber) + "\"",
                                             "SetCommissioningMonth 7",
                                             "SetCommissioningYear 25",
                                             "SetSmsNumber \"0171.2345678\""};
  EXPECT_EQ(sent, expected) << SimLog(sim).right(3000).toStdString();
  EXPECT_EQ(ExceptionCount(), 0) << LastExceptionMessage();
}

}  // namespace
