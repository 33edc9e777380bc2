// The data exchange over a pseudo-terminal at 2400 baud, against the wire time
// of the same bytes. The PC side is the program's own: the link with the
// polling tick and the block decoder, on TVaComm, in a Qt event loop. The
// controller side is the simulator's controller in a thread on the master
// side, pacing both directions at exactly 2400 baud (10 bits a byte).
//
// The tick runs every second, as in the program, while the PC waits for the
// connection answer and from the start of an exchange to its end frame; the
// ticks in which the PC only counts are driven at once, so that a cycle takes
// about 16 s instead of 56. After each repetition's exchanges the same reply
// latency is measured on the line alone, without the program (a bare thread
// on another pseudo-terminal, same pacing), and the repetition's p99 is
// compared with the bare line's.
//
//   exchange_bench [exchanges per repetition] [repetitions]     (default 7 and 3)
// Seven exchanges give 112 replies, so that a repetition's p99 is not simply its slowest.
// Exits 4 when a goal is missed.
#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BareLine.h"
#include "Goals.h"
#include "PacedController.h"
#include "link/Frames.h"
#include "link/Polling.h"
#include "qtloop/QtMainThreadWake.h"
#include "serial/VaComm.h"
#include "store/PlantStore.h"
#include "tools/render/TimeSummary.h"

