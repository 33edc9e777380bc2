#include "PollerRun.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "MonotonicClock.h"
#include "ProcStats.h"

namespace {

double Ms(const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; }

pid_t Spawn(const std::string& program, const std::string& port, const std::string& configHome) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
  const int null = open("/dev/null", O_WRONLY);
  dup2(null, STDOUT_FILENO);
  execl(program.c_str(), program.c_str(), "--port", port.c_str(), static_cast<char*>(nullptr));
  _exit(127);
}

}  // namespace

std::optional<PollerFigures> RunPoller(const std::string& program, const std::string& port,
                                       const std::string& configHome, const std::function<bool()>& exchangeStarted,
                                       int timeoutMs) {
  const pid_t pid = Spawn(program, port, configHome);
  if (pid < 0) return std::nullopt;
  const int64_t deadline = MonotonicNs() + int64_t{timeoutMs} * 1'000'000;
  std::optional<double> atStartMs;
  for (;;) {
    int status = 0;
    rusage usage{};
    const pid_t ended = wait4(pid, &status, WNOHANG, &usage);
    if (ended == pid) {
      const double total = Ms(usage.ru_utime) + Ms(usage.ru_stime);
      if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !atStartMs) return std::nullopt;
      return PollerFigures{total - *atStartMs, total};
    }
    if (MonotonicNs() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
      return std::nullopt;
    }
    if (!atStartMs && exchangeStarted()) atStartMs = ProcessCpuMs(pid);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}
