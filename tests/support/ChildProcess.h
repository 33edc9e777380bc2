#pragma once
// A program the tests start in a child process: its arguments and extra
// environment, its standard output on a pipe (standard error stays the
// test's, or joins the pipe when asked), its first line, its end. Or a program
// at a terminal of its own (a pseudo-terminal, its standard input and output)
// with its standard error on the pipe, for keys typed at it (Ctrl+C).
#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

// How long a helper program may take to say it is ready: on a loaded machine
// (several builds on two cores, sanitizers) a start can take many seconds; a
// helper that ends instead is noticed at once, so only one that hangs waits this long.
constexpr double ReadinessLimitSeconds = 180;

class ChildProcess {
public:
  using Environment = std::vector<std::pair<std::string, std::string>>;
  enum class Output { StandardOutput, WithStandardError, ErrorBesideTerminal };
  ChildProcess(const std::string& program, const std::vector<std::string>& args, const Environment& env = {},
               Output output = Output::StandardOutput);
  ~ChildProcess();  // kills a child that still runs
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t Pid() const { return pid_; }
  // The next line of its output, waiting up to the limit; what came so far otherwise.
  std::string ReadLine(double limitSeconds = 10);
  // Everything it wrote up to now, without waiting.
  std::string ReadAvailable();
  // Waits up to the limit for it to end; its exit status (128 + signal when
  // killed), or -1 when it still runs.
  int Wait(double limitSeconds);
  void Signal(int signal);
  // Bytes typed at its terminal ("\x03" is Ctrl+C); false without one.
  bool Type(const std::string& keys);
  // SIGTERM, then SIGKILL after the grace time; the exit status.
  int Stop(double graceSeconds = 5);
  bool Running();
  // Why it did not come up, for a test's failure: what it said, and whether it
  // ended (with its status) or still runs.
  std::string NotReady(const std::string& name, const std::string& said);

private:
  pid_t pid_ = -1;
  int out_ = -1;
  int terminal_ = -1;  // the terminal's master side, with ErrorBesideTerminal
  int status_ = -1;
};
