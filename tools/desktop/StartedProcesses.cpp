#include "tools/desktop/StartedProcesses.h"

#include <signal.h>

#include <atomic>

namespace StartedProcesses {

namespace {

// A fixed table of slots: the handler may only read plain memory.
constexpr int Slots = 16;
std::atomic<pid_t> Pids[Slots];

void EndAllAndLeave(int signal) {
  for (auto& slot : Pids) {
    const pid_t pid = slot.load();
    if (pid > 0) kill(pid, SIGTERM);
  }
  ::signal(signal, SIG_DFL);
  raise(signal);
}

}  // namespace

void Add(pid_t pid) {
  if (pid <= 0) return;
  for (auto& slot : Pids) {
    pid_t empty = 0;
    if (slot.compare_exchange_strong(empty, pid)) return;
  }
}

void Remove(pid_t pid) {
  for (auto& slot : Pids) {
    pid_t expected = pid;
    slot.compare_exchange_strong(expected, 0);
  }
}

void EndAllOnSignals() {
  struct sigaction action {};
  action.sa_handler = EndAllAndLeave;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaction(signal, &action, nullptr);
}

}  // namespace StartedProcesses
