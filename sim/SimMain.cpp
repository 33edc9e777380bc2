// zentrixnet-sim: the plant controller on a pseudo-terminal or a tty.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>

#include "ComLink.h"
#include "LinePacer.h"
#include "Options.h"
#include "PortList.h"
#include "SerialLine.h"
#include "Simulator.h"
#include "base/Version.h"

namespace {

using namespace Sim;

// Signals reach the loop through a pipe, so that poll() wakes for them.
int SignalPipe[2] = {-1, -1};

void OnSignal(int signal) {
  const int saved = errno;
  const char code = static_cast<char>(signal);
  [[maybe_unused]] const ssize_t n = write(SignalPipe[1], &code, 1);
  errno = saved;
}

void InstallSignals() {
  if (pipe(SignalPipe) != 0) throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  for (int s : {SIGINT, SIGTERM, SIGHUP, SIGUSR1}) sigaction(s, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

int64_t NowUs() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

bool WritePlantFile(Simulator& sim, const std::string& path) {
  const Bytes file = sim.PlantFile();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  out.close();
  if (!out) {
    std::cerr << "zentrixnet-sim: cannot write " << path << "\n";
    return false;
  }
  return true;
}

class Runner {
public:
  Runner(const ProgramOptions& options, Simulator& sim, SerialLine& line)
      : options_(options), sim_(sim), line_(line), pacer_(options.Fast ? 0 : LinePacer::At2400Baud) {}

  int Run();

private:
  void SendDue();
  void ReadLine(short events);
  bool HandleSignals();  // false: stop
  int TimeoutMs() const;

  const ProgramOptions& options_;
  Simulator& sim_;
  SerialLine& line_;
  LinePacer pacer_;
  bool lineBlocked_ = false;
};

int Runner::Run() {
  for (;;) {
    sim_.Poll();
    if (sim_.HangUpDue()) {
      sim_.Log().Event(SystemClock().MonotonicMs(), "Hang-up: line closed");
      line_.Close();
      std::cerr << "zentrixnet-sim: hang-up, line closed\n";
      return 0;
    }
    pacer_.Enqueue(sim_.TakeDue(), NowUs());
    SendDue();
    pollfd fds[2] = {{line_.Fd(), static_cast<short>(POLLIN | (lineBlocked_ ? POLLOUT : 0)), 0},
                     {SignalPipe[0], POLLIN, 0}};
    if (poll(fds, 2, TimeoutMs()) < 0 && errno != EINTR) {
      std::cerr << "zentrixnet-sim: poll: " << std::strerror(errno) << "\n";
      return 1;
    }
    if (fds[1].revents & POLLIN && !HandleSignals()) return 0;
    if (fds[0].revents & POLLOUT) lineBlocked_ = false;
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) ReadLine(fds[0].revents);
    if (line_.Fd() < 0) return 1;
  }
}

void Runner::SendDue() {
  const size_t due = pacer_.DueCount(NowUs());
  if (due == 0 || lineBlocked_) return;
  const Bytes bytes = pacer_.Front(due);
  const ssize_t n = write(line_.Fd(), bytes.data(), bytes.size());
  if (n > 0) pacer_.Consume(static_cast<size_t>(n));
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) lineBlocked_ = true;
  else if (n < 0 && errno != EINTR) std::cerr << "zentrixnet-sim: write: " << std::strerror(errno) << "\n";
}

void Runner::ReadLine(short events) {
  uint8_t buffer[512];
  const ssize_t n = read(line_.Fd(), buffer, sizeof buffer);
  if (n > 0) {
    sim_.Receive(buffer, static_cast<size_t>(n));
    return;
  }
  const bool hungUp = (events & (POLLHUP | POLLERR)) != 0 || (n < 0 && errno == EIO);
  if (!hungUp) return;
  if (!line_.IsPseudoTerminal()) {
    std::cerr << "zentrixnet-sim: the device " << line_.Path() << " hung up\n";
    line_.Close();
    return;
  }
  // No terminal side open: wait instead of spinning on the hang-up.
  usleep(100000);
}

bool Runner::HandleSignals() {
  char codes[16];
  const ssize_t n = read(SignalPipe[0], codes, sizeof codes);
  for (ssize_t i = 0; i < n; ++i) {
    if (codes[i] != SIGUSR1) return false;
    if (options_.SolOnSignal.empty()) {
      std::cerr << "zentrixnet-sim: SIGUSR1 without --sol-on-signal, nothing written\n";
    } else if (WritePlantFile(sim_, options_.SolOnSignal)) {
      sim_.Log().Event(SystemClock().MonotonicMs(), "Plant file written to " + options_.SolOnSignal);
    }
  }
  return true;
}

int Runner::TimeoutMs() const {
  int64_t timeout = 100;  // partial frames and the hang-up are looked at this often
  if (!pacer_.Empty() && !lineBlocked_) timeout = std::min<int64_t>(timeout, (pacer_.NextDueUs() - NowUs()) / 1000);
  if (const auto due = sim_.NextDueMs()) timeout = std::min<int64_t>(timeout, *due - SystemClock().MonotonicMs());
  return static_cast<int>(std::max<int64_t>(timeout, 0));
}

int Main(const std::vector<std::string>& args) {
  SystemClock clock;
  const ParsedOptions parsed = ParseOptions(args, clock.LocalNow());
  if (!parsed.Options) {
    std::cerr << "zentrixnet-sim: " << parsed.Error << "\n";
    return 2;
  }
  const ProgramOptions& options = *parsed.Options;
  if (options.Help) {
    std::cout << HelpText();
    return 0;
  }
  if (options.Version) {
    std::cout << "zentrixnet-sim " PCZN_VERSION "\n";
    return 0;
  }
  if (options.ListPorts) {
    for (const std::string& line : PortList()) std::cout << line << "\n";
    return 0;
  }
  std::ofstream logFile;
  if (!options.LogPath.empty()) {
    logFile.open(options.LogPath, std::ios::trunc);
    if (!logFile) {
      std::cerr << "zentrixnet-sim: cannot write the log " << options.LogPath << "\n";
      return 1;
    }
  }
  Simulator sim(options.Sim, clock, logFile.is_open() ? &logFile : nullptr);
  if (!options.WriteSol.empty()) return WritePlantFile(sim, options.WriteSol) ? 0 : 1;
  try {
    InstallSignals();
    SerialLine line =
        options.Device.empty() ? SerialLine::OpenPseudoTerminal() : SerialLine::OpenDevice(options.Device);
    std::unique_ptr<ComLink> com;
    if (options.Com) com = std::make_unique<ComLink>(*options.Com, line.Path());
    std::cout << line.Path() << std::endl;
    std::cerr << "zentrixnet-sim: controller on " << line.Path();
    if (com) std::cerr << " (COM" << *options.Com << ": " << com->LinkPath() << ")";
    std::cerr << (options.Fast ? ", unpaced" : ", 2400 baud") << "\n";
    return Runner(options, sim, line).Run();
  } catch (const std::exception& e) {
    std::cerr << "zentrixnet-sim: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace

int main(int argc, char** argv) { return Main(std::vector<std::string>(argv + 1, argv + argc)); }
