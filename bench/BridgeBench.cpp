// The bridge as it runs beside a controller: the paced simulator (2400 baud)
// as COM 1 of a ports folder of its own, a mosquitto broker on a free port,
// the bridge between them with its one-second tick. From the end of its first
// data exchange over whole polling cycles (each ending with an exchange): its
// processor share, its processor time per received byte beside a bare reader's
// on a line paced the same way, and its resident memory.
//
//   bridge_bench [cycles]   (default 2)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ExchangeLog.h"
#include "Goals.h"
#include "PacedFeed.h"
#include "PhaseLog.h"
#include "ProcStats.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/MosquittoBroker.h"
#include "tests/support/Occurrences.h"
#include "tests/support/SimulatorProcess.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TempPortsFolder.h"
#include "tools/render/TimeSummary.h"

namespace {

constexpr double CpuShareGoal = Goals::BridgeCpuShare;
constexpr double MemoryGoalMB = Goals::BridgeMemoryMB;

using Clock = std::chrono::steady_clock;

double MB(long kb) { return static_cast<double>(kb) * 1024 / 1e6; }

const std::string EndOfExchange = "EndOfExchange";
const std::string StartOfExchange = "(start of exchange)";

// Waits until the simulator's log holds `text` `n` times.
bool WaitForLog(const SimulatorProcess& sim, const std::string& text, int n, std::chrono::seconds limit) {
  const auto deadline = Clock::now() + limit;
  while (Clock::now() < deadline) {
    if (Occurrences(sim.Log(), text) >= n) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

struct Sample {
  Clock::time_point At;
  std::optional<double> CpuMs;
};

Sample Take(pid_t pid) { return {Clock::now(), ProcessCpuMs(pid)}; }

double WallMs(const Sample& from, const Sample& to) {
  return std::chrono::duration<double, std::milli>(to.At - from.At).count();
}

struct Figures {
  double WallMs = 0, CpuMs = 0;                  // whole cycles
  double ExchangeWallMs = 0, ExchangeCpuMs = 0;  // from request 16 to the end frame
  std::vector<double> CpuMsPerExchange;
};

// From the end of the first exchange over `cycles` whole cycles, each ending
// with an exchange, sampled also where each exchange starts.
std::optional<Figures> MeasureCycles(const SimulatorProcess& sim, pid_t pid, int cycles) {
  Figures f;
  const Sample first = Take(pid);
  Sample last = first;
  for (int cycle = 1; cycle <= cycles; ++cycle) {
    if (!WaitForLog(sim, StartOfExchange, 1 + cycle, std::chrono::seconds(90))) return std::nullopt;
    const Sample started = Take(pid);
    if (!WaitForLog(sim, EndOfExchange, 1 + cycle, std::chrono::seconds(60))) return std::nullopt;
    last = Take(pid);
    if (!started.CpuMs || !last.CpuMs) return std::nullopt;
    f.ExchangeWallMs += WallMs(started, last);
    f.ExchangeCpuMs += *last.CpuMs - *started.CpuMs;
    f.CpuMsPerExchange.push_back(*last.CpuMs - *started.CpuMs);
  }
  if (!first.CpuMs) return std::nullopt;
  f.WallMs = WallMs(first, last);
  f.CpuMs = *last.CpuMs - *first.CpuMs;
  return f;
}

// Processor time per byte the controller sent, exchange by exchange (the
// first exchange ended before the measuring began).
std::vector<double> PerByteUs(const Figures& f, const std::string& simLog) {
  const std::vector<int> bytes = ControllerBytesPerExchange(simLog);
  std::vector<double> perByte;
  for (size_t i = 0; i < f.CpuMsPerExchange.size() && i + 1 < bytes.size(); ++i)
    perByte.push_back(1000 * f.CpuMsPerExchange[i] / bytes[i + 1]);
  return perByte;
}

// The bytes the controller sent in the measured exchanges (after the first).
int64_t MeasuredBytes(const std::string& simLog, int cycles) {
  const std::vector<int> bytes = ControllerBytesPerExchange(simLog);
  int64_t sum = 0;
  for (size_t i = 1; i < bytes.size() && i <= static_cast<size_t>(cycles); ++i) sum += bytes[i];
  return sum;
}

bool PrintPerByte(const std::vector<double>& bridge, const std::vector<double>& bare) {
  const double ratio = MedianOf(bridge) / MedianOf(bare);
  const bool met = !bridge.empty() && !bare.empty() && ratio <= PacedFeed::PerByteGoal;
  std::printf(
      "processor time per received byte in the exchanges (us): the bridge %s; a bare reader (one thread, "
      "poll + read, same pacing, %d bytes) %s\n",
      Listed(bridge, "%.1f").c_str(), PacedFeed::BareBytes, Listed(bare, "%.1f").c_str());
  std::printf(
      "[goal 2] processor time per received byte, medians: the bridge %.1f us = %.2f x the bare reader's "
      "%.1f us   goal <= %.1f x: %s\n",
      MedianOf(bridge), ratio, MedianOf(bare), PacedFeed::PerByteGoal, met ? "met" : "MISSED");
  return met;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const int cycles = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2;
  TempFolder folder("bridge-bench");
  const TempPortsFolder ports;  // the bridge, started below, inherits it

  MosquittoBroker broker(folder / "broker");
  SimulatorProcess sim(ports.ConfigHome(), (folder / "sim.log").string());
  if (!broker.Start() || !sim.Start(1, {"--start", "2024-07-02 14:52", "--seed", "1", "--meters", "12"})) {
    std::fprintf(stderr, "bridge_bench: the broker or the simulator did not start\n");
    return 1;
  }
  // It archives every exchange as it does on duty, into the benchmark's own
  // folder, and keeps its time per phase there.
  const std::string phaseLog = (folder / "phases.log").string();
  ChildProcess bridge(PCZN_BRIDGE,
                      {"--port", "COM1", "--mqtt-host", "127.0.0.1", "--mqtt-port", std::to_string(broker.Port()),
                       "--archive", (folder / "archive.sqlite").string()},
                      {{PhaseLogVariable, phaseLog}}, ChildProcess::Output::WithStandardError);
  std::printf(
      "zentrixnet-bridge polling the paced simulator (COM 1, 12 meters), publishing to mosquitto on 127.0.0.1:%d\n",
      broker.Port());

  if (!WaitForLog(sim, EndOfExchange, 1, std::chrono::seconds(120))) {
    std::fprintf(stderr, "bridge_bench: no data exchange within 120 s\n%s", bridge.ReadAvailable().c_str());
    return 1;
  }
  const std::optional<Figures> f = MeasureCycles(sim, bridge.Pid(), cycles);
  const std::vector<PhaseTotalsUs> phases = WaitForPhaseLines(phaseLog, 1 + cycles, std::chrono::seconds(10));
  const std::optional<MemoryFigures> memory = ProcessMemory(bridge.Pid());
  const std::string log = bridge.ReadAvailable();
  bridge.Stop();
  const std::vector<double> perByte = f ? PerByteUs(*f, sim.Log()) : std::vector<double>{};
  const int64_t measuredBytes = MeasuredBytes(sim.Log(), cycles);
  sim.Stop();
  if (!f || !memory || log.find("data exchange completed") == std::string::npos) {
    std::fprintf(stderr, "bridge_bench: the bridge ended, the exchanges stopped or nothing was published\n%s",
                 log.c_str());
    return 1;
  }

  const double share = f->CpuMs / f->WallMs;
  const bool cpuMet = share <= CpuShareGoal;
  const bool memoryMet = MB(memory->RssKb) <= MemoryGoalMB && MB(memory->HwmKb) <= MemoryGoalMB;
  const bool perByteMet = PrintPerByte(perByte, PacedFeed::BareReaderPerByteUs(3));
  PrintPhases("the bridge", phases, cycles, measuredBytes);
  std::printf(
      "[goal 2] the bridge polling, publishing and archiving over %d whole cycles (%.1f s): processor "
      "%.0f ms = %.2f %% of a core   goal <= %.1f %%: %s\n",
      cycles, f->WallMs / 1000, f->CpuMs, 100 * share, 100 * CpuShareGoal, cpuMet ? "met" : "MISSED");
  const double restMs = f->WallMs - f->ExchangeWallMs;
  std::printf("  in the exchanges (%.1f s): %.2f %%; the rest of the cycles (%.1f s): %.2f %%\n",
              f->ExchangeWallMs / 1000, 100 * f->ExchangeCpuMs / f->ExchangeWallMs, restMs / 1000,
              100 * (f->CpuMs - f->ExchangeCpuMs) / restMs);
  std::printf("resident memory: VmRSS %.1f MB, VmHWM (peak) %.1f MB   goal <= %.0f MB: %s\n", MB(memory->RssKb),
              MB(memory->HwmKb), MemoryGoalMB, memoryMet ? "met" : "MISSED");
  return cpuMet && memoryMet && perByteMet ? 0 : 4;
}
