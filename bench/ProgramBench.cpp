// The real program on a private virtual display (Xvfb): the time from the
// process start to its main window shown, over several starts; then, connected
// to the paced simulator as COM 1 and left alone, its processor share over
// whole polling cycles (from one end of a data exchange to a later one), its
// processor time per byte received in the exchanges, and its resident memory.
// Then the console poller against the same simulator, one exchange per run,
// and a bare reader on a line paced the same way (PacedFeed.h): processor
// time per received byte side by side.
//
//   program_bench <folder of PCZentrixNet, zentrixnet-sim and zentrixnet-poll> [starts] [cycles] [poller runs]
//                 (default 10 starts, 3 cycles, 3 poller runs)
#include <QCoreApplication>
#include <QDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ExchangeLog.h"
#include "MonotonicClock.h"
#include "PacedFeed.h"
#include "PhaseLog.h"
#include "PollerRun.h"
#include "ProcStats.h"
#include "WindowMapWatch.h"
#include "tools/desktop/PlantSession.h"
#include "tools/render/TimeSummary.h"

namespace {

constexpr double StartGoalMs = 500;
constexpr double CpuShareGoal = 0.005;
constexpr double MemoryGoalMB = 60;  // MB of 10^6 bytes
constexpr int PollerTimeoutMs = 120000;
const std::string MainTitle = "PCZentrixNet ";
const QString EndOfExchange = QStringLiteral("EndOfExchange");
const QString StartOfExchange = QStringLiteral("(start of exchange)");

double MB(long kb) { return static_cast<double>(kb) * 1024 / 1e6; }

// Starts the program `starts` times; returns each time to its main window
// being mapped, in ms, or nothing when a start fails.
std::optional<std::vector<double>> TimeStarts(PlantSession& session, const WindowMapWatch& watch, int starts) {
  std::vector<double> times;
  for (int i = 0; i < starts; ++i) {
    const int64_t start = MonotonicNs();
    const bool started = session.StartProgram();
    const std::optional<int64_t> mapped = watch.MappedAt(MainTitle, start, 15000);
    session.QuitProgram();
    if (!started || !mapped) {
      std::fprintf(stderr, "program_bench: start %d: %s\n", i + 1,
                   !started ? "no main window found" : "its main window was never mapped");
      return std::nullopt;
    }
    times.push_back(static_cast<double>(*mapped - start) / 1e6);
  }
  return times;
}

bool PrintStarts(const std::vector<double>& times) {
  const std::vector<double> warm(times.begin() + 1, times.end());
  const TimeSummary s = Summarize(warm);
  const bool met = s.Median <= StartGoalMs;
  std::printf(
      "[goal 4] start to main window shown: first start %.0f ms; the %d starts after it: median %.0f ms, "
      "fastest %.0f ms, slowest %.0f ms   goal <= %.0f ms: %s\n",
      times.front(), s.Count, s.Median, *std::min_element(warm.begin(), warm.end()), s.Slowest, StartGoalMs,
      met ? "met" : "MISSED");
  return met;
}

// Waits until the simulator's log holds `text` `n` times, looking often.
bool WaitForLogCount(const PlantSession& session, const QString& text, int n, int timeoutMs) {
  const int64_t deadline = MonotonicNs() + int64_t{timeoutMs} * 1'000'000;
  while (MonotonicNs() < deadline) {
    if (session.SimulatorLog().count(text) >= n) return true;
    QThread::msleep(20);
  }
  return false;
}

struct IdleFigures {
  pid_t Pid = 0;
  double WallMs = 0, CpuMs = 0;                  // whole cycles
  double ExchangeWallMs = 0, ExchangeCpuMs = 0;  // the parts from request 16 to the end frame
  std::vector<double> CycleShares;               // of each whole cycle
  std::vector<double> ExchangeCpuPerByteUs;      // of each exchange
  int64_t MeasuredBytes = 0;                     // the controller's, in the measured exchanges
  std::vector<ThreadCpu> ThreadsBefore, ThreadsAfter;
  MemoryFigures Memory;
};

// The program's processor time at one moment.
struct Sample {
  int64_t AtNs;
  std::optional<double> CpuMs;
};

Sample Take(pid_t pid) { return {MonotonicNs(), ProcessCpuMs(pid)}; }

double WallMs(const Sample& from, const Sample& to) { return static_cast<double>(to.AtNs - from.AtNs) / 1e6; }

// From the end of the first exchange over `cycles` whole cycles, each ending
// with an exchange, sampled also where each exchange starts.
std::optional<IdleFigures> MeasureConnected(PlantSession& session, int cycles) {
  IdleFigures f;
  f.Pid = static_cast<pid_t>(session.ProgramPid());
  if (!WaitForLogCount(session, EndOfExchange, 1, 120000)) {
    std::fprintf(stderr, "program_bench: no data exchange within 120 s of choosing COM 1\n");
    return std::nullopt;
  }
  const Sample first = Take(f.Pid);
  f.ThreadsBefore = ThreadCpuTimes(f.Pid);
  Sample last = first;
  std::vector<double> exchangeCpuMs;
  for (int cycle = 1; cycle <= cycles; ++cycle) {
    if (!WaitForLogCount(session, StartOfExchange, 1 + cycle, 90000)) break;
    const Sample started = Take(f.Pid);
    if (!WaitForLogCount(session, EndOfExchange, 1 + cycle, 60000)) break;
    const Sample before = last;
    last = Take(f.Pid);
    if (!started.CpuMs || !last.CpuMs || !before.CpuMs) break;
    f.ExchangeWallMs += WallMs(started, last);
    f.ExchangeCpuMs += *last.CpuMs - *started.CpuMs;
    exchangeCpuMs.push_back(*last.CpuMs - *started.CpuMs);
    f.CycleShares.push_back((*last.CpuMs - *before.CpuMs) / WallMs(before, last));
  }
  // The first exchange ended before the measuring began.
  const std::vector<int> bytes = ControllerBytesPerExchange(session.SimulatorLog().toStdString());
  for (size_t i = 0; i < exchangeCpuMs.size() && i + 1 < bytes.size(); ++i) {
    f.ExchangeCpuPerByteUs.push_back(1000 * exchangeCpuMs[i] / bytes[i + 1]);
    f.MeasuredBytes += bytes[i + 1];
  }
  f.ThreadsAfter = ThreadCpuTimes(f.Pid);
  const std::optional<MemoryFigures> memory = ProcessMemory(f.Pid);
  if (!first.CpuMs || !last.CpuMs || !memory || session.SimulatorLog().count(EndOfExchange) < 1 + cycles) {
    std::fprintf(stderr, "program_bench: the program ended or the exchanges stopped while measured\n");
    return std::nullopt;
  }
  f.WallMs = WallMs(first, last);
  f.CpuMs = *last.CpuMs - *first.CpuMs;
  f.Memory = *memory;
  return f;
}

void PrintThreads(const IdleFigures& f) {
  std::map<pid_t, ThreadCpu> before;
  for (const ThreadCpu& t : f.ThreadsBefore) before[t.Tid] = t;
  std::printf("  by thread (the threads that used any):");
  for (const ThreadCpu& t : f.ThreadsAfter) {
    const double used = t.CpuMs - (before.count(t.Tid) ? before[t.Tid].CpuMs : 0.0);
    if (used <= 0) continue;
    if (t.Tid == f.Pid) std::printf("  main thread %.0f ms", used);
    else std::printf("  thread %d (%s) %.0f ms", t.Tid, t.Name.c_str(), used);
  }
  std::printf("\n");
}

bool PrintConnected(const IdleFigures& f, int cycles) {
  const double share = f.CpuMs / f.WallMs;
  std::vector<double> percents;
  for (double s : f.CycleShares) percents.push_back(100 * s);
  const bool cpuMet = MedianOf(f.CycleShares) <= CpuShareGoal;
  const bool memoryMet = MB(f.Memory.RssKb) <= MemoryGoalMB && MB(f.Memory.HwmKb) <= MemoryGoalMB;
  std::printf(
      "connected and polling, left alone, over %d whole cycles (%.1f s): processor %.0f ms = %.2f %% of a "
      "core; the cycles: %s %%\n",
      cycles, f.WallMs / 1000, f.CpuMs, 100 * share, Listed(percents, "%.2f").c_str());
  std::printf(
      "[goal 2] processor share of the program over a whole cycle, median of %zu cycles: %.2f %% of a core"
      "   goal <= %.1f %%: %s\n",
      f.CycleShares.size(), 100 * MedianOf(f.CycleShares), 100 * CpuShareGoal, cpuMet ? "met" : "MISSED");
  const double restMs = f.WallMs - f.ExchangeWallMs;
  std::printf("  in the exchanges (%.1f s): %.2f %%; the rest of the cycles (%.1f s): %.2f %%\n",
              f.ExchangeWallMs / 1000, 100 * f.ExchangeCpuMs / f.ExchangeWallMs, restMs / 1000,
              100 * (f.CpuMs - f.ExchangeCpuMs) / restMs);
  PrintThreads(f);
  std::printf("[goal 4] resident memory: VmRSS %.1f MB, VmHWM (peak) %.1f MB   goal <= %.0f MB: %s\n",
              MB(f.Memory.RssKb), MB(f.Memory.HwmKb), MemoryGoalMB, memoryMet ? "met" : "MISSED");
  return cpuMet && memoryMet;
}

// The console poller against the simulator that still runs as COM 1, one
// exchange per run: its processor time per byte the controller sent.
std::vector<double> MeasurePoller(const PlantSession& session, const QString& binDir, int runs) {
  std::vector<double> perByteUs;
  const std::string poller = QDir(binDir).filePath(QStringLiteral("zentrixnet-poll")).toStdString();
  const std::string config = session.File(QStringLiteral("config")).toStdString();
  for (int run = 0; run < runs; ++run) {
    const int startsBefore = session.SimulatorLog().count(StartOfExchange);
    const std::optional<PollerFigures> figures = RunPoller(
        poller, "COM1", config, [&] { return session.SimulatorLog().count(StartOfExchange) > startsBefore; },
        PollerTimeoutMs);
    const std::vector<int> bytes = ControllerBytesPerExchange(session.SimulatorLog().toStdString());
    if (!figures || bytes.empty()) {
      std::fprintf(stderr, "program_bench: poller run %d did not complete an exchange\n", run + 1);
      continue;
    }
    perByteUs.push_back(1000 * figures->ExchangeCpuMs / bytes.back());
  }
  return perByteUs;
}

bool PrintPerByte(const std::vector<double>& program, const std::vector<double>& poller,
                  const std::vector<double>& bare) {
  const double bareUs = MedianOf(bare);
  std::printf(
      "processor time per received byte in the exchanges (us): the program %s; the console poller %s; "
      "a bare reader (one thread, poll + read, same pacing, %d bytes) %s\n",
      Listed(program, "%.1f").c_str(), Listed(poller, "%.1f").c_str(), PacedFeed::BareBytes,
      Listed(bare, "%.1f").c_str());
  const double programRatio = MedianOf(program) / bareUs;
  const double pollerRatio = MedianOf(poller) / bareUs;
  const bool met = !program.empty() && !poller.empty() && bareUs > 0 && programRatio <= PacedFeed::PerByteGoal &&
                   pollerRatio <= PacedFeed::PerByteGoal;
  std::printf(
      "[goal 2] processor time per received byte, medians: program %.1f us = %.2f x, console poller %.1f us "
      "= %.2f x the bare reader's %.1f us   goal <= %.1f x: %s\n",
      MedianOf(program), programRatio, MedianOf(poller), pollerRatio, bareUs, PacedFeed::PerByteGoal,
      met ? "met" : "MISSED");
  return met;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: program_bench <folder of PCZentrixNet, zentrixnet-sim and zentrixnet-poll> [starts] "
                 "[cycles] [poller runs]\n");
    return 2;
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const QString binDir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  const int starts = argc > 2 ? std::max(2, std::atoi(argv[2])) : 10;
  const int cycles = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
  const int pollerRuns = argc > 4 ? std::max(1, std::atoi(argv[4])) : 3;

