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
#include "tests/support/TempFolder.h"
#ifndef _WIN32
#include "tests/support/PtyLine.h"
#include "tests/support/SimulatorProcess.h"
#include "tests/support/TempPortsFolder.h"
#endif

using Options = std::vector<std::string>;

#ifndef _WIN32
// A pseudo-terminal whose slave side is linked as a COM port.
class LinkedPty : public PtyLine {
public:
  LinkedPty(const QString& portsDir, int com);
};

// The simulator's frame log, for QString's searches.
QString SimLog(const SimulatorProcess& sim);
#endif

// Runs the event loop for the given time (port events, timers, repaints).
void PumpEvents(int milliseconds);

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

#ifndef _WIN32
  QString PortsDir() const;
  static std::string ConfigHome();
  static TempPortsFolder* Ports;
#endif
  // The program's data folder in the test run ($XDG_DATA_HOME, on Windows
  // %LOCALAPPDATA%), emptied before each test.
  static std::filesystem::path DataHome();
  static TempFolder* Data;

  // The command line's options the windows are created with.
  ProgramOptions programOptions;
};
