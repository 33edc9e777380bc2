#include "ShellTestSupport.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>

#include "link/PlantStore.h"
#include "shell/Application.h"
#include "shell/ExceptionDisplay.h"
#include "shell/TStart.h"

QTemporaryDir* ShellTest::ConfigDir = nullptr;

LinkedPty::LinkedPty(const QString& portsDir, int com) {
  char name[256] = {};
  if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
  termios raw{};
  ::tcgetattr(slave_, &raw);
  ::cfmakeraw(&raw);
  ::tcsetattr(slave_, TCSANOW, &raw);
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  slavePath_ = name;
  const QString link = QDir(portsDir).filePath(QStringLiteral("COM%1").arg(com));
  QFile::remove(link);
  QFile::link(QString::fromStdString(slavePath_), link);
}

LinkedPty::~LinkedPty() {
  ::close(slave_);
  ::close(master_);
}

std::vector<uint8_t> LinkedPty::ReadAll() {
  std::vector<uint8_t> out;
  uint8_t buffer[512];
  for (;;) {
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0) break;
    out.insert(out.end(), buffer, buffer + n);
  }
  return out;
}

void PumpEvents(int milliseconds) {
  QElapsedTimer timer;
  timer.start();
  do {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
    ::usleep(1000);
  } while (timer.elapsed() < milliseconds);
}

void ShellTest::SetUpTestSuite() {
  if (ConfigDir == nullptr) {
    ConfigDir = new QTemporaryDir();
    qputenv("XDG_CONFIG_HOME", ConfigDir->path().toLocal8Bit());
    QDir(ConfigDir->path()).mkpath(QStringLiteral("PCZentrixNet/ports"));
  }
  QDir::setCurrent(QStringLiteral(PCZN_PICTURE_DIR));
}

QString ShellTest::PortsDir() const { return ConfigDir->filePath(QStringLiteral("PCZentrixNet/ports")); }

void ShellTest::SetUp() {
  SetExceptionBoxesEnabled(false);
  ClearPlantStore();
  CreateWindows();
}

void ShellTest::TearDown() {
  delete Start;  // closes the port; the other windows go with their owner
  PumpEvents(1);
}
