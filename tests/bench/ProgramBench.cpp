// The real program on a private virtual display (Xvfb): the time from the
// process start to its main window shown, over several starts; then, connected
// to the paced simulator as COM 1 and left alone, its processor share over
// whole polling cycles (from one end of a data exchange to a later one) and
// its resident memory.
//
//   program_bench <folder of PCZentrixNet and zentrixnet-sim> [starts] [cycles]
//                 (default 10 starts, 2 cycles)
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

#include "MonotonicClock.h"
#include "ProcStats.h"
#include "WindowMapWatch.h"
#include "tests/e2e/PlantSession.h"
#include "views/render/TimeSummary.h"

namespace {

constexpr double StartGoalMs = 500;
constexpr double CpuShareGoal = 0.01;
constexpr double MemoryGoalMB = 60;  // MB of 10^6 bytes
const std::string MainTitle = "PCZentrixNet ";
const QString EndOfExchange = QStringLiteral("EndOfExchange");

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
  std::printf("start to main window shown: first start %.0f ms; the %d starts after it: median %.0f ms, "
              "fastest %.0f ms, slowest %.0f ms   goal <= %.0f ms: %s\n",
              times.front(), s.Count, s.Median, *std::min_element(warm.begin(), warm.end()), s.Slowest, StartGoalMs,
              met ? "met" : "MISSED");
  return met;
}

// Waits for the `n`-th end of an exchange in the simulator's log, polling it often.
bool WaitForExchangeEnd(const PlantSession& session, int n, int timeoutMs) {
  const int64_t deadline = MonotonicNs() + int64_t{timeoutMs} * 1'000'000;
  while (MonotonicNs() < deadline) {
    if (session.SimulatorLog().count(EndOfExchange) >= n) return true;
    QThread::msleep(20);
  }
  return false;
}

struct IdleFigures {
  pid_t Pid = 0;
  double WallMs = 0;
  double CpuMs = 0;
  std::vector<ThreadCpu> ThreadsBefore, ThreadsAfter;
  MemoryFigures Memory;
};

std::optional<IdleFigures> MeasureConnected(PlantSession& session, int cycles) {
  const qint64 pid = session.ProgramPid();
  if (!WaitForExchangeEnd(session, 1, 120000)) {
    std::fprintf(stderr, "program_bench: no data exchange within 120 s of choosing COM 1\n");
    return std::nullopt;
  }
  IdleFigures f;
  f.Pid = static_cast<pid_t>(pid);
  const int64_t start = MonotonicNs();
  const std::optional<double> cpuStart = ProcessCpuMs(static_cast<pid_t>(pid));
  f.ThreadsBefore = ThreadCpuTimes(static_cast<pid_t>(pid));
  if (!WaitForExchangeEnd(session, 1 + cycles, cycles * 90000)) {
    std::fprintf(stderr, "program_bench: fewer than %d further exchanges\n", cycles);
    return std::nullopt;
  }
  const std::optional<double> cpuEnd = ProcessCpuMs(static_cast<pid_t>(pid));
  f.WallMs = static_cast<double>(MonotonicNs() - start) / 1e6;
  f.ThreadsAfter = ThreadCpuTimes(static_cast<pid_t>(pid));
  const std::optional<MemoryFigures> memory = ProcessMemory(static_cast<pid_t>(pid));
  if (!cpuStart || !cpuEnd || !memory) {
    std::fprintf(stderr, "program_bench: the program ended while measured\n");
    return std::nullopt;
  }
  f.CpuMs = *cpuEnd - *cpuStart;
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
    if (t.Tid == f.Pid)
      std::printf("  main thread %.0f ms", used);
    else
      std::printf("  thread %d (%s) %.0f ms", t.Tid, t.Name.c_str(), used);
  }
  std::printf("\n");
}

bool PrintConnected(const IdleFigures& f, int cycles) {
  const double share = f.CpuMs / f.WallMs;
  const bool cpuMet = share <= CpuShareGoal;
  const bool memoryMet = MB(f.Memory.RssKb) <= MemoryGoalMB && MB(f.Memory.HwmKb) <= MemoryGoalMB;
  std::printf("connected and polling, left alone, over %d whole cycles (%.1f s): processor %.0f ms = %.2f %% of a "
              "core   goal <= %.0f %%: %s\n",
              cycles, f.WallMs / 1000, f.CpuMs, 100 * share, 100 * CpuShareGoal, cpuMet ? "met" : "MISSED");
  PrintThreads(f);
  std::printf("resident memory: VmRSS %.1f MB, VmHWM (peak) %.1f MB   goal <= %.0f MB: %s\n", MB(f.Memory.RssKb),
              MB(f.Memory.HwmKb), MemoryGoalMB, memoryMet ? "met" : "MISSED");
  return cpuMet && memoryMet;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: program_bench <folder of PCZentrixNet and zentrixnet-sim> [starts] [cycles]\n");
    return 2;
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const QString binDir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  const int starts = argc > 2 ? std::max(2, std::atoi(argv[2])) : 10;
  const int cycles = argc > 3 ? std::max(1, std::atoi(argv[3])) : 2;

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

  if (!session.StartSimulator({"--start", "2024-07-02 14:52", "--seed", "1", "--meters", "12"}) ||
      !session.StartProgram()) {
    std::fprintf(stderr, "program_bench: simulator or program did not start\n");
    return 1;
  }
  session.ClickPortButton(1);
  const std::optional<IdleFigures> idle = MeasureConnected(session, cycles);
  const QString errors = session.ProgramErrors();
  session.QuitProgram();
  session.StopSimulator();
  if (!idle) return 1;
  const bool idleMet = PrintConnected(*idle, cycles);
  if (!errors.trimmed().isEmpty())
    std::printf("the program reported: %s\n", qPrintable(errors.trimmed()));
  return startMet && idleMet ? 0 : 4;
}