namespace {

constexpr double RatioGoal = Goals::ExchangeWireRatio;
constexpr double LatencyP99RatioGoal = 1.5;  // against the bare line's p99
constexpr double SlowReplyMs = 2.0;          // replies at least this slow are listed
constexpr int TimeoutPerExchangeMs = 60000;
constexpr int BlocksPerExchange = 16;  // what the simulator sends in this configuration
constexpr int BareBlockBytes = 20;

Sim::SimConfig ControllerConfig() {
  Sim::SimConfig config;
  config.Plant.Seed = 1;
  config.Plant.Start = Sim::SecondsOf(Sim::CivilTime{2024, 7, 2, 14, 52, 0});
  config.Plant.Meters = 12;
  return config;
}

// The port as the main window configures it, on the pseudo-terminal.
void Configure(TVaComm& comm, const std::string& path) {
  comm.SetDeviceName(path);
  comm.SetBaudrate(br2400);
  comm.EventChars().SetEventChar(9);
  comm.EventChars().SetEofChar(9);
  comm.FlowControl().SetControlDtr(dtrDisabled);
  comm.FlowControl().SetControlRts(rtsDisabled);
  comm.SetMonitorEvents(TVaCommEvents{ceRxChar, ceRx80Full});
  comm.OnRxChar = [](TVaCustomComm*, int) { GatherRxBytes(); };
}

// The delay before the next tick: a real second where the program waits for
// the controller, none where it only counts. The end frame sets NoAnswerCount to 0.
int NextTickMs() {
  const bool exchangeRunning = PollTick >= 24 && PollTick <= 41 && NoAnswerCount != 0;
  return PollTick == 60 || exchangeRunning ? 1000 : 0;
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

double Ms(double ns) { return ns / 1e6; }

void PrintExchanges(const std::vector<ExchangeFigures>& exchanges) {
  std::printf("%-9s %7s %7s %11s %11s %8s %13s %13s\n", "exchange", "bytes", "to PC", "time (ms)", "wire (ms)", "ratio",
              "replies (ms)", "ctrl late (ms)");
  for (size_t i = 0; i < exchanges.size(); ++i) {
    const ExchangeFigures& e = exchanges[i];
    double replies = 0;
    for (const ReplyLatency& r : e.Replies) replies += r.Ns;
    std::printf("%-9zu %7lld %7lld %11.1f %11.1f %8.4f %13.2f %13.2f\n", i + 1, static_cast<long long>(e.Bytes()),
                static_cast<long long>(e.ControllerBytes), Ms(static_cast<double>(e.DurationNs())),
                Ms(PacedLine::WireNs(e.Bytes())), static_cast<double>(e.DurationNs()) / PacedLine::WireNs(e.Bytes()),
                Ms(replies), Ms(static_cast<double>(e.ControllerLateNs)));
  }
}

// The slow replies, each with its exchange and block.
void PrintSlowReplies(const std::vector<ExchangeFigures>& exchanges) {
  for (size_t i = 0; i < exchanges.size(); ++i)
    for (const ReplyLatency& r : exchanges[i].Replies)
      if (Ms(r.Ns) >= SlowReplyMs)
        std::printf("slow reply: exchange %zu, block type %d: %.3f ms\n", i + 1, r.BlockType, Ms(r.Ns));
}

std::vector<double> LatenciesMs(const std::vector<ExchangeFigures>& exchanges, size_t from, size_t to) {
  std::vector<double> ms;
  for (size_t i = from; i < to && i < exchanges.size(); ++i)
    for (const ReplyLatency& r : exchanges[i].Replies) ms.push_back(Ms(r.Ns));
  return ms;
}

// Per repetition the program's reply latency against the bare line's, then
// the figures with their goals; false when a goal is missed.
bool PrintSummary(const std::vector<ExchangeFigures>& exchanges, const std::vector<std::vector<double>>& bareRuns,
                  int perRepetition) {
  std::vector<double> ratios, p99Ratios;
  for (const ExchangeFigures& e : exchanges)
    ratios.push_back(static_cast<double>(e.DurationNs()) / PacedLine::WireNs(e.Bytes()));
  std::printf("\nreply latency, last byte of a block to first byte of the request (ms):\n");
  for (size_t rep = 0; rep < bareRuns.size(); ++rep) {
    const TimeSummary program = Summarize(LatenciesMs(exchanges, rep * perRepetition, (rep + 1) * perRepetition));
    const TimeSummary bare = Summarize(bareRuns[rep]);
    if (program.Count == 0 || bare.Count == 0) continue;
    p99Ratios.push_back(program.P99 / bare.P99);
    std::printf(
        "  repetition %zu: program median %.3f, p99 %.3f, slowest %.3f (%d blocks); bare line median %.3f, "
        "p99 %.3f, slowest %.3f (%d blocks); p99 ratio %.2f\n",
        rep + 1, program.Median, program.P99, program.Slowest, program.Count, bare.Median, bare.P99, bare.Slowest,
        bare.Count, p99Ratios.back());
  }
  const TimeSummary ratio = Summarize(ratios);
  const TimeSummary latency = Summarize(LatenciesMs(exchanges, 0, exchanges.size()));
  const bool ratioMet = ratio.Slowest <= RatioGoal;
  const bool latencyMet = !p99Ratios.empty() && MedianOf(p99Ratios) <= LatencyP99RatioGoal;
  std::printf(
      "[goal 3] reply latency p99, program / bare line, median of %zu repetitions: %.2f "
      "(all %d replies: median %.3f ms, p99 %.3f ms)   goal <= %.1f: %s\n",
      p99Ratios.size(), p99Ratios.empty() ? 0.0 : MedianOf(p99Ratios), latency.Count, latency.Median, latency.P99,
      LatencyP99RatioGoal, latencyMet ? "met" : "MISSED");
  std::printf("[goal 4] exchange time / wire time: median %.4f, worst %.4f of %d exchanges   goal <= %.2f: %s\n",
              ratio.Median, ratio.Slowest, ratio.Count, RatioGoal, ratioMet ? "met" : "MISSED");
  return ratioMet && latencyMet;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  InstallQtMainThreadWake();
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const int perRepetition = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  const int wanted = perRepetition * repetitions;

  PacedController controller(ControllerConfig());
  TVaComm comm;
  Configure(comm, controller.PortPath());
  SetLinkPort(&comm);
  InitLink();
  controller.Start();
  comm.Open();

  // Whether the PC saw each exchange's end frame (which sets NoAnswerCount to 0)
  // is looked at just before the next exchange starts, and after the last.
  // After each repetition's exchanges the bare line is measured, the loop held.
  QTimer tick;
  tick.setSingleShot(true);
  int started = 0, endsUnseen = 0;
  std::vector<std::vector<double>> bareRuns;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    if (PollTick == 24 && started++ > 0 && NoAnswerCount != 0) ++endsUnseen;
    PollingTick();
    const int completed = controller.CompletedExchanges();
    if (int(bareRuns.size()) < repetitions && completed >= perRepetition * int(bareRuns.size() + 1))
      bareRuns.push_back(MeasureBareReplyLatenciesMs(BlocksPerExchange * perRepetition + 1, BareBlockBytes));
    if (completed >= wanted || !controller.Failure().empty()) {
      QTimer::singleShot(200, &app, &QCoreApplication::quit);  // time for the PC to take the end frame
      return;
    }
    tick.start(NextTickMs());
  });
  QTimer::singleShot(TimeoutPerExchangeMs * (wanted + 1), &app, [&] { app.exit(3); });
  tick.start(0);
  const int loop = app.exec();
  if (NoAnswerCount != 0) ++endsUnseen;
  comm.Close();
  controller.Stop();
  SetLinkPort(nullptr);

  if (!controller.Failure().empty()) {
    std::fprintf(stderr, "exchange_bench: controller side: %s\n", controller.Failure().c_str());
    return 1;
  }
  const std::vector<ExchangeFigures>& exchanges = controller.Recorder().Exchanges();
  if (loop == 3 || exchanges.empty()) {
    std::fprintf(stderr, "exchange_bench: only %zu of %d exchanges within the time allowed\n", exchanges.size(),
                 wanted);
    return 1;
  }
  const std::string log = controller.FrameLog();
  std::printf(
      "Data exchange at 2400 baud over a pseudo-terminal, both directions paced (10 bits a byte); the bare "
      "line: a thread answering %d-byte blocks on another pseudo-terminal, same pacing\n",
      BareBlockBytes);
  PrintExchanges(exchanges);
  PrintSlowReplies(exchanges);
  std::printf(
      "blocks sent again: %d, bad checksums: %d, unexpected requests: %d, stray PC bytes: %d, "
      "end frames the PC did not take: %d\n",
      Count(log, "(again)"), Count(log, "bad checksum"), Count(log, "unexpected"), controller.Recorder().StrayPcBytes(),
      endsUnseen);
  return PrintSummary(exchanges, bareRuns, perRepetition) ? 0 : 4;
}
