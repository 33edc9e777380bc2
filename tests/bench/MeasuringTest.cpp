// The measuring parts of the benchmarks: the paced line, the exchange
// recorder, the simulator's log, the summaries and what is read from /proc.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "ExchangeLog.h"
#include "ExchangeRecorder.h"
#include "PacedLine.h"
#include "PhaseLog.h"
#include "ProcStats.h"
#include "tools/render/TimeSummary.h"

namespace {

constexpr int64_t Second = 1'000'000'000;

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

std::vector<uint8_t> Bytes(size_t n, uint8_t value = 0x55) { return std::vector<uint8_t>(n, value); }

TEST(PacedLine, BytesArriveAtTheExactLineRateAndQueueBehindEachOther) {
  PacedLine line;
  line.Send(Bytes(200), 5 * Second);
  line.Send(Bytes(40), 5 * Second + 100);  // put on the busy line: goes on without a gap
  EXPECT_EQ(line.NextDueNs(), 5 * Second + 4'166'666);
  EXPECT_TRUE(line.TakeArrived(5 * Second + 4'166'665).empty());
  EXPECT_EQ(line.TakeArrived(5 * Second + Second / 2).size(), 120u);  // 240 bytes a second
  const std::vector<TimedByte> rest = line.TakeArrived(7 * Second);
  ASSERT_EQ(rest.size(), 120u);
  EXPECT_EQ(rest.back().DueNs, 6 * Second);  // no rounding piled up over 240 bytes
  EXPECT_TRUE(line.Empty());
  EXPECT_DOUBLE_EQ(PacedLine::WireNs(240), 1e9);
}

TEST(PacedLine, AnIdleLineStartsAtTheMomentOfSending) {
  PacedLine line;
  line.Send(Bytes(2), 0);
  line.TakeArrived(Second);
  line.Send(std::vector<uint8_t>{1, 2}, 3 * Second);
  const std::vector<TimedByte> arrived = line.TakeArrived(4 * Second);
  ASSERT_EQ(arrived.size(), 2u);
  EXPECT_EQ(arrived[0].Value, 1);
  EXPECT_EQ(arrived[0].DueNs, 3 * Second + 4'166'666);
  EXPECT_EQ(arrived[1].DueNs, 3 * Second + 8'333'333);
}

std::vector<uint8_t> Request(uint8_t code) {
  return {0xFF, 0xF8, 6, code, 0, static_cast<uint8_t>(0xFF + 0xF8 + 6 + code)};
}
std::vector<uint8_t> Response(uint8_t type, size_t length) {
  std::vector<uint8_t> frame(length, 0);
  frame[0] = 0xFF;
  frame[1] = 0xFA;
  frame[2] = static_cast<uint8_t>(length);
  frame[3] = type;
  return frame;
}

TEST(ExchangeRecorder, MeasuresAnExchangeFromRequest16ToTheEndFrame) {
  ExchangeRecorder r;
  const std::vector<uint8_t> connect = {0xFF, 0xF8, 8, 0x15, 0, 0, 0, 0};
  r.PcBytes(connect.data(), connect.size(), 100);  // before the exchange: not counted
  const std::vector<uint8_t> answer = Response(20, 6);
  r.ControllerFrame(answer.data(), answer.size(), 200, 200);

  const std::vector<uint8_t> start = Request(16);
  r.PcBytes(start.data(), 2, 1000);  // the request comes in two pieces
  r.PcBytes(start.data() + 2, 4, 1050);
  const std::vector<uint8_t> info = Response(1, 9);
  r.ControllerFrame(info.data(), info.size(), 5000, 4900);
  const std::vector<uint8_t> reply1 = Request(1);
  r.PcBytes(reply1.data(), reply1.size(), 5300);
  const std::vector<uint8_t> block = Response(2, 205);
  r.ControllerFrame(block.data(), block.size(), 9000, 9000);
  const std::vector<uint8_t> reply2 = Request(2);
  r.PcBytes(reply2.data(), 1, 9700);
  r.PcBytes(reply2.data() + 1, 5, 9800);
  const std::vector<uint8_t> end = Response(11, 5);
  r.ControllerFrame(end.data(), end.size(), 12000, 11990);
  r.PcBytes(connect.data(), connect.size(), 13000);  // after it: not counted either

  ASSERT_EQ(r.Exchanges().size(), 1u);
  const ExchangeFigures& e = r.Exchanges()[0];
  EXPECT_EQ(e.StartNs, 1000);  // the first byte of request 16
  EXPECT_EQ(e.EndNs, 12000);
  EXPECT_EQ(e.PcBytes, 18);
  EXPECT_EQ(e.ControllerBytes, 9 + 205 + 5);
  EXPECT_EQ(e.ControllerLateNs, 100 + 10);
  ASSERT_EQ(e.Replies.size(), 2u);
  EXPECT_EQ(e.Replies[0].BlockType, 1);
  EXPECT_DOUBLE_EQ(e.Replies[0].Ns, 300);
  EXPECT_EQ(e.Replies[1].BlockType, 2);
  EXPECT_DOUBLE_EQ(e.Replies[1].Ns, 700);  // to the reply's first byte
  EXPECT_EQ(r.StrayPcBytes(), 0);
}

TEST(ExchangeRecorder, CountsStrayBytesAndLeavesAnUnfinishedExchangeOpen) {
  ExchangeRecorder r;
  const std::vector<uint8_t> junk = {0x00, 0x12};
  r.PcBytes(junk.data(), junk.size(), 10);
  const std::vector<uint8_t> start = Request(16);
  r.PcBytes(start.data(), start.size(), 20);
  const std::vector<uint8_t> block = Response(2, 205);
  r.ControllerFrame(block.data(), block.size(), 30, 30);
  EXPECT_EQ(r.StrayPcBytes(), 2);
  EXPECT_TRUE(r.Exchanges().empty());
}

// Only whole exchanges count, from request 16 to the end frame; the
// connection answer before and what the PC sends are no controller bytes.
TEST(ExchangeLog, CountsTheControllerBytesOfEachWholeExchange) {
  const std::string log =
      "1.000 PC>SIM FF F8 06 14 00 11  ConnectionRequest\n"
      "1.100 SIM>PC FF FA 05 14 12  ConnectionAnswer\n"
      "30.020 PC>SIM FF F8 06 10 00 0D  Request 16 (start of exchange)\n"
      "30.020 SIM>PC FF FA 09 01 18 03 05 0C 2F  ControllerInfo type 24 version 03 05 12\n"
      "30.100 SIM - EventWithoutBytes\n"
      "31.100 SIM>PC FF FA 06 05 00 04  Block 5 [bad checksum]\n"
      "31.200 PC>SIM FF F8 06 05 00 02  Request 5 (again)\n"
      "32.000 SIM>PC FF FA 05 0B 09  EndOfExchange\n"
      "86.020 PC>SIM FF F8 06 10 00 0D  Request 16 (start of exchange)\n"
      "86.020 SIM>PC FF FA 09 01 18 03 05 0C 2F  ControllerInfo type 24 version 03 05 12\n";
  EXPECT_EQ(ControllerBytesPerExchange(log), std::vector<int>{9 + 6 + 5});
  EXPECT_TRUE(ControllerBytesPerExchange("").empty());
}

// A block of 13 bytes is whole at the PC 50 ms after the simulator hands it
// to the pseudo-terminal (its first byte goes at once), where a wire takes
// 54.2 ms. In the first exchange the PC answers each block at once; in the
// second, 31 ms late once, against the 31 bytes' 129.2 ms on a wire.
TEST(ExchangeLog, TimesEachExchangeAsOnAWire) {
  const std::string block = "FF FA 0D 02 00 00 00 00 00 00 00 00 0D";
  const std::string log =
      "10.000 PC>SIM FF F8 06 10 00 0D  Request 16 (start of exchange)\n"
      "10.000 SIM>PC " +
      block +
      "  Block 2\n"
      "10.050 PC>SIM FF F8 06 02 00 00  Request 2\n"
      "10.050 SIM>PC " +
      block +
      "  Block 3\n"
      "10.100 PC>SIM FF F8 06 03 00 00  Request 3\n"
      "10.100 SIM>PC FF FA 05 0B 09  EndOfExchange\n"
      "70.000 PC>SIM FF F8 06 10 00 0D  Request 16 (start of exchange)\n"
      "70.000 SIM>PC " +
      block +
      "  Block 2\n"
      "70.081 PC>SIM FF F8 06 02 00 00  Request 2\n"
      "70.081 SIM>PC " +
      block +
      "  Block 3\n"
      "70.131 PC>SIM FF F8 06 03 00 00  Request 3\n"
      "70.131 SIM>PC FF FA 05 0B 09  EndOfExchange\n";
  const std::vector<LoggedExchange> exchanges = ExchangesInLog(log);
  ASSERT_EQ(exchanges.size(), 2u);
  EXPECT_DOUBLE_EQ(exchanges[1].StartS, 70.0);
  EXPECT_DOUBLE_EQ(exchanges[1].EndFrameS, 70.131);
  EXPECT_EQ(exchanges[1].ControllerBytes, 31);
  EXPECT_EQ(exchanges[1].EndFrameBytes, 5);
  EXPECT_EQ(exchanges[1].Frames, 3);
  EXPECT_NEAR(WireTimeRatio(exchanges[0]), 1.0, 1e-9);
  EXPECT_NEAR(WireTimeRatio(exchanges[1]), 1.24, 1e-9);
}

TEST(PhaseLog, ReadsTheRunningTotalsOfEachExchangeAndSkipsOtherLines) {
  char name[] = "/tmp/phase-log-XXXXXX";
  const int fd = mkstemp(name);
  ASSERT_GE(fd, 0);
  close(fd);
  {
    std::ofstream out(name);
    out << "exchange 1: receive=10 store=2 archive=300 publish=40 tick=5 redraw=0\n"
        << "a line of something else\n"
        << "exchange 2: receive=25 store=4 archive=610 publish=90 tick=9\n"  // cut short: skipped
        << "exchange 3: receive=30 store=6 archive=900 publish=120 tick=11 redraw=7\n";
  }
  const std::vector<PhaseTotalsUs> lines = ReadPhaseLog(name);
  std::remove(name);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0][static_cast<int>(ExchangePhase::Archive)], 300);
  EXPECT_EQ(lines[1][static_cast<int>(ExchangePhase::Receive)], 30);
  EXPECT_EQ(lines[1][static_cast<int>(ExchangePhase::Redraw)], 7);
  EXPECT_TRUE(ReadPhaseLog("/nonexistent/phases.log").empty());
}

