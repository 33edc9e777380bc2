#pragma once
// Shared set-up of the program's window tests: the windows created as the
// program creates them, a ports folder of the test's own, and pseudo-terminals
// linked into it as COM ports.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <map>
#include <string>
#include <vector>

// A pseudo-terminal whose slave side is linked as a COM port.
class LinkedPty {
public:
  LinkedPty(const QString& portsDir, int com);
  ~LinkedPty();
  int Master() const { return master_; }
  std::string SlavePath() const { return slavePath_; }
  // Everything the program wrote so far.
  std::vector<uint8_t> ReadAll();

private:
  int master_ = -1;
  int slave_ = -1;  // held open so that the master never sees a hang-up
  std::string slavePath_;
};

// Runs the event loop for the given time (port events, timers, repaints).
void PumpEvents(int milliseconds);

// The simulator program on a pseudo-terminal linked as a COM port of the
// tests' ports folder, with its frame log in a file.
class SimulatorProcess {
public:
  explicit SimulatorProcess(const QString& logPath) : logPath_(logPath) {}
  ~SimulatorProcess() { Stop(); }
  // Starts it as COM `com` with the given options; false when it does not come up.
  bool Start(int com, const QStringList& options);
  void Stop();
  bool Running() const { return process_.state() == QProcess::Running; }
  QString Log() const;
  // The last data block of each type that went out whole and intact
  // (type -> 100 words), read from the log's exact bytes.
  std::map<int, std::vector<uint16_t>> LastIntactBlocks() const;

private:
  QString logPath_;
  QProcess process_;
};

class ShellTest : public ::testing::Test {
protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  QString PortsDir() const;
  static QTemporaryDir* ConfigDir;
};
