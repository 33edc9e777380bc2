#pragma once
// Shared set-up of the program's window tests: the windows created as the
// program creates them, a ports folder of the test's own, and pseudo-terminals
// linked into it as COM ports.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
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

class ShellTest : public ::testing::Test {
protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  QString PortsDir() const;
  static QTemporaryDir* ConfigDir;
};
