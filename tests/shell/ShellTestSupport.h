#pragma once
// Shared set-up of the program's window tests: the windows created as the
// program creates them, a ports folder and a data folder (where the program
// keeps its archives) of the test's own, pseudo-terminals linked into it as
// COM ports, and the simulator program.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QString>
#include <string>
#include <vector>

#include "shell/ProgramOptions.h"
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

  // One polling tick as the timer runs it, then time for the port's events.
  static void Tick(int pumpMs = 10);
  // Runs one cycle: connection, the exchange at tick 24 with time for the
  // line, and on to the connecting state again. Returns whether the
  // exchange ended with its end frame.
  static bool RunCycle(int exchangeMs = 1500);

  QString PortsDir() const;
  static std::string ConfigHome();
  // $XDG_DATA_HOME of the test run, emptied before each test.
  static std::filesystem::path DataHome();
  static TempPortsFolder* Ports;
  static TempFolder* Data;

  // The command line's options the windows are created with.
  ProgramOptions programOptions;
};