TEST(TimeSummary, NearestRankPercentilesAndMedian) {
  std::vector<double> times;
  for (int i = 100; i >= 1; --i) times.push_back(i);
  const TimeSummary s = Summarize(times);
  EXPECT_EQ(s.Count, 100);
  EXPECT_DOUBLE_EQ(s.Mean, 50.5);
  EXPECT_DOUBLE_EQ(s.Median, 50.5);
  EXPECT_DOUBLE_EQ(s.P99, 99);
  EXPECT_DOUBLE_EQ(s.Slowest, 100);
  EXPECT_DOUBLE_EQ(Percentile({3, 1, 2}, 0.5), 2);
  EXPECT_DOUBLE_EQ(Percentile({5, 1}, 0.99), 5);  // fewer than 100 times: p99 is the slowest
  EXPECT_EQ(Summarize({}).Count, 0);
  EXPECT_DOUBLE_EQ(Percentile({}, 0.5), 0);
}

TEST(ProcStats, ReadsStatLinesWhoseNameHoldsBlanksAndParentheses) {
  const std::string line = "4242 (a (b) c) S 1 4242 4242 0 -1 4194560 100 0 0 0 250 75 0 0 20 0 3 0 900";
  EXPECT_EQ(CpuTicksOfStatLine(line), 325);
  EXPECT_EQ(NameOfStatLine(line), "a (b) c");
  EXPECT_FALSE(CpuTicksOfStatLine("4242 (x) S 1 2 3").has_value());
  EXPECT_FALSE(CpuTicksOfStatLine("").has_value());
}

