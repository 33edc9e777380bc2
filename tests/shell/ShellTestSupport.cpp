#include "ShellTestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <chrono>
#include <thread>

#include "shell/Application.h"
#include "shell/ExceptionDisplay.h"
#include "shell/TStart.h"
#include "store/PlantStore.h"

TempFolder* ShellTest::Data = nullptr;

#ifndef _WIN32
TempPortsFolder* ShellTest::Ports = nullptr;

LinkedPty::LinkedPty(const QString& portsDir, int com) {
  const QString link = QDir(portsDir).filePath(QStringLiteral("COM%1").arg(com));
  QFile::remove(link);
  QFile::link(QString::fromStdString(SlavePath()), link);
}

QString SimLog(const SimulatorProcess& sim) { return QString::fromStdString(sim.Log()); }

QString ShellTest::PortsDir() const { return QString::fromStdString(Ports->Folder()); }

std::string ShellTest::ConfigHome() { return Ports->ConfigHome(); }
#endif

void PumpEvents(int milliseconds) {
  QElapsedTimer timer;
  timer.start();
  do {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  } while (timer.elapsed() < milliseconds);
}

void ShellTest::SetUpTestSuite() {
#ifndef _WIN32
  if (Ports == nullptr) Ports = new TempPortsFolder();  // for the whole run
#endif
  if (Data == nullptr) {
    Data = new TempFolder("pczn-data");
    // Never the user's own archives.
    const QByteArray folder = QByteArray::fromStdString(Data->Path().string());
#ifdef _WIN32
    qputenv("LOCALAPPDATA", folder);
#else
    qputenv("XDG_DATA_HOME", folder);
#endif
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