  Desktop desktop;
  if (!desktop.Start()) {
    std::fprintf(stderr, "program_bench: %s\n", qPrintable(desktop.Error()));
    return 1;
  }
  const WindowMapWatch watch(desktop.Display().toStdString());
  if (!watch.Connected()) {
    std::fprintf(stderr, "program_bench: %s\n", watch.Error().c_str());
    return 1;
  }
  PlantSession session(desktop, binDir);
  std::printf("PCZentrixNet on a virtual display (Xvfb %s), no window manager\n", qPrintable(desktop.Display()));
  const std::optional<std::vector<double>> times = TimeStarts(session, watch, starts);
  if (!times) {
    std::fprintf(stderr, "program_bench: the program did not start or showed no main window\n");
    return 1;
  }
  const bool startMet = PrintStarts(*times);

  // The polling program keeps its time per phase; the starts above and the poller below do not.
  const std::string phaseLog = session.File(QStringLiteral("phases.log")).toStdString();
  setenv(PhaseLogVariable, phaseLog.c_str(), 1);
  const bool started = session.StartSimulator({"--start", "2024-07-02 14:52", "--seed", "1", "--meters", "12"}) &&
                       session.StartProgram();
  unsetenv(PhaseLogVariable);
  if (!started) {
    std::fprintf(stderr, "program_bench: simulator or program did not start\n");
    return 1;
  }
  session.ClickPortButton(1);
  const std::optional<IdleFigures> idle = MeasureConnected(session, cycles);
  const std::vector<PhaseTotalsUs> phases =
      WaitForPhaseLines(phaseLog, idle ? idle->ExchangeCpuPerByteUs.size() + 1 : 0, std::chrono::seconds(10));
  const QString errors = session.ProgramErrors();
  session.QuitProgram();
  if (!idle) return 1;
  const std::vector<double> poller = MeasurePoller(session, binDir, pollerRuns);
  session.StopSimulator();
  const std::vector<double> bare = PacedFeed::BareReaderPerByteUs(3);
  const bool idleMet = PrintConnected(*idle, cycles);
  const bool perByteMet = PrintPerByte(idle->ExchangeCpuPerByteUs, poller, bare);
  PrintPhases("the program", phases, static_cast<int>(idle->ExchangeCpuPerByteUs.size()), idle->MeasuredBytes);
  if (!errors.trimmed().isEmpty()) std::printf("the program reported: %s\n", qPrintable(errors.trimmed()));
  return startMet && idleMet && perByteMet ? 0 : 4;
}
