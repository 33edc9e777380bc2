#pragma once
// What the serial tests share: pseudo-terminal pairs, the main thread's event
// loop, a ports folder for COMn links, the exception display's record, and
// the port configured as the application configures it.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "serial/VaComm.h"
#include "tests/support/PlainMainLoop.h"

// A pseudo-terminal pair. The port under test opens SlavePath; the test plays
// the other end on Master. The test keeps its own slave descriptor open, so
// it can read the tty's settings back.
class PseudoTerminal {
public:
  PseudoTerminal();
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  const std::string& SlavePath() const { return SlavePath_; }
  int Slave() const { return Slave_; }
  void Write(const std::string& bytes);
  // Reads what arrives within the time limit, stopping early once `want` bytes came.
  // Runs the main thread's event loop while it waits.
  std::string Read(size_t want, int timeoutMs);
  // Hangs the line up, as a pulled adapter does.
  void CloseMaster();

  static constexpr char Xoff = 0x13;
  static constexpr char Xon = 0x11;

private:
  int Master_ = -1;
  int Slave_ = -1;
  std::string SlavePath_;
};

uint32_t MillisecondsSince(uint32_t tick);
// Processor time of the whole process so far.
double ProcessCpuMilliseconds();

// A temporary ports folder (XDG_CONFIG_HOME) in which COMn links are made.
class PortsFolder {
public:
  PortsFolder();
  ~PortsFolder();
  // Makes COMn a link to target; returns the link's path.
  std::string Link(int number, const std::string& target);

private:
  std::string Root_;
  std::string Saved_;
  bool HadSaved_ = false;
};

// Every message the application's exception display received.
class ExceptionRecord {
public:
  ExceptionRecord();
  ~ExceptionRecord();
  std::vector<std::string> Messages() const;
};

// The application's port: 2400 baud, tab as event and end-of-file character,
// no flow control, DTR and RTS off, "\\.\COM%d", received-character and 80 %
// events.
void ConfigureLikeApplication(TVaComm& comm);

// The tty's output speed and whether it is a free rate, read with termios2.
uint32_t TtyOutputSpeed(int fd);
bool TtyUsesFreeRate(int fd);
