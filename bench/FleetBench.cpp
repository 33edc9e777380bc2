// A fleet of plants on one box, as an installer who watches many plants runs
// it: one paced simulator (2400 baud) per plant, one ser2net with an accepter
// per simulator (RFC 2217) standing in for the plants' serial device servers,
// one zentrixnet-bridge per plant (its own plant id, port and client id, its
// own archive) publishing to one mosquitto broker. From the moment every
// bridge has ended its first data exchange until every plant has gone through
// the given number of further whole cycles: the bridges' total processor
// share, ser2net's, the bridges' total resident memory, and the worst
// exchange/wire-time ratio among the plants. The same fleet runs twice, once
// through RFC 2217 and once through raw TCP, after a single plant through
// each: what RFC 2217 adds shows beside the same lines without Telnet.
//
//   fleet_bench [cycles] [plants]   (default 2 and 20)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ExchangeLog.h"
#include "Goals.h"
#include "ProcStats.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/MosquittoBroker.h"
#include "tests/support/Occurrences.h"
#include "tests/support/Ser2netServer.h"
#include "tests/support/SimulatorProcess.h"
#include "tests/support/TempFolder.h"
#include "tools/render/TimeSummary.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::string EndOfExchange = "EndOfExchange";

double MB(long kb) { return static_cast<double>(kb) * 1024 / 1e6; }

using Protocol = Ser2netServer::Protocol;

const char* NameOf(Protocol protocol) { return protocol == Protocol::Rfc2217 ? "RFC 2217" : "raw TCP"; }

struct Plant {
  Protocol Kind = Protocol::Rfc2217;
  std::unique_ptr<SimulatorProcess> Simulator;
  std::string PortName;
  std::unique_ptr<ChildProcess> Bridge;
};

