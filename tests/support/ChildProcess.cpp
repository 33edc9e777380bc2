#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// A cross build's programs run through the emulator ctest runs the tests with
// (qemu-user, no binfmt): the words of its command line, empty for a native
// build. The machine's own programs (the broker, ser2net) run as they are.
std::vector<std::string> EmulatorFor(const std::string& program) {
  const std::string emulator = PCZN_CHILD_EMULATOR;
  const std::string ownPrograms = PCZN_CHILD_BUILD_DIR "/";
  std::vector<std::string> words;
  if (emulator.empty() || program.rfind(ownPrograms, 0) != 0) return words;
  std::istringstream in(emulator);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// A session of its own whose controlling terminal is the pseudo-terminal, as
// a program started in a terminal window has: what is typed there (Ctrl+C)
// reaches it as the terminal's driver delivers it.
void SitAtTerminal(int terminal, int out) {
  setsid();
  ioctl(terminal, TIOCSCTTY, 0);
  dup2(terminal, STDIN_FILENO);
  dup2(terminal, STDOUT_FILENO);
  dup2(out, STDERR_FILENO);
  if (terminal > STDERR_FILENO) close(terminal);
}

// What a program writes to its terminal is not kept: read it away, so that
// the terminal's buffer never fills and holds the program up.
void Drain(int terminal) {
  char buffer[4096];
  for (pollfd p{terminal, POLLIN, 0}; poll(&p, 1, 0) > 0 && read(terminal, buffer, sizeof buffer) > 0;) {
  }
}

[[noreturn]] void RunChild(int out, int terminal, const std::string& program, const std::vector<std::string>& args,
                           const ChildProcess::Environment& env, ChildProcess::Output output) {
  if (output == ChildProcess::Output::ErrorBesideTerminal) SitAtTerminal(terminal, out);
  else dup2(out, STDOUT_FILENO);
  if (output == ChildProcess::Output::WithStandardError) dup2(out, STDERR_FILENO);
  for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
  std::vector<std::string> words = EmulatorFor(program);
  words.push_back(program);
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  execv(argv[0], argv.data());
  _exit(127);
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args, const Environment& env,
                           Output output) {
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  int terminal = -1;
  if (output == Output::ErrorBesideTerminal) {
    if (openpty(&terminal_, &terminal, nullptr, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
    // Neither side stays open in a program started later: the terminal ends with this one.
    fcntl(terminal_, F_SETFD, FD_CLOEXEC);
    fcntl(terminal, F_SETFD, FD_CLOEXEC);
  }
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) RunChild(out[1], terminal, program, args, env, output);
  close(out[1]);
  if (terminal >= 0) close(terminal);
  out_ = out[0];
}

ChildProcess::~ChildProcess() {
  if (Running()) {
    kill(pid_, SIGKILL);
    Wait(5);
  }
  close(out_);
  if (terminal_ >= 0) close(terminal_);
}

std::string ChildProcess::ReadLine(double limitSeconds) {
  std::string line;
  const auto start = Clock::now();
  while (SecondsSince(start) < limitSeconds) {
    pollfd p{out_, POLLIN, 0};
    if (poll(&p, 1, 50) <= 0) continue;
    char c;
    if (read(out_, &c, 1) != 1) break;
    if (c == '\n') return line;
    line += c;
  }
  return line;
}

std::string ChildProcess::ReadAvailable() {
  if (terminal_ >= 0) Drain(terminal_);
  std::string text;
  for (;;) {
    pollfd p{out_, POLLIN, 0};
    if (poll(&p, 1, 0) <= 0) return text;
    char buffer[4096];
    const ssize_t n = read(out_, buffer, sizeof buffer);
    if (n <= 0) return text;
    text.append(buffer, static_cast<size_t>(n));
  }
}

int ChildProcess::Wait(double limitSeconds) {
  const auto start = Clock::now();
  while (pid_ > 0) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      break;
    }
    if (SecondsSince(start) >= limitSeconds) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return status_;
}

void ChildProcess::Signal(int signal) {
  if (pid_ > 0) kill(pid_, signal);
}

bool ChildProcess::Type(const std::string& keys) {
  return terminal_ >= 0 && write(terminal_, keys.data(), keys.size()) == static_cast<ssize_t>(keys.size());
}

int ChildProcess::Stop(double graceSeconds) {
  Signal(SIGTERM);
  if (Wait(graceSeconds) == -1) {
    Signal(SIGKILL);
    Wait(5);
  }
  return status_;
}

bool ChildProcess::Running() { return pid_ > 0 && Wait(0) == -1; }

std::string ChildProcess::NotReady(const std::string& name, const std::string& said) {
  const std::string rest = ReadAvailable();
  const int status = Wait(2);
  std::string text = name + " did not come up; it said \"" + said + rest + "\"";
  text += status < 0 ? " and still runs" : " and ended with status " + std::to_string(status);
  return text;
}
