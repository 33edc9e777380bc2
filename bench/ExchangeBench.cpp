// The data exchange over a pseudo-terminal at 2400 baud, against the wire time
// of the same bytes. The PC side is the program's own: the link with the
// polling tick and the block decoder, on TVaComm, in a Qt event loop. The
// controller side is the simulator's controller in a thread on the master
// side, pacing both directions at exactly 2400 baud (10 bits a byte).
//
// The tick runs every second, as in the program, while the PC waits for the
// connection answer and from the start of an exchange to its end frame; the
// ticks in which the PC only counts are driven at once, so that a cycle takes
// about 16 s instead of 56. After the exchanges the same reply latency is
// measured on the line alone, without the program, for comparison.
//
//   exchange_bench [exchanges]     (default 8)
#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BareLine.h"
#include "PacedController.h"
#include "link/Frames.h"
#include "link/PlantStore.h"
#include "link/Polling.h"
#include "serial/VaComm.h"
#include "tools/render/TimeSummary.h"
#include "session/qt/QtMainThreadWake.h"

namespace {

constexpr double RatioGoal = 1.01;
constexpr double LatencyP99GoalMs = 2.0;
constexpr int TimeoutPerExchangeMs = 60000;

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
  std::printf("%-9s %7s %7s %11s %11s %8s %13s %13s\n", "exchange", "bytes", "to PC", "time (ms)", "wire (ms)",
              "ratio", "replies (ms)", "ctrl late (ms)");
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

// The replies that took longer than the goal, each with its exchange and block.
void PrintSlowReplies(const std::vector<ExchangeFigures>& exchanges) {
  for (size_t i = 0; i < exchanges.size(); ++i)
    for (const ReplyLatency& r : exchanges[i].Replies)
      if (Ms(r.Ns) >= LatencyP99GoalMs)
        std::printf("slow reply: exchange %zu, block type %d: %.3f ms\n", i + 1, r.BlockType, Ms(r.Ns));
}

// The figures with their goals; false when a goal is missed.
bool PrintSummary(const std::vector<ExchangeFigures>& exchanges) {
  std::vector<double> ratios, latenciesMs;
  for (const ExchangeFigures& e : exchanges) {
    ratios.push_back(static_cast<double>(e.DurationNs()) / PacedLine::WireNs(e.Bytes()));
    for (const ReplyLatency& r : e.Replies) latenciesMs.push_back(Ms(r.Ns));
  }
  const TimeSummary ratio = Summarize(ratios);
  const TimeSummary latency = Summarize(latenciesMs);
  const bool ratioMet = ratio.Slowest <= RatioGoal;
  const bool latencyMet = latency.P99 < LatencyP99GoalMs;
  std::printf("\nexchange time / wire time: median %.4f, worst %.4f of %d exchanges   goal <= %.2f: %s\n",
              ratio.Median, ratio.Slowest, ratio.Count, RatioGoal, ratioMet ? "met" : "MISSED");
  std::printf("reply latency per block (%d blocks): median %.3f ms, p99 %.3f ms, slowest %.3f ms   "
              "goal p99 < %.1f ms: %s (p99 is %.0f %% of the goal)\n",
              latency.Count, latency.Median, latency.P99, latency.Slowest, LatencyP99GoalMs,
              latencyMet ? "met" : "MISSED", 100 * latency.P99 / LatencyP99GoalMs);
  return ratioMet && latencyMet;
}

// The same latency on the line alone, measured right after, for comparison.
void PrintBareLine() {
  constexpr int Blocks = 129, BlockBytes = 20;
  const TimeSummary bare = Summarize(MeasureBareReplyLatenciesMs(Blocks, BlockBytes));
  std::printf("the line alone, for comparison (a bare thread answering %d-byte blocks on another pseudo-terminal, "
              "same pacing, %d blocks): median %.3f ms, p99 %.3f ms, slowest %.3f ms\n",
              BlockBytes, bare.Count, bare.Median, bare.P99, bare.Slowest);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  InstallQtMainThreadWake();
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const int wanted = argc > 1 ? std::max(1, std::atoi(argv[1])) : 8;

  PacedController controller(ControllerConfig());
  TVaComm comm;
  Configure(comm, controller.PortPath());
  SetLinkPort(&comm);
  InitLink();
  controller.Start();
  comm.Open();

  // Whether the PC saw each exchange's end frame (which sets NoAnswerCount to 0)
  // is looked at just before the next exchange starts, and after the last.
  QTimer tick;
  tick.setSingleShot(true);
  int started = 0, endsUnseen = 0;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    if (PollTick == 24 && started++ > 0 && NoAnswerCount != 0) ++endsUnseen;
    PollingTick();
    if (controller.CompletedExchanges() >= wanted || !controller.Failure().empty()) {
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
  std::printf("Data exchange at 2400 baud over a pseudo-terminal, both directions paced (10 bits a byte)\n");
  PrintExchanges(exchanges);
  PrintSlowReplies(exchanges);
  std::printf("blocks sent again: %d, bad checksums: %d, unexpected requests: %d, stray PC bytes: %d, "
              "end frames the PC did not take: %d\n",
              Count(log, "(again)"), Count(log, "bad checksum"), Count(log, "unexpected"),
              controller.Recorder().StrayPcBytes(), endsUnseen);
  const bool met = PrintSummary(exchanges);
  PrintBareLine();
  return met ? 0 : 4;
}
