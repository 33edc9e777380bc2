#pragma once
// What the serial tests share: pseudo-terminal pairs, the main thread's event
// loop, a ports folder for COMn links, the exception display's record, and
// the port configured as the application configures it. The same tests build
// for Linux (PosixLineSupport.cpp: the terminals are this process's own) and
// for Windows under wine (WineLineSupport.cpp: COM ports mapped to terminals
// that serial-line-peer holds on the Linux side).
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "serial/VaComm.h"
#include "tests/support/PlainMainLoop.h"

// A pseudo-terminal pair. The port under test opens SlavePath (the terminal
// on Linux, "\\.\COMn" under wine); the test plays the line's other end.
// On Linux the test keeps its own slave descriptor open, so it can read the
// tty's settings back.
class PseudoTerminal {
public:
  PseudoTerminal();
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  const std::string& SlavePath() const { return slavePath_; }
#ifndef _WIN32
  int Slave() const;
#endif
  void Write(const std::string& bytes);
  // Reads what arrives within the time limit, stopping early once `want` bytes came.
  // Runs the main thread's event loop while it waits.
  std::string Read(size_t want, int timeoutMs);
  // Hangs the line up, as a pulled adapter does.
  void CloseMaster();

  static constexpr char Xoff = 0x13;
  static constexpr char Xon = 0x11;

private:
  struct Line;
  Line* line_ = nullptr;
  std::string slavePath_;
  friend class PortsFolder;
};

// The code and text a hung-up line is reported with ("5, Input/output error").
std::string LostLineError();

// Skips the test when it asserts what wine's comm layer does differently
// from Windows (a Windows build running under wine); runs it everywhere else.
bool RunningUnderWine();
#define SKIP_UNDER_WINE(reason) \
  if (RunningUnderWine()) GTEST_SKIP() << "under wine: " << (reason)

uint32_t MillisecondsSince(uint32_t tick);
// Processor time of the whole process so far.
double ProcessCpuMilliseconds();

// A temporary ports folder (XDG_CONFIG_HOME) in which COMn links are made;
// under wine, the COM numbers of the prefix.
class PortsFolder {
public:
  PortsFolder();
  ~PortsFolder();
  // Makes COMn lead to the terminal; returns the path the port then opens.
  std::string Link(int number, const PseudoTerminal& target);
  // Makes COMn a link to a path (Linux only).
  std::string Link(int number, const std::string& target);

private:
  struct Folder;  // Linux: an XDG_CONFIG_HOME of the test's own
  Folder* folder_ = nullptr;
};

// Every message the application's exception display received.
class ExceptionRecord {
public:
  ExceptionRecord();
  ~ExceptionRecord();
  std::vector<std::string> Messages() const;
  // The kinds of the component's errors among them.
  std::vector<TVaCommErrorKind> CommErrorKinds() const;
};

// Kinds by name in a failed expectation.
void PrintTo(TVaCommErrorKind kind, std::ostream* out);
// The component's error that the call raises, if it raises one.
std::optional<EVaCommError> CommErrorOf(const std::function<void()>& call);
// The message of the error that Open raises, or "(no error)".
std::string OpenError(TVaComm& comm);

// The application's port: 2400 baud, tab as event and end-of-file character,
// no flow control, DTR and RTS off, "\\.\COM%d", received-character and 80 %
// events.
void ConfigureLikeApplication(TVaComm& comm);

#ifndef _WIN32
// The tty's output speed and whether it is a free rate, read with termios2.
uint32_t TtyOutputSpeed(int fd);
bool TtyUsesFreeRate(int fd);
#endif