TEST(ProcStats, ReadsMemoryFiguresAndTheProcessesOwnTimes) {
  const std::optional<MemoryFigures> parsed =
      ParseStatusMemory("Name:\tx\nVmHWM:\t   41000 kB\nVmRSS:\t   39000 kB\nThreads:\t3\n");
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->RssKb, 39000);
  EXPECT_EQ(parsed->HwmKb, 41000);
  EXPECT_FALSE(ParseStatusMemory("Name:\tx\nVmRSS:\t1 kB\n").has_value());

  const std::optional<MemoryFigures> own = ProcessMemory(getpid());
  ASSERT_TRUE(own.has_value());
  EXPECT_GT(own->RssKb, 0);
  EXPECT_GE(own->HwmKb, own->RssKb);
  // 100 ms of this thread's processor time show in the process's time.
  const std::optional<double> before = ProcessCpuMs(getpid());
  ASSERT_TRUE(before.has_value());
  const double threadStart = ThreadCpuMs();
  volatile double x = 0;
  while (ThreadCpuMs() < threadStart + 100) x = x + std::sqrt(x + 1);
  EXPECT_NEAR(*ProcessCpuMs(getpid()) - *before, 100, 25);
  EXPECT_FALSE(ThreadCpuTimes(getpid()).empty());
  EXPECT_FALSE(ProcessCpuMs(999999999).has_value());
}

}  // namespace
