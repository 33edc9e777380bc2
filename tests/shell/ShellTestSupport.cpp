#include "ShellTestSupport.h"

#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>

#include "link/PlantStore.h"
#include "shell/Application.h"
#include "shell/ExceptionDisplay.h"
#include "shell/TStart.h"

TempPortsFolder* ShellTest::Ports = nullptr;

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
  QDir::setCurrent(QStringLiteral(PCZN_PICTURE_DIR));
}

QString ShellTest::PortsDir() const { return QString::fromStdString(Ports->Folder()); }

std::string ShellTest::ConfigHome() { return Ports->ConfigHome(); }

void ShellTest::SetUp() {
  SetExceptionBoxesEnabled(false);
  InstallExceptionDisplay();
  ClearExceptionRecord();
  ClearPlantStore();
  CreateWindows();
}

void ShellTest::TearDown() {
  delete Start;  // closes the port; the other windows go with their owner
  PumpEvents(1);
}
