#include "ShellTestSupport.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <QStringList>

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

bool SimulatorProcess::Start(int com, const QStringList& options) {
  process_.setProgram(QStringLiteral(PCZN_SIMULATOR));
  process_.setArguments(QStringList{"--com", QString::number(com), "--log", logPath_} + options);
  process_.start();
  if (!process_.waitForStarted(5000) || !process_.waitForReadyRead(5000)) return false;
  return process_.readLine().startsWith("/dev/");
}

void SimulatorProcess::Stop() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(5000)) {
    process_.kill();
    process_.waitForFinished(2000);
  }
}

QString SimulatorProcess::Log() const {
  QFile f(logPath_);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

std::map<int, std::vector<uint16_t>> SimulatorProcess::LastIntactBlocks() const {
  std::map<int, std::vector<uint16_t>> blocks;
  for (const QString& line : Log().split(QLatin1Char('\n'))) {
    const QStringList fields = line.section(QStringLiteral("  "), 0, 0).split(QLatin1Char(' '));
    if (fields.size() < 3 || fields[1] != QLatin1String("SIM>PC")) continue;
    std::vector<uint8_t> bytes;
    for (int i = 2; i < fields.size(); ++i) bytes.push_back(static_cast<uint8_t>(fields[i].toUInt(nullptr, 16)));
    // A line may carry stray bytes before its frame; find a whole, intact block in it.
    for (size_t at = 0; at + 205 <= bytes.size(); ++at) {
      if (bytes[at] != 0xFF || bytes[at + 1] != 0xFA || bytes[at + 2] != 205) continue;
      uint8_t sum = 0;
      for (size_t i = at; i < at + 204; ++i) sum = static_cast<uint8_t>(sum + bytes[i]);
      if (sum != bytes[at + 204]) continue;
      std::vector<uint16_t> words(100);
      for (int i = 0; i < 100; ++i) words[i] = static_cast<uint16_t>(bytes[at + 4 + 2 * i] << 8 | bytes[at + 5 + 2 * i]);
      blocks[bytes[at + 3]] = words;
      break;
    }
  }
  return blocks;
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
  InstallExceptionDisplay();
  ClearExceptionRecord();
  ClearPlantStore();
  CreateWindows();
}

void ShellTest::TearDown() {
  delete Start;  // closes the port; the other windows go with their owner
  PumpEvents(1);
}
