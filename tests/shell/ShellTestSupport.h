#pragma once
// Shared set-up of the program's window tests: the windows created as the
// program creates them, a ports folder of the test's own, pseudo-terminals
// linked into it as COM ports, and the simulator program.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QString>
#include <string>
#include <vector>

#include "tests/support/PtyLine.h"
#include "tests/support/SimulatorProcess.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TempPortsFolder.h"

using Options = std::vector<std::string>;

// A pseudo-terminal whose slave side is linked as a COM port.
class LinkedPty : public PtyLine {
public:
  LinkedPty(const QString& portsDir, int com);
};

// Runs the event loop for the given time (port events, timers, repaints).
void PumpEvents(int milliseconds);

// The simulator's frame log, for QString's searches.
QString SimLog(const SimulatorProcess& sim);

class ShellTest : public ::testing::Test {
protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  QString PortsDir() const;
  static std::string ConfigHome();
  static TempPortsFolder* Ports;
};
