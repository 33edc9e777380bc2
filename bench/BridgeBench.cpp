// The bridge as it runs beside a controller: the paced simulator (2400 baud)
// as COM 1 of a ports folder of its own, a mosquitto broker on a free port,
// the bridge between them with its one-second tick. From the end of its first
// data exchange over whole polling cycles (each ending with an exchange): its
// processor share and its resident memory.
//
//   bridge_bench [cycles]   (default 2)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "ProcStats.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/MosquittoBroker.h"
#include "tests/support/SimulatorProcess.h"
#include "tests/support/TempFolder.h"

namespace {

constexpr double CpuShareGoal = 0.005;
constexpr double MemoryGoalMB = 15;  // MB of 10^6 bytes

using Clock = std::chrono::steady_clock;

double MB(long kb) { return static_cast<double>(kb) * 1024 / 1e6; }

int Count(const std::string& in, const std::string& text) {
  int n = 0;
  for (size_t at = in.find(text); at != std::string::npos; at = in.find(text, at + 1)) ++n;
  return n;
}

// Waits until the simulator's log holds `n` completed exchanges.
bool WaitForExchanges(const SimulatorProcess& sim, int n, std::chrono::seconds limit) {
  const auto deadline = Clock::now() + limit;
  while (Clock::now() < deadline) {
    if (Count(sim.Log(), "EndOfExchange") >= n) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

struct Sample {
  Clock::time_point At;
  std::optional<double> CpuMs;
};

Sample Take(pid_t pid) { return {Clock::now(), ProcessCpuMs(pid)}; }

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const int cycles = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2;
  TempFolder folder("bridge-bench");
  const std::string configHome = (folder / "config").string();
  std::filesystem::create_directories(folder / "config/PCZentrixNet/ports");

  MosquittoBroker broker(folder / "broker");
  SimulatorProcess sim(configHome, (folder / "sim.log").string());
  if (!broker.Start() || !sim.Start(1, {"--start", "2024-07-02 14:52", "--seed", "1", "--meters", "12"})) {
    std::fprintf(stderr, "bridge_bench: the broker or the simulator did not start\n");
    return 1;
  }
  ChildProcess bridge(PCZN_BRIDGE, {"--port", "COM1", "--mqtt-host", "127.0.0.1", "--mqtt-port", std::to_string(broker.Port())},
                      {{"XDG_CONFIG_HOME", configHome}}, ChildProcess::Output::WithStandardError);
  std::printf("zentrixnet-bridge polling the paced simulator (COM 1, 12 meters), publishing to mosquitto on 127.0.0.1:%d\n",
              broker.Port());

  if (!WaitForExchanges(sim, 1, std::chrono::seconds(120))) {
    std::fprintf(stderr, "bridge_bench: no data exchange within 120 s\n%s", bridge.ReadAvailable().c_str());
    return 1;
  }
  const Sample first = Take(bridge.Pid());
  if (!WaitForExchanges(sim, 1 + cycles, std::chrono::seconds(90 * cycles))) {
    std::fprintf(stderr, "bridge_bench: the exchanges stopped\n%s", bridge.ReadAvailable().c_str());
    return 1;
  }
  const Sample last = Take(bridge.Pid());
  const std::optional<MemoryFigures> memory = ProcessMemory(bridge.Pid());
  const std::string log = bridge.ReadAvailable();
  bridge.Stop();
  if (!first.CpuMs || !last.CpuMs || !memory || log.find("data exchange completed") == std::string::npos) {
    std::fprintf(stderr, "bridge_bench: the bridge ended or published nothing while measured\n%s", log.c_str());
    return 1;
  }

  const double wallMs = std::chrono::duration<double, std::milli>(last.At - first.At).count();
  const double cpuMs = *last.CpuMs - *first.CpuMs;
  const double share = cpuMs / wallMs;
  const bool cpuMet = share <= CpuShareGoal;
  const bool memoryMet = MB(memory->RssKb) <= MemoryGoalMB && MB(memory->HwmKb) <= MemoryGoalMB;
  std::printf("polling and publishing over %d whole cycles (%.1f s): processor %.0f ms = %.3f %% of a core   "
              "goal <= %.1f %%: %s\n",
              cycles, wallMs / 1000, cpuMs, 100 * share, 100 * CpuShareGoal, cpuMet ? "met" : "MISSED");
  std::printf("resident memory: VmRSS %.1f MB, VmHWM (peak) %.1f MB   goal <= %.0f MB: %s\n", MB(memory->RssKb),
              MB(memory->HwmKb), MemoryGoalMB, memoryMet ? "met" : "MISSED");
  return cpuMet && memoryMet ? 0 : 4;
}
