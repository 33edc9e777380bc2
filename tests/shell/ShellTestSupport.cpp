#include "ShellTestSupport.h"

#include <stdlib.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>

#include "link/PlantStore.h"
#include "shell/Application.h"
#include "shell/ExceptionDisplay.h"
#include "shell/TStart.h"

TempPortsFolder* ShellTest::Ports = nullptr;
TempFolder* ShellTest::Data = nullptr;

LinkedPty::LinkedPty(const QString& portsDir, int com) {
  const QString link = QDir(portsDir).filePath(QStringLiteral("COM%1").arg(com));
  QFile::remove(link);
  QFile::link(QString::fromStdString(SlavePath()), link);
}

void PumpEvents(int milliseconds) {
  QElapsedTimer timer;
  timer.start();
  do {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
    ::usleep(1000);
  } while (timer.elapsed() < milliseconds);
}

QString SimLog(const SimulatorProcess& sim) { return QString::fromStdString(sim.Log()); }

void ShellTest::SetUpTestSuite() {
  if (Ports == nullptr) Ports = new TempPortsFolder();  // for the whole run
  if (Data == nullptr) {
    Data = new TempFolder("pczn-data");
    ::setenv("XDG_DATA_HOME", Data->Path().c_str(), 1);  // never the user's own archives
  }
  QDir::setCurrent(QStringLiteral(PCZN_PICTURE_DIR));
}

void ShellTest::Tick(int pumpMs) {
  Start->Timer2Timer();
  PumpEvents(pumpMs);
}

bool ShellTest::RunCycle(int exchangeMs) {
  for (int i = 0; i < 20 && PollTick != 0; ++i) Tick(60);
  if (PollTick != 0) return false;
  while (PollTick != 24) Tick();
  Tick(exchangeMs);
  const bool ended = NoAnswerCount == 0;
  while (PollTick != 60) Tick();
  return ended;
}

QString ShellTest::PortsDir() const { return QString::fromStdString(Ports->Folder()); }

std::string ShellTest::ConfigHome() { return Ports->ConfigHome(); }

std::filesystem::path ShellTest::DataHome() { return Data->Path(); }

void ShellTest::SetUp() {
  SetExceptionBoxesEnabled(false);
  InstallExceptionDisplay();
  ClearExceptionRecord();
  ClearPlantStore();
  for (const auto& entry : std::filesystem::directory_iterator(DataHome())) std::filesystem::remove_all(entry.path());
  CreateWindows(programOptions);
}

void ShellTest::TearDown() {
  delete Start;  // closes the port; the other windows go with their owner
  PumpEvents(1);
}