// Waits until every simulator's log holds `n` end frames. The logs are read
// twice a second: the benchmark's own reading adds to the machine's load.
bool WaitForEveryPlant(const std::vector<Plant>& plants, int n, std::chrono::seconds limit) {
  const auto deadline = Clock::now() + limit;
  while (Clock::now() < deadline) {
    if (std::all_of(plants.begin(), plants.end(),
                    [&](const Plant& p) { return Occurrences(p.Simulator->Log(), EndOfExchange) >= n; }))
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
  return false;
}

// The simulators, each on a terminal of its own (no ports folder) with its own
// plant, and each served by an accepter of the one ser2net in the plant's protocol.
bool StartSimulators(std::vector<Plant>& plants, const std::vector<Protocol>& kinds, const TempFolder& folder,
                     Ser2netServer& server) {
  for (size_t i = 0; i < kinds.size(); ++i) {
    Plant plant;
    plant.Kind = kinds[i];
    const std::string log = (folder / ("sim-" + std::to_string(i + 1) + ".log")).string();
    plant.Simulator = std::make_unique<SimulatorProcess>(folder.Path().string(), log);
    if (!plant.Simulator->Start(0, {"--start", "2024-07-02 14:52", "--seed", std::to_string(1 + i), "--meters", "12"}))
      return false;
    plant.PortName = server.Serve(plant.Simulator->Device(), plant.Kind);
    plants.push_back(std::move(plant));
  }
  return true;
}

// One bridge per plant, archiving as on duty; their plant locks go to the
// benchmark's folder.
void StartBridges(std::vector<Plant>& plants, const TempFolder& folder, int brokerPort) {
  for (size_t i = 0; i < plants.size(); ++i) {
    const std::string id = "fleet" + std::to_string(i + 1);
    plants[i].Bridge = std::make_unique<ChildProcess>(
        PCZN_BRIDGE,
        std::vector<std::string>{"--port", plants[i].PortName, "--plant", id, "--mqtt-client-id", id, "--mqtt-host",
                                 "127.0.0.1", "--mqtt-port", std::to_string(brokerPort), "--archive",
                                 (folder / (id + ".sqlite")).string()},
        ChildProcess::Environment{{"RUNTIME_DIRECTORY", folder.Path().string()}},
        ChildProcess::Output::WithStandardError);
  }
}

// Processor time so far of the bridges together and of ser2net; nullopt when one is gone.
struct CpuSample {
  Clock::time_point At;
  double BridgesMs = 0;
  double ServerMs = 0;
};

std::optional<CpuSample> TakeCpu(const std::vector<Plant>& plants, const Ser2netServer& server) {
  CpuSample s{Clock::now()};
  for (const Plant& p : plants) {
    const std::optional<double> ms = ProcessCpuMs(p.Bridge->Pid());
    if (!ms) return std::nullopt;
    s.BridgesMs += *ms;
  }
  const std::optional<double> serverMs = ProcessCpuMs(server.Pid());
  if (!serverMs) return std::nullopt;
  s.ServerMs = *serverMs;
  return s;
}

std::optional<MemoryFigures> TotalMemory(const std::vector<Plant>& plants, long& largestRssKb) {
  MemoryFigures total;
  for (const Plant& p : plants) {
    const std::optional<MemoryFigures> m = ProcessMemory(p.Bridge->Pid());
    if (!m) return std::nullopt;
    total.RssKb += m->RssKb;
    total.HwmKb += m->HwmKb;
    largestRssKb = std::max(largestRssKb, m->RssKb);
  }
  return total;
}

// The exchange/wire-time ratio of each plant's exchanges after its first.
struct Ratios {
  std::vector<double> All;
  double Worst = 0;
  size_t WorstPlant = 0;
};

Ratios MeasuredRatios(const std::vector<Plant>& plants, Protocol kind) {
  Ratios r;
  for (size_t i = 0; i < plants.size(); ++i) {
    if (plants[i].Kind != kind) continue;
    const std::vector<LoggedExchange> exchanges = ExchangesInLog(plants[i].Simulator->Log());
    for (size_t e = 1; e < exchanges.size(); ++e) {
      const double ratio = WireTimeRatio(exchanges[e]);
      r.All.push_back(ratio);
      if (ratio > r.Worst) {
        r.Worst = ratio;
        r.WorstPlant = i;
      }
    }
  }
  return r;
}

// Whether every bridge said that a data exchange completed; what the others
// said goes to standard error.
bool EveryBridgePublished(const std::vector<Plant>& plants) {
  bool all = true;
  for (size_t i = 0; i < plants.size(); ++i) {
    const std::string log = plants[i].Bridge->ReadAvailable();
    if (log.find("data exchange completed") != std::string::npos) continue;
    std::fprintf(stderr, "fleet_bench: bridge %zu did not complete an exchange\n%s", i + 1, log.c_str());
    all = false;
  }
  return all;
}

struct Figures {
  double WallMs, BridgesMs, ServerMs;
  MemoryFigures Memory;
  long LargestRssKb;
};

void PrintRatios(const char* what, const Ratios& r) {
  std::printf("  %s: exchange time / wire time: median %.4f, worst %.4f of %zu exchanges\n", what, MedianOf(r.All),
              r.Worst, r.All.size());
}

bool PrintFigures(const Figures& f, const Ratios& ratios, size_t plants, int cycles, Protocol kind) {
  const double share = f.BridgesMs / f.WallMs;
  const double shareGoal = Goals::BridgeCpuShare * static_cast<double>(plants);
  const double memoryGoalMB = Goals::BridgeMemoryMB * static_cast<double>(plants);
  const bool cpuMet = share <= shareGoal;
  const bool memoryMet = MB(f.Memory.RssKb) <= memoryGoalMB && MB(f.Memory.HwmKb) <= memoryGoalMB;
  const bool ratioMet = !ratios.All.empty() && MedianOf(ratios.All) <= Goals::ExchangeWireRatio;
  const char* name = NameOf(kind);
  std::printf(
      "[goal 2] the fleet's %zu bridges (%s) over %d whole cycles (%.1f s): processor %.0f ms = %.2f %% of a "
      "core (%.3f %% a bridge)   goal <= %zu x %.1f %% = %.1f %%: %s\n",
      plants, name, cycles, f.WallMs / 1000, f.BridgesMs, 100 * share, 100 * share / static_cast<double>(plants),
      plants, 100 * Goals::BridgeCpuShare, 100 * shareGoal, cpuMet ? "met" : "MISSED");
  std::printf("  ser2net serving the %zu lines (%s): processor %.0f ms = %.2f %% of a core\n", plants, name, f.ServerMs,
              100 * f.ServerMs / f.WallMs);
  std::printf(
      "[goal 2] the fleet's resident memory (%s): VmRSS %.1f MB together (largest bridge %.1f MB), VmHWM "
      "(peaks) %.1f MB together   goal <= %zu x %.0f MB = %.0f MB: %s\n",
      name, MB(f.Memory.RssKb), MB(f.LargestRssKb), MB(f.Memory.HwmKb), plants, Goals::BridgeMemoryMB, memoryGoalMB,
      memoryMet ? "met" : "MISSED");
  std::printf(
      "[goal 4] the fleet's exchange time / wire time (%s): median %.4f, worst %.4f (plant %zu) of %zu "
      "exchanges   goal: median <= %.2f: %s\n",
      name, MedianOf(ratios.All), ratios.Worst, ratios.WorstPlant + 1, ratios.All.size(), Goals::ExchangeWireRatio,
      ratioMet ? "met" : "MISSED");
  return cpuMet && memoryMet && ratioMet;
}

// Plants through one ser2net, each in its protocol, from the end of every
// plant's first exchange over `cycles` further whole cycles; the ratios of
// the plants of each protocol.
struct FleetRun {
  std::optional<Figures> Totals;
  Ratios Telnet, Raw;
};

FleetRun RunFleet(const std::vector<Protocol>& kinds, int cycles, const char* name) {
  FleetRun run;
  TempFolder folder(name);
  MosquittoBroker broker(folder / "broker");
  Ser2netServer server(folder / "ser2net");
  std::vector<Plant> plants;
  if (!broker.Start() || !StartSimulators(plants, kinds, folder, server) || !server.Start()) {
    std::fprintf(stderr, "fleet_bench: the broker, a simulator or ser2net did not start\n");
    return run;
  }
  StartBridges(plants, folder, broker.Port());
  // Started together, the bridges reach their first exchange at about the same time.
  if (!WaitForEveryPlant(plants, 1, std::chrono::seconds(180))) {
    std::fprintf(stderr, "fleet_bench: not every plant ended a data exchange within 180 s\n");
    EveryBridgePublished(plants);
    return run;
  }
  const std::optional<CpuSample> first = TakeCpu(plants, server);
  const bool cycled = WaitForEveryPlant(plants, 1 + cycles, std::chrono::seconds(60 * cycles + 120));
  const std::optional<CpuSample> last = TakeCpu(plants, server);
  long largestRssKb = 0;
  const std::optional<MemoryFigures> memory = TotalMemory(plants, largestRssKb);
  const bool published = EveryBridgePublished(plants);
  if (!cycled || !first || !last || !memory || !published) {
    std::fprintf(stderr, "fleet_bench: a bridge or ser2net ended, or the plants' exchanges stopped\n%s",
                 server.Log().c_str());
    return run;
  }
  for (Plant& p : plants) p.Bridge->Stop();
  run.Telnet = MeasuredRatios(plants, Protocol::Rfc2217);
  run.Raw = MeasuredRatios(plants, Protocol::Raw);
  run.Totals = Figures{std::chrono::duration<double, std::milli>(last->At - first->At).count(),
                       last->BridgesMs - first->BridgesMs, last->ServerMs - first->ServerMs, *memory, largestRssKb};
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const int cycles = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2;
  const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
  if (!Ser2netServer::Installed()) {
    std::fprintf(stderr, "fleet_bench: %s is missing: run scripts/install-deps\n", Ser2netServer::Program().c_str());
    return 1;
  }
  // A single plant through each, side by side on one ser2net.
  std::printf("one plant through RFC 2217 and one through raw TCP, the same ser2net, %d cycle(s)\n", cycles);
  const FleetRun single = RunFleet({Protocol::Rfc2217, Protocol::Raw}, cycles, "fleet-bench-single");
  if (!single.Totals) return 1;
  const Ratios& singleTelnet = single.Telnet;
  const Ratios& singleRaw = single.Raw;
  PrintRatios("a single plant through RFC 2217", singleTelnet);
  PrintRatios("a single plant through raw TCP", singleRaw);

  bool met = true;
  std::vector<double> medians;
  for (const Protocol kind : {Protocol::Rfc2217, Protocol::Raw}) {
    std::printf(
        "%d zentrixnet-bridge processes polling %d paced simulators (12 meters each) through one ser2net "
        "(%s, %d accepters), publishing to one mosquitto\n",
        count, count, NameOf(kind), count);
    const FleetRun fleet = RunFleet(std::vector<Protocol>(static_cast<size_t>(count), kind), cycles, "fleet-bench");
    if (!fleet.Totals) return 1;
    const Ratios& ratios = kind == Protocol::Rfc2217 ? fleet.Telnet : fleet.Raw;
    medians.push_back(MedianOf(ratios.All));
    met = PrintFigures(*fleet.Totals, ratios, static_cast<size_t>(count), cycles, kind) && met;
  }
  std::printf(
      "the fleet's median exchange/wire-time ratio, RFC 2217 against raw TCP: %.4f / %.4f; a single plant: "
      "%.4f / %.4f\n",
      medians[0], medians[1], MedianOf(singleTelnet.All), MedianOf(singleRaw.All));
  return met ? 0 : 4;
}
